#pragma once
// Which processor a source is written for, and which of our tables serves
// it. The chips and their families are what the tool chains themselves know:
// gpasm's processor lists (by core) and avra's devices and include files.
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kep {

enum class TFamille { Aucune, Pic12, Pic14, Pic14E, Pic18, Avr };

// The table file (without folder or extension) that serves a family:
// "p12", "p16", "p16e", "p18", "avr"; empty for none.
std::string_view TableDeFamille(TFamille f);

class TCataloguePuces {
public:
    // Folders of the chips' include files.
    std::string DossierGputils = "/usr/share/gputils/header/";
    std::string DossierAvra = "/usr/share/avra/";

    // The catalogue of this machine, read once from the installed tools (a
    // few quick runs of gpasm and avra the first time it is asked for).
    static const TCataloguePuces& Systeme();

    // The output of `gpasm -lXX` (names such as "p16f628a") for a family;
    // a name already listed keeps its family, so the specific lists go first.
    void AjouteListeGpasm(TFamille f, std::string_view sortie);
    // The output of `avra --devices`.
    void AjouteListeAvra(std::string_view sortie);

    // The family of a chip spelled as a source names it ("16F628A",
    // "p16f628a", "PIC16F628A", "ATmega328P"), ignoring case.
    TFamille Famille(std::string_view puce) const;
    std::size_t Taille() const { return Puces_.size(); }
    // Every chip, spelled as its tool chain lists it ("16f628a", "ATmega328P"),
    // PICs first, each list sorted.
    std::vector<std::string> Noms() const;
    // The chip spelled as its tool chain lists it, however it was written;
    // empty for a chip neither knows.
    std::string NomDe(std::string_view puce) const;

    // The include file that defines a chip's names: gputils' header for a
    // PIC, the avra file whose ".device" names the chip for an AVR. Empty
    // when there is none.
    std::string IncludeDe(std::string_view puce) const;
    // The chip an avra include file is for (its ".device" line), from the
    // file itself; empty when it names none.
    static std::string DeviceDeFichier(const std::string& chemin);

private:
    static std::string Cle(std::string_view puce);
    void IndexeAvra() const;

    std::map<std::string, TFamille> Puces_;
    std::map<std::string, std::string> Noms_; // key -> as listed
    mutable std::once_flag AvraLu_;
    mutable std::map<std::string, std::string> IncludesAvra_; // key -> file
};

// A line of a source that may name its processor.
struct TDirectivePuce {
    std::string Puce;    // "list p=", "processor", ".device": the chip as written
    std::string Include; // an include line: the file as written
    bool Avra = false;   // written with avra's directives
};

// The directives of the first `lignes` lines, in order: gpasm's "list p=",
// "processor", "#include" / "include", avra's ".device" / ".include".
// Comments are skipped.
std::vector<TDirectivePuce> TrouveDirectivesPuce(std::string_view texte, int lignes = 100);

// The chip a make file's gpasm command names ("-p 16f628a", "-p16f628a",
// "--processor 16f628a"), empty when none.
std::string PuceDuMakeFile(const std::string& chemin);

// The beginning of a file, where the directives are looked for.
std::string DebutFichier(const std::string& chemin, std::size_t octets = 65536);

// The names a chip's include file defines: EQU of gputils' headers, .equ /
// .def / .set of avra's. Upper case, sorted, each once. Read once per file
// and date; a file over 8 MB or that cannot be read gives none.
std::shared_ptr<const std::vector<std::string>> NomsDuFichierPuce(const std::string& chemin);
std::vector<std::string> LitNomsPuce(std::string_view texte);

// The table a source uses.
struct TChoixTable {
    std::string Table;   // path of the table file, empty when none is chosen
    std::string Puce;    // the chip, as written, when a directive named it
    std::string Include; // its include file, for the register names
    TFamille Famille = TFamille::Aucune;
    std::string Message; // French, for the status bar, when a chip named is unknown
};

struct TContexteTable {
    std::string TabPath;          // tables folder, with its final "/"
    std::string DossierSource;    // the source's folder, with its final "/"
    std::string SourcePrincipale; // the project's main source, may be empty
    std::string MakeFile;         // the project's make file, may be empty
};

// The table file line 0 names: the tables folder + the line, a final "/" or
// "\" dropped, the extension replaced by ".tab", the spelling on disk
// followed ignoring case.
std::string FichierTableLigne0(const std::string& tabPath, std::string_view ligne0);

// The table line 0 names when that file exists; else the one the source's
// own directives call for, else the project's main source's, else the make
// file's command. The chip's include is found either way, for its names.
// Without a catalogue, the system's is read when a directive needs it.
TChoixTable ChoisitTable(std::string_view texte, const TContexteTable& ctx, const TCataloguePuces* catalogue = nullptr);

} // namespace kep
