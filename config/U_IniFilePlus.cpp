#include "config/U_IniFilePlus.h"

#include <algorithm>
#include <charconv>
#include <cstdio>

namespace kep {

namespace {

std::string_view Trimmed(std::string_view s)
{
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t'))
        s.remove_suffix(1);
    return s;
}

bool ParseInt(std::string_view text, int& out)
{
    text = Trimmed(text);
    if (!text.empty() && text.front() == '+')
        text.remove_prefix(1);
    if (text.empty())
        return false;
    int v = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v, 10);
    if (ec != std::errc() || end != text.data() + text.size())
        return false;
    out = v;
    return true;
}

// Quoted for the message, shortened so a huge value stays readable.
std::string Shown(std::string_view text)
{
    constexpr std::size_t Max = 40;
    std::string s(text.substr(0, Max));
    if (text.size() > Max)
        s += "...";
    return "'" + s + "'";
}

std::uint16_t Column(int v)
{
    return static_cast<std::uint16_t>(v < 0 ? 0 : v > 0xFFFF ? 0xFFFF : v);
}

std::vector<int> ParseList(std::string_view text, std::size_t count)
{
    const auto items = TIniFileStyles::SplitCommaList(text);
    std::vector<int> values(count, 0);
    if (items.empty())
        throw EConvertError(Shown(text) + " n'est pas une valeur enti\xE8re correcte");
    values[0] = StrToInt(items[0]);
    for (std::size_t i = 1; i < count && i < items.size(); ++i)
        values[i] = StrToIntDef0(items[i]);
    return values;
}

} // namespace

int StrToInt(std::string_view text)
{
    int v = 0;
    if (!ParseInt(text, v))
        throw EConvertError(Shown(text) + " n'est pas une valeur enti\xE8re correcte");
    return v;
}

int StrToIntDef0(std::string_view text)
{
    int v = 0;
    return ParseInt(text, v) ? v : 0;
}

std::string TIniFilePlus::ReadEdit(std::string_view section, std::string_view key, const std::string& current) const
{
    std::string v = ReadString(section, key, "");
    return v.empty() ? current : v;
}

void TIniFilePlus::ReadFileType(std::string_view section, TInfosFich& info) const
{
    const TInfosFich def;
    info.Ext = ReadString(section, "Ext", def.Ext);
    info.Police = ReadString(section, "Font", def.Police);
    // Sizes and counts outside what the editor can use fall back: a wild
    // backup count would otherwise make every save write thousands of copies.
    info.Taille = ReadInteger(section, "Size", def.Taille);
    if (info.Taille < 1 || info.Taille > MaxFontSize)
        info.Taille = def.Taille;
    info.Styles = DefaultStyles();
    ReadStyles(section, info.Styles);
    info.Backup = ReadInteger(section, "Backup", def.Backup);
    if (info.Backup < 0 || info.Backup > MaxBackups)
        info.Backup = info.Backup < 0 ? 0 : MaxBackups;

    std::string errors;
    try {
        ReadTabs(section, info.Tabs);
    } catch (const EConvertError& e) {
        errors = std::string("Tabs : ") + e.what();
    }

    info.Opts = def.Opts;
    const std::string opts(Trimmed(ReadString(section, "Opts", "")));
    if (!opts.empty()) {
        unsigned v = 0;
        const auto [end, ec] = std::from_chars(opts.data(), opts.data() + opts.size(), v, 16);
        if (ec != std::errc() || end != opts.data() + opts.size() || v > 0xFF) {
            if (!errors.empty())
                errors += "\n";
            errors += "Opts : " + Shown(opts) + " n'est pas une valeur hexad\xE9" "cimale correcte";
        } else {
            info.Opts = static_cast<std::uint8_t>(v);
        }
    }
    if (!errors.empty())
        throw EConvertError(errors);
}

bool TIniFilePlus::WriteFileType(std::string_view section, const TInfosFich& info)
{
    char opts[8];
    std::snprintf(opts, sizeof opts, "%02X", unsigned(info.Opts));
    BeginUpdate();
    WriteString(section, "Ext", info.Ext);
    WriteString(section, "Font", info.Police);
    WriteInteger(section, "Size", info.Taille);
    WriteStyles(section, info.Styles);
    WriteString(section, "Tabs", TabsText(info.Tabs));
    WriteString(section, "Opts", opts);
    WriteInteger(section, "Backup", info.Backup);
    return EndUpdate();
}

std::string TIniFilePlus::TabsText(const TTabStops& tabs)
{
    std::string s;
    for (std::size_t i = 0; i < tabs.size(); ++i) {
        if (i)
            s += ',';
        s += std::to_string(tabs[i]);
    }
    return s;
}

TTabStops TIniFilePlus::ParseTabs(std::string_view text)
{
    if (Trimmed(text).empty())
        return TabsAsmUsine;
    const auto v = ParseList(text, 6);
    TTabStops tabs{};
    for (std::size_t i = 0; i < tabs.size(); ++i)
        tabs[i] = Column(v[i]);
    return tabs;
}

void TIniFilePlus::ReadTabs(std::string_view section, TTabStops& tabs) const
{
    try {
        tabs = ParseTabs(ReadString(section, "Tabs", ""));
    } catch (const EConvertError&) {
        tabs = TabsAsmUsine;
        throw;
    }
}

bool TIniFilePlus::ReadBounds(std::string_view section, TBounds& bounds) const
{
    const std::string text = ReadString(section, "Bounds", "");
    if (Trimmed(text).empty())
        return false;
    const auto v = ParseList(text, 4);
    bounds = TBounds{v[0], v[1], v[2], v[3]};
    return true;
}

bool TIniFilePlus::WriteBounds(std::string_view section, const TBounds& b)
{
    char text[64];
    std::snprintf(text, sizeof text, "%d,%d,%d,%d", b.Left, b.Top, b.Width, b.Height);
    return WriteString(section, "Bounds", text);
}

TBounds TIniFilePlus::ReadLegacyBounds(std::string_view section, const TBounds& def) const
{
    return TBounds{ReadInteger(section, "Left", def.Left), ReadInteger(section, "Top", def.Top),
                   ReadInteger(section, "Width", def.Width), ReadInteger(section, "Height", def.Height)};
}

bool TIniFilePlus::HasLegacyBounds(std::string_view section) const
{
    return ValueExists(section, "Left") || ValueExists(section, "Top") || ValueExists(section, "Width")
        || ValueExists(section, "Height");
}

bool TIniFilePlus::DeleteLegacyBounds(std::string_view section)
{
    BeginUpdate();
    DeleteKey(section, "Left");
    DeleteKey(section, "Top");
    DeleteKey(section, "Width");
    DeleteKey(section, "Height");
    return EndUpdate();
}

} // namespace kep

namespace kep {

std::vector<std::string> TIniFilePlus::ReadHistory(std::string_view section, std::string_view prefix) const
{
    std::vector<std::string> list;
    for (std::size_t i = 0; i < HistoryItems; ++i) {
        std::string v = ReadString(section, std::string(prefix) + std::to_string(i), "");
        if (!v.empty())
            list.push_back(std::move(v));
    }
    return list;
}

bool TIniFilePlus::WriteHistory(std::string_view section, std::string_view prefix, const std::vector<std::string>& list)
{
    BeginUpdate();
    const std::size_t n = std::min(list.size(), HistoryItems);
    for (std::size_t i = 0; i <= HistoryItems; ++i) {
        const std::string key = std::string(prefix) + std::to_string(i);
        if (i < n && !list[i].empty())
            WriteString(section, key, list[i]);
        else
            DeleteKey(section, key);
    }
    return EndUpdate();
}

} // namespace kep
