#include "platform/CodePage.h"

namespace kep {

namespace {

#include "platform/CodePageTables.inc"

bool IsHighSurrogate(char16_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool IsLowSurrogate(char16_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

} // namespace

unsigned char OemToAnsiByte(unsigned char c) { return kOemToAnsi[c]; }
unsigned char AnsiToOemByte(unsigned char c) { return kAnsiToOem[c]; }

std::string OemToAnsi(std::string_view oem)
{
    std::string out(oem.size(), '\0');
    for (size_t i = 0; i < oem.size(); ++i)
        out[i] = static_cast<char>(kOemToAnsi[static_cast<unsigned char>(oem[i])]);
    return out;
}

std::string AnsiToOem(std::string_view ansi)
{
    std::string out(ansi.size(), '\0');
    for (size_t i = 0; i < ansi.size(); ++i)
        out[i] = static_cast<char>(kAnsiToOem[static_cast<unsigned char>(ansi[i])]);
    return out;
}

char16_t AnsiToUnicode(unsigned char c) { return kAnsiToUnicode[c]; }

unsigned char UnicodeToAnsi(char32_t u)
{
    // Outside 0x80-0x9F the page is Latin-1; inside it, look the character up.
    if (u < 0x80 || (u >= 0xA0 && u <= 0xFF))
        return static_cast<unsigned char>(u);
    for (unsigned b = 0x80; b < 0xA0; ++b)
        if (kAnsiToUnicode[b] == u)
            return static_cast<unsigned char>(b);
    return '?';
}

std::u16string AnsiToUtf16(std::string_view ansi)
{
    std::u16string out(ansi.size(), u'\0');
    for (size_t i = 0; i < ansi.size(); ++i)
        out[i] = kAnsiToUnicode[static_cast<unsigned char>(ansi[i])];
    return out;
}

std::string Utf16ToAnsi(std::u16string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        const char16_t c = text[i];
        if (IsHighSurrogate(c) && i + 1 < text.size() && IsLowSurrogate(text[i + 1])) {
            // One character outside the basic plane: one '?', not two.
            ++i;
            out += '?';
        } else if (IsHighSurrogate(c) || IsLowSurrogate(c)) {
            out += '?';
        } else {
            out += static_cast<char>(UnicodeToAnsi(c));
        }
    }
    return out;
}

} // namespace kep
