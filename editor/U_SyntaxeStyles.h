#pragma once
// The 14 colouring styles, their built-in table and the text form in which a
// style table is kept in the option file and in project files.
#include "platform/IniFile.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kep {

// A colour as stored: red in the low byte, then green, then blue. With the
// high bit set, the low byte names a system colour that the widget resolves.
using TColor = std::uint32_t;

constexpr TColor RGBColor(unsigned r, unsigned g, unsigned b)
{
    return TColor(r & 0xFF) | TColor(g & 0xFF) << 8 | TColor(b & 0xFF) << 16;
}
constexpr bool IsSystemColor(TColor c) { return (c & 0x80000000u) != 0; }
constexpr unsigned SystemColorIndex(TColor c) { return c & 0xFF; }
constexpr unsigned ColorR(TColor c) { return c & 0xFF; }
constexpr unsigned ColorG(TColor c) { return (c >> 8) & 0xFF; }
constexpr unsigned ColorB(TColor c) { return (c >> 16) & 0xFF; }

constexpr TColor clBlack = RGBColor(0, 0, 0);
constexpr TColor clWhite = RGBColor(0xFF, 0xFF, 0xFF);
constexpr TColor clSilver = RGBColor(0xC0, 0xC0, 0xC0);
constexpr TColor clNavy = RGBColor(0, 0, 0x80);
constexpr TColor clYellow = RGBColor(0xFF, 0xFF, 0);
constexpr TColor clRed = RGBColor(0xFF, 0, 0);
constexpr TColor clGreen = RGBColor(0, 0x80, 0);
constexpr TColor clOlive = RGBColor(0x80, 0x80, 0);
constexpr TColor clTeal = RGBColor(0, 0x80, 0x80);
// System colours (the values older option files hold).
constexpr TColor clWindow = 0x80000005;
constexpr TColor clWindowText = 0x80000008;
constexpr TColor clHighlight = 0x8000000D;
constexpr TColor clHighlightText = 0x8000000E;
constexpr TColor clBtnFace = 0x8000000F;
constexpr TColor clBtnShadow = 0x80000010;
constexpr TColor clGrayText = 0x80000011;
constexpr TColor clBtnText = 0x80000012;
constexpr TColor clBtnHighlight = 0x80000014;

enum TStyleType : std::uint8_t {
    stDir, stOp, stLab, stRem, stTit, stSel, stRien, stStr, stSur, stSig,
    stMacro, stLoop, stIf1, stIf0,
};
constexpr int StyleCount = 14;

// Font style bits of a style entry.
enum : std::uint8_t { fsBold = 1, fsItalic = 2, fsUnderline = 4, fsStrikeOut = 8 };

struct TStyleEntry {
    TColor Back = clBlack;
    TColor Fore = clBlack;
    std::uint8_t Style = 0;
    bool TxtSntx = false; // "Fournis par syntaxe"
    bool FondCtx = false; // "Fournie par contexte"
    bool operator==(const TStyleEntry&) const = default;
};

using TStyleTable = std::array<TStyleEntry, StyleCount>;

// The built-in table.
const TStyleTable& DefaultStyles();
// Key name of a style ("stDir" ... "stIf0").
std::string_view StyleName(TStyleType st);
// Caption of the style in the dialogs (UTF-8, for display).
std::string_view StyleLabel(TStyleType st);
// Number of the style's key in older files ("Couls" followed by it).
int LegacyKeyNumber(TStyleType st);
std::string LegacyKeyName(TStyleType st);

// "$RRGGBB"-style stored form: text colour, background, then the words of
// the attributes that are set ("$00FFFF,$000000,Gras").
std::string StyleValueText(const TStyleEntry& entry);
// Reads a stored value into the entry when its text colour, background or
// font style is not zero (true), else leaves the entry as it was (false).
bool ParseStyleValue(std::string_view text, TStyleEntry& entry);
// A colour item: decimal (optional sign, 32 bits) or "$" and hexadecimal; 0
// when it is not a number.
TColor ParseColorItem(std::string_view item);

// The INI class the option and project stores build on: comma lists and
// style tables.
class TIniFileStyles : public TIniFile {
public:
    using TIniFile::TIniFile;

    // Items separated by commas, each trimmed; an item in double quotes may
    // hold commas and blanks, with "" for a quote inside.
    static std::vector<std::string> SplitCommaList(std::string_view text);
    // The reverse: items holding blanks, commas or quotes, and empty items,
    // are quoted.
    static std::string JoinCommaList(const std::vector<std::string>& items);
    std::vector<std::string> ReadCommaList(std::string_view section, std::string_view key) const;

    // Replaces the entries the section stores (style keys, else the older
    // "Couls" keys); the table holds the defaults beforehand.
    void ReadStyles(std::string_view section, TStyleTable& table) const;
    // Writes every style that differs from the defaults; a style equal to
    // its default removes its keys so the defaults read back. One write of
    // the file; false when it failed (see LastError).
    bool WriteStyles(std::string_view section, const TStyleTable& table,
                     const TStyleTable& defaults = DefaultStyles());
};

} // namespace kep
