#include "build/UC_ConsoleView.h"

#include "platform/CodePage.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPaintEvent>
#include <QScrollBar>
#include <QStringDecoder>
#include <QStringList>

#include <algorithm>
#include <cmath>
#include <utility>

namespace {

// Room left of the first column, so the first character does not touch the
// frame.
constexpr int kMargin = 2;
constexpr int kTabWidth = 8;
constexpr QChar kControlMark(0x00B7);

bool IsControl(char16_t c)
{
    return c < 0x20 || (c >= 0x7F && c <= 0x9F);
}

// Drawn in one go: every font maps these to its own fixed advance. Anything
// else may come from a fallback font of another width, so it gets a cell of
// its own and the columns stay straight.
bool IsPlain(QChar c)
{
    return c.unicode() >= 0x20 && c.unicode() < 0x7F;
}

} // namespace

TConsoleView::TConsoleView(QWidget* parent)
    : QAbstractScrollArea(parent)
{
    QPalette pal = palette();
    pal.setColor(QPalette::Base, Qt::black);
    pal.setColor(QPalette::Text, QColor(0xC0, 0xC0, 0xC0));
    setPalette(pal);
    viewport()->setAutoFillBackground(false); // paintEvent fills it
    viewport()->setCursor(Qt::IBeamCursor);
    setFocusPolicy(Qt::StrongFocus);
    setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));

    DragTimer_.setInterval(50);
    connect(&DragTimer_, &QTimer::timeout, this, &TConsoleView::DragStep);
    UpdateMetrics();
    UpdateScrollBars();
}

// ---------------------------------------------------------------------------
// Text

QString TConsoleView::ShownText(std::string_view bytes)
{
    // Output of an old DOS tool holding "é" in code page 850 (0x82) is no
    // valid UTF-8: a strict decoder tells the two apart.
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString decoded = utf8(QByteArrayView(bytes.data(), qsizetype(bytes.size())));
    if (utf8.hasError()) {
        const std::u16string oem = kep::TextToUtf16(kep::OemToAnsi(bytes), true);
        decoded = QString::fromStdU16String(oem);
    }
    QString shown;
    shown.reserve(decoded.size());
    for (const QChar c : std::as_const(decoded)) {
        if (c == u'\t')
            shown.append(QString(kTabWidth - shown.size() % kTabWidth, u' '));
        else if (IsControl(c.unicode()))
            shown.append(kControlMark);
        else
            shown.append(c);
    }
    return shown;
}

QString TConsoleView::DisplayText(std::size_t i) const
{
    return i < Store_.Count() ? ShownText(Store_.Line(i)) : QString();
}

std::size_t TConsoleView::TopLine() const
{
    return std::size_t(verticalScrollBar()->value());
}

// ---------------------------------------------------------------------------
// Store and scrolling

void TConsoleView::StoreChanged()
{
    QScrollBar* v = verticalScrollBar();
    const bool atBottom = v->value() >= v->maximum();
    const int oldTop = v->value();
    const std::uint64_t total = Store_.Total();
    const std::uint64_t dropped = Store_.Dropped();
    if (total < SeenTotal_ || dropped < SeenDropped_) { // cleared behind our back
        SeenTotal_ = SeenDropped_ = 0;
        LongestCols_ = 0;
        Anchor_ = Caret_ = TPos();
    }
    // Only the new lines are measured: a flood costs its own lines, not a
    // pass over the store at every refresh.
    const std::size_t count = Store_.Count();
    const std::size_t fresh = std::size_t(std::min<std::uint64_t>(total - SeenTotal_, count));
    for (std::size_t i = count - fresh; i < count; ++i) {
        // A line shows at most one column per byte, tabs aside: most lines
        // of a flood need no decoding to know they are not the widest.
        const std::string& bytes = Store_.Line(i);
        if (bytes.size() <= std::size_t(LongestCols_) && bytes.find('\t') == std::string::npos)
            continue;
        LongestCols_ = std::max(LongestCols_, int(DisplayText(i).size()));
    }
    const std::uint64_t fellOff = dropped - SeenDropped_;
    SeenTotal_ = total;
    SeenDropped_ = dropped;

    UpdateScrollBars();
    if (atBottom)
        v->setValue(v->maximum());
    else
        v->setValue(int(std::max<std::int64_t>(0, std::int64_t(oldTop) - std::int64_t(fellOff))));
    viewport()->update();
}

void TConsoleView::Clear()
{
    Store_.Clear();
    Anchor_ = Caret_ = TPos();
    StoreChanged();
}

int TConsoleView::LinesPerPage() const
{
    return std::max(1, viewport()->height() / LineHeight_);
}

void TConsoleView::UpdateMetrics()
{
    const QFontMetricsF fm(font());
    CharWidth_ = std::max<qreal>(1, fm.horizontalAdvance(QLatin1Char('M')));
    const QFontMetrics fi(font());
    LineHeight_ = std::max(1, fi.lineSpacing());
    Ascent_ = fi.ascent();
}

void TConsoleView::UpdateScrollBars()
{
    const int page = LinesPerPage();
    QScrollBar* v = verticalScrollBar();
    v->setRange(0, std::max(0, int(Store_.Count()) - page));
    v->setPageStep(page);
    v->setSingleStep(1);

    // One more cell for the selected line end.
    const int content = 2 * kMargin + int(std::ceil((LongestCols_ + 1) * CharWidth_));
    const int width = viewport()->width();
    QScrollBar* h = horizontalScrollBar();
    h->setRange(0, std::max(0, content - width));
    h->setPageStep(width);
    h->setSingleStep(std::max(1, int(CharWidth_)));
}

void TConsoleView::resizeEvent(QResizeEvent* e)
{
    // The range still holds the old page size here.
    QScrollBar* v = verticalScrollBar();
    const bool atBottom = v->value() >= v->maximum();
    QAbstractScrollArea::resizeEvent(e);
    UpdateScrollBars();
    if (atBottom)
        v->setValue(v->maximum());
}

void TConsoleView::changeEvent(QEvent* e)
{
    QAbstractScrollArea::changeEvent(e);
    if (e->type() == QEvent::FontChange) {
        UpdateMetrics();
        UpdateScrollBars();
        viewport()->update();
    }
}

int TConsoleView::ColumnX(int col) const
{
    return kMargin + int(std::floor(col * CharWidth_)) - horizontalScrollBar()->value();
}

void TConsoleView::ShowPos(TPos p)
{
    if (p.Line < Store_.Dropped())
        return;
    const int i = int(p.Line - Store_.Dropped());
    QScrollBar* v = verticalScrollBar();
    const int page = LinesPerPage();
    if (i < v->value())
        v->setValue(i);
    else if (i >= v->value() + page)
        v->setValue(i - page + 1);
    QScrollBar* h = horizontalScrollBar();
    const int x = ColumnX(p.Col) + h->value();
    const int width = viewport()->width();
    if (x - kMargin < h->value())
        h->setValue(x - kMargin);
    else if (x + int(CharWidth_) > h->value() + width)
        h->setValue(x + int(CharWidth_) - width);
}

// ---------------------------------------------------------------------------
// Painting

void TConsoleView::DrawSpan(QPainter& p, const QString& text, int from, int to, int y) const
{
    const qreal left = kMargin - horizontalScrollBar()->value();
    const qreal base = y + Ascent_;
    int k = from;
    while (k < to) {
        if (IsPlain(text[k])) {
            int j = k + 1;
            while (j < to && IsPlain(text[j]))
                ++j;
            p.drawText(QPointF(left + k * CharWidth_, base), text.mid(k, j - k));
            k = j;
        } else {
            const int n = text[k].isHighSurrogate() && k + 1 < text.size() ? 2 : 1;
            p.drawText(QPointF(left + k * CharWidth_, base), text.mid(k, n));
            k += n;
        }
    }
}

void TConsoleView::paintEvent(QPaintEvent* e)
{
    QPainter p(viewport());
    const QColor back = palette().color(QPalette::Base);
    const QColor fore = palette().color(QPalette::Text);
    p.fillRect(e->rect(), back);
    p.setFont(font());

    const std::size_t count = Store_.Count();
    const std::size_t top = TopLine();
    const int hValue = horizontalScrollBar()->value();
    // Only the columns on screen are drawn, whatever the length of the line.
    const int firstCol = std::max(0, int(std::floor((hValue - kMargin) / CharWidth_)));
    const int lastCol = int(std::ceil((hValue + viewport()->width() - kMargin) / CharWidth_)) + 1;
    TPos from, to;
    const bool selection = Selection(from, to);
    const std::uint64_t dropped = Store_.Dropped();

    const int firstRow = std::max(0, e->rect().top() / LineHeight_);
    const int lastRow = e->rect().bottom() / LineHeight_;
    for (int row = firstRow; row <= lastRow; ++row) {
        const std::size_t i = top + std::size_t(row);
        if (i >= count)
            break;
        const QString text = DisplayText(i);
        const int y = row * LineHeight_;
        const int length = int(text.size());
        const int shownFrom = std::min(firstCol, length);
        const int shownTo = std::min(lastCol, length);
        int selFrom = shownTo;
        int selTo = shownTo;
        const std::uint64_t line = dropped + i;
        if (selection && line >= from.Line && line <= to.Line) {
            const int a = line == from.Line ? std::min(from.Col, length) : 0;
            const int b = line == to.Line ? std::min(to.Col, length) : length;
            // The line end is part of the selection when it goes on below.
            const int right = ColumnX(b) + (line < to.Line ? int(std::ceil(CharWidth_)) : 0);
            if (right > ColumnX(a))
                p.fillRect(QRect(ColumnX(a), y, right - ColumnX(a), LineHeight_), fore);
            selFrom = std::clamp(a, shownFrom, shownTo);
            selTo = std::clamp(b, selFrom, shownTo);
        }
        p.setPen(fore);
        DrawSpan(p, text, shownFrom, selFrom, y);
        DrawSpan(p, text, selTo, shownTo, y);
        if (selTo > selFrom) {
            p.setPen(back);
            DrawSpan(p, text, selFrom, selTo, y);
        }
    }
}

// ---------------------------------------------------------------------------
// Selection

TConsoleView::TPos TConsoleView::Clamped(TPos p) const
{
    const std::size_t count = Store_.Count();
    const std::uint64_t dropped = Store_.Dropped();
    if (count == 0 || p.Line < dropped)
        return {dropped, 0};
    if (p.Line >= dropped + count)
        return {dropped + count - 1, int(DisplayText(count - 1).size())};
    return {p.Line, std::clamp(p.Col, 0, int(DisplayText(std::size_t(p.Line - dropped)).size()))};
}

bool TConsoleView::Selection(TPos& from, TPos& to) const
{
    if (Anchor_ == Caret_)
        return false;
    from = Clamped(std::min(Anchor_, Caret_));
    to = Clamped(std::max(Anchor_, Caret_));
    return from < to;
}

bool TConsoleView::HasSelection() const
{
    TPos from, to;
    return Selection(from, to);
}

QString TConsoleView::SelectedText() const
{
    TPos from, to;
    if (!Selection(from, to))
        return QString();
    QStringList lines;
    for (std::uint64_t line = from.Line; line <= to.Line; ++line) {
        const QString text = DisplayText(std::size_t(line - Store_.Dropped()));
        const int a = line == from.Line ? from.Col : 0;
        const int b = line == to.Line ? to.Col : int(text.size());
        lines.append(text.mid(a, b - a));
    }
    return lines.join(u'\n');
}

void TConsoleView::SelectAll()
{
    const std::size_t count = Store_.Count();
    if (count == 0)
        return;
    Anchor_ = {Store_.Dropped(), 0};
    Caret_ = {Store_.Total() - 1, int(DisplayText(count - 1).size())};
    viewport()->update();
}

void TConsoleView::Copy() const
{
    if (HasSelection())
        QApplication::clipboard()->setText(SelectedText());
}

TConsoleView::TPos TConsoleView::PosAt(QPoint p) const
{
    const std::size_t count = Store_.Count();
    const std::uint64_t dropped = Store_.Dropped();
    if (count == 0)
        return {dropped, 0};
    const int row = int(std::floor(qreal(p.y()) / LineHeight_));
    const std::int64_t i = std::int64_t(TopLine()) + row;
    if (i < 0)
        return {dropped, 0};
    if (i >= std::int64_t(count))
        return {dropped + count - 1, int(DisplayText(count - 1).size())};
    const int length = int(DisplayText(std::size_t(i)).size());
    const qreal x = p.x() + horizontalScrollBar()->value() - kMargin;
    // The nearer edge of the character under the mouse.
    const int col = int(std::floor(x / CharWidth_ + 0.5));
    return {dropped + std::uint64_t(i), std::clamp(col, 0, length)};
}

void TConsoleView::mousePressEvent(QMouseEvent* e)
{
    if (e->button() != Qt::LeftButton) {
        QAbstractScrollArea::mousePressEvent(e);
        return;
    }
    setFocus(Qt::MouseFocusReason);
    const TPos p = PosAt(e->position().toPoint());
    if (!(e->modifiers() & Qt::ShiftModifier))
        Anchor_ = p;
    Caret_ = p;
    Dragging_ = true;
    DragPoint_ = e->position().toPoint();
    viewport()->update();
}

void TConsoleView::mouseMoveEvent(QMouseEvent* e)
{
    if (!Dragging_ || !(e->buttons() & Qt::LeftButton)) {
        QAbstractScrollArea::mouseMoveEvent(e);
        return;
    }
    DragPoint_ = e->position().toPoint();
    Caret_ = PosAt(DragPoint_);
    // Outside the text the view scrolls on its own while the button is held.
    if (viewport()->rect().contains(DragPoint_))
        DragTimer_.stop();
    else if (!DragTimer_.isActive())
        DragTimer_.start();
    viewport()->update();
}

void TConsoleView::DragStep()
{
    if (!Dragging_) {
        DragTimer_.stop();
        return;
    }
    QScrollBar* v = verticalScrollBar();
    QScrollBar* h = horizontalScrollBar();
    if (DragPoint_.y() < 0)
        v->triggerAction(QAbstractSlider::SliderSingleStepSub);
    else if (DragPoint_.y() >= viewport()->height())
        v->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    if (DragPoint_.x() < 0)
        h->triggerAction(QAbstractSlider::SliderSingleStepSub);
    else if (DragPoint_.x() >= viewport()->width())
        h->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    Caret_ = PosAt(DragPoint_);
    viewport()->update();
}

void TConsoleView::mouseReleaseEvent(QMouseEvent* e)
{
    if (e->button() != Qt::LeftButton || !Dragging_) {
        QAbstractScrollArea::mouseReleaseEvent(e);
        return;
    }
    Dragging_ = false;
    DragTimer_.stop();
    QClipboard* clipboard = QApplication::clipboard();
    if (clipboard->supportsSelection() && HasSelection())
        clipboard->setText(SelectedText(), QClipboard::Selection);
}

void TConsoleView::mouseDoubleClickEvent(QMouseEvent* e)
{
    if (e->button() != Qt::LeftButton) {
        QAbstractScrollArea::mouseDoubleClickEvent(e);
        return;
    }
    const int y = e->position().toPoint().y();
    if (y < 0)
        return;
    const std::size_t i = TopLine() + std::size_t(y / LineHeight_);
    if (i < Store_.Count())
        emit LineDoubleClicked(i);
}

// ---------------------------------------------------------------------------
// Keyboard and menu

void TConsoleView::MoveCaret(int key, bool ctrl)
{
    const std::size_t count = Store_.Count();
    if (count == 0)
        return;
    const std::uint64_t dropped = Store_.Dropped();
    TPos c = Clamped(Caret_);
    if (!HasSelection()) {
        // Nothing selected: start from the screen rather than from a click
        // made long ago on a line now out of sight.
        const std::uint64_t top = dropped + TopLine();
        if (Caret_.Line < top || Caret_.Line >= top + std::uint64_t(LinesPerPage()))
            c = {top, 0};
        Anchor_ = c;
    }
    std::int64_t i = std::int64_t(c.Line - dropped);
    const std::int64_t last = std::int64_t(count) - 1;
    auto length = [this](std::int64_t line) { return int(DisplayText(std::size_t(line)).size()); };
    switch (key) {
    case Qt::Key_Up:
        i = std::max<std::int64_t>(0, i - 1);
        break;
    case Qt::Key_Down:
        i = std::min(last, i + 1);
        break;
    case Qt::Key_PageUp:
        i = std::max<std::int64_t>(0, i - LinesPerPage());
        break;
    case Qt::Key_PageDown:
        i = std::min(last, i + LinesPerPage());
        break;
    case Qt::Key_Left:
        if (c.Col > 0)
            --c.Col;
        else if (i > 0)
            c.Col = length(--i);
        break;
    case Qt::Key_Right:
        if (c.Col < length(i))
            ++c.Col;
        else if (i < last)
            ++i, c.Col = 0;
        break;
    case Qt::Key_Home:
        if (ctrl)
            i = 0;
        c.Col = 0;
        break;
    case Qt::Key_End:
        if (ctrl)
            i = last;
        c.Col = length(i);
        break;
    default:
        return;
    }
    Caret_ = {dropped + std::uint64_t(i), std::min(c.Col, length(i))};
    ShowPos(Caret_);
    viewport()->update();
}

void TConsoleView::keyPressEvent(QKeyEvent* e)
{
    if (e->matches(QKeySequence::Copy)) {
        Copy();
        return;
    }
    if (e->matches(QKeySequence::SelectAll)) {
        SelectAll();
        return;
    }
    const int key = e->key();
    const bool ctrl = e->modifiers() & Qt::ControlModifier;
    switch (key) {
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
    case Qt::Key_Left:
    case Qt::Key_Right:
    case Qt::Key_Home:
    case Qt::Key_End:
        break;
    default:
        QAbstractScrollArea::keyPressEvent(e);
        return;
    }
    if (e->modifiers() & Qt::ShiftModifier) {
        MoveCaret(key, ctrl);
        return;
    }
    QScrollBar* v = verticalScrollBar();
    QScrollBar* h = horizontalScrollBar();
    switch (key) {
    case Qt::Key_Up:
        v->triggerAction(QAbstractSlider::SliderSingleStepSub);
        break;
    case Qt::Key_Down:
        v->triggerAction(QAbstractSlider::SliderSingleStepAdd);
        break;
    case Qt::Key_PageUp:
        v->triggerAction(QAbstractSlider::SliderPageStepSub);
        break;
    case Qt::Key_PageDown:
        v->triggerAction(QAbstractSlider::SliderPageStepAdd);
        break;
    case Qt::Key_Left:
        h->triggerAction(QAbstractSlider::SliderSingleStepSub);
        break;
    case Qt::Key_Right:
        h->triggerAction(QAbstractSlider::SliderSingleStepAdd);
        break;
    case Qt::Key_Home:
        if (ctrl)
            v->setValue(0);
        h->setValue(0);
        break;
    case Qt::Key_End:
        // Ctrl+End goes back to the end of the output, which the view then
        // follows again.
        if (ctrl) {
            v->setValue(v->maximum());
            h->setValue(0);
        } else {
            h->setValue(h->maximum());
        }
        break;
    }
}

void TConsoleView::contextMenuEvent(QContextMenuEvent* e)
{
    QMenu menu(this);
    QAction* copy = menu.addAction(QStringLiteral("&Copier"), this, &TConsoleView::Copy);
    copy->setShortcut(QKeySequence::Copy);
    copy->setEnabled(HasSelection());
    QAction* all = menu.addAction(QStringLiteral("Tout &sélectionner"), this, &TConsoleView::SelectAll);
    all->setShortcut(QKeySequence::SelectAll);
    all->setEnabled(Store_.Count() > 0);
    menu.exec(e->globalPos());
}
