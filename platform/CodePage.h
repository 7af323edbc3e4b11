#pragma once
// Single-byte code pages of the texts KEP edits: ANSI is Windows-1252, OEM is
// code page 850. Conversions use fixed tables so that every byte maps to one
// byte; characters a page lacks get Windows' best-fit choice.
#include <string>
#include <string_view>

namespace kep {

// Whole-text conversions between the OEM and the ANSI page (byte for byte).
std::string OemToAnsi(std::string_view oem);
std::string AnsiToOem(std::string_view ansi);
unsigned char OemToAnsiByte(unsigned char c);
unsigned char AnsiToOemByte(unsigned char c);

// ANSI byte <-> Unicode, for display and keyboard input. A code point the
// ANSI page cannot hold gives '?'.
char16_t AnsiToUnicode(unsigned char c);
unsigned char UnicodeToAnsi(char32_t u);
std::u16string AnsiToUtf16(std::string_view ansi);
std::string Utf16ToAnsi(std::u16string_view text);

} // namespace kep
