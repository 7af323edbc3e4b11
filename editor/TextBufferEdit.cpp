// Editing commands, undo records and the positions that follow the edits.
#include "editor/TextBuffer.h"

#include <algorithm>

namespace {

// Positions a text occupies once inserted: CR LF counts one, as does a lone
// CR or LF; a NUL ends the text.
std::int64_t CountPositions(std::string_view text)
{
    std::int64_t n = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\0')
            break;
        if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
            ++i;
        ++n;
    }
    return n;
}

std::string SwapCase(std::string_view s)
{
    std::string out(s);
    for (auto& ch : out) {
        if (ch >= 'A' && ch <= 'Z')
            ch = char(ch + 32);
        else if (ch >= 'a' && ch <= 'z')
            ch = char(ch - 32);
    }
    return out;
}

} // namespace

// ---------------------------------------------------------------------------
// Positions

TTextPos TTextBuffer::AdvanceOver(TTextPos p, std::string_view text)
{
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\0')
            break;
        if (c == '\r' || c == '\n') {
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
                ++i;
            ++p.Line;
            p.Col = 1;
        } else {
            ++p.Col;
        }
    }
    return p;
}

TTextPos TTextBuffer::ForwardPositions(TTextPos p, std::int64_t n) const
{
    p = ClampPos(p);
    while (n > 0) {
        const auto len = std::int64_t(GetLine(p.Line).size());
        const std::int64_t room = len + 1 - p.Col; // characters left on the line
        if (n <= room) {
            p.Col += std::int32_t(n);
            break;
        }
        if (p.Line + 1 >= LineCount()) {
            p.Col = std::int32_t(len) + 1;
            break;
        }
        n -= room + 1;
        ++p.Line;
        p.Col = 1;
    }
    return p;
}

void TTextBuffer::AdjustPositions(TTextPos a, std::string_view oldText, std::string_view newText)
{
    const TTextPos b = AdvanceOver(a, oldText);
    const TTextPos newEnd = AdvanceOver(a, newText);
    AdjustPositionsRaw(a, b, newEnd.Line - b.Line, newEnd);
}

void TTextBuffer::AdjustPositionsRaw(TTextPos a, TTextPos b, std::int32_t lineDelta, TTextPos newEnd)
{
    auto movePos = [&](TTextPos& p) {
        if (p.Line < 0 || p < a)
            return;
        if (p < b) {
            p = a;
            return;
        }
        if (p.Line == b.Line)
            p.Col = newEnd.Col + (p.Col - b.Col);
        p.Line += lineDelta;
    };
    // A limit inside removed lines lands on the edit's line, never before it.
    auto moveLimit = [&](std::int32_t& l) {
        if (l == TEditView::NoMaxLine || l < a.Line)
            return;
        l = std::max(a.Line, l + lineDelta);
    };
    for (auto& m : Markers_)
        movePos(m);
    for (int i = 0; i < ViewCount(); ++i) {
        TEditView& v = Views_[std::size_t(i)];
        moveLimit(v.ViewMinLine);
        moveLimit(v.ViewMaxLine);
        if (i == Active_)
            continue;
        moveLimit(v.TopLine);
        movePos(v.Caret);
        movePos(v.SelStart);
        movePos(v.SelEnd);
    }
}

// ---------------------------------------------------------------------------
// Text changes

TTextPos TTextBuffer::InsertAt(TTextPos pos, std::string_view text)
{
    pos = ClampPos(pos);
    const std::int32_t startCol = pos.Col;
    const std::string& cur = GetLine(pos.Line);
    std::string tail = cur.substr(std::size_t(pos.Col - 1));
    std::string head = cur.substr(0, std::size_t(pos.Col - 1));

    std::size_t i = 0;
    auto segmentEnd = [&](std::size_t from) {
        while (from < text.size() && text[from] != '\r' && text[from] != '\n' && text[from] != '\0')
            ++from;
        return from;
    };
    std::size_t end = segmentEnd(0);
    head.append(text.substr(0, end));
    i = end;

    std::vector<std::string> added;
    while (i < text.size() && text[i] != '\0') {
        if (text[i] == '\r')
            ++i;
        if (i < text.size() && text[i] == '\n')
            ++i;
        if (i >= text.size()) {
            added.emplace_back();
            break;
        }
        end = segmentEnd(i);
        added.emplace_back(text.substr(i, end - i));
        i = end;
    }

    if (added.empty()) {
        pos.Col = std::int32_t(head.size()) + 1;
        head += tail;
        StoreLine(pos.Line, head);
        return pos;
    }
    const std::int32_t origin = pos.Line;
    pos.Line += std::int32_t(added.size());
    pos.Col = std::int32_t(added.back().size()) + 1;
    added.back() += tail;
    std::vector<std::string> all;
    all.reserve(added.size() + 1);
    all.push_back(std::move(head));
    for (auto& a : added)
        all.push_back(std::move(a));
    // A text inserted at the start of a line pushes that line down: its
    // identity goes with its text, and the new lines come before it.
    std::int32_t keep = 0; // which of the new texts the existing record takes
    if (startCol == 1)
        keep = std::int32_t(all.size()) - 1;
    StoreLine(origin, all[std::size_t(keep)]);
    std::vector<TLineRec> recs;
    recs.reserve(all.size() - 1);
    for (std::size_t k = 0; k < all.size(); ++k) {
        if (std::int32_t(k) == keep)
            continue;
        TLineRec rec;
        rec.Text = std::move(all[k]);
        rec.LineId = ++NextLineId_;
        if (WidthsValid_)
            TrackWidth(-1, LineWidth(rec.Text));
        recs.push_back(std::move(rec));
    }
    // One block insertion keeps long pastes linear in the table size.
    const std::int32_t at = keep == 0 ? origin + 1 : origin;
    std::vector<std::int32_t> lengths;
    if (Offsets_)
        for (const auto& r : recs)
            lengths.push_back(std::int32_t(r.Text.size()));
    const auto newLines = std::int32_t(recs.size());
    Lines_.insert(Lines_.begin() + at, std::make_move_iterator(recs.begin()), std::make_move_iterator(recs.end()));
    if (Offsets_)
        Offsets_->Insert(at, lengths);
    if (LineObserver_ && LineObserver_->Listening())
        LineObserver_->LinesInserted(at, newLines);
    LowerStateValid(origin);
    return pos;
}

void TTextBuffer::RemoveRange(TTextPos from, TTextPos to)
{
    from = ClampPos(from);
    to = ClampPos(to);
    if (to < from)
        std::swap(from, to);
    if (from == to)
        return;
    // Whole lines go with their identities: the line after them keeps its
    // own, so a reference to a deleted line is not taken for its neighbour.
    if (from.Col == 1 && to.Col == 1) {
        StoreEraseLines(from.Line, to.Line - from.Line);
        return;
    }
    std::string joined = GetLine(from.Line).substr(0, std::size_t(from.Col - 1));
    joined.append(GetLine(to.Line), std::size_t(to.Col - 1));
    StoreLine(from.Line, joined);
    StoreEraseLines(from.Line + 1, to.Line - from.Line);
}

void TTextBuffer::ReplaceSelection(std::string_view text)
{
    TEditView& v = View();
    if (HasSelection()) {
        RemoveRange(v.SelStart, v.SelEnd);
        v.Caret = v.SelStart;
    }
    v.Caret = InsertAt(v.Caret, text);
    v.SelStart = v.SelEnd = v.Caret;
    Anchor_ = v.Caret;
    if (!BringCaretIntoView())
        PlaceCaret();
}

void TTextBuffer::InsertText(std::string_view text)
{
    if (ReadOnly)
        return;
    const std::int32_t first = HasSelection() ? View().SelStart.Line : View().Caret.Line;
    const std::int32_t before = LineCount();
    ReplaceSelection(text);
    SetModified(true);
    AfterEdit(first, LineCount() == before ? View().Caret.Line : TTextBufferListener::ToBottom);
}

void TTextBuffer::AfterEdit(std::int32_t firstLine, std::int32_t lastLine)
{
    RepaintLines(firstLine, lastLine);
    ScrollBarsChanged();
}

// ---------------------------------------------------------------------------
// Undo

bool TTextBuffer::RecordUndo(std::string_view oldText, std::string_view newText, TTextPos pos)
{
    return StoreUndo(oldText, newText, pos, true, true);
}

bool TTextBuffer::StoreUndo(std::string_view oldText, std::string_view newText, TTextPos pos, bool adjust,
                            bool askHandler)
{
    // The stored text ends at its first NUL, as the insertion does.
    oldText = oldText.substr(0, std::min(oldText.size(), oldText.find('\0')));
    const std::int64_t newLen = CountPositions(newText);
    if (!TUndoBuffer::Fits(oldText.size()) || newLen > 65535) {
        if (askHandler && OnCannotStoreUndo && !OnCannotStoreUndo())
            return false;
        Undo_.Clear();
        InvalidateSavedPoint();
        FlagMarks_.clear();
    } else {
        if (SavedDepth_ > Undo_.Count())
            InvalidateSavedPoint(); // the saved text was undone and is lost to redo
        const int dropped = Undo_.Push(pos.Line, pos.Col, std::uint16_t(newLen), oldText);
        if (dropped > 0) {
            for (TFlagMark& m : FlagMarks_)
                m.Depth -= dropped;
            std::erase_if(FlagMarks_, [](const TFlagMark& m) { return m.Depth <= 0; });
        }
        if (SavedDepth_ >= 0) {
            SavedDepth_ -= dropped;
            if (SavedDepth_ < 0)
                InvalidateSavedPoint();
        }
    }
    if (adjust)
        AdjustPositions(pos, oldText, newText);
    SetModified(true);
    return true;
}

void TTextBuffer::Undo()
{
    if (Undo_.Empty() || ReadOnly)
        return;
    const TUndoBuffer::Record r = Undo_.Top();
    const std::string oldText(r.OldText);
    TEditView& v = View();
    const TTextPos at = ClampPos(TTextPos{r.Line, r.Col});
    v.Caret = at;
    if (r.NewLen > 0) {
        v.SelStart = at;
        v.SelEnd = ForwardPositions(at, r.NewLen);
    } else {
        v.SelStart = v.SelEnd = at;
    }
    const std::string current = GetSelText();
    const std::int32_t before = LineCount();
    AdjustPositions(at, current, oldText);
    ReplaceSelection(oldText);
    Undo_.Pop();
    if (!FlagMarks_.empty() && FlagMarks_.back().Depth > Undo_.Count()) {
        OemFile = FlagMarks_.back().OemFile;
        FlagMarks_.pop_back();
        RepaintAll();
    }
    SetModified(!(SavedDepth_ >= 0 && SavedDepth_ == Undo_.Count()));
    AfterEdit(at.Line, LineCount() == before ? v.Caret.Line : TTextBufferListener::ToBottom);
    Changed();
}

bool TTextBuffer::ReplaceLineBlock(std::int32_t first, const std::vector<std::string>& newLines, bool askHandler)
{
    const std::int32_t last = first + std::int32_t(newLines.size()) - 1;
    std::string oldText, newText;
    for (std::int32_t i = first; i <= last; ++i) {
        if (i > first) {
            oldText += "\r\n";
            newText += "\r\n";
        }
        oldText += GetLine(i);
        newText += newLines[std::size_t(i - first)];
    }
    if (!StoreUndo(oldText, newText, TTextPos{first, 1}, false, askHandler))
        return false;
    // Each line changed at one end only: let stored positions follow per line.
    for (std::int32_t i = first; i <= last; ++i) {
        const std::string& before = GetLine(i);
        const std::string& after = newLines[std::size_t(i - first)];
        if (before == after)
            continue;
        const auto lb = std::int32_t(before.size()), la = std::int32_t(after.size());
        if (la > lb && after.compare(std::size_t(la - lb), std::string::npos, before) == 0) {
            const TTextPos a{i, 1};
            AdjustPositionsRaw(a, a, 0, TTextPos{i, 1 + la - lb});
        } else if (lb > la && before.compare(std::size_t(lb - la), std::string::npos, after) == 0) {
            AdjustPositionsRaw(TTextPos{i, 1}, TTextPos{i, 1 + lb - la}, 0, TTextPos{i, 1});
        } else if (lb > la && before.compare(0, std::size_t(la), after) == 0) {
            AdjustPositionsRaw(TTextPos{i, la + 1}, TTextPos{i, lb + 1}, 0, TTextPos{i, la + 1});
        } else {
            AdjustPositions(TTextPos{i, 1}, before, after);
        }
        StoreLine(i, after);
    }
    return true;
}

// ---------------------------------------------------------------------------
// Commands

void TTextBuffer::TypeChar(unsigned char c)
{
    if (ReadOnly || (c < 32 && c != '\t'))
        return;
    TEditView& v = View();
    const std::string ch(1, char(c));
    v.Caret = ClampPos(v.Caret);
    std::int32_t first = v.Caret.Line, last = v.Caret.Line;
    bool overwrite = false;
    if (HasSelection()) {
        if (!RecordUndo(GetSelText(), ch, v.SelStart))
            return;
        first = v.SelStart.Line;
        if (v.SelEnd.Line != first)
            last = TTextBufferListener::ToBottom;
        else
            last = first;
        RemoveRange(v.SelStart, v.SelEnd);
        v.Caret = v.SelStart;
    } else {
        const std::string& line = GetLine(v.Caret.Line);
        const auto at = std::size_t(v.Caret.Col - 1);
        overwrite = ReplaceMode && at < line.size();
        if (!RecordUndo(overwrite ? line.substr(at, 1) : std::string(), ch, v.Caret))
            return;
    }
    std::string line = GetLine(v.Caret.Line);
    const auto at = std::size_t(v.Caret.Col - 1);
    if (overwrite)
        line[at] = char(c);
    else
        line.insert(at, 1, char(c));
    StoreLine(v.Caret.Line, line);
    ++v.Caret.Col;
    v.SelStart = v.SelEnd = v.Caret;
    Anchor_ = v.Caret;
    if (!BringCaretIntoView())
        RepaintLines(first, last);
    ScrollBarsChanged();
    Changed();
}

void TTextBuffer::DeleteKey(bool shift)
{
    if (ReadOnly)
        return;
    TEditView& v = View();
    if (HasSelection()) {
        if (shift) {
            CutToClipboard();
            return;
        }
        const std::int32_t first = v.SelStart.Line;
        const bool multi = v.SelStart.Line != v.SelEnd.Line;
        if (!RecordUndo(GetSelText(), {}, v.SelStart))
            return;
        ReplaceSelection({});
        AfterEdit(first, multi ? TTextBufferListener::ToBottom : first);
        Changed();
        return;
    }
    v.Caret = ClampPos(v.Caret);
    const std::string& line = GetLine(v.Caret.Line);
    const auto at = std::size_t(v.Caret.Col - 1);
    if (at < line.size()) {
        if (!RecordUndo(line.substr(at, 1), {}, v.Caret))
            return;
        std::string t = line;
        t.erase(at, 1);
        StoreLine(v.Caret.Line, t);
        RepaintLines(v.Caret.Line, v.Caret.Line);
    } else if (v.Caret.Line + 1 < LineCount()) {
        if (!RecordUndo("\r", {}, v.Caret))
            return;
        StoreLine(v.Caret.Line, line + GetLine(v.Caret.Line + 1));
        StoreEraseLines(v.Caret.Line + 1, 1);
        const int vis = std::max(1, Metrics_.VisibleLines);
        if (v.TopLine + vis > LineCount() && v.TopLine >= 1) {
            --v.TopLine;
            RepaintAll();
        } else {
            RepaintLines(v.Caret.Line, TTextBufferListener::ToBottom);
        }
    } else {
        return;
    }
    v.SelStart = v.SelEnd = v.Caret;
    Anchor_ = v.Caret;
    PlaceCaret();
    ScrollBarsChanged();
    Changed();
}

void TTextBuffer::Backspace(bool shift)
{
    if (ReadOnly)
        return;
    if (HasSelection()) {
        DeleteKey(shift);
        return;
    }
    TEditView& v = View();
    v.Caret = ClampPos(v.Caret);
    if (v.Caret.Line == 0 && v.Caret.Col == 1)
        return;
    if (v.Caret.Col == 1)
        v.Caret = TTextPos{v.Caret.Line - 1, std::int32_t(GetLine(v.Caret.Line - 1).size()) + 1};
    else
        --v.Caret.Col;
    v.SelStart = v.SelEnd = v.Caret;
    // Scroll back to the caret before the deletion repaints.
    BringCaretIntoView();
    DeleteKey(shift);
}

void TTextBuffer::Enter()
{
    if (ReadOnly)
        return;
    TEditView& v = View();
    const TTextPos at = HasSelection() ? v.SelStart : ClampPos(v.Caret);
    if (!RecordUndo(GetSelText(), "\r", at))
        return;
    v.Caret = at;
    ReplaceSelection("\r");
    AfterEdit(at.Line, TTextBufferListener::ToBottom);
    Changed();
}

void TTextBuffer::DeleteCurrentLine()
{
    if (ReadOnly)
        return;
    TEditView& v = View();
    const std::int32_t l = ClampPos(v.Caret).Line;
    const TTextPos from{l, 1};
    TTextPos to;
    if (l + 1 < LineCount()) {
        to = TTextPos{l + 1, 1};
    } else {
        if (GetLine(l).empty())
            return;
        to = TTextPos{l, std::int32_t(GetLine(l).size()) + 1};
    }
    if (!RecordUndo(GetText(from, to), {}, from))
        return;
    v.SelStart = from;
    v.SelEnd = to;
    ReplaceSelection({});
    v.Caret = TTextPos{l, 1};
    v.SelStart = v.SelEnd = v.Caret;
    Anchor_ = v.Caret;
    PlaceCaret();
    AfterEdit(l, TTextBufferListener::ToBottom);
    Changed();
}

void TTextBuffer::IndentBlock()
{
    ShiftBlock(true);
}

void TTextBuffer::UnindentBlock()
{
    ShiftBlock(false);
}

void TTextBuffer::ShiftBlock(bool indent)
{
    if (ReadOnly || !HasSelection())
        return;
    TEditView& v = View();
    // The selected lines, without the last one when the selection ends at
    // its start.
    const std::int32_t first = v.SelStart.Line;
    const std::int32_t last = v.SelEnd.Col == 1 ? v.SelEnd.Line - 1 : v.SelEnd.Line;
    if (last < first)
        return;
    std::vector<std::string> lines;
    std::vector<int> delta;
    for (std::int32_t i = first; i <= last; ++i) {
        const std::string& t = GetLine(i);
        int d;
        if (indent)
            d = t.empty() ? 0 : 2;
        else
            d = t.compare(0, 2, "  ") == 0 ? -2 : (!t.empty() && t[0] == ' ' ? -1 : 0);
        delta.push_back(d);
        lines.push_back(d > 0 ? "  " + t : t.substr(std::size_t(-d)));
    }
    const TTextPos caret = v.Caret, selStart = v.SelStart, selEnd = v.SelEnd;
    if (!ReplaceLineBlock(first, lines, true))
        return;
    // Columns on a changed line move with its text.
    auto shifted = [&](TTextPos p) {
        if (p.Line >= first && p.Line <= last)
            p.Col = std::max(1, p.Col + delta[std::size_t(p.Line - first)]);
        return ClampPos(p);
    };
    v.SelStart = shifted(selStart);
    v.SelEnd = shifted(selEnd);
    v.Caret = shifted(caret);
    PlaceCaret();
    AfterEdit(first, v.SelEnd.Line);
    Changed();
}

void TTextBuffer::CopyToClipboard()
{
    if (HasSelection())
        Clipboard_->SetText(GetSelText());
}

void TTextBuffer::CutToClipboard()
{
    if (ReadOnly || !HasSelection())
        return;
    TEditView& v = View();
    const std::string text = GetSelText();
    const std::int32_t first = v.SelStart.Line;
    const bool multi = v.SelStart.Line != v.SelEnd.Line;
    if (!RecordUndo(text, {}, v.SelStart))
        return;
    Clipboard_->SetText(text);
    ReplaceSelection({});
    AfterEdit(first, multi ? TTextBufferListener::ToBottom : first);
    Changed();
}

void TTextBuffer::PasteFromClipboard()
{
    if (ReadOnly || !Clipboard_->HasText())
        return;
    TEditView& v = View();
    const std::string text = Clipboard_->Text();
    const TTextPos at = HasSelection() ? v.SelStart : ClampPos(v.Caret);
    if (!RecordUndo(GetSelText(), text, at))
        return;
    const std::int32_t before = LineCount();
    const bool multi = HasSelection() && v.SelStart.Line != v.SelEnd.Line;
    ReplaceSelection(text);
    AfterEdit(at.Line, multi || LineCount() != before ? TTextBufferListener::ToBottom : at.Line);
    Changed();
}

bool TTextBuffer::ReplaceSelectionBy(std::string_view text)
{
    if (ReadOnly)
        return false;
    TEditView& v = View();
    const TTextPos at = HasSelection() ? v.SelStart : ClampPos(v.Caret);
    if (!RecordUndo(GetSelText(), text, at))
        return false;
    const std::int32_t before = LineCount();
    const bool multi = HasSelection() && v.SelStart.Line != v.SelEnd.Line;
    ReplaceSelection(text);
    SetModified(true);
    AfterEdit(at.Line, multi || LineCount() != before ? TTextBufferListener::ToBottom : at.Line);
    Changed();
    return true;
}

void TTextBuffer::ToggleCase()
{
    if (ReadOnly)
        return;
    TEditView& v = View();
    const bool hadSelection = HasSelection();
    TTextPos a, b;
    if (hadSelection) {
        a = v.SelStart;
        b = v.SelEnd;
    } else {
        TTextPos c = ClampPos(v.Caret);
        if (std::size_t(c.Col) > GetLine(c.Line).size()) {
            if (c.Line + 1 >= LineCount())
                return;
            c = TTextPos{c.Line + 1, 1};
        }
        v.Caret = c;
        if (GetLine(c.Line).empty()) {
            v.SelStart = v.SelEnd = c;
            Anchor_ = c;
            PlaceCaret();
            return;
        }
        a = c;
        b = TTextPos{c.Line, c.Col + 1};
    }
    const std::string oldText = GetText(a, b);
    const std::string newText = SwapCase(oldText);
    const TTextPos caret = v.Caret;
    bool changed = false;
    if (newText != oldText) {
        if (!RecordUndo(oldText, newText, a))
            return;
        v.SelStart = a;
        v.SelEnd = b;
        ReplaceSelection(newText);
        changed = true;
    }
    if (hadSelection) {
        v.SelStart = a;
        v.SelEnd = b;
        v.Caret = caret;
    } else {
        v.Caret = b;
        v.SelStart = v.SelEnd = b;
    }
    Anchor_ = hadSelection ? (v.Caret == a ? b : a) : v.Caret;
    if (!BringCaretIntoView())
        PlaceCaret();
    RepaintLines(a.Line, b.Line);
    if (changed)
        Changed();
}
