#pragma once
// The settings of a file type, or of one file: what the option file keeps
// per type and what a project file keeps per open file.
#include "editor/U_SyntaxeStyles.h"

#include <array>
#include <cstdint>
#include <string>

namespace kep {

using TTabStops = std::array<std::uint16_t, 6>;

inline constexpr TTabStops TabsAsmUsine{14, 23, 41, 48, 55, 70};
inline constexpr TTabStops TabsTexteUsine{8, 16, 24, 32, 40, 48};

// Bits of TInfosFich::Opts. Bits 5 to 7 are kept as read.
enum : std::uint8_t {
    optConvDos = 0x01,
    optAutoSave = 0x02,
    optAutoLoad = 0x04,
    optReadOnly = 0x08,
    optClrEol = 0x10,
};

// The catch-all file type and its extension.
inline constexpr const char* NomTypeAutres = "Autres";
inline constexpr const char* ExtAutres = ".???";

inline constexpr int MaxBackups = 9;
inline constexpr int MaxFontSize = 500;

struct TInfosFich {
    std::string Nom;                  // display name of the type, or the file's name
    std::string Ext = ExtAutres;      // with its dot, upper case as the dialog enters it
    std::string Police = "Courier New";
    int Taille = 10;
    TStyleTable Styles = DefaultStyles();
    TTabStops Tabs = TabsAsmUsine;
    std::uint8_t Opts = optConvDos | optAutoSave | optAutoLoad;
    int Backup = 0;

    bool operator==(const TInfosFich&) const = default;
};

} // namespace kep
