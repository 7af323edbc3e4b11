#include "platform/KepPipesFile.h"
#include "platform/InstanceBus.h"
#include "platform/InstanceCount.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <sys/stat.h>
#include <unistd.h>

using namespace kep;

namespace {

QByteArray ReadAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

mode_t Mode(const QString& path)
{
    struct stat st{};
    return stat(QFile::encodeName(path).constData(), &st) == 0 ? (st.st_mode & 07777) : 0;
}

void WriteFile(const QString& path, const QByteArray& data, QFileDevice::Permissions perms)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(data);
    f.close();
    f.setPermissions(perms);
}

} // namespace

TEST(KepPipesFile, EmbeddedImageIsTheBuiltLauncher)
{
    const QByteArray built = ReadAll(QStringLiteral(KEP_PIPES_EXE));
    ASSERT_FALSE(built.isEmpty());
    EXPECT_EQ(KepPipesImage(), built);
}

TEST(KepPipesFile, WrittenIntoTheFirstFolderExecutableAndIdentical)
{
    QTemporaryDir tmp;
    ASSERT_TRUE(tmp.isValid());
    const QString first = tmp.filePath(QStringLiteral("à côté de kep"));
    const QString second = tmp.filePath(QStringLiteral("data/kep"));
    ASSERT_TRUE(QDir().mkpath(first));

    QString error;
    bool written = false;
    const QString path = EnsureKepPipesIn({first, second}, &error, &written);
    ASSERT_EQ(path, first + QStringLiteral("/KepPipes")) << error.toStdString();
    EXPECT_TRUE(written);
    EXPECT_EQ(ReadAll(path), ReadAll(QStringLiteral(KEP_PIPES_EXE)));
    EXPECT_EQ(Mode(path), 0755u);
    EXPECT_FALSE(QFileInfo::exists(second));
    // No temporary file is left behind.
    EXPECT_EQ(QDir(first).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("KepPipes")});

    // The written launcher works: it runs a command and ends with 0.
    QProcess p;
    p.start(path, {QStringLiteral("echo bonjour")});
    ASSERT_TRUE(p.waitForFinished(10000));
    EXPECT_EQ(p.exitCode(), 0);
    EXPECT_EQ(p.readAllStandardOutput(), QByteArray("bonjour\n"));

    // A second call keeps the same file.
    const auto before = QFileInfo(path).lastModified();
    const auto inode = QFileInfo(path).fileTime(QFileDevice::FileMetadataChangeTime);
    EXPECT_EQ(EnsureKepPipesIn({first, second}, &error, &written), path);
    EXPECT_FALSE(written);
    EXPECT_EQ(QFileInfo(path).lastModified(), before);
    EXPECT_EQ(QFileInfo(path).fileTime(QFileDevice::FileMetadataChangeTime), inode);
}

TEST(KepPipesFile, StaleOrBrokenCopiesAreReplaced)
{
    QTemporaryDir tmp;
    const QString dir = tmp.path();
    const QString path = dir + QStringLiteral("/KepPipes");
    const QByteArray image = KepPipesImage();
    const auto rwx = QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner;

    // An older build: other bytes, even of the same length.
    QByteArray older = image;
    older[older.size() / 2] = static_cast<char>(older[older.size() / 2] ^ 0x5A);
    for (const QByteArray& stale : {QByteArray("#!/bin/sh\n"), older, QByteArray()}) {
        WriteFile(path, stale, rwx);
        EXPECT_EQ(EnsureKepPipesIn({dir}), path);
        EXPECT_EQ(ReadAll(path), image);
        EXPECT_EQ(Mode(path), 0755u);
    }

    // A read-only stale copy in a writable folder is replaced too.
    WriteFile(path, "old", QFileDevice::ReadOwner);
    EXPECT_EQ(EnsureKepPipesIn({dir}), path);
    EXPECT_EQ(ReadAll(path), image);

    // The right bytes without the run bit get the bit back.
    WriteFile(path, image, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    EXPECT_EQ(EnsureKepPipesIn({dir}), path);
    EXPECT_EQ(Mode(path) & 0111, 0111u);

    // A folder named KepPipes in the way: the next folder is used.
    QTemporaryDir other;
    ASSERT_TRUE(QFile::remove(path));
    ASSERT_TRUE(QDir(dir).mkdir(QStringLiteral("KepPipes")));
    EXPECT_EQ(EnsureKepPipesIn({dir, other.path()}), other.path() + QStringLiteral("/KepPipes"));
}

TEST(KepPipesFile, FallsBackWhenTheProgramFolderIsNotWritable)
{
    QTemporaryDir tmp;
    const QString fallback = tmp.filePath(QStringLiteral("xdg/kep"));

    // A "folder" below a plain file can be neither created nor written.
    const QString file = tmp.filePath(QStringLiteral("fichier"));
    WriteFile(file, "x", QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    QString error;
    EXPECT_EQ(EnsureKepPipesIn({file + QStringLiteral("/bin"), fallback}, &error), fallback + QStringLiteral("/KepPipes"));
    EXPECT_EQ(ReadAll(fallback + QStringLiteral("/KepPipes")), KepPipesImage());

    // Nothing writable at all: empty result and a French reason naming the places.
    const QString path = EnsureKepPipesIn({file + QStringLiteral("/a"), file + QStringLiteral("/b")}, &error);
    EXPECT_TRUE(path.isEmpty());
    EXPECT_TRUE(error.startsWith(QStringLiteral("Impossible d'écrire le lanceur KepPipes"))) << error.toStdString();
    EXPECT_TRUE(error.contains(file + QStringLiteral("/a/KepPipes")));
    EXPECT_TRUE(error.contains(file + QStringLiteral("/b/KepPipes")));
}

TEST(KepPipesFile, FallsBackWhenThePermissionsForbidWriting)
{
    if (geteuid() == 0)
        GTEST_SKIP() << "root writes into any folder";
    QTemporaryDir tmp;
    const QString locked = tmp.filePath(QStringLiteral("bin"));
    ASSERT_TRUE(QDir().mkpath(locked));
    QFile::setPermissions(locked, QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    const QString fallback = tmp.filePath(QStringLiteral("data"));
    EXPECT_EQ(EnsureKepPipesIn({locked, fallback}), fallback + QStringLiteral("/KepPipes"));
    EXPECT_FALSE(QFileInfo::exists(locked + QStringLiteral("/KepPipes")));
    QFile::setPermissions(locked, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
}

TEST(KepPipesFile, DefaultFoldersAreTheProgramsThenXdgData)
{
    // A folder of this test's own: a fixed name in /tmp would be shared by
    // every run on the machine.
    QTemporaryDir tmp;
    ASSERT_TRUE(tmp.isValid());
    const QString data = tmp.filePath(QStringLiteral("data"));
    const QByteArray before = qgetenv("XDG_DATA_HOME");
    const bool wasSet = qEnvironmentVariableIsSet("XDG_DATA_HOME");
    qputenv("XDG_DATA_HOME", QFile::encodeName(data));
    const QStringList folders = DefaultKepPipesFolders();
    if (wasSet)
        qputenv("XDG_DATA_HOME", before);
    else
        qunsetenv("XDG_DATA_HOME");
    ASSERT_EQ(folders.size(), 2);
    EXPECT_EQ(folders[0], QCoreApplication::applicationDirPath());
    EXPECT_EQ(folders[1], data + QStringLiteral("/kep"));
}

TEST(KepPipesFile, TheLauncherWrittenBesideTheProgramGoesWithTheLastInstance)
{
    QTemporaryDir run;
    ASSERT_TRUE(run.isValid());
    const bool hadRun = qEnvironmentVariableIsSet("XDG_RUNTIME_DIR");
    const QByteArray oldRun = qgetenv("XDG_RUNTIME_DIR");
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(run.path()));
    const QString beside = QCoreApplication::applicationDirPath() + QStringLiteral("/KepPipes");
    QFile::remove(beside);
    {
        TInstanceCount me(QFile::encodeName(KepRuntimeFolder()).toStdString());
        EXPECT_EQ(EnsureKepPipes(), beside);
        EXPECT_TRUE(me.Leave());
    }
    EXPECT_FALSE(QFileInfo::exists(beside));
    // One found in place (it came with the program) is not ours to remove.
    ASSERT_EQ(EnsureKepPipesIn({QCoreApplication::applicationDirPath()}), beside);
    {
        TInstanceCount me(QFile::encodeName(KepRuntimeFolder()).toStdString());
        EXPECT_EQ(EnsureKepPipes(), beside);
        EXPECT_TRUE(me.Leave());
    }
    EXPECT_TRUE(QFileInfo::exists(beside));
    if (hadRun)
        qputenv("XDG_RUNTIME_DIR", oldRun);
    else
        qunsetenv("XDG_RUNTIME_DIR");
}
