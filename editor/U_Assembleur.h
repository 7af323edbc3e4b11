#pragma once
// The assembler a project uses: it decides the syntax of the numbers the
// converter reads and writes. The project file keeps it as
// "Assembleur=gpasm|avra" in [Global]; without the key it is guessed from
// the make file.
#include <optional>
#include <string>
#include <string_view>

namespace kep {

enum class TAssembleur { Inconnu, Gpasm, Avra };

// The stored name: "", "gpasm" or "avra".
std::string NomAssembleur(TAssembleur a);
// A stored name read back, case and surrounding blanks ignored; nothing for
// an empty or unknown name (the project then names none).
std::optional<TAssembleur> LitAssembleur(std::string_view nom);

// The assembler a make file runs: a line, comments aside, with gpasm or
// avra as a word that is no option (gplink stands for gpasm: it only links
// gpasm's objects). A make file that names both, or neither, says nothing.
TAssembleur DevineAssembleur(std::string_view makeFileText);

// The open project's assembler: the one its file names or the user chose,
// else the one its make file runs. A guess is never written back, so that
// the project follows a change of make file.
class TAssembleurProjet {
public:
    // What the project file names; nothing: the make file decides.
    void Nomme(std::optional<TAssembleur> a);
    // A new make file text (project loaded, make file changed); a named
    // assembler stays.
    void Devine(std::string_view makeFileText);
    TAssembleur Valeur() const { return Valeur_; }
    // What the project file keeps: only a named assembler.
    std::optional<TAssembleur> Stocke() const;

private:
    TAssembleur Valeur_ = TAssembleur::Inconnu;
    bool Nomme_ = false;
};

} // namespace kep
