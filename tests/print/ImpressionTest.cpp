#include "print/U_Impression.h"

#include <gtest/gtest.h>

#include <string>

using namespace kep;

namespace {

int Chiffres(std::int64_t n)
{
    return int(std::to_string(n).size());
}

// An A4 sheet at 600 dpi with a printable area 4 mm in from the left and
// top, 5 mm from the right and 6 mm from the bottom.
TMetriquesImpr A4a600()
{
    TMetriquesImpr m;
    m.LogPixelsX = m.LogPixelsY = 600;
    m.PhysWidth = 4961;  // 210 mm
    m.PhysHeight = 7016; // 297 mm
    m.OffsetX = 94;      // 3.98 mm
    m.OffsetY = 94;
    m.HorzRes = m.PhysWidth - m.OffsetX - 118;  // 5 mm on the right
    m.VertRes = m.PhysHeight - m.OffsetY - 142; // 6 mm at the bottom
    return m;
}

} // namespace

TEST(Impression, LineNumberWidthsFollowTheRoundedLogarithm)
{
    EXPECT_EQ(LargeurNumLignes(0), 1);
    EXPECT_EQ(LargeurNumLignes(3), 1);
    // Rounded, not truncated: 4 to 9 take two digits.
    EXPECT_EQ(LargeurNumLignes(4), 2);
    EXPECT_EQ(LargeurNumLignes(9), 2);
    EXPECT_EQ(LargeurNumLignes(31), 2);
    EXPECT_EQ(LargeurNumLignes(32), 3);
    EXPECT_EQ(LargeurNumLignes(316), 3);
    EXPECT_EQ(LargeurNumLignes(317), 4);
    // Printing sizes the column from the last index of the range and shows
    // that index + 1: the number must always fit.
    for (std::int64_t last = 0; last < 2000000; ++last)
        ASSERT_GE(LargeurNumLignes(last), Chiffres(last + 1)) << last;
}

TEST(Impression, StatusWordsReadAsAWhole)
{
    const std::pair<std::uint32_t, const char*> table[] = {
        {0x1, "Pause"}, {0x2, "Erreur"}, {0x4, "Annulation d'impression"}, {0x8, "Bourrage"},
        {0x10, "Plus de papier"}, {0x20, "Avance le papier"}, {0x40, "Problème de papier"}, {0x80, "Hors ligne"},
        {0x100, "Reçoit des données"}, {0x200, "Occupée"}, {0x400, "Imprime"}, {0x800, "Buffer plein"},
        {0x1000, "Indisponible"}, {0x2000, "En attente"}, {0x4000, "Traitement"}, {0x8000, "Initialisation"},
        {0x10000, "Préchauffage"}, {0x20000, "Presque plus d'encre"}, {0x40000, "Plus d'encre"},
        {0x80000, "Page Punt (?\?\?)"}, {0x100000, "Intervention utilisateur"}, {0x200000, "Plus de mémoire"},
        {0x400000, "Capot ouvert"}};
    for (const auto& [status, label] : table)
        EXPECT_EQ(LibelleEtat(status), label) << std::hex << status;
    EXPECT_EQ(LibelleEtat(0), "Prête");
    // Two bits at once, or a bit the table lacks: ready.
    EXPECT_EQ(LibelleEtat(0x10 | 0x80), "Prête");
    EXPECT_EQ(LibelleEtat(0x800000), "Prête");
}

TEST(Impression, PixelsAndMillimetres)
{
    // MulDiv rounds half away from zero.
    EXPECT_EQ(DixiemesMm(600, 600), 254);
    EXPECT_EQ(DixiemesMm(94, 600), 40);  // 39.79
    EXPECT_EQ(DixiemesMm(-94, 600), -40);
    EXPECT_EQ(DixiemesMm(0, 0), -1);     // no dpi: MulDiv's failure value
    EXPECT_EQ(MmEnPixels(25.4, 600), 600);
    EXPECT_EQ(MmEnPixels(5.0, 1200), 236);
    EXPECT_EQ(MmEnPixels(0, 1200), 0);

    const TMetriquesImpr m = A4a600();
    const TMargesMm min = MargesMinimales(m);
    EXPECT_DOUBLE_EQ(min.Gauche, 4.0);
    EXPECT_DOUBLE_EQ(min.Haute, 4.0);
    EXPECT_DOUBLE_EQ(min.Droite, 5.0);
    EXPECT_DOUBLE_EQ(min.Basse, 6.0);
    EXPECT_EQ(TextePapier(m), "21.0 x 29.7 cm\u00B2");
    EXPECT_EQ(TextePapier(TMetriquesImpr{}), "");

    TMargesMm marges{3.0, 10.0, 2.0, 6.5};
    EXPECT_TRUE(ContraintMarges(marges, min));
    EXPECT_DOUBLE_EQ(marges.Gauche, 4.0);
    EXPECT_DOUBLE_EQ(marges.Droite, 10.0);
    EXPECT_DOUBLE_EQ(marges.Haute, 4.0);
    EXPECT_DOUBLE_EQ(marges.Basse, 6.5);
    EXPECT_FALSE(ContraintMarges(marges, min));
}

TEST(Impression, TextRectangleLinesAndPages)
{
    const TMetriquesImpr m = A4a600();
    // 20 mm all round: 472 px from each edge, less the printable offset.
    const TRectImpr r = RectangleImpression(m, TMargesMm{20, 20, 20, 20});
    EXPECT_EQ(r.Gauche, 472 - 94);
    EXPECT_EQ(r.Haut, 472 - 94);
    EXPECT_EQ(r.Droite, 4961 - 472 - 94);
    EXPECT_EQ(r.Bas, 7016 - 472 - 94);
    EXPECT_EQ(LignesParPage(r, 100), (7016 - 944) / 100);
    EXPECT_EQ(LignesParPage(r, 0), 0);
    EXPECT_EQ(LignesParPage(TRectImpr{0, 500, 100, 400}, 10), 0);

    EXPECT_EQ(NombrePages(0, 60), 0);
    EXPECT_EQ(NombrePages(1, 60), 1);
    EXPECT_EQ(NombrePages(60, 60), 1);
    EXPECT_EQ(NombrePages(61, 60), 2);
    EXPECT_EQ(NombrePages(100000, 60), 1667);
    EXPECT_EQ(NombrePages(10, 0), 0);
    EXPECT_EQ(TextePages(0), "0 page");
    EXPECT_EQ(TextePages(1), "1 page");
    EXPECT_EQ(TextePages(2), "2 pages");

    // Ranges: 1-based, clamped to the text, nothing when reversed.
    EXPECT_EQ((TPlageLignes{1, 51}.Compte(51)), 51);
    EXPECT_EQ((TPlageLignes{10, 20}.Compte(51)), 11);
    EXPECT_EQ((TPlageLignes{40, 90}.Compte(51)), 12);
    EXPECT_EQ((TPlageLignes{20, 10}.Compte(51)), 0);
    EXPECT_EQ((TPlageLignes{0, 3}.Compte(51)), 3);
    EXPECT_EQ((TPlageLignes{60, 70}.Compte(51)), 0);
    EXPECT_EQ((TPlageLignes{10, 20}.PremierIndex()), 9);
    EXPECT_EQ((TPlageLignes{0, 20}.PremierIndex()), 0);
}

TEST(Impression, FontFittingFindsTheWidestSizeThatFits)
{
    // "W" is 7 px per point.
    const auto w = [](int size) { return 7.0 * size; };
    for (int start : {1, 5, 10, 30, 400}) {
        EXPECT_EQ(AjusteTaille(70.0, start, w), 10) << start;  // exactly 10 points
        EXPECT_EQ(AjusteTaille(76.0, start, w), 10) << start;  // 11 would not fit
        EXPECT_EQ(AjusteTaille(77.5, start, w), 11) << start;
    }
    // Bounds: never below 1 point nor above 400.
    EXPECT_EQ(AjusteTaille(0.5, 10, w), 1);
    EXPECT_EQ(AjusteTaille(1e9, 10, w), 400);
    // Nothing to fit: the size stays.
    EXPECT_EQ(AjusteTaille(0, 12, w), 12);

    // Cells to hold: the widest line, and the first line of each page with
    // a gap and its "Page n" beside it; then the line numbers.
    TLargeursPlage p{{3, 80, 2, 9, 4}, 0};
    EXPECT_EQ(ColonnesAjustement(p, false, 2), 80);
    p.NumLignes = 3;
    EXPECT_EQ(ColonnesAjustement(p, false, 2), 83);
    p.NumLignes = 0;
    EXPECT_EQ(ColonnesAjustement(p, true, 2), 80);  // pages start at 3, 2, 4 cells
    EXPECT_EQ(ColonnesAjustement(p, true, 1), 80 + 1 + 6); // page 2 starts with the widest
    p.Cellules = {5, 2};
    EXPECT_EQ(ColonnesAjustement(p, true, 60), 5 + 1 + 6);
    EXPECT_EQ(ColonnesAjustement(p, true, 0), 5 + 1 + 6); // nothing fits: one a page
    p.Cellules.assign(12, 1);
    p.Cellules[10] = 4;
    EXPECT_EQ(ColonnesAjustement(p, true, 1), 4 + 1 + 7); // "Page 11"
    EXPECT_EQ(ColonnesAjustement(TLargeursPlage{}, true, 50), 1 + 6);
    EXPECT_EQ(ColonnesAjustement(TLargeursPlage{}, false, 50), 0);

    const TMetriquesImpr m = A4a600();
    EXPECT_DOUBLE_EQ(CibleCellule(m, TMargesMm{20, 20, 20, 20}, 80), (4961.0 - 944) / 80);
    EXPECT_EQ(CibleCellule(m, TMargesMm{20, 20, 20, 20}, 0), 0);
    EXPECT_EQ(CibleCellule(m, TMargesMm{120, 120, 0, 0}, 80), 0);
}
