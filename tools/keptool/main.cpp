// keptool: builds and lists the binary files KEP reads, for tests, examples
// and debugging. `keptool COMMAND ARGS...`; without a command, the list.
#include "tools/keptool/Commands.h"

#include <cstdio>
#include <cstring>
#include <iterator>

namespace {

using namespace kep::tool;

const TCommand Commands[] = {
    {"tab-make", "DESCRIPTION SORTIE.tab", "construit une table processeur depuis sa description texte", 2, 2, TabMake},
    {"tab-dump", "FICHIER.tab", "liste les mots clés, mnémoniques, valeurs nommées et codages d'une table", 1, 1,
     TabDump},
    {"cod-dump", "FICHIER.cod [--len32]", "liste les segments d'une image programme et leurs octets", 1, 2, CodDump},
    {"code", "FICHIER_MAKE SOURCE LIGNE", "le code généré pour une ligne du source, comme la barre d'état le montre", 3,
     3, Code},
    {"table-for", "SOURCE [DOSSIER_TABLES]", "la table processeur (et la puce) que KEP choisit pour un source", 1, 2,
     TableFor},
    {"new-project", "DOSSIER NOM PUCE gplink|gpasm|avra [--remplacer]",
     "crée un projet qui se construit tel quel : NOM.pja, NOM.mke et le source principal", 4, 5, NewProject},
    {"zip", "DOSSIER SORTIE.zip", "archive un dossier, les noms commençant par le nom du dossier", 2, 2, Zip},
};

void Usage(std::FILE* to)
{
    std::fprintf(to, "Usage : keptool COMMANDE ARGUMENTS...\n\nCommandes :\n");
    for (const TCommand& c : Commands)
        std::fprintf(to, "  %s %s\n      %s\n", c.Name, c.Usage, c.Summary);
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2 || std::strcmp(argv[1], "-h") == 0 || std::strcmp(argv[1], "--help") == 0) {
        Usage(argc < 2 ? stderr : stdout);
        return argc < 2 ? 2 : 0;
    }
    for (const TCommand& c : Commands) {
        if (std::strcmp(argv[1], c.Name) != 0)
            continue;
        TArgs args(argv + 2, argv + argc);
        if (args.size() < c.MinArgs || args.size() > c.MaxArgs) {
            std::fprintf(stderr, "Usage : keptool %s %s\n", c.Name, c.Usage);
            return 2;
        }
        return c.Run(args);
    }
    std::fprintf(stderr, "keptool : commande inconnue « %s ».\n\n", argv[1]);
    Usage(stderr);
    return 2;
}
