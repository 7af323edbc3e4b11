#include "tools/keptool/Commands.h"

#include "processor/U_Puces.h"
#include "project/U_NouveauProjet.h"

#include <cstdio>
#include <filesystem>

namespace kep::tool {

int NewProject(const TArgs& args)
{
    const bool remplacer = args.size() > 4 && args[4] == "--remplacer";
    if (args.size() > 4 && !remplacer) {
        std::fprintf(stderr, "keptool : option inconnue « %s ».\n", args[4].c_str());
        return 2;
    }
    const std::optional<TChaine> chaine = ChaineDeNom(args[3]);
    if (!chaine) {
        std::fprintf(stderr, "keptool : chaîne « %s » inconnue : gplink, gpasm ou avra.\n", args[3].c_str());
        return 2;
    }
    std::error_code ec;
    const std::string dossier = std::filesystem::absolute(args[0], ec).lexically_normal().string();
    const TPlanProjet plan = PrepareNouveauProjet({dossier, args[1], args[2], *chaine}, TCataloguePuces::Systeme());
    std::string erreur;
    if (!EcritNouveauProjet(plan, remplacer, &erreur)) {
        std::fprintf(stderr, "keptool : %s\n", erreur.c_str());
        if (!remplacer && !FichiersExistants(plan).empty())
            std::fprintf(stderr, "(--remplacer pour les écrire quand même)\n");
        return 1;
    }
    for (const TFichierNouveau& f : plan.Fichiers)
        std::printf("%s\n", f.Chemin.c_str());
    return 0;
}

} // namespace kep::tool
