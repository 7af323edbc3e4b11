#pragma once
// The user-wide options as the configuration dialog edits them, and the
// reading and writing of the option file's sections.
#include "config/U_InfosFich.h"
#include "config/U_IniFilePlus.h"

#include <cstdint>
#include <string>
#include <vector>

namespace kep {

// One external tool of the Tools menu.
struct TInfoOutils {
    std::string Nom; // caption in the menu
    std::string Cmde;
    std::string Rep;
    std::string Parm;
    bool Unique = true;
    bool OutilLocal = false;      // not stored
    bool FermeEnQuittant = false; // not stored
    std::int64_t Instance = 0;    // not stored
};

// The error-file defaults of the "Erreurs" page (comma lists in the file).
struct TErrDefaults {
    std::string FichErr = "qdx.err";
    std::string MarqErr = "): as";
    int LigMarqErr = 0;
    std::string MarqErr2 = "): Lyn";
    int LigMarqErr2 = 0;
    std::string NbrLigErr = "1";
    std::string DebNomFich = "#1";
    std::string FinNomFich = "(";
    int LigNomFich = 0;
    std::string DebNumLig = "(";
    std::string FinNumLig = "):";
    int LigNumLig = 0;
};

// The automatic backup interval, in minutes.
inline constexpr int DelaiBakMin = 2;
inline constexpr int DelaiBakMax = 60;

struct TOptionsKep {
    std::string TabPath;
    std::string ProgMake;
    std::string ParamMake;
    std::string ParamMakeTout = "-a";
    bool MakeLog = false; // false: rbAffConsole, true: rbMakeLog
    bool AfficheInfos = true;
    bool FermeConsole = true;
    std::string NetPartiel = "*.cod; *.map; *.grp; *.sym; *.err";
    std::string NetComplet = "*.obj; *.cod; *.map; *.grp; *.sym; *.err";
    bool EnableBak = false;
    int DelaiBak = 5;
    // Sorted by display name; always holds "Autres" after a load.
    std::vector<TInfosFich> TypesFich;
    int TypeFichSel = -1;
    std::vector<TInfoOutils> Outils;
    int OutilSel = -1;
    TErrDefaults Err;
    // The comment symbol of "Met en remarque" / "Annule remarque".
    std::string SymbRem = ";";
};

// Where the defaults of TabPath and ProgMake come from.
struct TProgramPaths {
    std::string Folder; // the program's folder, with a final "/"
    std::string DefaultTabPath() const { return Folder + "lib/"; }
    std::string DefaultProgMake() const { return Folder + "kepmake"; }
};

// Loads every option of the file into `opts`. An empty stored text keeps
// the value `opts` holds. When `nomProjet` is empty it becomes the project
// that ProjAct names. Values that are not numbers where a number is
// required fall back to their defaults and are listed in `errors` (French, Windows-1252).
void ChargeOptions(const TIniFilePlus& ini, TOptionsKep& opts, const TProgramPaths& prog, std::string& nomProjet,
                   std::vector<std::string>& errors);
// Writes every option back; the sections of the file types and tools that
// the file held before are removed first. One write of the file; false
// when it failed (ini.LastError()).
bool SauveOptions(TIniFilePlus& ini, const TOptionsKep& opts);

// "Définir comme paramètres par défaut" / "Charger paramètres par défaut".
bool WriteErrDefaults(TIniFilePlus& ini, const TErrDefaults& err);
void ReadErrDefaults(const TIniFilePlus& ini, TErrDefaults& err);

// Sorts the types by display name as the sorted combo box shows them.
void SortTypesFich(std::vector<TInfosFich>& types);
// The extension of a file name with its dot, ASCII letters upper-cased;
// empty when the name has none.
std::string ExtensionOf(std::string_view fileName);
// The type whose extension equals the file name's upper-cased extension,
// else the type "Autres" (a default record when the list lacks it).
const TInfosFich& FileTypeOf(const std::vector<TInfosFich>& types, std::string_view fileName);

// Most-recent lists: the text moves or is inserted at the top, at most
// HistoryMax entries are kept.
inline constexpr std::size_t HistoryMax = 20;
void AddToHistory(const std::string& text, std::vector<std::string>& list);

// The text before the third "." of a file version ("2.5.1.7" gives "2.5.1");
// empty with fewer than three dots.
std::string VersionPrefix(std::string_view fileVersion);

} // namespace kep
