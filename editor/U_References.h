#pragma once
// The lines of the open documents where a word occurs, as the "Références"
// window lists them: one header per document, then one item per line. An
// item keeps its entry index and the line's identity, so a click still
// reaches the line after lines were inserted above it.
#include "editor/TextBuffer.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kep {

// The window's three check boxes.
enum TRefOption : unsigned {
    roRemarques = 1, // search inside comments too
    roMotSeul = 2,   // whole word
    roMinMaj = 4,    // case ignored
};
inline constexpr unsigned RefOptionsDefaut = roMotSeul | roMinMaj;
// The key "Options": "Remarques,Mot entier,min=MAJ" as 0/1 ("0,1,1").
unsigned ParseRefOptions(std::string_view text);
std::string RefOptionsText(unsigned options);

struct TRefItem {
    bool Header = false;
    int Entry = -1;            // index of the sources-list entry
    std::int32_t LineId = -1;  // the line's identity; -1 for a header
    std::int32_t Number = 0;   // 1-based line number at listing time
    std::string Text;          // header: the entry's name; line: its text as stored
    std::string Folder;        // header: the folder part of the file's name
};

// The items of one document (algorithm of the window): a header, then the
// lines of the view's limits where the word occurs; nothing at all when no
// line does. Without roRemarques a line is cut before its first ";". When
// `caretItem` is given it receives the index in the result of the item of
// the view's caret line, -1 when there is none.
std::vector<TRefItem> DocumentRefs(std::string_view word, unsigned options, std::string_view entryName,
                                   std::string_view fileName, const TTextBuffer& buffer, int view, int entry,
                                   int* caretItem = nullptr);

} // namespace kep
