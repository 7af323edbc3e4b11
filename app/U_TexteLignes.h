#pragma once
// The main window's own small line commands of the menus Edition and
// Sélection: each gives the lines that replace the selected ones.
#include "editor/TextPos.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kep {

struct TPlageLignes {
    std::int32_t Premiere = 0;
    std::int32_t Derniere = -1;
    bool Vide() const { return Derniere < Premiere; }
    std::int32_t Nombre() const { return Vide() ? 0 : Derniere - Premiere + 1; }
};

// The lines from the selection's start to its end, the end's line left out
// when the selection ends at its column 1 (no selection: the caret line,
// none at column 1).
TPlageLignes LignesSelectionnees(TTextPos selStart, TTextPos selEnd);

// The symbol put in front of every line, empty lines included.
std::vector<std::string> MetEnRemarque(const std::vector<std::string>& lignes, std::string_view symbole);
// The symbol taken off the lines that start with it exactly (case kept).
std::vector<std::string> OteRemarque(const std::vector<std::string>& lignes, std::string_view symbole);
std::vector<std::string> InverseLignes(const std::vector<std::string>& lignes);

} // namespace kep
