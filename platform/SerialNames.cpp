#include "platform/SerialNames.h"

#include "platform/IniFile.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <set>
#include <string_view>
#include <tuple>

namespace kep {

namespace {

// The families in the order they are offered: adapters first, since a board
// is far more often on a USB cable than on a motherboard port.
constexpr std::string_view Families[] = {"ttyUSB", "ttyACM", "ttyS"};

bool AllDigits(std::string_view s)
{
    return !s.empty() && s.size() <= 9
        && std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
}

} // namespace

// A motherboard port's node exists whether or not a UART is behind it; the
// kernel says "0" (unknown) for the type of one that has none.
static bool PortSansMateriel(const std::string& sysDir, const std::string& name)
{
    std::ifstream type(sysDir + "/" + name + "/type");
    std::string value;
    return type && std::getline(type, value) && value == "0";
}

std::vector<std::string> DetectSerialDevices(const std::string& devDir, const std::string& sysDir)
{
    struct TFound {
        int Family;
        long Number;
        std::string Name;
    };
    std::vector<TFound> found;
    std::error_code ec;
    for (std::filesystem::directory_iterator it(devDir, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        for (int f = 0; f < int(std::size(Families)); ++f) {
            const std::string_view prefix = Families[f];
            if (name.size() > prefix.size() && name.compare(0, prefix.size(), prefix) == 0) {
                const std::string_view digits = std::string_view(name).substr(prefix.size());
                if (AllDigits(digits) && !(f == 2 && PortSansMateriel(sysDir, name)))
                    found.push_back({f, std::stol(std::string(digits)), name});
                break;
            }
        }
    }
    std::sort(found.begin(), found.end(), [](const TFound& a, const TFound& b) {
        return std::tie(a.Family, a.Number, a.Name) < std::tie(b.Family, b.Number, b.Name);
    });
    std::string dir = devDir;
    if (!dir.empty() && dir.back() != '/')
        dir += '/';
    std::vector<std::string> paths;
    paths.reserve(found.size());
    for (const TFound& f : found)
        paths.push_back(dir + f.Name);
    return paths;
}

std::array<std::string, 8> MapComPorts(const std::map<int, std::string>& mapped,
                                       const std::vector<std::string>& detected)
{
    std::array<std::string, 8> ports;
    std::set<std::string> used;
    for (const auto& [port, path] : mapped)
        if (port >= 1 && port <= 8 && !path.empty()) {
            ports[std::size_t(port - 1)] = path;
            used.insert(path);
        }
    auto next = detected.begin();
    for (std::string& port : ports) {
        if (!port.empty())
            continue;
        while (next != detected.end() && used.count(*next))
            ++next;
        if (next == detected.end())
            break;
        port = *next++;
    }
    return ports;
}

std::map<int, std::string> ReadPortsSection(const std::string& optionFile)
{
    std::map<int, std::string> mapped;
    const TIniFile ini(optionFile);
    for (const std::string& key : ini.ReadSection("Ports")) {
        if (key.size() != 4 || (key[0] | 0x20) != 'c' || (key[1] | 0x20) != 'o' || (key[2] | 0x20) != 'm'
            || key[3] < '1' || key[3] > '8')
            continue;
        std::string value = ini.ReadString("Ports", key, "");
        if (!value.empty())
            mapped.emplace(key[3] - '0', std::move(value));
    }
    return mapped;
}

std::string ComDevice(int port, const std::string& optionFile)
{
    if (port < 1 || port > 8)
        return {};
    return MapComPorts(ReadPortsSection(optionFile), DetectSerialDevices())[std::size_t(port - 1)];
}

} // namespace kep
