#pragma once
// The desktop's side of KEP, after the freedesktop rules: project
// files (".pja") known as their own MIME type and opened by KEP, with an
// "Editer" action for the user's text editor, and a launcher of KEP on the
// desktop. Each change takes effect at once and leaves every other entry of
// the user's files as it was.
#include <string>
#include <string_view>
#include <vector>

namespace kep {

// The user's folders, as the XDG base-directory and user-dirs rules give
// them. Tests build one over a temporary home.
struct TXdgDirs {
    std::string Home;                    // no final "/"
    std::string ConfigHome;              // $XDG_CONFIG_HOME, else Home/.config
    std::string DataHome;                // $XDG_DATA_HOME, else Home/.local/share
    std::vector<std::string> ConfigDirs; // $XDG_CONFIG_DIRS, else /etc/xdg
    std::vector<std::string> DataDirs;   // $XDG_DATA_DIRS, else /usr/local/share, /usr/share
    std::string Desktop;                 // XDG_DESKTOP_DIR of user-dirs.dirs, else Home/Desktop
    std::string Documents;               // XDG_DOCUMENTS_DIR, else Home
    // $XDG_CURRENT_DESKTOP in lower case, for the "<desktop>-mimeapps.list"
    // files that come before the plain ones.
    std::vector<std::string> CurrentDesktops;

    // From the environment and ConfigHome/user-dirs.dirs.
    static TXdgDirs FromEnvironment();
    // Every folder under `home` (the system lists empty), as a test wants.
    static TXdgDirs UnderHome(const std::string& home);
};

inline constexpr const char* TypeMimeProjet = "application/x-kep-projet";
inline constexpr const char* NomEntreeBureau = "kep.desktop";

// A program of the desktop to run after a change (the databases it keeps
// of MIME types and entries): its full path and arguments, and the
// variables it takes on top of the caller's environment. Its failure
// changes nothing for KEP: the files it reads are already written.
struct TAssistantBureau {
    std::vector<std::string> Args;
    std::vector<std::string> Env; // "NAME=value"
};
using TAssistants = std::vector<TAssistantBureau>;

// The functions below change the files at once and append the installed
// helpers to run afterwards to `assistants`; running them is the caller's,
// which must not wait on them (one stuck on a missing session bus would
// hold it).

// ".pja" association: the MIME package, KEP's application entry with that
// type and the "Editer" action, and KEP as the type's default application.
// An entry of that name that KEP did not write stays as it is: KEP's then
// takes another name. Empty on success, else a French message saying what
// failed.
std::string AssocieProjets(const TXdgDirs& dirs, const std::string& exePath, TAssistants& assistants);
// Undoes it: removes what the association wrote or created (KEP's entry,
// the package, the icon, a mimeapps.list that it made and that is empty
// again) and puts back the user's refusal of KEP's entry for the type.
// Entries that other programs wrote stay.
std::string DissocieProjets(const TXdgDirs& dirs, const std::string& exePath, TAssistants& assistants);
// True when the default application of the type starts this program.
bool ProjetsAssocies(const TXdgDirs& dirs, const std::string& exePath);

// The desktop launcher "kep.desktop" starting this program in the documents
// folder. Empty on success, else a French message.
std::string CreeRaccourci(const TXdgDirs& dirs, const std::string& exePath, TAssistants& assistants);
// Removes the first desktop entry of the desktop folder that starts this program.
std::string SupprimeRaccourci(const TXdgDirs& dirs, const std::string& exePath);
bool RaccourciPresent(const TXdgDirs& dirs, const std::string& exePath);

// A desktop entry's Exec value for these arguments (quoted and escaped as
// the Desktop Entry format asks, "%" doubled) and back: the arguments of a value,
// field codes left as they are; empty when the value is malformed. An
// argument that is exactly a field code ("%f") is written as that code.
std::string ExecValue(const std::vector<std::string>& args);
std::vector<std::string> ExecArgs(std::string_view value);

// The command line of the user's text editor for one file, as the Exec
// value of an action ("%f" for the file); empty when none was found.
std::string CommandeEditeurTexte(const TXdgDirs& dirs);

} // namespace kep
