#pragma once
// The code look-up ("Montre code généré") for projects built with avra: avra
// writes, beside each source it assembles, an "AVR Object File" (NAME.obj)
// with one record per program word: its address, its value and the source
// line that made it. Plain C++, no window; the reader takes any bytes.
#include "build/U_FichiersScan.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kep {

// One program word. Words from a macro expansion carry the line of the
// outermost invocation; a two-word instruction gives two records of one line.
struct TEnregObjAvra {
    std::uint32_t Adresse = 0; // in words
    std::uint16_t Valeur = 0;
    std::uint8_t Fichier = 0;  // index in TObjAvra::Fichiers
    std::uint16_t Ligne = 0;   // 1-based
    bool Macro = false;
};

struct TObjAvra {
    bool Avra = false; // the header names the format
    // The name table: the assembled source as given to avra, then the
    // includes as avra opened them. An include opened twice may be listed
    // twice; its records use the first entry.
    std::vector<std::string> Fichiers;
    std::vector<TEnregObjAvra> Enregs; // in the order avra wrote them
};

// Reads the bytes of an avra object file. Whatever is cut, lies or is
// missing leaves fewer records or names, never a read outside the bytes.
TObjAvra LitObjAvra(std::string_view octets);

// avra's .cseg, as the look-up names it.
inline constexpr std::string_view SegmentCodeAvra = "CODE";

// The text for line `ligne` (1-based) of the files whose entries are marked
// in `fichiers` (one flag per name-table entry): the line's first run of
// consecutive words, in the form of TexteCode; "Pas de code trouvé" when the
// line made no word.
std::string CodeDeLigneAvra(const TObjAvra& obj, const std::vector<bool>& fichiers, std::int64_t ligne);

// The code of a source line read from the avra object file that lists the
// source: the source's own NAME.obj, else the make file's, else that of a
// source the make file names. Nothing when no such file names the source.
std::optional<std::string> CodeParObjAvra(const TFichiersScan& fs, const std::string& makeName,
                                          const std::string& sourceName, std::int32_t lineId);

} // namespace kep
