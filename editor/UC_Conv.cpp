#include "editor/UC_Conv.h"

#include "config/U_IniFilePlus.h"
#include "editor/U_Edit.h"
#include "platform/QtText.h"

#include <QApplication>
#include <QComboBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QVBoxLayout>

namespace kep {

namespace {

// The height kept in the project is refused past this: a wild value would
// squeeze the sources list to nothing.
constexpr int MaxStoredHeight = 2000;

} // namespace

TEcrConv::TEcrConv(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("EcrConv"));
    setWindowTitle(QStringLiteral("Convertisseur"));
    setMinimumHeight(10);

    auto* top = new QWidget(this);
    top->setObjectName(QStringLiteral("Panel1"));
    auto* tl = new QHBoxLayout(top);
    tl->setContentsMargins(2, 2, 2, 2);
    tl->setSpacing(4);
    auto* label = new QLabel(QStringLiteral("Défaut :"), top);
    tl->addWidget(label);
    UnitDef = new QComboBox(top);
    UnitDef->setObjectName(QStringLiteral("UnitDef"));
    UnitDef->addItems({QStringLiteral("Binaire"), QStringLiteral("Decimal"), QStringLiteral("Hexa")});
    UnitDef->setCurrentIndex(udDecimal);
    label->setBuddy(UnitDef);
    tl->addWidget(UnitDef, 1);

    Liste = new QListWidget(this);
    Liste->setObjectName(QStringLiteral("Liste"));
    QFont f(QStringLiteral("Courier New"));
    f.setStyleHint(QFont::Monospace);
    Liste->setFont(f);
    Liste->setFocusPolicy(Qt::ClickFocus);
    Liste->installEventFilter(this);

    auto* lay = new QVBoxLayout(this);
    lay->setContentsMargins(0, 0, 0, 0);
    lay->setSpacing(0);
    lay->addWidget(top);
    lay->addWidget(Liste, 1);

    connect(UnitDef, &QComboBox::currentIndexChanged, this, [this] { Affiche(); });
    connect(Liste, &QListWidget::itemClicked, this, [this](QListWidgetItem* item) { ClickLine(Liste->row(item)); });

    WantedHeight_ = top->sizeHint().height() + 5 * QFontMetrics(f).height() + 2 * Liste->frameWidth() + 4;
}

TEcrConv::~TEcrConv() = default;

void TEcrConv::SetTarget(TEditeur* editor)
{
    Target_ = editor;
}

TEditeur* TEcrConv::Target() const
{
    return Target_;
}

void TEcrConv::SetValue(const std::string& text)
{
    if (Conv_.SetValue(text, Assembleur_))
        Affiche();
}

void TEcrConv::SetAssembleur(TAssembleur a)
{
    if (a == Assembleur_)
        return;
    Assembleur_ = a;
    Affiche();
}

void TEcrConv::Affiche()
{
    Liste->clear();
    Forms_.clear();
    if (!Conv_.HasValue())
        return;
    const auto value = Conv_.Value(UnitDef->currentIndex());
    if (!value) {
        // Said rather than shown wrapped: a wrong number would be worse.
        auto* item = new QListWidgetItem(QStringLiteral("Plus de 32 bits"), Liste);
        item->setFlags(Qt::NoItemFlags);
        return;
    }
    Forms_ = FormesConversion(*value, Assembleur_);
    for (const std::string& form : Forms_)
        Liste->addItem(AnsiToQString(form));
}

bool TEcrConv::ClickLine(int row)
{
    if (row < 0 || std::size_t(row) >= Forms_.size())
        return false;
    TEditeur* ed = Target_;
    if (!ed && CurrentEditor)
        ed = CurrentEditor();
    if (!ed || !ed->ReplaceWithValue(Forms_[std::size_t(row)], Assembleur_)) {
        QApplication::beep();
        return false;
    }
    // The user goes on typing where the value went.
    ed->setFocus(Qt::OtherFocusReason);
    return true;
}

bool TEcrConv::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == Liste && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            ClickLine(Liste->currentRow());
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void TEcrConv::ReadSettings(const TIniFilePlus& ini)
{
    try {
        TBounds b;
        if (ini.ReadBounds(Section, b) && b.Height >= minimumHeight() && b.Height <= MaxStoredHeight)
            WantedHeight_ = b.Height;
    } catch (const EConvertError&) {
        // A damaged position is not worth a message: the usual height serves.
    }
    const int unit = ini.ReadInteger(Section, "UnitDefaut", udDecimal);
    if (unit >= udBinaire && unit <= udHexa)
        UnitDef->setCurrentIndex(unit);
}

bool TEcrConv::WriteSettings(TIniFilePlus& ini) const
{
    const QRect r = geometry();
    return ini.WriteBounds(Section, TBounds{r.x(), r.y(), r.width(), r.height()})
           && ini.WriteInteger(Section, "UnitDefaut", UnitDef->currentIndex());
}

} // namespace kep
