#pragma once
// The option file and the current project file, each opened for one burst
// of reads or writes.
#include "config/U_IniFilePlus.h"

#include <string>

namespace kep {

// Path of the option file, set once at start-up.
extern std::string NomFichOptions;
// Path of the current project file; empty when no project is open.
extern std::string NomProjet;

class TKepFile : public TIniFilePlus {
public:
    TKepFile() : TIniFilePlus(NomFichOptions) {}
};

class TProjFile : public TIniFilePlus {
public:
    TProjFile() : TIniFilePlus(NomProjet) {}
};

struct TOptionFileLocation {
    std::string Path;
    bool FirstRun = false; // no option file anywhere yet
};

// The program's name with ".ini" beside the executable when that file
// exists and its folder is writable; otherwise the same name in the user's
// configuration folder ($XDG_CONFIG_HOME/kep, else ~/.config/kep). The
// folders are given so that tests need not touch the real ones.
TOptionFileLocation LocateOptionFile(const std::string& exePath, const std::string& xdgConfigHome,
                                     const std::string& home);
// The same from the environment.
TOptionFileLocation LocateOptionFile(const std::string& exePath);

} // namespace kep
