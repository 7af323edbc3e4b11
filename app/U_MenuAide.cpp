#include "app/U_MenuAide.h"

#include "platform/FileIo.h"
#include "platform/Paths.h"

#include <cctype>

namespace kep {

std::string NomProcesseurLigne(std::string_view line)
{
    // Trailing blanks are invisible in the editor; a name never ends with one.
    while (!line.empty() && (line.back() == ' ' || line.back() == '\t' || line.back() == '\r'))
        line.remove_suffix(1);
    if (!line.empty() && (line.back() == '/' || line.back() == '\\'))
        line.remove_suffix(1);
    std::string name(line);
    if (name.size() >= 4) {
        std::string ext = name.substr(name.size() - 4);
        for (char& c : ext)
            c = char(std::toupper(static_cast<unsigned char>(c)));
        if (ext == ".TAB")
            name.resize(name.size() - 4);
    }
    // A processor is a file of the processor folder: no folder part, and no
    // byte that cannot be in a file name.
    for (char c : name)
        if (c == '/' || c == '\\' || c == '\0')
            return {};
    if (name == "." || name == "..")
        return {};
    return name;
}

std::string FichierDescription(const std::string& tabPath, const std::string& name)
{
    if (name.empty())
        return {};
    std::string base = name;
    const auto dot = base.rfind('.');
    if (dot != std::string::npos)
        base.resize(dot);
    const std::string folder = tabPath.empty() || tabPath.back() == '/' ? tabPath : tabPath + "/";
    const std::string path = ExpandName(folder, base + ".S");
    return FileExists(path) ? path : std::string();
}

} // namespace kep
