#include "config/U_KepFile.h"

#include "platform/FileIo.h"

#include <cstdlib>
#include <unistd.h>

namespace kep {

std::string NomFichOptions;
std::string NomProjet;

namespace {

std::string FolderOf(const std::string& path)
{
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? std::string(".") : path.substr(0, slash == 0 ? 1 : slash);
}

std::string IniNameOf(const std::string& exePath)
{
    const auto slash = exePath.rfind('/');
    std::string name = slash == std::string::npos ? exePath : exePath.substr(slash + 1);
    const auto dot = name.rfind('.');
    if (dot != std::string::npos && dot > 0)
        name.resize(dot);
    if (name.empty())
        name = "kep";
    return name + ".ini";
}

std::string WithSlash(std::string folder)
{
    if (folder.empty() || folder.back() != '/')
        folder += '/';
    return folder;
}

} // namespace

TOptionFileLocation LocateOptionFile(const std::string& exePath, const std::string& xdgConfigHome,
                                     const std::string& home)
{
    const std::string name = IniNameOf(exePath);
    const std::string beside = WithSlash(FolderOf(exePath)) + name;
    const bool besideExists = FileExists(beside);
    if (besideExists && access(FolderOf(beside).c_str(), W_OK) == 0)
        return {beside, false};

    std::string config = xdgConfigHome;
    // A relative XDG_CONFIG_HOME is invalid and must be ignored.
    if (config.empty() || config.front() != '/')
        config = WithSlash(home.empty() ? std::string("/tmp") : home) + ".config";
    const std::string user = WithSlash(config) + "kep/" + name;
    return {user, !besideExists && !FileExists(user)};
}

TOptionFileLocation LocateOptionFile(const std::string& exePath)
{
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    const char* home = std::getenv("HOME");
    return LocateOptionFile(exePath, xdg ? xdg : "", home ? home : "");
}

} // namespace kep
