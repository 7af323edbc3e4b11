// Loading and saving the option file's sections.
#include "support/TestDir.h"
#include "config/U_Options.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

using namespace kep;

namespace {

const TProgramPaths Prog{"/opt/kep/"};

TOptionsKep Load(const std::string& path, std::string* nomProjet = nullptr, std::vector<std::string>* errors = nullptr)
{
    TIniFilePlus ini(path);
    TOptionsKep opts;
    std::string proj;
    std::vector<std::string> errs;
    ChargeOptions(ini, opts, Prog, nomProjet ? *nomProjet : proj, errors ? *errors : errs);
    return opts;
}

bool Contains(const std::string& text, const std::string& part)
{
    return text.find(part) != std::string::npos;
}

} // namespace

TEST(Options, EmptyFileTypesGivesExactlyAutresWithDefaults)
{
    TTestDir dir;
    const auto path = dir.Write("kep.ini", "[Global]\r\nLogMake=1\r\n[FileTypes]\r\n");
    std::vector<std::string> errors;
    const TOptionsKep opts = Load(path, nullptr, &errors);
    EXPECT_TRUE(errors.empty());
    ASSERT_EQ(opts.TypesFich.size(), 1u);
    const TInfosFich& t = opts.TypesFich[0];
    EXPECT_EQ(t.Nom, "Autres");
    EXPECT_EQ(t.Ext, ".???");
    EXPECT_EQ(t.Police, "Courier New");
    EXPECT_EQ(t.Taille, 10);
    EXPECT_EQ(t.Tabs, (TTabStops{14, 23, 41, 48, 55, 70}));
    EXPECT_EQ(t.Opts, 0x07);
    EXPECT_EQ(t.Backup, 0);
    EXPECT_EQ(t.Styles, DefaultStyles());
    EXPECT_EQ(opts.TypeFichSel, 0);
    EXPECT_TRUE(opts.MakeLog);

    // Saved, the single type comes back in its stored forms.
    TIniFilePlus ini(path);
    ASSERT_TRUE(SauveOptions(ini, opts));
    const std::string text = dir.Read("kep.ini");
    EXPECT_TRUE(Contains(text, "FT0=Autres\r\n"));
    EXPECT_TRUE(Contains(text, "Tabs=14,23,41,48,55,70\r\n"));
    EXPECT_TRUE(Contains(text, "Opts=07\r\n"));
    EXPECT_TRUE(Contains(text, "Backup=0\r\n"));
    EXPECT_TRUE(Contains(text, "Size=10\r\n"));
}

TEST(Options, MissingFileGivesDefaults)
{
    TTestDir dir;
    const TOptionsKep opts = Load(dir.Path("none.ini"));
    EXPECT_EQ(opts.TabPath, "/opt/kep/lib/");
    EXPECT_EQ(opts.ProgMake, "/opt/kep/kepmake");
    EXPECT_EQ(opts.ParamMakeTout, "-a");
    EXPECT_EQ(opts.NetPartiel, "*.cod; *.map; *.grp; *.sym; *.err");
    EXPECT_EQ(opts.NetComplet, "*.obj; *.cod; *.map; *.grp; *.sym; *.err");
    EXPECT_FALSE(opts.MakeLog);
    EXPECT_TRUE(opts.AfficheInfos);
    EXPECT_TRUE(opts.FermeConsole);
    EXPECT_FALSE(opts.EnableBak);
    EXPECT_TRUE(opts.Outils.empty());
    EXPECT_EQ(opts.OutilSel, -1);
    ASSERT_EQ(opts.TypesFich.size(), 1u);
}

TEST(Options, FileTypesRoundTripSortedWithStoredForms)
{
    TTestDir dir;
    const auto path = dir.Path("kep.ini");
    TOptionsKep opts = Load(path);
    TInfosFich asmType;
    asmType.Nom = "Assembleur";
    asmType.Ext = ".ASM";
    asmType.Police = "Lucida Console";
    asmType.Taille = 12;
    asmType.Tabs = {8, 16, 24, 32, 40, 65535};
    asmType.Opts = 0xAF; // unused high bits are kept
    asmType.Backup = 3;
    asmType.Styles[stRem].Fore = RGBColor(0, 0x80, 0);
    asmType.Styles[stRem].Style = fsItalic;
    opts.TypesFich.push_back(asmType);
    TInfosFich zType;
    zType.Nom = "zz texte";
    zType.Ext = ".TXT";
    opts.TypesFich.insert(opts.TypesFich.begin(), zType);
    {
        TIniFilePlus ini(path);
        ASSERT_TRUE(SauveOptions(ini, opts));
    }
    const std::string text = dir.Read("kep.ini");
    EXPECT_TRUE(Contains(text, "FT0=Assembleur\r\nFT1=Autres\r\nFT2=zz texte\r\n")) << text;
    EXPECT_TRUE(Contains(text, "Opts=AF\r\n"));
    EXPECT_TRUE(Contains(text, "Tabs=8,16,24,32,40,65535\r\n"));

    const TOptionsKep back = Load(path);
    ASSERT_EQ(back.TypesFich.size(), 3u);
    EXPECT_EQ(back.TypesFich[0], asmType);
    EXPECT_EQ(back.TypesFich[1].Nom, "Autres");
    EXPECT_EQ(back.TypesFich[2], zType);

    EXPECT_EQ(FileTypeOf(back.TypesFich, "/src/Main.asm").Nom, "Assembleur");
    EXPECT_EQ(FileTypeOf(back.TypesFich, "notes.TxT").Nom, "zz texte");
    EXPECT_EQ(FileTypeOf(back.TypesFich, "/a.asm/readme").Nom, "Autres");
    EXPECT_EQ(FileTypeOf(back.TypesFich, "make.mke").Nom, "Autres");
    EXPECT_EQ(FileTypeOf({}, "x.asm").Nom, "Autres");
}

TEST(Options, DelaiBakOffRemovesTheKeyAndOnWritesMinutes)
{
    TTestDir dir;
    const auto path = dir.Write("kep.ini", "[Global]\r\nDelaiBak=12\r\n");
    TOptionsKep opts = Load(path);
    EXPECT_TRUE(opts.EnableBak);
    EXPECT_EQ(opts.DelaiBak, 12);

    opts.EnableBak = false;
    {
        TIniFilePlus ini(path);
        ASSERT_TRUE(SauveOptions(ini, opts));
    }
    EXPECT_FALSE(Contains(dir.Read("kep.ini"), "DelaiBak"));
    EXPECT_FALSE(Load(path).EnableBak);

    opts.EnableBak = true;
    opts.DelaiBak = 5;
    {
        TIniFilePlus ini(path);
        ASSERT_TRUE(SauveOptions(ini, opts));
    }
    EXPECT_TRUE(Contains(dir.Read("kep.ini"), "DelaiBak=5\r\n"));
    const TOptionsKep back = Load(path);
    EXPECT_TRUE(back.EnableBak);
    EXPECT_EQ(back.DelaiBak, 5);

    // Out of range values are brought into 2..60.
    dir.Write("kep.ini", "[Global]\r\nDelaiBak=900\r\n");
    EXPECT_EQ(Load(path).DelaiBak, 60);
    dir.Write("kep.ini", "[Global]\r\nDelaiBak=-3\r\n");
    EXPECT_EQ(Load(path).DelaiBak, 2);
}

TEST(Options, ToolsSavedWithoutStaleSectionsAndUniqueOnlyWhenFalse)
{
    TTestDir dir;
    const auto path = dir.Write("kep.ini",
                                "[Tools]\r\nTool0=Un\r\nTool1=Deux\r\nTool2=Trois\r\n"
                                "[Tool0]\r\nCmde=/bin/un\r\n"
                                "[Tool1]\r\nCmde=/bin/deux\r\nRep=%ProjPath\r\nParm=-x %EditName\r\nUnique=0\r\n"
                                "[Tool2]\r\nCmde=/bin/trois\r\n"
                                "[Tool7]\r\nCmde=/bin/oublie\r\n");
    TOptionsKep opts = Load(path);
    ASSERT_EQ(opts.Outils.size(), 3u);
    EXPECT_EQ(opts.OutilSel, 0);
    EXPECT_EQ(opts.Outils[1].Nom, "Deux");
    EXPECT_EQ(opts.Outils[1].Rep, "%ProjPath");
    EXPECT_EQ(opts.Outils[1].Parm, "-x %EditName");
    EXPECT_FALSE(opts.Outils[1].Unique);
    EXPECT_TRUE(opts.Outils[0].Unique);

    opts.Outils.erase(opts.Outils.begin()); // "Deux" and "Trois" remain
    {
        TIniFilePlus ini(path);
        ASSERT_TRUE(SauveOptions(ini, opts));
    }
    TIniFilePlus ini(path);
    EXPECT_EQ(ini.ReadSection("Tools"), (std::vector<std::string>{"Tool0", "Tool1"}));
    EXPECT_FALSE(ini.SectionExists("Tool2"));
    EXPECT_FALSE(ini.SectionExists("Tool7"));
    EXPECT_EQ(ini.ReadSection("Tool0"), (std::vector<std::string>{"Cmde", "Rep", "Parm", "Unique"}));
    EXPECT_EQ(ini.ReadString("Tool0", "Unique", "?"), "0");
    // A tool with Unique set writes only its non-empty fields.
    EXPECT_EQ(ini.ReadSection("Tool1"), (std::vector<std::string>{"Cmde"}));

    opts.Outils.clear();
    ASSERT_TRUE(SauveOptions(ini, opts));
    TIniFilePlus after(path);
    EXPECT_FALSE(after.SectionExists("Tools"));
    EXPECT_FALSE(after.SectionExists("Tool0"));
    EXPECT_FALSE(after.SectionExists("Tool1"));
}

TEST(Options, EmptyStoredValuesKeepTheCurrentOnes)
{
    TTestDir dir;
    const auto path = dir.Write("kep.ini",
                                "[Global]\r\nParaMake=\r\nParaMakeAll=\r\nQuitte1=\r\nQuitte2=*.bak\r\n"
                                "TabPath=\r\nProgMake=/usr/bin/make\r\n");
    TIniFilePlus ini(path);
    TOptionsKep opts;
    opts.ParamMake = "-j2";
    opts.ParamMakeTout = "-B";
    opts.NetPartiel = "*.o";
    opts.TabPath = "/ancien/";
    std::string proj;
    std::vector<std::string> errors;
    ChargeOptions(ini, opts, Prog, proj, errors);
    EXPECT_EQ(opts.ParamMake, "-j2");
    EXPECT_EQ(opts.ParamMakeTout, "-B");
    EXPECT_EQ(opts.NetPartiel, "*.o");
    EXPECT_EQ(opts.NetComplet, "*.bak");
    // TabPath and ProgMake start from the program's defaults at each load.
    EXPECT_EQ(opts.TabPath, "/opt/kep/lib/");
    EXPECT_EQ(opts.ProgMake, "/usr/bin/make");
}

TEST(Options, ProjActNamesTheProjectOnlyWhenNoneIsOpen)
{
    TTestDir dir;
    const auto path = dir.Write("kep.ini", "[Global]\r\nProjAct=1\r\n[Proj]\r\n0=/p/a.pja\r\n1=/p/b.pja\r\n");
    std::string proj;
    Load(path, &proj);
    EXPECT_EQ(proj, "/p/b.pja");
    proj = "/ligne/de/commande.pja";
    Load(path, &proj);
    EXPECT_EQ(proj, "/ligne/de/commande.pja");
    dir.Write("kep.ini", "[Global]\r\nProjAct=-1\r\n[Proj]\r\n0=/p/a.pja\r\n");
    proj.clear();
    Load(path, &proj);
    EXPECT_EQ(proj, "");
}

TEST(Options, GarbageFilesNeverFailAndFallBack)
{
    TTestDir dir;
    const auto path = dir.Path("kep.ini");
    std::string garbage;
    for (int i = 0; i < 70000; ++i)
        garbage += static_cast<char>((i * 7919 + 13) % 256);
    const std::string huge(2'000'000, '9');
    const std::vector<std::string> files = {
        garbage,
        "[FileTypes]\r\nFT0=Asm\r\nsans egal\r\n[FT0]\r\nOpts=zz\r\nTabs=abc,1,2\r\nSize=douze\r\n",
        "[Global]\r\nLogMake=" + huge + "\r\nDelaiBak=" + huge + "\r\nTabPath=" + huge + "\r\n",
        "[FileTypes]\r\nFT0=Asm\r\n[FT0]\r\nOpts=" + huge + "\r\nTabs=" + huge + "\r\nBackup=xyz\r\n",
        std::string("[Proj]\r\n0=/tmp/\xff\xfe\x80.pja\r\n[Global]\r\nProjAct=0\r\n"),
        "[FileTypes\r\n=\r\n==\r\n[]\r\n[Tools]\r\n=x\r\nTool0\r\n",
        "[FileTypes]\r\nGlobal=Asm\r\n[Global]\r\nLogMake=1\r\n",
        std::string("\0\0\0[Global]\0\r\nAffInfos=0\r\n", 23),
    };
    for (std::size_t i = 0; i < files.size(); ++i) {
        SCOPED_TRACE(i);
        dir.Write("kep.ini", files[i]);
        std::vector<std::string> errors;
        std::string proj;
        TOptionsKep opts = Load(path, &proj, &errors);
        EXPECT_FALSE(opts.TypesFich.empty());
        EXPECT_GE(opts.DelaiBak, DelaiBakMin);
        EXPECT_LE(opts.DelaiBak, DelaiBakMax);
        // Whatever was read can be written back and read again.
        TIniFilePlus ini(path);
        EXPECT_TRUE(SauveOptions(ini, opts));
        std::vector<std::string> again;
        const TOptionsKep back = Load(path, &proj, &again);
        EXPECT_TRUE(again.empty());
        EXPECT_EQ(back.TypesFich, [&] { auto t = opts.TypesFich; SortTypesFich(t); return t; }());
    }
}

TEST(Options, ConversionErrorsNameTheTypeAndKeepDefaults)
{
    TTestDir dir;
    const auto path = dir.Write("kep.ini",
                                "[FileTypes]\r\nFT0=Asm\r\n[FT0]\r\nExt=.ASM\r\nOpts=zz\r\nTabs=abc,1,2\r\n"
                                "Size=douze\r\nBackup=2\r\n");
    std::vector<std::string> errors;
    const TOptionsKep opts = Load(path, nullptr, &errors);
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_TRUE(Contains(errors[0], "Asm")) << errors[0];
    EXPECT_TRUE(Contains(errors[0], "'zz'")) << errors[0];
    EXPECT_TRUE(Contains(errors[0], "Tabs : 'abc'")) << errors[0];
    EXPECT_TRUE(Contains(errors[0], "Opts : 'zz'")) << errors[0];
    ASSERT_EQ(opts.TypesFich.size(), 2u);
    const TInfosFich& t = opts.TypesFich[0];
    EXPECT_EQ(t.Nom, "Asm");
    EXPECT_EQ(t.Ext, ".ASM");
    EXPECT_EQ(t.Opts, 0x07);
    EXPECT_EQ(t.Tabs, TabsAsmUsine);
    EXPECT_EQ(t.Taille, 10);
    EXPECT_EQ(t.Backup, 2);
}

TEST(Options, FontSizeAndBackupCountOutOfRangeFallBack)
{
    TTestDir dir;
    const auto path = dir.Write("kep.ini", "[FileTypes]\r\nFT0=A\r\nFT1=B\r\nFT2=C\r\n"
                                           "[FT0]\r\nSize=0\r\nBackup=2000000000\r\n"
                                           "[FT1]\r\nSize=99999\r\nBackup=-4\r\n"
                                           "[FT2]\r\nSize=14\r\nBackup=9\r\n");
    const TOptionsKep opts = Load(path);
    ASSERT_EQ(opts.TypesFich.size(), 4u);
    EXPECT_EQ(opts.TypesFich[0].Taille, 10);
    EXPECT_EQ(opts.TypesFich[0].Backup, 9);
    EXPECT_EQ(opts.TypesFich[2].Taille, 10);
    EXPECT_EQ(opts.TypesFich[2].Backup, 0);
    EXPECT_EQ(opts.TypesFich[3].Taille, 14);
    EXPECT_EQ(opts.TypesFich[3].Backup, 9);
}

TEST(Options, ErrorDefaultsUseCommaTextQuoting)
{
    TTestDir dir;
    const auto path = dir.Path("kep.ini");
    TIniFilePlus ini(path);
    TErrDefaults err;
    err.MarqErr = "): error, \"x\"";
    err.LigMarqErr = 2;
    err.DebNomFich = "#3";
    ASSERT_TRUE(WriteErrDefaults(ini, err));
    const std::string text = dir.Read("kep.ini");
    EXPECT_TRUE(Contains(text, "MarqueErr=\"): error, \"\"x\"\"\",2,\"): Lyn\",0\r\n")) << text;
    EXPECT_TRUE(Contains(text, "MarqueNom=#3,(,0\r\n")) << text;
    EXPECT_TRUE(Contains(text, "MarqueLig=(,):,0\r\n")) << text;

    TIniFilePlus reread(path);
    TErrDefaults back;
    back.MarqErr = "?";
    ReadErrDefaults(reread, back);
    EXPECT_EQ(back.MarqErr, err.MarqErr);
    EXPECT_EQ(back.LigMarqErr, 2);
    EXPECT_EQ(back.MarqErr2, "): Lyn");
    EXPECT_EQ(back.DebNomFich, "#3");
    EXPECT_EQ(back.NbrLigErr, "1");

    // A two-item list leaves the second marker as it was.
    dir.Write("kep.ini", "[Global]\r\nMarqueErr=Erreur,25\r\nNbrLigErr=5000\r\n");
    TIniFilePlus two(path);
    TErrDefaults partial;
    partial.MarqErr2 = "garde";
    ReadErrDefaults(two, partial);
    EXPECT_EQ(partial.MarqErr, "Erreur");
    EXPECT_EQ(partial.LigMarqErr, 0);
    EXPECT_EQ(partial.MarqErr2, "garde");
    EXPECT_EQ(partial.NbrLigErr, "1");
}

TEST(Options, ErrorLinePositionsStopAtTwenty)
{
    // Every line position of the error defaults reads 0 to 20; any other
    // number reads as 0, not as the value held before.
    TTestDir dir;
    const auto path = dir.Path("kep.ini");
    for (const auto& [stored, read] : std::vector<std::pair<std::string, int>>{
             {"20", 20}, {"21", 0}, {"0", 0}, {"1", 1}, {"-1", 0}}) {
        SCOPED_TRACE(stored);
        dir.Write("kep.ini", "[Global]\r\nMarqueErr=e1," + stored + ",e2," + stored + "\r\nMarqueNom=#,(," + stored +
                                 "\r\nMarqueLig=(,):," + stored + "\r\n");
        TIniFilePlus ini(path);
        TErrDefaults err;
        err.LigMarqErr = err.LigMarqErr2 = err.LigNomFich = err.LigNumLig = 7;
        ReadErrDefaults(ini, err);
        EXPECT_EQ(err.MarqErr2, "e2");
        EXPECT_EQ(err.LigMarqErr, read);
        EXPECT_EQ(err.LigMarqErr2, read);
        EXPECT_EQ(err.LigNomFich, read);
        EXPECT_EQ(err.LigNumLig, read);
    }

    // The first and second markers are bounded each on its own.
    dir.Write("kep.ini", "[Global]\r\nMarqueErr=e1,20,e2,21\r\n");
    TErrDefaults first;
    ReadErrDefaults(TIniFilePlus(path), first);
    EXPECT_EQ(first.LigMarqErr, 20);
    EXPECT_EQ(first.LigMarqErr2, 0);
    dir.Write("kep.ini", "[Global]\r\nMarqueErr=e1,21,e2,20\r\n");
    TErrDefaults second;
    ReadErrDefaults(TIniFilePlus(path), second);
    EXPECT_EQ(second.LigMarqErr, 0);
    EXPECT_EQ(second.LigMarqErr2, 20);

    // The largest position survives a write and a read.
    TErrDefaults most;
    most.LigMarqErr = most.LigMarqErr2 = 20;
    {
        TIniFilePlus ini(path);
        ASSERT_TRUE(WriteErrDefaults(ini, most));
    }
    TErrDefaults back;
    ReadErrDefaults(TIniFilePlus(path), back);
    EXPECT_EQ(back.LigMarqErr, 20);
    EXPECT_EQ(back.LigMarqErr2, 20);
}

TEST(History, MovesOrInsertsAndKeepsTwenty)
{
    std::vector<std::string> list;
    for (int i = 0; i < 20; ++i)
        list.push_back("t" + std::to_string(i));
    AddToHistory("nouveau", list);
    ASSERT_EQ(list.size(), 20u);
    EXPECT_EQ(list.front(), "nouveau");
    EXPECT_EQ(list[1], "t0");
    EXPECT_EQ(list.back(), "t18");

    AddToHistory("t10", list);
    ASSERT_EQ(list.size(), 20u);
    EXPECT_EQ(list[0], "t10");
    EXPECT_EQ(list[1], "nouveau");
    EXPECT_EQ(std::count(list.begin(), list.end(), "t10"), 1);

    // Exact comparison: another case is another entry.
    AddToHistory("T10", list);
    EXPECT_EQ(list[0], "T10");
    EXPECT_EQ(list[1], "t10");
}

TEST(Version, PrefixBeforeTheThirdDot)
{
    EXPECT_EQ(VersionPrefix("2.5.1.7"), "2.5.1");
    EXPECT_EQ(VersionPrefix("0.1.0.0"), "0.1.0");
    EXPECT_EQ(VersionPrefix("1.2.3"), "");
    EXPECT_EQ(VersionPrefix(""), "");
    EXPECT_EQ(VersionPrefix("1.2.3.4.5"), "1.2.3");
}
