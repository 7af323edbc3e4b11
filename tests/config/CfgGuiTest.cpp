// The configuration object at start-up, and window positions.
#include "support/TestDir.h"
#include "config/UF_Cfg.h"
#include "config/U_KepFile.h"
#include "config/U_WinBounds.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <sys/stat.h>
#include <thread>

using namespace kep;

namespace {

struct TCalls {
    std::vector<int> Contexts;
    std::vector<QString> Keywords;
    std::vector<QString> Errors;
};

TCfgStart Start(const TTestDir& dir, TCalls& calls, std::vector<std::string> args = {},
                std::string version = "2.5.1.7")
{
    TCfgStart s;
    s.ExePath = dir.Path("bin/kep");
    s.Args = std::move(args);
    s.FileVersion = std::move(version);
    s.HelpContext = [&calls](int c) {
        calls.Contexts.push_back(c);
        return true;
    };
    s.HelpKeyword = [&calls](const QString& k) {
        calls.Keywords.push_back(k);
        return true;
    };
    s.ReportError = [&calls](const QString& t) { calls.Errors.push_back(t); };
    return s;
}

class TCfgEnv : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir_.Write("bin/kep", "");
        setenv("XDG_CONFIG_HOME", dir_.Path("config").c_str(), 1);
    }
    void TearDown() override
    {
        unsetenv("XDG_CONFIG_HOME");
        NomProjet.clear();
        NomFichOptions.clear();
    }
    TTestDir dir_;
};

} // namespace

TEST_F(TCfgEnv, FirstRunShowsTheWelcomeTopicOnlyAndOkCreatesTheFile)
{
    TCalls calls;
    TEcrCfg cfg(Start(dir_, calls));
    EXPECT_TRUE(cfg.FirstRun());
    EXPECT_EQ(calls.Contexts, std::vector<int>{1000001});
    EXPECT_TRUE(calls.Keywords.empty());
    EXPECT_EQ(NomFichOptions, dir_.Path("config/kep/kep.ini"));
    EXPECT_FALSE(FileExists(NomFichOptions));
    EXPECT_EQ(cfg.Data.TabPath, dir_.Path("bin/lib/"));
    EXPECT_EQ(cfg.Data.ProgMake, dir_.Path("bin/kepmake"));

    // Cancel reloads: the edits in memory are lost.
    cfg.Data.ParamMake = "-k";
    cfg.ChargeOptionsKEP();
    EXPECT_EQ(cfg.Data.ParamMake, "-k"); // nothing stored: the value in memory stays
    cfg.Data.MakeLog = true;
    cfg.ChargeOptionsKEP();
    EXPECT_FALSE(cfg.Data.MakeLog);

    int menus = 0;
    cfg.MajMenuOutils = [&menus] { ++menus; };
    cfg.Data.MakeLog = true;
    ASSERT_TRUE(cfg.SauveOptionsKEP());
    EXPECT_EQ(menus, 1);
    EXPECT_TRUE(FileExists(NomFichOptions));
    EXPECT_TRUE(calls.Errors.empty());

    // The next run is no first run: the history topic of this version is
    // shown once, then KepVer remembers it.
    TCalls second;
    TEcrCfg again(Start(dir_, second));
    EXPECT_FALSE(again.FirstRun());
    EXPECT_TRUE(second.Contexts.empty());
    EXPECT_EQ(second.Keywords, std::vector<QString>{QStringLiteral("Historique, version 2.5.1")});
    EXPECT_TRUE(again.Data.MakeLog);
    EXPECT_EQ(TKepFile().ReadString("Global", "KepVer", ""), "2.5.1");

    TCalls third;
    TEcrCfg same(Start(dir_, third));
    EXPECT_TRUE(third.Keywords.empty());
    TCalls newer;
    TEcrCfg upgraded(Start(dir_, newer, {}, "2.6.0.1"));
    EXPECT_EQ(newer.Keywords, std::vector<QString>{QStringLiteral("Historique, version 2.6.0")});
}

TEST_F(TCfgEnv, HelpNotShownLeavesTheFirstRunFlagClear)
{
    TCalls calls;
    TCfgStart s = Start(dir_, calls);
    s.HelpContext = [&calls](int c) {
        calls.Contexts.push_back(c);
        return false;
    };
    TEcrCfg cfg(std::move(s));
    EXPECT_FALSE(cfg.FirstRun());
    EXPECT_EQ(calls.Contexts, std::vector<int>{1000001});
    EXPECT_EQ(calls.Keywords.size(), 1u);
}

TEST_F(TCfgEnv, CommandLineProjectWinsOverProjAct)
{
    const auto listed = dir_.Write("p/liste.pja", "[Global]\r\nMakeFile=a\r\n");
    const auto given = dir_.Write("p/donne.pja", "[Global]\r\nMakeFile=a\r\n");
    dir_.Write("config/kep/kep.ini", "[Global]\r\nKepVer=2.5.1\r\nProjAct=0\r\n[Proj]\r\n0=" + listed + "\r\n");
    TCalls calls;
    {
        TEcrCfg cfg(Start(dir_, calls, {given}));
        EXPECT_EQ(NomProjet, given);
    }
    {
        TEcrCfg cfg(Start(dir_, calls, {dir_.Path("p/absent.pja")}));
        EXPECT_EQ(NomProjet, listed);
    }
    {
        TEcrCfg cfg(Start(dir_, calls));
        EXPECT_EQ(NomProjet, listed);
    }
    EXPECT_TRUE(calls.Contexts.empty());
    EXPECT_TRUE(calls.Keywords.empty());
}

TEST_F(TCfgEnv, ConversionErrorsAreReportedInFrenchAndSetTabPathWritesAtOnce)
{
    dir_.Write("config/kep/kep.ini",
               "[Global]\r\nKepVer=2.5.1\r\n[FileTypes]\r\nFT0=Assembleur\r\n[FT0]\r\nExt=.ASM\r\nOpts=G7\r\n");
    TCalls calls;
    TEcrCfg cfg(Start(dir_, calls));
    ASSERT_EQ(calls.Errors.size(), 1u);
    EXPECT_TRUE(calls.Errors[0].contains(QStringLiteral("Assembleur")));
    EXPECT_TRUE(calls.Errors[0].contains(QStringLiteral("n'est pas une valeur hexadécimale correcte")));
    EXPECT_EQ(cfg.FileTypeOf("x.asm").Opts, 0x07);
    EXPECT_EQ(cfg.FileTypeOf("x.asm").Nom, "Assembleur");

    ASSERT_TRUE(cfg.SetTabPath("/usr/share/kep/tables/"));
    EXPECT_EQ(TKepFile().ReadString("Global", "TabPath", ""), "/usr/share/kep/tables/");
    EXPECT_EQ(cfg.Data.TabPath, "/usr/share/kep/tables/");
}

TEST_F(TCfgEnv, UnwritableOptionFileIsReported)
{
    TCalls calls;
    TEcrCfg cfg(Start(dir_, calls));
    NomFichOptions = dir_.Path("bin/kep/impossible.ini"); // "kep" is a file
    EXPECT_FALSE(cfg.SauveOptionsKEP());
    ASSERT_EQ(calls.Errors.size(), 1u);
    EXPECT_TRUE(calls.Errors[0].startsWith(QStringLiteral("Impossible d'enregistrer les options")));
}

TEST_F(TCfgEnv, AToolReceivesEachNameWholeWhateverItHolds)
{
    // The tool writes its folder and its arguments one a line, then renames
    // the list into place so that it is read only once complete.
    const std::string tool = dir_.Write("bin/args.sh", "#!/bin/sh\n"
                                                       "out=\"$(dirname \"$0\")/args.txt\"\n"
                                                       "{ pwd; for a in \"$@\"; do printf '%s\\n' \"$a\"; done; } > \"$out.tmp\"\n"
                                                       "mv \"$out.tmp\" \"$out\"\n");
    ASSERT_EQ(chmod(tool.c_str(), 0755), 0);
    const std::string folder = dir_.Path("mes sources");
    const std::string name = "l'horloge \"v2\" a\\b";
    dir_.Write("mes sources/" + name + ".asm", "");

    TCalls calls;
    TEcrCfg cfg(Start(dir_, calls));
    TInfoOutils o;
    o.Nom = "Args";
    o.Cmde = tool;
    o.Unique = false;
    o.Rep = "%EditPath";
    // Quotes of the text still group words; keywords are expanded in them.
    o.Parm = "%EditName.lst %EditPath \"-f %EditName%EditExt\" 'a  b' c\\ d";
    cfg.Data.Outils = {o};
    cfg.FichierEdite = folder + "/" + name + ".asm";
    ASSERT_GT(cfg.ExeOutil(0), 32);
    std::string out;
    for (int i = 0; i < 500 && !dir_.Exists("bin/args.txt"); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    out = dir_.Read("bin/args.txt");
    EXPECT_EQ(out, folder + "\n" + name + ".lst\n" + folder + "\n-f " + name + ".asm\na  b\nc d\n");
    EXPECT_TRUE(calls.Errors.empty());
}

TEST(WinBounds, RoundTripAndLegacyKeysRemoved)
{
    TTestDir dir;
    const auto path = dir.Write("p.pja", "[Comms]\r\nLeft=30\r\nTop=40\r\nWidth=300\r\nHeight=200\r\nPort=COM1\r\n");
    TIniFilePlus ini(path);
    QWidget w;
    w.setGeometry(100, 50, 640, 480);
    ASSERT_TRUE(SaveBounds(ini, "Conversion", &w));
    EXPECT_NE(dir.Read("p.pja").find("[Conversion]\r\nBounds=100,50,640,480\r\n"), std::string::npos);

    QWidget back;
    RestoreBounds(ini, "Conversion", &back, QRect(1, 2, 300, 300));
    EXPECT_EQ(back.geometry(), QRect(100, 50, 640, 480));

    QWidget moved;
    moved.resize(123, 45);
    RestorePosition(ini, "Conversion", &moved);
    EXPECT_EQ(moved.geometry(), QRect(100, 50, 123, 45));
    RestorePosition(ini, "Absent", &moved);
    EXPECT_EQ(moved.geometry(), QRect(100, 50, 123, 45));

    QWidget legacy;
    RestoreBounds(ini, "Comms", &legacy, QRect(0, 0, 500, 400));
    EXPECT_EQ(legacy.geometry(), QRect(30, 40, 300, 200));
    TIniFilePlus reread(path);
    EXPECT_EQ(reread.ReadSection("Comms"), std::vector<std::string>{"Port"});

    // Neither form: the default rectangle.
    QWidget fresh;
    RestoreBounds(ini, "Références", &fresh, QRect(10, 20, 330, 220));
    EXPECT_EQ(fresh.geometry(), QRect(10, 20, 330, 220));
}

TEST(WinBounds, WildValuesStayOnTheDesktopAndBadNumbersThrow)
{
    TTestDir dir;
    const auto path = dir.Write("p.pja", "[Huge]\r\nBounds=-2000000000,2000000000,2147483647,999999999\r\n"
                                         "[Bad]\r\nBounds=gauche,1,2,3\r\n"
                                         "[Neg]\r\nBounds=10,10,-50,abc\r\n");
    TIniFilePlus ini(path);
    QRect desk;
    for (const QScreen* s : QGuiApplication::screens())
        desk = desk.united(s->virtualGeometry());
    QWidget w;
    RestoreBounds(ini, "Huge", &w, QRect());
    EXPECT_LE(w.width(), std::max(desk.width(), 4096));
    EXPECT_LE(w.height(), std::max(desk.height(), 4096));
    EXPECT_GT(w.geometry().right(), desk.left() - 1);

    QWidget bad;
    bad.setGeometry(5, 6, 70, 80);
    EXPECT_THROW(RestoreBounds(ini, "Bad", &bad, QRect()), EConvertError);
    EXPECT_EQ(bad.geometry(), QRect(5, 6, 70, 80));

    QWidget neg;
    RestoreBounds(ini, "Neg", &neg, QRect());
    EXPECT_GE(neg.width(), 1);
    EXPECT_GE(neg.height(), 1);
}
