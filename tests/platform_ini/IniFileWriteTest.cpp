// Writing INI files: each write on disk at once, the rest of the file kept.
#include "platform/IniFile.h"
#include "support/TestDir.h"

#include <gtest/gtest.h>

#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace kep;

namespace {

using Strings = std::vector<std::string>;

const char* const kSample =
    "; KEP options\r\n"
    "[Global]\r\n"
    "KepVer=2.5.1\r\n"
    "; the tables\r\n"
    "TabPath=/opt/lib/\r\n"
    "\r\n"
    "[Proj]\r\n"
    "0=/home/a.pja\r\n"
    "\r\n"
    "\r\n"
    "[Tools]\r\n"
    "Tool0=Calc\r\n";

TEST(IniFileWrite, ReplacesOnlyTheLineConcerned)
{
    TTestDir dir;
    const std::string path = dir.Write("o.ini", kSample);
    TIniFile ini(path);
    ASSERT_TRUE(ini.WriteString("global", "TABPATH", "/usr/lib/"));
    EXPECT_EQ(dir.Read("o.ini"),
        "; KEP options\r\n[Global]\r\nKepVer=2.5.1\r\n; the tables\r\nTABPATH=/usr/lib/\r\n\r\n"
        "[Proj]\r\n0=/home/a.pja\r\n\r\n\r\n[Tools]\r\nTool0=Calc\r\n");
    // The same value again changes nothing.
    ASSERT_TRUE(ini.WriteString("Global", "TABPATH", "/usr/lib/"));
    EXPECT_EQ(ini.ReadString("Global", "TabPath", ""), "/usr/lib/");
}

TEST(IniFileWrite, NewKeysAndSections)
{
    TTestDir dir;
    const std::string path = dir.Write("o.ini", kSample);
    TIniFile ini(path);
    ASSERT_TRUE(ini.WriteInteger("Proj", "1", 42));
    ASSERT_TRUE(ini.WriteBool("Tools", "Unique", false));
    ASSERT_TRUE(ini.WriteString("FT0", "Ext", ".asm"));
    EXPECT_EQ(dir.Read("o.ini"),
        "; KEP options\r\n[Global]\r\nKepVer=2.5.1\r\n; the tables\r\nTabPath=/opt/lib/\r\n\r\n"
        "[Proj]\r\n0=/home/a.pja\r\n1=42\r\n\r\n\r\n[Tools]\r\nTool0=Calc\r\nUnique=0\r\n"
        "\r\n[FT0]\r\nExt=.asm\r\n");
    TIniFile again(path);
    EXPECT_EQ(again.ReadInteger("proj", "1", 0), 42);
    EXPECT_FALSE(again.ReadBool("tools", "unique", true));
    EXPECT_EQ(again.ReadSections(), (Strings{"Global", "Proj", "Tools", "FT0"}));
}

TEST(IniFileWrite, NewFileAndUnixLineEnds)
{
    TTestDir dir;
    TIniFile fresh(dir.Path("new.ini"));
    ASSERT_TRUE(fresh.WriteString("Global", "KepVer", "1.0.0"));
    ASSERT_TRUE(fresh.WriteString("Proj", "0", "x"));
    EXPECT_EQ(dir.Read("new.ini"), "[Global]\r\nKepVer=1.0.0\r\n\r\n[Proj]\r\n0=x\r\n");

    const std::string path = dir.Write("lf.ini", "[A]\nx=1\n");
    TIniFile lf(path);
    ASSERT_TRUE(lf.WriteString("A", "y", "2"));
    EXPECT_EQ(dir.Read("lf.ini"), "[A]\nx=1\ny=2\n");
}

TEST(IniFileWrite, EraseAndDelete)
{
    TTestDir dir;
    const std::string path = dir.Write("e.ini",
        "[Tool0]\nCmde=a\nCmde=stale duplicate\nRep=b\n[Keep]\nk=1\n[tool0]\nParm=old\n");
    TIniFile ini(path);
    ASSERT_TRUE(ini.DeleteKey("TOOL0", "cmde"));
    EXPECT_FALSE(ini.ValueExists("Tool0", "Cmde")); // no older line shows through
    EXPECT_TRUE(ini.ValueExists("Tool0", "Rep"));
    ASSERT_TRUE(ini.DeleteKey("Tool0", "absent"));
    ASSERT_TRUE(ini.DeleteKey("NoSuchSection", "x"));
    ASSERT_TRUE(ini.EraseSection("tool0"));
    EXPECT_EQ(dir.Read("e.ini"), "[Keep]\nk=1\n");
    EXPECT_FALSE(ini.SectionExists("Tool0"));
    EXPECT_EQ(ini.ReadString("Tool0", "Parm", "gone"), "gone");
    ASSERT_TRUE(ini.EraseSection("Keep"));
    EXPECT_EQ(dir.Read("e.ini"), "");
    EXPECT_TRUE(ini.ReadSections().empty());
}

TEST(IniFileWrite, ValuesRoundTripExactly)
{
    TTestDir dir;
    const std::string path = dir.Path("r.ini");
    const Strings values = {
        "", "plain", "  leading", "trailing\t", "\"quoted\"", "'single'", "\"", "a=b=c",
        "; not a comment", "[not a section]", "\xE9\xE0\xFF\x80", "\"%1\" -o \"%2\"",
    };
    {
        TIniFile ini(path);
        for (std::size_t i = 0; i < values.size(); ++i)
            ASSERT_TRUE(ini.WriteString("V", "k" + std::to_string(i), values[i]));
    }
    TIniFile ini(path);
    for (std::size_t i = 0; i < values.size(); ++i)
        EXPECT_EQ(ini.ReadString("V", "k" + std::to_string(i), "?"), values[i]) << i;
    EXPECT_EQ(ini.ReadSections(), (Strings{"V"}));

    // A line break cannot forge another key or section.
    ASSERT_TRUE(ini.WriteString("V", "evil", "x\r\n[Global]\r\nProjAct=3"));
    TIniFile back(path);
    EXPECT_EQ(back.ReadSections(), (Strings{"V"}));
    EXPECT_FALSE(back.ValueExists("V", "ProjAct"));
    EXPECT_EQ(back.ReadString("V", "evil", ""), "x  [Global]  ProjAct=3");
    for (int v : {0, 1, -1, 2147483647, -2147483647 - 1}) {
        ASSERT_TRUE(back.WriteInteger("I", "v", v));
        EXPECT_EQ(TIniFile(path).ReadInteger("I", "v", 7), v);
    }
}

TEST(IniFileWrite, FailureKeepsFileAndObject)
{
    TTestDir dir;
    const std::string path = dir.Write("ro.ini", "[A]\nx=1\n");
    ASSERT_EQ(chmod(path.c_str(), 0444), 0);
    TIniFile ini(path);
    EXPECT_FALSE(ini.WriteString("A", "x", "2"));
    EXPECT_FALSE(ini.LastError().empty());
    EXPECT_EQ(ini.ReadString("A", "x", ""), "1");
    EXPECT_FALSE(ini.EraseSection("A"));
    EXPECT_TRUE(ini.SectionExists("A"));
    EXPECT_EQ(dir.Read("ro.ini"), "[A]\nx=1\n");

    TIniFile nowhere(dir.Path("missing/dir/x.ini"));
    EXPECT_FALSE(nowhere.WriteString("A", "x", "1"));
    EXPECT_FALSE(nowhere.LastError().empty());
    EXPECT_FALSE(nowhere.ValueExists("A", "x"));
    // A later success clears the message.
    TIniFile ok(dir.Path("ok.ini"));
    EXPECT_TRUE(ok.WriteString("A", "x", "1"));
    EXPECT_TRUE(ok.LastError().empty());
}

TEST(IniFileWrite, WritesKeepChangesOfOtherWriters)
{
    TTestDir dir;
    const std::string path = dir.Path("two.ini");
    TIniFile a(path);
    TIniFile b(path);
    ASSERT_TRUE(a.WriteString("S", "fromA", "1"));
    ASSERT_TRUE(b.WriteString("S", "fromB", "2")); // b loaded before a wrote
    ASSERT_TRUE(a.WriteString("T", "again", "3"));
    TIniFile c(path);
    EXPECT_EQ(c.ReadString("S", "fromA", ""), "1");
    EXPECT_EQ(c.ReadString("S", "fromB", ""), "2");
    EXPECT_EQ(c.ReadString("T", "again", ""), "3");
    // Reads come from the copy loaded with the object.
    EXPECT_FALSE(b.ValueExists("T", "again"));
    b.Reload();
    EXPECT_TRUE(b.ValueExists("T", "again"));
}

TEST(IniFileWrite, UpdateGroupWritesOnce)
{
    TTestDir dir;
    const std::string path = dir.Write("g.ini", "[A]\nx=1\n");
    TIniFile ini(path);
    ini.BeginUpdate();
    ASSERT_TRUE(ini.WriteString("A", "y", "2"));
    ini.BeginUpdate();
    ASSERT_TRUE(ini.DeleteKey("A", "x"));
    EXPECT_TRUE(ini.EndUpdate());
    EXPECT_EQ(dir.Read("g.ini"), "[A]\nx=1\n"); // still inside the outer group
    EXPECT_EQ(ini.ReadString("A", "y", ""), "2");
    EXPECT_TRUE(ini.EndUpdate());
    EXPECT_EQ(dir.Read("g.ini"), "[A]\ny=2\n");
    EXPECT_TRUE(ini.EndUpdate()); // unbalanced: harmless

    // A group that cannot be written leaves the object as the file is.
    ASSERT_EQ(chmod(path.c_str(), 0444), 0);
    ini.BeginUpdate();
    ASSERT_TRUE(ini.WriteString("A", "z", "3"));
    EXPECT_FALSE(ini.EndUpdate());
    EXPECT_FALSE(ini.LastError().empty());
    EXPECT_FALSE(ini.ValueExists("A", "z"));
    EXPECT_EQ(dir.Read("g.ini"), "[A]\ny=2\n");
}

// Two processes write the same file many times, one object per write as the
// stores do: the file is complete after every write and keeps every key.
TEST(IniFileWrite, TwoProcessesWritingTheSameFile)
{
    TTestDir dir;
    const std::string path = dir.Path("shared.ini");
    constexpr int kWrites = 150;
    const auto writer = [&](const std::string& section) {
        for (int i = 0; i < kWrites; ++i) {
            TIniFile ini(path);
            if (!ini.WriteInteger(section, "k" + std::to_string(i), i))
                return false;
            if (!ini.WriteInteger("Common", "last", i))
                return false;
        }
        return true;
    };
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0)
        _exit(writer("Child") ? 0 : 1);
    const bool parentOk = writer("Parent");
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(parentOk);
    ASSERT_TRUE(WIFEXITED(status));
    ASSERT_EQ(WEXITSTATUS(status), 0);

    TIniFile ini(path);
    EXPECT_EQ(ini.ReadSection("Child").size(), std::size_t(kWrites));
    EXPECT_EQ(ini.ReadSection("Parent").size(), std::size_t(kWrites));
    for (int i = 0; i < kWrites; ++i) {
        EXPECT_EQ(ini.ReadInteger("Child", "k" + std::to_string(i), -1), i);
        EXPECT_EQ(ini.ReadInteger("Parent", "k" + std::to_string(i), -1), i);
    }
    EXPECT_EQ(ini.ReadInteger("Common", "last", -1), kWrites - 1);
    EXPECT_EQ(ini.ReadSection("Common"), (Strings{"last"}));
    // No temporary file is left behind.
    std::size_t files = 0;
    for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(dir.Dir()))
        ++files;
    EXPECT_EQ(files, 1u);
}

} // namespace
