#pragma once
// What the program sets up before its first window: its name, and the
// toolkit's French translations, so that the standard dialogs and buttons
// speak French as they do on a French desktop.
class QCoreApplication;

namespace kep {

// True when the toolkit's French translations were found and installed.
bool SetUpApplication(QCoreApplication& app);

} // namespace kep
