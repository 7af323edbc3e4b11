// Reading and writing files: byte-for-byte round trips, code pages, line-end
// cleaning and saves that never lose the original.
#include "editor/TextBuffer.h"
#include "platform/FileIo.h"

#include "support/TestDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

void WriteBytes(const std::string& path, std::string_view bytes)
{
    std::ofstream f(path, std::ios::binary);
    f.write(bytes.data(), std::streamsize(bytes.size()));
}

std::string ReadBytes(const std::string& path)
{
    std::string s;
    EXPECT_TRUE(kep::ReadWholeFile(path, s));
    return s;
}

// Sets the process's working directory for a scope, then puts it back.
class TWorkingDir {
public:
    explicit TWorkingDir(const std::string& dir)
        : Old_(fs::current_path())
    {
        fs::current_path(dir);
    }
    ~TWorkingDir()
    {
        std::error_code ec;
        fs::current_path(Old_, ec);
    }
    TWorkingDir(const TWorkingDir&) = delete;
    TWorkingDir& operator=(const TWorkingDir&) = delete;

private:
    fs::path Old_;
};

std::vector<std::string> Lines(const TTextBuffer& b)
{
    std::vector<std::string> out;
    for (int i = 0; i < b.LineCount(); ++i)
        out.push_back(b.GetLine(i));
    return out;
}

} // namespace

TEST(TextBufferFiles, LineBreaksAndRoundTrips)
{
    TTestDir dir;
    struct Case {
        std::string bytes;
        std::vector<std::string> lines;
        std::string saved; // what a save writes back
    };
    const std::vector<Case> cases = {
        {"", {""}, ""},
        {"a\r\nb\r\n", {"a", "b", ""}, "a\r\nb\r\n"},
        {"a\r\nb", {"a", "b"}, "a\r\nb"},
        {"a\nb\n", {"a", "b", ""}, "a\r\nb\r\n"},
        {"a\rb\rc", {"a", "b", "c"}, "a\r\nb\r\nc"},
        {"a\n\rb", {"a", "", "b"}, "a\r\n\r\nb"},
        {"ab\0cd\r\nef", {"ab"}, "ab"},
        {"\xE9t\xE9\r\n\xFF", {"\xE9t\xE9", "\xFF"}, "\xE9t\xE9\r\n\xFF"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.bytes));
        const std::string in = dir.Path("in.asm"), out = dir.Path("out.asm");
        WriteBytes(in, c.bytes);
        TTextBuffer b;
        ASSERT_TRUE(b.LoadFromFile(in));
        EXPECT_EQ(Lines(b), c.lines);
        EXPECT_FALSE(b.Modified());
        ASSERT_TRUE(b.SaveFile(out));
        EXPECT_EQ(ReadBytes(out), c.saved);
    }
}

TEST(TextBufferFiles, MissingFileLeavesTextAlone)
{
    TTextBuffer b;
    b.SetAllText("keep");
    EXPECT_FALSE(b.LoadFromFile("/nonexistent/kep/file.asm"));
    EXPECT_EQ(b.GetAllText(), "keep");
}

TEST(TextBufferFiles, OemFilesConvertBothWays)
{
    TTestDir dir;
    // "é" is 0x82 in code page 850 and 0xE9 in Windows-1252; "ü" 0x81 / 0xFC.
    const std::string oem = "\x82t\x82\r\n\x81";
    const std::string path = dir.Path("oem.asm");
    WriteBytes(path, oem);
    TTextBuffer b;
    b.OemFile = true;
    ASSERT_TRUE(b.LoadFromFile(path));
    EXPECT_EQ(b.GetLine(0), "\xE9t\xE9");
    EXPECT_EQ(b.GetLine(1), "\xFC");
    ASSERT_TRUE(b.SaveFile(path));
    EXPECT_EQ(ReadBytes(path), oem);
}

// Every byte value but NUL and the line ends, once per line between two
// letters (so that line-end cleaning has nothing to strip) and all together.
std::string EveryByteFile()
{
    std::string text, all;
    for (unsigned v = 1; v < 256; ++v) {
        if (v == '\r' || v == '\n')
            continue;
        text += "x" + std::string(1, char(v)) + "x\r\n";
        all += char(v);
    }
    return text + all + "x";
}

TEST(TextBufferFiles, EveryByteValueComesBackFromOemAndAnsiFiles)
{
    const std::string original = EveryByteFile();
    for (const bool oem : {true, false}) {
        for (const bool edit : {false, true}) {
            SCOPED_TRACE(std::string(oem ? "OEM" : "ANSI") + (edit ? ", edited" : ""));
            TTestDir dir;
            const std::string path = dir.Path("all.asm");
            WriteBytes(path, original);
            TTextBuffer b;
            b.OemFile = oem;
            ASSERT_TRUE(b.LoadFromFile(path));
            if (edit) {
                // One letter typed on the last line; the others stay as read.
                b.SetCaret(TTextPos{b.LineCount() - 1, std::int32_t(b.GetLine(b.LineCount() - 1).size()) + 1});
                b.TypeChar('!');
            }
            ASSERT_TRUE(b.SaveFile(path));
            EXPECT_EQ(ReadBytes(path), original + (edit ? "!" : ""));
        }
    }
}

TEST(TextBufferFiles, NulBytesAreKeptAndTheTextStaysReadOnly)
{
    using namespace std::string_literals;
    for (const bool oem : {false, true}) {
        SCOPED_TRACE(oem ? "OEM" : "ANSI");
        TTestDir dir;
        // NULs inside a line, at a line's end (CleanEol would take it), alone
        // on a line and last; "\xB0" differs between the pages.
        const std::string original = "ab\0cd\r\nef \0\r\n\0\r\n\xB0\0"s;
        const std::string path = dir.Path("nul.asm");
        WriteBytes(path, original);
        TTextBuffer b;
        b.OemFile = oem;
        b.CleanEol = true;
        ASSERT_TRUE(b.LoadFromFile(path));
        EXPECT_TRUE(b.HoldsNul());
        EXPECT_TRUE(b.ReadOnly);
        EXPECT_FALSE(b.Modified());
        ASSERT_EQ(b.LineCount(), 4);
        EXPECT_EQ(b.GetLine(0), "ab\0cd"s);
        EXPECT_EQ(b.GetLine(1), "ef \0"s);
        EXPECT_EQ(b.GetLine(2), "\0"s);
        EXPECT_EQ(b.GetLine(3).size(), 2u);
        b.TypeChar('y');
        EXPECT_EQ(b.GetLine(0), "ab\0cd"s);

        // Saved under another name, byte for byte.
        const std::string copy = dir.Path("copy.asm");
        ASSERT_TRUE(b.SaveFile(copy));
        EXPECT_EQ(ReadBytes(copy), original);
        EXPECT_EQ(b.GetLine(1), "ef \0"s);

        // A text without NUL loaded next is an ordinary one again.
        WriteBytes(path, "plain\r\n");
        b.ReadOnly = false;
        ASSERT_TRUE(b.LoadFromFile(path));
        EXPECT_FALSE(b.HoldsNul());
        EXPECT_FALSE(b.ReadOnly);
    }
}

TEST(TextBufferFiles, SetAllTextStillEndsAtANul)
{
    using namespace std::string_literals;
    TTextBuffer b;
    b.SetAllText("ab\0cd\r\nef"s);
    EXPECT_EQ(b.GetAllText(), "ab");
    EXPECT_FALSE(b.HoldsNul());
    b.SetAllText("x\r\0y"s);
    EXPECT_EQ(b.LineCount(), 2);
    EXPECT_EQ(b.GetAllText(), "x\r\n");
}

TEST(TextBufferFiles, ReadOnlyFileMakesTheBufferReadOnly)
{
    TTestDir dir;
    const std::string path = dir.Path("ro.asm");
    WriteBytes(path, "x");
    chmod(path.c_str(), 0444);
    TTextBuffer b;
    ASSERT_TRUE(b.LoadFromFile(path));
    EXPECT_TRUE(b.ReadOnly);
    b.TypeChar('y');
    EXPECT_EQ(b.GetAllText(), "x");
    // A read-only file is not replaced, and the failure is reported.
    std::string error;
    EXPECT_FALSE(b.SaveToFile(path, &error));
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(ReadBytes(path), "x");
}

TEST(TextBufferFiles, FailedSaveKeepsTheOriginal)
{
    TTestDir dir;
    const std::string path = dir.Path("src.asm");
    WriteBytes(path, "original\r\n");
    TTextBuffer b;
    ASSERT_TRUE(b.LoadFromFile(path));
    b.SetAllText(std::string(20000, 'X'));
    // A disk that fills up half-way through the write: the file size limit
    // makes the write fail whatever the user's rights.
    struct rlimit old{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
    auto oldHandler = signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = old;
    small.rlim_cur = 4096;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    std::string error;
    const bool saved = b.SaveFile(path, &error);
    setrlimit(RLIMIT_FSIZE, &old);
    signal(SIGXFSZ, oldHandler);
    EXPECT_FALSE(saved);
    EXPECT_FALSE(error.empty());
    EXPECT_TRUE(b.Modified());
    EXPECT_EQ(ReadBytes(path), "original\r\n");
    // Nothing but the original is left in the folder.
    std::vector<std::string> names;
    for (auto& e : fs::directory_iterator(dir.Dir()))
        names.push_back(e.path().filename().string());
    EXPECT_EQ(names, std::vector<std::string>{"src.asm"});
}

TEST(TextBufferFiles, SaveKeepsPermissionsAndSymbolicLinks)
{
    TTestDir dir;
    const std::string target = dir.Path("real.asm");
    const std::string link = dir.Path("link.asm");
    WriteBytes(target, "old");
    chmod(target.c_str(), 0640);
    fs::create_symlink("real.asm", link);
    TTextBuffer b;
    ASSERT_TRUE(b.LoadFromFile(link));
    b.SetAllText("new text");
    ASSERT_TRUE(b.SaveFile(link));
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(ReadBytes(target), "new text");
    struct stat st{};
    ASSERT_EQ(stat(target.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
    // No temporary file is left behind.
    int entries = 0;
    for (auto& e : fs::directory_iterator(dir.Dir())) {
        (void)e;
        ++entries;
    }
    EXPECT_EQ(entries, 2);
}

TEST(TextBufferFiles, SaveThroughADanglingLinkCreatesItsTargetBesideIt)
{
    // A relative link target is relative to the link's folder, never to the
    // folder the program runs from.
    TTestDir dir, elsewhere;
    fs::create_directory(dir.Path("sub"));
    fs::create_symlink("target.txt", dir.Path("sub/link"));
    {
        TWorkingDir cwd(elsewhere.Dir());
        TTextBuffer b;
        b.SetAllText("first");
        ASSERT_TRUE(b.SaveFile(dir.Path("sub/link")));
    }
    EXPECT_TRUE(fs::is_symlink(dir.Path("sub/link")));
    EXPECT_EQ(ReadBytes(dir.Path("sub/target.txt")), "first");
    EXPECT_TRUE(fs::is_empty(elsewhere.Dir()));
    EXPECT_FALSE(fs::exists(dir.Path("target.txt")));

    // The link named by a relative path, from the folder above it.
    fs::remove(dir.Path("sub/target.txt"));
    {
        TWorkingDir cwd(dir.Dir());
        TTextBuffer b;
        b.SetAllText("second");
        ASSERT_TRUE(b.SaveFile("sub/link"));
    }
    EXPECT_TRUE(fs::is_symlink(dir.Path("sub/link")));
    EXPECT_EQ(ReadBytes(dir.Path("sub/target.txt")), "second");
    EXPECT_FALSE(fs::exists(dir.Path("target.txt")));
}

TEST(TextBufferFiles, CleanEolStripsTrailingBlanksAndKeepsUndo)
{
    TTestDir dir;
    const std::string path = dir.Path("clean.asm");
    TTextBuffer b;
    b.SetAllText("a \t\r\nb\r\nc  ");
    b.MarkSaved();
    b.SetCaret({2, 4});
    b.TypeChar('d'); // "c  d"
    b.SetCaret({0, 4});
    ASSERT_TRUE(b.SaveFile(path));
    EXPECT_EQ(ReadBytes(path), "a\r\nb\r\nc  d");
    EXPECT_EQ(b.Caret(), (TTextPos{0, 2}));
    EXPECT_FALSE(b.Modified());
    // Undo first restores the blanks, then removes the typed letter: every
    // record still finds its text.
    b.Undo();
    EXPECT_EQ(b.GetAllText(), "a \t\r\nb\r\nc  d");
    EXPECT_TRUE(b.Modified());
    b.Undo();
    EXPECT_EQ(b.GetAllText(), "a \t\r\nb\r\nc  ");

    TTextBuffer keep;
    keep.CleanEol = false;
    keep.SetAllText("x  ");
    ASSERT_TRUE(keep.SaveFile(path));
    EXPECT_EQ(ReadBytes(path), "x  ");
}

TEST(TextBufferFiles, CleanEolStripsPlainSpacesAndControlCharacters)
{
    TTestDir dir;
    const std::string path = dir.Path("spaces.asm");
    struct Case {
        std::string text, saved;
    };
    const std::vector<Case> cases = {
        {"nop   ", "nop"},                                           // the only line to clean
        {"a\r\nb  \r\nc", "a\r\nb\r\nc"},                       // between clean lines
        {"x\t\r\ny\r\nz ", "x\r\ny\r\nz"},                     // after a line ending in a tab
        {"  \r\nk\x1F", "\r\nk"},                                 // blanks only, then a control character
        {" mov a,b ; b \x01 \r\n  end", " mov a,b ; b\r\n  end"}, // leading blanks stay
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.text));
        TTextBuffer b;
        b.SetAllText(c.text);
        b.MarkSaved();
        ASSERT_TRUE(b.SaveFile(path));
        EXPECT_EQ(ReadBytes(path), c.saved);
        EXPECT_EQ(b.GetAllText(), c.saved);
        EXPECT_FALSE(b.Modified());
        b.Undo();
        EXPECT_EQ(b.GetAllText(), c.text);
    }
}

TEST(TextBufferFiles, LoadingClearsTheHistoryOfThePreviousText)
{
    TTestDir dir;
    const std::string path = dir.Path("two.asm");
    WriteBytes(path, "second text");
    TTextBuffer b;
    b.SetAllText("first");
    b.SetCaret({0, 6});
    b.TypeChar('!');
    ASSERT_TRUE(b.CanUndo());
    ASSERT_TRUE(b.LoadFromFile(path));
    EXPECT_FALSE(b.CanUndo());
    b.Undo();
    EXPECT_EQ(b.GetAllText(), "second text");
}

TEST(TextBufferFiles, LineIdentitiesFollowSaves)
{
    TTextBuffer b;
    b.SetAllText("l0\r\nl1\r\nl2");
    b.MarkSaved();
    b.SetCaret({1, 1});
    b.Enter(); // l0, "", l1, l2
    b.Enter(); // l0, "", "", l1, l2
    EXPECT_EQ(b.GetLineId(0), 0);
    EXPECT_EQ(b.GetLineId(3), 1);
    EXPECT_EQ(b.GetLineId(4), 2);
    // New lines get ids past the saved count; a line pushed down by a break
    // at its start keeps its own.
    EXPECT_EQ(b.GetLineId(1), 4);
    EXPECT_EQ(b.GetLineId(2), 5);
    EXPECT_EQ(b.FindLineById(2), 4);
    EXPECT_EQ(b.GoToLineId(1), 3);
    EXPECT_EQ(b.CaretLine(), 3);
    EXPECT_EQ(b.FindLineById(99), -1);
    b.MarkSaved();
    EXPECT_EQ(b.GetLineId(3), 3);
    EXPECT_EQ(b.NextLineId(), 5);
}
