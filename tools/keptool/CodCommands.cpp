#include "tools/keptool/Commands.h"

#include "build/U_ImageCod.h"
#include "platform/FileIo.h"

#include <cstdio>

namespace kep::tool {

int CodDump(const TArgs& args)
{
    const std::string* file = nullptr;
    bool len32 = false;
    for (const std::string& a : args) {
        if (a == "--len32") {
            len32 = true;
        } else if (a.size() > 1 && a[0] == '-') {
            file = nullptr;
            break;
        } else if (!file) {
            file = &a;
        } else {
            file = nullptr;
            break;
        }
    }
    if (!file) {
        std::fprintf(stderr, "Usage : keptool cod-dump FICHIER.cod [--len32]\n");
        return 2;
    }
    std::string bytes;
    if (!FileExists(*file) || !ReadWholeFile(*file, bytes)) {
        std::fprintf(stderr, "keptool : Fichier %s absent\n", file->c_str());
        return 1;
    }
    const std::string text = ArbreCodTexte(ArbreCod(bytes, len32));
    std::fwrite(text.data(), 1, text.size(), stdout);
    return std::fflush(stdout) == 0 ? 0 : 1;
}

} // namespace kep::tool
