#include "project/U_ProjList.h"

#include "platform/FileIo.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>

namespace kep {

namespace {

char Upper(char c)
{
    return c >= 'a' && c <= 'z' ? char(c - 'a' + 'A') : c;
}

// A project file is a few kilobytes; anything this large is not one.
constexpr off_t MaxProjectFile = 16 * 1024 * 1024;

} // namespace

bool SameProjPath(const std::string& a, const std::string& b)
{
    return a.size() == b.size()
        && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return Upper(x) == Upper(y); });
}

bool ContainsProjPath(const std::vector<std::string>& paths, const std::string& path)
{
    return std::any_of(paths.begin(), paths.end(), [&](const std::string& p) { return SameProjPath(p, path); });
}

TProjList LoadProjList(const TIniFile& ini)
{
    TProjList list;
    const int projAct = ini.ReadInteger("Global", "ProjAct", -1);
    int position = 0;
    for (const std::string& line : ini.ReadSectionValues("Proj")) {
        const auto eq = line.find('=');
        const std::string path = eq == std::string::npos ? std::string() : line.substr(eq + 1);
        if (!path.empty() && FileExists(path)) {
            if (position == projAct)
                list.Checked = static_cast<int>(list.Paths.size());
            list.Paths.push_back(path);
        }
        ++position;
    }
    return list;
}

bool SaveProjList(TIniFile& ini, const std::vector<std::string>& paths, int checked, std::string& error,
                  std::string& notCreated)
{
    error.clear();
    notCreated.clear();
    ini.BeginUpdate();
    ini.EraseSection("Proj");
    for (std::size_t i = 0; i < paths.size(); ++i)
        ini.WriteString("Proj", std::to_string(i), paths[i]);
    if (checked < 0 || checked >= static_cast<int>(paths.size()))
        checked = -1;
    ini.WriteInteger("Global", "ProjAct", checked);
    if (!ini.EndUpdate()) {
        error = ini.LastError();
        return false;
    }
    for (const std::string& path : paths) {
        if (FileExists(path))
            continue;
        const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST) {
            if (notCreated.empty())
                notCreated = path;
            continue;
        }
        if (fd >= 0)
            close(fd);
    }
    return notCreated.empty();
}

bool HasPjaExtension(const std::string& path)
{
    const auto slash = path.rfind('/');
    const auto dot = path.rfind('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash) || path.size() - dot != 4)
        return false;
    return Upper(path[dot + 1]) == 'P' && Upper(path[dot + 2]) == 'J' && Upper(path[dot + 3]) == 'A';
}

bool IsProjectFile(const std::string& path)
{
    if (!HasPjaExtension(path))
        return false;
    struct stat st {};
    if (stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode) || st.st_size > MaxProjectFile)
        return false;
    const TIniFile ini(path);
    return ini.ReadString("Global", "MakeFile", "X") != "X";
}

struct TProjSearch::TDir {
    std::string Path; // with a final "/"
    DIR* Handle = nullptr;
    ~TDir()
    {
        if (Handle)
            closedir(Handle);
    }
};

TProjSearch::TProjSearch(std::string root)
{
    if (root.empty() || root.back() != '/')
        root += '/';
    auto dir = std::make_unique<TDir>();
    dir->Path = root;
    Stack_.push_back(std::move(dir));
    Current_ = root;
}

TProjSearch::~TProjSearch() = default;

bool TProjSearch::Done() const
{
    return Stack_.empty();
}

std::vector<std::string> TProjSearch::TakeFound()
{
    std::vector<std::string> found;
    found.swap(Found_);
    return found;
}

bool TProjSearch::Step(std::size_t entries)
{
    while (entries > 0 && !Stack_.empty()) {
        TDir& dir = *Stack_.back();
        Current_ = dir.Path;
        if (!dir.Handle) {
            dir.Handle = opendir(dir.Path.c_str());
            if (!dir.Handle) {
                Stack_.pop_back();
                continue;
            }
        }
        const dirent* e = readdir(dir.Handle);
        if (!e) {
            Stack_.pop_back();
            continue;
        }
        --entries;
        const std::string name = e->d_name;
        if (name == "." || name == "..")
            continue;
        const std::string path = dir.Path + name;
        bool isDir = e->d_type == DT_DIR;
        bool isFile = e->d_type == DT_REG || e->d_type == DT_LNK;
        if (e->d_type == DT_UNKNOWN) {
            struct stat st {};
            if (lstat(path.c_str(), &st) == 0) {
                isDir = S_ISDIR(st.st_mode);
                isFile = S_ISREG(st.st_mode) || S_ISLNK(st.st_mode);
            }
        }
        if (isDir) {
            auto sub = std::make_unique<TDir>();
            sub->Path = path + "/";
            Stack_.push_back(std::move(sub));
        } else if (isFile && IsProjectFile(path)) {
            Found_.push_back(path);
        }
    }
    return !Stack_.empty();
}

} // namespace kep
