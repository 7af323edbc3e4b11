#pragma once
// What the terminal pane shows of the bytes received from the board and of
// the keys sent to it: coloured runs of text and line breaks, with the
// column count, the new-line rules and the time stamps. The pane and the
// session log both draw from these runs, so they always agree.
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace kep {

enum TCouleurSuivi { csEmis, csRecu, csEtat }; // white, yellow, green

// Text in Windows-1252, then a line break when Saut is set.
struct TMorceau {
    TCouleurSuivi Couleur = csRecu;
    std::string Texte;
    bool Saut = false;
    bool operator==(const TMorceau&) const = default;
};
using TMorceaux = std::vector<TMorceau>;

struct TReglagesSuivi {
    bool Hexa = false;  // every byte as <xx>
    bool ByCR = true;   // a new line after a received CR
    bool ByLF = false;  // ... after a received LF
    bool ByCol = false; // ... once ColMax bytes of a line came
    int ColMax = 80;
    bool DateCR = false; // a time stamp after each received CR
    bool Heure = true;   // the time of day, else the tick count
};

class TTerminal {
public:
    TReglagesSuivi Reglages;
    // The stamps' sources; the clock and the system's millisecond tick
    // unless replaced.
    std::function<std::string()> HeureTexte;
    std::function<std::uint64_t()> Tick;

    // Received bytes, appended to `out` as the pane shows them.
    void Recoit(std::string_view bytes, TMorceaux& out);
    // A key sent with the local echo on: the character in text mode, else
    // <xx> followed by a line break for a CR (par CR) or LF (par LF).
    void Emet(unsigned char key, TMorceaux& out);
    // No byte came for the burst delay: the line ends, unless it is empty.
    void FinRafale(TMorceaux& out);
    // A line event ("<Break>") in yellow, within the received text.
    void Signal(std::string_view texte, TMorceaux& out) { Ajoute(out, csRecu, texte); }
    // A status line in green ("Port 1 ouvert"), on a line of its own.
    void Etat(std::string_view texte, TMorceaux& out);
    // The pane was emptied.
    void Efface();

    int Colonne() const { return Colonne_; }

    // "<0D>" for a byte.
    static std::string Hex(unsigned char byte);

private:
    void Ajoute(TMorceaux& out, TCouleurSuivi c, std::string_view texte);
    void Saut(TMorceaux& out);

    int Colonne_ = 0;      // bytes received on the current line
    bool LigneVide_ = true; // nothing shown since the last line break
};

// The millisecond tick and the time of day ("14:05:33") of this machine.
std::uint64_t TickSysteme();
std::string HeureSysteme();

} // namespace kep
