// The session sections of a project file: what is written when, and what
// reads back.
#include "support/TestDir.h"
#include "app/U_Session.h"

#include <gtest/gtest.h>

#include <tuple>

using namespace kep;

namespace {

const TStyleTable& Defaults(const std::string&) { return DefaultStyles(); }

TSessionEntry FirstView(const std::string& nom)
{
    TSessionEntry e;
    e.Nom = nom;
    e.ViewName = nom;
    TInfosFich f;
    f.Police = "Courier New";
    f.Taille = 11;
    f.Tabs = {112, 184, 328, 384, 440, 560};
    f.Opts = optAutoSave | optClrEol;
    f.Backup = 2;
    e.Settings = f;
    return e;
}

TSessionEntry LaterView(const std::string& nom)
{
    TSessionEntry e;
    e.Nom = nom;
    e.FirstView = false;
    return e;
}

} // namespace

TEST(Session, FileInTwoViewsIsTwoSectionsWithSettingsOnTheFirstOnly)
{
    TTestDir dir;
    TSessionState s;
    TSessionEntry a = FirstView("main.asm");
    a.ViewName = "main.asm(1)";
    a.Markers[3] = TTextPos{7, 2};
    a.Settings->Styles[stRem].Fore = RGBColor(1, 2, 3);
    TSessionEntry b = LaterView("main.asm");
    b.ViewName = "main.asm(2)";
    b.View.Caret = TTextPos{4, 6};
    b.NoRefs = true;
    s.Entries = {a, b};
    s.PageAct = 1;
    s.EditPrec = 0;
    {
        TIniFilePlus ini(dir.Path("p.pja"));
        ASSERT_TRUE(WriteSession(ini, s, Defaults));
    }
    TIniFilePlus ini(dir.Path("p.pja"));
    const auto keys0 = ini.ReadSection("Edit0");
    const auto keys1 = ini.ReadSection("Edit1");
    const std::vector<std::string> first{"Nom", "Police", "Taille", "stRem", "Backup", "Tabs", "Autoload",
                                         "AutoSave", "OemFile", "CleanEol", "ReadOnly", "M3", "CurPos", "NoRefs"};
    EXPECT_EQ(keys0, first);
    const std::vector<std::string> second{"Nom", "CurPos", "NoRefs"};
    EXPECT_EQ(keys1, second);
    EXPECT_EQ(ini.ReadString("Edit0", "Tabs", ""), "112,184,328,384,440,560");
    EXPECT_EQ(ini.ReadString("Edit0", "M3", ""), "7,2");
    EXPECT_EQ(ini.ReadString("Edit0", "AutoSave", ""), "1");
    EXPECT_EQ(ini.ReadString("Edit0", "OemFile", ""), "0");
    EXPECT_EQ(ini.ReadString("Edit1", "CurPos", ""), "4,6");
    EXPECT_EQ(ini.ReadString("Global", "NbrEdit", ""), "2");
    EXPECT_EQ(ini.ReadString("Global", "PageAct", ""), "1");
    EXPECT_EQ(ini.ReadString("Global", "EditPrec", ""), "0");

    // Reading back: the settings of the first view over the type's.
    TInfosFich type;
    type.Opts = optConvDos | optReadOnly;
    auto st = ReadEditSettings(ini, 0, type, false);
    ASSERT_TRUE(st.has_value());
    EXPECT_TRUE(st->TabsInPixels);
    EXPECT_EQ(st->Infos.Tabs, (TTabStops{112, 184, 328, 384, 440, 560}));
    EXPECT_EQ(st->Infos.Taille, 11);
    EXPECT_EQ(st->Infos.Backup, 2);
    EXPECT_EQ(st->Infos.Opts, optAutoSave | optClrEol); // stored bits win over the type's
    EXPECT_EQ(st->Infos.Styles[stRem].Fore, RGBColor(1, 2, 3));
    EXPECT_FALSE(ReadEditSettings(ini, 1, type, false).has_value());
    // Backup counts are kept to 0..9 as the option file's are.
    ini.WriteInteger("Edit0", "Backup", 3000000);
    EXPECT_EQ(ReadEditSettings(ini, 0, type, false)->Infos.Backup, 9);
    ini.WriteInteger("Edit0", "Backup", -1);
    EXPECT_EQ(ReadEditSettings(ini, 0, type, false)->Infos.Backup, 0);
    ini.WriteInteger("Edit0", "Backup", 9);
    EXPECT_EQ(ReadEditSettings(ini, 0, type, false)->Infos.Backup, 9);
    const TSessionEntry r0 = ReadEditView(ini, 0);
    EXPECT_EQ(r0.Markers[3], (TTextPos{7, 2}));
    EXPECT_EQ(r0.Markers[0], (TTextPos{-1, -1}));
    const TSessionEntry r1 = ReadEditView(ini, 1);
    EXPECT_EQ(r1.View.Caret, (TTextPos{4, 6}));
    EXPECT_TRUE(r1.NoRefs);
    EXPECT_TRUE(r1.ViewName.empty()); // generated names are not stored
}

TEST(Session, ViewKeysOnlyWhenNeeded)
{
    TTestDir dir;
    TSessionState s;
    TSessionEntry plain = LaterView("a.asm"); // top, no selection, whole file
    TSessionEntry full = LaterView("a.asm");
    full.View.TopLine = 12;
    full.View.SelStart = TTextPos{2, 3};
    full.View.SelEnd = TTextPos{5, 1};
    full.View.ViewMinLine = 10;
    full.View.ViewMaxLine = 40;
    full.ViewName = "Init";
    TSessionEntry zeroMin = LaterView("a.asm");
    zeroMin.View.ViewMinLine = 0; // 0 and -1 both mean "from the start"
    s.Entries = {plain, full, zeroMin};
    TIniFilePlus ini(dir.Path("p.pja"));
    ASSERT_TRUE(WriteSession(ini, s, Defaults));
    for (const char* key : {"PremLig", "SelPos", "ViewLim", "ViewName"}) {
        EXPECT_FALSE(ini.ValueExists("Edit0", key)) << key;
        EXPECT_TRUE(ini.ValueExists("Edit1", key)) << key;
        EXPECT_FALSE(ini.ValueExists("Edit2", key)) << key;
    }
    EXPECT_EQ(ini.ReadString("Edit1", "SelPos", ""), "2,3,5,1");
    EXPECT_EQ(ini.ReadString("Edit1", "ViewLim", ""), "10,40");
    const TSessionEntry r = ReadEditView(ini, 1);
    EXPECT_EQ(r.View.TopLine, 12);
    EXPECT_EQ(r.View.SelStart, (TTextPos{2, 3}));
    EXPECT_EQ(r.View.SelEnd, (TTextPos{5, 1}));
    EXPECT_EQ(r.View.ViewMinLine, 10);
    EXPECT_EQ(r.View.ViewMaxLine, 40);
    EXPECT_EQ(r.ViewName, "Init");
    const TSessionEntry p = ReadEditView(ini, 0);
    EXPECT_EQ(p.View.ViewMaxLine, TEditView::NoMaxLine);
    EXPECT_EQ(p.View.SelStart, p.View.SelEnd);
}

TEST(Session, FewerEntriesEraseTheStaleSectionsOnly)
{
    TTestDir dir;
    dir.Write("p.pja", "[Global]\r\nNbrEdit=5\r\n[Edit0]\r\nNom=A\r\n[Edit1]\r\nNom=B\r\nStale=1\r\n[Edit2]\r\nNom=C\r\n"
                       "[Edit3]\r\nNom=D\r\n[Edit4]\r\nNom=E\r\n[Conversion]\r\nBounds=1,2,3,4\r\n");
    TSessionState s;
    s.Entries = {FirstView("x.asm"), FirstView("y.asm")};
    TIniFilePlus ini(dir.Path("p.pja"));
    ASSERT_TRUE(WriteSession(ini, s, Defaults));
    TIniFilePlus back(dir.Path("p.pja"));
    std::vector<std::string> edits;
    for (const std::string& sec : back.ReadSections())
        if (sec.rfind("Edit", 0) == 0)
            edits.push_back(sec);
    EXPECT_EQ(edits, (std::vector<std::string>{"Edit0", "Edit1"}));
    EXPECT_FALSE(back.ValueExists("Edit1", "Stale")); // rewritten whole
    EXPECT_EQ(back.ReadString("Edit1", "Nom", ""), "y.asm");
    EXPECT_EQ(back.ReadString("Conversion", "Bounds", ""), "1,2,3,4");
}

TEST(Session, StaleSectionsGoWhateverCountTheFileClaimed)
{
    // A count far beyond what the file holds, and sections past it: saving
    // erases the stale ones and does not walk the claimed count.
    TTestDir dir;
    dir.Write("p.pja", "[Global]\r\nNbrEdit=2000000000\r\n[Edit0]\r\nNom=A\r\n[Edit7]\r\nNom=G\r\n"
                       "[edit12]\r\nNom=H\r\n[Editeur]\r\nKeep=1\r\n");
    TSessionState s;
    s.Entries = {FirstView("x.asm")};
    TIniFilePlus ini(dir.Path("p.pja"));
    ASSERT_TRUE(WriteSession(ini, s, Defaults));
    TIniFilePlus back(dir.Path("p.pja"));
    EXPECT_TRUE(back.SectionExists("Edit0"));
    EXPECT_FALSE(back.SectionExists("Edit7"));
    EXPECT_FALSE(back.SectionExists("edit12"));
    EXPECT_TRUE(back.SectionExists("Editeur"));
    EXPECT_EQ(back.ReadInteger("Global", "NbrEdit", 0), 1);
}

TEST(Session, StylesEqualToTheTypeAreNotWritten)
{
    TTestDir dir;
    TStyleTable typeStyles = DefaultStyles();
    typeStyles[stDir].Fore = RGBColor(9, 9, 9);
    TSessionState s;
    TSessionEntry e = FirstView("x.asm");
    e.Settings->Styles = typeStyles;
    s.Entries = {e};
    TIniFilePlus ini(dir.Path("p.pja"));
    ASSERT_TRUE(WriteSession(ini, s, [&](const std::string&) -> const TStyleTable& { return typeStyles; }));
    EXPECT_FALSE(ini.ValueExists("Edit0", "stDir"));
    TInfosFich type;
    type.Styles = typeStyles;
    auto st = ReadEditSettings(ini, 0, type, false);
    ASSERT_TRUE(st);
    EXPECT_EQ(st->Infos.Styles, typeStyles);
}

TEST(Session, SettingsDefaultsAndProtection)
{
    TTestDir dir;
    dir.Write("p.pja", "[Edit0]\r\nNom=a.asm\r\nPolice=Mono\r\n[Edit1]\r\nPolice=Mono\r\nReadOnly=0\r\nTabs=x,2\r\n");
    TIniFilePlus ini(dir.Path("p.pja"));
    TInfosFich type;
    type.Taille = 13;
    type.Backup = 4;
    type.Opts = optConvDos | optAutoLoad | optReadOnly | 0x80;
    auto a = ReadEditSettings(ini, 0, type, false);
    ASSERT_TRUE(a);
    EXPECT_EQ(a->Infos.Police, "Mono");
    EXPECT_EQ(a->Infos.Taille, 13);
    EXPECT_EQ(a->Infos.Backup, 4);
    EXPECT_EQ(a->Infos.Opts, optConvDos | optAutoLoad | optReadOnly); // built from empty: bit 7 gone
    EXPECT_FALSE(a->TabsInPixels);                                   // no Tabs: the type's columns
    EXPECT_EQ(a->Infos.Tabs, type.Tabs);

    std::string error;
    auto b = ReadEditSettings(ini, 1, type, true, &error);
    ASSERT_TRUE(b);
    EXPECT_TRUE(b->Infos.Opts & optReadOnly); // protected project wins over ReadOnly=0
    EXPECT_FALSE(b->TabsInPixels);
    EXPECT_NE(error.find("Tabs"), std::string::npos);
    auto c = ReadEditSettings(ini, 1, type, false);
    EXPECT_FALSE(c->Infos.Opts & optReadOnly);
}

TEST(Session, NumericListsReadLeniently)
{
    TTestDir dir;
    dir.Write("p.pja", "[Edit0]\r\nCurPos=7\r\nSelPos=1,x,3\r\nViewLim=5\r\nM2=4\r\nPremLig=-3\r\n");
    TIniFilePlus ini(dir.Path("p.pja"));
    const TSessionEntry e = ReadEditView(ini, 0);
    EXPECT_EQ(e.View.Caret, (TTextPos{7, 0}));
    EXPECT_EQ(e.View.SelStart, (TTextPos{1, 0}));
    EXPECT_EQ(e.View.SelEnd, (TTextPos{3, 0}));
    EXPECT_EQ(e.View.ViewMinLine, 5);
    EXPECT_EQ(e.View.ViewMaxLine, 0);
    EXPECT_EQ(e.Markers[2], (TTextPos{4, 0}));
    EXPECT_EQ(e.View.TopLine, 0);
    const TSessionEntry empty = ReadEditView(ini, 9);
    EXPECT_EQ(empty.View.Caret, (TTextPos{0, 1}));
    EXPECT_EQ(empty.View.SelStart, (TTextPos{0, 1}));
}

TEST(Session, GlobalAndErrorKeys)
{
    TTestDir dir;
    TSessionState s;
    s.Bounds = TBounds{10, 20, 700, 500};
    s.Separ = 130;
    s.MakeFile = "build/demo.mke";
    s.ProgFile = "/opt/prog";
    s.Assembleur = kep::TAssembleur::Avra;
    s.Err.MarqErr = "): as";
    s.Err.LigMarqErr = 2;
    s.Err.MarqErr2 = "";
    s.Err.LigMarqErr2 = 0;
    s.Err.DebNomFich = "a,b";
    s.Err.FinNomFich = "say \"x\"";
    s.Closed.resize(1);
    s.Closed[0].Path = "/p/x.asm";
    {
        TIniFilePlus ini(dir.Path("p.pja"));
        ASSERT_TRUE(WriteSession(ini, s, Defaults));
    }
    TIniFilePlus ini(dir.Path("p.pja"));
    EXPECT_EQ(ini.ReadString("Global", "Bounds", ""), "10,20,700,500");
    EXPECT_EQ(ini.ReadString("Global", "MarqueErr", ""), "\"): as\",2,\"\",0");
    EXPECT_EQ(ini.ReadString("Global", "MarqueNom", ""), "\"a,b\",\"say \"\"x\"\"\",0");
    const TSessionGlobal g = ReadSessionGlobal(ini);
    EXPECT_EQ(g.MakeFile, "build/demo.mke");
    EXPECT_EQ(g.ProgFile, "/opt/prog");
    EXPECT_EQ(ini.ReadString("Global", "Assembleur", ""), "avra");
    EXPECT_EQ(g.Assembleur, kep::TAssembleur::Avra);
    // Case-blind; an empty or unknown name leaves the make file to decide,
    // and a session naming none keeps the key as it was.
    ini.WriteString("Global", "Assembleur", " GPasm");
    EXPECT_EQ(ReadSessionGlobal(ini).Assembleur, kep::TAssembleur::Gpasm);
    s.Assembleur.reset();
    ASSERT_TRUE(WriteSession(ini, s, Defaults));
    EXPECT_EQ(ini.ReadString("Global", "Assembleur", ""), " GPasm");
    for (const char* name : {"", "xc8"}) {
        ini.WriteString("Global", "Assembleur", name);
        EXPECT_EQ(ReadSessionGlobal(ini).Assembleur, std::nullopt) << name;
    }
    ASSERT_TRUE(g.Separ.has_value());
    EXPECT_EQ(*g.Separ, 130);
    TErrDefaults e;
    ReadSessionErr(ini, e);
    EXPECT_EQ(e.MarqErr, "): as");
    EXPECT_EQ(e.LigMarqErr, 2);
    EXPECT_EQ(e.MarqErr2, "");
    EXPECT_EQ(e.DebNomFich, "a,b");
    EXPECT_EQ(e.FinNomFich, "say \"x\"");
    EXPECT_EQ(ReadClosedFiles(ini).size(), 1u);

    // The option file's defaults carry the same five lines, empty fields
    // included, so a layout copied from one file to the other reads the same.
    TIniFilePlus options(dir.Path("kep.ini"));
    ASSERT_TRUE(WriteErrDefaults(options, s.Err));
    for (const char* key : {"FichErr", "MarqueErr", "NbrLigErr", "MarqueNom", "MarqueLig"})
        EXPECT_EQ(options.ReadString("Global", key, "?"), ini.ReadString("Global", key, "!")) << key;
}

TEST(Session, ErrorListsApplyOnlyWithEnoughFields)
{
    TTestDir dir;
    dir.Write("p.pja", "[Global]\r\nMarqueErr=err\r\nMarqueNom=only\r\nMarqueLig=<,>\r\nEditPrec=\r\nPageAct=3\r\n");
    TIniFilePlus ini(dir.Path("p.pja"));
    TErrDefaults e;
    const TErrDefaults before = e;
    ReadSessionErr(ini, e);
    EXPECT_EQ(e.MarqErr, "err");
    EXPECT_EQ(e.LigMarqErr, 0);
    EXPECT_EQ(e.MarqErr2, before.MarqErr2); // two fields or fewer: second marker kept
    EXPECT_EQ(e.DebNomFich, before.DebNomFich);
    EXPECT_EQ(e.DebNumLig, "<");
    EXPECT_EQ(e.FinNumLig, ">");
    EXPECT_EQ(e.LigNumLig, 0);
    EXPECT_EQ(e.NbrLigErr, "1");
    EXPECT_EQ(e.FichErr, before.FichErr);
    const TSessionGlobal g = ReadSessionGlobal(ini);
    EXPECT_EQ(g.PageAct, 3);
    EXPECT_EQ(g.EditPrec, 3); // empty value reads as the default: PageAct
    EXPECT_FALSE(g.Separ.has_value());
}

TEST(Session, ErrorLinePositionsAndBlockSizeStayInTheirRanges)
{
    TTestDir dir;
    for (const auto& [text, lig, nbr] : {std::tuple<std::string, int, std::string>{"20", 20, "1000"},
                                         {"21", 0, "1001"},
                                         {"-1", 0, "0"},
                                         {"0", 0, "1"},
                                         {"x", 0, "abc"}}) {
        SCOPED_TRACE(text);
        dir.Write("p.pja", "[Global]\r\nMarqueErr=a," + text + ",b," + text + "\r\nMarqueNom=c,d," + text +
                               "\r\nMarqueLig=e,f," + text + "\r\nNbrLigErr=" + nbr + "\r\n");
        TIniFilePlus ini(dir.Path("p.pja"));
        TErrDefaults e;
        e.LigMarqErr = e.LigMarqErr2 = e.LigNomFich = e.LigNumLig = 7;
        ReadSessionErr(ini, e);
        EXPECT_EQ(e.LigMarqErr, lig);
        EXPECT_EQ(e.LigMarqErr2, lig);
        EXPECT_EQ(e.LigNomFich, lig);
        EXPECT_EQ(e.LigNumLig, lig);
        EXPECT_EQ(e.NbrLigErr, nbr == "1000" ? "1000" : "1");
    }
}

TEST(Session, ClosedFilesRoundTripAndOddValues)
{
    TReopenItem item;
    item.Path = "/p/main.asm";
    item.View.TopLine = 4;
    item.View.Caret = TTextPos{9, 3};
    item.Markers[0] = TTextPos{2, 1};
    item.Markers[9] = TTextPos{30, 5};
    const std::string text = ClosedFileText(item);
    EXPECT_EQ(text, "/p/main.asm,4,9,3,2,1,-1,-1,-1,-1,-1,-1,-1,-1,-1,-1,-1,-1,-1,-1,-1,-1,30,5");
    const TReopenItem back = ParseClosedFile(text);
    EXPECT_EQ(back.Path, item.Path);
    EXPECT_EQ(back.View.TopLine, 4);
    EXPECT_EQ(back.View.Caret, item.View.Caret);
    EXPECT_EQ(back.Markers, item.Markers);

    const TReopenItem bare = ParseClosedFile("/p/x.asm");
    EXPECT_EQ(bare.Path, "/p/x.asm");
    EXPECT_EQ(bare.Markers, NoMarkers());
    const TReopenItem cut = ParseClosedFile("/p/a,b.asm,1,2,3");
    EXPECT_EQ(cut.Path, "/p/a"); // a comma ends the path
    const TReopenItem junk = ParseClosedFile("/p/y.asm,zz,-5,-9,1");
    EXPECT_EQ(junk.View.TopLine, 0);
    EXPECT_EQ(junk.View.Caret, (TTextPos{0, 1}));
    EXPECT_EQ(junk.Markers[0], (TTextPos{1, 0}));
}

TEST(Session, ClosedSectionIsRebuiltOnSave)
{
    TTestDir dir;
    dir.Write("p.pja", "[Closed files]\r\n0=/a,0,0,1\r\n1=/b,0,0,1\r\n2=/c,0,0,1\r\n");
    {
        TIniFilePlus ini(dir.Path("p.pja"));
        const auto items = ReadClosedFiles(ini);
        ASSERT_EQ(items.size(), 3u);
        EXPECT_EQ(items[0].Path, "/a");
        EXPECT_EQ(items[2].Path, "/c");
        TSessionState s;
        s.Closed = {items[1]};
        ASSERT_TRUE(WriteSession(ini, s, Defaults));
    }
    TIniFilePlus ini(dir.Path("p.pja"));
    const auto items = ReadClosedFiles(ini);
    ASSERT_EQ(items.size(), 1u);
    EXPECT_EQ(items[0].Path, "/b");
}

TEST(Session, ReopenListKeepsTwentyNewestFirst)
{
    TReopenList list;
    for (int i = 0; i < 25; ++i)
        list.PushTop("/f" + std::to_string(i));
    ASSERT_EQ(list.Size(), TReopenList::Max);
    EXPECT_EQ(list.Items().front().Path, "/f24");
    EXPECT_EQ(list.Items().back().Path, "/f5");
    list.PushTop("/F10").View.TopLine = 7; // same file, other case: moved, not added
    EXPECT_EQ(list.Size(), TReopenList::Max);
    EXPECT_EQ(list.Items().front().Path, "/f10");
    EXPECT_EQ(list.Items().front().View.TopLine, 7);
    EXPECT_EQ(list.Items()[1].Path, "/f24");
    EXPECT_EQ(list.Find("/f5"), 19);
    list.Remove(0);
    EXPECT_EQ(list.Find("/f10"), -1);
}

TEST(Session, MissingFilesShiftTheSavedIndices)
{
    // NbrEdit 3, PageAct 2, EditPrec 0, the second file missing.
    int page = 2, prec = 0;
    ShiftForMissing(1, page, prec);
    EXPECT_EQ(page, 1);
    EXPECT_EQ(prec, 0);
    // The missing entry was the previous one: it follows the current one.
    page = 3, prec = 1;
    ShiftForMissing(1, page, prec);
    EXPECT_EQ(page, 2);
    EXPECT_EQ(prec, 2);
    // After both: nothing moves.
    page = 0, prec = 1;
    ShiftForMissing(2, page, prec);
    EXPECT_EQ(page, 0);
    EXPECT_EQ(prec, 1);
    // The missing entry was the current one.
    page = 1, prec = 2;
    ShiftForMissing(1, page, prec);
    EXPECT_EQ(page, 1);
    EXPECT_EQ(prec, 1);
}
