// Processor tables: any bytes are refused or indexed, and describing any
// mnemonic stays inside the file and within the line and size caps.
#include "processor/U_TabFile.h"
#include "tests/fuzz/FuzzSupport.h"

#include <cstdint>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    kep::TTabFile tab;
    std::string error;
    if (!tab.LoadFromBytes(std::string(reinterpret_cast<const char*>(data), size), &error)) {
        KEP_FUZZ_CHECK(!error.empty());
        KEP_FUZZ_CHECK(!tab.IsLoaded() && tab.Mnemonics().empty() && tab.Keywords().empty());
        return 0;
    }
    std::vector<std::string> lines, types;
    const std::size_t n = tab.Mnemonics().size();
    // The first mnemonics and the last: enough to reach every area while
    // keeping one run short.
    for (std::size_t k = 0; k < n; k = k < 24 ? k + 1 : (k < n - 1 ? n - 1 : n)) {
        const std::string& m = tab.Mnemonics()[k];
        KEP_FUZZ_CHECK(tab.IndexOfMnemonic(m) >= 0);
        tab.Describe(m, lines, types);
        std::size_t chars = 0;
        for (const std::string& l : lines)
            chars += l.size();
        KEP_FUZZ_CHECK(lines.size() <= 10001);
        KEP_FUZZ_CHECK(chars <= 5u * 1024 * 1024);
        KEP_FUZZ_CHECK(types.size() <= std::size_t(kep::TTabFile::ArgTypeCount) + 1);
    }
    tab.Describe("\x01no such mnemonic", lines, types);
    KEP_FUZZ_CHECK(tab.IsH8Style() || lines.empty());
    return 0;
}
