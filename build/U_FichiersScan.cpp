#include "build/U_FichiersScan.h"
#include "platform/FileIo.h"
#include "platform/Paths.h"

#include <filesystem>
#include <memory>

namespace kep {

TFichiersScan FichiersDisque(const std::string& folder)
{
    TFichiersScan fs;
    fs.Chemin = [folder](const std::string& name) { return ExpandName(folder, name); };
    fs.Existe = [](const std::string& path) { return FileExists(path); };
    fs.Lit = [](const std::string& path, std::string& out) { return ReadWholeFile(path, out); };
    return fs;
}

TFichiersScan FichiersMemoire(const std::string& folder, const std::map<std::string, std::string>& files)
{
    auto held = std::make_shared<const std::map<std::string, std::string>>(files);
    auto find = [held](const std::string& path) -> const std::string* {
        if (auto it = held->find(path); it != held->end())
            return &it->second;
        for (const auto& [name, bytes] : *held)
            if (SamePath(name, path))
                return &bytes;
        return nullptr;
    };
    TFichiersScan fs;
    fs.Chemin = [folder, held](const std::string& name) {
        std::string rel = name;
        for (char& c : rel)
            if (c == '\\')
                c = '/';
        std::string path = !rel.empty() && rel[0] == '/' ? rel : (folder.empty() || folder.back() == '/' ? folder : folder + "/") + rel;
        path = std::filesystem::path(path).lexically_normal().generic_string();
        // The spelling held, as the disk would give it.
        for (const auto& [held_name, bytes] : *held)
            if (SamePath(held_name, path))
                return held_name;
        return path;
    };
    fs.Existe = [find](const std::string& path) { return find(path) != nullptr; };
    fs.Lit = [find](const std::string& path, std::string& out) {
        const std::string* f = find(path);
        if (!f)
            return false;
        out = *f;
        return true;
    };
    return fs;
}

} // namespace kep
