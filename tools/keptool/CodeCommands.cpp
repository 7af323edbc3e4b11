#include "tools/keptool/Commands.h"

#include "build/U_FichiersScan.h"
#include "build/U_ScanObj.h"
#include "platform/Paths.h"

#include <charconv>
#include <cstdio>
#include <filesystem>

namespace kep::tool {

// The text "Montre code généré" shows for a line: the make file's folder
// plays the project folder, where the map, modules and image are looked for.
int Code(const TArgs& args)
{
    const std::string& make = args[0];
    const std::string& source = args[1];
    const std::string& lineText = args[2];
    int line = 0;
    const auto [end, ec] = std::from_chars(lineText.data(), lineText.data() + lineText.size(), line);
    if (ec != std::errc() || end != lineText.data() + lineText.size() || line < 1) {
        std::fprintf(stderr, "keptool : numéro de ligne « %s » invalide (à partir de 1).\n", lineText.c_str());
        return 2;
    }
    std::error_code err;
    const std::string folder = std::filesystem::absolute(make, err).parent_path().string();
    const std::string text = TrouveCode(FichiersDisque(folder), FileNameOf(make), FileNameOf(source), line - 1);
    std::printf("%s\n", text.c_str());
    return std::fflush(stdout) == 0 ? 0 : 1;
}

} // namespace kep::tool
