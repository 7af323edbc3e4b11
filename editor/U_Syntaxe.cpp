#include "editor/U_Syntaxe.h"
#include "platform/AsciiText.h"

#include "platform/FileIo.h"
#include "processor/U_TabFile.h"

#include <algorithm>
#include <array>

namespace kep {

namespace {

constexpr std::array<unsigned char, 256> MakeUpper()
{
    std::array<unsigned char, 256> t{};
    for (int i = 0; i < 256; ++i)
        t[std::size_t(i)] = (i >= 'a' && i <= 'z') ? (unsigned char)(i - 32) : (unsigned char)i;
    return t;
}
constexpr std::array<unsigned char, 256> kUpper = MakeUpper();

constexpr std::array<bool, 256> MakeIdent()
{
    std::array<bool, 256> t{};
    for (int i = 0; i < 256; ++i)
        t[std::size_t(i)] = (i >= 'A' && i <= 'Z') || (i >= 'a' && i <= 'z') || (i >= '0' && i <= '9') || i == '_';
    return t;
}
constexpr std::array<bool, 256> kIdent = MakeIdent();

inline unsigned char Up(char c)
{
    return kUpper[static_cast<unsigned char>(c)];
}

inline bool Ident(char c)
{
    return kIdent[static_cast<unsigned char>(c)];
}

inline bool Blank(char c)
{
    return c == ' ' || c == '\t';
}

// The text at pos starts with the word (given in upper case), ignoring case.
bool StartsWithUpper(std::string_view line, std::size_t pos, std::string_view word)
{
    if (line.size() - pos < word.size())
        return false;
    for (std::size_t i = 0; i < word.size(); ++i)
        if (Up(line[pos + i]) != static_cast<unsigned char>(word[i]))
            return false;
    return true;
}


} // namespace

bool IsIdentChar(unsigned char c)
{
    return kIdent[c];
}

// A keyword counts where it starts a word (line start or after a blank)
// before the comment. Every such place is examined, not only the word's first
// occurrence, so that a label holding "MACRO" does not hide the directive.
std::uint32_t NextState(std::uint32_t state, std::string_view line)
{
    enum { kEndif, kMacro, kMend, kRepeat, kUntil, kCount };
    static constexpr std::string_view kWords[kCount] = {"#ENDIF", "MACRO", "MEND", "REPEAT", "UNTIL"};
    const std::size_t end = CommentStart(line);
    bool found[kCount] = {};
    bool any = false;
    for (std::size_t p = 0; p < end; ++p) {
        if (p > 0 && !Blank(line[p - 1]))
            continue;
        const unsigned char c = Up(line[p]);
        if (c != '#' && c != 'M' && c != 'R' && c != 'U')
            continue;
        if (c == '#' && StartsWithUpper(line, p, "#IF")) {
            unsigned depth = (IfDepth(state) + 1) & 0xFF;
            return (state & 0x00FFFFFFu) | csIf | std::uint32_t(depth) << 24;
        }
        for (int k = 0; k < kCount; ++k) {
            if (found[k] || static_cast<unsigned char>(kWords[k][0]) != c || !StartsWithUpper(line, p, kWords[k]))
                continue;
            const std::size_t after = p + kWords[k].size();
            if (after == line.size() || Blank(line[after]) || line[after] == ';') {
                found[k] = true;
                any = true;
            }
        }
    }
    if (!any)
        return state;
    std::uint32_t flags = state & 0xFF;
    unsigned macro = MacroDepth(state), loop = LoopDepth(state), cond = IfDepth(state);
    if (found[kEndif]) {
        if (cond > 0)
            --cond;
        if (cond == 0)
            flags &= ~std::uint32_t(csIf);
    } else if (found[kMacro]) {
        flags |= csMacro;
        macro = (macro + 1) & 0xFF;
    } else if (found[kMend]) {
        if (macro > 0)
            --macro;
        if (macro == 0)
            flags &= ~std::uint32_t(csMacro);
    } else if (found[kRepeat]) {
        flags |= csLoop;
        loop = (loop + 1) & 0xFF;
    } else if (found[kUntil]) {
        if (loop > 0)
            --loop;
        if (loop == 0)
            flags &= ~std::uint32_t(csLoop);
    }
    return flags | std::uint32_t(macro) << 8 | std::uint32_t(loop) << 16 | std::uint32_t(cond) << 24;
}

// ---------------------------------------------------------------------------
// Vocabulary

TTokens::TTokens(TVide)
{
    IndexFirstChars();
}

TTokens::TTokens()
{
    Entries_.reserve(4096);
    for (const TDirective& d : Directives())
        InsertToken(d.Name, stDir);
    IndexFirstChars();
}

std::size_t TTokens::LowerBound(std::string_view name) const
{
    return std::size_t(std::lower_bound(Entries_.begin(), Entries_.end(), name,
                                        [](const TToken& t, std::string_view n) { return std::string_view(t.Name) < n; })
                       - Entries_.begin());
}

void TTokens::InsertToken(std::string_view name, TStyleType style)
{
    TTokenFlag flag = TTokenFlag::None;
    if (!name.empty() && (name.back() == '\\' || name.back() == '~')) {
        flag = name.back() == '\\' ? TTokenFlag::Digit : TTokenFlag::NoIdent;
        name.remove_suffix(1);
    }
    if (name.empty())
        return;
    const std::size_t at = LowerBound(name);
    if (at < Entries_.size() && Entries_[at].Name == name) {
        TToken& t = Entries_[at];
        if (t.Style == stSig && style == stOp) {
            t.Style = stOp;
            t.Flag = flag;
        }
        return;
    }
    // The vocabulary grows by whole blocks: a processor table adds hundreds.
    if (Entries_.size() == Entries_.capacity())
        Entries_.reserve(Entries_.capacity() + 4096);
    Entries_.insert(Entries_.begin() + std::ptrdiff_t(at), TToken{std::string(name), style, flag});
    Current_ = SIZE_MAX;
}

void TTokens::IndexFirstChars()
{
    std::size_t i = 0;
    for (unsigned c = 0; c < 256; ++c) {
        First_[c] = std::uint32_t(i);
        while (i < Entries_.size() && static_cast<unsigned char>(Entries_[i].Name[0]) == c)
            ++i;
    }
    First_[256] = std::uint32_t(i);
}

void TTokens::AddToken(std::string_view name, TStyleType style)
{
    InsertToken(name, style);
    IndexFirstChars();
}

bool TTokens::Find(std::string_view name)
{
    // Only an entry that matched becomes current, so that a deletion after a
    // failed look-up removes nothing.
    const std::size_t at = LowerBound(name);
    const bool found = at < Entries_.size() && Entries_[at].Name == name;
    Current_ = found ? at : SIZE_MAX;
    return found;
}

const TToken* TTokens::Current() const
{
    return Current_ < Entries_.size() ? &Entries_[Current_] : nullptr;
}

void TTokens::DeleteCurrent()
{
    if (Current_ >= Entries_.size())
        return;
    Entries_.erase(Entries_.begin() + std::ptrdiff_t(Current_));
    Current_ = SIZE_MAX;
    IndexFirstChars();
}

void TTokens::ToggleHighlight(std::string_view name, TStyleType style)
{
    if (Find(name))
        DeleteCurrent();
    else
        AddToken(name, style);
}

void TTokens::LoadLists(const std::vector<std::string>& mnemonics, const std::vector<std::string>& keywords)
{
    std::erase_if(Entries_, [](const TToken& t) { return t.Style == stOp || t.Style == stSig; });
    for (const std::string& m : mnemonics)
        InsertToken(UpperAscii(m), stOp);
    for (const std::string& k : keywords)
        InsertToken(UpperAscii(k), stSig);
    Current_ = SIZE_MAX;
    IndexFirstChars();
}

void TTokens::LoadTable(const TTabFile& table)
{
    LoadLists(table.Mnemonics(), table.Keywords());
}

bool TTokens::LoadTable(const std::string& fileName, std::string* error)
{
    if (fileName == TableName_ || !FileExists(fileName))
        return true;
    TTabFile table;
    if (!table.Load(fileName, error))
        return false;
    LoadTable(table);
    TableName_ = fileName;
    return true;
}

// Entries sharing a prefix with the text form a contiguous range of the
// sorted list; each further character narrows it by binary search. The
// entry whose name ends at the current length sorts first in the range.
std::size_t TTokens::Match(std::string_view line, std::size_t pos, TStyleType& style) const
{
    if (pos >= line.size())
        return 0;
    const unsigned char first = Up(line[pos]);
    std::size_t lo = First_[first], hi = First_[first + 1];
    std::size_t best = SIZE_MAX, bestLen = 0;
    std::size_t k = 1;
    while (lo < hi) {
        const TToken& t = Entries_[lo];
        if (t.Name.size() == k) {
            const std::size_t next = pos + k;
            bool ok = true;
            if (t.Flag == TTokenFlag::Digit)
                ok = next < line.size() && line[next] >= '0' && line[next] <= '9';
            else if (t.Flag == TTokenFlag::NoIdent)
                ok = next >= line.size() || !Ident(line[next]);
            if (ok) {
                best = lo;
                bestLen = k;
            }
            ++lo;
        }
        if (pos + k >= line.size() || lo >= hi)
            break;
        const unsigned char c = Up(line[pos + k]);
        const auto at = [k](const TToken& e) { return static_cast<unsigned char>(e.Name[k]); };
        auto b = Entries_.begin();
        lo = std::size_t(std::partition_point(b + std::ptrdiff_t(lo), b + std::ptrdiff_t(hi),
                                              [&](const TToken& e) { return at(e) < c; }) - b);
        hi = std::size_t(std::partition_point(b + std::ptrdiff_t(lo), b + std::ptrdiff_t(hi),
                                              [&](const TToken& e) { return at(e) == c; }) - b);
        ++k;
    }
    if (best == SIZE_MAX)
        return 0;
    const TToken& win = Entries_[best];
    const std::size_t after = pos + bestLen;
    if (win.Style != stSig && after < line.size() && Ident(line[after]))
        return 0;
    style = win.Style;
    return bestLen;
}

TTokens& SharedTokens()
{
    static TTokens tokens;
    return tokens;
}

// ---------------------------------------------------------------------------
// Tokens

TStyleType ScanToken(const TTokens& tokens, std::string_view line, std::size_t pos, std::size_t& length,
                     const TTokens* chip)
{
    const std::size_t n = line.size();
    if (pos >= n) {
        length = 0;
        return stRien;
    }
    const char c = line[pos];
    std::size_t end = pos + 1;
    if (Blank(c)) {
        while (end < n && Blank(line[end]))
            ++end;
        length = end - pos;
        return stRien;
    }
    if (c == ';' || (c == '/' && pos + 1 < n && line[pos + 1] == '/')) {
        const std::size_t body = pos + (c == ';' ? 1 : 2);
        length = n - pos;
        return line.substr(body, 2) == "**" ? stTit : stRem;
    }
    if (c == '"' || c == '\'') {
        while (end < n && line[end] != c)
            ++end;
        length = (end < n ? end + 1 : n) - pos;
        return stStr;
    }
    TStyleType style;
    std::size_t len = tokens.Match(line, pos, style);
    if (chip) {
        TStyleType chipStyle;
        if (const std::size_t chipLen = chip->Match(line, pos, chipStyle); chipLen > len) {
            len = chipLen;
            style = chipStyle;
        }
    }
    if (len) {
        length = len;
        return style;
    }
    if (Ident(c)) {
        while (end < n && Ident(line[end]))
            ++end;
    } else {
        while (end < n && !Ident(line[end]) && !Blank(line[end]) && line[end] != '"' && line[end] != '\''
               && line[end] != ';')
            ++end;
    }
    length = end - pos;
    return stRien;
}

std::uint32_t TSyntaxe::NextState(std::string_view line)
{
    State_ = kep::NextState(State_, line);
    return State_;
}

TStyleType TSyntaxe::BeginLine(std::string_view line)
{
    Line_ = line;
    Pos_ = 0;
    TokenStart_ = 0;
    std::size_t len;
    return ScanToken(Tokens_, Line_, 0, len);
}

TStyleType TSyntaxe::NextToken()
{
    TokenStart_ = Pos_;
    std::size_t len;
    const TStyleType st = ScanToken(Tokens_, Line_, Pos_, len);
    Pos_ += len;
    return st;
}

TTokenColours TokenColours(const TStyleTable& styles, TStyleType style, std::uint32_t state)
{
    const unsigned s = unsigned(style) < unsigned(StyleCount) ? style : stRien;
    const TStyleEntry& e = styles[s];
    TTokenColours c{e.Fore, e.Back, e.Style};
    if ((state & 7) != 0 && s != stSel && s != stSur) {
        const TStyleType ctx = (state & csMacro) ? stMacro : (state & csLoop) ? stLoop : stIf1;
        c.Back = styles[ctx].Back;
    }
    return c;
}

TRunWalker::TRunWalker(const TTokens& tokens, const TStyleTable& styles, std::string_view line, std::uint32_t state,
                       const TTokens* chip)
    : Tokens_(tokens)
    , Chip_(chip)
    , Styles_(styles)
    , Line_(line)
    , State_(state)
{
}

bool TRunWalker::Next(TStyledRun& run)
{
    if (Pos_ >= Line_.size())
        return false;
    std::size_t len;
    const TStyleType st = ScanToken(Tokens_, Line_, Pos_, len, Chip_);
    const TTokenColours c = TokenColours(Styles_, st, State_);
    run = TStyledRun{std::int32_t(Pos_) + 1, std::int32_t(len), st, c.Fore, c.Back, c.FontStyle};
    Pos_ += len;
    return true;
}

std::vector<TStyledRun> LineRuns(const TTokens& tokens, const TStyleTable& styles, std::string_view line,
                                 std::uint32_t state)
{
    std::vector<TStyledRun> runs;
    TRunWalker walker(tokens, styles, line, state);
    TStyledRun run;
    while (walker.Next(run))
        runs.push_back(run);
    return runs;
}

} // namespace kep
