#include "build/U_ErrAssembleur.h"

#include "platform/AsciiText.h"
#include "platform/FileIo.h"
#include "platform/Paths.h"

#include <algorithm>
#include <array>
#include <climits>
#include <cstddef>
#include <vector>

namespace kep {

namespace {

using sv = std::string_view;
constexpr std::size_t npos = sv::npos;

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

bool IsLetter(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

// Characters of a gpasm symbol.
bool IsSymbolChar(char c)
{
    return IsLetter(c) || IsDigit(c) || c == '_' || c == '?';
}

bool StartsWith(sv s, sv prefix)
{
    return s.substr(0, prefix.size()) == prefix;
}

bool EndsWithNoCase(sv s, sv suffix)
{
    return s.size() >= suffix.size() && UpperAscii(s.substr(s.size() - suffix.size())) == UpperAscii(suffix);
}

sv TrimRight(sv s)
{
    while (!s.empty() && (unsigned char)s.back() <= 32)
        s.remove_suffix(1);
    return s;
}

sv SkipSpaces(sv s)
{
    while (!s.empty() && s.front() == ' ')
        s.remove_prefix(1);
    return s;
}

std::string StatusText(sv text)
{
    std::string s(TrimRight(text).substr(0, 255));
    std::replace(s.begin(), s.end(), '\t', '_');
    return s;
}

// The n-th (0-based) text between double quotes, "" without one.
std::string Quoted(sv s, int n)
{
    std::size_t at = 0;
    for (int i = 0;; ++i) {
        const std::size_t a = s.find('"', at);
        if (a == npos)
            return {};
        const std::size_t b = s.find('"', a + 1);
        if (b == npos)
            return {};
        if (i == n)
            return std::string(s.substr(a + 1, b - a - 1));
        at = b + 1;
    }
}

// A name: no space in it, and not a number or an expression like "0 <= k".
bool IsName(sv w)
{
    return !w.empty() && w.find(' ') == npos && (IsLetter(w[0]) || w[0] == '_' || w[0] == '.');
}

// "... (NAME)" or "... (NAME)." at the end of a message.
std::string TrailingParen(sv s)
{
    while (!s.empty() && (s.back() == '.' || s.back() == ' '))
        s.remove_suffix(1);
    if (s.empty() || s.back() != ')')
        return {};
    const std::size_t open = s.rfind('(');
    if (open == npos)
        return {};
    const sv inner = s.substr(open + 1, s.size() - open - 2);
    return IsName(inner) ? std::string(inner) : std::string();
}

// The token starting at `at`, up to a space or a comma, without a closing
// full stop or exclamation mark.
std::string TokenAt(sv s, std::size_t at)
{
    if (at >= s.size())
        return {};
    sv t = s.substr(at);
    t = t.substr(0, t.find_first_of(" ,"));
    while (!t.empty() && (t.back() == '.' || t.back() == '!' || t.back() == ':'))
        t.remove_suffix(1);
    return std::string(t);
}

void SetWord(TErrBlock& b, const std::string& word)
{
    if (word.empty())
        return;
    b.HasWord = true;
    b.Word = UpperAscii(word);
}

// "Error[113]" or "Warning[202]" at the start of `s`: the offset past the
// closing bracket, 0 when there is no such tag.
std::size_t GpasmTag(sv s, bool& warning)
{
    std::size_t n;
    if (StartsWith(s, "Error["))
        n = 6, warning = false;
    else if (StartsWith(s, "Warning["))
        n = 8, warning = true;
    else
        return 0;
    const std::size_t digits = n;
    while (n < s.size() && IsDigit(s[n]))
        ++n;
    if (n == digits || n >= s.size() || s[n] != ']')
        return 0;
    return n + 1;
}

// The word of a gpasm message: what it quotes, or a name in brackets at its
// end ("Duplicate macro parameter (X).").
std::string GpasmWord(sv msg)
{
    std::string w = Quoted(msg, 0);
    return w.empty() ? TrailingParen(msg) : w;
}

// gplink's source for an object it names: X.asm beside X.o, spelt as the
// message spells the object, when the project folder holds it.
std::string SourceOfObject(sv object, const std::string& projectDir)
{
    if (projectDir.empty() || !EndsWithNoCase(object, ".o"))
        return {};
    const std::string source = std::string(object.substr(0, object.size() - 2)) + ".asm";
    return FileExists(ExpandName(projectDir + "/", source)) ? source : std::string();
}

std::optional<TErrBlock> GplinkLine(sv s, const std::string& projectDir)
{
    TErrBlock b;
    sv msg;
    if (StartsWith(s, "error: "))
        msg = s.substr(7);
    else if (StartsWith(s, "warning: "))
        msg = s.substr(9), b.IsWarning = true;
    else
        return std::nullopt;
    b.HasLine = true;
    b.Status = StatusText(s);
    const std::string first = Quoted(msg, 0);
    SetWord(b, first);
    // The two messages that name both a symbol and the object it is wanted
    // by (or defined in): that object's source is where to look.
    std::string object;
    if (StartsWith(msg, "Missing definition for symbol \"") || StartsWith(msg, "Duplicate symbol \""))
        object = Quoted(msg, 1);
    b.FileName = SourceOfObject(object, projectDir);
    if (b.FileName.empty() || first.empty())
        b.StatusOnly = true;
    else
        b.FindWord = first;
    return b;
}

std::optional<TErrBlock> GpasmLine(sv s, const std::string& projectDir)
{
    bool warning = false;
    // Not located: "Error[125]   Illegal condition: EOF encountered before END."
    if (const std::size_t end = GpasmTag(s, warning)) {
        TErrBlock b;
        b.HasLine = true;
        b.StatusOnly = true;
        b.IsWarning = warning;
        b.Status = StatusText(std::string(s.substr(0, end)) + " " + std::string(SkipSpaces(s.substr(end))));
        return b;
    }
    // "name:line:Error[n]   text", and gplink's "script.lkr:line:Error text".
    // The name may hold colons: the first ":digits:" followed by a tag ends it.
    for (std::size_t c = s.find(':'); c != npos; c = s.find(':', c + 1)) {
        if (c == 0)
            continue;
        std::size_t d = c + 1;
        while (d < s.size() && IsDigit(s[d]))
            ++d;
        if (d == c + 1 || d >= s.size() || s[d] != ':')
            continue;
        const sv rest = s.substr(d + 1);
        TErrBlock b;
        if (const std::size_t end = GpasmTag(rest, warning)) {
            const sv msg = SkipSpaces(rest.substr(end));
            b.Status = StatusText(std::string(rest.substr(0, end)) + " " + std::string(msg));
            SetWord(b, GpasmWord(msg));
        } else if (StartsWith(rest, "Error ")) {
            b.Status = StatusText(rest);
            SetWord(b, TrailingParen(rest.substr(6)));
        } else {
            continue;
        }
        b.IsWarning = warning;
        b.HasLine = true;
        b.FileName = std::string(TrimControls(s.substr(0, c)));
        b.LineNumber = EntierDebut(s.substr(c + 1, d - c - 1));
        return b;
    }
    return GplinkLine(s, projectDir);
}

// The name an avra message is about, when it is one of its usual forms.
std::string AvraWord(sv m)
{
    // "[Macro: file: line:] text" for a line inside a macro.
    if (StartsWith(m, "[Macro: ")) {
        const std::size_t close = m.find("] ");
        if (close == npos)
            return {};
        m = m.substr(close + 2);
    }
    if (const std::size_t at = m.find("named "); at != npos) // Found no label/variable/constant named X
        return TokenAt(m, at + 6);
    for (sv prefix : {sv("Can't redefine constant "), sv("Can't redefine local label "), sv("Can't redefine label ")})
        if (StartsWith(m, prefix))
            return TokenAt(m, prefix.size());
    const std::string first = TokenAt(m, 0);
    const sv afterFirst = m.substr(std::min(m.find(' '), m.size()));
    if ((StartsWith(m, "Macro ") && afterFirst.find(" is not defined") != npos) ||
        (StartsWith(m, "Constant ") && (afterFirst.find(" is missing in pass") != npos ||
                                        afterFirst.find(" changed value") != npos)))
        return TokenAt(m, m.find(' ') + 1);
    // "R33 is not a valid register", "ldi needs an operand", "adiw can only use ..."
    static constexpr std::array<sv, 7> afterName{" is not a valid register", " needs ", " can only use ", " must use ",
                                                 " instruction is not supported", " have already been defined",
                                                 " has already been defined"};
    for (sv phrase : afterName)
        if (StartsWith(afterFirst, phrase))
            return first;
    // "Illegal operator 'G'", "Name 'X' is used for a register and a label"
    if (const std::size_t a = m.find('\''); a != npos) {
        const std::size_t b = m.find('\'', a + 1);
        if (b != npos && b > a + 1 && m.substr(a + 1, b - a - 1).find(' ') == npos)
            return std::string(m.substr(a + 1, b - a - 1));
    }
    // "Unknown mnemonic/macro: ldx", "Cannot find include file: x.inc"
    if (const std::size_t colon = m.rfind(": "); colon != npos) {
        const sv last = TrimRight(m.substr(colon + 2));
        if (!last.empty() && last.find(' ') == npos)
            return std::string(last);
    }
    // "More than one .DEVICE definition", ".BYTE directive cannot be used ..."
    for (std::size_t at = 0; at < m.size();) {
        const std::size_t end = std::min(m.find(' ', at), m.size());
        const sv token = m.substr(at, end - at);
        if (token.size() > 1 && token[0] == '.' && IsLetter(token[1]))
            return TokenAt(token, 0);
        at = end + 1;
    }
    // "Garbage in operand (Q)"
    return TrailingParen(m);
}

std::optional<TErrBlock> AvraLine(sv s)
{
    // Not located: "Error: Overlapping code segments:"
    if (StartsWith(s, "Error: ")) {
        TErrBlock b;
        b.HasLine = true;
        b.StatusOnly = true;
        b.Status = StatusText(s);
        return b;
    }
    // "name(line) : Error   : text"; a name may hold brackets itself.
    for (std::size_t p = s.find('('); p != npos; p = s.find('(', p + 1)) {
        std::size_t d = p + 1;
        while (d < s.size() && IsDigit(s[d]))
            ++d;
        if (d == p + 1 || s.substr(d, 4) != ") : ")
            continue;
        sv rest = s.substr(d + 4);
        TErrBlock b;
        if (StartsWith(rest, "Error"))
            rest.remove_prefix(5);
        else if (StartsWith(rest, "Warning"))
            rest.remove_prefix(7), b.IsWarning = true;
        else
            continue; // PRAGMA notes, .message texts, "Maximum error count reached"
        rest = SkipSpaces(rest);
        if (!StartsWith(rest, ":"))
            continue;
        const sv msg = SkipSpaces(rest.substr(1));
        b.HasLine = true;
        b.FileName = std::string(TrimControls(s.substr(0, p)));
        b.LineNumber = EntierDebut(s.substr(p + 1, d - p - 1));
        b.Status = StatusText(std::string(b.IsWarning ? "Warning : " : "Error : ") + std::string(msg));
        SetWord(b, AvraWord(TrimRight(msg)));
        return b;
    }
    return std::nullopt;
}

bool Contains(sv line, sv marker)
{
    return !marker.empty() && line.find(marker) != npos;
}

// Whether `code` (a line without its comment) holds `upperWord` as a whole
// symbol, ASCII case ignored.
bool HoldsSymbol(sv code, const std::string& upperWord)
{
    const std::string up = UpperAscii(code);
    for (std::size_t at = up.find(upperWord); at != npos; at = up.find(upperWord, at + 1)) {
        const std::size_t end = at + upperWord.size();
        if ((at == 0 || !IsSymbolChar(up[at - 1])) && (end >= up.size() || !IsSymbolChar(up[end])))
            return true;
    }
    return false;
}

// An extern or global directive, after a label or not.
bool IsLinkDirective(sv code)
{
    std::size_t at = 0;
    for (int token = 0; token < 2; ++token) {
        while (at < code.size() && (code[at] == ' ' || code[at] == '\t'))
            ++at;
        const std::size_t end = std::min(code.find_first_of(" \t", at), code.size());
        const std::string word = UpperAscii(code.substr(at, end - at));
        if (word == "EXTERN" || word == "GLOBAL")
            return true;
        at = end;
    }
    return false;
}

} // namespace

std::optional<TErrBlock> AsmBlockOf(std::string_view line, TErrLecteur lecteur, const std::string& projectDir)
{
    switch (lecteur) {
    case TErrLecteur::Gpasm:
        return GpasmLine(line, projectDir);
    case TErrLecteur::Avra:
        return AvraLine(line);
    case TErrLecteur::Aucun:
        break;
    }
    return std::nullopt;
}

std::optional<TErrBlock> NextAsmBlock(const TLineAt& line, std::int32_t count, std::int32_t from,
                                      TErrLecteur lecteur, const std::string& projectDir)
{
    for (std::int32_t i = std::max<std::int32_t>(from, 0); i < count; ++i) {
        auto b = AsmBlockOf(line(i), lecteur, projectDir);
        if (b) {
            b->BlockStart = i;
            b->NextSearch = i + 1;
            return b;
        }
    }
    return std::nullopt;
}

std::int32_t LigneUtilisant(const TLineAt& line, std::int32_t count, std::string_view word)
{
    if (word.empty())
        return -1;
    const std::string up = UpperAscii(word);
    std::int32_t directive = -1;
    for (std::int32_t i = 0; i < count; ++i) {
        const std::string& text = line(i);
        const sv code = sv(text).substr(0, CommentStart(text));
        if (!HoldsSymbol(code, up))
            continue;
        if (!IsLinkDirective(code))
            return i;
        if (directive < 0)
            directive = i;
    }
    return directive;
}

TErrCompte CompteErreurs(const TLineAt& line, std::int32_t count, const TErrDefaults& err)
{
    TErrCompte c;
    const TErrLecteur lecteur = ErrLecteurOf(err);
    if (lecteur != TErrLecteur::Aucun) {
        // No project folder: whether a linker error leads to a source does
        // not change what it is.
        for (std::int32_t i = 0; i < count; ++i)
            if (const auto b = AsmBlockOf(line(i), lecteur, std::string()))
                ++(b->IsWarning ? c.Avertissements : c.Erreurs);
        return c;
    }
    const TErrLayout layout = ErrLayoutOf(err);
    std::int32_t from = 0;
    while (from < count) {
        const auto b = NextErrorBlock(line, count, from, layout);
        if (!b)
            break;
        const long long errLine = (long long)b->BlockStart + layout.LigMarqErr;
        const bool isError = errLine < count && Contains(line(std::int32_t(errLine)), layout.MarqErr);
        ++(isError ? c.Erreurs : c.Avertissements);
        // Past the marker line at least: a block left without its line (a
        // layout F6 cannot follow) still counts once.
        const long long marker = isError ? errLine : (long long)b->BlockStart + layout.LigMarqErr2;
        const long long next = std::max({(long long)b->NextSearch, marker + 1, (long long)from + 1});
        from = std::int32_t(std::min<long long>(next, count));
    }
    return c;
}

TErrCompte CompteErreursTexte(std::string_view texte, const TErrDefaults& err)
{
    std::vector<std::string> lignes;
    std::size_t i = 0;
    while (i < texte.size()) {
        std::size_t fin = texte.find_first_of("\r\n", i);
        if (fin == std::string_view::npos)
            fin = texte.size();
        lignes.emplace_back(texte.substr(i, fin - i));
        if (fin < texte.size() && texte[fin] == '\r' && fin + 1 < texte.size() && texte[fin + 1] == '\n')
            ++fin;
        i = fin + 1;
    }
    return CompteErreurs([&lignes](std::int32_t n) -> const std::string& { return lignes[std::size_t(n)]; },
                         std::int32_t(std::min<std::size_t>(lignes.size(), INT32_MAX)), err);
}

} // namespace kep
