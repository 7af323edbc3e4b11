// Keyboard and mouse input of the editor control: each key and button maps
// onto a command of the text buffer.
#include "editor/SrcEdit.h"

#include "platform/QtText.h"

#include <QApplication>
#include <QKeyEvent>
#include <QScrollBar>

#include <algorithm>

namespace {

bool IsDoubleClickWordChar(unsigned char c)
{
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_' || c >= 0xC0;
}

} // namespace

// ---------------------------------------------------------------------------
// Keyboard

bool TSrcEdit::focusNextPrevChild(bool)
{
    return false; // Tab is typed into the text
}

bool TSrcEdit::event(QEvent* e)
{
    // Ctrl keys the editor handles itself must not become shortcuts.
    if (e->type() == QEvent::ShortcutOverride) {
        auto* k = static_cast<QKeyEvent*>(e);
        const auto mods = k->modifiers() & (Qt::ControlModifier | Qt::AltModifier);
        if (mods == Qt::ControlModifier) {
            switch (k->key()) {
            case Qt::Key_C: case Qt::Key_X: case Qt::Key_V: case Qt::Key_Z: case Qt::Key_Y:
            case Qt::Key_K: case Qt::Key_Q: case Qt::Key_U: case Qt::Key_I: case Qt::Key_Insert:
            case Qt::Key_Home: case Qt::Key_End: case Qt::Key_Left: case Qt::Key_Right:
            case Qt::Key_Up: case Qt::Key_Down:
                e->accept();
                return true;
            default:
                break;
            }
        }
    }
    return QAbstractScrollArea::event(e);
}

void TSrcEdit::TypeChar(unsigned char c)
{
    Buffer_.TypeChar(c);
}

void TSrcEdit::PasteFromClipboard()
{
    Buffer_.PasteFromClipboard();
}

void TSrcEdit::HandleChar(unsigned char c)
{
    if (c < 32 && c != '\t')
        return;
    if (PrefixKey_) {
        const char prefix = PrefixKey_;
        PrefixKey_ = 0;
        if (c >= '0' && c <= '9') {
            if (prefix == 'K')
                Buffer_.ToggleMarker(c - '0', Buffer_.Caret());
            else
                Buffer_.GoToMarker(c - '0');
            MarginChanged();
        } else if (prefix == 'K' && Buffer_.HasSelection()) {
            if (c == '\t' || c == 'I' || c == 'i')
                Buffer_.IndentBlock();
            else if (c == 'U' || c == 'u')
                Buffer_.UnindentBlock();
        }
        return;
    }
    TypeChar(c);
}

void TSrcEdit::FinishMovement(bool shift)
{
    TTextBuffer& b = Buffer_;
    if (!b.BringCaretIntoView())
        b.PlaceCaret();
    if (shift) {
        if (b.Anchor() == b.Caret())
            b.SelectRange(b.Caret(), b.Caret());
        else
            b.SelectRange(b.Anchor(), b.Caret());
    } else {
        b.ClearSelection();
        b.SetAnchor(b.Caret());
    }
}

bool TSrcEdit::HandleMovementKey(int key, bool shift, bool ctrl)
{
    TTextBuffer& b = Buffer_;
    TEditView& v = b.View();
    TTextPos c = b.ClampPos(v.Caret);
    const std::string& line = b.GetLine(c.Line);
    const int vis = std::max(1, VisibleLines());

    // Extending a selection from inside it starts from the end that moves.
    if (shift && b.HasSelection() && c != v.SelStart && c != v.SelEnd) {
        const bool back = key == Qt::Key_PageUp || key == Qt::Key_Home || key == Qt::Key_Left || key == Qt::Key_Up;
        c = back ? v.SelStart : v.SelEnd;
        b.SetAnchor(back ? v.SelEnd : v.SelStart);
    }

    const bool vertical = !ctrl && (key == Qt::Key_Up || key == Qt::Key_Down || key == Qt::Key_PageUp ||
                                    key == Qt::Key_PageDown);
    if (vertical && b.DesiredX() < 0)
        b.SetDesiredX(b.PixelOfCol(line, c.Col));
    if (!vertical)
        b.SetDesiredX(-1);

    auto isBlank = [](char ch) { return ch == ' ' || ch == '\t'; };
    std::int32_t target = c.Line;
    switch (key) {
    case Qt::Key_Left:
        if (ctrl) {
            auto i = std::size_t(c.Col - 1);
            while (i > 0 && isBlank(line[i - 1]))
                --i;
            while (i > 0 && !isBlank(line[i - 1]))
                --i;
            c.Col = std::int32_t(i) + 1;
        } else if (c.Col > 1) {
            --c.Col;
        } else if (c.Line > 0) {
            --c.Line;
            c.Col = std::int32_t(b.GetLine(c.Line).size()) + 1;
        }
        break;
    case Qt::Key_Right:
        if (ctrl) {
            auto i = std::size_t(c.Col - 1);
            while (i < line.size() && isBlank(line[i]))
                ++i;
            while (i < line.size() && !isBlank(line[i]))
                ++i;
            c.Col = std::int32_t(i) + 1;
        } else if (std::size_t(c.Col) <= line.size()) {
            ++c.Col;
        } else if (c.Line + 1 < b.LineCount()) {
            ++c.Line;
            c.Col = 1;
        }
        break;
    case Qt::Key_Home:
        c = ctrl ? TTextPos{0, 1} : TTextPos{c.Line, 1};
        break;
    case Qt::Key_End:
        if (ctrl)
            c.Line = b.LineCount() - 1;
        c.Col = std::int32_t(b.GetLine(c.Line).size()) + 1;
        break;
    case Qt::Key_Up:
        if (ctrl) {
            b.SetTopLine(b.TopLine() - 1);
            return true;
        }
        target = c.Line - 1;
        break;
    case Qt::Key_Down:
        if (ctrl) {
            if (b.TopLine() < b.LineCount() - vis)
                b.SetTopLine(b.TopLine() + 1);
            return true;
        }
        target = c.Line + 1;
        break;
    case Qt::Key_PageUp:
        target = c.Line > b.TopLine() ? b.TopLine() : c.Line - (vis - 1);
        break;
    case Qt::Key_PageDown: {
        const std::int32_t lastVisible = b.TopLine() + vis - 1;
        target = c.Line < lastVisible ? lastVisible : c.Line + (vis - 1);
        break;
    }
    default:
        return false;
    }
    if (vertical) {
        target = std::clamp<std::int32_t>(target, 0, b.LineCount() - 1);
        c = TTextPos{target, b.ColAtPixel(b.GetLine(target), b.DesiredX())};
    }
    v.Caret = b.ClampPos(c);
    FinishMovement(shift);
    return true;
}

bool TSrcEdit::HandleCtrlKey(QKeyEvent* e)
{
    TTextBuffer& b = Buffer_;
    const int key = e->key();
    const bool shift = e->modifiers() & Qt::ShiftModifier;
    switch (key) {
    case Qt::Key_Home: case Qt::Key_End: case Qt::Key_Left: case Qt::Key_Right: case Qt::Key_Up: case Qt::Key_Down:
        return HandleMovementKey(key, shift, true);
    case Qt::Key_C:
    case Qt::Key_Insert:
        b.CopyToClipboard();
        return true;
    case Qt::Key_X:
        b.CutToClipboard();
        return true;
    case Qt::Key_V:
        PasteFromClipboard();
        return true;
    case Qt::Key_Z:
        b.Undo();
        return true;
    case Qt::Key_Y:
        b.DeleteCurrentLine();
        return true;
    case Qt::Key_K:
        PrefixKey_ = 'K';
        return true;
    case Qt::Key_Q:
        PrefixKey_ = 'Q';
        return true;
    case Qt::Key_U:
        if (PrefixKey_ == 'K')
            HandleChar('U');
        return true;
    case Qt::Key_I:
        // The control character of Tab: with or without a prefix it is Tab.
        HandleChar('\t');
        return true;
    default:
        return key >= 35 && key <= 90; // other Ctrl letters are swallowed
    }
}

void TSrcEdit::keyPressEvent(QKeyEvent* e)
{
    TTextBuffer& b = Buffer_;
    const auto mods = e->modifiers();
    const bool shift = mods & Qt::ShiftModifier;
    const bool ctrl = mods & Qt::ControlModifier;
    const bool alt = mods & Qt::AltModifier;
    const int key = e->key();
    e->accept();

    if (alt && key == Qt::Key_Backspace) {
        b.Undo();
        return;
    }
    if (ctrl && !alt) {
        if (!HandleCtrlKey(e))
            e->ignore();
        return;
    }
    switch (key) {
    case Qt::Key_Left: case Qt::Key_Right: case Qt::Key_Up: case Qt::Key_Down:
    case Qt::Key_Home: case Qt::Key_End: case Qt::Key_PageUp: case Qt::Key_PageDown:
        HandleMovementKey(key, shift, false);
        return;
    default:
        break;
    }
    b.SetDesiredX(-1);
    switch (key) {
    case Qt::Key_Backspace:
        b.Backspace(shift);
        return;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        b.Enter();
        return;
    case Qt::Key_Delete:
        b.DeleteKey(shift);
        return;
    case Qt::Key_Insert:
        if (shift) {
            PasteFromClipboard();
        } else {
            b.ReplaceMode = !b.ReplaceMode;
            if (b.OnInsReplSwap)
                b.OnInsReplSwap();
        }
        return;
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        HandleChar('\t');
        return;
    default:
        break;
    }
    const QString text = e->text();
    if (text.isEmpty() || alt) {
        e->ignore();
        return;
    }
    TypeText(text);
}

void TSrcEdit::TypeText(const QString& text)
{
    // A character the file's code page cannot hold is refused, never
    // replaced by a look-alike.
    for (const char32_t u : text.toUcs4()) {
        unsigned char c = 0;
        if (kep::UnicodeToText(u, Buffer_.OemFile, c)) {
            HandleChar(c);
        } else {
            QApplication::beep();
            emit InputRefused();
        }
    }
}

// ---------------------------------------------------------------------------
// Input methods: dead keys, compose sequences and the like commit their text
// here instead of through key presses.

void TSrcEdit::inputMethodEvent(QInputMethodEvent* e)
{
    const QString oldPreedit = Preedit_;
    Preedit_ = e->preeditString();
    const QString& commit = e->commitString();
    if (e->replacementStart() != 0 || e->replacementLength() != 0 || commit.contains(u'\n') ||
        commit.contains(u'\r')) {
        Buffer_.SetDesiredX(-1);
        CommitReplacing(commit, e->replacementStart(), e->replacementLength());
    } else if (!commit.isEmpty()) {
        Buffer_.SetDesiredX(-1);
        TypeText(commit);
    }
    if (oldPreedit != Preedit_ || !Preedit_.isEmpty()) {
        const QRect caret = CaretRect();
        const int width = std::max<int>(oldPreedit.size(), Preedit_.size()) * CharWidth() + 4;
        viewport()->update(QRect(caret.left(), caret.top() - 1, width, LineHeight()));
    }
    e->accept();
}

void TSrcEdit::CommitReplacing(const QString& commit, int from, int length)
{
    TTextBuffer& b = Buffer_;
    if (b.ReadOnly)
        return;
    // The file's characters, each line break (CR LF, CR or LF) as Return
    // stores it; control characters other than Tab are dropped as when typed.
    std::string text;
    const std::u32string chars = commit.toStdU32String();
    for (std::size_t i = 0; i < chars.size(); ++i) {
        const char32_t u = chars[i];
        unsigned char c = 0;
        if (u == U'\r' || u == U'\n') {
            if (u == U'\r' && i + 1 < chars.size() && chars[i + 1] == U'\n')
                ++i;
            text += '\r';
        } else if (u < 32 && u != U'\t') {
            continue;
        } else if (kep::UnicodeToText(u, b.OemFile, c)) {
            text += char(c);
        } else {
            QApplication::beep();
            emit InputRefused();
        }
    }

    // The range is counted from the caret on its line, once a selection has
    // gone as it would for any input: the line is then the first line of the
    // selection up to its start, and the last line from its end on.
    const TEditView& v = b.View();
    const bool sel = b.HasSelection();
    const TTextPos s = sel ? v.SelStart : b.ClampPos(v.Caret), end = sel ? v.SelEnd : s;
    const std::string& first = b.GetLine(s.Line);
    const std::string& last = b.GetLine(end.Line);
    const qint64 k = s.Col - 1;
    const qint64 n = k + qint64(last.size()) - (end.Col - 1);
    const qint64 a = std::clamp<qint64>(k + from, 0, n);
    const qint64 z = std::clamp<qint64>(a + std::max(0, length), a, n);
    // One replacement covering the selection and the range: text between
    // them that stays goes back with the commit.
    const TTextPos rangeFrom = a < k ? TTextPos{s.Line, std::int32_t(a + 1)} : s;
    const TTextPos rangeTo = z > k ? TTextPos{end.Line, std::int32_t(end.Col + (z - k))} : end;
    const std::string keptBefore = a > k ? last.substr(std::size_t(end.Col - 1), std::size_t(a - k)) : std::string();
    const std::string keptAfter = z < k ? first.substr(std::size_t(z), std::size_t(k - z)) : std::string();
    if (text.empty() && rangeFrom == rangeTo)
        return;
    b.SetCaret(rangeFrom);
    b.SelectRange(rangeFrom, rangeTo);
    if (!b.ReplaceSelectionBy(keptBefore + text + keptAfter))
        return;
    if (!keptAfter.empty()) {
        // The caret goes after the committed text.
        const TTextPos c = b.Caret();
        b.SetCaret(TTextPos{c.Line, c.Col - std::int32_t(keptAfter.size())});
        b.SetAnchor(b.Caret());
    }
}

QVariant TSrcEdit::inputMethodQuery(Qt::InputMethodQuery query) const
{
    const TTextBuffer& b = Buffer_;
    const TTextPos c = b.ClampPos(b.Caret());
    switch (query) {
    case Qt::ImEnabled:
        return !b.ReadOnly;
    case Qt::ImCursorRectangle: {
        // In the widget's coordinates: the candidate window opens below it.
        const QRect caret = CaretRect();
        return QRect(viewport()->mapTo(this, caret.topLeft()), caret.size());
    }
    case Qt::ImFont:
        return Font_;
    case Qt::ImSurroundingText:
        return kep::TextToQString(b.GetLine(c.Line), b.OemFile);
    case Qt::ImCursorPosition:
        return int(c.Col - 1);
    case Qt::ImAnchorPosition: {
        const TTextPos a = b.Anchor();
        return b.HasSelection() && a.Line == c.Line ? int(a.Col - 1) : int(c.Col - 1);
    }
    case Qt::ImCurrentSelection:
        return b.HasSelection() && b.GetSelStart().Line == b.GetSelEnd().Line
                   ? kep::TextToQString(b.GetSelText(), b.OemFile)
                   : QString();
    case Qt::ImHints:
        return int(Qt::ImhMultiLine | Qt::ImhNoPredictiveText);
    default:
        return QAbstractScrollArea::inputMethodQuery(query);
    }
}

// ---------------------------------------------------------------------------
// Mouse

void TSrcEdit::mousePressEvent(QMouseEvent* e)
{
    if (e->button() != Qt::LeftButton) {
        QAbstractScrollArea::mousePressEvent(e);
        return;
    }
    TTextBuffer& b = Buffer_;
    b.SetDesiredX(-1);
    b.View().Caret = PosAtPoint(e->position().toPoint(), true);
    if (e->modifiers() & Qt::ShiftModifier) {
        b.SelectRange(b.Anchor(), b.Caret());
    } else {
        b.ClearSelection();
        b.SetAnchor(b.Caret());
    }
    if (!hasFocus())
        setFocus(Qt::MouseFocusReason);
    b.PlaceCaret();
    viewport()->update(LineRect(b.CaretLine()));
    Dragging_ = true;
}

void TSrcEdit::DragTo(QPoint p)
{
    TTextBuffer& b = Buffer_;
    const int lh = std::max(1, LineHeight());
    const int vis = std::max(1, VisibleLines());
    const int h = viewport()->height();
    if (p.y() < 0) {
        // Above the top: scroll up and extend to the start of the new top line.
        const int lines = 1 - p.y() / lh;
        b.SetTopLine(b.TopLine() - lines);
        b.View().Caret = TTextPos{b.TopLine(), 1};
    } else if (p.y() >= h) {
        if (b.TopLine() + vis < b.LineCount()) {
            const int lines = (p.y() - h) / lh + 1;
            b.SetTopLine(std::min(b.TopLine() + lines, b.MaxTopLine()));
        }
        const std::int32_t lastVisible = std::min(b.TopLine() + vis - 1, b.LineCount() - 1);
        b.View().Caret = TTextPos{lastVisible, std::int32_t(b.GetLine(lastVisible).size()) + 1};
    } else {
        b.View().Caret = PosAtPoint(p, true);
        DragTimer_.stop();
    }
    b.SelectRange(b.Anchor(), b.Caret());
    if (!b.BringCaretIntoView())
        b.PlaceCaret();
}

void TSrcEdit::mouseMoveEvent(QMouseEvent* e)
{
    const QPoint p = e->position().toPoint();
    viewport()->setCursor(p.x() > LargMarge() - 1 ? Qt::IBeamCursor : Qt::ArrowCursor);
    if (!Dragging_ || !(e->buttons() & Qt::LeftButton))
        return;
    DragPoint_ = p;
    DragTo(p);
    if ((p.y() < 0 || p.y() >= viewport()->height()) && !DragTimer_.isActive())
        DragTimer_.start();
}

void TSrcEdit::mouseReleaseEvent(QMouseEvent* e)
{
    if (e->button() == Qt::LeftButton) {
        Dragging_ = false;
        DragTimer_.stop();
    }
    QAbstractScrollArea::mouseReleaseEvent(e);
}

void TSrcEdit::mouseDoubleClickEvent(QMouseEvent* e)
{
    if (e->button() != Qt::LeftButton)
        return;
    TTextBuffer& b = Buffer_;
    // The second press of a double click arrives as this event alone.
    b.View().Caret = PosAtPoint(e->position().toPoint(), true);
    const TTextPos c = b.ClampPos(b.Caret());
    const std::string& line = b.GetLine(c.Line);
    auto word = [&](std::int32_t col) {
        return col >= 1 && std::size_t(col) <= line.size() &&
               IsDoubleClickWordChar(static_cast<unsigned char>(line[std::size_t(col - 1)]));
    };
    if (word(c.Col) || word(c.Col - 1)) {
        std::int32_t from = word(c.Col) ? c.Col : c.Col - 1, to = from;
        while (word(from - 1))
            --from;
        while (word(to + 1))
            ++to;
        b.SetAnchor(TTextPos{c.Line, from});
        b.View().Caret = TTextPos{c.Line, to + 1};
        b.SelectRange(b.Anchor(), b.Caret());
        b.PlaceCaret();
    }
    Dragging_ = false;
}

void TSrcEdit::wheelEvent(QWheelEvent* e)
{
    // A touchpad that reports pixels scrolls by line heights; a wheel by
    // three lines a notch (120). What is left below one line is kept for the
    // next event in the same direction, so a high-resolution wheel sending a
    // notch in eighths scrolls as far as a plain one.
    const int pixels = e->pixelDelta().y();
    const bool byPixels = pixels != 0;
    const int delta = byPixels ? pixels : e->angleDelta().y();
    if (delta == 0) {
        e->ignore();
        return;
    }
    const int step = byPixels ? std::max(1, LineHeight()) : 40;
    if (e->phase() == Qt::ScrollBegin || byPixels != WheelByPixels_ || (WheelRest_ < 0) != (delta < 0))
        WheelRest_ = 0;
    WheelByPixels_ = byPixels;
    WheelRest_ += delta;
    const int lines = WheelRest_ / step;
    WheelRest_ -= lines * step;
    if (lines != 0)
        Buffer_.SetTopLine(Buffer_.TopLine() - lines);
    e->accept();
}

void TSrcEdit::focusInEvent(QFocusEvent* e)
{
    QAbstractScrollArea::focusInEvent(e);
    CaretOn_ = true;
    BlinkTimer_.start();
    Buffer_.PlaceCaret();
    viewport()->update(LineRect(Buffer_.CaretLine()));
}

void TSrcEdit::focusOutEvent(QFocusEvent* e)
{
    QAbstractScrollArea::focusOutEvent(e);
    BlinkTimer_.stop();
    RepaintCaret();
}
