#include "print/U_Impression.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace kep {

namespace {

// MulDiv: the product over the divisor, rounded half away from zero.
int MulDiv(int a, int b, int c)
{
    if (c == 0)
        return -1;
    const std::int64_t p = std::int64_t(a) * b;
    const std::int64_t q = (p >= 0) == (c > 0) ? (std::llabs(p) + std::llabs(c) / 2) / std::llabs(c)
                                               : -((std::llabs(p) + std::llabs(c) / 2) / std::llabs(c));
    return int(q);
}

} // namespace

int DixiemesMm(int pixels, int dpi)
{
    return MulDiv(pixels, 254, dpi);
}

int MmEnPixels(double mm, int dpi)
{
    return int(std::lround(mm * 10.0 * dpi / 254.0));
}

TMargesMm MargesMinimales(const TMetriquesImpr& m)
{
    TMargesMm r;
    if (!m.Valide())
        return r;
    r.Gauche = DixiemesMm(m.OffsetX, m.LogPixelsX) / 10.0;
    r.Haute = DixiemesMm(m.OffsetY, m.LogPixelsY) / 10.0;
    r.Droite = DixiemesMm(m.PhysWidth - m.HorzRes - m.OffsetX, m.LogPixelsX) / 10.0;
    r.Basse = DixiemesMm(m.PhysHeight - m.VertRes - m.OffsetY, m.LogPixelsY) / 10.0;
    return r;
}

bool ContraintMarges(TMargesMm& marges, const TMargesMm& minimum)
{
    bool change = false;
    auto one = [&change](double& v, double min) {
        if (v < min) {
            v = min;
            change = true;
        }
    };
    one(marges.Gauche, minimum.Gauche);
    one(marges.Droite, minimum.Droite);
    one(marges.Haute, minimum.Haute);
    one(marges.Basse, minimum.Basse);
    return change;
}

std::string TextePapier(const TMetriquesImpr& m)
{
    if (!m.Valide())
        return {};
    char buf[64];
    std::snprintf(buf, sizeof buf, "%2.1f x %2.1f cm\u00B2", DixiemesMm(m.PhysWidth, m.LogPixelsX) / 100.0,
                  DixiemesMm(m.PhysHeight, m.LogPixelsY) / 100.0);
    return buf;
}

std::string LibelleEtat(std::uint32_t status)
{
    switch (status) {
    case 0x1: return "Pause";
    case 0x2: return "Erreur";
    case 0x4: return "Annulation d'impression";
    case 0x8: return "Bourrage";
    case 0x10: return "Plus de papier";
    case 0x20: return "Avance le papier";
    case 0x40: return "Problème de papier";
    case 0x80: return "Hors ligne";
    case 0x100: return "Reçoit des données";
    case 0x200: return "Occupée";
    case 0x400: return "Imprime";
    case 0x800: return "Buffer plein";
    case 0x1000: return "Indisponible";
    case 0x2000: return "En attente";
    case 0x4000: return "Traitement";
    case 0x8000: return "Initialisation";
    case 0x10000: return "Préchauffage";
    case 0x20000: return "Presque plus d'encre";
    case 0x40000: return "Plus d'encre";
    case 0x80000: return "Page Punt (?\?\?)";
    case 0x100000: return "Intervention utilisateur";
    case 0x200000: return "Plus de mémoire";
    case 0x400000: return "Capot ouvert";
    default: return "Prête";
    }
}

int LargeurNumLignes(std::int64_t n)
{
    if (n <= 0)
        return 1;
    return 1 + int(std::lround(std::log10(double(n))));
}

TRectImpr RectangleImpression(const TMetriquesImpr& m, const TMargesMm& marges)
{
    TRectImpr r;
    r.Gauche = MmEnPixels(marges.Gauche, m.LogPixelsX) - m.OffsetX;
    r.Haut = MmEnPixels(marges.Haute, m.LogPixelsY) - m.OffsetY;
    r.Droite = m.PhysWidth - MmEnPixels(marges.Droite, m.LogPixelsX) - m.OffsetX;
    r.Bas = m.PhysHeight - MmEnPixels(marges.Basse, m.LogPixelsY) - m.OffsetY;
    return r;
}

int LignesParPage(const TRectImpr& r, int hauteurLigne)
{
    if (hauteurLigne <= 0 || r.Bas <= r.Haut)
        return 0;
    return (r.Bas - r.Haut) / hauteurLigne;
}

std::int64_t NombrePages(std::int64_t lignes, int parPage)
{
    if (lignes <= 0 || parPage <= 0)
        return 0;
    return (lignes + parPage - 1) / parPage;
}

std::string TextePages(std::int64_t pages)
{
    return std::to_string(pages) + (pages > 1 ? " pages" : " page");
}

int AjusteTaille(double cibleCellule, int taille, const std::function<double(int)>& largeurW)
{
    constexpr int Min = 1, Max = 400;
    if (cibleCellule <= 0)
        return taille;
    taille = std::clamp(taille, Min, Max);
    if (cibleCellule <= largeurW(taille)) {
        while (taille > Min && cibleCellule < largeurW(taille))
            --taille;
    } else {
        while (taille < Max && cibleCellule > largeurW(taille))
            ++taille;
        // One step back: the last size tried is at least as wide as the target.
        if (taille > Min && cibleCellule < largeurW(taille))
            --taille;
    }
    return taille;
}

int ColonnesAjustement(const TLargeursPlage& plage, bool numPages, int parPage)
{
    const std::vector<int>& c = plage.Cellules;
    int colonnes = c.empty() ? 0 : *std::max_element(c.begin(), c.end());
    if (numPages) {
        const std::size_t pas = std::size_t(std::max(parPage, 1));
        int page = 1;
        for (std::size_t i = 0; i < std::max<std::size_t>(c.size(), 1); i += pas, ++page) {
            const int haut = (i < c.size() ? c[i] : 0) + 1 + 5 + int(std::to_string(page).size());
            colonnes = std::max(colonnes, haut);
        }
    }
    return colonnes + plage.NumLignes;
}

double CibleCellule(const TMetriquesImpr& m, const TMargesMm& marges, int colonnes)
{
    if (colonnes <= 0 || !m.Valide())
        return 0;
    const int largeur = m.PhysWidth - MmEnPixels(marges.Gauche, m.LogPixelsX) - MmEnPixels(marges.Droite, m.LogPixelsX);
    return largeur > 0 ? double(largeur) / colonnes : 0;
}

std::int64_t TPlageLignes::Compte(std::int64_t total) const
{
    const std::int64_t debut = std::max<std::int64_t>(Debut, 1);
    const std::int64_t fin = std::min(Fin, total);
    return fin >= debut ? fin - debut + 1 : 0;
}

} // namespace kep
