#pragma once
// The terminal's settings as the project file keeps them, section "Comms":
// the five line lists by their texts, the checked controls by their names,
// the display and echo choices, the new-line rules and the time stamps.
#include <array>
#include <string>
#include <string_view>
#include <vector>

namespace kep {

class TIniFile;

// The texts of the five lists, in their order.
extern const std::vector<std::string> kPortsComms;    // "COM1".."COM8"
extern const std::vector<std::string> kVitessesComms; // "110".."256000 ", ""
extern const std::vector<std::string> kParitesComms;  // "Aucune".."Space (0)"
extern const std::vector<std::string> kDataBitsComms; // "5".."8"
extern const std::vector<std::string> kStopBitsComms; // "1", "1,5", "2"

// The index of `text` in `list` (blanks around either side and letter case
// aside), -1 when absent.
int IndexListe(const std::vector<std::string>& list, std::string_view text);

enum TChoixRts { RtsInactif, RtsActif, RtsHandS, RtsTogg };
enum TChoixDtr { DtrInactif, DtrActif, DtrHandS };

struct TCommsReglages {
    static constexpr const char* Section = "Comms";

    // Indexes in the five lists; -1 selects nothing.
    int Port = 0, Vitesse = 8, Parite = 0, DataBits = 3, StopBits = 0;
    TChoixRts Rts = RtsInactif;
    TChoixDtr Dtr = DtrInactif;
    bool RxOnOff = false, CtsActif = false, DsrActif = false, TxOnOff = false;
    int AffHex = 0;   // 1: "Hexa"
    int DistEcho = 0; // 1: "Distant"
    bool ByCR = true, ByLF = false, ByTO = false, ByCol = false;
    std::string ColNbr = "80";
    std::string msNbr = "200";
    bool DateCR = false;
    bool Heure = true;

    // Checks the control of that name (letter case aside): a radio button
    // unchecks its siblings. Returns false for a name no control has.
    bool Coche(std::string_view name);

    // Reads the section over the current values (a key absent keeps them).
    void Lit(const TIniFile& ini);
    // False when the file could not be written (ini.LastError() says why).
    bool Ecrit(TIniFile& ini) const;

    // The values of the keys as they are written.
    std::string ComTexte() const;
    std::string RxCtrlTexte() const;
    std::string TxCtrlTexte() const;
    std::string NewLineTexte() const;
    std::string DatationTexte() const;

    // edColMax as a number, 80 when it is not one (or not above 0).
    int ColMax() const { return ColonneMax(ColNbr); }
    static int ColonneMax(std::string_view text);
    // edTimeOut as a number within 10..60000 (200 when it is not one).
    int DelaiMs() const;
};

} // namespace kep
