#pragma once
// The settings of a file type, or of one file: what the option file keeps
// per type and what a project file keeps per open file.
#include "editor/U_SyntaxeStyles.h"

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

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

// Tab columns as the settings dialog shows them: six numbers separated by
// commas, either the columns themselves or, with `relatif`, the first column
// followed by each step to the next one written "+n".
std::string TexteTabs(const TTabStops& tabs, bool relatif);
// Reads the six columns back from either form (a value may be "+n" in both).
// A missing or zero value stands for the previous column + 8.
TTabStops LitTabs(std::string_view text);

// An extension as the file types keep it: a leading dot, ASCII letters in
// upper case.
std::string NormaliseExt(std::string_view text);

// "Plus clair" and "Plus foncé": the percentage each of red, green and blue
// is brought to.
inline constexpr int PourCentPlusClair = 110;
inline constexpr int PourCentPlusFonce = 90;
// Gives the current RGB value of a system colour.
using TResolveurCouleur = std::function<TColor(TColor)>;
// The colour with each component scaled, rounded and kept within 0..255. A
// system colour is first replaced by its RGB value from `resolve` (left as
// it is when there is no resolver).
TColor NuanceCouleur(TColor c, int pourCent, const TResolveurCouleur& resolve);
// Both colours of every style.
void NuanceStyles(TStyleTable& styles, int pourCent, const TResolveurCouleur& resolve);

} // namespace kep
