#pragma once
// One printed page of a text: what the print loop hands the editor, and the
// drawing itself (black text on the printer's canvas, tabs on the editor's
// stops, lines cut at the right edge).
#include <cstdint>

class QPainter;
class TTextBuffer;

struct TPageImpr {
    std::int32_t Ligne = 0;  // first line index; advanced by the lines printed
    std::int32_t Compte = 0; // lines to print; reduced by the lines printed
    QPainter* Canvas = nullptr; // font set to the printing font, normal weight
    int Gauche = 0, Haut = 0, Droite = 0, Bas = 0;
    int HauteurLigne = 0;
    int LargeurNum = 0; // digits of the line numbers; 0 = none
    int NumPage = 0;    // 0 = none; incremented after the page
};

// Draws one page of `text` (its tab stops and character width are the
// editor's); returns the lines printed.
int ImprimePage(const TTextBuffer& text, TPageImpr& page);
