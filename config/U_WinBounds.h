#pragma once
// Window positions kept per project ("Bounds" in the window's section).
#include "config/U_IniFilePlus.h"

#include <QRect>

#include <string_view>

class QWidget;

namespace kep {

// Bounds = left,top,width,height of the window's frame.
bool SaveBounds(TIniFilePlus& ini, std::string_view section, const QWidget* form);
// From Bounds when present; else from the older Left/Top/Width/Height keys
// (each defaulting to `def`), which are then deleted. A first item that is
// not a number throws EConvertError and leaves the window as it was. Sizes
// are kept within the screen so a wild value cannot make a huge window.
void RestoreBounds(TIniFilePlus& ini, std::string_view section, QWidget* form, const QRect& def);
// Only the position from Bounds; nothing without it.
void RestorePosition(const TIniFilePlus& ini, std::string_view section, QWidget* form);

} // namespace kep
