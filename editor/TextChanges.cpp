#include "editor/TextChanges.h"

#include <algorithm>

void TTextChangeFeed::Report(std::int64_t offset, std::string_view removed, std::string_view inserted) const
{
    if (OnChange && (!removed.empty() || !inserted.empty()))
        OnChange(offset, removed, inserted);
}

std::string TTextChangeFeed::Join(std::int32_t first, std::int32_t count, bool leading) const
{
    std::string out;
    for (std::int32_t i = first; i < first + count; ++i) {
        if (leading)
            out += '\n';
        out += Buffer_.GetLine(i);
        if (!leading)
            out += '\n';
    }
    return out;
}

void TTextChangeFeed::LineReplaced(std::int32_t line, std::string_view oldText)
{
    if (!OnChange)
        return;
    const std::string_view now = Buffer_.GetLine(line);
    // What the two texts share at each end is no change.
    std::size_t head = 0;
    const std::size_t shortest = std::min(oldText.size(), now.size());
    while (head < shortest && oldText[head] == now[head])
        ++head;
    std::size_t tail = 0;
    while (tail < shortest - head && oldText[oldText.size() - 1 - tail] == now[now.size() - 1 - tail])
        ++tail;
    Report(Buffer_.OffsetOf(TTextPos{line, 1}) + std::int64_t(head),
           oldText.substr(head, oldText.size() - head - tail), now.substr(head, now.size() - head - tail));
}

void TTextChangeFeed::LinesInserted(std::int32_t first, std::int32_t count)
{
    if (!OnChange || count <= 0)
        return;
    const std::int64_t start = Buffer_.OffsetOf(TTextPos{first, 1});
    if (first + count < Buffer_.LineCount())
        Report(start, {}, Join(first, count, false));
    else // after the last line: the break goes before the new lines
        Report(start - 1, {}, Join(first, count, true));
}

void TTextChangeFeed::LinesErasing(std::int32_t first, std::int32_t count)
{
    if (!OnChange || count <= 0)
        return;
    const std::int64_t start = Buffer_.OffsetOf(TTextPos{first, 1});
    if (first + count < Buffer_.LineCount()) {
        Report(start, Join(first, count, false), {});
    } else if (first > 0) {
        Report(start - 1, Join(first, count, true), {});
    } else {
        // Every line: the text that stays is one empty line.
        std::string all = Join(0, count, false);
        all.pop_back();
        Report(0, all, {});
    }
}

void TTextChangeFeed::LinesReset(std::int64_t oldChars)
{
    if (OnReset)
        OnReset(oldChars);
}
