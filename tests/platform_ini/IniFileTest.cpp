// Reading INI files: the Windows rules the stores rely on.
#include "platform/IniFile.h"
#include "support/TestDir.h"

#include <gtest/gtest.h>

#include <random>

using namespace kep;

namespace {

using Strings = std::vector<std::string>;

TEST(IniFileRead, MissingFileGivesDefaults)
{
    TTestDir dir;
    TIniFile ini(dir.Path("absent.ini"));
    EXPECT_EQ(ini.ReadString("Global", "TabPath", "def"), "def");
    EXPECT_EQ(ini.ReadInteger("Global", "ProjAct", -1), -1);
    EXPECT_TRUE(ini.ReadBool("Global", "AffInfos", true));
    EXPECT_FALSE(ini.SectionExists("Global"));
    EXPECT_TRUE(ini.ReadSections().empty());
    EXPECT_TRUE(ini.ReadSection("Global").empty());
    TIniFile none("");
    EXPECT_EQ(none.ReadString("a", "b", "x"), "x");
}

TEST(IniFileRead, CaseBlanksCommentsAndFirstMatch)
{
    TTestDir dir;
    const std::string path = dir.Write("a.ini",
        "orphan=before any section\r\n"
        "[Global]\r\n"
        "  KepVer =  2.5.1  \r\n"
        "; TabPath=commented\r\n"
        "a line without equal sign\r\n"
        "TabPath=first\r\n"
        "TABPATH=second\r\n"
        "Empty=\r\n"
        "=no key\r\n"
        "[ global ]\r\n"
        "Other=in the duplicate section\r\n"
        "KepVer=duplicate\r\n"
        "[Proj]\r\n"
        "0=/home/a.pja\r\n");
    TIniFile ini(path);
    EXPECT_EQ(ini.ReadString("GLOBAL", "kepver", ""), "2.5.1");
    EXPECT_EQ(ini.ReadString("Global", "tabpath", ""), "first");
    EXPECT_EQ(ini.ReadString("Global", "Empty", "def"), "");
    EXPECT_EQ(ini.ReadString("Global", "a line without equal sign", "def"), "def");
    EXPECT_EQ(ini.ReadString("Global", "Other", "def"), "def"); // only the first section counts
    EXPECT_EQ(ini.ReadString("Global", "; TabPath", "def"), "def");
    EXPECT_EQ(ini.ReadString("", "orphan", "def"), "def");
    EXPECT_EQ(ini.ReadString("  proj ", " 0 ", ""), "/home/a.pja");
    EXPECT_TRUE(ini.ValueExists("global", "EMPTY"));
    EXPECT_FALSE(ini.ValueExists("global", "Missing"));
    EXPECT_EQ(ini.ReadSection("Global"), (Strings{"KepVer", "TabPath", "Empty"}));
    EXPECT_EQ(ini.ReadSections(), (Strings{"Global", "Proj"}));
    EXPECT_EQ(ini.ReadSectionValues("global"), (Strings{"KepVer=2.5.1", "TabPath=first", "Empty="}));
}

TEST(IniFileRead, HeadersLineEndsAndQuotes)
{
    TTestDir dir;
    const std::string path = dir.Write("b.ini",
        "\xEF\xBB\xBF[First]\n"
        "k=1\n"
        "[Broken\n"
        "kept=still in First\n"
        "[a]b]\n"
        "q1=\"quoted value\"\n"
        "q2='single'\n"
        "q3=\"unbalanced'\n"
        "q4=\"a\",\"b\"\n"
        "q5=\"\n"
        "[Empty]\n"
        "; only a comment\n"
        "[Last]\n"
        "nolf=end");
    TIniFile ini(path);
    EXPECT_EQ(ini.ReadString("First", "k", ""), "1");
    EXPECT_EQ(ini.ReadString("First", "kept", ""), "still in First");
    EXPECT_EQ(ini.ReadString("a]b", "q1", ""), "quoted value");
    EXPECT_EQ(ini.ReadString("a]b", "q2", ""), "single");
    EXPECT_EQ(ini.ReadString("a]b", "q3", ""), "\"unbalanced'");
    EXPECT_EQ(ini.ReadString("a]b", "q4", ""), "a\",\"b"); // as Windows: first and last quotes go
    EXPECT_EQ(ini.ReadString("a]b", "q5", ""), "\"");
    EXPECT_EQ(ini.ReadString("Last", "nolf", ""), "end");
    EXPECT_EQ(ini.ReadSections(), (Strings{"First", "a]b", "Empty", "Last"}));
    EXPECT_FALSE(ini.SectionExists("Empty"));
    EXPECT_TRUE(ini.SectionExists("LAST"));
}

TEST(IniFileRead, Integers)
{
    TTestDir dir;
    const std::string path = dir.Write("n.ini",
        "[N]\n"
        "plain=42\n"
        "neg= -7 \n"
        "plus=+3\n"
        "glued=12abc\n"
        "word=abc\n"
        "empty=\n"
        "sign=-\n"
        "hex=0x1F\n"
        "dollar=$10\n"
        "min=-2147483648\n"
        "max=2147483647\n"
        "over=2147483648\n"
        "under=-2147483649\n"
        "huge=99999999999999999999999\n"
        "quoted=\"15\"\n"
        "zero=0\n");
    TIniFile ini(path);
    EXPECT_EQ(ini.ReadInteger("N", "plain", -1), 42);
    EXPECT_EQ(ini.ReadInteger("N", "neg", -1), -7);
    EXPECT_EQ(ini.ReadInteger("N", "plus", -1), 3);
    EXPECT_EQ(ini.ReadInteger("N", "glued", -1), 12);
    EXPECT_EQ(ini.ReadInteger("N", "word", -1), -1);
    EXPECT_EQ(ini.ReadInteger("N", "empty", -1), -1);
    EXPECT_EQ(ini.ReadInteger("N", "sign", -1), -1);
    EXPECT_EQ(ini.ReadInteger("N", "hex", -1), 0);
    EXPECT_EQ(ini.ReadInteger("N", "dollar", -1), -1);
    EXPECT_EQ(ini.ReadInteger("N", "min", 0), -2147483647 - 1);
    EXPECT_EQ(ini.ReadInteger("N", "max", 0), 2147483647);
    EXPECT_EQ(ini.ReadInteger("N", "over", 5), 5);
    EXPECT_EQ(ini.ReadInteger("N", "under", 5), 5);
    EXPECT_EQ(ini.ReadInteger("N", "huge", 5), 5);
    EXPECT_EQ(ini.ReadInteger("N", "quoted", 5), 15);
    EXPECT_FALSE(ini.ReadBool("N", "zero", true));
    EXPECT_TRUE(ini.ReadBool("N", "neg", false));
    EXPECT_TRUE(ini.ReadBool("N", "word", true));
    EXPECT_FALSE(ini.ReadBool("N", "word", false));
}

TEST(IniFileRead, GarbageNeverCrashes)
{
    TTestDir dir;
    std::mt19937 rng(1234);
    for (int round = 0; round < 50; ++round) {
        std::string data(std::size_t(rng() % 20000), '\0');
        for (char& c : data) {
            // Mostly structure characters so that headers and keys appear.
            const unsigned r = rng() % 16;
            c = r == 0 ? '[' : r == 1 ? ']' : r == 2 ? '=' : r == 3 ? '\n' : r == 4 ? '\r' : char(rng());
        }
        const std::string path = dir.Write("g.ini", data);
        TIniFile ini(path);
        for (const std::string& s : ini.ReadSections()) {
            for (const std::string& k : ini.ReadSection(s))
                EXPECT_TRUE(ini.ValueExists(s, k));
            (void)ini.ReadSectionValues(s);
        }
        // Writing into garbage keeps the garbage and the new key reads back.
        ASSERT_TRUE(ini.WriteString("Kep", "Key", "\xE9t\xE9"));
        TIniFile again(path);
        EXPECT_EQ(again.ReadString("Kep", "Key", ""), "\xE9t\xE9");
    }
}

TEST(IniFileRead, HugeValuesAndNonUtf8)
{
    TTestDir dir;
    const std::string big(8 << 20, 'x');
    std::string data = "[S\xFF\xFE]\nk\x80=" + big + "\nnul=a";
    data += '\0';
    data += "b\n";
    const std::string path = dir.Write("h.ini", data);
    TIniFile ini(path);
    EXPECT_EQ(ini.ReadString("s\xFF\xFE", "K\x80", ""), big);
    EXPECT_EQ(ini.ReadString("s\xFF\xFE", "nul", ""), std::string("a\0b", 3));
    // Only ASCII letters fold: 0xE9 and 0xC9 stay different names.
    ASSERT_TRUE(ini.WriteString("\xE9t\xE9", "v", "1"));
    EXPECT_EQ(ini.ReadString("\xC9T\xC9", "v", "none"), "none");
    ASSERT_TRUE(ini.WriteString("S\xFF\xFE", "more", big));
    TIniFile again(path);
    EXPECT_EQ(again.ReadString("S\xFF\xFE", "more", ""), big);
    EXPECT_EQ(again.ReadString("S\xFF\xFE", "k\x80", ""), big);
}

} // namespace
