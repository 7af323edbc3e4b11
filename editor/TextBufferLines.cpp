// Whole-line rewrites made by the text commands of the main window (comment
// blocks, reversing lines, code-page conversion, the developer's tools): one
// undo step each, keeping line identities wherever the lines survive.
#include "editor/TextBuffer.h"

#include <algorithm>

namespace {

std::string JoinLines(std::vector<std::string>::const_iterator from, std::vector<std::string>::const_iterator to)
{
    std::string out;
    for (auto it = from; it != to; ++it) {
        if (it != from)
            out += "\r\n";
        out += *it;
    }
    return out;
}

} // namespace

bool TTextBuffer::ReplaceLines(std::int32_t first, std::int32_t count, const std::vector<std::string>& newLines)
{
    if (ReadOnly)
        return false;
    first = std::clamp<std::int32_t>(first, 0, LineCount());
    count = std::clamp<std::int32_t>(count, 0, LineCount() - first);
    const auto newCount = std::int32_t(newLines.size());

    // Lines equal at either end stay where they are, with their identity.
    std::int32_t head = 0;
    while (head < count && head < newCount && GetLine(first + head) == newLines[std::size_t(head)])
        ++head;
    std::int32_t tail = 0;
    while (tail < count - head && tail < newCount - head &&
           GetLine(first + count - 1 - tail) == newLines[std::size_t(newCount - 1 - tail)])
        ++tail;
    const std::int32_t at = first + head;
    const std::int32_t oldN = count - head - tail;
    const std::int32_t newN = newCount - head - tail;
    if (oldN == 0 && newN == 0)
        return false;

    TEditView& v = View();
    const TTextPos caret = v.Caret, selStart = v.SelStart, selEnd = v.SelEnd;
    const auto midFrom = newLines.begin() + head;
    const auto midTo = midFrom + newN;

    auto finish = [&](const auto& follow, std::int32_t repaintTo) {
        v.Caret = follow(caret);
        v.SelStart = follow(selStart);
        v.SelEnd = follow(selEnd);
        Anchor_ = v.Caret == v.SelStart ? v.SelEnd : v.SelStart;
        if (!BringCaretIntoView())
            PlaceCaret();
        AfterEdit(at, repaintTo);
        Changed();
        return true;
    };

    if (oldN == newN) {
        if (!ReplaceLineBlock(at, std::vector<std::string>(midFrom, midTo), true))
            return false;
        return finish([this](TTextPos p) { return ClampPos(p); }, at + oldN - 1);
    }

    // Otherwise the span of lines is one text replacement.
    const std::int32_t last = LineCount() - 1;
    auto lineEnd = [this](std::int32_t l) { return TTextPos{l, std::int32_t(GetLine(l).size()) + 1}; };
    TTextPos from, to;
    std::string newText = JoinLines(midFrom, midTo);
    if (oldN > 0 && newN > 0) {
        from = TTextPos{at, 1};
        to = lineEnd(at + oldN - 1);
    } else if (oldN > 0) { // lines removed
        if (at + oldN <= last) {
            from = TTextPos{at, 1};
            to = TTextPos{at + oldN, 1};
        } else if (at > 0) {
            from = lineEnd(at - 1);
            to = lineEnd(last);
        } else {
            from = TTextPos{0, 1};
            to = lineEnd(last);
        }
    } else if (at <= last) { // lines inserted before a line
        from = to = TTextPos{at, 1};
        newText += "\r\n";
    } else { // lines added after the last one
        from = to = lineEnd(last);
        newText.insert(0, "\r\n");
    }
    if (!StoreUndo(GetText(from, to), newText, from, true, true))
        return false;
    v.SelStart = v.Caret = from;
    v.SelEnd = to;
    const TTextPos newEnd = AdvanceOver(from, newText);
    ReplaceSelection(newText);

    // Positions after the span move with it; inside it they keep their line
    // and column as far as the new lines allow.
    const std::int32_t lineDelta = newEnd.Line - to.Line;
    auto follow = [&](TTextPos p) {
        if (p < from)
            return p;
        if (!(p < to)) {
            if (p.Line == to.Line)
                p.Col = newEnd.Col + (p.Col - to.Col);
            p.Line += lineDelta;
            return ClampPos(p);
        }
        return ClampPos(TTextPos{std::min(p.Line, newEnd.Line), p.Col});
    };
    return finish(follow, TTextBufferListener::ToBottom);
}

bool TTextBuffer::SetCodePageText(const std::vector<std::string>& lines, bool oemFile)
{
    if (ReadOnly)
        return false;
    const bool before = OemFile;
    bool same = std::int32_t(lines.size()) == LineCount();
    for (std::int32_t i = 0; same && i < LineCount(); ++i)
        same = GetLine(i) == lines[std::size_t(i)];
    if (same) {
        // The same bytes: the step still carries the flag.
        if (!StoreUndo({}, {}, TTextPos{0, 1}, false, true))
            return false;
        Changed();
    } else if (!ReplaceLines(0, LineCount(), lines)) {
        return false;
    }
    // An empty history here means the step went without a record.
    if (CanUndo())
        FlagMarks_.push_back(TFlagMark{Undo_.Count(), before});
    OemFile = oemFile;
    RepaintAll();
    return true;
}
