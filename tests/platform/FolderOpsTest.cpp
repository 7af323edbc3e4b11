// Folder copies keep everything a project folder holds; deletions go to the
// freedesktop trash and nowhere else.
#include "platform/FolderOps.h"

#include "support/TestDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

struct stat Lstat(const std::string& path)
{
    struct stat st{};
    EXPECT_EQ(lstat(path.c_str(), &st), 0) << path;
    return st;
}

bool Present(const std::string& path)
{
    struct stat st{};
    return lstat(path.c_str(), &st) == 0;
}

void SetTimes(const std::string& path, time_t sec, long nsec)
{
    const struct timespec times[2] = {{sec - 1000, nsec / 2}, {sec, nsec}};
    ASSERT_EQ(utimensat(AT_FDCWD, path.c_str(), times, AT_SYMLINK_NOFOLLOW), 0) << path;
}

std::string LinkTarget(const std::string& path)
{
    char buf[4096];
    const ssize_t n = readlink(path.c_str(), buf, sizeof buf);
    return n < 0 ? std::string() : std::string(buf, static_cast<size_t>(n));
}

std::vector<std::string> Names(const std::string& dir)
{
    std::vector<std::string> names;
    std::error_code ec;
    for (const auto& e : fs::directory_iterator(dir, ec))
        names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

std::string ReadFile(const std::string& path)
{
    std::string data;
    EXPECT_TRUE(kep::ReadWholeFile(path, data)) << path;
    return data;
}

// The copy must match the original entry by entry: kind, bits, mtime to the
// nanosecond and contents.
void ExpectSameTree(const std::string& src, const std::string& dst)
{
    const struct stat a = Lstat(src);
    const struct stat b = Lstat(dst);
    ASSERT_EQ(a.st_mode & S_IFMT, b.st_mode & S_IFMT) << dst;
    EXPECT_EQ(a.st_mode & 07777, b.st_mode & 07777) << dst;
    EXPECT_EQ(a.st_mtim.tv_sec, b.st_mtim.tv_sec) << dst;
    EXPECT_EQ(a.st_mtim.tv_nsec, b.st_mtim.tv_nsec) << dst;
    if (S_ISREG(a.st_mode)) {
        EXPECT_TRUE(ReadFile(src) == ReadFile(dst)) << dst;
    } else if (S_ISDIR(a.st_mode)) {
        ASSERT_EQ(Names(src), Names(dst)) << dst;
        for (const auto& name : Names(src))
            ExpectSameTree(src + "/" + name, dst + "/" + name);
    }
}

// Leftovers of the copy's temporary files, anywhere under dir.
std::vector<std::string> TempFiles(const std::string& dir)
{
    std::vector<std::string> found;
    std::error_code ec;
    for (auto it = fs::recursive_directory_iterator(dir, ec); !ec && it != fs::recursive_directory_iterator();
         it.increment(ec)) {
        if (it->path().filename().string().find(".kep") != std::string::npos)
            found.push_back(it->path().string());
    }
    return found;
}

// Written in place: the atomic writer's temporary name would be too long
// for the names near the limit used here.
std::string WritePlain(const std::string& path, const std::string& data)
{
    FILE* f = std::fopen(path.c_str(), "wb");
    EXPECT_NE(f, nullptr) << path;
    if (f) {
        EXPECT_EQ(std::fwrite(data.data(), 1, data.size(), f), data.size());
        std::fclose(f);
    }
    return path;
}

std::string Bytes(size_t size)
{
    std::string data(size, '\0');
    for (size_t i = 0; i < size; ++i)
        data[i] = static_cast<char>((i * 7 + i / 256) & 0xFF);
    return data;
}

// A child's exit status tells whether CopyFolder failed; its message comes
// through a pipe.
struct TChildResult {
    bool Exited = false;
    int Status = -1;
    std::string Error;
};

template <class F>
TChildResult RunInChild(F body)
{
    TChildResult r;
    int fds[2];
    if (pipe(fds) != 0)
        return r;
    const pid_t pid = fork();
    if (pid == 0) {
        ::close(fds[0]);
        std::string error;
        const int status = body(error);
        if (::write(fds[1], error.data(), error.size()) < 0)
            _exit(100);
        _exit(status);
    }
    ::close(fds[1]);
    char buf[512];
    ssize_t n;
    while ((n = ::read(fds[0], buf, sizeof buf)) > 0)
        r.Error.append(buf, static_cast<size_t>(n));
    ::close(fds[0]);
    int wstatus = 0;
    if (pid > 0 && waitpid(pid, &wstatus, 0) == pid && WIFEXITED(wstatus)) {
        r.Exited = true;
        r.Status = WEXITSTATUS(wstatus);
    }
    return r;
}

} // namespace

TEST(CopyFolder, CopiesContentsModesAndTimes)
{
    TTestDir tmp;
    const std::string src = tmp.Path("src");
    const std::string big = Bytes(3 * 1024 * 1024 + 17);
    tmp.Write("src/a.txt", "bonjour\n");
    tmp.Write("src/sub/deeper/all.bin", big);
    tmp.Write("src/zero", "");
    tmp.Write("src/m640", "six cent quarante");
    tmp.Write("src/m444", "lecture seule");
    tmp.Write("src/ro/inner.txt", "dans un dossier protégé");
    WritePlain(tmp.Path("src/" + std::string(250, 'L')), "un nom au bord de la limite");
    ASSERT_TRUE(fs::create_directory(tmp.Path("src/empty")));
    ASSERT_EQ(chmod(tmp.Path("src/m640").c_str(), 0640), 0);
    ASSERT_EQ(chmod(tmp.Path("src/m444").c_str(), 0444), 0);
    ASSERT_EQ(chmod(tmp.Path("src/ro").c_str(), 0555), 0);
    ASSERT_EQ(chmod(src.c_str(), 0750), 0);
    // Folders last: creating their entries moved their times.
    long ns = 100000001;
    time_t sec = 1600000000;
    for (const char* name : {"a.txt", "sub/deeper/all.bin", "zero", "m640", "m444", "ro/inner.txt", "empty",
                             "sub/deeper", "sub", "ro", ""}) {
        SetTimes(tmp.Path("src/") + name, sec, ns);
        sec += 3601;
        ns = (ns + 111111111) % 1000000000;
    }

    std::string error;
    ASSERT_TRUE(kep::CopyFolder(src, tmp.Path("dst"), &error)) << error;
    ExpectSameTree(src, tmp.Path("dst"));
    EXPECT_EQ(Lstat(tmp.Path("dst/ro")).st_mode & 07777, 0555u);
    EXPECT_EQ(Lstat(tmp.Path("dst/m444")).st_mode & 07777, 0444u);
    EXPECT_EQ(Lstat(tmp.Path("dst/sub/deeper/all.bin")).st_size, static_cast<off_t>(big.size()));
    EXPECT_TRUE(tmp.Read("dst/sub/deeper/all.bin") == big);
    EXPECT_TRUE(TempFiles(tmp.Dir()).empty());

    // A trailing "/" names the same folders.
    ASSERT_TRUE(kep::CopyFolder(src + "/", tmp.Path("dst2/"), &error)) << error;
    ExpectSameTree(src, tmp.Path("dst2"));

    chmod(tmp.Path("src/ro").c_str(), 0755);
    chmod(tmp.Path("dst/ro").c_str(), 0755);
    chmod(tmp.Path("dst2/ro").c_str(), 0755);
}

TEST(CopyFolder, CopiesLinksAsLinks)
{
    TTestDir tmp;
    const std::string src = tmp.Path("src");
    const std::string dst = tmp.Path("dst");
    tmp.Write("src/sub/x.txt", "cible");
    tmp.Write("outside.txt", "dehors");
    tmp.Write("src2/x.txt", "voisin");
    const std::vector<std::pair<std::string, std::string>> links = {
        {"rel", "sub/x.txt"},
        {"sub/up", "../rel"},
        {"absin", src + "/sub/x.txt"},
        {"absroot", src},
        {"absout", tmp.Path("outside.txt")},
        {"prefix", src + "2/x.txt"},
        {"dangling", "nowhere/missing"},
    };
    time_t sec = 1500000000;
    for (const auto& [name, target] : links) {
        ASSERT_EQ(symlink(target.c_str(), (src + "/" + name).c_str()), 0) << name;
        SetTimes(src + "/" + name, sec += 77, 987654321);
    }

    std::string error;
    ASSERT_TRUE(kep::CopyFolder(src, dst, &error)) << error;
    for (const auto& [name, target] : links) {
        const struct stat a = Lstat(src + "/" + name);
        const struct stat b = Lstat(dst + "/" + name);
        EXPECT_TRUE(S_ISLNK(b.st_mode)) << name;
        EXPECT_EQ(a.st_mtim.tv_sec, b.st_mtim.tv_sec) << name;
        EXPECT_EQ(a.st_mtim.tv_nsec, b.st_mtim.tv_nsec) << name;
    }
    EXPECT_EQ(LinkTarget(dst + "/rel"), "sub/x.txt");
    EXPECT_EQ(LinkTarget(dst + "/sub/up"), "../rel");
    EXPECT_EQ(LinkTarget(dst + "/absin"), dst + "/sub/x.txt");
    EXPECT_EQ(LinkTarget(dst + "/absroot"), dst);
    EXPECT_EQ(LinkTarget(dst + "/absout"), tmp.Path("outside.txt"));
    EXPECT_EQ(LinkTarget(dst + "/prefix"), src + "2/x.txt");
    EXPECT_EQ(LinkTarget(dst + "/dangling"), "nowhere/missing");
    EXPECT_EQ(ReadFile(dst + "/sub/up"), "cible");
    // The original is untouched and still points at itself.
    EXPECT_EQ(LinkTarget(src + "/absin"), src + "/sub/x.txt");
}

TEST(CopyFolder, LeavesOutFifosAndSockets)
{
    TTestDir tmp;
    const std::string src = tmp.Path("src");
    tmp.Write("src/a.txt", "a");
    ASSERT_EQ(mkfifo(tmp.Path("src/fifo").c_str(), 0644), 0);
    const int sock = socket(AF_UNIX, SOCK_STREAM, 0);
    ASSERT_GE(sock, 0);
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    const std::string sockPath = tmp.Path("src/sock");
    ASSERT_LT(sockPath.size(), sizeof addr.sun_path);
    std::copy(sockPath.begin(), sockPath.end(), addr.sun_path);
    ASSERT_EQ(bind(sock, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);

    // Opening the fifo would wait for a writer forever: the alarm turns that
    // into a failure instead of a hung test.
    const std::string dst = tmp.Path("dst");
    const TChildResult r = RunInChild([&](std::string& error) {
        alarm(120);
        return kep::CopyFolder(src, dst, &error) ? 0 : 1;
    });
    ::close(sock);
    ASSERT_TRUE(r.Exited) << "the copy did not finish";
    EXPECT_EQ(r.Status, 0) << r.Error;
    EXPECT_EQ(Names(dst), std::vector<std::string>{"a.txt"});
}

TEST(CopyFolder, MergesIntoAnExistingFolder)
{
    TTestDir tmp;
    const std::string src = tmp.Path("src");
    const std::string dst = tmp.Path("dst");
    tmp.Write("src/same.txt", "nouveau");
    tmp.Write("src/sub/new.txt", "ajouté");
    ASSERT_EQ(symlink("same.txt", tmp.Path("src/link").c_str()), 0);
    ASSERT_EQ(chmod(tmp.Path("src/same.txt").c_str(), 0600), 0);
    SetTimes(tmp.Path("src/same.txt"), 1400000000, 5);
    tmp.Write("dst/same.txt", "ancien contenu plus long");
    ASSERT_EQ(chmod(tmp.Path("dst/same.txt").c_str(), 0444), 0);
    tmp.Write("dst/keep.txt", "gardé");
    tmp.Write("dst/sub/keepToo.txt", "gardé aussi");
    tmp.Write("dst/link", "un fichier à la place du lien");

    std::string error;
    ASSERT_TRUE(kep::CopyFolder(src, dst, &error)) << error;
    EXPECT_EQ(tmp.Read("dst/same.txt"), "nouveau");
    EXPECT_EQ(Lstat(dst + "/same.txt").st_mode & 07777, 0600u);
    EXPECT_EQ(Lstat(dst + "/same.txt").st_mtim.tv_nsec, 5);
    EXPECT_EQ(tmp.Read("dst/keep.txt"), "gardé");
    EXPECT_EQ(tmp.Read("dst/sub/keepToo.txt"), "gardé aussi");
    EXPECT_EQ(tmp.Read("dst/sub/new.txt"), "ajouté");
    EXPECT_TRUE(S_ISLNK(Lstat(dst + "/link").st_mode));
    EXPECT_EQ(LinkTarget(dst + "/link"), "same.txt");
    EXPECT_EQ(Names(dst), (std::vector<std::string>{"keep.txt", "link", "same.txt", "sub"}));
    EXPECT_EQ(Names(dst + "/sub"), (std::vector<std::string>{"keepToo.txt", "new.txt"}));
    EXPECT_TRUE(TempFiles(tmp.Dir()).empty());
}

TEST(CopyFolder, TypeClashFails)
{
    TTestDir tmp;
    tmp.Write("src1/x/in.txt", "dedans");
    tmp.Write("dst1/x", "un fichier");
    std::string error;
    EXPECT_FALSE(kep::CopyFolder(tmp.Path("src1"), tmp.Path("dst1"), &error));
    EXPECT_NE(error.find(tmp.Path("dst1/x")), std::string::npos) << error;
    EXPECT_EQ(tmp.Read("dst1/x"), "un fichier");

    tmp.Write("src2/y", "un fichier");
    tmp.Write("dst2/y/in.txt", "dedans");
    error.clear();
    EXPECT_FALSE(kep::CopyFolder(tmp.Path("src2"), tmp.Path("dst2"), &error));
    EXPECT_NE(error.find(tmp.Path("dst2/y")), std::string::npos) << error;
    EXPECT_EQ(tmp.Read("dst2/y/in.txt"), "dedans");
    EXPECT_TRUE(TempFiles(tmp.Dir()).empty());

    // A file where the whole destination should be.
    tmp.Write("dst3", "pas un dossier");
    error.clear();
    EXPECT_FALSE(kep::CopyFolder(tmp.Path("src1"), tmp.Path("dst3"), &error));
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(tmp.Read("dst3"), "pas un dossier");
}

TEST(CopyFolder, RefusesTheSourceOrAFolderInsideIt)
{
    TTestDir tmp;
    const std::string src = tmp.Path("src");
    tmp.Write("src/a.txt", "a");
    ASSERT_EQ(symlink(src.c_str(), tmp.Path("alias").c_str()), 0);
    const auto before = Names(src);
    for (const std::string& dst : {src, src + "/", src + "/inner", src + "/inner/deeper", tmp.Path("alias/copy"),
                                   tmp.Path("src/../src/x"), tmp.Path("alias")}) {
        std::string error;
        EXPECT_FALSE(kep::CopyFolder(src, dst, &error)) << dst;
        EXPECT_FALSE(error.empty()) << dst;
        EXPECT_EQ(Names(src), before) << dst;
    }
    // Naming the source through the link changes nothing.
    std::string error;
    EXPECT_FALSE(kep::CopyFolder(tmp.Path("alias"), src + "/inner", &error));
    EXPECT_EQ(Names(src), before);
    // A sibling whose name starts like the source's is no folder inside it.
    EXPECT_TRUE(kep::CopyFolder(src, src + "2", &error)) << error;
    EXPECT_EQ(tmp.Read("src2/a.txt"), "a");
}

TEST(CopyFolder, MissingSourceFails)
{
    TTestDir tmp;
    std::string error;
    EXPECT_FALSE(kep::CopyFolder(tmp.Path("absent"), tmp.Path("dst"), &error));
    EXPECT_NE(error.find("n'existe pas"), std::string::npos) << error;
    EXPECT_NE(error.find(tmp.Path("absent")), std::string::npos) << error;
    EXPECT_FALSE(Present(tmp.Path("dst")));

    tmp.Write("file.txt", "un fichier");
    error.clear();
    EXPECT_FALSE(kep::CopyFolder(tmp.Path("file.txt"), tmp.Path("dst"), &error));
    EXPECT_NE(error.find(tmp.Path("file.txt")), std::string::npos) << error;
    EXPECT_FALSE(Present(tmp.Path("dst")));
}

TEST(CopyFolder, FailureHalfWayLeavesNoTrace)
{
    TTestDir tmp;
    const std::string src = tmp.Path("src");
    for (const char* name : {"a.txt", "b/c.txt", "b/d/e.txt", "f/g.txt", "h.txt"})
        tmp.Write(std::string("src/") + name, std::string(1000, 'k'));
    tmp.Write("src/b/big.bin", Bytes(4 * 1024 * 1024));

    // Writing past the file size limit fails with EFBIG once SIGXFSZ is
    // ignored; the limit holds for root as well.
    auto copyLimited = [&](const std::string& dst) {
        return RunInChild([&](std::string& error) {
            signal(SIGXFSZ, SIG_IGN);
            const rlimit limit{1 << 20, 1 << 20};
            if (setrlimit(RLIMIT_FSIZE, &limit) != 0)
                return 2;
            return kep::CopyFolder(src, dst, &error) ? 1 : 0;
        });
    };

    TChildResult r = copyLimited(tmp.Path("new/copy"));
    ASSERT_TRUE(r.Exited);
    EXPECT_EQ(r.Status, 0) << "the copy should have failed";
    EXPECT_NE(r.Error.find(tmp.Path("new/copy/b/big.bin")), std::string::npos) << r.Error;
    EXPECT_NE(r.Error.find(std::strerror(EFBIG)), std::string::npos) << r.Error;
    EXPECT_FALSE(Present(tmp.Path("new")));
    EXPECT_TRUE(TempFiles(tmp.Dir()).empty());

    // Merging: what was there stays, nothing half-written is left.
    tmp.Write("old/keep.txt", "gardé");
    tmp.Write("old/b/big.bin", "l'ancienne version");
    r = copyLimited(tmp.Path("old"));
    ASSERT_TRUE(r.Exited);
    EXPECT_EQ(r.Status, 0) << "the copy should have failed";
    EXPECT_EQ(tmp.Read("old/keep.txt"), "gardé");
    EXPECT_EQ(tmp.Read("old/b/big.bin"), "l'ancienne version");
    EXPECT_TRUE(TempFiles(tmp.Dir()).empty());
}

// ---- Trash ----

namespace {

std::string PercentDecode(const std::string& s)
{
    std::string out;
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '%' && i + 2 < s.size()) {
            out += static_cast<char>(std::stoi(s.substr(i + 1, 2), nullptr, 16));
            i += 2;
        } else {
            out += s[i];
        }
    }
    return out;
}

struct TTrashInfo {
    std::string Path; // as written, still encoded
    std::string Date;
};

TTrashInfo ReadInfo(const std::string& file)
{
    TTrashInfo info;
    const std::string text = ReadFile(file);
    EXPECT_EQ(text.rfind("[Trash Info]\n", 0), 0u) << text;
    size_t pos = 0;
    while (pos < text.size()) {
        size_t end = text.find('\n', pos);
        if (end == std::string::npos)
            end = text.size();
        const std::string line = text.substr(pos, end - pos);
        if (line.rfind("Path=", 0) == 0)
            info.Path = line.substr(5);
        else if (line.rfind("DeletionDate=", 0) == 0)
            info.Date = line.substr(13);
        pos = end + 1;
    }
    return info;
}

// The date is local time, without a zone.
void ExpectRecentDate(const std::string& date)
{
    std::tm tm{};
    char tail = 0;
    ASSERT_EQ(std::sscanf(date.c_str(), "%4d-%2d-%2dT%2d:%2d:%2d%c", &tm.tm_year, &tm.tm_mon, &tm.tm_mday,
                          &tm.tm_hour, &tm.tm_min, &tm.tm_sec, &tail),
              6)
        << date;
    EXPECT_EQ(date.size(), 19u) << date;
    tm.tm_year -= 1900;
    tm.tm_mon -= 1;
    tm.tm_isdst = -1;
    const std::time_t then = std::mktime(&tm);
    EXPECT_LE(std::abs(static_cast<long>(std::time(nullptr) - then)), 60L) << date;
}

std::string RealPath(const std::string& path)
{
    return fs::canonical(fs::path(path).parent_path()).string() + "/" + fs::path(path).filename().string();
}

class MoveToTrashTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (const char* old = std::getenv("XDG_DATA_HOME"))
            Saved_ = old;
        setenv("XDG_DATA_HOME", Tmp.Path("data").c_str(), 1);
    }
    void TearDown() override
    {
        if (Saved_)
            setenv("XDG_DATA_HOME", Saved_->c_str(), 1);
        else
            unsetenv("XDG_DATA_HOME");
    }
    std::string Trash(const std::string& rest) const { return Tmp.Path("data/Trash/" + rest); }

    TTestDir Tmp;

private:
    std::optional<std::string> Saved_;
};

} // namespace

TEST_F(MoveToTrashTest, MovesFilesAndFoldersToTheHomeTrash)
{
    Tmp.Write("proj/main.asm", "\tNOP\n");
    Tmp.Write("proj/lib/util.inc", "; util\n");
    Tmp.Write("notes.txt", "à jeter");

    std::string error;
    ASSERT_TRUE(kep::MoveToTrash(Tmp.Path("proj"), &error)) << error;
    ASSERT_TRUE(kep::MoveToTrash(Tmp.Path("notes.txt"), &error)) << error;
    EXPECT_FALSE(Present(Tmp.Path("proj")));
    EXPECT_FALSE(Present(Tmp.Path("notes.txt")));
    EXPECT_EQ(ReadFile(Trash("files/proj/main.asm")), "\tNOP\n");
    EXPECT_EQ(ReadFile(Trash("files/proj/lib/util.inc")), "; util\n");
    EXPECT_EQ(ReadFile(Trash("files/notes.txt")), "à jeter");
    for (const char* dir : {"", "files", "info"})
        EXPECT_EQ(Lstat(Trash(dir)).st_mode & 07777, 0700u) << dir;

    for (const char* name : {"proj", "notes.txt"}) {
        const TTrashInfo info = ReadInfo(Trash(std::string("info/") + name + ".trashinfo"));
        EXPECT_EQ(PercentDecode(info.Path), RealPath(Tmp.Path(name))) << name;
        ExpectRecentDate(info.Date);
    }
    EXPECT_EQ(Names(Trash("info")), (std::vector<std::string>{"notes.txt.trashinfo", "proj.trashinfo"}));
}

TEST_F(MoveToTrashTest, PercentEncodesThePath)
{
    const std::string path = Tmp.Write("mon projet été/a+b%c~d.asm", "x");
    std::string error;
    ASSERT_TRUE(kep::MoveToTrash(path, &error)) << error;
    const TTrashInfo info = ReadInfo(Trash("info/a+b%c~d.asm.trashinfo"));
    EXPECT_NE(info.Path.find("/mon%20projet%20%C3%A9t%C3%A9/a%2Bb%25c~d.asm"), std::string::npos) << info.Path;
    EXPECT_EQ(info.Path.find_first_not_of("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789-._~/%"),
              std::string::npos)
        << info.Path;
    EXPECT_EQ(PercentDecode(info.Path), RealPath(path));
    EXPECT_EQ(ReadFile(Trash("files/a+b%c~d.asm")), "x");
}

TEST_F(MoveToTrashTest, SameNamesGetDistinctNames)
{
    std::string error;
    for (const char* dir : {"one", "two", "three"}) {
        const std::string path = Tmp.Write(std::string(dir) + "/x.txt", dir);
        ASSERT_TRUE(kep::MoveToTrash(path, &error)) << error;
        EXPECT_FALSE(Present(path));
    }
    EXPECT_EQ(Names(Trash("files")), (std::vector<std::string>{"x.txt", "x.txt.2", "x.txt.3"}));
    const std::vector<std::pair<std::string, std::string>> expected = {
        {"x.txt", "one"}, {"x.txt.2", "two"}, {"x.txt.3", "three"}};
    for (const auto& [name, dir] : expected) {
        EXPECT_EQ(ReadFile(Trash("files/" + name)), dir);
        const TTrashInfo info = ReadInfo(Trash("info/" + name + ".trashinfo"));
        EXPECT_EQ(PercentDecode(info.Path), RealPath(Tmp.Path(dir + "/x.txt")));
    }

    // A name taken in "files" whose info file was lost is passed over.
    Tmp.Write("data/Trash/files/y.txt", "orphelin");
    ASSERT_TRUE(kep::MoveToTrash(Tmp.Write("y.txt", "neuf"), &error)) << error;
    EXPECT_EQ(ReadFile(Trash("files/y.txt")), "orphelin");
    EXPECT_EQ(ReadFile(Trash("files/y.txt.2")), "neuf");
    EXPECT_FALSE(Present(Trash("info/y.txt.trashinfo")));
    EXPECT_TRUE(Present(Trash("info/y.txt.2.trashinfo")));
}

TEST_F(MoveToTrashTest, MissingPathFails)
{
    std::string error;
    EXPECT_FALSE(kep::MoveToTrash(Tmp.Path("absent"), &error));
    EXPECT_NE(error.find("n'existe pas"), std::string::npos) << error;
    EXPECT_FALSE(Present(Tmp.Path("data")));
}

TEST_F(MoveToTrashTest, TrailingSlashIsTolerated)
{
    Tmp.Write("dir/a.txt", "a");
    std::string error;
    ASSERT_TRUE(kep::MoveToTrash(Tmp.Path("dir/"), &error)) << error;
    EXPECT_FALSE(Present(Tmp.Path("dir")));
    EXPECT_EQ(ReadFile(Trash("files/dir/a.txt")), "a");
    EXPECT_EQ(PercentDecode(ReadInfo(Trash("info/dir.trashinfo")).Path), RealPath(Tmp.Path("dir")));
}

TEST_F(MoveToTrashTest, LongNamesAreShortened)
{
    const std::string name = std::string(240, 'n') + "\xC3\xA9\xC3\xA9\xC3\xA9.asm";
    const std::string path = WritePlain(Tmp.Path(name), "long");
    std::string error;
    ASSERT_TRUE(kep::MoveToTrash(path, &error)) << error;
    EXPECT_FALSE(Present(path));
    const auto files = Names(Trash("files"));
    ASSERT_EQ(files.size(), 1u);
    EXPECT_LT(files[0].size(), name.size());
    EXPECT_EQ(files[0].rfind(std::string(200, 'n'), 0), 0u);
    EXPECT_EQ(ReadFile(Trash("files/" + files[0])), "long");
    EXPECT_EQ(PercentDecode(ReadInfo(Trash("info/" + files[0] + ".trashinfo")).Path), RealPath(path));
}

// Every case on /dev/shm lives in this one test: they share its top folder.
TEST_F(MoveToTrashTest, TopFolderTrashOnAnotherFileSystem)
{
    const std::string top = "/dev/shm";
    struct stat topSt{}, upSt{}, tmpSt{};
    if (stat(top.c_str(), &topSt) != 0 || stat("/dev", &upSt) != 0 || stat(Tmp.Dir().c_str(), &tmpSt) != 0
        || topSt.st_dev == upSt.st_dev || topSt.st_dev == tmpSt.st_dev || access(top.c_str(), W_OK) != 0)
        GTEST_SKIP() << top << " is not a writable mount apart from the temporary folder";
    const std::string uid = std::to_string(getuid());
    const std::string shared = top + "/.Trash";
    const std::string own = top + "/.Trash-" + uid;
    if (Present(shared))
        GTEST_SKIP() << shared << " exists already and is not ours to change";
    const bool ownExisted = Present(own);
    std::string work = top + "/kep_trash_XXXXXX";
    ASSERT_NE(mkdtemp(work.data()), nullptr);
    const std::string tag = work.substr(work.size() - 6);

    // Only what this test made goes away again.
    std::vector<std::string> made;
    struct TCleanup {
        std::function<void()> Run;
        ~TCleanup() { Run(); }
    } cleanup{[&] {
        std::error_code ec;
        fs::remove_all(work, ec);
        for (const auto& p : made)
            fs::remove_all(p, ec);
        fs::remove_all(shared, ec);
        if (!ownExisted)
            fs::remove_all(own, ec);
    }};
    auto item = [&](const std::string& stem, const std::string& dir) {
        const std::string name = stem + "_" + tag + ".txt";
        fs::create_directories(work + dir);
        EXPECT_TRUE(kep::WriteFileAtomic(work + dir + "/" + name, stem));
        made.push_back(own + "/files/" + name);
        made.push_back(own + "/info/" + name + ".trashinfo");
        return name;
    };
    const std::string rel = work.substr(top.size() + 1);
    std::string error;

    // A shared .Trash without the sticky bit is passed over.
    ASSERT_EQ(mkdir(shared.c_str(), 0777), 0);
    ASSERT_EQ(chmod(shared.c_str(), 0777), 0);
    const std::string a = item("a", "/sub");
    ASSERT_TRUE(kep::MoveToTrash(work + "/sub/" + a, &error)) << error;
    EXPECT_FALSE(Present(work + "/sub/" + a));
    EXPECT_EQ(ReadFile(own + "/files/" + a), "a");
    EXPECT_FALSE(Present(shared + "/" + uid));
    TTrashInfo info = ReadInfo(own + "/info/" + a + ".trashinfo");
    EXPECT_EQ(info.Path, rel + "/sub/" + a);
    ExpectRecentDate(info.Date);
    if (!ownExisted) {
        for (const char* dir : {"", "/files", "/info"})
            EXPECT_EQ(Lstat(own + dir).st_mode & 07777, 0700u) << dir;
    }

    // A sticky one is used, through a folder of the user's own.
    ASSERT_EQ(chmod(shared.c_str(), 01777), 0);
    const std::string b = item("b", "");
    ASSERT_TRUE(kep::MoveToTrash(work + "/" + b, &error)) << error;
    EXPECT_FALSE(Present(work + "/" + b));
    EXPECT_EQ(ReadFile(shared + "/" + uid + "/files/" + b), "b");
    EXPECT_EQ(Lstat(shared + "/" + uid).st_mode & 07777, 0700u);
    EXPECT_EQ(ReadInfo(shared + "/" + uid + "/info/" + b + ".trashinfo").Path, rel + "/" + b);
    EXPECT_FALSE(Present(own + "/files/" + b));

    // A link to a sticky folder is not.
    fs::remove_all(shared);
    ASSERT_EQ(mkdir((work + "/sticky").c_str(), 01777), 0);
    ASSERT_EQ(chmod((work + "/sticky").c_str(), 01777), 0);
    ASSERT_EQ(symlink((work + "/sticky").c_str(), shared.c_str()), 0);
    const std::string c = item("c", "");
    ASSERT_TRUE(kep::MoveToTrash(work + "/" + c, &error)) << error;
    EXPECT_EQ(ReadFile(own + "/files/" + c), "c");
    EXPECT_TRUE(Names(work + "/sticky").empty());
    ASSERT_EQ(unlink(shared.c_str()), 0);

    if (ownExisted)
        return;
    // With no usable trash on its file system the item stays where it is:
    // ".Trash-UID" may be neither a link nor someone else's folder.
    fs::remove_all(own);
    ASSERT_EQ(mkdir((work + "/elsewhere").c_str(), 0700), 0);
    ASSERT_EQ(symlink((work + "/elsewhere").c_str(), own.c_str()), 0);
    const std::string d = item("d", "");
    error.clear();
    EXPECT_FALSE(kep::MoveToTrash(work + "/" + d, &error));
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(ReadFile(work + "/" + d), "d");
    EXPECT_TRUE(Names(work + "/elsewhere").empty());
    ASSERT_EQ(unlink(own.c_str()), 0);
    if (geteuid() == 0) {
        ASSERT_EQ(mkdir(own.c_str(), 0700), 0);
        ASSERT_EQ(chown(own.c_str(), getuid() + 1, static_cast<gid_t>(-1)), 0);
        error.clear();
        EXPECT_FALSE(kep::MoveToTrash(work + "/" + d, &error));
        EXPECT_FALSE(error.empty());
        EXPECT_EQ(ReadFile(work + "/" + d), "d");
        EXPECT_TRUE(Names(own).empty());
    }
}
