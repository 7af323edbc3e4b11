#pragma once
// The undo history: a fixed block of 32768 bytes holding packed records, oldest
// first. A record is Prev (4) + Line (4) + Col (4) + NewLen (2) + the replaced
// text and its NUL. Prev is the distance back to the record before (0 for the
// oldest). The oldest records are discarded to make room.
#include <array>
#include <cstdint>
#include <string_view>

class TUndoBuffer {
public:
    static constexpr int Size = 32768;
    static constexpr int RecordOverhead = 15;

    struct Record {
        std::int32_t Line = 0;
        std::int32_t Col = 0;
        std::uint16_t NewLen = 0;
        std::string_view OldText; // valid until the next change of the buffer
        bool AtStart = false;     // the oldest record left in the buffer
    };

    // Whether a record for a replaced text of that length can be stored at all.
    static bool Fits(std::size_t oldLen) { return oldLen + RecordOverhead <= std::size_t(Size); }

    // Stores a record after the last one, discarding the oldest as needed.
    // Returns how many records were discarded. Requires Fits(oldText.size()).
    int Push(std::int32_t line, std::int32_t col, std::uint16_t newLen, std::string_view oldText);

    bool Empty() const { return Last_ < 0; }
    int Count() const { return Count_; }
    Record Top() const;
    // Forgets the last record; the one before it becomes the last.
    void Pop();
    // Forgets the whole history; it is no longer complete.
    void Clear();
    // Starts afresh with a complete history (a newly loaded text).
    void Reset();
    bool HistoryComplete() const { return Complete_; }

private:
    std::int32_t ReadI32(int at) const;
    void WriteI32(int at, std::int32_t v);
    int RecordSize(int at) const;

    std::array<unsigned char, Size> Data_{};
    int Last_ = -1; // offset of the last record, -1 when empty
    int Count_ = 0;
    bool Complete_ = true;
};
