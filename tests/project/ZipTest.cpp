// The folder packer. Every archive is checked three ways: unzip -t, a read
// back through Python's zipfile, and our own reading of the raw headers.
#include "project/ZipCheck.h"

using namespace kep;
using namespace zipcheck;

namespace {

TEST(ZipStartTest, ThreeNameForms)
{
    EXPECT_EQ(ZipStartRelative("/home/jean/MOTEUR"), 19u);
    EXPECT_EQ(ZipStartRelative("/home/jean/MOTEUR/"), 19u);
    EXPECT_EQ(ZipStartWithFolder("/home/jean/MOTEUR"), 12u);
    EXPECT_EQ(ZipStartWithFolder("/home/jean/MOTEUR/"), 12u);
    EXPECT_EQ(ZipStartWithFolder("MOTEUR"), 1u);
    EXPECT_EQ(ZipStartFullPath("/home/jean/MOTEUR"), 2u);

    TTestDir d;
    const std::string io = d.Write("MOTEUR/LIB/IO.INC", "PORTA\tequ\t5\r\n");
    const std::string main = d.Write("MOTEUR/main.asm", "\tinclude \"LIB/IO.INC\"\r\n\tmovlw\t0x1F\r\n");
    const std::string folder = d.Path("MOTEUR");
    const std::string full = folder.substr(1);
    struct TForm {
        std::size_t Start;
        std::string Prefix;
    } forms[] = {{ZipStartRelative(folder), ""},
                 {ZipStartWithFolder(folder), "MOTEUR/"},
                 {ZipStartFullPath(folder), full + "/"}};
    for (const TForm& f : forms) {
        SCOPED_TRACE(f.Prefix);
        const std::string archive = d.Path("out.zip");
        const TZipReport r = ZipFolder(folder, archive, f.Start);
        ASSERT_TRUE(r.Ok) << r.Message;
        EXPECT_EQ(r.Entries, 2u);
        EXPECT_EQ(r.Bytes, d.Read("MOTEUR/LIB/IO.INC").size() + d.Read("MOTEUR/main.asm").size());
        EXPECT_TRUE(r.Skipped.empty());
        CheckArchive(archive, {{f.Prefix + "LIB/IO.INC", d.Read("MOTEUR/LIB/IO.INC")},
                               {f.Prefix + "main.asm", d.Read("MOTEUR/main.asm")}},
                     {{f.Prefix + "LIB/IO.INC", io}, {f.Prefix + "main.asm", main}});
    }
    // A final "/" on the folder changes nothing.
    const TZipReport r = ZipFolder(folder + "/", d.Path("slash.zip"), ZipStartWithFolder(folder + "/"));
    ASSERT_TRUE(r.Ok) << r.Message;
    CheckArchive(d.Path("slash.zip"), {{"MOTEUR/LIB/IO.INC", d.Read("MOTEUR/LIB/IO.INC")},
                                       {"MOTEUR/main.asm", d.Read("MOTEUR/main.asm")}});
}

TEST(ZipFolderTest, EmptyFoldersAndEmptyFiles)
{
    TTestDir d;
    std::filesystem::create_directories(d.Path("VIDE/A/B"));
    const TZipReport empty = ZipFolder(d.Path("VIDE"), d.Path("vide.zip"), ZipStartRelative(d.Path("VIDE")));
    ASSERT_TRUE(empty.Ok) << empty.Message;
    EXPECT_EQ(empty.Entries, 0u);
    std::string bytes = d.Read("vide.zip");
    ASSERT_EQ(bytes.size(), 22u);
    EXPECT_EQ(bytes, std::string("PK\5\6", 4) + std::string(18, '\0'));
    bool ok = false;
    EXPECT_TRUE(PyRead(d.Path("vide.zip"), &ok).empty());
    EXPECT_TRUE(ok);

    // An empty subfolder gives no entry; an empty file gives one of its own.
    d.Write("P/zero.asm", "");
    d.Write("P/un.asm", "x");
    std::filesystem::create_directories(d.Path("P/VIDE"));
    const TZipReport r = ZipFolder(d.Path("P"), d.Path("p.zip"), ZipStartRelative(d.Path("P")));
    ASSERT_TRUE(r.Ok) << r.Message;
    EXPECT_EQ(r.Entries, 2u);
    EXPECT_EQ(r.Bytes, 1u);
    CheckArchive(d.Path("p.zip"), {{"zero.asm", ""}, {"un.asm", "x"}});
    for (const TRawEntry& e : ReadRaw(d.Path("p.zip")).Entries) {
        if (e.Name != "zero.asm")
            continue;
        EXPECT_EQ(e.CrcC, 0u);
        EXPECT_EQ(e.SizeC, 0u);
        EXPECT_EQ(e.SizeL, 0u);
        // The empty deflate stream: one final empty block.
        EXPECT_EQ(e.CompC, 2u);
    }
}

TEST(ZipFolderTest, ReplacesAnExistingArchive)
{
    TTestDir d;
    d.Write("OLD/ancien.asm", "ancien");
    d.Write("OLD/autre.inc", "autre");
    ASSERT_TRUE(ZipFolder(d.Path("OLD"), d.Path("out.zip"), ZipStartRelative(d.Path("OLD"))).Ok);
    d.Write("NEW/nouveau.asm", "nouveau");
    chmod(d.Path("out.zip").c_str(), 0600);
    const mode_t old = umask(027);
    const TZipReport r = ZipFolder(d.Path("NEW"), d.Path("out.zip"), ZipStartRelative(d.Path("NEW")));
    umask(old);
    ASSERT_TRUE(r.Ok) << r.Message;
    CheckArchive(d.Path("out.zip"), {{"nouveau.asm", "nouveau"}});
    struct stat st{};
    ASSERT_EQ(stat(d.Path("out.zip").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    EXPECT_TRUE(Hidden(d.Dir()).empty());
}

TEST(ZipFolderTest, Utf8FlagOnlyOnUtf8Names)
{
    TTestDir d;
    d.Write("P/Épreuve/données é.asm", "; été\n");
    d.Write("P/ascii.asm", "; plain\n");
    d.Write(std::string("P/caf\xE9.asm"), "latin-1 name\n");
    const TZipReport r = ZipFolder(d.Path("P"), d.Path("out.zip"), ZipStartRelative(d.Path("P")));
    ASSERT_TRUE(r.Ok) << r.Message;
    EXPECT_TRUE(UnzipTest(d.Path("out.zip")));
    bool ok = false;
    const auto read = PyRead(d.Path("out.zip"), &ok);
    ASSERT_TRUE(ok);
    ASSERT_EQ(read.size(), 3u);
    EXPECT_EQ(read.at("Épreuve/données é.asm").Content, "; été\n");
    EXPECT_EQ(read.at("ascii.asm").Content, "; plain\n");
    EXPECT_EQ(read.at("caf\xE9.asm").Content, "latin-1 name\n");
    const TRawArchive raw = ReadRaw(d.Path("out.zip"));
    ASSERT_TRUE(raw.Valid);
    ASSERT_EQ(raw.Entries.size(), 3u);
    for (const TRawEntry& e : raw.Entries) {
        SCOPED_TRACE(e.Name);
        const std::uint16_t want = e.Name == "Épreuve/données é.asm" ? 0x802 : 2;
        EXPECT_EQ(e.FlagL, want);
        EXPECT_EQ(e.FlagC, want);
        EXPECT_EQ(e.NameL, e.Name);
        EXPECT_EQ(e.Internal, 0);
    }
}

TEST(ZipFolderTest, EveryReaderExtractsTheNamesAndModesAsTheyWere)
{
    TTestDir d;
    const std::set<std::string> names{"été.asm", "Épreuve/données é.asm", "ascii.inc"};
    for (const std::string& n : names)
        d.Write("P/" + n, n);
    chmod(d.Path("P/ascii.inc").c_str(), 0640);
    chmod(d.Path("P/été.asm").c_str(), 0755);
    const std::string archive = d.Path("p.zip");
    const TZipReport r = ZipFolder(d.Path("P"), archive, ZipStartRelative(d.Path("P")));
    ASSERT_TRUE(r.Ok) << r.Message;
    const std::string a = ShellQuote(archive);
    // Info-ZIP in the C locale too: it converts names by the host that
    // made the entry, not by the locale. bsdtar needs a UTF-8 locale.
    struct TReader {
        const char* Name;
        std::string Command; // extracts into the current folder
    } readers[] = {{"unzip", "LC_ALL=C unzip -qq " + a},
                   {"python", "python3 -m zipfile -e " + a + " ."},
                   {"bsdtar", "LC_ALL=C.UTF-8 bsdtar -xf " + a}};
    for (const TReader& reader : readers) {
        SCOPED_TRACE(reader.Name);
        if (std::string(reader.Name) == "bsdtar" && Shell("command -v bsdtar >/dev/null") != 0) {
            std::printf("[ info ] bsdtar missing (apt-get install libarchive-tools): not checked\n");
            continue;
        }
        const std::string out = d.Path(std::string("x_") + reader.Name);
        std::filesystem::create_directories(out);
        ASSERT_EQ(Shell("cd " + ShellQuote(out) + " && " + reader.Command + " 2>&1"), 0);
        EXPECT_EQ(FilesUnder(out), names);
        for (const std::string& n : names)
            EXPECT_EQ(d.Read(std::string("x_") + reader.Name + "/" + n), n) << n;
        if (std::string(reader.Name) == "unzip") {
            struct stat st{};
            ASSERT_EQ(stat((out + "/ascii.inc").c_str(), &st), 0);
            EXPECT_EQ(st.st_mode & 07777, 0640u);
            ASSERT_EQ(stat((out + "/été.asm").c_str(), &st), 0);
            EXPECT_EQ(st.st_mode & 07777, 0755u);
        }
    }
}

// Runs `f` in a child process without the power of root over files, so
// that a mode of 000 really keeps a file from being read; its exit code.
template <class F>
int AsOrdinaryUser(const std::string& dir, F f)
{
    const pid_t pid = fork();
    if (pid == 0) {
        if (geteuid() == 0) {
            // Everyone may walk and write the test folder; the file system
            // uid of an ordinary user drops root's file capabilities.
            std::filesystem::permissions(dir, std::filesystem::perms::all);
            setfsuid(65534);
        }
        _exit(f());
    }
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(ZipFolderTest, UnreadableFilesAndFoldersAreLeftOutAndTold)
{
    TTestDir d;
    d.Write("P/a.asm", "a");
    const std::string secret = d.Write("P/secret.inc", "secret");
    d.Write("P/FERME/x.asm", "x");
    d.Write("P/z.asm", "z");
    d.Write("p.zip", "older archive");
    chmod(secret.c_str(), 0);
    chmod(d.Path("P/FERME").c_str(), 0);
    const std::string archive = d.Path("p.zip");
    const std::string expected = "L'archive " + archive + " a été créée, mais elle n'est pas complète : ces 2 éléments "
        "n'ont pu être lus et n'y sont pas :";
    const int code = AsOrdinaryUser(d.Dir(), [&] {
        const TZipReport r = ZipFolder(d.Path("P"), archive, ZipStartRelative(d.Path("P")));
        const std::set<std::string> lines{"  " + secret + " : lecture non permise (droits insuffisants)",
                                          "  " + d.Path("P/FERME") + " (dossier) : lecture non permise (droits insuffisants)"};
        std::istringstream text(r.Message);
        std::string first, line;
        std::getline(text, first);
        std::set<std::string> got;
        while (std::getline(text, line))
            got.insert(line);
        if (r.Ok || !r.Created || r.Entries != 2 || r.Unreadable.size() != 2)
            return 1;
        if (first != expected || got != lines) {
            std::fprintf(stderr, "%s\n", r.Message.c_str());
            return 2;
        }
        return 0;
    });
    chmod(d.Path("P/FERME").c_str(), 0755);
    EXPECT_EQ(code, 0);
    // The rest is there, replacing the older archive.
    CheckArchive(archive, {{"a.asm", "a"}, {"z.asm", "z"}});
    EXPECT_TRUE(Hidden(d.Dir()).empty());
}

TEST(ZipFolderTest, AFileFailingHalfWayIsLeftOutWhole)
{
    TTestDir d;
    d.Write("P/a.asm", "a");
    const std::string bad = d.Write("P/SUB/bad.asm", std::string(600000, 'b'));
    const std::string first = d.Write("P/SUB/first.bin", "first");
    d.Write("P/z.asm", "z");
    d.Write("older.zip", "older archive");
    struct stat st{}, fst{};
    stat(bad.c_str(), &st);
    stat(first.c_str(), &fst);
    // The second read of bad.asm fails, after a part of it was packed; the
    // first read of first.bin fails.
    auto calls = std::make_shared<int>(0);
    TZipOptions options;
    options.Read = [calls, ino = st.st_ino, firstIno = fst.st_ino](int fd, char* buf, std::size_t size) -> ssize_t {
        struct stat s{};
        fstat(fd, &s);
        if ((s.st_ino == ino && ++*calls == 2) || s.st_ino == firstIno)
            return errno = EIO, -1;
        return read(fd, buf, size);
    };
    const TZipReport r = ZipFolder(d.Path("P"), d.Path("older.zip"), ZipStartRelative(d.Path("P")), options);
    EXPECT_FALSE(r.Ok);
    EXPECT_TRUE(r.Created);
    EXPECT_EQ(r.Entries, 2u);
    EXPECT_EQ(r.Bytes, 2u);
    const std::string reason = " : erreur d'entrée-sortie du disque";
    EXPECT_NE(r.Message.find("\n  " + bad + reason), std::string::npos) << r.Message;
    EXPECT_NE(r.Message.find("\n  " + first + reason), std::string::npos) << r.Message;
    EXPECT_EQ(r.Message.rfind("L'archive " + d.Path("older.zip") + " a été créée, mais elle n'est pas complète", 0), 0u);
    // No trace of the half-read file: the archive is only the rest.
    CheckArchive(d.Path("older.zip"), {{"a.asm", "a"}, {"z.asm", "z"}});
    EXPECT_TRUE(Hidden(d.Dir()).empty());
}

TEST(ZipFolderTest, ArchiveThatCannotBeCreatedOrRenamed)
{
    TTestDir d;
    d.Write("P/a.asm", "a");
    const std::string missing = d.Path("NOPE/out.zip");
    const TZipReport r = ZipFolder(d.Path("P"), missing, ZipStartRelative(d.Path("P")));
    EXPECT_FALSE(r.Ok);
    EXPECT_EQ(r.Message, "Error opening " + missing + "\nCréation impossible de l'archive " + missing
                             + " : No such file or directory");
    EXPECT_FALSE(std::filesystem::exists(d.Path("NOPE")));

    // The name of a folder, or no name: refused before anything is packed.
    std::filesystem::create_directories(d.Path("dir.zip/inside"));
    int packed = 0;
    TZipOptions count;
    count.Progress = [&packed](const std::string&, std::uint64_t) { ++packed; };
    const TZipReport r2 = ZipFolder(d.Path("P"), d.Path("dir.zip"), ZipStartRelative(d.Path("P")), count);
    EXPECT_FALSE(r2.Ok);
    EXPECT_EQ(r2.Message, "Error opening " + d.Path("dir.zip")
                              + "\nL'archive ne peut pas prendre le nom du dossier existant " + d.Path("dir.zip") + ".");
    EXPECT_TRUE(std::filesystem::is_directory(d.Path("dir.zip/inside")));
    const TZipReport r4 = ZipFolder(d.Path("P"), "", ZipStartRelative(d.Path("P")), count);
    EXPECT_EQ(r4.Message, "Error opening \nLe nom de l'archive est vide.");
    const TZipReport r5 = ZipFolder(d.Path("P"), d.Path("x/"), ZipStartRelative(d.Path("P")), count);
    EXPECT_FALSE(r5.Ok);
    EXPECT_EQ(packed, 0);
    EXPECT_TRUE(Hidden(d.Dir()).empty());

    // A folder that is not there.
    const TZipReport r3 = ZipFolder(d.Path("ABSENT"), d.Path("x.zip"), 1);
    EXPECT_FALSE(r3.Ok);
    EXPECT_NE(r3.Message.find("No such file or directory"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(d.Path("x.zip")));
}

TEST(ZipFolderTest, WriteFailureOfTheArchive)
{
    TTestDir d;
    // Random bytes: they do not shrink, so the archive passes the limit.
    std::string data(1 << 20, '\0');
    std::uint64_t x = 88172645463325252ull;
    for (char& c : data) {
        x ^= x << 13;
        x ^= x >> 7;
        x ^= x << 17;
        c = static_cast<char>(x);
    }
    d.Write("P/big.bin", data);
    d.Write("P/small.asm", "small");
    const std::string archive = d.Path("out.zip");
    const pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        signal(SIGXFSZ, SIG_IGN);
        rlimit lim{256 * 1024, 256 * 1024};
        setrlimit(RLIMIT_FSIZE, &lim);
        const TZipReport r = ZipFolder(d.Path("P"), archive, ZipStartRelative(d.Path("P")));
        const bool expected = r.Message.find("Écriture impossible dans " + archive + " : File too large")
                != std::string::npos
            && r.Message.find("n'a pas été créée.") != std::string::npos;
        _exit(r.Ok ? 0 : expected ? 1 : 2);
    }
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 1);
    EXPECT_FALSE(std::filesystem::exists(archive));
    EXPECT_TRUE(Hidden(d.Dir()).empty());
}

TEST(ZipFolderTest, ArchiveInsideTheFolderIsNotPacked)
{
    TTestDir d;
    d.Write("P/a.asm", "a");
    d.Write("P/SUB/b.asm", "b");
    const std::string archive = d.Path("P/SUB/p.zip");
    for (int run = 0; run < 2; ++run) {
        SCOPED_TRACE(run);
        // The second run also meets the first run's archive.
        const TZipReport r = ZipFolder(d.Path("P"), archive, ZipStartRelative(d.Path("P")));
        ASSERT_TRUE(r.Ok) << r.Message;
        EXPECT_EQ(r.Entries, 2u);
        EXPECT_TRUE(r.Skipped.empty());
        CheckArchive(archive, {{"a.asm", "a"}, {"SUB/b.asm", "b"}});
    }
    EXPECT_TRUE(Hidden(d.Path("P/SUB")).empty());
}

TEST(ZipFolderTest, LinksFifosAndSockets)
{
    TTestDir d;
    d.Write("P/real.asm", "real");
    d.Write("P/SUB/deep.inc", "deep");
    d.Write("outside.asm", "outside");
    const std::string p = d.Path("P");
    ASSERT_EQ(symlink("real.asm", (p + "/link.asm").c_str()), 0);
    ASSERT_EQ(symlink("../real.asm", (p + "/SUB/up.asm").c_str()), 0);
    ASSERT_EQ(symlink(d.Path("outside.asm").c_str(), (p + "/out.asm").c_str()), 0);
    ASSERT_EQ(symlink("SUB", (p + "/dirlink").c_str()), 0);
    ASSERT_EQ(symlink("nowhere.asm", (p + "/dangling.asm").c_str()), 0);
    ASSERT_EQ(mkfifo((p + "/fifo").c_str(), 0600), 0);
    const int sock = socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    const std::string sockPath = p + "/sock";
    ASSERT_LT(sockPath.size(), sizeof addr.sun_path);
    std::strcpy(addr.sun_path, sockPath.c_str());
    ASSERT_EQ(bind(sock, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);

    const TZipReport r = ZipFolder(p, d.Path("out.zip"), ZipStartRelative(p));
    close(sock);
    ASSERT_TRUE(r.Ok) << r.Message;
    CheckArchive(d.Path("out.zip"), {{"real.asm", "real"}, {"link.asm", "real"}, {"SUB/deep.inc", "deep"},
                                     {"SUB/up.asm", "real"}});
    const std::set<std::string> skipped(r.Skipped.begin(), r.Skipped.end());
    EXPECT_EQ(skipped, (std::set<std::string>{p + "/out.asm", p + "/dirlink", p + "/dangling.asm", p + "/fifo",
                                              p + "/sock"}));
    EXPECT_EQ(r.Entries, 4u);
}

TEST(ZipFolderTest, VanishedFilesAndProgress)
{
    TTestDir d;
    d.Write("P/a.asm", "a");
    d.Write("P/b.asm", "b");
    d.Write("P/c.asm", std::string(9 << 20, 'c'));
    // The first file met removes the others, already listed.
    std::vector<std::pair<std::string, std::uint64_t>> calls;
    TZipOptions options;
    options.Progress = [&](const std::string& path, std::uint64_t done) {
        if (calls.empty())
            for (const char* n : {"a.asm", "b.asm"})
                if (path != d.Path(std::string("P/") + n))
                    std::filesystem::remove(d.Path(std::string("P/") + n));
        calls.emplace_back(path, done);
    };
    const TZipReport r = ZipFolder(d.Path("P"), d.Path("out.zip"), ZipStartRelative(d.Path("P")), options);
    ASSERT_TRUE(r.Ok) << r.Message;
    ASSERT_FALSE(calls.empty());
    const std::string first = calls.front().first;
    EXPECT_EQ(calls.front().second, 0u);
    if (first == d.Path("P/c.asm")) {
        EXPECT_EQ(r.Skipped.size(), 2u);
        EXPECT_EQ(r.Entries, 1u);
    } else {
        EXPECT_EQ(r.Skipped, std::vector<std::string>{first == d.Path("P/a.asm") ? d.Path("P/b.asm") : d.Path("P/a.asm")});
        EXPECT_EQ(r.Entries, 2u);
    }
    // The 9 MiB file: once before, then at least twice while read.
    std::vector<std::uint64_t> big;
    for (const auto& [path, done] : calls)
        if (path == d.Path("P/c.asm"))
            big.push_back(done);
    ASSERT_GE(big.size(), 3u);
    EXPECT_EQ(big[0], 0u);
    for (std::size_t i = 1; i < big.size(); ++i)
        EXPECT_GT(big[i], big[i - 1]);
    EXPECT_EQ(r.Bytes, (9u << 20) + (r.Entries == 2 ? 1u : 0u));
    EXPECT_TRUE(UnzipTest(d.Path("out.zip")));
}

TEST(ZipFolderTest, LongPathsKeptWhole)
{
    TTestDir d;
    std::string rel = "P";
    for (int i = 0; i < 6; ++i)
        rel += "/" + std::string(50, char('a' + i));
    rel += "/fichier_au_nom_long.asm";
    const std::string path = d.Write(rel, "long");
    ASSERT_GT(path.size(), 300u);
    const TZipReport r = ZipFolder(d.Path("P"), d.Path("out.zip"), ZipStartFullPath(d.Path("P")));
    ASSERT_TRUE(r.Ok) << r.Message;
    CheckArchive(d.Path("out.zip"), {{path.substr(1), "long"}});
}

TEST(ZipFolderTest, DosTimes)
{
    TEnvVar tz("TZ", "Europe/Paris");
    // 2023-07-14 08:31:17 UTC: 10:31:17 summer time, stored as 10:31:16.
    EXPECT_EQ(DosDateTime(1689323477), (43u << 25) | (7u << 21) | (14u << 16) | (10u << 11) | (31u << 5) | 8u);
    // 2024-01-15 08:00:00 UTC: 09:00 winter time.
    EXPECT_EQ(DosDateTime(1705305600), (44u << 25) | (1u << 21) | (15u << 16) | (9u << 11));
    const std::uint32_t first = (1u << 21) | (1u << 16);
    const std::uint32_t last = (127u << 25) | (12u << 21) | (31u << 16) | (23u << 11) | (59u << 5) | 29u;
    EXPECT_EQ(DosDateTime(0), first);
    EXPECT_EQ(DosDateTime(-100000000), first);
    // 1979-12-31 23:59:59 local is still before 1980.
    EXPECT_EQ(DosDateTime(315529199), first);
    EXPECT_EQ(DosDateTime(315529200), first); // 1980-01-01 00:00:00 local
    EXPECT_EQ(DosDateTime(315529203), first | 1u);
    EXPECT_EQ(DosDateTime(4354815599), last); // 2107-12-31 23:59:59 local (UTC+1)
    EXPECT_EQ(DosDateTime(4354815600), last); // 2108
    EXPECT_EQ(DosDateTime(std::int64_t(1) << 60), last);

    TTestDir d;
    const std::string a = d.Write("P/ete.asm", "a");
    const std::string b = d.Write("P/vieux.asm", "b");
    const std::string c = d.Write("P/futur.asm", "c");
    Touch(a, 1689323477);
    Touch(b, 86400 * 365);
    Touch(c, 4354815600 + 86400 * 400);
    const TZipReport r = ZipFolder(d.Path("P"), d.Path("out.zip"), ZipStartRelative(d.Path("P")));
    ASSERT_TRUE(r.Ok) << r.Message;
    EXPECT_TRUE(UnzipTest(d.Path("out.zip")));
    bool ok = false;
    const auto read = PyRead(d.Path("out.zip"), &ok);
    ASSERT_TRUE(ok);
    auto time = [&](const std::string& n) {
        const int* t = read.at(n).Time;
        return std::vector<int>(t, t + 6);
    };
    EXPECT_EQ(time("ete.asm"), (std::vector<int>{2023, 7, 14, 10, 31, 16}));
    EXPECT_EQ(time("vieux.asm"), (std::vector<int>{1980, 1, 1, 0, 0, 0}));
    EXPECT_EQ(time("futur.asm"), (std::vector<int>{2107, 12, 31, 23, 59, 58}));
    const TRawArchive raw = ReadRaw(d.Path("out.zip"));
    CheckHeaders(raw);
    for (const TRawEntry& e : raw.Entries) {
        if (e.Name == "ete.asm") {
            EXPECT_EQ(e.DosL, DosDateTime(1689323477));
        }
    }
}

} // namespace
