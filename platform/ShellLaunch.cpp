#include "platform/ShellLaunch.h"

#include "launcher/CommandLine.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QUrl>

namespace kep {

int ShellOpen(const QString& file, const QString& parameters, const QString& folder, qint64* pid)
{
    QStringList args;
    for (const std::string& w : SplitCommandLine(parameters.toUtf8().toStdString()))
        args << QString::fromUtf8(w.data(), qsizetype(w.size()));
    return ShellOpen(file, args, folder, pid);
}

int ShellOpen(const QString& file, const QStringList& arguments, const QString& folder, qint64* pid)
{
    if (file.isEmpty())
        return ShellFileNotFound;
    QFileInfo fi(file);
    if (!file.contains(QLatin1Char('/')) && !fi.exists()) {
        const QString onPath = QStandardPaths::findExecutable(file);
        if (!onPath.isEmpty())
            fi = QFileInfo(onPath);
    }
    if (!fi.exists())
        return fi.absoluteDir().exists() ? ShellFileNotFound : ShellPathNotFound;
    // The program would start elsewhere than asked, or not at all.
    if (!folder.isEmpty() && !QFileInfo(folder).isDir())
        return ShellPathNotFound;
    if (fi.isFile() && fi.isExecutable())
        return QProcess::startDetached(fi.absoluteFilePath(), arguments, folder, pid) ? ShellOk : ShellBadFormat;
    if (!fi.isReadable())
        return ShellAccessDenied;
    return QDesktopServices::openUrl(QUrl::fromLocalFile(fi.absoluteFilePath())) ? ShellOk : ShellNoAssociation;
}

QString ShellErrorText(int code)
{
    switch (code) {
    case 0: return QStringLiteral("The operating system is out of memory or resources.");
    case 2: return QStringLiteral("The specified file was not found.");
    case 3: return QStringLiteral("The specified path was not found.");
    case 5: return QStringLiteral("The operating system denied access to the specified file.");
    case 8: return QStringLiteral("There was not enough memory to complete the operation.");
    case 11: return QStringLiteral("The .EXE file is invalid or error in .EXE image).");
    case 26: return QStringLiteral("A sharing violation occurred.");
    case 27: return QStringLiteral("The filename association is incomplete or invalid.");
    case 28: return QStringLiteral("The DDE transaction could not be completed because the request timed out.");
    case 29: return QStringLiteral("The DDE transaction failed.");
    case 30:
        return QStringLiteral(
            "The DDE transaction could not be completed because other DDE transactions were being processed.");
    case 31: return QStringLiteral("There is no application associated with the given filename extension.");
    case 32: return QStringLiteral("The specified dynamic-link library was not found.");
    default: return {};
    }
}

} // namespace kep
