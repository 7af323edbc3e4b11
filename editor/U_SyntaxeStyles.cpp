#include "editor/U_SyntaxeStyles.h"

#include <cstdio>

namespace kep {

namespace {

constexpr TStyleEntry Plain(TColor fore, TColor back, std::uint8_t style = 0)
{
    return TStyleEntry{back, fore, style, false, true};
}
constexpr TStyleEntry Context(TColor back)
{
    return TStyleEntry{back, clWhite, 0, true, false};
}

constexpr TStyleTable kDefaults{{
    Plain(RGBColor(0xC0, 0xC0, 0xE0), clBlack),
    Plain(RGBColor(0xC0, 0xE0, 0xC0), clBlack),
    Plain(RGBColor(0xE0, 0xC0, 0xC0), clBlack),
    Plain(clBtnShadow, clBlack),
    Plain(clYellow, clBlack),
    Plain(clNavy, clSilver),
    Plain(clBtnFace, clBlack),
    Plain(RGBColor(0xEC, 0xC1, 0x1A), clBlack),
    Plain(clBlack, clWhite, fsBold),
    Plain(clRed, clBlack),
    Context(clGreen),
    Context(clOlive),
    Context(clTeal),
    Context(clTeal),
}};

constexpr std::string_view kNames[StyleCount] = {
    "stDir", "stOp", "stLab", "stRem", "stTit", "stSel", "stRien",
    "stStr", "stSur", "stSig", "stMacro", "stLoop", "stIf1", "stIf0",
};

constexpr std::string_view kLabels[StyleCount] = {
    "Directives",
    "Opcodes (mnémoniques)",
    "Labels",
    "Remarques",
    "Remarques surlignées (;**) ",
    "Texte sélectionné",
    "Texte neutre",
    "Chaine de caractère",
    "Mot surligné",
    "Mot clé processeur",
    "Définition de macro",
    "Definition de boucle",
    "Assemblage conditionnel actif",
    "Assemblage conditionnel inactif",
};

constexpr int kLegacy[StyleCount] = {0, 1, 2, 7, 8, 9, 10, 11, 12, 13, 3, 4, 5, 6};

// Attribute words in their stored order.
constexpr std::string_view kWords[6] = {"Gras", "Italique", "Souligne", "Barre", "TxtSntx", "FondCtx"};

std::string_view Trim(std::string_view s)
{
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t'))
        s.remove_suffix(1);
    return s;
}

bool SameWord(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        if (x >= 'a' && x <= 'z')
            x = char(x - 32);
        if (y >= 'a' && y <= 'z')
            y = char(y - 32);
        if (x != y)
            return false;
    }
    return true;
}

bool Valid(TStyleType st)
{
    return unsigned(st) < unsigned(StyleCount);
}

} // namespace

const TStyleTable& DefaultStyles()
{
    return kDefaults;
}

std::string_view StyleName(TStyleType st)
{
    return Valid(st) ? kNames[st] : std::string_view();
}

std::string_view StyleLabel(TStyleType st)
{
    return Valid(st) ? kLabels[st] : std::string_view();
}

int LegacyKeyNumber(TStyleType st)
{
    return Valid(st) ? kLegacy[st] : -1;
}

std::string LegacyKeyName(TStyleType st)
{
    return "Couls" + std::to_string(LegacyKeyNumber(st));
}

TColor ParseColorItem(std::string_view item)
{
    item = Trim(item);
    if (item.empty())
        return 0;
    if (item.front() == '$') {
        item.remove_prefix(1);
        if (item.empty() || item.size() > 8)
            return 0;
        TColor v = 0;
        for (char c : item) {
            unsigned d;
            if (c >= '0' && c <= '9')
                d = unsigned(c - '0');
            else if (c >= 'A' && c <= 'F')
                d = unsigned(c - 'A' + 10);
            else if (c >= 'a' && c <= 'f')
                d = unsigned(c - 'a' + 10);
            else
                return 0;
            v = v << 4 | d;
        }
        return v;
    }
    bool negative = false;
    if (item.front() == '+' || item.front() == '-') {
        negative = item.front() == '-';
        item.remove_prefix(1);
    }
    if (item.empty() || item.size() > 10)
        return 0;
    long long n = 0;
    for (char c : item) {
        if (c < '0' || c > '9')
            return 0;
        n = n * 10 + (c - '0');
    }
    // Older files hold system colours as negative 32-bit numbers.
    if (negative ? n > 2147483648LL : n > 4294967295LL)
        return 0;
    return TColor(negative ? -n : n);
}

std::string StyleValueText(const TStyleEntry& entry)
{
    char buf[32];
    std::snprintf(buf, sizeof buf, "$%06X,$%06X", unsigned(entry.Fore), unsigned(entry.Back));
    std::string text = buf;
    const bool set[6] = {
        (entry.Style & fsBold) != 0, (entry.Style & fsItalic) != 0, (entry.Style & fsUnderline) != 0,
        (entry.Style & fsStrikeOut) != 0, entry.TxtSntx, entry.FondCtx,
    };
    for (int i = 0; i < 6; ++i)
        if (set[i]) {
            text += ',';
            text += kWords[i];
        }
    return text;
}

bool ParseStyleValue(std::string_view text, TStyleEntry& entry)
{
    const std::vector<std::string> items = TIniFileStyles::SplitCommaList(text);
    TStyleEntry e;
    e.Fore = items.size() > 0 ? ParseColorItem(items[0]) : 0;
    e.Back = items.size() > 1 ? ParseColorItem(items[1]) : 0;
    for (std::size_t i = 2; i < items.size(); ++i) {
        if (SameWord(items[i], kWords[0]))
            e.Style |= fsBold;
        else if (SameWord(items[i], kWords[1]))
            e.Style |= fsItalic;
        else if (SameWord(items[i], kWords[2]))
            e.Style |= fsUnderline;
        else if (SameWord(items[i], kWords[3]))
            e.Style |= fsStrikeOut;
        else if (SameWord(items[i], kWords[4]))
            e.TxtSntx = true;
        else if (SameWord(items[i], kWords[5]))
            e.FondCtx = true;
    }
    if (e.Fore == 0 && e.Back == 0 && e.Style == 0)
        return false;
    entry = e;
    return true;
}

std::vector<std::string> TIniFileStyles::SplitCommaList(std::string_view text)
{
    std::vector<std::string> items;
    text = Trim(text);
    if (text.empty())
        return items;
    std::size_t pos = 0;
    for (;;) {
        while (pos < text.size() && (text[pos] == ' ' || text[pos] == '\t'))
            ++pos;
        std::string item;
        if (pos < text.size() && text[pos] == '"') {
            ++pos;
            while (pos < text.size()) {
                if (text[pos] == '"') {
                    if (pos + 1 < text.size() && text[pos + 1] == '"') {
                        item += '"';
                        pos += 2;
                        continue;
                    }
                    ++pos;
                    break;
                }
                item += text[pos++];
            }
            // Anything between the closing quote and the comma is dropped.
            const auto comma = text.find(',', pos);
            pos = comma == std::string_view::npos ? text.size() : comma;
        } else {
            const auto comma = text.find(',', pos);
            const std::size_t end = comma == std::string_view::npos ? text.size() : comma;
            item = std::string(Trim(text.substr(pos, end - pos)));
            pos = end;
        }
        items.push_back(std::move(item));
        if (pos >= text.size())
            break;
        ++pos; // the comma
    }
    return items;
}

std::string TIniFileStyles::JoinCommaList(const std::vector<std::string>& items)
{
    std::string text;
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (i > 0)
            text += ',';
        const std::string& s = items[i];
        bool quote = s.empty();
        for (char c : s)
            if (static_cast<unsigned char>(c) <= ' ' || c == ',' || c == '"')
                quote = true;
        if (!quote) {
            text += s;
            continue;
        }
        text += '"';
        for (char c : s) {
            if (c == '"')
                text += '"';
            text += c;
        }
        text += '"';
    }
    return text;
}

std::vector<std::string> TIniFileStyles::ReadCommaList(std::string_view section, std::string_view key) const
{
    return SplitCommaList(ReadString(section, key, ""));
}

void TIniFileStyles::ReadStyles(std::string_view section, TStyleTable& table) const
{
    for (int i = 0; i < StyleCount; ++i) {
        const auto st = TStyleType(i);
        std::string value = ReadString(section, StyleName(st), "");
        if (Trim(value).empty())
            value = ReadString(section, LegacyKeyName(st), "");
        ParseStyleValue(value, table[std::size_t(i)]);
    }
    TStyleEntry& rien = table[stRien];
    if (rien.Fore == 0 && rien.Back == 0)
        rien = table[stRem];
    TStyleEntry& str = table[stStr];
    if (str.Fore == 0 && str.Back == 0)
        str = kDefaults[stStr];
}

bool TIniFileStyles::WriteStyles(std::string_view section, const TStyleTable& table, const TStyleTable& defaults)
{
    BeginUpdate();
    for (int i = 0; i < StyleCount; ++i) {
        const auto st = TStyleType(i);
        const TStyleEntry& e = table[std::size_t(i)];
        if (e == defaults[std::size_t(i)]) {
            DeleteKey(section, StyleName(st));
            DeleteKey(section, LegacyKeyName(st));
        } else {
            WriteString(section, StyleName(st), StyleValueText(e));
        }
    }
    return EndUpdate();
}

} // namespace kep
