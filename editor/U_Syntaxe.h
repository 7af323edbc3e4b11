#pragma once
// Syntax colouring: the vocabulary of known words shared by every editor, the
// tokeniser that splits a line into styled tokens, and the context state
// (macro, repeat loop, conditional block) carried from line to line.
#include "editor/U_Directives.h"
#include "editor/U_SyntaxeStyles.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kep {

class TTabFile;

// Context state at the start of a line: byte 0 flags, then the macro, loop
// and conditional depths (each wraps after 255).
enum : std::uint32_t { csMacro = 1, csLoop = 2, csIf = 4 };
constexpr unsigned MacroDepth(std::uint32_t s) { return (s >> 8) & 0xFF; }
constexpr unsigned LoopDepth(std::uint32_t s) { return (s >> 16) & 0xFF; }
constexpr unsigned IfDepth(std::uint32_t s) { return (s >> 24) & 0xFF; }

// The state for the line after this one.
std::uint32_t NextState(std::uint32_t state, std::string_view line);

// Flag of a vocabulary entry, given by a trailing "\" or "~" of its name.
enum class TTokenFlag : std::uint8_t {
    None,
    Digit,   // "\": matches only before a digit
    NoIdent, // "~": matches only before a character that ends a word
};

struct TToken {
    std::string Name; // without its flag character
    TStyleType Style = stDir;
    TTokenFlag Flag = TTokenFlag::None;
};

// A-Z, a-z, 0-9 and "_".
bool IsIdentChar(unsigned char c);

class TTokens {
public:
    // The directives, in the directive style.
    TTokens();
    // An empty vocabulary (a chip's register names).
    struct TVide {};
    explicit TTokens(TVide);

    // A trailing "\" or "~" becomes the entry's flag. An existing entry stays
    // as it is, except that a processor keyword becomes a mnemonic when added
    // as one. Empty names are ignored.
    void AddToken(std::string_view name, TStyleType style);
    // Exact lookup; the entry found becomes the current one (none when the
    // look-up fails).
    bool Find(std::string_view name);
    const TToken* Current() const;
    void DeleteCurrent();
    // Removes the word when present (whatever its style), else adds it.
    void ToggleHighlight(std::string_view name, TStyleType style);

    // Replaces the mnemonics and processor keywords by those of a table file.
    // Nothing happens when the file is the one loaded last or does not exist;
    // a file that cannot be read leaves the vocabulary as it was and returns
    // false with a French message.
    bool LoadTable(const std::string& fileName, std::string* error = nullptr);
    // Same from a table already read; remembers no file name.
    void LoadTable(const TTabFile& table);
    void LoadLists(const std::vector<std::string>& mnemonics, const std::vector<std::string>& keywords);
    const std::string& TableName() const { return TableName_; }

    std::size_t Count() const { return Entries_.size(); }
    const TToken& Entry(std::size_t i) const { return Entries_[i]; }

    // The longest entry matching the line at pos (ignoring ASCII case), with
    // the flag and word-boundary rules. Returns its length, 0 when none.
    std::size_t Match(std::string_view line, std::size_t pos, TStyleType& style) const;

private:
    void InsertToken(std::string_view name, TStyleType style);
    void IndexFirstChars();
    std::size_t LowerBound(std::string_view name) const;

    std::vector<TToken> Entries_; // sorted by name, byte-wise
    // Entries whose name starts with byte c: [First_[c], First_[c + 1]).
    std::uint32_t First_[257] = {};
    std::size_t Current_ = SIZE_MAX;
    std::string TableName_;
};

// The program's one vocabulary, shared by all editors.
TTokens& SharedTokens();

// One token of a line: its style and its extent (0-based byte offset).
// `chip`, when given, holds the names of the file's chip: the longer match
// of the two wins, the shared vocabulary on a tie.
TStyleType ScanToken(const TTokens& tokens, std::string_view line, std::size_t pos, std::size_t& length,
                     const TTokens* chip = nullptr);

// The tokeniser as the painter drives it, plus the context state.
class TSyntaxe {
public:
    explicit TSyntaxe(const TTokens& tokens)
        : Tokens_(tokens)
    {
    }

    std::uint32_t State() const { return State_; }
    void SetState(std::uint32_t s) { State_ = s; }
    // Moves the state past the line and returns it.
    std::uint32_t NextState(std::string_view line);

    // Starts a line (kept by the caller) at column 1; returns the style of
    // its first token without moving.
    TStyleType BeginLine(std::string_view line);
    // The style of the token at the scan position, moving past it.
    TStyleType NextToken();
    bool AtEnd() const { return Pos_ >= Line_.size(); }
    // 1-based column just after the last token returned.
    std::int32_t Col() const { return std::int32_t(Pos_) + 1; }
    std::size_t TokenStart() const { return TokenStart_; }
    std::size_t TokenLength() const { return Pos_ - TokenStart_; }

private:
    const TTokens& Tokens_;
    std::uint32_t State_ = 0;
    std::string_view Line_;
    std::size_t Pos_ = 0;
    std::size_t TokenStart_ = 0;
};

struct TTokenColours {
    TColor Fore = clBlack;
    TColor Back = clBlack;
    std::uint8_t FontStyle = 0;
};

// Colours of a token on a line whose context state is given: text and font
// from the style, background from the context except for the selection and
// highlighted words. The space after a line's end is painted as stRien.
TTokenColours TokenColours(const TStyleTable& styles, TStyleType style, std::uint32_t state);

struct TStyledRun {
    std::int32_t Col = 1; // 1-based
    std::int32_t Length = 0;
    TStyleType Style = stRien;
    TColor Fore = clBlack;
    TColor Back = clBlack;
    std::uint8_t FontStyle = 0;
};

// Walks the styled runs of one line (kept by the caller).
class TRunWalker {
public:
    TRunWalker(const TTokens& tokens, const TStyleTable& styles, std::string_view line, std::uint32_t state,
               const TTokens* chip = nullptr);
    bool Next(TStyledRun& run);

private:
    const TTokens& Tokens_;
    const TTokens* Chip_;
    const TStyleTable& Styles_;
    std::string_view Line_;
    std::uint32_t State_;
    std::size_t Pos_ = 0;
};

std::vector<TStyledRun> LineRuns(const TTokens& tokens, const TStyleTable& styles, std::string_view line,
                                 std::uint32_t state);

} // namespace kep
