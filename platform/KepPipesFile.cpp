#include "platform/KepPipesFile.h"

#include "platform/FileIo.h"
#include "platform/InstanceBus.h"
#include "platform/InstanceCount.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QStandardPaths>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

// The resource lives in a static library: make sure the linker keeps it.
static void InitKepPipesResource() { Q_INIT_RESOURCE(keppipes); }

namespace kep {

namespace {

const char kFileName[] = "KepPipes";

// The file at path is the image and may be run.
bool IsCurrent(const std::string& path, const QByteArray& image)
{
    struct stat st{};
    if (stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode))
        return false;
    if (static_cast<qint64>(st.st_size) != image.size())
        return false;
    std::string data;
    if (!ReadWholeFile(path, data) || data.size() != static_cast<size_t>(image.size()))
        return false;
    if (std::memcmp(data.data(), image.constData(), data.size()) != 0)
        return false;
    // Same bytes but no run bit (copied by hand, say): give it back.
    if ((st.st_mode & 0111) != 0111)
        return chmod(path.c_str(), 0755) == 0;
    return access(path.c_str(), X_OK) == 0;
}

// Temporary file beside the target, then rename: a launcher another
// instance is running stays intact, and nobody ever sees half a file.
bool WriteExecutable(const std::string& path, const QByteArray& image, QString* why)
{
    std::string error;
    if (ReplaceFileContents(path, std::string_view(image.constData(), std::size_t(image.size())), 0755, &error))
        return true;
    *why = QString::fromStdString(error);
    return false;
}

} // namespace

QByteArray KepPipesImage()
{
    InitKepPipesResource();
    QFile res(QStringLiteral(":/kep/KepPipes"));
    if (!res.open(QIODevice::ReadOnly))
        return {};
    return res.readAll();
}

QStringList DefaultKepPipesFolders()
{
    QStringList folders;
    folders << QCoreApplication::applicationDirPath();
    const QString data = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    if (!data.isEmpty())
        folders << data + QStringLiteral("/kep");
    return folders;
}

QString EnsureKepPipes(QString* error)
{
    bool written = false;
    const QString path = EnsureKepPipesIn(DefaultKepPipesFolders(), error, &written);
    // A launcher found in place may have come with the program: only one we
    // wrote is ours to remove.
    if (written)
        NoteSharedFile(QFile::encodeName(KepRuntimeFolder()).toStdString(), QFile::encodeName(path).toStdString());
    return path;
}

QString EnsureKepPipesIn(const QStringList& folders, QString* error, bool* written)
{
    if (written)
        *written = false;
    const QByteArray image = KepPipesImage();
    if (image.isEmpty()) {
        if (error)
            *error = QStringLiteral("Le lanceur KepPipes manque dans ce programme.");
        return {};
    }
    QStringList reasons;
    for (const QString& folder : folders) {
        if (folder.isEmpty())
            continue;
        const QString dirPath = QDir::cleanPath(QDir(folder).absolutePath());
        const QString filePath = dirPath + QLatin1Char('/') + QLatin1String(kFileName);
        const std::string dir = QFile::encodeName(dirPath).toStdString();
        const std::string path = QFile::encodeName(filePath).toStdString();
        if (IsCurrent(path, image))
            return filePath;
        QString why;
        if (!QDir().mkpath(dirPath)) {
            why = QStringLiteral("dossier impossible à créer");
        } else if (WriteExecutable(path, image, &why) && IsCurrent(path, image)) {
            if (written)
                *written = true;
            return filePath;
        } else if (why.isEmpty()) {
            why = QStringLiteral("fichier non exécutable");
        }
        reasons << filePath + QStringLiteral(" : ") + why;
    }
    if (error)
        *error = QStringLiteral("Impossible d'écrire le lanceur KepPipes :\n") + reasons.join(QLatin1Char('\n'));
    return {};
}

} // namespace kep
