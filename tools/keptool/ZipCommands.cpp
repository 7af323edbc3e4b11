#include "tools/keptool/Commands.h"

#include "project/zip.h"

#include <cstdio>
#include <filesystem>

namespace kep::tool {

int Zip(const TArgs& args)
{
    // "." or "../x" would give names starting with "./" or "../": the
    // folder's own name comes from its absolute path.
    std::error_code ec;
    std::string folder = std::filesystem::absolute(args[0], ec).lexically_normal().string();
    if (ec)
        folder = args[0];
    while (folder.size() > 1 && folder.back() == '/')
        folder.pop_back();
    const TZipReport report = ZipFolder(folder, args[1], ZipStartWithFolder(folder));
    if (!report.Ok) {
        std::fprintf(stderr, "%s\n", report.Message.c_str());
        return 1;
    }
    for (const std::string& path : report.Skipped)
        std::fprintf(stderr, "keptool : « %s » laissé de côté.\n", path.c_str());
    std::printf("%s : %zu fichier%s, %llu octets.\n", args[1].c_str(), report.Entries, report.Entries > 1 ? "s" : "",
                static_cast<unsigned long long>(report.Bytes));
    return std::fflush(stdout) == 0 ? 0 : 1;
}

} // namespace kep::tool
