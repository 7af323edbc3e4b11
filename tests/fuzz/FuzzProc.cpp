// Processor descriptions: whatever the bytes, the reader gives instructions
// that each sit on a line of their own, groups of one bit each (at most 31
// and the whole set), and a whole-set group that every instruction is in.
#include "processor/U_Proc.h"
#include "tests/fuzz/FuzzSupport.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    kep::TProcesseur p;
    p.LoadFromBytes(bytes);

    const std::size_t lines = 1 + std::size_t(std::count(bytes.begin(), bytes.end(), '\n'))
                              + std::size_t(std::count(bytes.begin(), bytes.end(), '\r'));
    KEP_FUZZ_CHECK(std::size_t(p.Count()) <= lines);
    KEP_FUZZ_CHECK(p.Groupes().size() <= kep::TProcesseur::MaxGroupes + 1);
    KEP_FUZZ_CHECK(p.Groupes().empty() == (p.Count() == 0));
    std::uint32_t all = 0;
    for (std::size_t g = 0; g < p.Groupes().size(); ++g) {
        const kep::TGroupe& group = p.Groupes()[g];
        KEP_FUZZ_CHECK(std::popcount(group.Masque) == 1);
        KEP_FUZZ_CHECK(group.Nom.find_first_of("\r\n~!") == std::string::npos);
        KEP_FUZZ_CHECK(!group.Nom.empty());
        all |= group.Masque;
    }
    if (p.Count() == 0)
        return 0;
    const int whole = p.IndexOfGroupe(kep::TProcesseur::NomToutes);
    KEP_FUZZ_CHECK(whole >= 0);
    const std::uint32_t wholeMask = p.Groupes()[std::size_t(whole)].Masque;
    for (const kep::TInstruction& i : p.Instructions()) {
        KEP_FUZZ_CHECK(!i.Mnemo.empty() && i.Mnemo.find_first_of("\t\r\n") == std::string::npos);
        KEP_FUZZ_CHECK(i.Description.find_first_of("\r\n!") == std::string::npos);
        KEP_FUZZ_CHECK((i.Groupes & ~all) == 0);
        KEP_FUZZ_CHECK((i.Groupes & wholeMask) != 0);
    }
    return 0;
}
