#include "build/U_CarteGplink.h"
#include "build/U_ImageHex.h"
#include "build/U_LignesTexte.h"

#include <algorithm>
#include <array>
#include <tuple>

namespace kep {

namespace {

using namespace texte;

// The first words of a map line; N counts one more when there are more.
struct TMots {
    std::array<std::string_view, 5> M;
    std::size_t N = 0;
    std::size_t size() const { return N; }
    std::string_view operator[](std::size_t i) const { return M[i]; }
};

TMots Mots(std::string_view l)
{
    TMots mots;
    std::size_t i = 0;
    while (i < l.size() && mots.N <= mots.M.size()) {
        while (i < l.size() && (EstBlanc(l[i]) || l[i] == '\r'))
            ++i;
        const std::size_t debut = i;
        while (i < l.size() && !EstBlanc(l[i]) && l[i] != '\r')
            ++i;
        if (i > debut) {
            if (mots.N < mots.M.size())
                mots.M[mots.N] = l.substr(debut, i - debut);
            ++mots.N;
        }
    }
    return mots;
}

std::optional<std::uint32_t> Nombre0x(std::string_view s)
{
    if (s.size() < 3 || s.size() > 10 || s[0] != '0' || (s[1] != 'x' && s[1] != 'X'))
        return std::nullopt;
    std::uint32_t v = 0;
    for (char c : s.substr(2)) {
        if (!EstHex(c))
            return std::nullopt;
        v = v << 4 | ValHex(c);
    }
    return v;
}

} // namespace

TCarteGplink LitCarte(std::string_view texte)
{
    TCarteGplink carte;
    enum { Rien, Sections, Symboles } table = Rien;
    TLignes lignes(texte);
    std::string_view l;
    while (lignes.Suivante(l)) {
        if (l.find("Section Info") != std::string_view::npos) {
            table = Sections;
            continue;
        }
        if (l.find("Symbols - Sorted by") != std::string_view::npos) {
            table = Symboles;
            continue;
        }
        if (l.find("Memory Usage") != std::string_view::npos) {
            table = Rien;
            continue;
        }
        if (table == Rien)
            continue;
        const auto mots = Mots(l);
        if (table == Sections && mots.size() == 5) {
            const auto adresse = Nombre0x(mots[2]);
            const auto taille = Nombre0x(mots[4]);
            if (adresse && taille)
                carte.Sections.push_back(
                    {std::string(mots[0]), std::string(mots[1]), std::string(mots[3]), *adresse, *taille});
        } else if (table == Symboles && mots.size() >= 4) {
            if (const auto adresse = Nombre0x(mots[1])) {
                // The file is the rest of the line, spaces included.
                std::string_view fichier;
                if (mots.size() > 4)
                    fichier = Rogne(l.substr(std::size_t(mots[4].data() - l.data())));
                carte.Symboles.push_back({std::string(mots[0]), *adresse, std::string(fichier)});
            }
        }
    }
    // Both symbol tables list the same symbols: sorted by name, once each.
    auto cle = [](const TSymboleCarte& s) { return std::tie(s.Nom, s.Adresse, s.Fichier); };
    std::sort(carte.Symboles.begin(), carte.Symboles.end(),
              [&](const TSymboleCarte& a, const TSymboleCarte& b) { return cle(a) < cle(b); });
    carte.Symboles.erase(std::unique(carte.Symboles.begin(), carte.Symboles.end(),
                                     [&](const TSymboleCarte& a, const TSymboleCarte& b) { return cle(a) == cle(b); }),
                         carte.Symboles.end());
    return carte;
}

// --- Intel HEX ---

TImageHex LitHex(std::string_view texte)
{
    // The viewer's reader: bad lines come back as messages, which the code
    // look-up has no use for.
    TImageHex image;
    for (const TBlocHex& bloc : LitImageHex(texte).Blocs)
        for (std::size_t i = 0; i < bloc.Octets.size(); ++i)
            if (bloc.Adresse + i <= UINT32_MAX)
                image.Octets.emplace_back(std::uint32_t(bloc.Adresse + i), std::uint8_t(bloc.Octets[i]));
    // A later record wins over an earlier one at the same address.
    std::stable_sort(image.Octets.begin(), image.Octets.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    std::vector<std::pair<std::uint32_t, std::uint8_t>> uniques;
    uniques.reserve(image.Octets.size());
    for (const auto& o : image.Octets) {
        if (!uniques.empty() && uniques.back().first == o.first)
            uniques.back() = o;
        else
            uniques.push_back(o);
    }
    image.Octets = std::move(uniques);
    return image;
}

std::optional<std::uint8_t> TImageHex::Octet(std::uint64_t adresse) const
{
    if (adresse > UINT32_MAX)
        return std::nullopt;
    const auto it = std::lower_bound(Octets.begin(), Octets.end(), std::uint32_t(adresse),
                                     [](const auto& o, std::uint32_t a) { return o.first < a; });
    if (it == Octets.end() || it->first != adresse)
        return std::nullopt;
    return it->second;
}

std::optional<std::uint16_t> TImageHex::Mot(std::uint64_t adresse) const
{
    const auto bas = Octet(adresse);
    const auto haut = Octet(adresse + 1);
    if (!bas || !haut)
        return std::nullopt;
    return std::uint16_t(*haut << 8 | *bas);
}

// --- The text ---

} // namespace kep
