#pragma once
// Archiving a project: its options, the names it proposes, and the work of
// "Ok" (zip file, archived mark, copy to the next version) without windows.
#include "project/zip.h"

#include <cstddef>
#include <string>
#include <vector>

namespace kep {

class TIniFile;

inline constexpr const char* SectionArchivage = "Archivage";

struct TOptArchivage {
    bool CreeZip = false;
    int OptChemin = 0; // names: 0 relative to the folder, 1 with its name, 2 full path
    bool Archive = true;
    bool CreeCopie = true;
    int OptSuite = 0; // 0 work on the copy, 1 read-only, 2 quit
    bool SupOrigine = false;
};

// Numbers out of range read as their default.
TOptArchivage LitOptArchivage(const TIniFile& ini);
// Every option; Archive only while the project is not marked, and never as
// true: that key is the project's archived mark as well, which only an
// archiving run sets.
bool EcritOptArchivage(TIniFile& ini, const TOptArchivage& opts);

// The archived mark ("Archive" of the section) of a project file.
bool EstArchive(const TIniFile& ini);
bool MarqueArchive(const std::string& projectFile, bool mark, std::string* error = nullptr);

// The project's folder, without a final "/".
std::string DossierProjet(const std::string& nomProjet);
// The folder of the next version: a final run of digits counted up,
// keeping its width ("V09" -> "V10", "V001" -> "V002", "V99" -> "V100"),
// else "1" appended.
std::string NouvelleVersion(const std::string& dossier);
// The zip file beside the folder: its extension replaced by ".zip".
std::string NomZipDefaut(const std::string& dossier);
// Where entry names start for each value of OptChemin.
std::size_t DebutNomsZip(const std::string& dossier, int optChemin);
// The text of a folder field split at its last "/": the folder to start in
// and the name of the new folder.
struct TDossierDecoupe {
    std::string Parent;
    std::string Nom;
};
TDossierDecoupe DecoupeDossier(const std::string& text);
// The project file of a copy of the project's folder.
std::string ProjetDansCopie(const std::string& dossierCopie, const std::string& nomProjet);

// The shell's whole-folder operations: 2 copies `source` to `destination`
// (keeping times and permissions), 3 moves `source` to the trash.
enum : int { foCopie = 2, foSupprime = 3 };
bool CopieShell(const std::string& source, const std::string& destination, int operation,
                std::string* error = nullptr);

// Why `nomZip` cannot name the zip file to create (in French), or empty.
std::string VerifieNomZip(const std::string& nomZip);

struct TDemandeArchivage {
    std::string NomProjet;
    TOptArchivage Opts;
    std::string NomZip;
    std::string NomCopie;
    TZipOptions Zip;
};

struct TResultatArchivage {
    bool Fait = false; // a zip file or a copy was made
    bool ZipFait = false;
    bool CopieFaite = false;
    std::string ProjetCopie; // the copy's project file, when made
    std::vector<std::string> Messages; // failures, in order, for the user
};

// In this order: the zip file (so it holds the project unmarked), the mark,
// the copy. The copy is the next version, not an archive: its mark is
// cleared.
TResultatArchivage ExecuteArchivage(const TDemandeArchivage& demande);

} // namespace kep
