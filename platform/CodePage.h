#pragma once
// Single-byte code pages of the texts KEP edits: ANSI is Windows-1252, OEM is
// code page 850. Texts stay bytes; conversions use fixed tables of our own.
//
// Files convert losslessly: the characters both pages hold map to each other
// and the 31 characters only 850 has (box drawing, shades, dotless i...) map
// onto the 31 ANSI bytes whose character 850 lacks (euro, typographic quotes
// and the unassigned bytes). An OEM file thus loads and saves back byte for
// byte. Its text in the buffer is ANSI bytes; shown and typed, those 31 bytes
// stand for their OEM characters.
//
// The look-alike conversions (box corners to '+', euro to 'E') serve the
// commands where the user asks for a conversion.
#include <string>
#include <string_view>

namespace kep {

// Whole-text conversions of files, lossless both ways.
std::string OemToAnsi(std::string_view oem);
std::string AnsiToOem(std::string_view ansi);
unsigned char OemToAnsiByte(unsigned char c);
unsigned char AnsiToOemByte(unsigned char c);

// Look-alike conversions for the "Dos -> win" / "Win -> dos" commands.
std::string OemToAnsiLookAlike(std::string_view oem);
std::string AnsiToOemLookAlike(std::string_view ansi);

// ANSI byte <-> Unicode. A code point the ANSI page cannot hold gives '?'.
char16_t AnsiToUnicode(unsigned char c);
unsigned char UnicodeToAnsi(char32_t u);
std::u16string AnsiToUtf16(std::string_view ansi);
// Windows-1252 bytes as UTF-8 (listings and status texts built from names
// read in files).
std::string AnsiToUtf8(std::string_view ansi);
std::string Utf16ToAnsi(std::u16string_view text);

// A buffer byte as shown: with `oem`, the file is an OEM file and the byte
// shows its OEM character.
char16_t TextToUnicode(unsigned char c, bool oem);
std::u16string TextToUtf16(std::string_view text, bool oem);
// The buffer byte for a typed character; false when the file's code page
// cannot hold it (nothing is substituted).
bool UnicodeToText(char32_t u, bool oem, unsigned char& out);
// A whole text for the buffer; characters the page cannot hold become '?'
// and are counted in `refused`.
std::string Utf16ToText(std::u16string_view text, bool oem, std::size_t* refused = nullptr);

} // namespace kep
