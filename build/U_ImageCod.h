#pragma once
// Reading a program image (.cod) for the viewer: its data records as a tree,
// one node per record ("segment") with its bytes in hexadecimal as children.
// Plain C++, no window.
//
// A record is a start address in bytes (4 bytes, little-endian), a length
// (2 bytes, or 4 in the older variant) and that many data bytes; start 0 with
// length 0 ends the data.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kep {

// Texts in UTF-8.
struct TNoeudCod {
    std::string Texte;
    std::vector<std::string> Enfants;
    bool operator==(const TNoeudCod&) const = default;
};

// Never reads past `bytes` and never sizes anything from a declared length:
// time and memory follow the size of the file.
//  - "Segment NN : SSSSSSSS-EEEEEEEE (L octets)" per record, its data as dump
//    lines "AAAAAA: XX XX ... " of 16 bytes, addresses from the record's start
//    (end and addresses past 32 bits keep their extra digits, never wrap);
//  - the end record gets the child "Fin normale des données" and nothing
//    after it is read;
//  - a record whose data the file cuts gets "Fin du fichier atteinte, données
//    tronquées" then the bytes present;
//  - a file ending inside a record header gets a last node
//    "Segment NN : en-tête incomplet (K octets sur H)" with the children
//    "Fin du fichier atteinte, en-tête tronqué" and "Octets restants : XX ... ".
// A file that ends exactly after a record (without end record) just stops.
std::vector<TNoeudCod> ArbreCod(std::string_view bytes, bool taille32);

// The pieces of a node, for other image formats shown the same way:
// "Segment NN : SSSSSSSS-EEEEEEEE (L octets)", and the dump lines of `data`.
std::string TexteSegment(std::size_t numero, std::uint64_t debut, std::uint64_t longueur);
void AjouteDump(std::vector<std::string>& lignes, std::uint64_t adresse, std::string_view data);

// One node or child per line (LF), children indented by two spaces.
std::string ArbreCodTexte(const std::vector<TNoeudCod>& arbre);

} // namespace kep
