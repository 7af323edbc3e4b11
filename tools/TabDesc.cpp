// Processor table description (".tabdesc"), read by `keptool tab-make`.
//
// One statement per line. ";" starts a comment (outside quotes). Tokens are
// separated by blanks; "..." quotes a token (\" and \\ inside). The text is
// UTF-8; names and the title are stored in Windows-1252.
//
// A reference to a keyword, named value, item, alternative or list is its
// name, or #N (decimal) for a raw 1-based index, kept even when nothing has
// that index, so damaged tables can be described too. XX is a byte in hex.
//
//   title TEXT                 the rest of the line, verbatim
//   keywords NAME...           appended to the keyword list, in order
//   h8                         sets bit 0x20 of flag byte 6 ("H8 style")
//   flag N XX                  sets byte N (0..14) of the flag block
//   value KEYWORD [XX XX XX]   a named-value record (keyword, three data bytes)
//   alt NAME KEYWORD...        alternatives (area B)
//   list NAME ITEM...          operand list (area C)
//   item NAME KIND ...         operand item (area A), KIND one of
//       type T [XX]            argument type T (decimal, 1..191)   80 T XX
//       type81 T [XX]          the same with code 81               81 T XX
//       kw KEYWORD             a keyword                           40 n
//       value VALUE            a named value (keyword of a record) 06 n
//       range XX XX XX         a value range                       05 a b c
//       inset X                inset X (one hex digit)             1X
//       alt ALT [XX]           alternatives                        C0 g XX
//       bytes XX...            raw bytes
//   mnemonic NAME              starts a mnemonic; its variants follow
//   encoding [long] XX... : SYNTAX...
//                              one variant: opcode bytes, then its syntax
//                              items; "long" forces the 3-byte header
//       kw K | item I | alt G | list L | qkw K (keyword in quotes)
//       | comma | macsig XX XX | code XX... (raw bytes)
//   raw XX...                  raw bytes appended to the mnemonic's data
//   needs TAG                  the mnemonic's forms need assembler mode TAG
//   field NAME BITS [signed] [max N] [rel OFFSET SCALE]
//                              where item or alternative NAME lands in the
//                              opcode: "11-8,3-0" (high part first)
//
// "field" and "needs" serve the check against the real assemblers only; the
// table file is the same with or without them.
//
// Definitions may come in any order; a mnemonic's variants are chained in
// the order written.
#include "tools/TabDesc.h"

#include "platform/CodePage.h"

#include <algorithm>
#include <cstdint>
#include <map>
#include <optional>

namespace kep {

namespace {

struct TToken {
    std::string Text; // UTF-8 as written
    bool Quoted = false;
};

struct TLine {
    int Number = 0;
    std::vector<TToken> Tokens;
    std::string Rest; // text after the first token, for "title"
};

struct TDescError {
    int Line;
    std::string Message;
};

[[noreturn]] void Fail(int line, const std::string& message)
{
    throw TDescError{line, message};
}

// UTF-8 to Windows-1252; fails on malformed text and on characters the code
// page lacks.
std::string ToAnsi(std::string_view utf8, int line)
{
    std::string out;
    for (std::size_t i = 0; i < utf8.size();) {
        unsigned char c = static_cast<unsigned char>(utf8[i]);
        char32_t u;
        std::size_t n;
        if (c < 0x80) {
            u = c;
            n = 1;
        } else if ((c & 0xE0) == 0xC0) {
            u = c & 0x1F;
            n = 2;
        } else if ((c & 0xF0) == 0xE0) {
            u = c & 0x0F;
            n = 3;
        } else if ((c & 0xF8) == 0xF0) {
            u = c & 0x07;
            n = 4;
        } else {
            Fail(line, "texte UTF-8 invalide.");
        }
        if (i + n > utf8.size())
            Fail(line, "texte UTF-8 invalide.");
        for (std::size_t k = 1; k < n; ++k) {
            unsigned char cc = static_cast<unsigned char>(utf8[i + k]);
            if ((cc & 0xC0) != 0x80)
                Fail(line, "texte UTF-8 invalide.");
            u = (u << 6) | (cc & 0x3F);
        }
        if (u == 0)
            Fail(line, "octet nul interdit.");
        unsigned char a = UnicodeToAnsi(u);
        if (a == '?' && u != U'?')
            Fail(line, "caractère « " + std::string(utf8.substr(i, n)) + " » absent de Windows-1252.");
        out += static_cast<char>(a);
        i += n;
    }
    return out;
}

TLine Tokenize(std::string_view text, int number)
{
    TLine line;
    line.Number = number;
    std::size_t i = 0;
    auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r'; };
    while (i < text.size()) {
        if (blank(text[i])) {
            ++i;
            continue;
        }
        if (text[i] == ';')
            break;
        TToken tok;
        if (text[i] == '"') {
            tok.Quoted = true;
            ++i;
            for (;;) {
                if (i >= text.size())
                    Fail(number, "guillemet fermant manquant.");
                char c = text[i++];
                if (c == '"')
                    break;
                if (c == '\\' && i < text.size() && (text[i] == '"' || text[i] == '\\'))
                    c = text[i++];
                tok.Text += c;
            }
        } else {
            while (i < text.size() && !blank(text[i]) && text[i] != ';' && text[i] != '"')
                tok.Text += text[i++];
        }
        if (line.Tokens.empty()) {
            std::size_t r = i;
            while (r < text.size() && blank(text[r]))
                ++r;
            line.Rest = std::string(text.substr(r));
            while (!line.Rest.empty() && blank(line.Rest.back()))
                line.Rest.pop_back();
        }
        line.Tokens.push_back(std::move(tok));
    }
    return line;
}

std::uint8_t ParseHexByte(const TToken& t, int line)
{
    const std::string& s = t.Text;
    if (t.Quoted || s.empty() || s.size() > 2)
        Fail(line, "octet hexadécimal attendu au lieu de « " + s + " ».");
    unsigned v = 0;
    for (char c : s) {
        v <<= 4;
        if (c >= '0' && c <= '9')
            v |= static_cast<unsigned>(c - '0');
        else if (c >= 'A' && c <= 'F')
            v |= static_cast<unsigned>(c - 'A' + 10);
        else if (c >= 'a' && c <= 'f')
            v |= static_cast<unsigned>(c - 'a' + 10);
        else
            Fail(line, "octet hexadécimal attendu au lieu de « " + s + " ».");
    }
    return static_cast<std::uint8_t>(v);
}

unsigned ParseDecimal(const std::string& s, unsigned max, int line, const char* what)
{
    if (s.empty() || s.size() > 5)
        Fail(line, std::string(what) + " invalide : « " + s + " ».");
    unsigned v = 0;
    for (char c : s) {
        if (c < '0' || c > '9')
            Fail(line, std::string(what) + " invalide : « " + s + " ».");
        v = v * 10 + static_cast<unsigned>(c - '0');
    }
    if (v > max)
        Fail(line, std::string(what) + " hors limites : " + s + " (maximum " + std::to_string(max) + ").");
    return v;
}

// Index of a named definition: 1-based position, or #N as written.
class TNames {
public:
    explicit TNames(const char* what) : What(what) {}

    // A name defined twice is an error unless duplicates are allowed; then
    // the first definition keeps the name.
    void Define(const std::string& name, int line, bool duplicates = false)
    {
        ++Count;
        if (!Index.emplace(name, Count).second && !duplicates)
            Fail(line, std::string(What) + " « " + name + " » déjà défini.");
    }
    // 1-based index of a name, 0 when it is not defined.
    std::size_t Find(const std::string& name) const
    {
        auto it = Index.find(name);
        return it == Index.end() ? 0 : it->second;
    }
    std::uint8_t Resolve(const TToken& t, int line) const
    {
        if (!t.Quoted && t.Text.size() > 1 && t.Text[0] == '#')
            return static_cast<std::uint8_t>(ParseDecimal(t.Text.substr(1), 255, line, "index"));
        auto it = Index.find(t.Text);
        if (it == Index.end())
            Fail(line, std::string(What) + " « " + t.Text + " » inconnu.");
        if (it->second > 255)
            Fail(line, std::string(What) + " « " + t.Text + " » : index " + std::to_string(it->second) +
                           " trop grand pour un octet.");
        return static_cast<std::uint8_t>(it->second);
    }

private:
    const char* What;
    std::map<std::string, std::size_t> Index;
    std::size_t Count = 0;
};

class TParser {
public:
    explicit TParser(TTabDesc& desc) : Desc(desc) {}

    void Run(std::string_view text);

private:
    void Declare(const TLine& l);
    void Value(const TLine& l);
    void Build(const TLine& l);
    std::string Item(const TLine& l);
    void Variant(const TLine& l);
    void Field(const TLine& l);
    void Need(const TLine& l, std::size_t min, std::size_t max, const char* usage) const
    {
        std::size_t n = l.Tokens.size();
        if (n < min || n > max)
            Fail(l.Number, std::string("syntaxe attendue : « ") + usage + " ».");
    }
    std::uint8_t Keyword(const TToken& t, int line) const { return Keywords.Resolve(t, line); }

    // A mnemonic's variants are chained once they are all known.
    struct TPiece {
        bool Variant = false;
        bool Long = false;
        std::string Opcode;
        std::string Bytes; // syntax items with their end, or raw bytes
        std::vector<TTabDesc::TSyntaxItem> Syntax;
        int Line = 0;
    };
    struct TPending {
        std::string Name;
        int Line = 0;
        std::vector<TPiece> Pieces;
        std::vector<std::string> Needs;
    };
    void FinishMnemonics();

    TTabDesc& Desc;
    TNames Keywords{"mot clé"};
    TNames ValueNames{"valeur nommée"};
    TNames ItemNames{"élément d'opérande"};
    TNames AltNames{"alternative"};
    TNames ListNames{"liste d'opérandes"};
    std::map<std::string, int> MnemonicLines;
    std::vector<TPending> Pending;
};

void TParser::Run(std::string_view text)
{
    std::vector<TLine> lines;
    int number = 0;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos)
            end = text.size();
        ++number;
        TLine l = Tokenize(text.substr(start, end - start), number);
        if (!l.Tokens.empty())
            lines.push_back(std::move(l));
        start = end + 1;
    }
    for (const TLine& l : lines)
        Declare(l);
    for (const TLine& l : lines)
        if (l.Tokens[0].Text == "value")
            Value(l);
    for (const TLine& l : lines)
        Build(l);
    // Fields are checked against the items and alternatives, all built now.
    for (const TLine& l : lines)
        if (l.Tokens[0].Text == "field")
            Field(l);
    FinishMnemonics();
}

// First pass: every name gets its index, so definitions may follow their use.
void TParser::Declare(const TLine& l)
{
    const std::string& cmd = l.Tokens[0].Text;
    if (cmd == "keywords") {
        for (std::size_t i = 1; i < l.Tokens.size(); ++i) {
            std::string name = ToAnsi(l.Tokens[i].Text, l.Number);
            if (name.find(';') != std::string::npos)
                Fail(l.Number, "un mot clé ne peut contenir « ; ».");
            Keywords.Define(l.Tokens[i].Text, l.Number, true);
            Desc.Keywords.push_back(name);
        }
    } else if (cmd == "item" || cmd == "alt" || cmd == "list") {
        if (l.Tokens.size() < 2)
            Fail(l.Number, "nom manquant après « " + cmd + " ».");
        TNames& names = cmd == "item" ? ItemNames : cmd == "alt" ? AltNames : ListNames;
        names.Define(l.Tokens[1].Text, l.Number);
    }
}

void TParser::Value(const TLine& l)
{
    if (l.Tokens.size() != 2 && l.Tokens.size() != 5)
        Fail(l.Number, "syntaxe attendue : « value MOT_CLÉ [XX XX XX] ».");
    std::array<std::uint8_t, 4> rec{};
    rec[0] = Keyword(l.Tokens[1], l.Number);
    for (std::size_t i = 2; i < l.Tokens.size(); ++i)
        rec[i - 1] = ParseHexByte(l.Tokens[i], l.Number);
    Desc.Values.push_back(rec);
}

void TParser::Build(const TLine& l)
{
    const std::string& cmd = l.Tokens[0].Text;
    if (cmd == "title") {
        Desc.Title = ToAnsi(l.Rest, l.Number);
    } else if (cmd == "keywords") {
        // Done in the first pass.
    } else if (cmd == "h8") {
        Need(l, 1, 1, "h8");
        Desc.Flags[6] |= 0x20;
    } else if (cmd == "flag") {
        Need(l, 3, 3, "flag N XX");
        unsigned n = ParseDecimal(l.Tokens[1].Text, 14, l.Number, "numéro d'octet");
        Desc.Flags[n] = ParseHexByte(l.Tokens[2], l.Number);
    } else if (cmd == "value") {
        // Done before the items that refer to them.
    } else if (cmd == "alt") {
        Need(l, 3, SIZE_MAX, "alt NOM MOT_CLÉ...");
        std::string b(1, static_cast<char>(l.Tokens.size() - 2 > 255 ? 255 : l.Tokens.size() - 2));
        for (std::size_t i = 2; i < l.Tokens.size(); ++i) {
            b += static_cast<char>(Keyword(l.Tokens[i], l.Number));
            b += '\0';
        }
        b += '\0';
        Desc.Alternatives.push_back(b);
    } else if (cmd == "list") {
        Need(l, 2, SIZE_MAX, "list NOM ÉLÉMENT...");
        std::string b(1, static_cast<char>(l.Tokens.size() - 2 > 255 ? 255 : l.Tokens.size() - 2));
        for (std::size_t i = 2; i < l.Tokens.size(); ++i) {
            b += static_cast<char>(ItemNames.Resolve(l.Tokens[i], l.Number));
            b += std::string(2, '\0');
        }
        b += '\0';
        Desc.Lists.push_back(b);
    } else if (cmd == "item") {
        Desc.Items.push_back(Item(l));
    } else if (cmd == "mnemonic") {
        Need(l, 2, 2, "mnemonic NOM");
        std::string name = ToAnsi(l.Tokens[1].Text, l.Number);
        if (name.find(';') != std::string::npos)
            Fail(l.Number, "un mnémonique ne peut contenir « ; ».");
        auto [it, fresh] = MnemonicLines.emplace(name, l.Number);
        if (!fresh)
            Fail(l.Number, "mnémonique « " + l.Tokens[1].Text + " » déjà défini ligne " + std::to_string(it->second) +
                               ".");
        Pending.push_back({name, l.Number, {}, {}});
    } else if (cmd == "encoding") {
        Variant(l);
    } else if (cmd == "raw") {
        if (Pending.empty())
            Fail(l.Number, "« raw » hors d'un mnémonique.");
        TPiece p;
        p.Line = l.Number;
        for (std::size_t i = 1; i < l.Tokens.size(); ++i)
            p.Bytes += static_cast<char>(ParseHexByte(l.Tokens[i], l.Number));
        Pending.back().Pieces.push_back(p);
    } else if (cmd == "needs") {
        if (Pending.empty())
            Fail(l.Number, "« needs » hors d'un mnémonique.");
        Need(l, 2, 2, "needs MODE");
        std::vector<std::string>& needs = Pending.back().Needs;
        if (std::find(needs.begin(), needs.end(), l.Tokens[1].Text) == needs.end())
            needs.push_back(l.Tokens[1].Text);
    } else if (cmd == "field") {
        // After the items and alternatives.
    } else {
        Fail(l.Number, "instruction inconnue « " + cmd + " ».");
    }
}

std::string TParser::Item(const TLine& l)
{
    if (l.Tokens.size() < 3)
        Fail(l.Number, "syntaxe attendue : « item NOM GENRE ... ».");
    const std::string& kind = l.Tokens[2].Text;
    const int n = l.Number;
    std::string b;
    if (kind == "type" || kind == "type81") {
        Need(l, 4, 5, "item NOM type T [XX]");
        b += static_cast<char>(kind == "type" ? 0x80 : 0x81);
        b += static_cast<char>(ParseDecimal(l.Tokens[3].Text, 255, n, "type d'argument"));
        b += static_cast<char>(l.Tokens.size() == 5 ? ParseHexByte(l.Tokens[4], n) : 0);
    } else if (kind == "kw") {
        Need(l, 4, 4, "item NOM kw MOT_CLÉ");
        b += '\x40';
        b += static_cast<char>(Keyword(l.Tokens[3], n));
    } else if (kind == "value") {
        Need(l, 4, 4, "item NOM value VALEUR");
        const TToken& t = l.Tokens[3];
        std::uint8_t index = 0;
        if (!t.Quoted && t.Text.size() > 1 && t.Text[0] == '#') {
            index = ValueNames.Resolve(t, n);
        } else {
            // The first record that names this keyword.
            std::uint8_t kw = Keyword(t, n);
            for (std::size_t i = 0; i < Desc.Values.size() && !index; ++i)
                if (Desc.Values[i][0] == kw)
                    index = static_cast<std::uint8_t>(i + 1);
            if (!index)
                Fail(n, "aucune valeur nommée « " + t.Text + " ».");
        }
        b += '\x06';
        b += static_cast<char>(index);
    } else if (kind == "range") {
        Need(l, 6, 6, "item NOM range XX XX XX");
        b += '\x05';
        for (std::size_t i = 3; i < 6; ++i)
            b += static_cast<char>(ParseHexByte(l.Tokens[i], n));
    } else if (kind == "inset") {
        Need(l, 4, 4, "item NOM inset X");
        std::uint8_t x = ParseHexByte(l.Tokens[3], n);
        if (x > 15)
            Fail(n, "chiffre d'inset hors limites (0 à F).");
        b += static_cast<char>(0x10 + x);
    } else if (kind == "alt") {
        Need(l, 4, 5, "item NOM alt ALTERNATIVE [XX]");
        b += '\xC0';
        b += static_cast<char>(AltNames.Resolve(l.Tokens[3], n));
        b += static_cast<char>(l.Tokens.size() == 5 ? ParseHexByte(l.Tokens[4], n) : 0);
    } else if (kind == "bytes") {
        Need(l, 4, SIZE_MAX, "item NOM bytes XX...");
        for (std::size_t i = 3; i < l.Tokens.size(); ++i)
            b += static_cast<char>(ParseHexByte(l.Tokens[i], n));
    } else {
        Fail(n, "genre d'élément inconnu « " + kind + " ».");
    }
    return b;
}

void TParser::Variant(const TLine& l)
{
    const int n = l.Number;
    if (Pending.empty())
        Fail(n, "« encoding » hors d'un mnémonique.");
    TPiece p;
    p.Variant = true;
    p.Line = n;
    std::size_t i = 1;
    if (i < l.Tokens.size() && !l.Tokens[i].Quoted && l.Tokens[i].Text == "long") {
        p.Long = true;
        ++i;
    }
    for (; i < l.Tokens.size() && !(l.Tokens[i].Text == ":" && !l.Tokens[i].Quoted); ++i)
        p.Opcode += static_cast<char>(ParseHexByte(l.Tokens[i], n));
    if (i >= l.Tokens.size())
        Fail(n, "« : » manquant entre les octets du code et la syntaxe.");
    if (p.Opcode.size() > 255)
        Fail(n, "plus de 255 octets de code.");
    ++i;
    auto arg = [&](const char* what) -> const TToken& {
        if (i >= l.Tokens.size())
            Fail(n, std::string("argument manquant après « ") + what + " ».");
        return l.Tokens[i++];
    };
    while (i < l.Tokens.size()) {
        const TToken& t = l.Tokens[i++];
        const std::string& w = t.Text;
        using S = TTabDesc::TSyntaxItem;
        auto record = [&](S::TKind kind, std::uint8_t index) {
            p.Syntax.push_back({kind, index});
            return static_cast<char>(index);
        };
        if (w == "kw") {
            p.Bytes += '\x01';
            p.Bytes += record(S::Keyword, Keyword(arg("kw"), n));
        } else if (w == "item") {
            p.Bytes += '\x02';
            p.Bytes += record(S::Item, ItemNames.Resolve(arg("item"), n));
        } else if (w == "alt") {
            p.Bytes += '\x03';
            p.Bytes += record(S::Alternative, AltNames.Resolve(arg("alt"), n));
            p.Bytes += '\0';
        } else if (w == "list") {
            p.Bytes += '\x04';
            p.Bytes += record(S::List, ListNames.Resolve(arg("list"), n));
            p.Bytes += '\0';
        } else if (w == "qkw") {
            p.Bytes += '\x09';
            p.Bytes += record(S::QuotedKeyword, Keyword(arg("qkw"), n));
        } else if (w == "comma") {
            p.Bytes += '\x0A';
            record(S::Comma, 0);
        } else if (w == "macsig") {
            record(S::Other, 0);
            p.Bytes += '\x13';
            p.Bytes += static_cast<char>(ParseHexByte(arg("macsig"), n));
            p.Bytes += static_cast<char>(ParseHexByte(arg("macsig"), n));
        } else if (w == "code") {
            // Raw bytes to the end of the line.
            record(TTabDesc::TSyntaxItem::Other, 0);
            if (i >= l.Tokens.size())
                Fail(n, "argument manquant après « code ».");
            while (i < l.Tokens.size())
                p.Bytes += static_cast<char>(ParseHexByte(l.Tokens[i++], n));
        } else {
            Fail(n, "élément de syntaxe inconnu « " + w + " ».");
        }
    }
    p.Bytes += '\0';
    Pending.back().Pieces.push_back(p);
}

// A decimal number, or hexadecimal after 0x; a sign only when allowed.
long long ParseNumber(const std::string& s, bool sign, int line, const char* what)
{
    std::size_t i = 0;
    bool negative = false;
    if (sign && !s.empty() && (s[0] == '-' || s[0] == '+')) {
        negative = s[0] == '-';
        i = 1;
    }
    int base = 10;
    if (s.size() > i + 2 && s[i] == '0' && (s[i + 1] == 'x' || s[i + 1] == 'X')) {
        base = 16;
        i += 2;
    }
    if (i >= s.size() || s.size() - i > 12)
        Fail(line, std::string(what) + " invalide : « " + s + " ».");
    long long v = 0;
    for (; i < s.size(); ++i) {
        char c = s[i];
        int d = c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10 : c >= 'A' && c <= 'F' ? c - 'A' + 10 : 99;
        if (d >= base)
            Fail(line, std::string(what) + " invalide : « " + s + " ».");
        v = v * base + d;
    }
    return negative ? -v : v;
}

void TParser::Field(const TLine& l)
{
    const int n = l.Number;
    const char* usage =
        "syntaxe attendue : « field NOM BITS [signed] [max N] [rel DÉCALAGE PAS] [scale N] [not] [also BITS] ».";
    if (l.Tokens.size() < 3)
        Fail(n, usage);
    const std::string& name = l.Tokens[1].Text;
    // An item first: "item d alt dest" and "alt d ..." may share a name.
    std::size_t item = ItemNames.Find(name), alt = item ? 0 : AltNames.Find(name);
    if (!item && !alt)
        Fail(n, "« " + name + " » n'est ni un élément d'opérande ni une alternative.");
    TTabDesc::TField f;
    f.Line = n;
    // The bits, which may be written with blanks after the commas.
    std::size_t i = 2;
    std::string spec;
    for (; i < l.Tokens.size(); ++i) {
        const std::string& t = l.Tokens[i].Text;
        if (t == "signed" || t == "max" || t == "rel" || t == "scale" || t == "also" || t == "not" ||
            (!spec.empty() && spec.back() != ',' && (t.empty() || t[0] != ',')))
            break;
        spec += t;
    }
    std::uint64_t used = 0;
    auto parseBits = [&](const std::string& text) {
        std::vector<std::pair<unsigned, unsigned>> bits;
        std::size_t start = 0;
        for (;;) {
            std::size_t end = text.find(',', start);
            std::string part = text.substr(start, end == std::string::npos ? std::string::npos : end - start);
            std::size_t dash = part.find('-');
            unsigned hi = ParseDecimal(part.substr(0, dash), 63, n, "numéro de bit");
            unsigned lo = dash == std::string::npos ? hi : ParseDecimal(part.substr(dash + 1), 63, n, "numéro de bit");
            if (hi < lo)
                Fail(n, "bits « " + part + " » : le bit de poids fort s'écrit d'abord.");
            for (unsigned b = lo; b <= hi; ++b) {
                if (used >> b & 1)
                    Fail(n, "bit " + std::to_string(b) + " placé deux fois dans « " + name + " ».");
                used |= std::uint64_t(1) << b;
            }
            bits.push_back({hi, lo});
            if (end == std::string::npos)
                return bits;
            start = end + 1;
        }
    };
    f.Bits = parseBits(spec);
    for (; i < l.Tokens.size(); ++i) {
        const std::string& t = l.Tokens[i].Text;
        if (t == "signed") {
            f.Signed = true;
        } else if (t == "max" && i + 1 < l.Tokens.size()) {
            f.HasMax = true;
            f.Max = static_cast<std::uint64_t>(ParseNumber(l.Tokens[++i].Text, false, n, "maximum"));
        } else if (t == "rel" && i + 2 < l.Tokens.size()) {
            f.Rel = f.Signed = true;
            f.RelOffset = ParseNumber(l.Tokens[++i].Text, true, n, "décalage");
            f.RelScale = ParseNumber(l.Tokens[++i].Text, false, n, "pas");
            if (f.RelScale == 0)
                Fail(n, "pas de « rel » nul.");
        } else if (t == "scale" && i + 1 < l.Tokens.size()) {
            f.Scale = ParseNumber(l.Tokens[++i].Text, false, n, "pas");
            if (f.Scale == 0)
                Fail(n, "pas de « scale » nul.");
        } else if (t == "not") {
            f.Invert = true;
        } else if (t == "also" && i + 1 < l.Tokens.size()) {
            f.Also = parseBits(l.Tokens[++i].Text);
            unsigned w = 0;
            for (auto [hi, lo] : f.Also)
                w += hi - lo + 1;
            if (w != f.Width())
                Fail(n, "« also » doit placer autant de bits que le champ.");
        } else {
            Fail(n, usage);
        }
    }
    const unsigned width = f.Width();
    const std::uint64_t top = f.Signed ? (std::uint64_t(1) << (width - 1)) - 1 : (width >= 64 ? ~std::uint64_t(0) : (std::uint64_t(1) << width) - 1);
    if (f.HasMax && f.Max > top)
        Fail(n, "maximum " + std::to_string(f.Max) + " trop grand pour " + std::to_string(width) + " bits.");
    std::map<unsigned, TTabDesc::TField>& fields = item ? Desc.ItemFields : Desc.AlternativeFields;
    const unsigned index = static_cast<unsigned>(item ? item : alt);
    // The value placed: a number for a type, a position for alternatives.
    std::size_t choices = 0;
    if (alt) {
        choices = static_cast<unsigned char>(Desc.Alternatives[alt - 1][0]);
    } else {
        const std::string& b = Desc.Items[item - 1];
        const unsigned char kind = b.empty() ? 0 : static_cast<unsigned char>(b[0]);
        if (kind == 0xC0 && b.size() > 1 && static_cast<unsigned char>(b[1]) >= 1 &&
            static_cast<unsigned char>(b[1]) <= Desc.Alternatives.size())
            choices = static_cast<unsigned char>(Desc.Alternatives[static_cast<unsigned char>(b[1]) - 1][0]);
        else if (kind != 0x80 && kind != 0x81)
            Fail(n, "l'élément « " + name + " » n'a pas de valeur à placer (ni type ni alternative).");
    }
    if (choices && (f.Signed || choices - 1 > top))
        Fail(n, "« " + name + " » a " + std::to_string(choices) + " alternatives : " + std::to_string(width) +
                    " bits non signés ne les placent pas.");
    auto [it, fresh] = fields.emplace(index, f);
    if (!fresh)
        Fail(n, "champ « " + name + " » déjà défini ligne " + std::to_string(it->second.Line) + ".");
}

void TParser::FinishMnemonics()
{
    for (const TPending& m : Pending) {
        bool any = false;
        for (const TPiece& p : m.Pieces)
            any = any || p.Variant;
        if (!any)
            Fail(m.Line, "le mnémonique « " + m.Name + " » n'a aucun codage.");
        TTabDesc::TMnemonic out;
        out.Name = m.Name;
        out.Needs = m.Needs;
        for (std::size_t k = 0; k < m.Pieces.size(); ++k) {
            const TPiece& p = m.Pieces[k];
            if (!p.Variant) {
                out.Encoding += p.Bytes;
                continue;
            }
            bool more = false;
            for (std::size_t j = k + 1; j < m.Pieces.size(); ++j)
                more = more || m.Pieces[j].Variant;
            out.Variants.push_back({p.Opcode, p.Syntax, p.Line});
            const std::size_t len = p.Opcode.size();
            if (!p.Long && len >= 1 && len <= 4) {
                out.Encoding += static_cast<char>(((len - 1) << 6) | (more ? 1 : 0));
            } else {
                out.Encoding += '\xFF';
                out.Encoding += static_cast<char>(len);
                out.Encoding += static_cast<char>(more ? 1 : 0);
            }
            out.Encoding += p.Opcode;
            out.Encoding += p.Bytes;
        }
        Desc.Mnemonics.push_back(std::move(out));
    }
}

} // namespace

bool ParseTabDesc(std::string_view text, TTabDesc& desc, std::string* error)
{
    desc = TTabDesc{};
    try {
        TParser(desc).Run(text);
        return true;
    } catch (const TDescError& e) {
        desc = TTabDesc{};
        if (error)
            *error = "Ligne " + std::to_string(e.Line) + " : " + e.Message;
        return false;
    }
}

} // namespace kep
