#include "processor/U_SujetsAide.h"

#include "platform/AsciiText.h"
#include "platform/CodePage.h"
#include "platform/FileIo.h"

namespace kep {

namespace {

constexpr std::string_view Marque = "$$";

} // namespace

std::vector<std::string> LignesAide(std::string_view oemBytes)
{
    std::vector<std::string> lignes;
    TLignesTexte texte(oemBytes);
    for (std::string_view ligne; texte.Suivante(ligne);)
        lignes.push_back(OemToAnsi(ligne));
    return lignes;
}

std::vector<std::string> LitAide(const std::string& path)
{
    std::string bytes;
    if (!ReadWholeFile(path, bytes))
        return {"$$1:Erreur", "Fichier KepHlp.txt non trouv\xE9"};
    return LignesAide(bytes);
}

std::vector<TSujet> ConstruitSujets(const std::vector<std::string>& lignes)
{
    std::vector<TSujet> sujets;
    char niveau = '0';
    int courant = -1;
    for (std::size_t i = 0; i < lignes.size() && sujets.size() < MaxSujets; ++i) {
        const std::string& ligne = lignes[i];
        const std::size_t marque = ligne.find(Marque);
        if (marque == std::string::npos || marque + Marque.size() >= ligne.size())
            continue;
        const char n = ligne[marque + Marque.size()];
        if (n == '0')
            break;
        if (n < '1' || n > '9')
            continue;
        int parent;
        if (n > niveau) {
            parent = courant;
            niveau = n;
        } else {
            // One parent per level; past the top the topic is a top-level one.
            for (; niveau > n; --niveau)
                if (courant >= 0)
                    courant = sujets[std::size_t(courant)].Parent;
            parent = courant >= 0 ? sujets[std::size_t(courant)].Parent : -1;
        }
        const std::size_t deuxPoints = ligne.find(':');
        const std::size_t titre = deuxPoints == std::string::npos ? marque + Marque.size() + 1 : deuxPoints + 1;
        sujets.push_back(TSujet{ligne.substr(titre), parent, i + 1});
        courant = int(sujets.size() - 1);
    }
    return sujets;
}

std::vector<std::string> TexteSujet(const std::vector<std::string>& lignes, std::size_t debut)
{
    std::vector<std::string> texte;
    for (std::size_t i = debut; i < lignes.size() && lignes[i].find(Marque) == std::string::npos; ++i)
        texte.push_back(lignes[i]);
    return texte;
}

} // namespace kep
