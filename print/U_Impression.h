#pragma once
// Page layout of printed listings: printer metrics and margins, line-number
// widths, lines per page and page counts, font fitting and the ranges of
// lines the print dialog offers. Plain C++: the dialog measures on the
// printer and hands the numbers in.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace kep {

// What a printer reports about its page, in device pixels.
struct TMetriquesImpr {
    int HorzRes = 0, VertRes = 0;       // printable area
    int LogPixelsX = 0, LogPixelsY = 0; // dots per inch
    int PhysWidth = 0, PhysHeight = 0;  // whole sheet
    int OffsetX = 0, OffsetY = 0;       // printable area's corner on the sheet
    bool Valide() const { return LogPixelsX > 0 && LogPixelsY > 0 && PhysWidth > 0 && PhysHeight > 0; }
};

// Margins in millimetres, from the sheet's edges.
struct TMargesMm {
    double Gauche = 0, Droite = 0, Haute = 0, Basse = 0;
};

// Tenths of millimetres of a pixel count, rounded as the platform's MulDiv.
int DixiemesMm(int pixels, int dpi);
int MmEnPixels(double mm, int dpi);
// The printer's minimum margins: what lies outside its printable area.
TMargesMm MargesMinimales(const TMetriquesImpr& m);
// Margins below the minimums raised to them; false when nothing changed.
bool ContraintMarges(TMargesMm& marges, const TMargesMm& minimum);
// "21.0 x 29.7 cm²" (UTF-8).
std::string TextePapier(const TMetriquesImpr& m);

// The label of a printer's status word, compared as a whole (UTF-8): a
// combination of several bits reads "Prête".
std::string LibelleEtat(std::uint32_t status);

// Digits of the line-number column for highest number n: 1 + round(log10 n),
// 1 for n = 0. Never narrower than the number.
int LargeurNumLignes(std::int64_t n);

// The text rectangle of a page, in printer pixels from the printable
// area's corner.
struct TRectImpr {
    int Gauche = 0, Haut = 0, Droite = 0, Bas = 0;
};
TRectImpr RectangleImpression(const TMetriquesImpr& m, const TMargesMm& marges);
// 0 when not even one line fits.
int LignesParPage(const TRectImpr& r, int hauteurLigne);
// Pages for `lignes` lines; 0 for no line or no line per page.
std::int64_t NombrePages(std::int64_t lignes, int parPage);
// " page" or " pages" after the number: "3 pages".
std::string TextePages(std::int64_t pages);

// Font fitting: the size whose "W" is widest without exceeding the target
// cell width. `largeurW(size)` measures "W" at a size. The search moves by
// one point from `taille` and stays within [1, 400].
int AjusteTaille(double cibleCellule, int taille, const std::function<double(int)>& largeurW);
// The lines of one printed range as the fitting sees them.
struct TLargeursPlage {
    std::vector<int> Cellules; // each line's width, in character cells
    int NumLignes = 0;         // cells of the line-number column and its gap; 0 = none
};
// Cells a line must hold at `parPage` lines a page: the widest line and,
// with page numbers, the first line of each page followed by a gap and its
// "Page n", which share the top line.
int ColonnesAjustement(const TLargeursPlage& plage, bool numPages, int parPage);
// Target cell width for `colonnes` columns between the margins; 0 when
// nothing is to fit.
double CibleCellule(const TMetriquesImpr& m, const TMargesMm& marges, int colonnes);

// First and last line (1-based) a range choice stands for.
struct TPlageLignes {
    std::int64_t Debut = 1, Fin = 0;
    // Lines the range holds within a text of `total` lines (0 when reversed).
    std::int64_t Compte(std::int64_t total) const;
    // 0-based first index and count within a text of `total` lines.
    std::int64_t PremierIndex() const { return Debut > 0 ? Debut - 1 : 0; }
};

} // namespace kep
