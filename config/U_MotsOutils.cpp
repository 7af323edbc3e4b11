#include "config/U_MotsOutils.h"

#include "launcher/CommandLine.h"

#include <cstdio>

namespace kep {

namespace {

struct TParts {
    std::string Folder, Name, Ext;
};

// Folder without its final "/", name without extension, extension with its
// dot. The extension is looked for in the file name only: a dot in a folder
// name is not one.
TParts Split(const std::string& path)
{
    TParts p;
    if (path.empty())
        return p;
    const auto slash = path.rfind('/');
    std::string file = path;
    if (slash != std::string::npos) {
        p.Folder = path.substr(0, slash);
        if (p.Folder.empty())
            p.Folder = "/"; // a file at the root keeps its folder
        file = path.substr(slash + 1);
    }
    const auto dot = file.rfind('.');
    if (dot != std::string::npos && dot > 0) {
        p.Name = file.substr(0, dot);
        p.Ext = file.substr(dot);
    } else {
        p.Name = file;
    }
    return p;
}

} // namespace

TMotsOutil MotsOutil(const std::string& projectFile, const std::string& editFile, int day, int month, int year)
{
    TMotsOutil m;
    char date[32];
    std::snprintf(date, sizeof date, "%02d.%02d.%04d", day, month, year);
    m.Date = date;
    const TParts proj = Split(projectFile);
    m.ProjPath = proj.Folder;
    m.ProjName = proj.Name;
    const TParts edit = Split(editFile);
    m.EditPath = edit.Folder;
    m.EditName = edit.Name;
    m.EditExt = edit.Ext;
    return m;
}

std::string ExpandeMotsOutil(std::string_view text, const TMotsOutil& mots)
{
    const std::pair<std::string_view, const std::string*> keywords[] = {
        {"%Date", &mots.Date},         {"%ProjPath", &mots.ProjPath}, {"%ProjName", &mots.ProjName},
        {"%EditPath", &mots.EditPath}, {"%EditName", &mots.EditName}, {"%EditExt", &mots.EditExt},
    };
    std::string out;
    out.reserve(text.size());
    std::size_t i = 0;
    while (i < text.size()) {
        bool replaced = false;
        if (text[i] == '%') {
            for (const auto& [key, value] : keywords)
                if (text.substr(i, key.size()) == key) {
                    out += *value;
                    i += key.size();
                    replaced = true;
                    break;
                }
        }
        if (!replaced)
            out += text[i++];
    }
    return out;
}

std::vector<std::string> ParametresOutil(std::string_view text, const TMotsOutil& mots)
{
    std::vector<std::string> words = SplitCommandLine(text);
    for (std::string& w : words)
        w = ExpandeMotsOutil(w, mots);
    return words;
}

} // namespace kep
