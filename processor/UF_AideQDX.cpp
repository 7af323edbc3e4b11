#include "processor/UF_AideQDX.h"

#include "config/U_IniFilePlus.h"
#include "config/U_WinBounds.h"
#include "platform/Help.h"
#include "platform/QtText.h"

#include <QCloseEvent>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QPlainTextEdit>
#include <QShortcut>
#include <QSplitter>
#include <QTreeWidget>

namespace kep {

namespace {

// Where the window opens the first time, frame included.
const QRect DesignBounds(10, 10, 820, 540);

} // namespace

TEcrAideQDX::TEcrAideQDX(const std::string& path, QWidget* parent) : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("EcrAideQDX"));
    setWindowTitle(QStringLiteral("Aide de QDX"));
    setAttribute(Qt::WA_DeleteOnClose);

    TableMat = new QTreeWidget(this);
    TableMat->setObjectName(QStringLiteral("TableMat"));
    TableMat->setHeaderHidden(true);
    TableMat->setColumnCount(1);
    TableMat->setEditTriggers(QAbstractItemView::NoEditTriggers);
    TableMat->setUniformRowHeights(true);
    Info = new QPlainTextEdit(this);
    Info->setObjectName(QStringLiteral("Info"));
    Info->setReadOnly(true);
    Info->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    // Topics hold tables drawn with characters: no wrapping, fixed pitch.
    Info->setLineWrapMode(QPlainTextEdit::NoWrap);
    Info->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));

    QSplitter* splitter = new QSplitter(Qt::Horizontal, this);
    splitter->addWidget(TableMat);
    splitter->addWidget(Info);
    splitter->setChildrenCollapsible(false);
    splitter->setStretchFactor(1, 1);
    splitter->setSizes({240, 560});
    QHBoxLayout* h = new QHBoxLayout(this);
    h->setContentsMargins(4, 4, 4, 4);
    h->addWidget(splitter);

    Lignes_ = LitAide(path);
    Sujets_ = ConstruitSujets(Lignes_);
    std::vector<QTreeWidgetItem*> items;
    items.reserve(Sujets_.size());
    for (const TSujet& s : Sujets_) {
        QTreeWidgetItem* parentItem = s.Parent >= 0 ? items[std::size_t(s.Parent)] : nullptr;
        QTreeWidgetItem* item = parentItem ? new QTreeWidgetItem(parentItem) : new QTreeWidgetItem(TableMat);
        // The lines are kept as the file converts; the 31 characters only the
        // OEM page has (box drawing...) show as themselves.
        item->setText(0, TextToQString(s.Titre, true));
        item->setData(0, Qt::UserRole, qulonglong(s.Ligne));
        items.push_back(item);
    }
    TableMat->expandToDepth(0);

    connect(TableMat, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* item) { Montre(item); });
    ShowHelp = [this](int context) { ShowHelpContext(QStringLiteral("Kep.hlp"), context, this); };
    connect(new QShortcut(QKeySequence(Qt::Key_Escape), this), &QShortcut::activated, this, &QWidget::close);
    connect(new QShortcut(QKeySequence(Qt::Key_F1), this), &QShortcut::activated, this, [this] {
        if (ShowHelp)
            ShowHelp(HelpContext);
    });

    resize(DesignBounds.size());
    if (!items.empty())
        TableMat->setCurrentItem(items.front());
}

TEcrAideQDX::~TEcrAideQDX() = default;

void TEcrAideQDX::Montre(QTreeWidgetItem* item)
{
    if (!item) {
        Info->clear();
        return;
    }
    const std::vector<std::string> texte = TexteSujet(Lignes_, std::size_t(item->data(0, Qt::UserRole).toULongLong()));
    std::string tout;
    for (const std::string& l : texte) {
        tout += l;
        tout += '\n';
    }
    if (!tout.empty())
        tout.pop_back();
    Info->setPlainText(TextToQString(tout, true));
}

void TEcrAideQDX::RestaureBounds(TIniFilePlus& ini)
{
    try {
        RestoreBounds(ini, Section, this, DesignBounds);
    } catch (const EConvertError&) {
        // A damaged position is not worth a message: the window stays put.
    }
}

bool TEcrAideQDX::SauveBounds(TIniFilePlus& ini) const
{
    return SaveBounds(ini, Section, this);
}

void TEcrAideQDX::closeEvent(QCloseEvent* e)
{
    if (OnClosing)
        OnClosing(*this);
    e->accept();
}

} // namespace kep
