// The INI class: any file reads without fault, and a write changes the key
// written and nothing else a fresh reader sees.
#include "editor/U_SyntaxeStyles.h"
#include "platform/FileIo.h"
#include "platform/IniFile.h"
#include "tests/fuzz/FuzzSupport.h"

#include <algorithm>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace {

// Names compare ignoring ASCII case, as the INI class compares them.
bool SameAscii(std::string_view a, std::string_view b)
{
    auto up = [](char c) { return c >= 'a' && c <= 'z' ? char(c - 32) : c; };
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [&](char x, char y) { return up(x) == up(y); });
}

// Every (section, key, value) a reader gives.
std::vector<std::pair<std::pair<std::string, std::string>, std::string>> Everything(const kep::TIniFile& ini)
{
    std::vector<std::pair<std::pair<std::string, std::string>, std::string>> all;
    for (const std::string& s : ini.ReadSections()) {
        for (const std::string& k : ini.ReadSection(s)) {
            all.push_back({{s, k}, ini.ReadString(s, k, "\x01")});
            KEP_FUZZ_CHECK(ini.ValueExists(s, k));
        }
        ini.ReadSectionValues(s);
    }
    return all;
}

std::string Name(std::string_view raw)
{
    // Written names stay plain: the store never writes others.
    std::string n;
    for (char c : raw)
        if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9'))
            n += c;
    return n.empty() ? std::string("K") : n;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    // The last two lines of the input name the section and key written; the
    // rest is the file. The value is the file's first line.
    const std::string path = kep::fuzz::ScratchFile("fuzz.ini");
    KEP_FUZZ_CHECK(kep::WriteFileAtomic(path, std::string(input)));

    const std::size_t nl = input.find('\n');
    std::string value(input.substr(0, nl == std::string_view::npos ? std::min<std::size_t>(size, 64) : nl));
    const std::size_t cut = input.size() / 2;
    const std::string section = Name(input.substr(cut, 6));
    const std::string key = Name(input.substr(cut + std::min<std::size_t>(6, input.size() - cut), 6));

    std::vector<std::pair<std::pair<std::string, std::string>, std::string>> before;
    {
        kep::TIniFile ini(path);
        before = Everything(ini);
        ini.ReadInteger(section, key, 7);
        ini.ReadBool(section, key, true);
        KEP_FUZZ_CHECK(ini.WriteString(section, key, value));
        KEP_FUZZ_CHECK(ini.ReadString(section, key, "\x01") == ini.ReadString(section, key, "\x02"));
    }
    // Line breaks inside a value are written as spaces.
    for (char& c : value)
        if (c == '\r' || c == '\n')
            c = ' ';
    kep::TIniFile again(path);
    KEP_FUZZ_CHECK(again.ReadString(section, key, "\x01") == value);
    for (const auto& [sk, v] : before) {
        if (SameAscii(sk.first, section) && SameAscii(sk.second, key))
            continue;
        KEP_FUZZ_CHECK(again.ReadString(sk.first, sk.second, "\x01") == v);
    }

    // Comma lists read back as written.
    const std::vector<std::string> items = kep::TIniFileStyles::SplitCommaList(input.substr(0, std::min<std::size_t>(size, 256)));
    KEP_FUZZ_CHECK(kep::TIniFileStyles::SplitCommaList(kep::TIniFileStyles::JoinCommaList(items)) == items);
    return 0;
}
