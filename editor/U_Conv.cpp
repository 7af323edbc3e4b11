#include "editor/U_Conv.h"
#include "editor/TextBuffer.h"
#include "platform/AsciiText.h"

namespace kep {

namespace {

char Upper(char c)
{
    return c >= 'a' && c <= 'z' ? char(c - 'a' + 'A') : c;
}

char Lower(char c)
{
    return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c;
}

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

int BaseOf(TUniteConv u)
{
    switch (u) {
    case uBinaire:
        return 2;
    case uOctale:
        return 8;
    case uHexa:
        return 16;
    default:
        return 10;
    }
}

int DigitValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return 99;
}

bool ValidDigits(std::string_view digits, int base)
{
    if (digits.empty())
        return false;
    for (const char c : digits)
        if (DigitValue(Upper(c)) >= base)
            return false;
    return true;
}

bool WordChar(char c)
{
    return TTextBuffer::IsSearchWordChar(static_cast<unsigned char>(c));
}

int HexValue(char c)
{
    const int d = DigitValue(Upper(c));
    return d < 16 ? d : -1;
}

// The escapes gpasm takes in a character constant, as in C.
int GpasmEscape(char c)
{
    switch (c) {
    case 'a': return 7;
    case 'b': return 8;
    case 'f': return 12;
    case 'n': return 10;
    case 'r': return 13;
    case 't': return 9;
    case 'v': return 11;
    case '0': return 0;
    case '\\': case '\'': case '"': case '?': return static_cast<unsigned char>(c);
    default: return -1;
    }
}

// The length of the body of a gpasm character constant at the start of
// `s` (what stands between the quotes), its code in `code`; 0 for none.
std::size_t GpasmCharBody(std::string_view s, int& code)
{
    if (s.empty())
        return 0;
    if (s[0] != '\\') {
        code = static_cast<unsigned char>(s[0]);
        return 1;
    }
    if (s.size() < 2)
        return 0;
    if (s[1] == 'x') {
        std::size_t len = 2;
        code = 0;
        while (len < 4 && len < s.size() && HexValue(s[len]) >= 0)
            code = code * 16 + HexValue(s[len++]);
        return len > 2 ? len : 0;
    }
    code = GpasmEscape(s[1]);
    return code < 0 ? 0 : 2;
}

std::optional<std::uint32_t> GpasmChar(std::string_view body)
{
    int code = 0;
    const std::size_t len = GpasmCharBody(body, code);
    if (len == 0 || len != body.size())
        return std::nullopt;
    return std::uint32_t(code);
}

bool Printable(std::uint32_t code)
{
    if (code < 33 || code > 255 || code == 127)
        return false;
    // No character stands at these codes in Windows-1252.
    return code != 0x81 && code != 0x8D && code != 0x8F && code != 0x90 && code != 0x9D;
}

} // namespace

bool TConversion::SetValue(std::string_view text, TAssembleur a)
{
    if (text.empty())
        return false;
    switch (a) {
    case TAssembleur::Gpasm:
        return SetGpasm(text);
    case TAssembleur::Avra:
        return SetAvra(text);
    default:
        break;
    }
    std::string s(text);
    TUniteConv prefix = uOuverte;
    if (s[0] == '$')
        prefix = uHexa;
    else if (s[0] == '%')
        prefix = uBinaire;
    if (prefix != uOuverte)
        s.erase(0, 1);
    return SetPlain(std::move(s), prefix);
}

bool TConversion::SetPlain(std::string s, TUniteConv prefix)
{
    for (char& c : s)
        c = Upper(c);
    if (s.empty())
        return false;
    TUniteConv cls = uBinaire;
    for (const char c : s) {
        if (c == '0' || c == '1')
            continue;
        if (c >= '2' && c <= '9') {
            if (cls < uDecimale)
                cls = uDecimale;
        } else if (c >= 'A' && c <= 'F') {
            cls = uHexa;
        } else {
            return false;
        }
    }
    Digits_ = std::move(s);
    Class_ = cls;
    if (prefix == uHexa || cls == uHexa)
        Unit_ = uHexa;
    else if (prefix == uBinaire && cls == uBinaire)
        Unit_ = uBinaire;
    else
        Unit_ = uOuverte;
    SuffixDigits_.clear();
    SuffixUnit_ = uOuverte;
    return true;
}

bool TConversion::SetFixed(std::string_view digits, TUniteConv unit)
{
    if (!ValidDigits(digits, BaseOf(unit)))
        return false;
    Digits_ = UpperAscii(digits);
    Unit_ = unit;
    Class_ = unit == uOctale ? uDecimale : unit;
    SuffixDigits_.clear();
    SuffixUnit_ = uOuverte;
    return true;
}

bool TConversion::SetGpasm(std::string_view w)
{
    const std::size_t n = w.size();
    if (n >= 3 && w.back() == '\'') {
        if (w[0] == '\'') {
            const auto code = GpasmChar(w.substr(1, n - 2));
            return code && SetFixed(std::to_string(*code), uDecimale);
        }
        if (w[1] == '\'') {
            const std::string_view body = w.substr(2, n - 3);
            switch (Lower(w[0])) {
            case 'a':
                // gpasm takes no escape here: a'\t' is a backslash.
                return body.size() == 1 && body[0] != '\'' && body[0] != '\\'
                       && SetFixed(std::to_string(static_cast<unsigned char>(body[0])), uDecimale);
            case 'b':
                return SetFixed(body, uBinaire);
            case 'd':
                return SetFixed(body, uDecimale);
            case 'h':
                return SetFixed(body, uHexa);
            case 'o':
            case 'q':
                return SetFixed(body, uOctale);
            default:
                return false;
            }
        }
        return false;
    }
    if (w[0] == '.')
        return SetFixed(w.substr(1), uDecimale);
    if (!IsDigit(w[0]))
        return false; // a name
    if (n > 2 && w[0] == '0' && Lower(w[1]) == 'x')
        return SetFixed(w.substr(2), uHexa);
    const char last = Lower(w.back());
    const std::string_view body = w.substr(0, n - 1);
    if (last == 'h')
        return SetFixed(body, uHexa);
    if (last == 'o' || last == 'q')
        return SetFixed(body, uOctale);
    if (!SetPlain(std::string(w), uOuverte))
        return false;
    const TUniteConv suffix = last == 'b' ? uBinaire : last == 'd' ? uDecimale : uOuverte;
    if (suffix != uOuverte && ValidDigits(body, BaseOf(suffix))) {
        SuffixDigits_ = body;
        SuffixUnit_ = suffix;
    }
    return true;
}

bool TConversion::SetAvra(std::string_view w)
{
    const std::size_t n = w.size();
    if (n == 3 && w[0] == '\'' && w[2] == '\'')
        return SetFixed(std::to_string(static_cast<unsigned char>(w[1])), uDecimale);
    if (w[0] == '$')
        return SetFixed(w.substr(1), uHexa);
    if (!IsDigit(w[0]))
        return false; // a name
    if (n > 2 && w[0] == '0' && Lower(w[1]) == 'x')
        return SetFixed(w.substr(2), uHexa);
    if (n > 2 && w[0] == '0' && Lower(w[1]) == 'b')
        return SetFixed(w.substr(2), uBinaire);
    return SetPlain(std::string(w), uOuverte);
}

TUniteConv TConversion::UnitUsed(int uniteDefaut) const
{
    if (SuffixUnit_ != uOuverte && uniteDefaut != udHexa)
        return SuffixUnit_;
    if (Unit_ != uOuverte)
        return Unit_;
    TUniteConv u = uniteDefaut == udBinaire ? uBinaire : uniteDefaut == udHexa ? uHexa : uDecimale;
    return u < Class_ ? Class_ : u;
}

std::optional<std::uint32_t> TConversion::Value(int uniteDefaut) const
{
    if (Digits_.empty())
        return std::nullopt;
    const bool suffix = SuffixUnit_ != uOuverte && uniteDefaut != udHexa;
    return LitNombre(suffix ? SuffixDigits_ : Digits_, BaseOf(UnitUsed(uniteDefaut)));
}

std::optional<std::uint32_t> LitNombre(std::string_view digits, int base)
{
    if (digits.empty())
        return std::nullopt;
    std::uint64_t v = 0;
    for (const char c : digits) {
        const int d = DigitValue(c);
        if (d >= base)
            return std::nullopt;
        v = v * std::uint64_t(base) + std::uint64_t(d);
        if (v > 0xFFFFFFFFu)
            return std::nullopt;
    }
    return std::uint32_t(v);
}

std::vector<std::string> FormesConversion(std::uint32_t value, TAssembleur a)
{
    static const char hex[] = "0123456789ABCDEF";
    const bool gpasm = a == TAssembleur::Gpasm, avra = a == TAssembleur::Avra;
    std::vector<std::string> lines;

    std::string bits;
    for (std::uint32_t v = value; v != 0; v >>= 1)
        bits.insert(bits.begin(), char('0' + (v & 1)));
    // Whole bytes; zero shows one byte of zeros.
    bits.insert(0, bits.empty() ? 8 : (8 - bits.size() % 8) % 8, '0');
    lines.push_back(gpasm ? "b'" + bits + "'" : avra ? "0b" + bits : "%" + bits);

    std::string h;
    for (std::uint32_t v = value; v != 0; v >>= 4)
        h.insert(h.begin(), hex[v & 15]);
    if (h.empty())
        h = "00";
    else if (h.size() % 2 != 0)
        h.insert(h.begin(), '0');
    lines.push_back((gpasm || avra ? "0x" : "$") + h);

    // Plain digits are hexadecimal under gpasm's default radix: its decimal
    // form carries the "." that makes it decimal under any radix.
    const std::string dec = gpasm ? "." : "";
    const auto signedValue = std::int32_t(value);
    if (signedValue < 0) {
        lines.push_back(dec + std::to_string(value));
        lines.push_back(gpasm ? "-." + std::to_string(0u - value) : std::to_string(signedValue));
    } else {
        lines.push_back(dec + std::to_string(signedValue));
    }

    if (Printable(value)) {
        const char c = char(value);
        // gpasm reads a backslash as an escape and stops a string at '"'.
        if (gpasm && (c == '\\' || c == '\'' || c == '"'))
            lines.push_back(std::string("'\\") + c + "'");
        else
            lines.push_back(std::string("'") + c + "'");
    }
    return lines;
}

namespace {

// The length of a number form of the assembler starting at `p`, 0 for none.
// Digits and letters run as one word, as the editor takes them; the forms
// around quotes must be whole to count.
std::size_t FormLength(std::string_view l, std::size_t p, TAssembleur a)
{
    const std::size_t n = l.size();
    if (p > 0 && WordChar(l[p - 1]))
        return 0; // inside a word
    const char c = l[p];
    auto wordEnd = [&](std::size_t from) {
        while (from < n && WordChar(l[from]))
            ++from;
        return from;
    };
    if (IsDigit(c))
        return wordEnd(p) - p;
    if (a == TAssembleur::Gpasm) {
        if (c == '\'') {
            int code = 0;
            const std::size_t len = GpasmCharBody(l.substr(p + 1), code);
            return len && p + 1 + len < n && l[p + 1 + len] == '\'' ? len + 2 : 0;
        }
        if (c == '.') {
            const std::size_t e = wordEnd(p + 1);
            return e > p + 1 && ValidDigits(l.substr(p + 1, e - p - 1), 10) ? e - p : 0;
        }
        if (p + 2 < n && l[p + 1] == '\'') {
            const std::size_t close = l.find('\'', p + 2);
            if (close == std::string_view::npos)
                return 0;
            const std::string_view body = l.substr(p + 2, close - p - 2);
            int base = 0;
            switch (Lower(c)) {
            case 'a':
                return body.size() == 1 ? close + 1 - p : 0;
            case 'b': base = 2; break;
            case 'd': base = 10; break;
            case 'h': base = 16; break;
            case 'o': case 'q': base = 8; break;
            default: return 0;
            }
            return ValidDigits(body, base) ? close + 1 - p : 0;
        }
        return 0;
    }
    if (a == TAssembleur::Avra) {
        if (c == '\'')
            return p + 2 < n && l[p + 2] == '\'' ? 3 : 0;
        if (c == '$') {
            const std::size_t e = wordEnd(p + 1);
            return e > p + 1 && ValidDigits(l.substr(p + 1, e - p - 1), 16) ? e - p : 0;
        }
    }
    return 0;
}

// The longest form an assembler writes: b' and 32 digits and '.
constexpr std::size_t LongestForm = 40;

} // namespace

TPortee PorteeNombre(std::string_view ligne, TPortee sel, TAssembleur a)
{
    if (sel.Debut >= sel.Fin || sel.Fin > ligne.size())
        return sel;
    if (a == TAssembleur::Inconnu) {
        if (sel.Debut > 0 && (ligne[sel.Debut - 1] == '$' || ligne[sel.Debut - 1] == '%'))
            --sel.Debut;
        return sel;
    }
    TPortee best = sel;
    const std::size_t stop = sel.Debut > LongestForm ? sel.Debut - LongestForm : 0;
    for (std::size_t p = sel.Debut + 1; p-- > stop;) {
        const std::size_t len = FormLength(ligne, p, a);
        if (len && p + len >= sel.Fin)
            best = TPortee{p, p + len}; // the one starting first holds the others
    }
    return best;
}

std::string MotConversion(std::string_view ligne, std::size_t at, TAssembleur a)
{
    if (at >= ligne.size() || static_cast<unsigned char>(ligne[at]) < 33)
        return {};
    TPortee seed{at, at + 1};
    const bool word = WordChar(ligne[at]);
    if (word) {
        while (seed.Debut > 0 && WordChar(ligne[seed.Debut - 1]))
            --seed.Debut;
        while (seed.Fin < ligne.size() && WordChar(ligne[seed.Fin]))
            ++seed.Fin;
    } else if (a == TAssembleur::Inconnu) {
        return {};
    }
    const TPortee form = a == TAssembleur::Inconnu ? seed : PorteeNombre(ligne, seed, a);
    if (!word && form == seed)
        return {}; // a sign or a quote of no number
    return std::string(ligne.substr(form.Debut, form.Fin - form.Debut));
}

} // namespace kep
