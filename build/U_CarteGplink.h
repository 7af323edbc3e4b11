#pragma once
// What gplink leaves beside the linked program, as the code look-up reads
// it: the map's "Section Info" and symbol tables, and the Intel HEX image.
// Plain C++; any bytes are taken, and reading stays linear.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace kep {

struct TSectionCarte {
    std::string Nom;
    std::string Type; // code, romdata, udata, idata
    std::string Lieu; // program or data
    std::uint32_t Adresse = 0;
    std::uint32_t Taille = 0; // in bytes
};

struct TSymboleCarte {
    std::string Nom;
    std::uint32_t Adresse = 0;
    std::string Fichier; // the source that defines it; empty for the linker's own
};

// gplink's map: the "Section Info" table and the symbol tables (sorted by name).
struct TCarteGplink {
    std::vector<TSectionCarte> Sections;
    std::vector<TSymboleCarte> Symboles;
};
TCarteGplink LitCarte(std::string_view texte);

// The bytes of an Intel HEX file (records of type 00, 02 and 04; a record
// whose length or checksum is wrong is ignored, and so is all after type 01;
// nothing above 4 GiB).
struct TImageHex {
    std::vector<std::pair<std::uint32_t, std::uint8_t>> Octets; // sorted by address, one per address
    std::optional<std::uint8_t> Octet(std::uint64_t adresse) const;
    // The little-endian word at a byte address.
    std::optional<std::uint16_t> Mot(std::uint64_t adresse) const;
};
TImageHex LitHex(std::string_view texte);

} // namespace kep
