#include "platform/DesktopIntegration.h"

#include "platform/DesktopEntry.h"
#include "platform/DesktopLink.h"
#include "platform/FileIo.h"
#include "platform/MimeApps.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <filesystem>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kep {

using namespace desktop_detail;

namespace {

constexpr std::string_view IconeSvg =
#include "platform/DesktopIntegrationIcon.inc"
    ;

constexpr std::string_view NomPaquetMime = "kep-projet.xml";
constexpr std::string_view NomIcone = "kep";

std::string StripTrailingSlashes(std::string path)
{
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    return path;
}

bool IsDirectory(const std::string& path)
{
    struct stat st{};
    return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool Exists(const std::string& path)
{
    struct stat st{};
    return lstat(path.c_str(), &st) == 0;
}

// ---------------------------------------------------------------------------
// Folders

std::string AbsoluteEnv(const char* name)
{
    const char* v = std::getenv(name);
    // Relative values are invalid and are ignored.
    if (!v || v[0] != '/')
        return {};
    return StripTrailingSlashes(v);
}

std::vector<std::string> EnvDirList(const char* name, std::vector<std::string> fallback)
{
    std::vector<std::string> out;
    if (const char* v = std::getenv(name))
        for (auto& d : SplitList(v, ':'))
            if (d.front() == '/')
                out.push_back(StripTrailingSlashes(d));
    return out.empty() ? fallback : out;
}

// A value of user-dirs.dirs, written for the shell: "$HOME/Bureau" or "/abs".
std::string UserDirValue(std::string_view v, const std::string& home)
{
    std::string s;
    if (!v.empty() && v.front() == '"') {
        v.remove_prefix(1);
        for (std::size_t i = 0; i < v.size() && v[i] != '"'; ++i) {
            if (v[i] == '\\' && i + 1 < v.size())
                ++i;
            s += v[i];
        }
    } else {
        s = v;
    }
    for (std::string_view var : {"$HOME", "${HOME}"}) {
        if (s.compare(0, var.size(), var) == 0 && (s.size() == var.size() || s[var.size()] == '/')) {
            s = home + s.substr(var.size());
            break;
        }
    }
    if (s.empty())
        return {};
    if (s.front() != '/')
        s = home + "/" + s;
    return StripTrailingSlashes(s);
}

void ReadUserDirs(TXdgDirs& dirs)
{
    std::string text;
    if (!ReadWholeFile(dirs.ConfigHome + "/user-dirs.dirs", text))
        return;
    std::string_view rest = text;
    while (!rest.empty()) {
        const auto eol = rest.find('\n');
        const std::string_view line = Trim(rest.substr(0, eol));
        rest.remove_prefix(eol == std::string_view::npos ? rest.size() : eol + 1);
        if (line.empty() || line.front() == '#')
            continue;
        const auto eq = line.find('=');
        if (eq == std::string_view::npos)
            continue;
        const std::string_view key = Trim(line.substr(0, eq));
        // Sourced by the shell: the last assignment counts.
        std::string* target = key == "XDG_DESKTOP_DIR" ? &dirs.Desktop : key == "XDG_DOCUMENTS_DIR" ? &dirs.Documents : nullptr;
        if (!target)
            continue;
        std::string value = UserDirValue(Trim(line.substr(eq + 1)), dirs.Home);
        if (!value.empty())
            *target = std::move(value);
    }
}

// ---------------------------------------------------------------------------
// Files and programs

// The part of a FileIo message after its subject: the system's reason.
std::string Reason(const std::string& message)
{
    const auto sep = message.rfind(" : ");
    return sep == std::string::npos ? message : message.substr(sep + 3);
}

std::string MakeFolder(const std::string& dir)
{
    std::error_code ec;
    std::filesystem::create_directories(dir, ec);
    if (ec || !IsDirectory(dir))
        return "Impossible de créer le dossier " + dir + " : " + (ec ? ec.message() : std::strerror(ENOTDIR));
    return {};
}

std::string Write(const std::string& path, std::string_view data)
{
    std::string err = MakeFolder(path.substr(0, path.rfind('/')));
    if (!err.empty())
        return err;
    if (!WriteFileAtomic(path, data, &err))
        return "Impossible d'écrire " + path + " : " + Reason(err);
    return {};
}

std::string Remove(const std::string& path, bool* removed = nullptr)
{
    if (::unlink(path.c_str()) == 0) {
        if (removed)
            *removed = true;
        return {};
    }
    if (errno == ENOENT)
        return {};
    return "Impossible de supprimer " + path + " : " + std::strerror(errno);
}

// A file's state before a change, to put back when a later step fails.
class TSavedFile {
public:
    explicit TSavedFile(std::string path) : Path_(std::move(path)) { Existed_ = ReadWholeFile(Path_, Data_); }
    void Restore() const
    {
        if (Existed_)
            WriteFileAtomic(Path_, Data_);
        else
            ::unlink(Path_.c_str());
    }

private:
    std::string Path_;
    std::string Data_;
    bool Existed_ = false;
};

std::string FindOnPath(const std::string& name)
{
    const char* env = std::getenv("PATH");
    for (const auto& dir : SplitList(env ? env : "/usr/local/bin:/usr/bin:/bin", ':')) {
        const std::string path = dir + "/" + name;
        if (FileExists(path) && ::access(path.c_str(), X_OK) == 0)
            return path;
    }
    return {};
}

// A helper of the desktop, when installed, to run over the user's folders
// of `dirs`.
void AddHelper(TAssistants& helpers, const TXdgDirs& dirs, std::vector<std::string> argv)
{
    std::string program = FindOnPath(argv.front());
    if (program.empty())
        return;
    argv.front() = std::move(program);
    helpers.push_back({std::move(argv),
                       {"HOME=" + dirs.Home, "XDG_CONFIG_HOME=" + dirs.ConfigHome, "XDG_DATA_HOME=" + dirs.DataHome}});
}

std::string IconPath(const TXdgDirs& dirs)
{
    return dirs.DataHome + "/icons/hicolor/scalable/apps/" + std::string(NomIcone) + ".svg";
}

std::string WriteIcon(const TXdgDirs& dirs)
{
    const std::string path = IconPath(dirs);
    std::string current;
    if (ReadWholeFile(path, current) && current == IconeSvg)
        return {};
    return Write(path, IconeSvg);
}

std::string MimePackage()
{
    return std::string(R"(<?xml version="1.0" encoding="UTF-8"?>
<mime-info xmlns="http://www.freedesktop.org/standards/shared-mime-info">
  <mime-type type=")") + TypeMimeProjet + R"(">
    <comment>Projet Assembleur</comment>
    <comment xml:lang="fr">Projet Assembleur</comment>
    <sub-class-of type="text/plain"/>
    <generic-icon name="text-x-generic"/>
    <glob pattern="*.pja" case-sensitive="false"/>
  </mime-type>
</mime-info>
)";
}

// The key that marks an entry as the association's own, and what it holds:
// what the association did besides writing the entry, to undo with it.
constexpr std::string_view CleMarque = "X-KEP-Association";
constexpr std::string_view FaitIcone = "icone";       // made the icon
constexpr std::string_view FaitMimeapps = "mimeapps"; // made mimeapps.list
constexpr std::string_view FaitRefus = "refus";       // took the entry from the removed associations

std::string ApplicationEntry(const std::string& exePath, const std::string& editor,
                             const std::vector<std::string>& done)
{
    std::string e = "[Desktop Entry]\n"
                    "Type=Application\n"
                    "Version=1.4\n"
                    "Name=KEP\n"
                    "GenericName=Environnement de développement assembleur\n"
                    "Comment=Écrire, assembler et mettre au point des programmes en assembleur\n"
                    "Exec=" +
        ExecValue({exePath, "%f"}) +
        "\n"
        "Icon=" +
        std::string(NomIcone) +
        "\n"
        "Terminal=false\n"
        "MimeType=" +
        TypeMimeProjet +
        ";\n"
        "Categories=Development;IDE;\n" +
        std::string(CleMarque) + "=" + JoinList(done, true) + "\n";
    if (!editor.empty())
        e += "Actions=Editer;\n"
             "\n"
             "[Desktop Action Editer]\n"
             "Name=Editer\n"
             "Exec=" +
            editor + "\n";
    return e;
}

std::string Launcher(const TXdgDirs& dirs, const std::string& exePath)
{
    // A working folder that is not there would keep KEP from starting.
    const std::string& folder = IsDirectory(dirs.Documents) ? dirs.Documents : dirs.Home;
    return "[Desktop Entry]\n"
           "Type=Application\n"
           "Version=1.4\n"
           "Name=KEP\n"
           "Comment=Environnement de développement assembleur\n"
           "Exec=" +
        ExecValue({exePath}) +
        "\n"
        "Path=" +
        EscapeString(folder) +
        "\n"
        "Icon=" +
        EscapeString(IconPath(dirs)) +
        "\n"
        "Terminal=false\n";
}

// mimeapps.list's text, or an error when it is there but cannot be read.
std::string ReadMimeapps(const std::string& path, std::string& text, bool& existed)
{
    text.clear();
    existed = Exists(path);
    errno = 0;
    if (existed && !ReadWholeFile(path, text))
        return "Impossible de lire " + path + " : " + std::strerror(IsDirectory(path) ? EISDIR : errno ? errno : EIO);
    return {};
}

std::string ApplicationsDir(const TXdgDirs& dirs)
{
    return dirs.DataHome + "/applications";
}

// An entry the association wrote, with what it did besides.
bool OurEntry(const std::string& path, std::vector<std::string>* done = nullptr)
{
    std::string text, value;
    if (!ReadEntry(path, text) || !EntryValue(text, "Desktop Entry", CleMarque, value))
        return false;
    if (done)
        *done = SplitList(value, ';');
    return true;
}

// The names the entry may take: "kep.desktop" unless another program has it.
constexpr int NbNomsEntree = 100;

std::string EntryId(int n)
{
    return n == 0 ? std::string(NomEntreeBureau)
                  : "kep-projets" + (n == 1 ? std::string() : "-" + std::to_string(n)) + ".desktop";
}

bool IsEntryName(const std::string& id)
{
    for (int n = 0; n < NbNomsEntree; ++n)
        if (id == EntryId(n))
            return true;
    return false;
}

// The id of the association's entry in the user's folder, empty when there is none.
std::string OurEntryId(const TXdgDirs& dirs)
{
    for (int n = 0; n < NbNomsEntree; ++n)
        if (OurEntry(ApplicationsDir(dirs) + "/" + EntryId(n)))
            return EntryId(n);
    return {};
}

// An id that no folder of applications holds, so that the entry neither
// replaces nor hides another program's.
std::string FreeEntryId(const TXdgDirs& dirs)
{
    std::vector<std::string> folders{ApplicationsDir(dirs)};
    for (const auto& d : dirs.DataDirs)
        folders.push_back(d + "/applications");
    for (int n = 0; n < NbNomsEntree; ++n) {
        const std::string id = EntryId(n);
        if (std::none_of(folders.begin(), folders.end(), [&](const std::string& f) { return Exists(f + "/" + id); }))
            return id;
    }
    return {};
}

// KEP's entries out of the lists of the type: the association's and any
// other that starts this program; the user's refusal of ours back.
std::string DissociateInMimeapps(const TXdgDirs& dirs, const std::string& exePath, const std::string& id,
                                 bool refused, bool created)
{
    const std::string path = dirs.ConfigHome + "/mimeapps.list";
    std::string text;
    bool existed = false;
    std::string err = ReadMimeapps(path, text, existed);
    if (!err.empty() || !existed)
        return err;
    std::string updated = text;
    for (const auto& other : MimeappsApplications(text, TypeMimeProjet)) {
        // A name of ours whose entry is gone is left over from an association.
        const std::string installed = InstalledEntry(dirs, other);
        if (other == id || StartsProgram(installed, exePath) || (installed.empty() && IsEntryName(other)))
            updated = MimeappsWithoutApplication(updated, TypeMimeProjet, other);
    }
    if (refused && !id.empty())
        updated = MimeappsWithRefused(updated, TypeMimeProjet, id);
    if (created && updated.find_first_not_of(" \t\r\n") == std::string::npos)
        return Remove(path);
    return updated == text ? std::string() : Write(path, updated);
}

// The first desktop entry of the desktop folder starting this program.
std::string FindLauncher(const TXdgDirs& dirs, const std::string& exePath)
{
    DIR* d = ::opendir(dirs.Desktop.c_str());
    if (!d)
        return {};
    std::vector<std::string> names;
    while (const dirent* e = ::readdir(d))
        if (IsDesktopFileName(e->d_name))
            names.emplace_back(e->d_name);
    ::closedir(d);
    std::sort(names.begin(), names.end());
    for (const auto& name : names) {
        const std::string path = dirs.Desktop + "/" + name;
        if (StartsProgram(path, exePath))
            return path;
    }
    return {};
}

constexpr const char* EditeursGraphiques[] = {"gnome-text-editor", "gedit", "kate", "kwrite", "mousepad",
                                              "xed", "pluma", "featherpad", "geany", "leafpad"};

} // namespace

// ---------------------------------------------------------------------------

TXdgDirs TXdgDirs::FromEnvironment()
{
    TXdgDirs dirs;
    const char* home = std::getenv("HOME");
    if (!home || !*home) {
        const passwd* pw = getpwuid(getuid());
        home = pw ? pw->pw_dir : "/";
    }
    dirs.Home = StripTrailingSlashes(home);
    if (dirs.Home == "/")
        dirs.Home.clear();
    dirs.ConfigHome = AbsoluteEnv("XDG_CONFIG_HOME");
    if (dirs.ConfigHome.empty())
        dirs.ConfigHome = dirs.Home + "/.config";
    dirs.DataHome = AbsoluteEnv("XDG_DATA_HOME");
    if (dirs.DataHome.empty())
        dirs.DataHome = dirs.Home + "/.local/share";
    dirs.ConfigDirs = EnvDirList("XDG_CONFIG_DIRS", {"/etc/xdg"});
    dirs.DataDirs = EnvDirList("XDG_DATA_DIRS", {"/usr/local/share", "/usr/share"});
    dirs.Desktop = dirs.Home + "/Desktop";
    dirs.Documents = dirs.Home.empty() ? std::string("/") : dirs.Home;
    if (const char* current = std::getenv("XDG_CURRENT_DESKTOP"))
        for (auto& d : SplitList(current, ':')) {
            std::transform(d.begin(), d.end(), d.begin(), [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; });
            dirs.CurrentDesktops.push_back(d);
        }
    ReadUserDirs(dirs);
    return dirs;
}

TXdgDirs TXdgDirs::UnderHome(const std::string& home)
{
    TXdgDirs dirs;
    dirs.Home = StripTrailingSlashes(home);
    dirs.ConfigHome = dirs.Home + "/.config";
    dirs.DataHome = dirs.Home + "/.local/share";
    dirs.Desktop = dirs.Home + "/Desktop";
    dirs.Documents = dirs.Home + "/Documents";
    ReadUserDirs(dirs);
    return dirs;
}

std::string AssocieProjets(const TXdgDirs& dirs, const std::string& exePath, TAssistants& assistants)
{
    // Ours again, keeping what the first association did; else a new one
    // under a name no other program uses.
    std::vector<std::string> done;
    std::string id = OurEntryId(dirs);
    if (!id.empty())
        OurEntry(ApplicationsDir(dirs) + "/" + id, &done);
    else
        id = FreeEntryId(dirs);
    if (id.empty())
        return "Aucun nom libre pour l'entrée de KEP dans " + ApplicationsDir(dirs);
    const auto note = [&done](std::string_view what) {
        if (std::find(done.begin(), done.end(), what) == done.end())
            done.emplace_back(what);
    };

    const std::string mimeapps = dirs.ConfigHome + "/mimeapps.list";
    std::string text;
    bool existed = false;
    std::string err = ReadMimeapps(mimeapps, text, existed);
    if (!err.empty())
        return err;
    if (!existed)
        note(FaitMimeapps);
    if (MimeappsRefuses(text, TypeMimeProjet, id))
        note(FaitRefus);
    const bool newIcon = !Exists(IconPath(dirs));
    if (newIcon)
        note(FaitIcone);
    err = WriteIcon(dirs);
    if (!err.empty())
        return err;

    const std::string package = dirs.DataHome + "/mime/packages/" + std::string(NomPaquetMime);
    const std::string entry = ApplicationsDir(dirs) + "/" + id;
    const TSavedFile savedPackage(package), savedEntry(entry);
    err = Write(package, MimePackage());
    if (err.empty()) {
        err = Write(entry, ApplicationEntry(exePath, CommandeEditeurTexte(dirs), done));
        if (err.empty()) {
            const std::string updated = MimeappsWithDefault(text, TypeMimeProjet, id);
            if (!existed || updated != text)
                err = Write(mimeapps, updated);
            if (!err.empty())
                savedEntry.Restore();
        }
        if (!err.empty())
            savedPackage.Restore();
    }
    if (!err.empty()) {
        if (newIcon)
            ::unlink(IconPath(dirs).c_str());
        return err;
    }
    AddHelper(assistants, dirs, {"update-mime-database", dirs.DataHome + "/mime"});
    AddHelper(assistants, dirs, {"update-desktop-database", ApplicationsDir(dirs)});
    return {};
}

std::string DissocieProjets(const TXdgDirs& dirs, const std::string& exePath, TAssistants& assistants)
{
    std::vector<std::string> done;
    const std::string id = OurEntryId(dirs);
    const std::string entry = id.empty() ? std::string() : ApplicationsDir(dirs) + "/" + id;
    if (!entry.empty())
        OurEntry(entry, &done);
    const auto did = [&done](std::string_view what) { return std::find(done.begin(), done.end(), what) != done.end(); };

    // The default first: should it fail, the association is still whole.
    std::string err = DissociateInMimeapps(dirs, exePath, id, did(FaitRefus), did(FaitMimeapps));
    if (!err.empty())
        return err;
    bool entryGone = false, packageGone = false;
    if (!entry.empty())
        err = Remove(entry, &entryGone);
    if (err.empty())
        err = Remove(dirs.DataHome + "/mime/packages/" + std::string(NomPaquetMime), &packageGone);
    // The icon it made, unless the launcher on the desktop shows it too.
    std::string icon;
    if (err.empty() && did(FaitIcone) && FindLauncher(dirs, exePath).empty() && ReadWholeFile(IconPath(dirs), icon) &&
        icon == IconeSvg)
        err = Remove(IconPath(dirs));
    if (packageGone)
        AddHelper(assistants, dirs, {"update-mime-database", dirs.DataHome + "/mime"});
    if (entryGone)
        AddHelper(assistants, dirs, {"update-desktop-database", ApplicationsDir(dirs)});
    return err;
}

bool ProjetsAssocies(const TXdgDirs& dirs, const std::string& exePath)
{
    const auto [id, path] = DefaultApplication(dirs, TypeMimeProjet, [](const std::string&, const std::string&) { return true; });
    return !path.empty() && StartsProgram(path, exePath);
}

std::string CreeRaccourci(const TXdgDirs& dirs, const std::string& exePath, TAssistants& assistants)
{
    std::string err = MakeFolder(dirs.Desktop);
    if (err.empty())
        err = WriteIcon(dirs);
    if (!err.empty())
        return err;
    // Ours is rewritten where it is; another program's launcher keeps its name.
    std::string path = FindLauncher(dirs, exePath);
    struct stat st{};
    if (!path.empty() && lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode))
        return {}; // a link to an installed entry: writing would change that entry
    for (int n = 0; path.empty() && n < 1000; ++n) {
        const std::string candidate = dirs.Desktop + (n == 0 ? std::string("/kep") : "/kep-" + std::to_string(n)) + ".desktop";
        if (!Exists(candidate))
            path = candidate;
    }
    if (path.empty())
        return "Aucun nom libre pour le raccourci dans " + dirs.Desktop;
    err = Write(path, Launcher(dirs, exePath));
    if (!err.empty())
        return err;
    // Desktops start only launchers that may be executed.
    if (::chmod(path.c_str(), 0755) != 0)
        return "Impossible de rendre exécutable " + path + " : " + std::strerror(errno);
    AddHelper(assistants, dirs, {"gio", "set", path, "metadata::trusted", "true"});
    return {};
}

std::string SupprimeRaccourci(const TXdgDirs& dirs, const std::string& exePath)
{
    const std::string path = FindLauncher(dirs, exePath);
    return path.empty() ? std::string() : Remove(path);
}

bool RaccourciPresent(const TXdgDirs& dirs, const std::string& exePath)
{
    return !FindLauncher(dirs, exePath).empty();
}

std::string CommandeEditeurTexte(const TXdgDirs& dirs)
{
    std::string command;
    DefaultApplication(dirs, "text/plain", [&](const std::string& id, const std::string& path) {
        std::string text, exec;
        if (id == NomEntreeBureau || OurEntry(path) || !ReadEntry(path, text) ||
            !EntryValue(text, "Desktop Entry", "Exec", exec) || ExecArgs(exec).empty())
            return false;
        command = WithFileCode(exec);
        return true;
    });
    if (!command.empty())
        return command;
    for (const char* editor : EditeursGraphiques)
        if (!FindOnPath(editor).empty())
            return std::string(editor) + " %f";
    // Debian's alternatives: the user's terminal and editor.
    if (!FindOnPath("x-terminal-emulator").empty() && !FindOnPath("editor").empty())
        return "x-terminal-emulator -e editor %f";
    return {};
}

} // namespace kep
