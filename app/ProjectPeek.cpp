#include "app/ProjectPeek.h"

#include <dirent.h>
#include <strings.h>
#include <sys/stat.h>

namespace kep {

namespace {

std::string Trim(const std::string& s)
{
    const auto first = s.find_first_not_of(" \t\r\n");
    if (first == std::string::npos)
        return {};
    const auto last = s.find_last_not_of(" \t\r\n");
    return s.substr(first, last - first + 1);
}

bool SameIgnoringCase(const std::string& a, const std::string& b)
{
    return a.size() == b.size() && strncasecmp(a.c_str(), b.c_str(), a.size()) == 0;
}

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
            if (SameIgnoringCase(e->d_name, part)) {
                found = e->d_name;
                break;
            }
        }
        closedir(d);
    }
    return found;
}

} // namespace

std::string IniValue(const std::string& text, const std::string& section, const std::string& key)
{
    bool inSection = false;
    size_t pos = 0;
    while (pos < text.size()) {
        size_t end = text.find('\n', pos);
        if (end == std::string::npos)
            end = text.size();
        const std::string line = Trim(text.substr(pos, end - pos));
        pos = end + 1;
        if (line.empty() || line[0] == ';')
            continue;
        if (line[0] == '[') {
            const auto close = line.find(']');
            inSection = close != std::string::npos && SameIgnoringCase(Trim(line.substr(1, close - 1)), section);
            continue;
        }
        if (!inSection)
            continue;
        const auto eq = line.find('=');
        if (eq != std::string::npos && SameIgnoringCase(Trim(line.substr(0, eq)), key))
            return Trim(line.substr(eq + 1));
    }
    return {};
}

std::string ResolveProjectName(const std::string& folder, const std::string& name)
{
    std::string rel = name;
    for (char& c : rel)
        if (c == '\\')
            c = '/';
    std::string path = rel.size() > 0 && rel[0] == '/' ? std::string() : folder;
    size_t pos = rel.size() > 0 && rel[0] == '/' ? 1 : 0;
    while (pos <= rel.size()) {
        size_t end = rel.find('/', pos);
        if (end == std::string::npos)
            end = rel.size();
        const std::string part = rel.substr(pos, end - pos);
        pos = end + 1;
        if (part.empty() || part == ".")
            continue;
        path += "/" + (part == ".." ? part : MatchEntry(path.empty() ? "/" : path, part));
    }
    return path;
}

} // namespace kep
