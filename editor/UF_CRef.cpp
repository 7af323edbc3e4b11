#include "editor/UF_CRef.h"

#include "config/U_IniFilePlus.h"
#include "config/U_Options.h"
#include "config/U_WinBounds.h"
#include "editor/U_Edit.h"
#include "platform/QtText.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QStyledItemDelegate>
#include <QTimer>
#include <QVBoxLayout>

namespace kep {

namespace {

// Where the window opens the first time, frame included.
const QRect DesignBounds(470, 130, 330, 260);

// Horizontal places of the painted parts, in pixels from the item's left.
constexpr int HeaderLeft = 4;
constexpr int HeaderGap = 20;   // between the entry's name and its folder
constexpr int NumberRight = 35; // line numbers end here
constexpr int LineLeft = 45;

const QColor CurrentEntryBack(0xE0, 0xE0, 0xE0);

// Paints the items from the window's own records rather than the list's
// strings alone: a header needs its name apart to show it in bold, and the
// current entry is told by its index.
class TRefDelegate : public QStyledItemDelegate {
public:
    TRefDelegate(const TEcrCRef* window, QObject* parent) : QStyledItemDelegate(parent), Window_(window) {}

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        QSize s = QStyledItemDelegate::sizeHint(option, index);
        s.setHeight(option.fontMetrics.height() + 2);
        return s;
    }

    void paint(QPainter* p, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        const std::vector<TRefItem>& items = Window_->Items();
        const int row = index.row();
        if (row < 0 || std::size_t(row) >= items.size()) {
            QStyledItemDelegate::paint(p, option, index);
            return;
        }
        const TRefItem& item = items[std::size_t(row)];
        const QString text = index.data(Qt::DisplayRole).toString();
        const QRect r = option.rect;

        QPalette::ColorGroup group = option.state & QStyle::State_Active ? QPalette::Active : QPalette::Inactive;
        if (!(option.state & QStyle::State_Enabled))
            group = QPalette::Disabled;
        QColor back, fore;
        if (option.state & QStyle::State_Selected) {
            back = option.palette.color(group, QPalette::Highlight);
            fore = option.palette.color(group, QPalette::HighlightedText);
        } else if (item.Entry + 1 == Window_->CurrentEntry()) {
            // A fixed light grey, so the text on it is a fixed dark colour
            // whatever the desktop's theme.
            back = CurrentEntryBack;
            fore = Qt::black;
        } else {
            back = option.palette.color(group, QPalette::Button);
            fore = option.palette.color(group, QPalette::ButtonText);
        }

        p->save();
        p->setClipRect(r);
        p->fillRect(r, back);
        p->setPen(fore);
        const int flags = Qt::AlignVCenter | Qt::TextSingleLine;
        if (item.Header) {
            const QString name = PathToQString(item.Text);
            QFont bold = option.font;
            bold.setBold(true);
            p->setFont(bold);
            const int nameWidth = QFontMetrics(bold).horizontalAdvance(name);
            p->drawText(QRect(r.left() + HeaderLeft, r.top(), nameWidth + 1, r.height()), flags | Qt::AlignLeft,
                        name);
            p->setFont(option.font);
            const int x = r.left() + HeaderLeft + nameWidth + HeaderGap;
            p->drawText(QRect(x, r.top(), std::max(r.right() - x + 1, 0), r.height()), flags | Qt::AlignLeft,
                        text.mid(name.size()));
        } else {
            p->setFont(option.font);
            const qsizetype space = text.indexOf(QLatin1Char(' '));
            const QString number = space < 0 ? text : text.left(space);
            QString line = space < 0 ? QString() : text.mid(space + 1);
            // Tab stops of the editor mean nothing here; a fixed gap keeps
            // the columns of a line apart.
            line.replace(QLatin1Char('\t'), QStringLiteral("   "));
            p->drawText(QRect(r.left(), r.top(), NumberRight, r.height()), flags | Qt::AlignRight, number);
            const int x = r.left() + LineLeft;
            p->drawText(QRect(x, r.top(), std::max(r.right() - x + 1, 0), r.height()), flags | Qt::AlignLeft, line);
        }
        if ((option.state & QStyle::State_HasFocus) && option.widget) {
            QStyleOptionFocusRect focus;
            focus.initFrom(option.widget);
            focus.rect = r;
            focus.backgroundColor = back;
            option.widget->style()->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, p, option.widget);
        }
        p->restore();
    }

private:
    const TEcrCRef* Window_;
};

} // namespace

TEcrCRef::TEcrCRef(QWidget* owner)
    : QWidget(owner, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                         | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint)
{
    setObjectName(QStringLiteral("EcrCRef"));
    setWindowTitle(QStringLiteral("Références"));
    setAttribute(Qt::WA_DeleteOnClose);

    RefEdit = new QComboBox(this);
    RefEdit->setObjectName(QStringLiteral("RefEdit"));
    RefEdit->setEditable(true);
    // The history is ours: Enter must not add what is typed behind our back.
    RefEdit->setInsertPolicy(QComboBox::NoInsert);
    RefEdit->setMaxVisibleItems(int(HistoryMax));
    optRems = new QCheckBox(QStringLiteral("Remarques"), this);
    optRems->setObjectName(QStringLiteral("optRems"));
    optMotSeul = new QCheckBox(QStringLiteral("Mot entier"), this);
    optMotSeul->setObjectName(QStringLiteral("optMotSeul"));
    optMinMaj = new QCheckBox(QStringLiteral("min=MAJ"), this);
    optMinMaj->setObjectName(QStringLiteral("optMinMaj"));

    Liste = new QListWidget(this);
    Liste->setObjectName(QStringLiteral("Liste"));
    Liste->setUniformItemSizes(true);
    Liste->setItemDelegate(new TRefDelegate(this, Liste));
    QPalette pal = Liste->palette();
    for (const auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
        pal.setColor(group, QPalette::Base, pal.color(group, QPalette::Button));
    Liste->setPalette(pal);

    auto* boxes = new QHBoxLayout;
    boxes->addWidget(optRems);
    boxes->addWidget(optMotSeul);
    boxes->addWidget(optMinMaj);
    boxes->addStretch(1);
    auto* top = new QVBoxLayout(this);
    top->setContentsMargins(4, 4, 4, 4);
    top->setSpacing(4);
    top->addWidget(RefEdit);
    top->addLayout(boxes);
    top->addWidget(Liste, 1);

    SetOptions(RefOptionsDefaut);
    resize(DesignBounds.size());
    move(DesignBounds.topLeft());

    // Enter reaches whichever of the two has the focus; the double click
    // only the line edit.
    RefEdit->installEventFilter(this);
    if (RefEdit->lineEdit())
        RefEdit->lineEdit()->installEventFilter(this);
    connect(RefEdit, &QComboBox::activated, this, [this] { Refresh(); });
    for (QCheckBox* box : {optRems, optMotSeul, optMinMaj})
        connect(box, &QCheckBox::clicked, this, [this] { Refresh(); });
    connect(Liste, &QListWidget::clicked, this, [this](const QModelIndex& index) { ClickItem(index.row()); });
}

TEcrCRef::~TEcrCRef() = default;

namespace {

void FillCombo(QComboBox* combo, const std::vector<std::string>& history)
{
    // Refilling clears the typed text too; the caller decides what shows.
    combo->clear();
    for (const std::string& word : history)
        combo->addItem(AnsiToQString(word));
}

} // namespace

void TEcrCRef::SetWord(const std::string& word)
{
    AddToHistory(word, History_);
    FillCombo(RefEdit, History_);
    RefEdit->setEditText(AnsiToQString(word));
    Liste->setFocus();
}

std::string TEcrCRef::Word() const
{
    return QStringToAnsi(RefEdit->currentText());
}

unsigned TEcrCRef::Options() const
{
    unsigned options = 0;
    if (optRems->isChecked())
        options |= roRemarques;
    if (optMotSeul->isChecked())
        options |= roMotSeul;
    if (optMinMaj->isChecked())
        options |= roMinMaj;
    return options;
}

void TEcrCRef::SetOptions(unsigned options)
{
    optRems->setChecked(options & roRemarques);
    optMotSeul->setChecked(options & roMotSeul);
    optMinMaj->setChecked(options & roMinMaj);
}

void TEcrCRef::BeginList()
{
    Listing_ = true;
    Items_.clear();
    Liste->clear();
    CaretItem_ = -1;
    // Documents come one by one; the list shows once they all are in.
    Liste->setUpdatesEnabled(false);
}

void TEcrCRef::AddDocument(const QString& entryName, const TEditeur* editor, int entry, int view)
{
    if (!editor)
        return;
    int caret = -1;
    std::vector<TRefItem> items = DocumentRefs(Word(), Options(), QStringToPath(entryName), editor->FileName,
                                               editor->Buffer(), view, entry, &caret);
    if (items.empty())
        return;
    if (entry + 1 == CurrentEntry_ && caret >= 0)
        CaretItem_ = int(Items_.size()) + caret;
    const bool oem = editor->Buffer().OemFile;
    for (TRefItem& item : items) {
        QString text;
        if (item.Header)
            text = PathToQString(item.Text) + QStringLiteral(" (") + PathToQString(item.Folder) + QLatin1Char(')');
        else
            text = QString::number(item.Number) + QLatin1Char(' ') + TextToQString(item.Text, oem);
        Liste->addItem(text);
        Items_.push_back(std::move(item));
    }
}

void TEcrCRef::EndList()
{
    Listing_ = false;
    Liste->setUpdatesEnabled(true);
    Liste->setCurrentRow(CaretItem_);
    if (CaretItem_ >= 0)
        Liste->scrollToItem(Liste->item(CaretItem_));
    else
        Liste->scrollToTop();
    Liste->viewport()->update();
}

void TEcrCRef::Refresh()
{
    // Cleared first: the handler may ask for another listing.
    RefreshPending_ = false;
    const std::string word = Word();
    if (!word.empty() && OnRefresh)
        OnRefresh(word);
}

void TEcrCRef::RequestRefresh()
{
    if (RefreshPending_)
        return;
    RefreshPending_ = true;
    QTimer::singleShot(0, this, [this] {
        // A direct Refresh in between has done the work already.
        if (RefreshPending_)
            Refresh();
    });
}

int TEcrCRef::SelectedItem() const
{
    return Liste->currentRow();
}

void TEcrCRef::ClickItem(int index)
{
    // Half a listing holds items whose lines the caller may still be changing.
    if (Listing_ || index < 0 || std::size_t(index) >= Items_.size())
        return;
    const TRefItem& item = Items_[std::size_t(index)];
    if (OnGoTo)
        OnGoTo(item.Entry, item.LineId);
}

void TEcrCRef::ReadSettings(const TIniFilePlus& ini)
{
    try {
        // RestoreBounds drops the older Left/Top/... keys once it has read
        // them, which the caller's read-only store cannot do: a store of our
        // own on the same file does.
        TIniFilePlus store(ini.FileName());
        RestoreBounds(store, Section, this, DesignBounds);
    } catch (const EConvertError&) {
        // A damaged position is not worth a message: the window stays put.
    }
    SetOptions(ParseRefOptions(ini.ReadString(Section, "Options", "")));
    const QString shown = RefEdit->currentText();
    History_ = ini.ReadHistory(Section, "Ref");
    FillCombo(RefEdit, History_);
    RefEdit->setEditText(shown);
}

void TEcrCRef::WriteSettings(TIniFilePlus& ini) const
{
    const QRect frame = frameGeometry(), inner = geometry(), normal = normalGeometry();
    if ((windowState() & (Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen)) && normal.isValid()) {
        // The place to come back to is the normal one, frame included as
        // SaveBounds stores it.
        ini.WriteBounds(Section, TBounds{normal.x() - (inner.x() - frame.x()), normal.y() - (inner.y() - frame.y()),
                                         normal.width() + frame.width() - inner.width(),
                                         normal.height() + frame.height() - inner.height()});
    } else {
        SaveBounds(ini, Section, this);
    }
    ini.WriteString(Section, "Options", RefOptionsText(Options()));
    ini.WriteHistory(Section, "Ref", History_);
}

void TEcrCRef::closeEvent(QCloseEvent* e)
{
    if (OnClosing)
        OnClosing(*this);
    e->accept();
}

bool TEcrCRef::eventFilter(QObject* watched, QEvent* event)
{
    // RefEdit is not dereferenced: the filter still runs while the window's
    // children are being destroyed.
    const bool onLine = watched->parent() == RefEdit && qobject_cast<QLineEdit*>(watched);
    if ((watched == RefEdit || onLine) && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            Refresh();
            return true;
        }
    }
    if (onLine && event->type() == QEvent::MouseButtonDblClick) {
        RefEdit->showPopup();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace kep
