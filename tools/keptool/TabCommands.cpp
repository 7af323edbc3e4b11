#include "tools/keptool/Commands.h"

#include "platform/FileIo.h"
#include "processor/U_TabFile.h"
#include "tools/TabDesc.h"
#include "tools/TabDump.h"
#include "tools/TabWriter.h"

#include <cstdio>

namespace kep::tool {

int TabMake(const TArgs& args)
{
    const std::string& source = args[0];
    const std::string& target = args[1];
    std::string text;
    if (!ReadWholeFile(source, text)) {
        std::fprintf(stderr, "keptool : impossible de lire « %s ».\n", source.c_str());
        return 1;
    }
    TTabDesc desc;
    std::string error;
    if (!ParseTabDesc(text, desc, &error)) {
        std::fprintf(stderr, "%s : %s\n", source.c_str(), error.c_str());
        return 1;
    }
    std::string bytes;
    if (!BuildTab(desc, bytes, &error)) {
        std::fprintf(stderr, "%s : %s\n", source.c_str(), error.c_str());
        return 1;
    }
    if (!WriteFileAtomic(target, bytes, &error)) {
        std::fprintf(stderr, "keptool : %s\n", error.c_str());
        return 1;
    }
    return 0;
}

int TabDump(const TArgs& args)
{
    TTabFile tab;
    std::string error;
    if (!tab.Load(args[0], &error)) {
        std::fprintf(stderr, "keptool : %s\n", error.c_str());
        return 1;
    }
    std::string text = DumpTab(tab);
    std::fwrite(text.data(), 1, text.size(), stdout);
    return std::fflush(stdout) == 0 ? 0 : 1;
}

} // namespace kep::tool
