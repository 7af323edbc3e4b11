// Loading and saving a source: every byte comes back, only the line ends
// become CR LF, for ANSI and OEM files alike.
#include "editor/TextBuffer.h"
#include "platform/CodePage.h"
#include "platform/FileIo.h"
#include "tests/fuzz/FuzzSupport.h"

#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
        return 0;
    // The first byte chooses the code page.
    const bool oem = data[0] & 1;
    const std::string text(reinterpret_cast<const char*>(data) + 1, size - 1);
    const std::string in = kep::fuzz::ScratchFile("in.asm"), out = kep::fuzz::ScratchFile("out.asm");
    KEP_FUZZ_CHECK(kep::WriteFileAtomic(in, text));

    TTextBuffer b;
    b.OemFile = oem;
    b.CleanEol = false;
    KEP_FUZZ_CHECK(b.LoadFromFile(in));
    KEP_FUZZ_CHECK(!b.Modified());
    std::string error;
    KEP_FUZZ_CHECK(b.SaveToFile(out, &error));
    std::string saved;
    KEP_FUZZ_CHECK(kep::ReadWholeFile(out, saved));
    KEP_FUZZ_CHECK(saved == kep::fuzz::NormaliseLineEnds(text));
    // What the buffer holds is the file in the Windows page.
    KEP_FUZZ_CHECK(b.GetAllText() == (oem ? kep::OemToAnsi(saved) : saved));
    return 0;
}
