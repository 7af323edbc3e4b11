#pragma once
// The digits drawn on markers in the editor's margin: 5 x 8 pixel images of
// our own, made once for every editor.
#include <QImage>

namespace kep {

constexpr int MarkerGlyphWidth = 5;
constexpr int MarkerGlyphHeight = 8;
const QImage& MarkerGlyph(int digit);

} // namespace kep
