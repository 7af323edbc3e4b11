// The QDX topic file: whatever the bytes, the topics form a tree in file
// order (parents first, at most nine levels deep), each opened by a line
// holding "$$", and every topic's text stays within the lines.
#include "processor/U_SujetsAide.h"
#include "tests/fuzz/FuzzSupport.h"

#include <algorithm>
#include <cstdint>
#include <string_view>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const std::vector<std::string> lines = kep::LignesAide(bytes);
    std::size_t chars = 0;
    for (const std::string& l : lines) {
        KEP_FUZZ_CHECK(l.find_first_of("\r\n") == std::string::npos);
        chars += l.size();
    }
    KEP_FUZZ_CHECK(chars <= size);

    const std::vector<kep::TSujet> topics = kep::ConstruitSujets(lines);
    KEP_FUZZ_CHECK(topics.size() <= std::min(lines.size(), kep::MaxSujets));
    std::vector<int> depth;
    for (std::size_t n = 0; n < topics.size(); ++n) {
        const kep::TSujet& t = topics[n];
        KEP_FUZZ_CHECK(t.Parent >= -1 && t.Parent < int(n));
        depth.push_back(t.Parent < 0 ? 1 : depth[std::size_t(t.Parent)] + 1);
        KEP_FUZZ_CHECK(depth.back() <= 9);
        KEP_FUZZ_CHECK(t.Ligne >= 1 && t.Ligne <= lines.size());
        KEP_FUZZ_CHECK(lines[t.Ligne - 1].find("$$") != std::string::npos);
        KEP_FUZZ_CHECK(n == 0 || t.Ligne > topics[n - 1].Ligne);
    }
    // The first topics and the last: the texts' ends are all met there.
    for (std::size_t n = 0; n < topics.size(); n = n < 32 ? n + 1 : (n < topics.size() - 1 ? topics.size() - 1 : topics.size())) {
        const std::vector<std::string> text = kep::TexteSujet(lines, topics[n].Ligne);
        KEP_FUZZ_CHECK(topics[n].Ligne + text.size() <= lines.size());
        for (const std::string& l : text)
            KEP_FUZZ_CHECK(l.find("$$") == std::string::npos);
    }
    return 0;
}
