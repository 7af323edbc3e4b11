#pragma once
// What the assembler made of a source line. The linker's map file says which
// object module was built from the source and where its sections were
// placed; the module's line table, section chain, line records and size
// lists give the line's offset and size in its section; the program image
// gives the values. Every file is read whole and chased through offsets, so
// every read is checked against the file's end and every chain is bounded.
#include "build/U_FichiersScan.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace kep {

// A link to a chunk: the chunk's offset from the start of the file and its
// data length (the low 31 bits); the high bit is a flag.
struct TLienObj {
    std::uint32_t Offset = 0;
    std::uint32_t Longueur = 0;
    bool Drapeau = false;
};

// Thrown by a read past a file's bytes: the look-up ends with its text so far.
struct TFinFichier {};

// One reader of an object module: the file's bytes, a read position and the
// chunk being read. Copies share the bytes.
class TObjReader {
public:
    // Opening the name already held keeps its bytes. False when the file
    // cannot be read (the reader then holds nothing).
    bool Ouvre(const TFichiersScan& fs, const std::string& path);
    const std::string& Nom() const { return Nom_; }
    std::size_t Taille() const { return Data_ ? Data_->size() - 1 : 0; }

    std::uint8_t Octet();
    std::uint16_t Mot();
    std::uint32_t U24();
    std::uint32_t Long();
    TLienObj Lien();
    std::string Chaine(); // zero-terminated; the added zero ends the last one
    void Saute(std::size_t n);

    // Starts a chain at its first chunk, or goes on to the chunk the current
    // one links to; the position is then at the chunk's data. False when the
    // link ends the chain (length 0, offset at or past the end), and when the
    // chain has taken more steps than the file can hold chunks (a loop).
    bool Debute(const TLienObj& lien);
    bool Suivant();
    // Goes on in the same chain at a link found elsewhere (an indirection).
    bool Continue(const TLienObj& lien);
    // The current chunk's data: [Debut, Fin), Fin kept inside the file.
    std::size_t Debut = 0, Fin = 0;
    std::size_t Pos = 0;
    // The link at the chunk's start, to the next chunk of its chain.
    TLienObj Prochain;
    // Room left in the chunk for n more bytes.
    bool Reste(std::size_t n) const { return Pos <= Fin && Fin - Pos >= n; }

private:
    bool Entre(TLienObj lien);
    void Verifie(std::size_t n) const;
    std::string Nom_;
    std::shared_ptr<const std::string> Data_; // the bytes and one added zero
    std::size_t Pas_ = 0; // chunks entered in this chain
    // A chunk kept to recognise a loop when the chain comes back to it; it
    // moves on after 1, 2, 4... steps so that any loop is found within
    // twice its length.
    std::shared_ptr<const std::string> GardeFichier_; // held: its address stays unique
    std::uint32_t GardeOffset_ = 0;
    std::size_t Puissance_ = 1, Lam_ = 0;
};

// The state of one look-up.
struct SLD_BOOKMARK {
    std::string Source; // full name
    int Ligne = 0;      // 1-based
    std::string NomMap;
    std::string TexteMap;
    std::size_t PosDep = 0; // in the dependencies section
    std::size_t PosSeg = 0; // in the segment list (never rewound)
    std::string Module;
    int PosFichier = 0; // the source's position among the module's files
    bool ModuleOuvert = false;
    bool SectionOuverte = false;
    int NbSections = 0;
    int TypeSection = 0;
    std::uint32_t BaseSection = 0;
    std::string Segment;
    int TailleUnite = 1;
    int IndexSection = -1;
    TLienObj LienSections; // the next section's chunk
    TLienObj LienTailles;
    std::string FichierTailles; // the file the size list is read from
    std::uint32_t Adresse = 0;
    std::uint64_t NbUnites = 0;
    TObjReader Entete, Lignes, Tailles;
};

// The look-up of "Montre code généré": the make file's and the source's
// file parts, the line's identity (its 0-based number when loaded or saved).
// One line of UTF-8 text: the segment, address, size and values, or why
// nothing was found.
std::string TrouveCode(const TFichiersScan& fs, const std::string& makeFile, const std::string& sourceFile,
                       std::int32_t lineId);

// The values of `unites` units from `adresse` (counted in units) in a
// program image: ":" and " XX.." per unit, the first byte most significant;
// empty when no record holds the address. Stops at the end record, at the
// end of the record that holds the address and at the end of the bytes.
std::string ValeursImage(std::string_view image, std::uint32_t adresse, std::uint64_t unites, int tailleUnite);

// "name.EXT" from a name's file part with its extension replaced.
std::string ChangeExtension(const std::string& fileName, const std::string& ext);

} // namespace kep
