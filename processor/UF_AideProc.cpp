#include "processor/UF_AideProc.h"

#include "config/U_IniFilePlus.h"
#include "config/U_WinBounds.h"
#include "platform/FileIo.h"
#include "platform/Help.h"
#include "platform/Paths.h"
#include "platform/QtText.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QPainter>
#include <QPushButton>
#include <QShortcut>
#include <QSplitter>
#include <QStyledItemDelegate>
#include <QVBoxLayout>

#include <algorithm>

namespace kep {

namespace {

// Where the window opens the first time, frame included.
const QRect DesignBounds(10, 40, 660, 520);

constexpr int HelpContext = 11400;

// Codes shows "mnemonic<TAB>description" as two columns; the second starts
// after the widest mnemonic so that descriptions keep all the room there is.
class TCodesDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    int TabStop = 0; // from the left of the text

    void paint(QPainter* p, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        QStyleOptionViewItem opt(option);
        initStyleOption(&opt, index);
        const QString text = opt.text;
        opt.text.clear();
        const QWidget* w = opt.widget;
        QStyle* style = w ? w->style() : QApplication::style();
        style->drawControl(QStyle::CE_ItemViewItem, &opt, p, w);

        const QRect r = style->subElementRect(QStyle::SE_ItemViewItemText, &opt, w).adjusted(2, 0, -2, 0);
        const qsizetype tab = text.indexOf(QLatin1Char('\t'));
        const QString mnemo = tab < 0 ? text : text.left(tab);
        const QString description = tab < 0 ? QString() : text.mid(tab + 1);
        QPalette::ColorGroup group = opt.state & QStyle::State_Active ? QPalette::Active : QPalette::Inactive;
        if (!(opt.state & QStyle::State_Enabled))
            group = QPalette::Disabled;
        p->save();
        p->setFont(opt.font);
        p->setPen(opt.palette.color(group, opt.state & QStyle::State_Selected ? QPalette::HighlightedText : QPalette::Text));
        const int flags = Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine;
        const int x = r.left() + std::min(TabStop, r.width());
        const QFontMetrics& fm = opt.fontMetrics;
        p->drawText(QRect(r.left(), r.top(), std::max(x - r.left(), 0), r.height()), flags,
                    fm.elidedText(mnemo, Qt::ElideRight, std::max(x - r.left(), 0)));
        p->drawText(QRect(x, r.top(), std::max(r.right() - x + 1, 0), r.height()), flags,
                    fm.elidedText(description, Qt::ElideRight, std::max(r.right() - x + 1, 0)));
        p->restore();
    }
};

// A list under its caption, as one pane of a splitter.
QWidget* Panneau(const QString& caption, QListWidget* list, QWidget* parent)
{
    QWidget* pane = new QWidget(parent);
    QVBoxLayout* v = new QVBoxLayout(pane);
    v->setContentsMargins(0, 0, 0, 0);
    v->setSpacing(2);
    QLabel* label = new QLabel(caption, pane);
    label->setBuddy(list);
    v->addWidget(label);
    v->addWidget(list);
    return pane;
}

// The name with `ext` for its extension, spelled as on disk when the exact
// name is missing (the tool chain's files come in any case).
std::string AvecExtension(const std::string& name, const char* ext)
{
    const std::size_t slash = name.find_last_of('/');
    std::size_t dot = name.rfind('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        dot = name.size();
    const std::string path = name.substr(0, dot) + ext;
    if (FileExists(path))
        return path;
    const std::string folder = FolderOf(path);
    const std::string found = ExpandName(folder.empty() ? "./" : folder, FileNameOf(path));
    return found.empty() ? path : found;
}

} // namespace

TEcrAideProc::TEcrAideProc(QWidget* parent) : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("EcrAideProc"));
    setWindowTitle(QStringLiteral("Instructions"));
    setAttribute(Qt::WA_DeleteOnClose);

    Groupes = new QListWidget(this);
    Groupes->setObjectName(QStringLiteral("Groupes"));
    Adressages = new QListWidget(this);
    Adressages->setObjectName(QStringLiteral("Adressages"));
    // Opcode bytes and operands line up in columns.
    Adressages->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    Codes = new QListWidget(this);
    Codes->setObjectName(QStringLiteral("Codes"));
    Codes->setItemDelegate(new TCodesDelegate(Codes));
    Codes->setUniformItemSizes(true);
    Syntaxes = new QListWidget(this);
    Syntaxes->setObjectName(QStringLiteral("Syntaxes"));
    Syntaxes->setFocusPolicy(Qt::NoFocus);
    BtnAide = new QPushButton(QStringLiteral("Aide"), this);
    BtnAide->setObjectName(QStringLiteral("BtnAide"));
    BtnFermer = new QPushButton(QStringLiteral("Fermer"), this);
    BtnFermer->setObjectName(QStringLiteral("BtnFermer"));

    QSplitter* gauche = new QSplitter(Qt::Vertical, this);
    gauche->addWidget(Panneau(QStringLiteral("&Groupes"), Groupes, gauche));
    gauche->addWidget(Panneau(QStringLiteral("&Adressages"), Adressages, gauche));
    gauche->setChildrenCollapsible(false);
    gauche->setSizes({200, 170});
    QSplitter* haut = new QSplitter(Qt::Horizontal, this);
    haut->addWidget(gauche);
    haut->addWidget(Panneau(QStringLiteral("&Instructions"), Codes, haut));
    haut->setChildrenCollapsible(false);
    haut->setStretchFactor(1, 1);
    haut->setSizes({230, 400});
    QSplitter* corps = new QSplitter(Qt::Vertical, this);
    corps->addWidget(haut);
    corps->addWidget(Panneau(QStringLiteral("Types d'arguments"), Syntaxes, corps));
    corps->setChildrenCollapsible(false);
    corps->setStretchFactor(0, 1);
    corps->setSizes({370, 80});

    QHBoxLayout* boutons = new QHBoxLayout;
    boutons->addStretch(1);
    boutons->addWidget(BtnAide);
    boutons->addWidget(BtnFermer);
    QVBoxLayout* v = new QVBoxLayout(this);
    v->setContentsMargins(6, 6, 6, 6);
    v->addWidget(corps, 1);
    v->addLayout(boutons);

    ReportError = [this](const QString& message) { QMessageBox::critical(this, QStringLiteral("Erreur"), message); };
    ShowHelp = [this](int context) { ShowHelpContext(QStringLiteral("Kep.hlp"), context, this); };

    // A press on a box is the delegate's: it ticks without moving the
    // current row, so a tick is never taken for a click.
    connect(Groupes, &QListWidget::currentRowChanged, this, [this](int row) {
        if (!Updating_)
            GroupClick(row);
    });
    connect(Groupes, &QListWidget::itemChanged, this, [this](QListWidgetItem* item) { OnGroupChanged(item); });
    connect(Codes, &QListWidget::currentRowChanged, this, [this](int row) {
        if (!Updating_)
            InstructionClick(row);
    });
    connect(BtnFermer, &QPushButton::clicked, this, &QWidget::close);
    connect(BtnAide, &QPushButton::clicked, this, [this] {
        if (ShowHelp)
            ShowHelp(HelpContext);
    });
    connect(new QShortcut(QKeySequence(Qt::Key_Escape), this), &QShortcut::activated, this, &QWidget::close);
    connect(new QShortcut(QKeySequence(Qt::Key_F1), this), &QShortcut::activated, this, [this] {
        if (ShowHelp)
            ShowHelp(HelpContext);
    });

    resize(DesignBounds.size());
}

TEcrAideProc::~TEcrAideProc() = default;

void TEcrAideProc::Vide()
{
    Updating_ = true;
    Groupes->clear();
    Codes->clear();
    Adressages->clear();
    Syntaxes->clear();
    Updating_ = false;
}

void TEcrAideProc::Load(const std::string& fileName)
{
    if (!FileName_.empty() && fileName == FileName_)
        return;
    Vide();
    Proc_.Clear();
    Tab_.Clear();
    FileName_.clear();
    std::string error;
    if (!Proc_.Load(AvecExtension(fileName, ".s"), &error) || !Tab_.Load(AvecExtension(fileName, ".tab"), &error)) {
        Proc_.Clear();
        Tab_.Clear();
        if (ReportError)
            ReportError(QString::fromStdString(error));
        return;
    }
    FileName_ = fileName;

    Updating_ = true;
    for (const TGroupe& g : Proc_.Groupes()) {
        QListWidgetItem* item = new QListWidgetItem(AnsiToQString(g.Nom), Groupes);
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(Qt::Unchecked);
        item->setData(Qt::UserRole, uint(g.Masque));
    }
    // The description column starts after the widest mnemonic.
    const QFontMetrics fm(Codes->font());
    int widest = 0;
    for (const TInstruction& instr : Proc_.Instructions())
        widest = std::max(widest, fm.horizontalAdvance(AnsiToQString(instr.Mnemo)));
    static_cast<TCodesDelegate*>(Codes->itemDelegate())->TabStop = widest + 3 * fm.averageCharWidth();
    Updating_ = false;

    const int toutes = Proc_.IndexOfGroupe(TProcesseur::NomToutes);
    if (toutes >= 0)
        Groupes->setCurrentRow(toutes); // a group click
}

void TEcrAideProc::GroupClick(int row)
{
    if (row < 0 || row >= Groupes->count())
        return;
    std::uint32_t masque = 0;
    for (int i = 0; i < Groupes->count(); ++i)
        if (Groupes->item(i)->checkState() == Qt::Checked)
            masque |= Groupes->item(i)->data(Qt::UserRole).toUInt();
    if (masque == 0)
        masque = Groupes->item(row)->data(Qt::UserRole).toUInt();

    Updating_ = true;
    for (int i = 0; i < Groupes->count(); ++i)
        Groupes->item(i)->setCheckState(Qt::Unchecked);
    Codes->clear();
    const std::vector<TInstruction>& instructions = Proc_.Instructions();
    for (std::size_t n = 0; n < instructions.size(); ++n) {
        const TInstruction& instr = instructions[n];
        if ((instr.Groupes & masque) != masque)
            continue;
        QListWidgetItem* item = new QListWidgetItem(AnsiToQString(instr.Mnemo + '\t' + instr.Description), Codes);
        item->setData(Qt::UserRole, int(n));
    }
    Updating_ = false;
}

void TEcrAideProc::GroupTick(int row, bool ticked)
{
    if (row >= 0 && row < Groupes->count())
        Groupes->item(row)->setCheckState(ticked ? Qt::Checked : Qt::Unchecked);
}

void TEcrAideProc::OnGroupChanged(QListWidgetItem* item)
{
    if (Updating_ || !item)
        return;
    Updating_ = true;
    // "_Toutes_" holds every instruction: ticked, it keeps the OR of the
    // ticks from being empty, so the next click filters on the ticks alone.
    const int toutes = Proc_.IndexOfGroupe(TProcesseur::NomToutes);
    if (toutes >= 0 && toutes < Groupes->count())
        Groupes->item(toutes)->setCheckState(Qt::Checked);
    // With no chosen name, a click on any name, even the last one chosen,
    // is a change of the current row.
    Groupes->setCurrentItem(nullptr);
    Updating_ = false;
}

void TEcrAideProc::InstructionClick(int row)
{
    if (row < 0 || row >= Codes->count())
        return;
    const QString text = Codes->item(row)->text();
    const qsizetype tab = text.indexOf(QLatin1Char('\t'));
    std::vector<std::string> lines, types;
    Tab_.Describe(QStringToAnsi(tab < 0 ? text : text.left(tab)), lines, types);
    Adressages->clear();
    for (const std::string& l : lines)
        Adressages->addItem(AnsiToQString(l));
    Syntaxes->clear();
    for (const std::string& t : types)
        Syntaxes->addItem(AnsiToQString(t));
}

bool TEcrAideProc::MontreInstruction(const std::string& mnemonic)
{
    auto find = [&] {
        for (int row = 0; row < Codes->count(); ++row) {
            const QString text = Codes->item(row)->text();
            if (text.left(text.indexOf(QLatin1Char('\t'))).compare(AnsiToQString(mnemonic), Qt::CaseInsensitive) == 0)
                return row;
        }
        return -1;
    };
    int row = find();
    if (row < 0) {
        for (int g = 0; g < Groupes->count(); ++g)
            if (Groupes->item(g)->text() == QStringLiteral("_Toutes_")) {
                Groupes->setCurrentRow(g);
                GroupClick(g);
            }
        row = find();
    }
    if (row < 0)
        return false;
    Codes->setCurrentRow(row);
    InstructionClick(row);
    return true;
}

void TEcrAideProc::RestaureBounds(TIniFilePlus& ini)
{
    try {
        RestoreBounds(ini, Section, this, DesignBounds);
    } catch (const EConvertError&) {
        // A damaged position is not worth a message: the window stays put.
    }
}

bool TEcrAideProc::SauveBounds(TIniFilePlus& ini) const
{
    return SaveBounds(ini, Section, this);
}

void TEcrAideProc::closeEvent(QCloseEvent* e)
{
    if (OnClosing)
        OnClosing(*this);
    e->accept();
}

} // namespace kep
