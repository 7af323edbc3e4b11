#include "platform/MimeApps.h"

#include "platform/DesktopEntry.h"
#include "platform/FileIo.h"

#include <algorithm>
#include <filesystem>
#include <vector>

namespace kep::desktop_detail {

namespace {

constexpr std::string_view SectionDefauts = "Default Applications";
constexpr std::string_view SectionAjouts = "Added Associations";
constexpr std::string_view SectionRetraits = "Removed Associations";

// A desktop id's file under an applications folder: "a-b.desktop" may also
// be "a/b.desktop".
std::string FindDesktopFile(const std::string& dir, std::string_view id)
{
    const std::string direct = dir + "/" + std::string(id);
    if (FileExists(direct))
        return direct;
    for (auto dash = id.find('-'); dash != std::string_view::npos; dash = id.find('-', dash + 1)) {
        const std::string sub = dir + "/" + std::string(id.substr(0, dash));
        std::error_code ec;
        if (!std::filesystem::is_directory(sub, ec))
            continue;
        std::string found = FindDesktopFile(sub, id.substr(dash + 1));
        if (!found.empty())
            return found;
    }
    return {};
}

std::vector<std::string> ApplicationDirs(const TXdgDirs& dirs)
{
    std::vector<std::string> out{dirs.DataHome + "/applications"};
    for (const auto& d : dirs.DataDirs)
        out.push_back(d + "/applications");
    return out;
}

} // namespace

std::string InstalledEntry(const TXdgDirs& dirs, std::string_view id)
{
    for (const auto& dir : ApplicationDirs(dirs)) {
        const std::string path = FindDesktopFile(dir, id);
        if (path.empty())
            continue;
        std::string text, hidden;
        if (ReadEntry(path, text) && EntryValue(text, "Desktop Entry", "Hidden", hidden) && hidden == "true")
            return {};
        return path;
    }
    return {};
}

namespace {

// The lines of a file, edited one by one so that the others stay byte for
// byte.

struct TLine {
    std::string Body; // without its end
    std::string End;  // "\n", "\r\n" or "" for a last line without one
    bool Gone = false;
};

std::vector<TLine> SplitLines(std::string_view text)
{
    std::vector<TLine> lines;
    while (!text.empty()) {
        const auto eol = text.find('\n');
        TLine line;
        if (eol == std::string_view::npos) {
            line.Body = text;
            text = {};
        } else {
            line.Body = text.substr(0, eol);
            line.End = "\n";
            text.remove_prefix(eol + 1);
            if (!line.Body.empty() && line.Body.back() == '\r') {
                line.Body.pop_back();
                line.End = "\r\n";
            }
        }
        lines.push_back(std::move(line));
    }
    return lines;
}

std::string JoinLines(const std::vector<TLine>& lines)
{
    std::string out;
    for (const auto& l : lines)
        if (!l.Gone)
            out += l.Body + l.End;
    return out;
}

bool IsHeader(const TLine& line)
{
    const std::string_view t = Trim(line.Body);
    return !t.empty() && t.front() == '[' && t.back() == ']';
}

bool IsHeaderOf(const TLine& line, std::string_view section)
{
    const std::string_view t = Trim(line.Body);
    return IsHeader(line) && t.substr(1, t.size() - 2) == section;
}

bool IsBlank(const TLine& line)
{
    return Trim(line.Body).empty();
}

bool KeyOf(const TLine& line, std::string_view& key, std::string_view& value)
{
    const std::string_view t = Trim(line.Body);
    if (t.empty() || t.front() == '#' || t.front() == '[')
        return false;
    const auto eq = t.find('=');
    if (eq == std::string_view::npos)
        return false;
    key = Trim(t.substr(0, eq));
    value = Trim(t.substr(eq + 1));
    return true;
}

// The list of the first `key` line of a group.
bool ListOf(const std::vector<TLine>& lines, std::string_view section, std::string_view key, std::vector<std::string>& list)
{
    bool in = false;
    for (const auto& line : lines) {
        if (IsHeader(line)) {
            in = IsHeaderOf(line, section);
            continue;
        }
        std::string_view k, v;
        if (in && KeyOf(line, k, v) && k == key) {
            list = SplitList(v, ';');
            return true;
        }
    }
    return false;
}

// A group our edits left with blank lines only, at the end of the file
// after a blank line, is one an association added: it goes with that blank
// line. The last first, so that the one before it may end the file in turn.
void DropEmptiedGroups(std::vector<TLine>& lines, std::vector<std::size_t> headers)
{
    std::sort(headers.rbegin(), headers.rend());
    headers.erase(std::unique(headers.begin(), headers.end()), headers.end());
    for (const auto header : headers) {
        bool onlyBlanks = true;
        for (std::size_t i = header + 1; i < lines.size() && onlyBlanks; ++i)
            onlyBlanks = lines[i].Gone || (!IsHeader(lines[i]) && IsBlank(lines[i]));
        std::size_t before = header;
        while (before > 0 && lines[before - 1].Gone)
            --before;
        if (!onlyBlanks || (before > 0 && !IsBlank(lines[before - 1])))
            continue;
        for (std::size_t i = header; i < lines.size(); ++i)
            lines[i].Gone = true;
        if (before > 0)
            lines[before - 1].Gone = true;
    }
}

// Applies `edit` to the list of every `key` line of the groups named
// `section`; a list left empty takes its line away, and its group goes in
// `emptied`. True when such a line was there.
bool EditList(std::vector<TLine>& lines, std::string_view section, std::string_view key,
              const std::function<void(std::vector<std::string>&)>& edit, std::vector<std::size_t>& emptied)
{
    bool found = false;
    std::size_t header = 0;
    bool in = false;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (IsHeader(lines[i])) {
            in = IsHeaderOf(lines[i], section);
            header = i;
            continue;
        }
        std::string_view k, v;
        if (!in || lines[i].Gone || !KeyOf(lines[i], k, v) || k != key)
            continue;
        found = true;
        auto list = SplitList(v, ';');
        const auto before = list;
        edit(list);
        if (list == before)
            continue;
        if (list.empty()) {
            lines[i].Gone = true;
            emptied.push_back(header);
        } else {
            lines[i].Body = std::string(key) + "=" + JoinList(list, !v.empty() && v.back() == ';');
        }
    }
    return found;
}

void InsertKey(std::vector<TLine>& lines, std::string_view section, const std::string& body)
{
    std::string eol = "\n";
    for (const auto& l : lines)
        if (!l.End.empty()) {
            eol = l.End;
            break;
        }
    for (std::size_t h = 0; h < lines.size(); ++h) {
        if (!IsHeaderOf(lines[h], section))
            continue;
        std::size_t last = h;
        for (std::size_t i = h + 1; i < lines.size() && !IsHeader(lines[i]); ++i)
            if (!IsBlank(lines[i]))
                last = i;
        if (lines[last].End.empty())
            lines[last].End = eol;
        lines.insert(lines.begin() + std::ptrdiff_t(last + 1), TLine{body, eol});
        return;
    }
    if (!lines.empty()) {
        if (lines.back().End.empty())
            lines.back().End = eol;
        // The blank line a dissociation takes away with the group.
        lines.push_back(TLine{"", eol});
    }
    lines.push_back(TLine{"[" + std::string(section) + "]", eol});
    lines.push_back(TLine{body, eol});
}

void RemoveId(std::vector<std::string>& list, std::string_view id)
{
    list.erase(std::remove(list.begin(), list.end(), id), list.end());
}

std::vector<std::string> MimeappsFiles(const TXdgDirs& dirs)
{
    std::vector<std::string> bases{dirs.ConfigHome};
    bases.insert(bases.end(), dirs.ConfigDirs.begin(), dirs.ConfigDirs.end());
    for (const auto& d : ApplicationDirs(dirs))
        bases.push_back(d);
    std::vector<std::string> out;
    for (const auto& b : bases) {
        for (const auto& desktop : dirs.CurrentDesktops)
            out.push_back(b + "/" + desktop + "-mimeapps.list");
        out.push_back(b + "/mimeapps.list");
    }
    return out;
}

} // namespace

std::string MimeappsWithDefault(std::string_view text, std::string_view type, std::string_view id)
{
    auto lines = SplitLines(text);
    std::vector<std::size_t> emptied;
    const auto first = [&](std::vector<std::string>& list) {
        RemoveId(list, id);
        list.insert(list.begin(), std::string(id));
    };
    if (!EditList(lines, SectionDefauts, type, first, emptied))
        InsertKey(lines, SectionDefauts, std::string(type) + "=" + std::string(id));
    if (!EditList(lines, SectionAjouts, type, first, emptied))
        InsertKey(lines, SectionAjouts, std::string(type) + "=" + std::string(id) + ";");
    // Asked for again, the application is no longer refused for the type.
    EditList(lines, SectionRetraits, type, [&](auto& list) { RemoveId(list, id); }, emptied);
    return JoinLines(lines);
}

std::string MimeappsWithoutApplication(std::string_view text, std::string_view type, std::string_view id)
{
    auto lines = SplitLines(text);
    std::vector<std::size_t> emptied;
    const auto drop = [&](std::vector<std::string>& list) { RemoveId(list, id); };
    EditList(lines, SectionDefauts, type, drop, emptied);
    EditList(lines, SectionAjouts, type, drop, emptied);
    DropEmptiedGroups(lines, emptied);
    return JoinLines(lines);
}

std::string MimeappsWithRefused(std::string_view text, std::string_view type, std::string_view id)
{
    auto lines = SplitLines(text);
    std::vector<std::size_t> emptied;
    const auto refuse = [&](std::vector<std::string>& list) {
        if (std::find(list.begin(), list.end(), id) == list.end())
            list.insert(list.begin(), std::string(id));
    };
    if (!EditList(lines, SectionRetraits, type, refuse, emptied))
        InsertKey(lines, SectionRetraits, std::string(type) + "=" + std::string(id) + ";");
    return JoinLines(lines);
}

bool MimeappsRefuses(std::string_view text, std::string_view type, std::string_view id)
{
    std::vector<std::string> list;
    return ListOf(SplitLines(text), SectionRetraits, type, list) && std::find(list.begin(), list.end(), id) != list.end();
}

std::vector<std::string> MimeappsApplications(std::string_view text, std::string_view type)
{
    const auto lines = SplitLines(text);
    std::vector<std::string> ids;
    for (const auto section : {SectionDefauts, SectionAjouts}) {
        std::vector<std::string> list;
        ListOf(lines, section, type, list);
        for (auto& id : list)
            if (std::find(ids.begin(), ids.end(), id) == ids.end())
                ids.push_back(std::move(id));
    }
    return ids;
}

std::pair<std::string, std::string> DefaultApplication(
    const TXdgDirs& dirs, std::string_view type,
    const std::function<bool(const std::string&, const std::string&)>& accept)
{
    for (const auto& file : MimeappsFiles(dirs)) {
        std::string text;
        std::vector<std::string> ids;
        if (!ReadWholeFile(file, text) || !ListOf(SplitLines(text), SectionDefauts, type, ids))
            continue;
        for (const auto& id : ids) {
            std::string path = InstalledEntry(dirs, id);
            if (!path.empty() && accept(id, path))
                return {id, path};
        }
    }
    return {};
}

} // namespace kep::desktop_detail
