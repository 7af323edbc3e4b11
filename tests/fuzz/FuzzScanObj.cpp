// The code look-up over any map file, object modules and program image:
// the input holds a byte choosing the line, then the four files the
// look-up may open, split by a marker.
// Whatever they hold, the look-up ends, stays inside the files and answers
// one of its texts.
#include "build/U_ScanObj.h"
#include "tests/fuzz/FuzzSupport.h"

#include <cstdint>
#include <map>
#include <string>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
        return 0;
    // The first byte picks the line and the unit size; the rest holds the files.
    const int line = 1 + data[0] % 32;
    const int unit = 1 << (data[0] >> 6);
    const std::string_view in(reinterpret_cast<const char*>(data) + 1, size - 1);
    constexpr std::string_view kMarque = "#KEP#";
    const char* names[] = {"/p/demo.map", "/p/DEMO.OBJ", "/p/demo.cod", "/p/lignes.dat"};
    std::map<std::string, std::string> files;
    std::size_t at = 0;
    for (const char* name : names) {
        if (at > in.size())
            break;
        const std::size_t end = std::min(in.find(kMarque, at), in.size());
        files[name] = std::string(in.substr(at, end - at));
        at = end + kMarque.size();
    }
    const kep::TFichiersScan fs = kep::FichiersMemoire("/p", files);
    const std::string r = kep::TrouveCode(fs, "demo.mke", "demo.asm", line - 1);
    KEP_FUZZ_CHECK(!r.empty());
    KEP_FUZZ_CHECK(r.size() < 64 + 3 * 70000 + size);
    const std::string& image = files["/p/demo.cod"];
    const std::string v = kep::ValeursImage(image, 0x10, 1u << 20, unit);
    KEP_FUZZ_CHECK(v.size() <= 1 + (2 * std::size_t(unit) + 1) * (image.size() / std::size_t(unit) + 1));
    return 0;
}
