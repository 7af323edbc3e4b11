// Typed helpers, window bounds in the file, option file location, and
// concurrent writers.
#include "support/TestDir.h"
#include "config/U_KepFile.h"
#include "config/U_Options.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace kep;

TEST(IniFilePlus, ReadTabsFirstItemStrictOthersLenient)
{
    TTestDir dir;
    const auto path = dir.Write("p.pja",
                                "[A]\r\nTabs=\r\n[B]\r\nTabs=4,x,12\r\n[C]\r\nTabs=zz,8\r\n[D]\r\nTabs= 3 , 6 ,9,12,15,18,21\r\n"
                                "[E]\r\nTabs=-5,70000\r\n");
    TIniFilePlus ini(path);
    TTabStops tabs{};
    ini.ReadTabs("A", tabs);
    EXPECT_EQ(tabs, TabsAsmUsine);
    ini.ReadTabs("B", tabs);
    EXPECT_EQ(tabs, (TTabStops{4, 0, 12, 0, 0, 0}));
    tabs = TabsTexteUsine;
    EXPECT_THROW(ini.ReadTabs("C", tabs), EConvertError);
    EXPECT_EQ(tabs, TabsAsmUsine);
    ini.ReadTabs("D", tabs);
    EXPECT_EQ(tabs, (TTabStops{3, 6, 9, 12, 15, 18}));
    ini.ReadTabs("E", tabs);
    EXPECT_EQ(tabs, (TTabStops{0, 65535, 0, 0, 0, 0}));
    ini.ReadTabs("Absent", tabs);
    EXPECT_EQ(tabs, TabsAsmUsine);
}

TEST(IniFilePlus, ConversionErrorsAreFrenchAndShortened)
{
    EXPECT_EQ(StrToInt(" 42 "), 42);
    EXPECT_EQ(StrToInt("-7"), -7);
    EXPECT_EQ(StrToIntDef0("4x"), 0);
    EXPECT_EQ(StrToIntDef0("99999999999"), 0);
    try {
        StrToInt(std::string(500, '7'));
        FAIL() << "no error";
    } catch (const EConvertError& e) {
        const std::string what = e.what();
        EXPECT_NE(what.find("n'est pas une valeur enti\xE8re correcte"), std::string::npos);
        EXPECT_LT(what.size(), 120u);
    }
}

TEST(IniFilePlus, BoundsStoredFormAndLegacyKeys)
{
    TTestDir dir;
    const auto path = dir.Write("p.pja", "[Old]\r\nLeft=10\r\nTop=20\r\nWidth=300\r\nHeight=200\r\nAutre=1\r\n"
                                         "[Bad]\r\nBounds=x,1,2,3\r\n[Short]\r\nBounds=5,6\r\n");
    TIniFilePlus ini(path);
    ASSERT_TRUE(ini.WriteBounds("Conversion", TBounds{100, 50, 640, 480}));
    EXPECT_NE(dir.Read("p.pja").find("[Conversion]\r\nBounds=100,50,640,480\r\n"), std::string::npos);
    TBounds b;
    ASSERT_TRUE(ini.ReadBounds("Conversion", b));
    EXPECT_EQ(b, (TBounds{100, 50, 640, 480}));

    EXPECT_FALSE(ini.ReadBounds("Old", b));
    EXPECT_TRUE(ini.HasLegacyBounds("Old"));
    EXPECT_EQ(ini.ReadLegacyBounds("Old", TBounds{1, 2, 3, 4}), (TBounds{10, 20, 300, 200}));
    EXPECT_EQ(ini.ReadLegacyBounds("Absent", TBounds{1, 2, 3, 4}), (TBounds{1, 2, 3, 4}));
    ASSERT_TRUE(ini.DeleteLegacyBounds("Old"));
    EXPECT_EQ(TIniFilePlus(path).ReadSection("Old"), (std::vector<std::string>{"Autre"}));

    EXPECT_THROW(ini.ReadBounds("Bad", b), EConvertError);
    ASSERT_TRUE(ini.ReadBounds("Short", b));
    EXPECT_EQ(b, (TBounds{5, 6, 0, 0}));
}

TEST(OptionFile, BesideTheProgramOnlyWhenItExistsAndTheFolderIsWritable)
{
    TTestDir dir;
    const std::string exe = dir.Path("bin/kep");
    dir.Write("bin/kep", "");
    const std::string home = dir.Path("home");

    auto where = LocateOptionFile(exe, "", home);
    EXPECT_EQ(where.Path, home + "/.config/kep/kep.ini");
    EXPECT_TRUE(where.FirstRun);

    where = LocateOptionFile(exe, dir.Path("xdg"), home);
    EXPECT_EQ(where.Path, dir.Path("xdg/kep/kep.ini"));
    EXPECT_TRUE(where.FirstRun);
    // A relative XDG_CONFIG_HOME is ignored.
    EXPECT_EQ(LocateOptionFile(exe, "rel/conf", home).Path, home + "/.config/kep/kep.ini");

    dir.Write("xdg/kep/kep.ini", "[Global]\r\n");
    where = LocateOptionFile(exe, dir.Path("xdg"), home);
    EXPECT_EQ(where.Path, dir.Path("xdg/kep/kep.ini"));
    EXPECT_FALSE(where.FirstRun);

    dir.Write("bin/kep.ini", "[Global]\r\n");
    where = LocateOptionFile(exe, dir.Path("xdg"), home);
    EXPECT_EQ(where.Path, dir.Path("bin/kep.ini"));
    EXPECT_FALSE(where.FirstRun);

    if (geteuid() != 0) {
        chmod(dir.Path("bin").c_str(), 0555);
        where = LocateOptionFile(exe, dir.Path("xdg2"), home);
        chmod(dir.Path("bin").c_str(), 0755);
        EXPECT_EQ(where.Path, dir.Path("xdg2/kep/kep.ini"));
        // The file beside the program exists: this is not a first run.
        EXPECT_FALSE(where.FirstRun);
    }
}

TEST(OptionFile, TwoProcessesSavingTogetherLeaveACompleteFile)
{
    TTestDir dir;
    const std::string path = dir.Path("kep.ini");
    constexpr int Rounds = 40;
    auto saver = [&](const std::string& tool) {
        TOptionsKep opts;
        for (int t = 0; t < 30; ++t) {
            TInfosFich type;
            type.Nom = tool + "-type" + std::to_string(t);
            type.Ext = "." + std::to_string(t);
            opts.TypesFich.push_back(type);
        }
        for (int i = 0; i < 5; ++i) {
            TInfoOutils o;
            o.Nom = tool + std::to_string(i);
            o.Cmde = "/bin/" + tool;
            opts.Outils.push_back(o);
        }
        for (int r = 0; r < Rounds; ++r) {
            TIniFilePlus ini(path);
            if (!SauveOptions(ini, opts))
                return 1;
        }
        return 0;
    };
    const pid_t a = fork();
    if (a == 0)
        _exit(saver("a"));
    const pid_t b = fork();
    if (b == 0)
        _exit(saver("b"));
    int sa = 0, sb = 0;
    waitpid(a, &sa, 0);
    waitpid(b, &sb, 0);
    EXPECT_TRUE(WIFEXITED(sa) && WEXITSTATUS(sa) == 0);
    EXPECT_TRUE(WIFEXITED(sb) && WEXITSTATUS(sb) == 0);

    // The file is one saver's complete list, never a mixture or a fragment.
    TIniFilePlus ini(path);
    TOptionsKep opts;
    std::string proj;
    std::vector<std::string> errors;
    ChargeOptions(ini, opts, TProgramPaths{"/"}, proj, errors);
    EXPECT_TRUE(errors.empty());
    ASSERT_EQ(opts.Outils.size(), 5u);
    const char who = opts.Outils[0].Nom[0];
    for (const TInfoOutils& o : opts.Outils)
        EXPECT_EQ(o.Nom[0], who);
    ASSERT_EQ(opts.TypesFich.size(), 31u); // 30 and "Autres"
    for (const TInfosFich& t : opts.TypesFich) {
        if (t.Nom != "Autres") {
            EXPECT_EQ(t.Nom[0], who) << t.Nom;
        }
    }
    EXPECT_EQ(ini.ReadSection("FileTypes").size(), 30u);
}
