#pragma once
// Reading build errors out of an error file whose layout the user describes:
// which lines start an error block, where the source file name and the line
// number stand, and what goes to the status bar. Plain C++, no window.
#include "config/U_Options.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace kep {

// The twelve layout values with their numbers parsed and clamped: line
// positions to 0..20, the block size to 1..1000 (a text that is no number
// gives 1).
struct TErrLayout {
    std::string FichErr;
    std::string MarqErr;
    int LigMarqErr = 0;
    std::string MarqErr2;
    int LigMarqErr2 = 0;
    int NbrLigErr = 1;
    std::string DebNomFich;
    std::string FinNomFich;
    int LigNomFich = 0;
    std::string DebNumLig;
    std::string FinNumLig;
    int LigNumLig = 0;
};
TErrLayout ErrLayoutOf(const TErrDefaults& err);

// Column of a marker in a line. "#n" is column n whatever the text (the
// digits after "#" up to the first non-digit, as EntierDebut reads them; 0
// without digits). A text marker gives the 1-based position of its first
// occurrence plus `added`, or 0 plus `added` when absent; an empty marker
// counts as absent. Start markers pass their own length (the column after
// the text), end markers -1 (the column before it).
int PosMarqueur(std::string_view marker, std::string_view line, int added);

// The text between a start and an end marker, both columns included; a start
// below 1 counts as 1, an end past the line stops at its end, an end before
// the start gives "".
std::string ChampEntre(std::string_view line, std::string_view deb, std::string_view fin);

// The integer at the start of a text: leading spaces skipped, digits up to
// the first other character, 0 without digits (and for values beyond int).
int EntierDebut(std::string_view text);

// One recognised error block.
struct TErrBlock {
    std::int32_t BlockStart = 0; // first line of the block (0-based)
    // Where the search position goes: past the block, or left on the block
    // when its line number could not be located (start column 0).
    std::int32_t NextSearch = 0;
    bool HasLine = false;   // false: the number's start column was 0, nothing more to do
    bool IsMake = false;    // an error of the make tool itself ("MAKE" after the first ": ")
    std::string FileName;   // as written in the block, trimmed of codes <= 32
    int LineNumber = 0;     // as written (1-based), 0 when no digit
    std::string Status;     // status-bar text: tabs shown as "_", at most 255 characters
    bool HasWord = false;   // the message holds " '"
    std::string Word;       // the word to highlight, upper-cased
    // Set by the assemblers' own readers only (U_ErrAssembleur.h).
    bool IsWarning = false;
    // The message names no source line (a linker error about memory, a
    // missing source): its text is all there is to show.
    bool StatusOnly = false;
    // With LineNumber 0: the line to reach is the first of FileName that
    // uses this word (LigneUtilisant), as written in the message.
    std::string FindWord;
};

// Looks for the next block from line `from` to the last of `count` lines.
// `line(i)` is only asked for 0 <= i < count. A marker whose block would
// start above the first line is passed over; name or number lines past the
// last line read as empty. Nothing when no line from `from` on matches.
using TLineAt = std::function<const std::string&(std::int32_t)>;
std::optional<TErrBlock> NextErrorBlock(const TLineAt& line, std::int32_t count, std::int32_t from,
                                        const TErrLayout& layout);

// What to select on the line reached: the word where the upper-cased line
// holds it, otherwise the whole line (to column 1 of the next line, or to the
// line's end on the last line). Columns are 1-based.
struct TErrSelection {
    std::int32_t StartLine = 0, StartCol = 1, EndLine = 0, EndCol = 1;
    bool MoveCaretCol = false; // the word was found: the caret goes after it
    std::int32_t CaretCol = 1;
};
TErrSelection SelectionFor(std::string_view lineText, std::int32_t line, bool lastLine, std::string_view word);

} // namespace kep
