#pragma once
// A new project that builds at once: its project file, a GNU make file for
// kepmake and a main source for one chip and one tool chain, prepared in
// memory, then written without replacing anything unless told to.
// Plain C++; the dialog and keptool share it.
#include "processor/U_Puces.h"

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kep {

enum class TChaine {
    Gplink, // gpasm -c then gplink: relocatable objects
    Gpasm,  // gpasm alone: absolute code
    Avra,
};

// "gplink", "gpasm", "avra" (as keptool takes them, case ignored).
std::string_view NomChaine(TChaine c);
std::optional<TChaine> ChaineDeNom(std::string_view nom);
// What the dialog shows, UTF-8.
std::string_view LibelleChaine(TChaine c);
// The chain a chip is built with when nothing else was said.
std::optional<TChaine> ChaineParDefaut(TFamille f);

struct TNouveauProjet {
    std::string Dossier; // where the files go (created when missing)
    std::string Nom;     // the project's name: NAME.pja, NAME.mke, NAME.hex
    std::string Puce;    // as typed: "16F628A", "pic18f4550", "atmega328p"
    TChaine Chaine = TChaine::Gplink;
};

struct TFichierNouveau {
    std::string Chemin;  // full path
    std::string Contenu; // the bytes to write
};

struct TPlanProjet {
    std::string Erreur;  // UTF-8, French; empty when the plan can be written
    std::string Puce;    // as its tool chain lists it
    TFamille Famille = TFamille::Aucune;
    std::string Projet;  // the .pja
    std::string MakeFile;
    std::string Source;  // the main source, opened with the project
    std::int32_t LigneBoucle = 0; // 0-based line of the main loop, where the caret starts
    std::vector<TFichierNouveau> Fichiers;
};

struct TOptionsNouveau {
    // Where gplink's scripts are: a chip without one cannot be linked.
    std::string DossierLkr = "/usr/share/gputils/lkr/";
    // Whether a file of this name is kept in the OEM code page (what its
    // file type says); the texts are Windows-1252 otherwise.
    std::function<bool(const std::string& nom)> Oem;
};

// Checks the request against the chips the tool chains know and lays out the
// files. Nothing is written.
TPlanProjet PrepareNouveauProjet(const TNouveauProjet& p, const TCataloguePuces& puces,
                                 const TOptionsNouveau& options = {});

// The files of the plan that already exist.
std::vector<std::string> FichiersExistants(const TPlanProjet& plan);

// Creates the folder when needed and writes every file (each one whole or
// not at all). An existing file is replaced only with `remplacer`; without
// it nothing at all is written when one exists. False with a French reason
// (UTF-8) in *erreur.
bool EcritNouveauProjet(const TPlanProjet& plan, bool remplacer, std::string* erreur = nullptr);

} // namespace kep
