#pragma once
// The colours the system colour indexes of stored styles stand for.
#include "editor/U_SyntaxeStyles.h"

#include <QColor>

namespace kep {

// The colours a classic Windows desktop gives its system colour indexes;
// styles stored by older versions refer to them.
QColor SystemColour(unsigned index);
// A stored colour as painted: a system colour through SystemColour, else its
// RGB value.
QColor ResolveColour(TColor c);
// The same as a stored RGB value (what the colour commands work on).
TColor ResolveToRGB(TColor c);

} // namespace kep
