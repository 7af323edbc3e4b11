#pragma once
// The code look-up ("Montre code généré") for projects built with gputils:
// without the vendor map, objects and image, the code of a source line comes
// from gpasm's own listing of that source, placed in program memory with
// gplink's map and completed from the linked Intel HEX file.
// Plain C++, no window; every reader takes any bytes and stays linear.
#include "build/U_CarteGplink.h"
#include "build/U_FichiersScan.h"

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace kep {

// What the look-up shows for a line that generated nothing.
inline constexpr std::string_view PasDeCodeTrouve = "Pas de code trouvé";

// The code of one source line as the listing shows it: the code of the line
// itself, of its macro expansion and of its continuation lines, as long as it
// stays contiguous in one section.
struct TCodeListing {
    std::int32_t Section = -1; // in TListingGpasm::Sections; -1 for none
    std::uint32_t Loc = 0;     // LOC as listed
    bool Octets = false;       // 2-digit groups (bytes) rather than 4-digit words
    // A __config or __idlocs line of a relocatable listing: its LOC is an
    // address and gpasm lists zeros in place of the values.
    bool Config = false;
    bool IdLocs = false;
    std::vector<std::string> Valeurs; // the groups as listed, '?' where unresolved
};

struct TEtiquetteListing {
    std::string Nom;
    std::string Fichier; // name (without folder) of the include it is in; "" for the listed file
    std::uint32_t Loc = 0;
};

struct TSectionListing {
    std::string Nom;
    bool Absolue = false; // placed by the source (code 0x300, org): LOC are addresses
    bool Code = true;     // program memory (code, code_pack, org) rather than data
    std::uint32_t Fin = 0; // end of its listed contents, in LOC units
    std::vector<TEtiquetteListing> Etiquettes;
};

struct TListingGpasm {
    bool Gpasm = false;          // the text starts with "gpasm"
    std::string Titre;           // the file named by the title line (gpasm keeps 13 characters)
    bool Trouve = false;         // the file asked for is listed (as the title's file or an include)
    bool Relogeable = false;     // sections: LOC are relative to them
    bool AdressesOctets = false; // LOC count bytes (18F, 6-digit LOC) rather than words
    std::vector<TSectionListing> Sections;
    std::map<std::int32_t, TCodeListing> Lignes; // 1-based lines of the file asked for, with code
};

// Number of lines of an included file given as written in the include
// directive, when it can be read; it settles whether a line that continues
// both an include and its parent belongs to the include.
using TLignesInclude = std::function<std::optional<std::int32_t>(std::string_view name)>;

// Reads a gpasm listing for the lines of `fichier` (a name without folder): the
// listing's own file when the title names it, else the blocks of an include
// of that name (compared ignoring case).
TListingGpasm LitListing(std::string_view texte, std::string_view fichier, const TLignesInclude& lignesDe = {});

// The look-up's text: 'SECTION' $ADDRESS (n mots) : values.
std::string TexteCode(std::string_view section, std::uint32_t adresse, bool octets,
                      const std::vector<std::string>& valeurs);

// The base address of a relocatable section: from a label of the section
// found in the map (gplink puts same-named sections of several modules end
// to end, so only a label tells where this module's code went), else from the
// map's section of that name when its size is this listing's alone.
// `souche`: the listed file's name without extension, as the map names it.
std::optional<std::uint32_t> BaseSection(const TListingGpasm& listing, std::int32_t section, std::string_view souche,
                                         const TCarteGplink& carte);

// The text for line `ligne` (1-based) of the listed file. Without the map, or
// when the section cannot be placed, the address is the LOC within the
// section; '?' digits are filled from the image only at a known address.
std::string CodeDeLigne(const TListingGpasm& listing, std::int64_t ligne, std::string_view souche,
                        const TCarteGplink* carte, const TImageHex* image);

// The code of a source line read from gpasm's listing of that source, in the
// text of the code look-up; nothing when no gpasm listing of it is there.
std::optional<std::string> CodeParListing(const TFichiersScan& fs, const std::string& makeName,
                                          const std::string& sourceName, std::int32_t lineId);

} // namespace kep
