#include "editor/UC_Sources.h"

#include "editor/U_Edit.h"
#include "platform/Paths.h"

#include <QApplication>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QStyledItemDelegate>


TInfPage* PageCourante = nullptr;

namespace {

// The entry's record lives with its item, so moving an item moves it too.
class TSourceItem : public QListWidgetItem {
public:
    TSourceItem(const QString& text, TInfPage* page) : QListWidgetItem(text), Page(page) {}
    std::unique_ptr<TInfPage> Page;
};

} // namespace

class TSourcesDelegate : public QStyledItemDelegate {
public:
    explicit TSourcesDelegate(TSources* list) : QStyledItemDelegate(list), List_(list) {}

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex&) const override
    {
        return QSize(option.rect.width(), option.fontMetrics.height() + 2);
    }

    void paint(QPainter* p, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        const int row = index.row();
        const TInfPage* page = List_->Entry(row);
        const TEditeur* ed = page ? page->Editor : nullptr;
        const QRect r = option.rect;
        const QColor back = ed && ed->Buffer().ReadOnly ? TSources::ReadOnlyColor() : TSources::WritableColor();
        p->save();
        p->fillRect(r, back);
        const int mid = (r.top() + r.bottom()) / 2;
        if (ed && ed->Buffer().ViewCount() > 1) {
            // The views of a file hang on one vertical stroke.
            p->setPen(QColor(0, 0, 0));
            p->drawLine(9, mid, 13, mid);
            const int top = page->View == 0 ? mid : r.top();
            const int bottom = page->View == ed->Buffer().ViewCount() - 1 ? mid : r.bottom();
            p->drawLine(9, top, 9, bottom);
        }
        const bool selected = row == List_->currentRow();
        QFont f = option.font;
        f.setBold(selected);
        p->setFont(f);
        p->setPen(List_->palette().color(QPalette::WindowText));
        p->drawText(QRect(r.left() + 15, r.top(), r.width() - 15, r.height()), Qt::AlignVCenter | Qt::AlignLeft,
                    index.data(Qt::DisplayRole).toString());

        const QPoint tri[3] = {{1, r.top() + 3}, {7, mid + 1}, {1, r.bottom() - 1}};
        if (row == List_->PreviousPage()) {
            p->setPen(Qt::black);
            p->setBrush(back);
            p->drawPolygon(tri, 3);
        } else if (selected) {
            p->setPen(Qt::black);
            p->setBrush(TSources::MarkerColor());
            p->drawPolygon(tri, 3);
        } else {
            p->fillRect(QRect(r.left(), r.top(), 8 - r.left(), r.height()), back);
        }
        p->restore();
    }

private:
    TSources* List_;
};

TSources::TSources(QWidget* parent) : QListWidget(parent)
{
    setFrameShape(QFrame::NoFrame);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setUniformItemSizes(true);
    setItemDelegate(new TSourcesDelegate(this));
    QPalette pal = palette();
    pal.setColor(QPalette::Base, pal.color(QPalette::Button));
    setPalette(pal);
    setMouseTracking(false);
    resize(width(), 353);
}

TSources::~TSources() = default;

void TSources::InsertEntry(int index, const QString& text, TInfPage* page)
{
    insertItem(index, new TSourceItem(text, page));
    // Indices at or after the insertion move down one.
    if (Current_ >= index)
        ++Current_;
    if (Previous_ >= index)
        ++Previous_;
}

void TSources::DeleteEntry(int index)
{
    delete takeItem(index);
}

TInfPage* TSources::Entry(int index) const
{
    auto* it = static_cast<TSourceItem*>(item(index));
    return it ? it->Page.get() : nullptr;
}

QString TSources::Text(int index) const
{
    const QListWidgetItem* it = item(index);
    return it ? it->text() : QString();
}

void TSources::SetText(int index, const QString& text)
{
    if (QListWidgetItem* it = item(index))
        it->setText(text);
}

void TSources::RepaintRow(int row)
{
    if (QListWidgetItem* it = item(row))
        viewport()->update(visualItemRect(it));
}

void TSources::SelectPage(int index)
{
    if (index != Current_) {
        const int old = Current_;
        Previous_ = old;
        RepaintRow(old);
        RepaintRow(index);
    }
    Current_ = index;
    setCurrentRow(index);
    PageCourante = Entry(index);
    if (PageCourante && PageCourante->Editor)
        PageCourante->Editor->Buffer().SelectView(PageCourante->View);
    viewport()->update();
}

bool TSources::FindFile(const std::string& name, int& first, int& last) const
{
    // The spelling itself first: another spelling is the same file only when
    // the two do not stand for two files on disk.
    for (const bool exact : {true, false}) {
        for (int i = 0; i < count(); ++i) {
            const TInfPage* page = Entry(i);
            if (!page || !page->Editor)
                continue;
            const std::string& f = page->Editor->FileName;
            if (exact ? f == name : kep::SameFile(f, name)) {
                first = i;
                last = i + page->Editor->Buffer().ViewCount() - 1;
                return true;
            }
        }
    }
    return false;
}

int TSources::PopupTag() const
{
    return PopupMenu ? PopupMenu->property("tag").toInt() : -1;
}

void TSources::SetPopupTag(int index)
{
    if (PopupMenu)
        PopupMenu->setProperty("tag", index);
}

int TSources::DropBoundaryAt(QPoint p) const
{
    const QModelIndex idx = indexAt(p);
    if (!idx.isValid())
        return -1;
    const QRect r = visualRect(idx);
    const int h = std::max(1, r.height());
    const int rel = p.y() - r.top();
    if (rel * 3 < h)
        return idx.row();
    if (rel * 3 >= 2 * h)
        return idx.row() + 1;
    return -1;
}

bool TSources::DropAccepted(int boundary, const TEditeur* dragged) const
{
    if (boundary < 0 || boundary > count())
        return false;
    const TInfPage* above = boundary > 0 ? Entry(boundary - 1) : nullptr;
    const TInfPage* below = boundary < count() ? Entry(boundary) : nullptr;
    if (above && above->Editor == dragged)
        return false;
    if (below && below->Editor == dragged)
        return false;
    return !(above && below && above->Editor == below->Editor);
}

void TSources::MoveGroup(int boundary)
{
    if (!PageCourante || boundary < 0 || boundary > count())
        return;
    const TEditeur* ed = PageCourante->Editor;
    int first = -1, last = -1;
    for (int i = 0; i < count(); ++i) {
        if (Entry(i)->Editor != ed)
            continue;
        if (first < 0)
            first = i;
        last = i;
    }
    if (first < 0 || (boundary >= first && boundary <= last + 1))
        return;
    const int n = last - first + 1;
    const int target = boundary > last ? boundary - n : boundary;
    // Where an index ends after the move.
    auto moved = [&](int i) {
        if (i < 0)
            return i;
        if (i >= first && i <= last)
            return target + (i - first);
        int j = i > last ? i - n : i; // without the group
        return j >= target ? j + n : j;
    };
    std::vector<QListWidgetItem*> items;
    for (int k = 0; k < n; ++k)
        items.push_back(takeItem(first));
    for (int k = 0; k < n; ++k)
        insertItem(target + k, items[std::size_t(k)]);
    Current_ = moved(Current_);
    Previous_ = moved(Previous_);
    SelectPage(Current_);
    if (OnMoved)
        OnMoved();
}

void TSources::mousePressEvent(QMouseEvent* e)
{
    MousePos = e->globalPosition().toPoint();
    const QModelIndex idx = indexAt(e->position().toPoint());
    if (e->button() == Qt::RightButton) {
        if (idx.isValid() && PopupMenu) {
            SetPopupTag(idx.row());
            PopupMenu->popup(MousePos);
        }
        return;
    }
    if (e->button() != Qt::LeftButton)
        return;
    if (!idx.isValid()) {
        // Below the last entry: back to the text.
        if (PageCourante && PageCourante->Editor)
            PageCourante->Editor->setFocus();
        return;
    }
    if (OnPageChange)
        OnPageChange(idx.row());
    else
        SelectPage(idx.row());
    Pressed_ = true;
    Dragging_ = false;
    PressPos_ = e->position().toPoint();
}

void TSources::mouseMoveEvent(QMouseEvent* e)
{
    if (!Pressed_)
        return;
    const QPoint p = e->position().toPoint();
    if (!Dragging_ && (p - PressPos_).manhattanLength() < QApplication::startDragDistance())
        return;
    Dragging_ = true;
    const int b = DropBoundaryAt(p);
    DropBoundary_ = PageCourante && DropAccepted(b, PageCourante->Editor) ? b : -1;
    viewport()->setCursor(DropBoundary_ >= 0 ? Qt::DragMoveCursor : Qt::ForbiddenCursor);
}

void TSources::mouseReleaseEvent(QMouseEvent* e)
{
    if (Pressed_ && Dragging_ && e->button() == Qt::LeftButton) {
        const int b = DropBoundaryAt(e->position().toPoint());
        if (PageCourante && DropAccepted(b, PageCourante->Editor))
            MoveGroup(b);
    }
    Pressed_ = false;
    Dragging_ = false;
    DropBoundary_ = -1;
    viewport()->unsetCursor();
}

void TSources::mouseDoubleClickEvent(QMouseEvent* e)
{
    mousePressEvent(e);
}
