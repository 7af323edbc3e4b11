#include "build/U_ConsoleLines.h"

#include <algorithm>
#include <cstring>

namespace kep {

namespace {

// The line ends of one read. CR and NUL are rare: each is looked for once
// ahead and again only once passed, so a line costs one scan for its LF
// instead of three (memchr scans far faster than a byte loop, and a
// flooding tool must not wait for us).
class TStops {
public:
    explicit TStops(std::string_view bytes)
        : B_(bytes)
        , Cr_(Find('\r', 0))
        , Nul_(Find('\0', 0))
    {
    }
    // The next LF, CR or NUL from `i`, or npos.
    std::size_t Next(std::size_t i)
    {
        if (Cr_ < i)
            Cr_ = Find('\r', i);
        if (Nul_ < i)
            Nul_ = Find('\0', i);
        const std::size_t lim = std::min(Cr_, Nul_);
        if (const void* lf = std::memchr(B_.data() + i, '\n', lim - i))
            return std::size_t(static_cast<const char*>(lf) - B_.data());
        return lim == B_.size() ? std::string_view::npos : lim;
    }

private:
    // The first `c` from `i`, or the size.
    std::size_t Find(char c, std::size_t i) const
    {
        if (i >= B_.size())
            return B_.size();
        const void* p = std::memchr(B_.data() + i, c, B_.size() - i);
        return p ? std::size_t(static_cast<const char*>(p) - B_.data()) : B_.size();
    }
    std::string_view B_;
    std::size_t Cr_, Nul_;
};

constexpr std::string_view kCutMark = " [...]";

// The cut point moved back to the start of a UTF-8 character it would
// split: half a character would turn a valid UTF-8 line into one shown as
// code page 850. Bytes that do not look like UTF-8 there are cut as they are.
// `cut` < line.size().
std::size_t CharBoundary(std::string_view line, std::size_t cut)
{
    if ((static_cast<unsigned char>(line[cut]) & 0xC0) != 0x80)
        return cut;
    for (std::size_t back = 1; back <= 3 && back <= cut; ++back) {
        const auto c = static_cast<unsigned char>(line[cut - back]);
        if ((c & 0xC0) == 0x80)
            continue; // a continuation byte: the lead is further back
        const std::size_t length = c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC0 ? 2 : 1;
        return length > back ? cut - back : cut;
    }
    return cut;
}

} // namespace

void TConsoleLines::Feed(std::string_view bytes, const TSink& sink)
{
    TStops stops(bytes);
    std::size_t i = 0;
    while (i < bytes.size()) {
        const std::size_t stop = stops.Next(i);
        const std::size_t end = stop == std::string_view::npos ? bytes.size() : stop;
        if (end > i) {
            AfterCr_ = false;
            // A whole line in this read goes out without a copy.
            if (Pending_.empty() && stop != std::string_view::npos && bytes[stop] != '\0') {
                sink(bytes.substr(i, std::min(end - i, MaxPending)));
                i = stop + 1;
                AfterCr_ = bytes[stop] == '\r';
                continue;
            }
            // A stream without line ends must not grow without bound: past
            // the limit the rest of the line is dropped.
            if (Pending_.size() < MaxPending)
                Pending_.append(bytes.substr(i, std::min(end - i, MaxPending - Pending_.size())));
        }
        if (stop == std::string_view::npos)
            return;
        i = stop + 1;
        const char c = bytes[stop];
        if (c == '\0')
            continue; // dropped, as if never sent: a CR LF around it stays one end
        // The LF of a CR LF, maybe in the next read: the CR closed the line.
        if (c == '\n' && AfterCr_) {
            AfterCr_ = false;
            continue;
        }
        sink(Pending_);
        Pending_.clear();
        AfterCr_ = c == '\r';
    }
}

void TConsoleLines::Finish(const TSink& sink)
{
    AfterCr_ = false;
    if (Pending_.empty())
        return;
    // Moved out first so that a sink feeding this object again starts clean.
    std::string last = std::move(Pending_);
    Pending_.clear();
    sink(last);
}

TConsoleStore::TConsoleStore(std::size_t maxLines, std::size_t maxLineBytes)
    // A store keeping no line would leave the window blank for good.
    : MaxLines_(std::max<std::size_t>(maxLines, 1))
    , MaxLineBytes_(maxLineBytes)
{
}

void TConsoleStore::Append(std::string_view line)
{
    // Once full, the oldest slot takes the new line: its string keeps its
    // capacity, so a flood costs no allocation per line.
    std::string* slot;
    if (Lines_.size() < MaxLines_) {
        slot = &Lines_.emplace_back();
    } else {
        slot = &Lines_[Head_];
        Head_ = Head_ + 1 == Lines_.size() ? 0 : Head_ + 1;
        ++Dropped_;
    }
    if (line.size() <= MaxLineBytes_) {
        // Straight into the slot's buffer: a flood of lines of one length
        // costs a copy each and nothing more.
        slot->resize(line.size());
        if (!line.empty())
            std::memcpy(slot->data(), line.data(), line.size());
    } else {
        const std::size_t cut = CharBoundary(line, MaxLineBytes_);
        slot->assign(line.substr(0, cut));
        slot->append(kCutMark);
    }
    Longest_ = std::max(Longest_, slot->size());
}

void TConsoleStore::Clear()
{
    Lines_.clear();
    Head_ = 0;
    Dropped_ = 0;
    Longest_ = 0;
}

} // namespace kep
