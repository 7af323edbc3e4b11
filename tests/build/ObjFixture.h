#pragma once
// Writes the files the code look-up and the COD viewer read: program images,
// map files and object modules, record by record, so that every test input
// is made here from its description (no binary of unknown origin).
#include <cstdint>
#include <string>
#include <vector>

namespace kep::test {

// ---- Program image (.COD) ----------------------------------------------------
struct TCodRec {
    std::uint32_t Start = 0;
    std::vector<std::uint8_t> Data;
};
// The records, then the end record (start 0, length 0) when `endRecord`.
// Lengths take 2 bytes, or 4 with `len32` (the older variant).
std::string ImageCod(const std::vector<TCodRec>& records, bool endRecord = true, bool len32 = false);
// `n` bytes counting up from `first`.
std::vector<std::uint8_t> Bytes(std::size_t n, std::uint8_t first = 0);
// The other .cod: Microchip's (gpasm, gplink), a directory block naming
// `tool` as gplink lays it out, and one block of code.
std::string CodMicrochip(const std::string& tool);

// ---- Map file -----------------------------------------------------------------------
struct TMapGroupe {
    std::string Module;                 // as the look-up opens it
    std::vector<std::string> Fichiers;  // the files it was built from
};
struct TMapSegment {
    std::string Nom;
    std::uint32_t Debut = 0, Fin = 0;
    std::string Module;
    int Section = 1;
};
// A linker map: a banner, "Dependencies" with its groups, then "Segment
// List" with one line per placed section, the columns where the look-up
// reads them. Lines end with `eol`.
std::string MapFile(const std::vector<TMapGroupe>& groupes, const std::vector<TMapSegment>& segments,
                    const std::string& eol = "\r\n");
// One segment-list line alone.
std::string LigneSegment(const TMapSegment& s);

// ---- Object module ----------------------------------------------------------------
void Put(std::string& out, std::uint64_t v, int bytes);
void PutLien(std::string& out, std::uint32_t offset, std::uint32_t length, bool flag = false);
std::uint32_t Get32(const std::string& bytes, std::size_t at);
void Patch32(std::string& bytes, std::size_t at, std::uint32_t v);

struct TEntreeTable {
    int Position = 1; // the file's position in its dependency group
    int Premiere = 1, Derniere = 0;
    std::string Nom = "bloc";
};
struct TEnregLignes {
    std::uint32_t Maillon = 0;
    std::uint16_t Offset = 0;
    std::uint16_t Premiere = 0;
    std::uint32_t Adresse = 0;
    std::uint8_t Drapeaux = 0;
    std::uint16_t Index = 0;
    std::uint32_t MaillonSuite = 0;
    std::uint16_t OffsetSuite = 0;
    std::uint16_t Derniere = 0;
    std::string Nom;
};
// Line records, one after another (the data of one chunk, after its 8
// skipped bytes).
std::string Enregs(const std::vector<TEnregLignes>& records);
// Size entries: one byte each, the long form (0xFF, 4 bytes, the count, 1
// byte) from 0xFF up or when `longues`.
std::string Tailles(const std::vector<std::uint32_t>& counts, bool longues = false);

// Line records and size lists kept in a file of their own, reached through
// an indirection record.
struct TSuite {
    std::string Bytes;
    std::uint32_t LignesOffset = 0, LignesLongueur = 0;
    std::uint32_t TaillesOffset = 0, TaillesLongueur = 0;
};
TSuite ObjSuite(const std::vector<std::string>& ligneChunks, const std::vector<std::string>& tailleChunks);

struct TSectionObj {
    std::string Nom = "sect";
    std::uint8_t Type = 1; // the top three bits of the flags
    std::uint32_t Base = 0;
    std::string Segment = "CODE";
    // Chunk data; each line chunk gets its 8 skipped bytes in front, each
    // size chunk after the first as well.
    std::vector<std::string> LigneChunks;
    std::vector<std::string> TailleChunks;
    // When set, the section's line records go on in that file (the file
    // part is written), laid out by ObjSuite.
    std::string FichierSuite;
    TSuite Suite;
};
struct TModuleObj {
    std::string Nom = "module";
    int TailleUnite = 1;           // 0: no unit record
    bool FinEntete = true;         // the 0xFE byte
    std::string AutresRecords;     // written before the chain records
    std::vector<std::vector<TEntreeTable>> Table; // entries per chunk
    std::vector<TSectionObj> Sections;
};
// Where the writer put the chunks, for tests that damage them.
struct TPlanObj {
    std::vector<std::size_t> Table, Sections;
    std::vector<std::vector<std::size_t>> Lignes, TaillesChunks;
};
std::string ObjModule(const TModuleObj& m, TPlanObj* plan = nullptr);

} // namespace kep::test
