#pragma once
// The lines of a console stream as a build tool writes them, and the line
// store of the build output window. Plain C++, no window.
#include <cstddef>
#include <cstdint>
#include <vector>
#include <functional>
#include <string>
#include <string_view>

namespace kep {

// Cuts a byte stream into lines. A line ends at LF, CR or CR LF, also when
// the CR and the LF come in two reads. NUL bytes are dropped. Text after the
// last line end waits for the next read, or for Finish.
class TConsoleLines {
public:
    using TSink = std::function<void(std::string_view line)>;
    // The longest line passed on whole; the bytes beyond are dropped.
    static constexpr std::size_t MaxPending = std::size_t(1) << 20;

    void Feed(std::string_view bytes, const TSink& sink);
    // The last line when it has no end; nothing otherwise.
    void Finish(const TSink& sink);
    const std::string& Pending() const { return Pending_; }

private:
    std::string Pending_;
    bool AfterCr_ = false;
};

// The lines an output window keeps: the last MaxLines of them, each cut to
// MaxLineBytes (a cut line ends with " [...]"). Lines are numbered from the
// first ever appended, so a view can tell how many fell off the top. Appending is O(1)
// and, once the store is full, reuses the dropped line's memory.
class TConsoleStore {
public:
    static constexpr std::size_t DefaultMaxLines = 100000;
    static constexpr std::size_t DefaultMaxLineBytes = 4096;

    explicit TConsoleStore(std::size_t maxLines = DefaultMaxLines, std::size_t maxLineBytes = DefaultMaxLineBytes);

    void Append(std::string_view line);
    void Clear();

    std::size_t Count() const { return Lines_.size(); }
    const std::string& Line(std::size_t i) const // 0 = oldest kept
    {
        const std::size_t k = Head_ + i;
        return Lines_[k < Lines_.size() ? k : k - Lines_.size()];
    }
    std::uint64_t Dropped() const { return Dropped_; } // lines that fell off the top
    std::uint64_t Total() const { return Dropped_ + Lines_.size(); }
    std::size_t MaxLines() const { return MaxLines_; }
    std::size_t MaxLineBytes() const { return MaxLineBytes_; }
    std::size_t LongestLine() const { return Longest_; } // in bytes, of the kept lines ever seen

private:
    std::vector<std::string> Lines_; // a ring once full; Head_ is the oldest
    std::size_t Head_ = 0;
    std::uint64_t Dropped_ = 0;
    std::size_t MaxLines_;
    std::size_t MaxLineBytes_;
    std::size_t Longest_ = 0;
};

} // namespace kep
