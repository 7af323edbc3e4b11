#include "editor/UndoBuffer.h"

#include <cassert>
#include <cstring>

namespace {
constexpr int OffPrev = 0;
constexpr int OffLine = 4;
constexpr int OffCol = 8;
constexpr int OffNewLen = 12;
constexpr int OffText = 14;
} // namespace

std::int32_t TUndoBuffer::ReadI32(int at) const
{
    std::uint32_t v = std::uint32_t(Data_[std::size_t(at)]) | std::uint32_t(Data_[std::size_t(at) + 1]) << 8 |
                      std::uint32_t(Data_[std::size_t(at) + 2]) << 16 | std::uint32_t(Data_[std::size_t(at) + 3]) << 24;
    return std::int32_t(v);
}

void TUndoBuffer::WriteI32(int at, std::int32_t v)
{
    std::uint32_t u = std::uint32_t(v);
    for (int i = 0; i < 4; ++i)
        Data_[std::size_t(at + i)] = static_cast<unsigned char>(u >> (8 * i));
}

int TUndoBuffer::RecordSize(int at) const
{
    // The old text runs up to its NUL; a text never holds a NUL itself.
    const auto* text = reinterpret_cast<const char*>(Data_.data() + at + OffText);
    std::size_t len = strnlen(text, std::size_t(Size - at - OffText));
    return RecordOverhead + int(len);
}

int TUndoBuffer::Push(std::int32_t line, std::int32_t col, std::uint16_t newLen, std::string_view oldText)
{
    assert(Fits(oldText.size()));
    const int need = RecordOverhead + int(oldText.size());
    int at = Last_ < 0 ? 0 : Last_ + RecordSize(Last_);
    int discarded = 0;

    if (at + need > Size) {
        Complete_ = false;
        // Walk from the oldest record and drop records until the rest and the
        // new one fit, then slide the rest to the start of the block.
        int first = 0;
        while (first <= Last_ && (at - first) + need > Size) {
            first += RecordSize(first);
            ++discarded;
        }
        const int keep = at - first;
        if (keep > 0) {
            // Links are distances back to the previous record, so moving the
            // block keeps them; only the new oldest record loses its link.
            std::memmove(Data_.data(), Data_.data() + first, std::size_t(keep));
            WriteI32(OffPrev, 0);
            Last_ -= first;
        } else {
            Last_ = -1;
        }
        Count_ -= discarded;
        at = keep;
    }

    WriteI32(at + OffPrev, Last_ < 0 ? 0 : at - Last_);
    WriteI32(at + OffLine, line);
    WriteI32(at + OffCol, col);
    Data_[std::size_t(at + OffNewLen)] = static_cast<unsigned char>(newLen & 0xFF);
    Data_[std::size_t(at + OffNewLen + 1)] = static_cast<unsigned char>(newLen >> 8);
    if (!oldText.empty())
        std::memcpy(Data_.data() + at + OffText, oldText.data(), oldText.size());
    Data_[std::size_t(at + OffText) + oldText.size()] = 0;
    Last_ = at;
    ++Count_;
    return discarded;
}

TUndoBuffer::Record TUndoBuffer::Top() const
{
    Record r;
    if (Last_ < 0)
        return r;
    r.Line = ReadI32(Last_ + OffLine);
    r.Col = ReadI32(Last_ + OffCol);
    r.NewLen = std::uint16_t(Data_[std::size_t(Last_ + OffNewLen)] | Data_[std::size_t(Last_ + OffNewLen + 1)] << 8);
    const auto* text = reinterpret_cast<const char*>(Data_.data() + Last_ + OffText);
    r.OldText = std::string_view(text, std::size_t(RecordSize(Last_) - RecordOverhead));
    r.AtStart = Last_ == 0;
    return r;
}

void TUndoBuffer::Pop()
{
    if (Last_ < 0)
        return;
    Last_ = Last_ == 0 ? -1 : Last_ - ReadI32(Last_ + OffPrev);
    --Count_;
}

void TUndoBuffer::Clear()
{
    Last_ = -1;
    Count_ = 0;
    Complete_ = false;
}

void TUndoBuffer::Reset()
{
    Last_ = -1;
    Count_ = 0;
    Complete_ = true;
}
