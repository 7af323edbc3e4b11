#pragma once
// The console launcher travels inside kep as a resource and is written out
// as a file the build runner can start.
#include <QString>
#include <QStringList>

namespace kep {

// Folders tried in order: kep's own folder, then $XDG_DATA_HOME/kep.
QStringList DefaultKepPipesFolders();

// Full path of a launcher that is byte for byte the one built with this
// program and has its run bits, writing it (atomically, mode 0755) into the
// first folder that takes it when it is missing or stale there. Empty on
// failure, with a French reason in *error; *written tells whether it was
// written now. A launcher EnsureKepPipes writes is noted in the runtime
// folder, so that the last instance of KEP to end removes it.
QString EnsureKepPipes(QString* error = nullptr);
QString EnsureKepPipesIn(const QStringList& folders, QString* error = nullptr, bool* written = nullptr);

// The launcher's image as embedded in the program; empty if missing.
QByteArray KepPipesImage();

} // namespace kep
