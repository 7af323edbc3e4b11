// The packer from the command line, and archives past the format's
// 16- and 32-bit limits.
#include "project/ZipCheck.h"

using namespace kep;
using namespace zipcheck;

namespace {

TEST(ZipKeptoolTest, ZipCommand)
{
    TTestDir d;
    d.Write("MOTEUR/main.asm", "main");
    d.Write("MOTEUR/LIB/IO.INC", "io");
    std::string out;
    const std::string tool = KEPTOOL_PATH;
    EXPECT_EQ(Shell(ShellQuote(tool) + " zip " + ShellQuote(d.Path("MOTEUR/")) + " " + ShellQuote(d.Path("m.zip"))
                      + " 2>&1",
                  &out),
              0);
    EXPECT_NE(out.find("2 fichiers, 6 octets"), std::string::npos) << out;
    CheckArchive(d.Path("m.zip"), {{"MOTEUR/main.asm", "main"}, {"MOTEUR/LIB/IO.INC", "io"}});

    EXPECT_EQ(Shell(ShellQuote(tool) + " zip " + ShellQuote(d.Path("ABSENT")) + " " + ShellQuote(d.Path("a.zip"))
                      + " 2>&1 >/dev/null",
                  &out),
              1);
    EXPECT_NE(out.find(d.Path("ABSENT")), std::string::npos) << out;
    EXPECT_FALSE(std::filesystem::exists(d.Path("a.zip")));
    EXPECT_EQ(Shell(ShellQuote(tool) + " zip " + ShellQuote(d.Path("MOTEUR")) + " "
                      + ShellQuote(d.Path("NOPE/m.zip")) + " 2>&1 >/dev/null",
                  &out),
              1);
    EXPECT_EQ(out.rfind("Error opening " + d.Path("NOPE/m.zip"), 0), 0u) << out;
}

TEST(ZipBigTest, MoreThan65535Entries)
{
    // In memory when possible: making 65,600 files in a disk's temporary
    // folder can take longer than all the rest.
    std::optional<TEnvVar> inMemory;
    if (std::filesystem::is_directory("/dev/shm") && access("/dev/shm", W_OK) == 0)
        inMemory.emplace("TMPDIR", "/dev/shm");
    TTestDir d;
    inMemory.reset();
    const auto t0 = std::chrono::steady_clock::now();
    constexpr int Files = 65600;
    for (int i = 0; i < Files; ++i) {
        const std::string dir = d.Path("P/d" + std::to_string(i / 1000));
        if (i % 1000 == 0)
            std::filesystem::create_directories(dir);
        const int fd = open((dir + "/f" + std::to_string(i)).c_str(), O_CREAT | O_WRONLY, 0644);
        ASSERT_GE(fd, 0);
        close(fd);
    }
    const auto t1 = std::chrono::steady_clock::now();
    const TZipReport r = ZipFolder(d.Path("P"), d.Path("many.zip"), ZipStartRelative(d.Path("P")));
    const auto t2 = std::chrono::steady_clock::now();
    ASSERT_TRUE(r.Ok) << r.Message;
    EXPECT_EQ(r.Entries, std::size_t(Files));
    const TRawArchive raw = ReadRaw(d.Path("many.zip"));
    ASSERT_TRUE(raw.Valid);
    EXPECT_TRUE(raw.HasZip64End);
    EXPECT_EQ(raw.EndCount, 0xFFFF);
    EXPECT_EQ(raw.Count, std::uint64_t(Files));
    CheckHeaders(raw);
    EXPECT_TRUE(UnzipTest(d.Path("many.zip")));
    bool ok = false;
    const auto read = PyRead(d.Path("many.zip"), &ok);
    EXPECT_TRUE(ok);
    EXPECT_EQ(read.size(), std::size_t(Files));
    EXPECT_EQ(read.count("d65/f65599"), 1u);
    const auto t3 = std::chrono::steady_clock::now();
    auto ms = [](auto a, auto b) { return std::chrono::duration_cast<std::chrono::milliseconds>(b - a).count(); };
    std::printf("[ info ] %d files: made %lld ms, packed %lld ms, checked %lld ms\n", Files, (long long)ms(t0, t1),
                (long long)ms(t1, t2), (long long)ms(t2, t3));
}

// One archive past 4 GiB: a sparse file of zeros of more than 4 GiB, and a
// file of random bytes (through the Read seam) that does not shrink, so that
// the entries after it have their local header past 4 GiB.
TEST(ZipBigTest, ArchivePast4GiB)
{
    const char* big = std::getenv("KEP_BIG_TESTS");
    if (!big || std::string(big) != "1")
        GTEST_SKIP() << "KEP_BIG_TESTS=1 to run";
    TTestDir d;
    const std::uint64_t size = (std::uint64_t(4) << 30) + 12345;
    for (const char* n : {"P/zeros.bin", "P/random.bin"})
        ASSERT_EQ(truncate(d.Write(n, "").c_str(), static_cast<off_t>(size)), 0);
    struct stat randomSt{};
    stat(d.Path("P/random.bin").c_str(), &randomSt);
    // Small files until one comes after the random one in the listing.
    std::vector<std::string> after;
    std::uint64_t smallBytes = 0;
    for (int i = 0; i < 64 && std::none_of(after.begin(), after.end(), [](auto& n) { return n[0] == 's'; }); ++i) {
        const std::string text = "petit " + std::to_string(i);
        d.Write("P/s" + std::to_string(i) + ".asm", text);
        smallBytes += text.size();
        after.clear();
        bool seen = false;
        for (const auto& e : std::filesystem::directory_iterator(d.Path("P"))) {
            if (seen)
                after.push_back(e.path().filename().string());
            seen = seen || e.path().filename() == "random.bin";
        }
    }
    TZipOptions options;
    auto state = std::make_shared<std::uint64_t>(88172645463325252ull);
    options.Read = [state, ino = randomSt.st_ino](int fd, char* buf, std::size_t n) -> ssize_t {
        struct stat st{};
        fstat(fd, &st);
        const ssize_t got = read(fd, buf, n);
        for (ssize_t i = 0; st.st_ino == ino && i + 8 <= got; i += 8) {
            *state ^= *state << 13, *state ^= *state >> 7, *state ^= *state << 17;
            std::memcpy(buf + i, state.get(), 8);
        }
        return got;
    };
    const auto t0 = std::chrono::steady_clock::now();
    const TZipReport r = ZipFolder(d.Path("P"), d.Path("big.zip"), ZipStartRelative(d.Path("P")), options);
    const auto t1 = std::chrono::steady_clock::now();
    ASSERT_TRUE(r.Ok) << r.Message;
    EXPECT_EQ(r.Bytes, 2 * size + smallBytes);
    const TRawArchive raw = ReadRaw(d.Path("big.zip"));
    ASSERT_TRUE(raw.Valid);
    EXPECT_TRUE(raw.HasZip64End);
    CheckHeaders(raw);
    std::set<std::string> past;
    for (const TRawEntry& e : raw.Entries) {
        SCOPED_TRACE(e.Name);
        if (e.Name == "zeros.bin" || e.Name == "random.bin") {
            EXPECT_TRUE(e.Zip64);
            EXPECT_EQ(e.SizeC, size);
            EXPECT_EQ(e.NeededL, 45);
        }
        if (e.Offset >= (std::uint64_t(1) << 32)) {
            past.insert(e.Name);
            EXPECT_TRUE(e.Zip64);
        }
    }
    EXPECT_EQ(past, std::set<std::string>(after.begin(), after.end()));
    EXPECT_TRUE(UnzipTest(d.Path("big.zip")));
    bool ok = false;
    const auto read = PyRead(d.Path("big.zip"), &ok);
    EXPECT_TRUE(ok);
    EXPECT_EQ(read.at("zeros.bin").Size, size);
    EXPECT_EQ(read.at("random.bin").Size, size);
    for (const std::string& n : after) {
        if (n[0] == 's') {
            EXPECT_EQ(read.at(n).Content, d.Read("P/" + n));
        }
    }
    const auto t2 = std::chrono::steady_clock::now();
    std::printf("[ info ] archive past 4 GiB: packed %lld ms, checked %lld ms\n",
                (long long)std::chrono::duration_cast<std::chrono::milliseconds>(t1 - t0).count(),
                (long long)std::chrono::duration_cast<std::chrono::milliseconds>(t2 - t1).count());
}

} // namespace
