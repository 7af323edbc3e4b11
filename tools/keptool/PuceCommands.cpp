#include "tools/keptool/Commands.h"

#include "platform/FileIo.h"
#include "platform/Paths.h"
#include "processor/U_Puces.h"

#include <cstdio>

#ifndef KEP_TABLES_DIR
#define KEP_TABLES_DIR ""
#endif

namespace kep::tool {

int TableFor(const TArgs& args)
{
    const std::string& source = args[0];
    if (!FileExists(source)) {
        std::fprintf(stderr, "keptool : impossible de lire « %s ».\n", source.c_str());
        return 1;
    }
    std::string tables = args.size() > 1 ? args[1] : std::string(KEP_TABLES_DIR);
    if (!tables.empty() && tables.back() != '/')
        tables += '/';
    const TContexteTable ctx{tables, FolderOf(source), {}, {}};
    const TChoixTable choix = ChoisitTable(DebutFichier(source), ctx);
    if (choix.Table.empty()) {
        std::fprintf(stderr, "%s\n", choix.Message.empty() ? "Aucune table processeur pour ce source." : choix.Message.c_str());
        return 1;
    }
    std::printf("%s\n", choix.Table.c_str());
    if (!choix.Puce.empty())
        std::printf("%s\n", choix.Puce.c_str());
    return 0;
}

} // namespace kep::tool
