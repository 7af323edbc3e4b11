#include "editor/U_Conv.h"

namespace kep {

namespace {

int DigitValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return 99;
}

bool Printable(std::uint32_t code)
{
    if (code < 33 || code > 255 || code == 127)
        return false;
    // No character stands at these codes in Windows-1252.
    return code != 0x81 && code != 0x8D && code != 0x8F && code != 0x90 && code != 0x9D;
}

} // namespace

bool TConversion::SetValue(std::string_view text)
{
    if (text.empty())
        return false;
    std::string s(text);
    for (char& c : s)
        if (c >= 'a' && c <= 'z')
            c = char(c - 'a' + 'A');
    TUniteConv prefix = uOuverte;
    if (s[0] == '$')
        prefix = uHexa;
    else if (s[0] == '%')
        prefix = uBinaire;
    if (prefix != uOuverte)
        s.erase(0, 1);
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
    return true;
}

TUniteConv TConversion::UnitUsed(int uniteDefaut) const
{
    if (Unit_ != uOuverte)
        return Unit_;
    TUniteConv u = uniteDefaut == udBinaire ? uBinaire : uniteDefaut == udHexa ? uHexa : uDecimale;
    return u < Class_ ? Class_ : u;
}

std::optional<std::uint32_t> TConversion::Value(int uniteDefaut) const
{
    if (Digits_.empty())
        return std::nullopt;
    switch (UnitUsed(uniteDefaut)) {
    case uBinaire:
        return LitNombre(Digits_, 2);
    case uHexa:
        return LitNombre(Digits_, 16);
    default:
        return LitNombre(Digits_, 10);
    }
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

std::vector<std::string> FormesConversion(std::uint32_t value)
{
    static const char hex[] = "0123456789ABCDEF";
    std::vector<std::string> lines;

    std::string bits;
    for (std::uint32_t v = value; v != 0; v >>= 1)
        bits.insert(bits.begin(), char('0' + (v & 1)));
    // Whole bytes; zero shows one byte of zeros.
    bits.insert(0, bits.empty() ? 8 : (8 - bits.size() % 8) % 8, '0');
    lines.push_back("%" + bits);

    std::string h;
    for (std::uint32_t v = value; v != 0; v >>= 4)
        h.insert(h.begin(), hex[v & 15]);
    if (h.empty())
        h = "00";
    else if (h.size() % 2 != 0)
        h.insert(h.begin(), '0');
    lines.push_back("$" + h);

    const auto signedValue = std::int32_t(value);
    if (signedValue < 0)
        lines.push_back(std::to_string(value));
    lines.push_back(std::to_string(signedValue));

    if (Printable(value))
        lines.push_back(std::string("'") + char(value) + "'");
    return lines;
}

} // namespace kep
