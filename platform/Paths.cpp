#include "platform/Paths.h"
#include "platform/AsciiText.h"

#include <dirent.h>
#include <strings.h>
#include <sys/stat.h>

#include <filesystem>

namespace kep {

namespace {

bool Exists(const std::string& path)
{
    struct stat st{};
    return stat(path.c_str(), &st) == 0;
}

// The entry of dir spelt like part ignoring case, or part itself.
std::string MatchEntry(const std::string& dir, const std::string& part)
{
    if (Exists(dir + "/" + part))
        return part;
    std::string found = part;
    if (DIR* d = opendir(dir.c_str())) {
        while (dirent* e = readdir(d)) {
            if (strcasecmp(e->d_name, part.c_str()) == 0) {
                found = e->d_name;
                break;
            }
        }
        closedir(d);
    }
    return found;
}

} // namespace

bool SamePath(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && strncasecmp(a.data(), b.data(), a.size()) == 0;
}

bool SameFile(const std::string& a, const std::string& b)
{
    if (a == b)
        return true;
    if (!SamePath(a, b))
        return false;
    struct stat sa{}, sb{};
    if (stat(a.c_str(), &sa) != 0 || stat(b.c_str(), &sb) != 0)
        return true;
    return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

std::string FolderOf(const std::string& path)
{
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

std::string FileNameOf(const std::string& path)
{
    const auto slash = path.find_last_of("/\\");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string RelativePath(const std::string& folder, const std::string& path)
{
    namespace fs = std::filesystem;
    if (folder.empty())
        return path;
    const fs::path rel = fs::path(path).lexically_normal().lexically_relative(fs::path(folder).lexically_normal());
    return rel.empty() ? path : rel.generic_string();
}

std::string ExpandName(const std::string& folder, const std::string& name)
{
    std::string rel = std::string(TrimControls(name));
    for (char& c : rel)
        if (c == '\\')
            c = '/';
    if (rel.empty())
        return rel;
    const bool absolute = rel[0] == '/';
    std::string path = absolute ? std::string() : folder;
    while (!path.empty() && path.back() == '/')
        path.pop_back();
    std::size_t pos = absolute ? 1 : 0;
    while (pos <= rel.size()) {
        std::size_t end = rel.find('/', pos);
        if (end == std::string::npos)
            end = rel.size();
        const std::string part = rel.substr(pos, end - pos);
        pos = end + 1;
        if (part.empty() || part == ".")
            continue;
        if (part == "..") {
            const auto slash = path.rfind('/');
            path.erase(slash == std::string::npos ? 0 : slash);
            continue;
        }
        path += "/" + MatchEntry(path.empty() ? "/" : path, part);
    }
    return path;
}

} // namespace kep
