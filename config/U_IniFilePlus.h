#pragma once
// The typed helpers over the INI class that the option store, the project
// file and the windows share.
#include "config/U_InfosFich.h"
#include "editor/U_SyntaxeStyles.h"

#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace kep {

// A stored number that is not one. The message is French, Windows-1252
// text like the values, and names the value; the command that read it
// reports it to the user.
class EConvertError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A window's outer rectangle as the "Bounds" key keeps it.
struct TBounds {
    int Left = 0, Top = 0, Width = 0, Height = 0;
    bool operator==(const TBounds&) const = default;
};

// Strict decimal conversion of an item, surrounding blanks allowed: throws
// EConvertError when the text is not a 32-bit integer.
int StrToInt(std::string_view text);
// Lenient conversion: 0 when the text is not a 32-bit integer.
int StrToIntDef0(std::string_view text);

class TIniFilePlus : public TIniFileStyles {
public:
    using TIniFileStyles::TIniFileStyles;

    // The value when it is not empty, else `current` unchanged: an empty or
    // missing key keeps what the caller already holds.
    std::string ReadEdit(std::string_view section, std::string_view key, const std::string& current) const;

    // Fills every field from the section, the styles from the built-in table
    // first. A value that is not a number (Opts, first tab column) leaves that
    // field at its default; once every field is filled, EConvertError is
    // thrown so the caller can report it and still use `info`.
    void ReadFileType(std::string_view section, TInfosFich& info) const;
    // Ext, Font, Size, the styles, Tabs, Opts, Backup. False when the file
    // could not be written (LastError).
    bool WriteFileType(std::string_view section, const TInfosFich& info);

    // Tabs: empty gives the factory columns; the first item must be a
    // number (else the factory columns and EConvertError); the next five
    // read 0 when missing or not numbers.
    void ReadTabs(std::string_view section, TTabStops& tabs) const;
    static std::string TabsText(const TTabStops& tabs);
    // Parses a Tabs value as ReadTabs does (empty gives the factory columns).
    static TTabStops ParseTabs(std::string_view text);

    // "Bounds" = left,top,width,height. ReadBounds is false when the key is
    // absent or empty; it throws EConvertError when the first item is not a
    // number; later items read 0 when they are not numbers.
    bool ReadBounds(std::string_view section, TBounds& bounds) const;
    bool WriteBounds(std::string_view section, const TBounds& bounds);
    // The older keys Left, Top, Width, Height, each defaulting to `def`.
    TBounds ReadLegacyBounds(std::string_view section, const TBounds& def) const;
    bool HasLegacyBounds(std::string_view section) const;

    static constexpr std::size_t HistoryItems = 20;
    // A most-recent list under the keys prefix0 .. prefix19, read in order,
    // empty values skipped. Writing skips empty items and deletes the keys
    // after the last item up to prefix20.
    std::vector<std::string> ReadHistory(std::string_view section, std::string_view prefix) const;
    bool WriteHistory(std::string_view section, std::string_view prefix, const std::vector<std::string>& list);
    bool DeleteLegacyBounds(std::string_view section);
};

} // namespace kep
