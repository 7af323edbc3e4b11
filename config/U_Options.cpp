#include "config/U_Options.h"

#include <algorithm>

namespace kep {

namespace {

char Upper(char c)
{
    return c >= 'a' && c <= 'z' ? char(c - 'a' + 'A') : c;
}

bool LessNoCase(const std::string& a, const std::string& b)
{
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return static_cast<unsigned char>(Upper(x)) < static_cast<unsigned char>(Upper(y));
    });
}

bool SameNoCase(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return Upper(x) == Upper(y);
           });
}

// "key=value" as ReadSectionValues gives it.
std::pair<std::string, std::string> SplitLine(const std::string& line)
{
    const auto eq = line.find('=');
    if (eq == std::string::npos)
        return {line, std::string()};
    return {line.substr(0, eq), line.substr(eq + 1)};
}

// Sections the store itself owns, never erased as a type's or a tool's.
bool Reserved(std::string_view section)
{
    for (std::string_view s : {"Global", "Proj", "FileTypes", "Tools", "Ports"})
        if (SameNoCase(section, s))
            return true;
    return false;
}

// "FT12", "Tool3": the names the store gives to per-entry sections.
bool NumberedSection(std::string_view section, std::string_view prefix)
{
    if (section.size() <= prefix.size() || !SameNoCase(section.substr(0, prefix.size()), prefix))
        return false;
    return std::all_of(section.begin() + prefix.size(), section.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// Removes the list section, every section its keys name, and every stale
// numbered section left by an older list.
void EraseList(TIniFilePlus& ini, std::string_view list, std::string_view prefix)
{
    for (const std::string& key : ini.ReadSection(list))
        if (!Reserved(key))
            ini.EraseSection(key);
    ini.EraseSection(list);
    for (const std::string& section : ini.ReadSections())
        if (NumberedSection(section, prefix))
            ini.EraseSection(section);
}

int Clamp(int v, int lo, int hi)
{
    return v < lo ? lo : v > hi ? hi : v;
}

} // namespace

void SortTypesFich(std::vector<TInfosFich>& types)
{
    std::stable_sort(types.begin(), types.end(),
                     [](const TInfosFich& a, const TInfosFich& b) { return LessNoCase(a.Nom, b.Nom); });
}

void ChargeOptions(const TIniFilePlus& ini, TOptionsKep& opts, const TProgramPaths& prog, std::string& nomProjet,
                   std::vector<std::string>& errors)
{
    if (nomProjet.empty()) {
        const int projAct = ini.ReadInteger("Global", "ProjAct", -1);
        nomProjet = ini.ReadString("Proj", std::to_string(projAct), "");
    }

    opts.TypesFich.clear();
    bool autres = false;
    for (const std::string& line : ini.ReadSectionValues("FileTypes")) {
        auto [key, name] = SplitLine(line);
        TInfosFich info;
        try {
            ini.ReadFileType(key, info);
        } catch (const EConvertError& e) {
            errors.push_back("Type de fichier \"" + name + "\" : " + e.what());
        }
        info.Nom = name;
        autres = autres || name == NomTypeAutres;
        opts.TypesFich.push_back(std::move(info));
    }
    if (!autres) {
        TInfosFich info;
        info.Nom = NomTypeAutres;
        opts.TypesFich.push_back(std::move(info));
    }
    SortTypesFich(opts.TypesFich);
    opts.TypeFichSel = 0;

    opts.TabPath = ini.ReadEdit("Global", "TabPath", prog.DefaultTabPath());
    opts.ProgMake = ini.ReadEdit("Global", "ProgMake", prog.DefaultProgMake());
    opts.ParamMake = ini.ReadEdit("Global", "ParaMake", opts.ParamMake);
    opts.ParamMakeTout = ini.ReadEdit("Global", "ParaMakeAll", opts.ParamMakeTout);

    opts.MakeLog = ini.ReadInteger("Global", "LogMake", 0) != 0;
    opts.AfficheInfos = ini.ReadInteger("Global", "AffInfos", 1) != 0;
    opts.FermeConsole = ini.ReadInteger("Global", "FermeCons", 1) != 0;

    opts.Outils.clear();
    for (const std::string& line : ini.ReadSectionValues("Tools")) {
        auto [key, caption] = SplitLine(line);
        TInfoOutils tool;
        tool.Nom = caption;
        tool.Cmde = ini.ReadString(key, "Cmde", "");
        tool.Rep = ini.ReadString(key, "Rep", "");
        tool.Parm = ini.ReadString(key, "Parm", "");
        tool.Unique = ini.ReadBool(key, "Unique", true);
        opts.Outils.push_back(std::move(tool));
    }
    opts.OutilSel = opts.Outils.empty() ? -1 : 0;

    opts.NetPartiel = ini.ReadEdit("Global", "Quitte1", opts.NetPartiel);
    opts.NetComplet = ini.ReadEdit("Global", "Quitte2", opts.NetComplet);

    // A stored interval means the backup is on: saving deletes the key
    // when it is off, so its presence is the only record of the choice.
    const int delai = ini.ReadInteger("Global", "DelaiBak", 0);
    opts.EnableBak = delai != 0;
    if (delai != 0)
        opts.DelaiBak = Clamp(delai, DelaiBakMin, DelaiBakMax);
}

bool SauveOptions(TIniFilePlus& ini, const TOptionsKep& opts)
{
    ini.BeginUpdate();

    EraseList(ini, "FileTypes", "FT");
    std::vector<TInfosFich> types = opts.TypesFich;
    SortTypesFich(types);
    for (std::size_t n = 0; n < types.size(); ++n) {
        const std::string key = "FT" + std::to_string(n);
        ini.WriteString("FileTypes", key, types[n].Nom);
        ini.WriteFileType(key, types[n]);
    }

    ini.WriteString("Global", "TabPath", opts.TabPath);
    ini.WriteString("Global", "ProgMake", opts.ProgMake);
    ini.WriteString("Global", "ParaMake", opts.ParamMake);
    ini.WriteString("Global", "ParaMakeAll", opts.ParamMakeTout);
    ini.WriteInteger("Global", "LogMake", opts.MakeLog ? 1 : 0);
    ini.WriteInteger("Global", "AffInfos", opts.AfficheInfos ? 1 : 0);
    ini.WriteInteger("Global", "FermeCons", opts.FermeConsole ? 1 : 0);

    EraseList(ini, "Tools", "Tool");
    for (std::size_t n = 0; n < opts.Outils.size(); ++n) {
        const TInfoOutils& tool = opts.Outils[n];
        const std::string key = "Tool" + std::to_string(n);
        ini.WriteString("Tools", key, tool.Nom);
        if (!tool.Cmde.empty())
            ini.WriteString(key, "Cmde", tool.Cmde);
        if (!tool.Rep.empty())
            ini.WriteString(key, "Rep", tool.Rep);
        if (!tool.Parm.empty())
            ini.WriteString(key, "Parm", tool.Parm);
        if (!tool.Unique)
            ini.WriteInteger(key, "Unique", 0);
    }

    ini.WriteString("Global", "Quitte1", opts.NetPartiel);
    ini.WriteString("Global", "Quitte2", opts.NetComplet);
    if (opts.EnableBak)
        ini.WriteInteger("Global", "DelaiBak", Clamp(opts.DelaiBak, DelaiBakMin, DelaiBakMax));
    else
        ini.DeleteKey("Global", "DelaiBak");
    return ini.EndUpdate();
}

bool WriteErrDefaults(TIniFilePlus& ini, const TErrDefaults& err)
{
    ini.BeginUpdate();
    ini.WriteString("Global", "FichErr", err.FichErr);
    ini.WriteString("Global", "MarqueErr",
                    TIniFileStyles::JoinCommaList({err.MarqErr, std::to_string(err.LigMarqErr), err.MarqErr2,
                                                   std::to_string(err.LigMarqErr2)}));
    ini.WriteString("Global", "NbrLigErr", err.NbrLigErr);
    ini.WriteString("Global", "MarqueNom",
                    TIniFileStyles::JoinCommaList({err.DebNomFich, err.FinNomFich, std::to_string(err.LigNomFich)}));
    ini.WriteString("Global", "MarqueLig",
                    TIniFileStyles::JoinCommaList({err.DebNumLig, err.FinNumLig, std::to_string(err.LigNumLig)}));
    return ini.EndUpdate();
}

void ReadErrDefaults(const TIniFilePlus& ini, TErrDefaults& err)
{
    // Line positions are 0 to 20; anything else reads as 0.
    auto line = [](const std::string& item) {
        const int v = StrToIntDef0(item);
        return v >= 0 && v <= 20 ? v : 0;
    };
    err.FichErr = ini.ReadEdit("Global", "FichErr", err.FichErr);
    auto items = ini.ReadCommaList("Global", "MarqueErr");
    if (!items.empty()) {
        items.resize(std::max<std::size_t>(items.size(), 4));
        err.MarqErr = items[0];
        err.LigMarqErr = line(items[1]);
        if (ini.ReadCommaList("Global", "MarqueErr").size() > 2) {
            err.MarqErr2 = items[2];
            err.LigMarqErr2 = line(items[3]);
        }
    }
    items = ini.ReadCommaList("Global", "MarqueNom");
    if (!items.empty()) {
        items.resize(std::max<std::size_t>(items.size(), 3));
        err.DebNomFich = items[0];
        err.FinNomFich = items[1];
        err.LigNomFich = line(items[2]);
    }
    items = ini.ReadCommaList("Global", "MarqueLig");
    if (!items.empty()) {
        items.resize(std::max<std::size_t>(items.size(), 3));
        err.DebNumLig = items[0];
        err.FinNumLig = items[1];
        err.LigNumLig = line(items[2]);
    }
    err.NbrLigErr = ini.ReadString("Global", "NbrLigErr", "1");
    const int n = StrToIntDef0(err.NbrLigErr);
    if (n < 1 || n > 1000)
        err.NbrLigErr = "1";
}

std::string ExtensionOf(std::string_view fileName)
{
    const auto sep = fileName.find_last_of("/\\");
    const auto base = sep == std::string_view::npos ? fileName : fileName.substr(sep + 1);
    const auto dot = base.rfind('.');
    std::string ext = dot == std::string_view::npos ? std::string() : std::string(base.substr(dot));
    for (char& c : ext)
        c = Upper(c);
    return ext;
}

const TInfosFich& FileTypeOf(const std::vector<TInfosFich>& types, std::string_view fileName)
{
    const std::string ext = ExtensionOf(fileName);
    for (const TInfosFich& t : types)
        if (t.Ext == ext)
            return t;
    for (const TInfosFich& t : types)
        if (t.Nom == NomTypeAutres)
            return t;
    static const TInfosFich autres = [] {
        TInfosFich t;
        t.Nom = NomTypeAutres;
        return t;
    }();
    return autres;
}

void AddToHistory(const std::string& text, std::vector<std::string>& list)
{
    const auto it = std::find(list.begin(), list.end(), text);
    if (it != list.end()) {
        std::rotate(list.begin(), it, it + 1);
        return;
    }
    list.insert(list.begin(), text);
    if (list.size() > HistoryMax)
        list.resize(HistoryMax);
}

std::string VersionPrefix(std::string_view fileVersion)
{
    std::size_t pos = 0;
    for (int dots = 0; dots < 3; ++dots) {
        pos = fileVersion.find('.', dots == 0 ? 0 : pos + 1);
        if (pos == std::string_view::npos)
            return std::string();
    }
    return std::string(fileVersion.substr(0, pos));
}

} // namespace kep
