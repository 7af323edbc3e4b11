#pragma once
// Cuts a text that arrives in pieces into the records of a line table. CR LF,
// CR and LF each end a line, also when a CR LF is cut between two pieces, and
// a text that ends with a line break has an empty last line. Each line's pixel
// width is measured while its bytes are still in the cache, so that a large
// file needs no second pass over its lines.
#include "editor/TextBuffer.h"

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

class TLineSplitter {
public:
    // expectedBytes sizes the table ahead; a wrong guess only costs growth.
    TLineSplitter(const TEditMetrics& metrics, std::size_t expectedBytes);

    void Add(std::string_view piece);
    // Ends the last line and hands the table over.
    std::vector<TLineRec> Finish();
    // Number of lines of each pixel width, once finished.
    std::map<int, std::int32_t> WidthCounts() const;

private:
    void Push(std::string_view text, int width);

    const TEditMetrics& Metrics_;
    std::vector<TLineRec> Lines_;
    std::string Carry_;    // the start of a line cut by the end of a piece
    bool PendingCr_ = false; // the last piece ended with CR: skip a leading LF
    // Widths below the bound counted in place, the rare wider ones in the map.
    static constexpr int FlatWidths = 1 << 14;
    std::vector<std::int32_t> FlatCounts_;
    std::map<int, std::int32_t> WideCounts_;
};
