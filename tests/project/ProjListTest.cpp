// The project list in the option file and the search for project files.
#include "support/TestDir.h"
#include "project/U_ProjList.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <unistd.h>

using namespace kep;

namespace {

const std::string Project = "[Global]\r\nMakeFile=demo.mke\r\n";

std::vector<std::string> SearchAll(const std::string& root, std::size_t step = 3)
{
    TProjSearch search(root);
    std::vector<std::string> found;
    int guard = 0;
    while (search.Step(step) && ++guard < 100000) {
        auto f = search.TakeFound();
        found.insert(found.end(), f.begin(), f.end());
    }
    auto f = search.TakeFound();
    found.insert(found.end(), f.begin(), f.end());
    std::sort(found.begin(), found.end());
    return found;
}

} // namespace

TEST(ProjList, ProjActMatchesThePositionInTheFileEvenWhenAnEarlierEntryIsDropped)
{
    TTestDir dir;
    const auto a = dir.Write("a.pja", Project);
    const auto c = dir.Write("c.pja", Project);
    const auto d = dir.Write("d.pja", Project);
    const auto ini = dir.Write("kep.ini", "[Global]\r\nProjAct=2\r\n[Proj]\r\n0=" + a + "\r\n1=" + dir.Path("gone.pja")
                                              + "\r\n2=" + c + "\r\n3=" + d + "\r\n");
    TProjList list = LoadProjList(TIniFile(ini));
    EXPECT_EQ(list.Paths, (std::vector<std::string>{a, c, d}));
    ASSERT_EQ(list.Checked, 1);
    EXPECT_EQ(list.Paths[1], c);

    // Saved with the checked item at position 2, then reloaded with the
    // first entry's file gone: the same project stays checked.
    TIniFile file(ini);
    std::string error, notCreated;
    ASSERT_TRUE(SaveProjList(file, {a, d, c}, 2, error, notCreated)) << error;
    const std::string text = dir.Read("kep.ini");
    EXPECT_NE(text.find("ProjAct=2\r\n"), std::string::npos);
    EXPECT_NE(text.find("[Proj]\r\n0=" + a + "\r\n1=" + d + "\r\n2=" + c + "\r\n"), std::string::npos) << text;
    EXPECT_EQ(text.find("gone"), std::string::npos);
    std::filesystem::remove(a);
    list = LoadProjList(TIniFile(ini));
    EXPECT_EQ(list.Paths, (std::vector<std::string>{d, c}));
    EXPECT_EQ(list.Checked, 1);

    // The checked entry itself gone: nothing is checked.
    std::filesystem::remove(c);
    list = LoadProjList(TIniFile(ini));
    EXPECT_EQ(list.Paths, (std::vector<std::string>{d}));
    EXPECT_EQ(list.Checked, -1);
}

TEST(ProjList, SavingCreatesMissingProjectsAsEmptyFilesAndWritesNoneChecked)
{
    TTestDir dir;
    const auto ini = dir.Path("kep.ini");
    const auto fresh = dir.Path("nouveau.pja");
    const auto kept = dir.Write("garde.pja", Project);
    TIniFile file(ini);
    std::string error, notCreated;
    ASSERT_TRUE(SaveProjList(file, {kept, fresh}, -1, error, notCreated)) << error;
    EXPECT_TRUE(FileExists(fresh));
    EXPECT_EQ(std::filesystem::file_size(fresh), 0u);
    EXPECT_EQ(dir.Read("garde.pja"), Project);
    EXPECT_NE(dir.Read("kep.ini").find("ProjAct=-1\r\n"), std::string::npos);

    // A file that cannot be created is reported, the list is still written.
    ASSERT_FALSE(SaveProjList(file, {dir.Path("pas/de/dossier.pja")}, 0, error, notCreated));
    EXPECT_TRUE(error.empty());
    EXPECT_EQ(notCreated, dir.Path("pas/de/dossier.pja"));
    EXPECT_EQ(TIniFile(ini).ReadString("Proj", "0", ""), dir.Path("pas/de/dossier.pja"));
}

TEST(ProjList, GarbageOptionFilesLoadWhatExists)
{
    TTestDir dir;
    const auto a = dir.Write("a.pja", Project);
    const std::string weird = dir.Path("d\xe9j\xe0\xff.pja");
    dir.Write("d\xe9j\xe0\xff.pja", Project);
    const auto ini = dir.Write("kep.ini", "[Proj]\r\nsans egal\r\n0=" + a + "\r\n1=" + weird + "\r\n2=\r\n3=" + std::string(100000, 'x')
                                              + "\r\n[Global]\r\nProjAct=" + std::string(50, '9') + "\r\n");
    const TProjList list = LoadProjList(TIniFile(ini));
    EXPECT_EQ(list.Paths, (std::vector<std::string>{a, weird}));
    EXPECT_EQ(list.Checked, -1);
    EXPECT_TRUE(SameProjPath("/A/b.PJA", "/a/B.pja"));
    EXPECT_FALSE(SameProjPath("/a/b.pja", "/a/b.pj"));
}

TEST(ProjSearch, AcceptsPjaInAnyCaseAndSkipsFilesWithoutMakeFile)
{
    TTestDir dir;
    const auto one = dir.Write("racine/un.pja", Project);
    const auto two = dir.Write("racine/sous/Deux.PJA", Project);
    const auto three = dir.Write("racine/sous/plus/bas/trois.PjA", "[global]\r\nmakefile=x.mke\r\n");
    const auto weird = dir.Write("racine/\xff\xfe/quatre.pja", Project);
    dir.Write("racine/sans.pja", "[Global]\r\nAutre=1\r\n");
    dir.Write("racine/ailleurs.pja", "[Closed files]\r\nMakeFile=x\r\n");
    dir.Write("racine/defaut.pja", "[Global]\r\nMakeFile=X\r\n");
    dir.Write("racine/vide.pja", "");
    dir.Write("racine/binaire.pja", std::string("\0\xff\x01[Global]\0MakeFile", 20));
    dir.Write("racine/pas.pjaa", Project);
    dir.Write("racine/pja", Project);
    dir.Write("racine/x.pja.bak", Project);
    std::filesystem::create_directory(dir.Path("racine/dossier.pja"));
    // A link back up the tree must not make the walk loop.
    std::filesystem::create_directory_symlink(dir.Path("racine"), dir.Path("racine/sous/boucle"));
    if (geteuid() != 0) {
        std::filesystem::create_directories(dir.Path("racine/ferme"));
        dir.Write("racine/ferme/cache.pja", Project);
        std::filesystem::permissions(dir.Path("racine/ferme"), std::filesystem::perms::none);
    }

    std::vector<std::string> expected{one, two, three, weird};
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(SearchAll(dir.Path("racine")), expected);
    EXPECT_EQ(SearchAll(dir.Path("racine") + "/", 1000), expected);
    if (geteuid() != 0)
        std::filesystem::permissions(dir.Path("racine/ferme"), std::filesystem::perms::owner_all);

    EXPECT_TRUE(IsProjectFile(one));
    EXPECT_FALSE(IsProjectFile(dir.Path("racine/sans.pja")));
    EXPECT_FALSE(IsProjectFile(dir.Path("racine/absent.pja")));
    EXPECT_TRUE(SearchAll(dir.Path("absent")).empty());
}

TEST(ProjSearch, StepsAreBoundedAndShowTheFolderBeingRead)
{
    TTestDir dir;
    for (int i = 0; i < 50; ++i)
        dir.Write("arbre/d" + std::to_string(i) + "/f.txt", "x");
    TProjSearch search(dir.Path("arbre"));
    int steps = 0;
    bool sawSub = false;
    while (search.Step(5)) {
        ++steps;
        sawSub = sawSub || search.CurrentFolder().find("/arbre/d") != std::string::npos;
    }
    // 50 folders, each with ".", "..", one file: well over 100 entries.
    EXPECT_GT(steps, 30);
    EXPECT_TRUE(sawSub);
    EXPECT_TRUE(search.Done());
    EXPECT_FALSE(search.Step(5));
}
