#include "editor/SrcEditAccess.h"

#include "editor/SrcEdit.h"
#include "editor/TextChanges.h"
#include "platform/QtText.h"

#include <QScrollBar>

#include <algorithm>

// ---------------------------------------------------------------------------
// The editor's side: events for the clients

namespace {

std::function<void(QAccessibleEvent*)>& EventHook()
{
    static std::function<void(QAccessibleEvent*)> hook;
    return hook;
}

} // namespace

void TSrcEdit::SetAccessibleEventHook(std::function<void(QAccessibleEvent*)> hook)
{
    EventHook() = std::move(hook);
}

bool TSrcEdit::AccessibleEventsWanted() const
{
    return AccessFeed_ && (EventHook() || QAccessible::isActive());
}

void TSrcEdit::SendAccessible(QAccessibleEvent& e)
{
    if (EventHook())
        EventHook()(&e);
    else
        QAccessible::updateAccessibility(&e);
}

void TSrcEdit::StartAccessibility()
{
    if (AccessFeed_)
        return;
    AccessFeed_ = std::make_unique<TTextChangeFeed>(Buffer_);
    // Qt asks for interfaces even with no client on the bus: nothing is
    // counted until one listens.
    AccessFeed_->Wanted = [this] { return AccessibleEventsWanted(); };
    AccessFeed_->OnChange = [this](std::int64_t at, std::string_view removed, std::string_view inserted) {
        const QString r = kep::TextToQString(removed, Buffer_.OemFile);
        const QString i = kep::TextToQString(inserted, Buffer_.OemFile);
        if (r.isEmpty()) {
            QAccessibleTextInsertEvent e(this, int(at), i);
            SendAccessible(e);
        } else if (i.isEmpty()) {
            QAccessibleTextRemoveEvent e(this, int(at), r);
            SendAccessible(e);
        } else {
            QAccessibleTextUpdateEvent e(this, int(at), r, i);
            SendAccessible(e);
        }
    };
    AccessFeed_->OnReset = [this](std::int64_t oldChars) {
        // Clients count what went; its characters no longer exist.
        QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(this);
        const QString now = iface && iface->textInterface()
                                ? iface->textInterface()->text(0, int(Buffer_.CharCount()))
                                : QString();
        QAccessibleTextUpdateEvent e(this, 0, QString(int(oldChars), QLatin1Char(' ')), now);
        SendAccessible(e);
    };
    Buffer_.SetLineObserver(AccessFeed_.get());
}

void TSrcEdit::AccessibleCaretMoved()
{
    if (!AccessibleEventsWanted())
        return;
    const int caret = int(Buffer_.OffsetOf(Buffer_.Caret()));
    const TTextPos s = Buffer_.GetSelStart(), e = Buffer_.GetSelEnd();
    if (s != AccessSelStart_ || e != AccessSelEnd_) {
        AccessSelStart_ = s;
        AccessSelEnd_ = e;
        QAccessibleTextSelectionEvent sel(this, s == e ? -1 : int(Buffer_.OffsetOf(s)),
                                          s == e ? -1 : int(Buffer_.OffsetOf(e)));
        sel.setCursorPosition(caret);
        SendAccessible(sel);
    }
    QAccessibleTextCursorEvent ev(this, caret);
    SendAccessible(ev);
}

// ---------------------------------------------------------------------------
// The client's side

QAccessibleInterface* SrcEditAccessibleFactory(const QString&, QObject* object)
{
    auto* edit = qobject_cast<TSrcEdit*>(object);
    if (!edit)
        return nullptr;
    edit->StartAccessibility();
    return new TSrcEditAccessible(edit);
}

TSrcEditAccessible::TSrcEditAccessible(TSrcEdit* edit)
    : QAccessibleWidget(edit, QAccessible::EditableText)
{
}

TSrcEdit* TSrcEditAccessible::Edit() const
{
    return static_cast<TSrcEdit*>(widget());
}

void* TSrcEditAccessible::interface_cast(QAccessible::InterfaceType t)
{
    if (t == QAccessible::TextInterface)
        return static_cast<QAccessibleTextInterface*>(this);
    return QAccessibleWidget::interface_cast(t);
}

QAccessible::State TSrcEditAccessible::state() const
{
    QAccessible::State s = QAccessibleWidget::state();
    const bool readOnly = Edit()->Buffer().ReadOnly;
    s.editable = !readOnly;
    s.readOnly = readOnly;
    s.multiLine = true;
    s.selectableText = true;
    s.focusable = true;
    return s;
}

QString TSrcEditAccessible::text(QAccessible::Text t) const
{
    if (t == QAccessible::Value)
        return text(0, characterCount());
    return QAccessibleWidget::text(t);
}

int TSrcEditAccessible::characterCount() const
{
    return int(Edit()->Buffer().CharCount());
}

int TSrcEditAccessible::cursorPosition() const
{
    const TTextBuffer& b = Edit()->Buffer();
    return int(b.OffsetOf(b.Caret()));
}

void TSrcEditAccessible::setCursorPosition(int position)
{
    TTextBuffer& b = Edit()->Buffer();
    b.SetCaret(b.PosAtOffset(position));
    b.ClearSelection();
    b.SetAnchor(b.Caret());
    if (!b.BringCaretIntoView())
        b.PlaceCaret();
}

int TSrcEditAccessible::selectionCount() const
{
    return Edit()->Buffer().HasSelection() ? 1 : 0;
}

void TSrcEditAccessible::selection(int selectionIndex, int* startOffset, int* endOffset) const
{
    const TTextBuffer& b = Edit()->Buffer();
    if (selectionIndex != 0 || !b.HasSelection()) {
        *startOffset = *endOffset = 0;
        return;
    }
    *startOffset = int(b.OffsetOf(b.GetSelStart()));
    *endOffset = int(b.OffsetOf(b.GetSelEnd()));
}

void TSrcEditAccessible::setSelection(int selectionIndex, int startOffset, int endOffset)
{
    if (selectionIndex != 0)
        return;
    TTextBuffer& b = Edit()->Buffer();
    const TTextPos from = b.PosAtOffset(startOffset), to = b.PosAtOffset(endOffset);
    b.SetAnchor(from);
    b.SetCaret(to);
    b.SelectRange(from, to);
    if (!b.BringCaretIntoView())
        b.PlaceCaret();
}

void TSrcEditAccessible::addSelection(int startOffset, int endOffset)
{
    // One selection at most: a new one replaces it.
    setSelection(0, startOffset, endOffset);
}

void TSrcEditAccessible::removeSelection(int selectionIndex)
{
    if (selectionIndex != 0)
        return;
    TTextBuffer& b = Edit()->Buffer();
    b.ClearSelection();
    b.SetAnchor(b.Caret());
    b.PlaceCaret();
}

QString TSrcEditAccessible::text(int startOffset, int endOffset) const
{
    const TTextBuffer& b = Edit()->Buffer();
    const int count = characterCount();
    startOffset = std::clamp(startOffset, 0, count);
    endOffset = std::clamp(endOffset, startOffset, count);
    const TTextPos from = b.PosAtOffset(startOffset), to = b.PosAtOffset(endOffset);
    QString out;
    out.reserve(endOffset - startOffset);
    for (std::int32_t l = from.Line; l <= to.Line; ++l) {
        const std::string& line = b.GetLine(l);
        const std::size_t a = l == from.Line ? std::size_t(from.Col - 1) : 0;
        const std::size_t z = l == to.Line ? std::size_t(to.Col - 1) : line.size();
        out += kep::TextToQString(std::string_view(line).substr(a, z - a), b.OemFile);
        if (l < to.Line)
            out += QLatin1Char('\n');
    }
    return out;
}

void TSrcEditAccessible::UnitAt(int offset, QAccessible::TextBoundaryType type, int* start, int* end) const
{
    const TTextBuffer& b = Edit()->Buffer();
    const int count = characterCount();
    offset = std::clamp(offset, 0, count);
    if (type == QAccessible::NoBoundary) {
        *start = 0;
        *end = count;
        return;
    }
    const TTextPos p = b.PosAtOffset(offset);
    const std::string& line = b.GetLine(p.Line);
    const int lineStart = int(b.OffsetOf(TTextPos{p.Line, 1}));
    const int lineEnd = lineStart + int(line.size()); // the break ending it
    if (type == QAccessible::LineBoundary || type == QAccessible::SentenceBoundary ||
        type == QAccessible::ParagraphBoundary) {
        *start = lineStart;
        *end = std::min(count, lineEnd + 1);
        return;
    }
    if (offset >= count) {
        *start = *end = count;
        return;
    }
    if (type == QAccessible::CharBoundary || offset == lineEnd) {
        *start = offset;
        *end = offset + 1;
        return;
    }
    // Words: a run of word characters, a run of blanks, or one other sign.
    auto kind = [](char ch) {
        const auto c = static_cast<unsigned char>(ch);
        return TTextBuffer::IsSearchWordChar(c) ? 1 : (c == ' ' || c == '\t') ? 2 : 0;
    };
    const int i = offset - lineStart;
    const int k = kind(line[std::size_t(i)]);
    int from = i, to = i + 1;
    if (k != 0) {
        while (from > 0 && kind(line[std::size_t(from - 1)]) == k)
            --from;
        while (to < int(line.size()) && kind(line[std::size_t(to)]) == k)
            ++to;
    }
    *start = lineStart + from;
    *end = lineStart + to;
}

QString TSrcEditAccessible::textAtOffset(int offset, QAccessible::TextBoundaryType type, int* startOffset,
                                         int* endOffset) const
{
    UnitAt(offset, type, startOffset, endOffset);
    return text(*startOffset, *endOffset);
}

QString TSrcEditAccessible::textBeforeOffset(int offset, QAccessible::TextBoundaryType type, int* startOffset,
                                             int* endOffset) const
{
    int s = 0, e = 0;
    UnitAt(offset, type, &s, &e);
    if (s <= 0 || type == QAccessible::NoBoundary) {
        *startOffset = *endOffset = 0;
        return QString();
    }
    UnitAt(s - 1, type, startOffset, endOffset);
    return text(*startOffset, *endOffset);
}

QString TSrcEditAccessible::textAfterOffset(int offset, QAccessible::TextBoundaryType type, int* startOffset,
                                            int* endOffset) const
{
    int s = 0, e = 0;
    UnitAt(offset, type, &s, &e);
    const int count = characterCount();
    if (e >= count || type == QAccessible::NoBoundary) {
        *startOffset = *endOffset = count;
        return QString();
    }
    UnitAt(e, type, startOffset, endOffset);
    return text(*startOffset, *endOffset);
}

QRect TSrcEditAccessible::characterRect(int offset) const
{
    TSrcEdit* ed = Edit();
    const TTextBuffer& b = ed->Buffer();
    const TTextPos p = b.PosAtOffset(offset);
    const std::string& line = b.GetLine(p.Line);
    const int x = b.PixelOfCol(line, p.Col);
    // A tab is as wide as the gap it fills; a line break as one character.
    const int right = std::size_t(p.Col) <= line.size() ? b.PixelOfCol(line, p.Col + 1) : x + ed->CharWidth();
    const QRect r(x - b.LeftPixel() + ed->TextLeft(), (p.Line - b.TopLine()) * ed->LineHeight(), right - x,
                  ed->LineHeight());
    return r.translated(ed->viewport()->mapToGlobal(QPoint(0, 0)));
}

int TSrcEditAccessible::offsetAtPoint(const QPoint& point) const
{
    TSrcEdit* ed = Edit();
    const QPoint p = ed->viewport()->mapFromGlobal(point);
    if (!ed->viewport()->rect().contains(p) || p.x() < ed->TextLeft())
        return -1;
    const TTextBuffer& b = ed->Buffer();
    return int(b.OffsetOf(ed->PosAtPoint(p, false)));
}

void TSrcEditAccessible::scrollToSubstring(int startIndex, int)
{
    TTextBuffer& b = Edit()->Buffer();
    const std::int32_t line = b.PosAtOffset(startIndex).Line;
    if (line < b.TopLine() || line >= b.TopLine() + b.Metrics().VisibleLines)
        b.ShowLine(line);
}

QString TSrcEditAccessible::attributes(int offset, int* startOffset, int* endOffset) const
{
    // The colouring is no attribute a reader needs: one plain run.
    Q_UNUSED(offset);
    *startOffset = 0;
    *endOffset = characterCount();
    return QString();
}
