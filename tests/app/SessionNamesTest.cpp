// Names, the command line and the cleaning masks.
#include "support/TestDir.h"
#include "app/U_Session.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace kep;

TEST(SessionNames, CommandLineTakesOnlyProjectFiles)
{
    EXPECT_TRUE(ArgumentsAccepted({}));
    EXPECT_TRUE(ArgumentsAccepted({"/p/demo.pja"}));
    EXPECT_TRUE(ArgumentsAccepted({"/p/demo.PJA"}));
    EXPECT_TRUE(ArgumentsAccepted({"demo.Pja", "ignored"}));
    EXPECT_FALSE(ArgumentsAccepted({"/p/demo.asm"}));
    EXPECT_FALSE(ArgumentsAccepted({"/p/pja"}));
    EXPECT_FALSE(ArgumentsAccepted({"/p/x.pja/demo"}));
    EXPECT_FALSE(ArgumentsAccepted({"/p/demo.pja.bak"}));
    EXPECT_FALSE(ArgumentsAccepted({""}));
}

TEST(SessionNames, EntryNamesAndTitles)
{
    EXPECT_EQ(EntryName("/P/Main.ASM", 0, 1), "main.asm");
    EXPECT_EQ(EntryName("/P/Main.ASM", 1, 3), "main.asm(2)");
    EXPECT_EQ(EntryName("/P/\xC9T\xC9.asm", 0, 1), "\xC9t\xC9.asm"); // ASCII letters only
    EXPECT_EQ(ProjectTitle("/home/u/proj/Demo.pja"), "KEP - DEMO (/home/u/proj/)");
    EXPECT_TRUE(SamePath("/a/B.asm", "/A/b.ASM"));
    EXPECT_FALSE(SamePath("/a/b.asm", "/a/b.as"));
}

TEST(SessionNames, RelativeAndExpandedPaths)
{
    TTestDir dir;
    dir.Write("Src/Main.asm", "x");
    EXPECT_EQ(RelativePath(dir.Dir() + "/", dir.Path("Src/Main.asm")), "Src/Main.asm");
    EXPECT_EQ(RelativePath(dir.Path("Src") + "/", dir.Path("other.asm")), "../other.asm");
    // Written on Windows: upper case, backslashes.
    EXPECT_EQ(ExpandName(dir.Dir() + "/", "SRC\\MAIN.ASM"), dir.Path("Src/Main.asm"));
    EXPECT_EQ(ExpandName(dir.Dir(), "src/../src/main.asm"), dir.Path("Src/Main.asm"));
    EXPECT_EQ(ExpandName(dir.Dir(), "/abs/x.asm"), "/abs/x.asm");
    EXPECT_EQ(ExpandName(dir.Dir(), "NEW.ASM"), dir.Path("NEW.ASM")); // no match: as written
    EXPECT_EQ(ExpandName(dir.Dir(), "  "), "");
}

TEST(SessionNames, OneFileOrTwoWhenSpeltApartByCase)
{
    TTestDir dir;
    const std::string upper = dir.Write("Main.asm", "a"), lower = dir.Write("main.asm", "b");
    EXPECT_TRUE(SameFile(lower, lower));
    EXPECT_FALSE(SameFile(upper, lower)); // two files on disk
    EXPECT_TRUE(SameFile(dir.Path("MAIN.ASM"), lower)); // a spelling with no file of its own
    EXPECT_TRUE(SameFile(lower, dir.Path("MAIN.ASM")));
    EXPECT_FALSE(SameFile(lower, dir.Path("main.as")));
    std::filesystem::create_symlink(lower, dir.Path("MAIN.asm"));
    EXPECT_TRUE(SameFile(dir.Path("MAIN.asm"), lower)); // the same file reached otherwise
    // The reopen list keeps the two apart.
    TReopenList list;
    list.PushTop(upper);
    list.PushTop(lower);
    EXPECT_EQ(list.Size(), 2u);
    EXPECT_EQ(list.Find(upper), 1);
}

TEST(SessionNames, MasksSkipEmptyPartsAndBlanks)
{
    EXPECT_EQ(SplitMasks("*.cod; *.map;;  *.err ;"), (std::vector<std::string>{"*.cod", "*.map", "*.err"}));
    EXPECT_EQ(SplitMasks(" ; ;"), std::vector<std::string>{});
    EXPECT_EQ(SplitMasks("*.obj"), std::vector<std::string>{"*.obj"});
}

TEST(SessionNames, CleaningDeletesMatchingFilesOnly)
{
    TTestDir dir;
    for (const char* f : {"a.cod", "B.MAP", "c.asm", "d.err", "noext", "e.sym"})
        dir.Write(f, "x");
    std::filesystem::create_directories(dir.Path("keep.cod"));
    std::vector<std::string> failed;
    EffaceFichiers(dir.Dir() + "/", " *.cod;; *.map ;*.err;  ", [&](const std::string& n) { failed.push_back(n); });
    EXPECT_TRUE(failed.empty());
    EXPECT_FALSE(dir.Exists("a.cod"));
    EXPECT_FALSE(dir.Exists("B.MAP")); // case ignored, as on Windows
    EXPECT_FALSE(dir.Exists("d.err"));
    EXPECT_TRUE(dir.Exists("c.asm"));
    EXPECT_TRUE(dir.Exists("e.sym"));
    EXPECT_TRUE(std::filesystem::is_directory(dir.Path("keep.cod")));
    EffaceFichiers(dir.Dir(), "noext.*", nullptr);
    EXPECT_FALSE(dir.Exists("noext"));
    EffaceFichiers(dir.Dir(), "", nullptr);
    EXPECT_TRUE(dir.Exists("c.asm"));
}

TEST(SessionNames, OnlyIniTextIsTakenForAProject)
{
    using C = TProjectFileCheck;
    // Empty, blank or comment-only files are projects (the list creates them).
    EXPECT_EQ(CheckProjectText(""), C::Ok);
    EXPECT_EQ(CheckProjectText("\r\n  \r\n\t"), C::Ok);
    EXPECT_EQ(CheckProjectText("; notes\r\n# more\r\n"), C::Ok);
    // One section or key line is enough, wherever it stands, whatever the
    // line ends.
    EXPECT_EQ(CheckProjectText("[Global]"), C::Ok);
    EXPECT_EQ(CheckProjectText("  [Edit0]  \r\nNom=a.asm"), C::Ok);
    EXPECT_EQ(CheckProjectText("texte libre\nencore\rNbrEdit=0"), C::Ok);
    EXPECT_EQ(CheckProjectText("x\xFF\x01=1\n"), C::Ok);
    // No line of the INI form.
    EXPECT_EQ(CheckProjectText("Ceci n'est pas un projet."), C::NotIni);
    EXPECT_EQ(CheckProjectText("\r\n[ouvert\r\n=sans cle\r\n"), C::NotIni);
    EXPECT_EQ(CheckProjectText("; commentaire\r\nmot\r\n"), C::NotIni);
    // A NUL anywhere, even after good lines.
    EXPECT_EQ(CheckProjectText(std::string("[Global]\r\nNbrEdit=1\r\n\0", 23)), C::HasNul);
    EXPECT_EQ(CheckProjectText(std::string(1, '\0')), C::HasNul);

    TTestDir dir;
    EXPECT_EQ(CheckProjectFile(dir.Write("p.pja", "[Global]\r\n")), C::Ok);
    EXPECT_EQ(CheckProjectFile(dir.Path("absent.pja")), C::Unreadable);
    std::filesystem::create_directories(dir.Path("dossier.pja"));
    EXPECT_EQ(CheckProjectFile(dir.Path("dossier.pja")), C::Unreadable);
}
