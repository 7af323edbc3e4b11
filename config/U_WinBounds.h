#pragma once
// Window positions kept per project ("Bounds" in the window's section).
#include "config/U_IniFilePlus.h"

#include <QRect>
#include <QString>

#include <string_view>

class QWidget;

namespace kep {

// Bounds = left,top,width,height of the window's frame.
bool SaveBounds(TIniFilePlus& ini, std::string_view section, const QWidget* form);
// From Bounds when present; else from the older Left/Top/Width/Height keys
// (each defaulting to `def`), which are then deleted. Sizes are kept within
// the desktop so a wild value cannot make a huge window.
// A first item that is not a number leaves the window as it was and gives
// false with the French message in *error: these run while windows are
// built, where an exception would end the program.
bool RestoreBounds(TIniFilePlus& ini, std::string_view section, QWidget* form, const QRect& def,
                   QString* error = nullptr);
// Only the position from Bounds; nothing without it. Errors as above.
bool RestorePosition(const TIniFilePlus& ini, std::string_view section, QWidget* form, QString* error = nullptr);

} // namespace kep
