#include "app/U_Session.h"
#include "platform/FileIo.h"
#include "platform/Paths.h"

#include <dirent.h>
#include <fnmatch.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdio>

namespace kep {

namespace {

constexpr const char* kGlobal = "Global";
constexpr const char* kClosed = "Closed files";


// A numeric comma list: missing or unreadable fields read 0.
std::vector<int> Numbers(std::string_view text, std::size_t count)
{
    std::vector<int> v(count, 0);
    const auto items = TIniFileStyles::SplitCommaList(text);
    for (std::size_t i = 0; i < count && i < items.size(); ++i)
        v[i] = StrToIntDef0(items[i]);
    return v;
}

std::string Pair(int a, int b) { return std::to_string(a) + "," + std::to_string(b); }

bool WholeRange(const TEditView& v) { return v.ViewMinLine <= 0 && v.ViewMaxLine == TEditView::NoMaxLine; }

} // namespace

TMarkers NoMarkers()
{
    TMarkers m;
    m.fill(TTextPos{-1, -1});
    return m;
}

// ---- Reopen list ------------------------------------------------------------

std::string ClosedFileText(const TReopenItem& item)
{
    std::string s = item.Path;
    s += "," + std::to_string(item.View.TopLine) + "," + Pair(item.View.Caret.Line, item.View.Caret.Col);
    for (const TTextPos& m : item.Markers)
        s += "," + Pair(m.Line, m.Col);
    return s;
}

TReopenItem ParseClosedFile(std::string_view value)
{
    TReopenItem item;
    value = TrimControls(value);
    const auto comma = value.find(',');
    item.Path = std::string(TrimControls(value.substr(0, comma)));
    if (comma == std::string_view::npos)
        return item;
    const auto items = TIniFileStyles::SplitCommaList(value.substr(comma + 1));
    auto field = [&](std::size_t i) { return i < items.size() ? StrToIntDef0(items[i]) : 0; };
    item.View.TopLine = std::max(0, field(0));
    item.View.Caret = TTextPos{std::max(0, field(1)), std::max(1, field(2))};
    for (std::size_t m = 0; m < item.Markers.size(); ++m) {
        const std::size_t at = 3 + 2 * m;
        if (at < items.size())
            item.Markers[m] = TTextPos{field(at), field(at + 1)};
    }
    return item;
}

TReopenItem& TReopenList::PushTop(const std::string& path)
{
    const int found = Find(path);
    if (found > 0)
        std::rotate(Items_.begin(), Items_.begin() + found, Items_.begin() + found + 1);
    else if (found < 0) {
        TReopenItem item;
        item.Path = path;
        Items_.insert(Items_.begin(), std::move(item));
        if (Items_.size() > Max)
            Items_.resize(Max);
    }
    return Items_.front();
}

void TReopenList::Append(TReopenItem item)
{
    if (Items_.size() < Max)
        Items_.push_back(std::move(item));
}

int TReopenList::Find(const std::string& path) const
{
    for (std::size_t i = 0; i < Items_.size(); ++i)
        if (SameFile(Items_[i].Path, path))
            return int(i);
    return -1;
}

void TReopenList::Remove(int i)
{
    if (i >= 0 && i < int(Items_.size()))
        Items_.erase(Items_.begin() + i);
}

// ---- Writing ------------------------------------------------------------------

std::string EditSection(int i) { return "Edit" + std::to_string(i); }

bool WriteSession(TIniFilePlus& ini, const TSessionState& s, const TTypeStyles& typeStyles)
{
    ini.BeginUpdate();
    ini.WriteBounds(kGlobal, s.Bounds);
    ini.WriteInteger(kGlobal, "Separ", s.Separ);
    ini.WriteString(kGlobal, "MakeFile", s.MakeFile);
    ini.WriteString(kGlobal, "ProgFile", s.ProgFile);
    ini.WriteBool(kGlobal, "ConvVisible", s.ConvVisible);
    if (s.Assembleur)
        ini.WriteString(kGlobal, "Assembleur", NomAssembleur(*s.Assembleur));

    const TErrDefaults& e = s.Err;
    ini.WriteString(kGlobal, "FichErr", e.FichErr);
    ini.WriteString(kGlobal, "MarqueErr",
                    TIniFileStyles::JoinCommaList({e.MarqErr, std::to_string(e.LigMarqErr), e.MarqErr2, std::to_string(e.LigMarqErr2)}));
    ini.WriteString(kGlobal, "NbrLigErr", e.NbrLigErr);
    ini.WriteString(kGlobal, "MarqueNom", TIniFileStyles::JoinCommaList({e.DebNomFich, e.FinNomFich, std::to_string(e.LigNomFich)}));
    ini.WriteString(kGlobal, "MarqueLig", TIniFileStyles::JoinCommaList({e.DebNumLig, e.FinNumLig, std::to_string(e.LigNumLig)}));

    // The section is rebuilt so keys of a longer list do not come back.
    ini.EraseSection(kClosed);
    for (std::size_t i = 0; i < s.Closed.size(); ++i)
        ini.WriteString(kClosed, std::to_string(i), ClosedFileText(s.Closed[i]));

    const int n = int(s.Entries.size());
    ini.WriteInteger(kGlobal, "NbrEdit", n);
    ini.WriteInteger(kGlobal, "PageAct", s.PageAct);
    ini.WriteInteger(kGlobal, "EditPrec", s.EditPrec);

    for (int i = 0; i < n; ++i) {
        const TSessionEntry& en = s.Entries[std::size_t(i)];
        const std::string sec = EditSection(i);
        ini.EraseSection(sec);
        ini.WriteString(sec, "Nom", en.Nom);
        if (en.FirstView && en.Settings) {
            const TInfosFich& f = *en.Settings;
            ini.WriteString(sec, "Police", f.Police);
            ini.WriteInteger(sec, "Taille", f.Taille);
            ini.WriteStyles(sec, f.Styles, typeStyles ? typeStyles(en.Nom) : DefaultStyles());
            ini.WriteInteger(sec, "Backup", f.Backup);
            ini.WriteString(sec, "Tabs", TIniFilePlus::TabsText(f.Tabs));
            ini.WriteBool(sec, "Autoload", f.Opts & optAutoLoad);
            ini.WriteBool(sec, "AutoSave", f.Opts & optAutoSave);
            ini.WriteBool(sec, "OemFile", f.Opts & optConvDos);
            ini.WriteBool(sec, "CleanEol", f.Opts & optClrEol);
            ini.WriteBool(sec, "ReadOnly", f.Opts & optReadOnly);
            for (std::size_t m = 0; m < en.Markers.size(); ++m)
                if (en.Markers[m].Line >= 0)
                    ini.WriteString(sec, "M" + std::to_string(m), Pair(en.Markers[m].Line, en.Markers[m].Col));
        }
        const std::string name = en.ViewName.substr(0, en.ViewName.find('('));
        if (!en.ViewName.empty() && !SamePath(name, FileNameOf(en.Nom)))
            ini.WriteString(sec, "ViewName", en.ViewName);
        const TEditView& v = en.View;
        if (v.TopLine != 0)
            ini.WriteInteger(sec, "PremLig", v.TopLine);
        ini.WriteString(sec, "CurPos", Pair(v.Caret.Line, v.Caret.Col));
        if (v.SelStart != v.SelEnd)
            ini.WriteString(sec, "SelPos", Pair(v.SelStart.Line, v.SelStart.Col) + "," + Pair(v.SelEnd.Line, v.SelEnd.Col));
        if (!WholeRange(v))
            ini.WriteString(sec, "ViewLim", Pair(v.ViewMinLine, v.ViewMaxLine));
        ini.WriteBool(sec, "NoRefs", en.NoRefs);
    }
    // Stale entries: every "Edit<k>" section past the list, whatever count
    // the file claimed before (it may hold any number).
    for (const std::string& sec : ini.ReadSections()) {
        if (sec.size() <= 4 || !std::equal(sec.begin(), sec.begin() + 4, "Edit", [](char a, char b) {
                return (a | 0x20) == (b | 0x20);
            }))
            continue;
        const std::string digits = sec.substr(4);
        if (!std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; }) ||
            digits.size() > 9)
            continue;
        if (std::stoi(digits) >= n)
            ini.EraseSection(sec);
    }
    return ini.EndUpdate();
}

// ---- Reading ------------------------------------------------------------------

TSessionGlobal ReadSessionGlobal(const TIniFilePlus& ini)
{
    TSessionGlobal g;
    g.MakeFile = ini.ReadString(kGlobal, "MakeFile", "");
    g.ProgFile = ini.ReadString(kGlobal, "ProgFile", "");
    if (ini.ValueExists(kGlobal, "Separ"))
        g.Separ = ini.ReadInteger(kGlobal, "Separ", 0);
    g.ConvVisible = ini.ReadBool(kGlobal, "ConvVisible", false);
    g.Assembleur = LitAssembleur(ini.ReadString(kGlobal, "Assembleur", ""));
    g.NbrEdit = std::max(0, ini.ReadInteger(kGlobal, "NbrEdit", 0));
    g.PageAct = ini.ReadInteger(kGlobal, "PageAct", 0);
    g.EditPrec = ini.ReadInteger(kGlobal, "EditPrec", g.PageAct);
    return g;
}

void ReadSessionErr(const TIniFilePlus& ini, TErrDefaults& e)
{
    e.FichErr = ini.ReadString(kGlobal, "FichErr", e.FichErr);
    auto items = ini.ReadCommaList(kGlobal, "MarqueErr");
    // Line positions are 0 to 20 as in the options; anything else reads as 0,
    // so that a wild project cannot send the error search far from its block.
    auto num = [&](std::size_t i) {
        const int v = i < items.size() ? StrToIntDef0(items[i]) : 0;
        return v >= 0 && v <= 20 ? v : 0;
    };
    if (!items.empty()) {
        e.MarqErr = items[0];
        e.LigMarqErr = num(1);
        if (items.size() > 2) {
            e.MarqErr2 = items[2];
            e.LigMarqErr2 = num(3);
        }
    }
    e.NbrLigErr = ini.ReadString(kGlobal, "NbrLigErr", "1");
    if (const int n = StrToIntDef0(e.NbrLigErr); n < 1 || n > 1000)
        e.NbrLigErr = "1";
    items = ini.ReadCommaList(kGlobal, "MarqueNom");
    if (items.size() > 1) {
        e.DebNomFich = items[0];
        e.FinNomFich = items[1];
        e.LigNomFich = num(2);
    }
    items = ini.ReadCommaList(kGlobal, "MarqueLig");
    if (items.size() > 1) {
        e.DebNumLig = items[0];
        e.FinNumLig = items[1];
        e.LigNumLig = num(2);
    }
}

std::vector<TReopenItem> ReadClosedFiles(const TIniFilePlus& ini)
{
    std::vector<TReopenItem> out;
    const std::size_t n = ini.ReadSection(kClosed).size();
    for (std::size_t i = 0; i < n && out.size() < TReopenList::Max; ++i) {
        const std::string value = ini.ReadString(kClosed, std::to_string(i), "");
        TReopenItem item = ParseClosedFile(value);
        if (!item.Path.empty())
            out.push_back(std::move(item));
    }
    return out;
}

TSessionEntry ReadEditView(const TIniFilePlus& ini, int i)
{
    const std::string sec = EditSection(i);
    TSessionEntry en;
    en.Nom = ini.ReadString(sec, "Nom", "");
    en.ViewName = ini.ReadString(sec, "ViewName", "");
    TEditView& v = en.View;
    v.TopLine = std::max(0, ini.ReadInteger(sec, "PremLig", 0));
    auto c = Numbers(ini.ReadString(sec, "CurPos", "0,1"), 2);
    v.Caret = TTextPos{c[0], c[1]};
    auto sel = Numbers(ini.ReadString(sec, "SelPos", "0,1,0,1"), 4);
    v.SelStart = TTextPos{sel[0], sel[1]};
    v.SelEnd = TTextPos{sel[2], sel[3]};
    if (ini.ValueExists(sec, "ViewLim")) {
        auto lim = Numbers(ini.ReadString(sec, "ViewLim", ""), 2);
        v.ViewMinLine = lim[0];
        v.ViewMaxLine = lim[1];
    }
    en.NoRefs = ini.ReadBool(sec, "NoRefs", false);
    for (std::size_t m = 0; m < en.Markers.size(); ++m) {
        auto p = Numbers(ini.ReadString(sec, "M" + std::to_string(m), "-1,-1"), 2);
        en.Markers[m] = TTextPos{p[0], p[1]};
    }
    return en;
}

std::optional<TEditSettings> ReadEditSettings(const TIniFilePlus& ini, int i, const TInfosFich& type, bool protege,
                                              std::string* error)
{
    const std::string sec = EditSection(i);
    const std::string police = ini.ReadString(sec, "Police", "");
    if (police.empty())
        return std::nullopt;
    TEditSettings s;
    TInfosFich& f = s.Infos;
    f = type;
    f.Police = police;
    f.Taille = ini.ReadInteger(sec, "Taille", type.Taille);
    f.Styles = type.Styles;
    ini.ReadStyles(sec, f.Styles);
    if (ini.ValueExists(sec, "Tabs")) {
        try {
            ini.ReadTabs(sec, f.Tabs);
        } catch (const EConvertError& e) {
            // The type's columns stand in for an unreadable list.
            f.Tabs = type.Tabs;
            s.TabsInPixels = false;
            if (error)
                *error = std::string("Tabs : ") + e.what();
        }
    } else {
        s.TabsInPixels = false;
    }
    // As in the option file: a wild count would make every save crawl.
    f.Backup = std::clamp(ini.ReadInteger(sec, "Backup", type.Backup), 0, MaxBackups);
    auto bit = [&](const char* key, std::uint8_t mask) -> std::uint8_t {
        return ini.ReadBool(sec, key, type.Opts & mask) ? mask : 0;
    };
    f.Opts = bit("OemFile", optConvDos) | bit("AutoSave", optAutoSave) | bit("Autoload", optAutoLoad)
             | bit("CleanEol", optClrEol);
    f.Opts |= protege ? std::uint8_t(optReadOnly) : bit("ReadOnly", optReadOnly);
    return s;
}

void ShiftForMissing(int i, int& page, int& prec)
{
    if (i < page)
        --page;
    if (i == prec)
        prec = page;
    else if (i < prec)
        --prec;
}

std::string EntryName(const std::string& path, int view, int viewCount)
{
    std::string name = LowerAscii(FileNameOf(path));
    if (viewCount > 1)
        name += "(" + std::to_string(view + 1) + ")";
    return name;
}

std::string ProjectTitle(const std::string& projectPath)
{
    std::string name = FileNameOf(projectPath);
    const auto dot = name.rfind('.');
    if (dot != std::string::npos)
        name.erase(dot);
    return "KEP - " + UpperAscii(name) + " (" + FolderOf(projectPath) + ")";
}

bool ArgumentsAccepted(const std::vector<std::string>& args)
{
    if (args.empty())
        return true;
    const std::string name = FileNameOf(args[0]);
    const auto dot = name.rfind('.');
    return dot != std::string::npos && UpperAscii(name.substr(dot)) == ".PJA";
}

// ---- Cleaning -------------------------------------------------------------------

std::vector<std::string> SplitMasks(std::string_view text)
{
    std::vector<std::string> masks;
    while (!text.empty()) {
        const auto semi = text.find(';');
        const std::string_view part = TrimControls(text.substr(0, semi));
        text = semi == std::string_view::npos ? std::string_view() : text.substr(semi + 1);
        if (!part.empty())
            masks.emplace_back(part);
    }
    return masks;
}

void EffaceFichiers(const std::string& folder, std::string_view text,
                    const std::function<void(const std::string& name)>& failed)
{
    const std::string dir = folder.empty() ? std::string(".") : folder;
    for (const std::string& mask : SplitMasks(text)) {
        // "name.*" also takes names without an extension, as on Windows.
        const bool anyExt = mask.size() >= 2 && mask.compare(mask.size() - 2, 2, ".*") == 0;
        const std::string bare = anyExt ? mask.substr(0, mask.size() - 2) : std::string();
        std::vector<std::string> found;
        if (DIR* d = opendir(dir.c_str())) {
            while (dirent* e = readdir(d)) {
                const std::string name = e->d_name;
                if (name == "." || name == "..")
                    continue;
                const bool match = fnmatch(mask.c_str(), name.c_str(), FNM_CASEFOLD) == 0
                                   || (anyExt && fnmatch(bare.c_str(), name.c_str(), FNM_CASEFOLD) == 0);
                if (!match)
                    continue;
                struct stat st{};
                const std::string path = dir + "/" + name;
                if (lstat(path.c_str(), &st) == 0 && !S_ISDIR(st.st_mode))
                    found.push_back(name);
            }
            closedir(d);
        }
        std::sort(found.begin(), found.end());
        for (const std::string& name : found)
            if (std::remove((dir + "/" + name).c_str()) != 0 && failed)
                failed(name);
    }
}

TProjectFileCheck CheckProjectText(std::string_view text)
{
    if (text.find('\0') != std::string_view::npos)
        return TProjectFileCheck::HasNul;
    bool content = false;
    std::size_t at = 0;
    while (at < text.size()) {
        std::size_t end = text.find_first_of("\r\n", at);
        if (end == std::string_view::npos)
            end = text.size();
        const std::string_view line = TrimControls(text.substr(at, end - at));
        at = end + 1;
        if (line.empty() || line.front() == ';' || line.front() == '#')
            continue;
        if (line.front() == '[' && line.find(']') != std::string_view::npos)
            return TProjectFileCheck::Ok;
        if (const auto eq = line.find('='); eq != std::string_view::npos && eq > 0)
            return TProjectFileCheck::Ok;
        content = true;
    }
    return content ? TProjectFileCheck::NotIni : TProjectFileCheck::Ok;
}

TProjectFileCheck CheckProjectFile(const std::string& path)
{
    std::string text;
    if (!ReadWholeFile(path, text))
        return TProjectFileCheck::Unreadable;
    return CheckProjectText(text);
}

} // namespace kep
