#include "editor/LineSplitter.h"

#include <algorithm>
#include <cstring>

TLineSplitter::TLineSplitter(const TEditMetrics& metrics, std::size_t expectedBytes)
    : Metrics_(metrics)
    , FlatCounts_(FlatWidths, 0)
{
    // Source lines run about 25 bytes; a table reserved a little large only
    // takes address space, the pages it never touches cost nothing.
    Lines_.reserve(std::max<std::size_t>(16, expectedBytes / 20));
}

void TLineSplitter::Push(std::string_view text, int width)
{
    Lines_.push_back(TLineRec{std::string(text), std::int32_t(Lines_.size()), 0});
    if (width < FlatWidths)
        ++FlatCounts_[std::size_t(width)];
    else
        ++WideCounts_[width];
}

void TLineSplitter::Add(std::string_view s)
{
    if (s.empty())
        return;
    const auto* p = reinterpret_cast<const unsigned char*>(s.data());
    const auto* const end = p + s.size();
    if (PendingCr_) {
        PendingCr_ = false;
        if (*p == '\n')
            ++p;
    }
    const int cw = Metrics_.CharWidth;
    const auto& stops = Metrics_.TabStops;
    while (p < end) {
        // One pass over the line finds its end (the LF found by memchr, or a
        // CR before it) and measures it.
        const auto* lf = static_cast<const unsigned char*>(std::memchr(p, '\n', std::size_t(end - p)));
        const auto* const limit = lf ? lf : end;
        const auto* const start = p;
        const auto* run = p; // the first character since the last tab
        int x = 0;
        for (; p < limit && *p > '\r'; ++p) {
        }
        while (p < limit && *p != '\r') {
            if (*p == '\t') {
                x += int(p - run) * cw;
                auto it = std::upper_bound(stops.begin(), stops.end(), x);
                x = it != stops.end() ? *it : x + 2 * cw;
                run = p + 1;
            }
            ++p;
            for (; p < limit && *p > '\r'; ++p) {
            }
        }
        if (p == end) {
            Carry_.append(reinterpret_cast<const char*>(start), std::size_t(end - start));
            return;
        }
        const std::string_view text(reinterpret_cast<const char*>(start), std::size_t(p - start));
        if (Carry_.empty()) {
            Push(text, x + int(p - run) * cw);
        } else {
            Carry_.append(text);
            Push(Carry_, TextPixelWidth(Carry_, Metrics_));
            Carry_.clear();
        }
        if (*p++ == '\r') {
            if (p == end)
                PendingCr_ = true;
            else if (*p == '\n')
                ++p;
        }
    }
}

std::vector<TLineRec> TLineSplitter::Finish()
{
    Push(Carry_, TextPixelWidth(Carry_, Metrics_));
    Carry_.clear();
    PendingCr_ = false;
    return std::move(Lines_);
}

std::map<int, std::int32_t> TLineSplitter::WidthCounts() const
{
    std::map<int, std::int32_t> out = WideCounts_;
    for (std::size_t w = 0; w < FlatCounts_.size(); ++w)
        if (FlatCounts_[w])
            out.emplace(int(w), FlatCounts_[w]);
    return out;
}
