#include "editor/SystemColours.h"

namespace kep {

QColor SystemColour(unsigned index)
{
    switch (index) {
    case 5: return QColor(0xFF, 0xFF, 0xFF);  // window
    case 8: return QColor(0, 0, 0);           // window text
    case 13: return QColor(0x00, 0x78, 0xD7); // highlight
    case 14: return QColor(0xFF, 0xFF, 0xFF); // highlight text
    case 15: return QColor(0xF0, 0xF0, 0xF0); // button face
    case 16: return QColor(0xA0, 0xA0, 0xA0); // button shadow
    case 17: return QColor(0x6D, 0x6D, 0x6D); // grey text
    case 18: return QColor(0, 0, 0);          // button text
    case 20: return QColor(0xFF, 0xFF, 0xFF); // button highlight
    case 21: return QColor(0x69, 0x69, 0x69); // 3D dark shadow
    case 22: return QColor(0xE3, 0xE3, 0xE3); // 3D light
    default: return QColor(0x80, 0x80, 0x80);
    }
}

QColor ResolveColour(TColor c)
{
    if (IsSystemColor(c))
        return SystemColour(SystemColorIndex(c));
    return QColor(int(ColorR(c)), int(ColorG(c)), int(ColorB(c)));
}

TColor ResolveToRGB(TColor c)
{
    const QColor q = ResolveColour(c);
    return RGBColor(unsigned(q.red()), unsigned(q.green()), unsigned(q.blue()));
}

} // namespace kep
