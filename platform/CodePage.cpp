#include "platform/CodePage.h"

#include <algorithm>
#include <array>
#include <utility>

namespace kep {

namespace {

#include "platform/CodePageTables.inc"

bool IsHighSurrogate(char16_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool IsLowSurrogate(char16_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

std::string Map(std::string_view in, const unsigned char (&table)[256])
{
    std::string out(in.size(), '\0');
    for (size_t i = 0; i < in.size(); ++i)
        out[i] = static_cast<char>(table[static_cast<unsigned char>(in[i])]);
    return out;
}

// Upper half of code page 850 sorted by character, for typed input.
using TOemIndex = std::array<std::pair<char16_t, unsigned char>, 128>;
const TOemIndex& OemIndex()
{
    static const TOemIndex index = [] {
        TOemIndex ix{};
        for (unsigned b = 0; b < 128; ++b)
            ix[b] = {kOemToUnicode[b + 128], static_cast<unsigned char>(b + 128)};
        std::sort(ix.begin(), ix.end());
        return ix;
    }();
    return index;
}

bool UnicodeToOem(char32_t u, unsigned char& out)
{
    if (u < 0x80) {
        out = static_cast<unsigned char>(u);
        return true;
    }
    const TOemIndex& ix = OemIndex();
    const auto it = std::lower_bound(ix.begin(), ix.end(), u,
                                     [](const auto& e, char32_t v) { return char32_t(e.first) < v; });
    if (it == ix.end() || char32_t(it->first) != u)
        return false;
    out = it->second;
    return true;
}

bool UnicodeToAnsiExact(char32_t u, unsigned char& out)
{
    // Outside 0x80-0x9F the page is Latin-1; inside it, look the character up.
    if (u < 0x80 || (u >= 0xA0 && u <= 0xFF)) {
        out = static_cast<unsigned char>(u);
        return true;
    }
    for (unsigned b = 0x80; b < 0xA0; ++b)
        if (kAnsiToUnicode[b] == u) {
            out = static_cast<unsigned char>(b);
            return true;
        }
    return false;
}

} // namespace

unsigned char OemToAnsiByte(unsigned char c) { return kOemToAnsi[c]; }
unsigned char AnsiToOemByte(unsigned char c) { return kAnsiToOem[c]; }
std::string OemToAnsi(std::string_view oem) { return Map(oem, kOemToAnsi); }
std::string AnsiToOem(std::string_view ansi) { return Map(ansi, kAnsiToOem); }
std::string OemToAnsiLookAlike(std::string_view oem) { return Map(oem, kOemToAnsiFit); }
std::string AnsiToOemLookAlike(std::string_view ansi) { return Map(ansi, kAnsiToOemFit); }

char16_t AnsiToUnicode(unsigned char c) { return kAnsiToUnicode[c]; }

unsigned char UnicodeToAnsi(char32_t u)
{
    unsigned char b = '?';
    return UnicodeToAnsiExact(u, b) ? b : static_cast<unsigned char>('?');
}

std::u16string AnsiToUtf16(std::string_view ansi) { return TextToUtf16(ansi, false); }
std::string Utf16ToAnsi(std::u16string_view text) { return Utf16ToText(text, false); }

char16_t TextToUnicode(unsigned char c, bool oem)
{
    return oem ? kOemToUnicode[kAnsiToOem[c]] : kAnsiToUnicode[c];
}

std::u16string TextToUtf16(std::string_view text, bool oem)
{
    std::u16string out(text.size(), u'\0');
    for (size_t i = 0; i < text.size(); ++i)
        out[i] = TextToUnicode(static_cast<unsigned char>(text[i]), oem);
    return out;
}

bool UnicodeToText(char32_t u, bool oem, unsigned char& out)
{
    if (!oem)
        return UnicodeToAnsiExact(u, out);
    unsigned char o = 0;
    if (!UnicodeToOem(u, o))
        return false;
    out = kOemToAnsi[o];
    return true;
}

std::string Utf16ToText(std::u16string_view text, bool oem, std::size_t* refused)
{
    std::string out;
    out.reserve(text.size());
    std::size_t lost = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        const char16_t c = text[i];
        unsigned char b = '?';
        if (IsHighSurrogate(c) && i + 1 < text.size() && IsLowSurrogate(text[i + 1])) {
            // One character outside the basic plane: one '?', not two.
            ++i;
            ++lost;
        } else if (IsHighSurrogate(c) || IsLowSurrogate(c) || !UnicodeToText(c, oem, b)) {
            b = '?';
            ++lost;
        }
        out += static_cast<char>(b);
    }
    if (refused)
        *refused = lost;
    return out;
}

std::string AnsiToUtf8(std::string_view ansi)
{
    std::string out;
    out.reserve(ansi.size());
    for (char c : ansi) {
        char32_t u = AnsiToUnicode(static_cast<unsigned char>(c));
        if (u < 0x80) {
            out += static_cast<char>(u);
        } else if (u < 0x800) {
            out += static_cast<char>(0xC0 | (u >> 6));
            out += static_cast<char>(0x80 | (u & 0x3F));
        } else {
            out += static_cast<char>(0xE0 | (u >> 12));
            out += static_cast<char>(0x80 | ((u >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (u & 0x3F));
        }
    }
    return out;
}

} // namespace kep
