// gpasm's listing as the code look-up's fallback. The input is a listing, a
// map and an Intel HEX text separated by NUL bytes. Whatever the bytes: every
// text has the look-up's shape with no more values than the listing holds,
// the readers' results are ordered and in range, and the look-up through the
// project's files agrees with the readers called directly.
#include "build/U_ListingGpasm.h"
#include "tests/fuzz/FuzzSupport.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace {

bool IsHexDigit(char c)
{
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F');
}

// 'NAME' $XXXXXXXX (n mot[s]|octet[s]) : v v v
void CheckText(const std::string& t, std::size_t listingSize)
{
    if (t == kep::PasDeCodeTrouve)
        return;
    KEP_FUZZ_CHECK(!t.empty() && t[0] == '\'');
    // Section names are single words: the first "' $" ends the name.
    const std::size_t dollar = t.find("' $");
    KEP_FUZZ_CHECK(dollar != std::string::npos);
    std::size_t p = dollar + 3;
    KEP_FUZZ_CHECK(p + 8 <= t.size());
    for (std::size_t i = 0; i < 8; ++i)
        KEP_FUZZ_CHECK(IsHexDigit(t[p + i]));
    p += 8;
    KEP_FUZZ_CHECK(t.compare(p, 2, " (") == 0);
    p += 2;
    std::size_t n = 0;
    while (p < t.size() && t[p] >= '0' && t[p] <= '9')
        n = n * 10 + std::size_t(t[p++] - '0');
    KEP_FUZZ_CHECK(n >= 1);
    const std::string_view rest(t.data() + p, t.size() - p);
    const bool octets = rest.substr(0, 6) == " octet";
    const std::string_view unit = octets ? " octet" : " mot";
    KEP_FUZZ_CHECK(rest.substr(0, unit.size()) == unit);
    std::size_t q = p + unit.size();
    if (n > 1)
        KEP_FUZZ_CHECK(t[q++] == 's');
    KEP_FUZZ_CHECK(t.compare(q, 3, ") :") == 0);
    q += 3;
    const std::size_t width = octets ? 2 : 4;
    KEP_FUZZ_CHECK(t.size() - q == n * (width + 1));
    for (std::size_t v = 0; v < n; ++v, q += width + 1) {
        KEP_FUZZ_CHECK(t[q] == ' ');
        for (std::size_t i = 1; i <= width; ++i)
            KEP_FUZZ_CHECK(IsHexDigit(t[q + i]) || t[q + i] == '?');
    }
    // Each value is listed with its digits and a separator.
    KEP_FUZZ_CHECK(n * 3 <= listingSize);
}

std::string_view Morceau(std::string_view input, std::size_t& pos)
{
    std::size_t end = input.find('\0', pos);
    if (end == std::string_view::npos)
        end = input.size();
    const std::string_view morceau = pos <= input.size() ? input.substr(pos, end - pos) : std::string_view();
    pos = end + 1;
    return morceau;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    std::size_t pos = 0;
    const std::string_view lst = Morceau(input, pos);
    const std::string_view map = Morceau(input, pos);
    const std::string_view hex = Morceau(input, pos);

    // The listing is asked for as x.asm's and as y.inc's (an include of the
    // listed file, or the listed file itself); the map's text stands for y.inc.
    const kep::TFichiersScan fs = kep::FichiersMemoire(
        "/p", {{"/p/x.lst", std::string(lst)}, {"/p/y.lst", std::string(lst)}, {"/p/m.map", std::string(map)},
               {"/p/m.hex", std::string(hex)}, {"/p/y.inc", std::string(map)}});
    const kep::TLignesInclude lignesDe = [&fs](std::string_view nom) -> std::optional<std::int32_t> {
        std::string chemin(nom);
        for (char& c : chemin)
            if (c == '\\')
                c = '/';
        std::string texte;
        if (!fs.Lit(fs.Chemin(chemin), texte))
            return std::nullopt;
        std::int32_t n = 0;
        for (char c : texte)
            n += c == '\n';
        return n + (!texte.empty() && texte.back() != '\n');
    };

    const kep::TCarteGplink carte = kep::LitCarte(map);
    KEP_FUZZ_CHECK(carte.Sections.size() + carte.Symboles.size() <= map.size() / 4 + 1);
    for (std::size_t i = 1; i < carte.Symboles.size(); ++i)
        KEP_FUZZ_CHECK(carte.Symboles[i - 1].Nom <= carte.Symboles[i].Nom);

    const kep::TImageHex image = kep::LitHex(hex);
    KEP_FUZZ_CHECK(image.Octets.size() <= hex.size() / 2);
    for (std::size_t i = 1; i < image.Octets.size(); ++i)
        KEP_FUZZ_CHECK(image.Octets[i - 1].first < image.Octets[i].first);

    // One file per input, so that each run reads the listing twice only.
    const char* const fichier = size % 2 ? "y.inc" : "x.asm";
    const std::string_view souche(fichier, 1);
    const kep::TListingGpasm l = kep::LitListing(lst, fichier, lignesDe);
    KEP_FUZZ_CHECK(l.Gpasm == (lst.substr(0, 5) == "gpasm"));
    KEP_FUZZ_CHECK(l.Gpasm || !l.Trouve);
    KEP_FUZZ_CHECK(l.Lignes.size() <= lst.size() / 8 + 1);
    for (const auto& [n, r] : l.Lignes) {
        KEP_FUZZ_CHECK(n >= 0 && n <= 999999999);
        KEP_FUZZ_CHECK(!r.Valeurs.empty());
        KEP_FUZZ_CHECK(r.Section >= -1 && r.Section < std::int32_t(l.Sections.size()));
        for (const std::string& v : r.Valeurs)
            KEP_FUZZ_CHECK(v.size() == (r.Octets ? 2u : 4u));
        CheckText(kep::CodeDeLigne(l, n, souche, &carte, &image), lst.size());
    }

    // Through the files: the same answer as the readers give.
    const std::int32_t ligne = l.Lignes.empty() ? 3 : (size & 2 ? l.Lignes.rbegin()->first : l.Lignes.begin()->first);
    const auto vu = kep::CodeParListing(fs, "m.mke", fichier, ligne - 1);
    if (!l.Trouve) {
        KEP_FUZZ_CHECK(!vu);
    } else {
        KEP_FUZZ_CHECK(vu.has_value());
        KEP_FUZZ_CHECK(*vu == kep::CodeDeLigne(l, ligne, souche, &carte, &image));
    }
    return 0;
}
