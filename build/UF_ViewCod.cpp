#include "build/UF_ViewCod.h"

#include "build/U_ImageCod.h"
#include "build/U_ImageHex.h"
#include "platform/FileIo.h"
#include "platform/Paths.h"

#include <QCheckBox>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QFont>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLineEdit>
#include <QList>
#include <QMessageBox>
#include <QPushButton>
#include <QTreeWidget>
#include <QTreeWidgetItem>
#include <QVBoxLayout>

TEcrViewCod::TEcrViewCod(QWidget* parent)
    : QWidget(parent, Qt::Window)
{
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("KEP - Visualisateur de fichiers"));
    resize(520, 420);

    edObjNameG = new QLineEdit(this);
    edObjNameG->setObjectName(QStringLiteral("edObjNameG"));
    btnSelObjG = new QPushButton(QStringLiteral("..."), this);
    btnSelObjG->setObjectName(QStringLiteral("btnSelObjG"));
    btnSelObjG->setToolTip(QStringLiteral("Choisir un fichier cod"));
    // Wide enough for the dots, not a full-width button.
    btnSelObjG->setFixedWidth(btnSelObjG->fontMetrics().horizontalAdvance(QStringLiteral("....")) + 16);
    OptTaille32 = new QCheckBox(QStringLiteral("Taille sur 32 bits (périmé)"), this);
    OptTaille32->setObjectName(QStringLiteral("OptTaille32"));

    DumpG = new QTreeWidget(this);
    DumpG->setObjectName(QStringLiteral("DumpG"));
    DumpG->setHeaderHidden(true);
    DumpG->setColumnCount(1);
    // Every row is one line of the same font: lets the view skip measuring
    // each of the thousands of dump lines.
    DumpG->setUniformRowHeights(true);
    DumpG->setSelectionMode(QAbstractItemView::SingleSelection);
    DumpG->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    DumpG->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    DumpG->header()->setStretchLastSection(false);
    QFont font(QStringLiteral("Courier New"), 9);
    // Where Courier New is missing, another fixed font rather than whatever
    // the default family is: the hex columns must line up.
    font.setStyleHint(QFont::TypeWriter);
    font.setFixedPitch(true);
    DumpG->setFont(font);

    auto* name = new QHBoxLayout;
    name->setSpacing(4);
    name->addWidget(edObjNameG, 1);
    name->addWidget(btnSelObjG);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 6, 6, 6);
    layout->setSpacing(4);
    layout->addLayout(name);
    layout->addWidget(OptTaille32);
    layout->addWidget(DumpG, 1);

    AskOpenFile = [this](const QString& start) {
        return QFileDialog::getOpenFileName(this, QStringLiteral("Ouvrir un fichier cod"), start,
                                            QStringLiteral("Fichiers cod (*.cod);;Fichiers Intel HEX (*.hex);;"
                                                           "Tous les fichiers (*)"));
    };
    ShowMessage = [this](const QString& text) { QMessageBox::warning(this, windowTitle(), text); };

    connect(btnSelObjG, &QPushButton::clicked, this, &TEcrViewCod::btnSelObjGClick);
    connect(OptTaille32, &QCheckBox::toggled, this, &TEcrViewCod::OptTaille32Click);
}

TEcrViewCod::~TEcrViewCod() = default;

std::string TEcrViewCod::LocalName() const
{
    // File names are byte strings: the field shows them decoded, the file
    // system wants them encoded back the same way.
    return QFile::encodeName(edObjNameG->text()).toStdString();
}

void TEcrViewCod::btnSelObjGClick()
{
    if (!AskOpenFile)
        return;
    const QString path = AskOpenFile(edObjNameG->text());
    if (path.isEmpty())
        return;
    Charge(path);
}

void TEcrViewCod::Charge(const QString& path)
{
    edObjNameG->setText(path);
    const std::string local = LocalName();
    std::string bytes;
    if (!kep::FileExists(local) || !kep::ReadWholeFile(local, bytes)) {
        if (ShowMessage)
            ShowMessage(QStringLiteral("Fichier ") + path + QStringLiteral(" absent"));
        Remplit();
        return;
    }
    auto format = kep::FormatImage(bytes);
    if (format == kep::TFormatImage::CodMicrochip) {
        // gplink writes the program beside it as Intel HEX: that is what
        // the user wants to see.
        const QFileInfo fi(path);
        const kep::TFichiersScan disk = kep::FichiersDisque(QFile::encodeName(fi.absolutePath()).toStdString());
        const std::string hex =
            disk.Chemin(QFile::encodeName(fi.completeBaseName() + QStringLiteral(".hex")).toStdString());
        std::string hexBytes;
        const bool other = disk.Existe(hex) && disk.Lit(hex, hexBytes)
                           && kep::FormatImage(hexBytes) == kep::TFormatImage::IntelHex;
        const std::string name = QFile::encodeName(fi.fileName()).toStdString();
        const std::string text = kep::MessageCodMicrochip(name, bytes, other ? kep::FileNameOf(hex) : std::string());
        if (ShowMessage)
            ShowMessage(QString::fromUtf8(text));
        if (other) {
            edObjNameG->setText(QFile::decodeName(QByteArray::fromStdString(hex)));
            bytes = std::move(hexBytes);
            format = kep::TFormatImage::IntelHex;
        }
    }
    Bytes_ = std::move(bytes);
    Format_ = int(format);
    Remplit();
}

void TEcrViewCod::OptTaille32Click()
{
    if (kep::FileExists(LocalName()))
        Remplit();
}

void TEcrViewCod::Remplit()
{
    // The length width only means something for this viewer's own format.
    OptTaille32->setEnabled(Format_ == int(kep::TFormatImage::Cod));
    std::vector<kep::TNoeudCod> tree;
    switch (kep::TFormatImage(Format_)) {
    case kep::TFormatImage::Cod:
        tree = kep::ArbreCod(Bytes_, OptTaille32->isChecked());
        break;
    case kep::TFormatImage::IntelHex:
        tree = kep::ArbreHex(Bytes_);
        break;
    case kep::TFormatImage::CodMicrochip:
        tree = kep::ArbreCodMicrochip(QFile::encodeName(QFileInfo(edObjNameG->text()).fileName()).toStdString(),
                                      Bytes_);
        break;
    }
    // Built off the view and added in one go: a large image has tens of
    // thousands of lines.
    QList<QTreeWidgetItem*> items;
    items.reserve(qsizetype(tree.size()));
    for (const kep::TNoeudCod& node : tree) {
        auto* item = new QTreeWidgetItem(QStringList(QString::fromUtf8(node.Texte)));
        QList<QTreeWidgetItem*> children;
        children.reserve(qsizetype(node.Enfants.size()));
        for (const std::string& line : node.Enfants)
            children.append(new QTreeWidgetItem(QStringList(QString::fromUtf8(line))));
        item->addChildren(children);
        items.append(item);
    }
    DumpG->setUpdatesEnabled(false);
    DumpG->clear();
    DumpG->addTopLevelItems(items);
    // The first segment open shows at once what the file holds; the others
    // stay closed so that the list of segments fits.
    if (!items.isEmpty())
        items.front()->setExpanded(true);
    DumpG->setUpdatesEnabled(true);
}
