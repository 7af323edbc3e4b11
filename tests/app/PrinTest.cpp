// Start-up, the project session as the main window reads and writes it, the
// protected mode, the developer menus and quitting.
#include "app/PrinFixture.h"

#include "platform/FileIo.h"

#include <QMenuBar>

#include <sys/stat.h>

TEST_F(TPrinFixture, ArgumentThatIsNotAProjectEndsAtOnce)
{
    Source("main.asm");
    EXPECT_FALSE(Start({Dir.Path("p/main.asm")}));
    EXPECT_EQ(Messages, QStringList{"KEP ne peut ouvrir que les fichiers projets assembleur (.pja)"});
    EXPECT_EQ(Chosen, 0);
    EXPECT_FALSE(W->isVisible());
    EXPECT_EQ(W->Cfg(), nullptr); // stopped before the options
}

TEST_F(TPrinFixture, NoProjectOffersTheListAndCancelEnds)
{
    EXPECT_FALSE(Start({}));
    EXPECT_EQ(Chosen, 1);
    EXPECT_FALSE(W->isVisible());
    EXPECT_TRUE(Messages.isEmpty());
}

TEST_F(TPrinFixture, ProjectChosenFromTheListOpens)
{
    Source("a.asm");
    ChooseResult = Project("[Global]\r\nNbrEdit=1\r\n[Edit0]\r\nNom=a.asm\r\n");
    EXPECT_TRUE(Start({}));
    EXPECT_EQ(Chosen, 1);
    EXPECT_TRUE(W->isVisible());
    EXPECT_EQ(Names(), QStringList{"a.asm"});
}

TEST_F(TPrinFixture, RememberedProjectThatIsGoneIsReported)
{
    const std::string gone = Dir.Path("p/gone.pja");
    Dir.Write("cfg/kep/kep.ini", "[Global]\r\nProjAct=0\r\n[Proj]\r\n0=" + gone + "\r\n");
    EXPECT_FALSE(Start({}));
    ASSERT_EQ(Warnings.size(), 1);
    EXPECT_EQ(Warnings[0], QString::fromStdString("Le projet par d\u00e9faut :\r  " + gone
                                                  + "\r n'existe pas sur cette machine !"));
    EXPECT_EQ(Chosen, 1);
}

TEST_F(TPrinFixture, ExtensionInAnyCase)
{
    Source("a.asm");
    const std::string p = Project("[Global]\r\nNbrEdit=1\r\n[Edit0]\r\nNom=A.ASM\r\n", "Demo.PJA");
    ASSERT_TRUE(Start({p}));
    EXPECT_TRUE(W->isVisible());
    EXPECT_EQ(kep::NomProjet, p);
    EXPECT_EQ(Names(), QStringList{"a.asm"}); // name written on Windows in upper case
    EXPECT_EQ(W->Titre(),
              QString::fromStdString("KEP - DEMO (" + Dir.Path("p/") + ")"));
    EXPECT_EQ(W->windowTitle(), QString::fromStdString("KEP - " + Dir.Path("p/a.asm")));
}

TEST_F(TPrinFixture, MissingSecondFileGoesToTheReopenList)
{
    Source("a.asm");
    Source("c.asm");
    const std::string p = Project("[Global]\r\nNbrEdit=3\r\nPageAct=2\r\nEditPrec=0\r\n"
                                  "[Edit0]\r\nNom=a.asm\r\n"
                                  "[Edit1]\r\nNom=b.asm\r\nCurPos=12,4\r\nPremLig=9\r\nM1=5,2\r\n"
                                  "[Edit2]\r\nNom=c.asm\r\n");
    ASSERT_TRUE(Start({p}));
    EXPECT_EQ(Messages, QStringList{QString::fromStdString("Le fichier " + Dir.Path("p/b.asm")
                                                           + " n'est plus accessible.")});
    EXPECT_EQ(Names(), (QStringList{"a.asm", "c.asm"}));
    EXPECT_EQ(S().ItemIndex(), 1);
    EXPECT_EQ(S().PreviousPage(), 0);
    ASSERT_EQ(W->Reopen().Size(), 1u);
    const kep::TReopenItem& item = W->Reopen().Items()[0];
    EXPECT_EQ(item.Path, Dir.Path("p/b.asm"));
    EXPECT_EQ(item.View.Caret, (TTextPos{12, 4}));
    EXPECT_EQ(item.View.TopLine, 9);
    EXPECT_EQ(item.Markers[1], (TTextPos{5, 2}));
    EXPECT_TRUE(W->ReopenMenu()->menuAction()->isEnabled());
    EXPECT_EQ(W->ReopenMenu()->actions().size(), 1);
}

TEST_F(TPrinFixture, FileInTwoViewsReadsBackAsNumberedEntries)
{
    Source("main.asm", 400);
    const std::string p = Project("[Global]\r\nNbrEdit=2\r\nPageAct=0\r\nEditPrec=1\r\n"
                                  "[Edit0]\r\nNom=main.asm\r\nPolice=Courier New\r\nTaille=10\r\nM4=6,3\r\n"
                                  "CurPos=3,2\r\nTabs=80,160,240,320,400,480\r\n"
                                  "[Edit1]\r\nNom=main.asm\r\nCurPos=20,5\r\nPremLig=15\r\nNoRefs=1\r\n"
                                  "SelPos=20,1,20,5\r\n");
    ASSERT_TRUE(Start({p}));
    EXPECT_EQ(Names(), (QStringList{"main.asm(1)", "main.asm(2)"}));
    TEditeur* ed = Ed(0);
    ASSERT_EQ(Ed(1), ed);
    TTextBuffer& b = ed->Buffer();
    ASSERT_EQ(b.ViewCount(), 2);
    EXPECT_EQ(b.GetView(0)->Caret, (TTextPos{3, 2}));
    EXPECT_EQ(b.GetView(1)->Caret, (TTextPos{20, 5}));
    EXPECT_EQ(b.GetView(1)->TopLine, 15);
    EXPECT_EQ(b.GetView(1)->SelStart, (TTextPos{20, 1}));
    EXPECT_EQ(b.GetMarker(4), (TTextPos{6, 3}));
    EXPECT_EQ(ed->TabStop(0), 80); // pixels as stored
    EXPECT_TRUE(S().Entry(1)->NoRefs);
    EXPECT_EQ(S().ItemIndex(), 0);
    EXPECT_EQ(S().PreviousPage(), 1);
    EXPECT_EQ(b.ActiveView(), 0);

    W->SauveProjet();
    kep::TIniFilePlus ini(p);
    EXPECT_TRUE(ini.ValueExists("Edit0", "Police"));
    EXPECT_TRUE(ini.ValueExists("Edit0", "M4"));
    EXPECT_FALSE(ini.ValueExists("Edit1", "Police"));
    EXPECT_FALSE(ini.ValueExists("Edit1", "M4"));
    EXPECT_FALSE(ini.ValueExists("Edit0", "ViewName"));
    EXPECT_EQ(ini.ReadString("Edit1", "CurPos", ""), "20,5");
    EXPECT_EQ(ini.ReadString("Edit1", "NoRefs", ""), "1");
    EXPECT_EQ(ini.ReadString("Edit0", "Nom", ""), "main.asm");
    EXPECT_EQ(ini.ReadString("Edit0", "Tabs", ""), "80,160,240,320,400,480");
}

TEST_F(TPrinFixture, LegacyWindowKeysAreReadOnceAndRemoved)
{
    Source("a.asm");
    const std::string p = Project("[Global]\r\nLeft=30\r\nTop=40\r\nWidth=600\r\nHeight=500\r\nNbrEdit=1\r\n"
                                  "[Edit0]\r\nNom=a.asm\r\n");
    ASSERT_TRUE(Start({p}));
    EXPECT_EQ(W->frameGeometry().width(), 600);
    EXPECT_EQ(W->frameGeometry().height(), 500);
    {
        kep::TIniFilePlus ini(p);
        for (const char* key : {"Left", "Top", "Width", "Height"})
            EXPECT_FALSE(ini.ValueExists("Global", key)) << key;
    }
    W->close();
    kep::TIniFilePlus ini(p);
    EXPECT_TRUE(ini.ValueExists("Global", "Bounds"));
    EXPECT_NE(ini.ReadString("Global", "Bounds", "").find(",600,500"), std::string::npos);
}

TEST_F(TPrinFixture, ReadOnlyProjectIsOnlyConsulted)
{
    Source("a.asm");
    const std::string p = Project("[Global]\r\nNbrEdit=1\r\nMakeFile=demo.mke\r\n[Edit0]\r\nNom=a.asm\r\n"
                                  "Police=Courier New\r\nReadOnly=0\r\n");
    chmod(p.c_str(), 0444);
    std::string before;
    kep::ReadWholeFile(p, before);
    ASSERT_TRUE(Start({p}));
    EXPECT_TRUE(ProjetProtege);
    EXPECT_EQ(Messages, QStringList{"Ce projet est prot\u00e9g\u00e9. Vous ne pouvez que le consulter"});
    EXPECT_TRUE(Ed(0)->Buffer().ReadOnly);
    EXPECT_EQ(W->Panel(1), "Lecture seule");
    EXPECT_FALSE(W->Action("MF_QuitPartiel")->isVisible());
    EXPECT_FALSE(W->Action("MF_QuitComplet")->isVisible());
    EXPECT_FALSE(W->Action("MF_Ouvre")->isVisible());
    EXPECT_FALSE(W->Menu("M_Construire")->menuAction()->isVisible());
    EXPECT_FALSE(W->Action("MM_MakeFile")->isVisible());
    EXPECT_TRUE(W->Action("MF_Quitter")->isVisible());
    EXPECT_TRUE(W->Action("ME_Copier")->isVisible());
    EXPECT_TRUE(W->Action("PM_E_Couper")->isVisible()); // the editor popup keeps its items
    EXPECT_FALSE(W->Action("PM_S_Fermer")->isVisible());
    // Typing changes nothing; quitting asks nothing and writes nothing.
    QTest::keyClicks(Ed(0)->viewport(), "xyz");
    Ed(0)->Buffer().TypeChar('q');
    EXPECT_FALSE(Ed(0)->Buffer().Modified());
    EXPECT_TRUE(W->close());
    EXPECT_TRUE(Asked.isEmpty());
    std::string after;
    kep::ReadWholeFile(p, after);
    EXPECT_EQ(after, before);
}

TEST_F(TPrinFixture, MakeFileAndGlobalKeys)
{
    Source("a.asm");
    Dir.Write("p/Build/Demo.mke", "all:\n");
    const std::string p = Project("[Global]\r\nMakeFile=BUILD\\DEMO.MKE\r\nProgFile=prog.exe\r\nSepar=150\r\n"
                                  "MarqueErr=\"): xx\",3,,0\r\n");
    ASSERT_TRUE(Start({p}));
    EXPECT_EQ(NomMakeFile, Dir.Path("p/Build/Demo.mke"));
    EXPECT_EQ(NomProgFile, "prog.exe");
    EXPECT_TRUE(W->Action("MM_MakeFile")->isVisible());
    EXPECT_EQ(W->Action("MM_MakeFile")->text(), "Demo.mke");
    EXPECT_EQ(W->Cfg()->Data.Err.MarqErr, "): xx");
    EXPECT_EQ(W->Cfg()->Data.Err.LigMarqErr, 3);
    EXPECT_EQ(S().Count(), 0);
    EXPECT_FALSE(W->Menu("M_Edition")->menuAction()->isEnabled());
    W->close();
    kep::TIniFilePlus ini(p);
    EXPECT_EQ(ini.ReadString("Global", "MakeFile", ""), "Build/Demo.mke");
    EXPECT_EQ(ini.ReadString("Global", "ProgFile", ""), "prog.exe");
    EXPECT_EQ(ini.ReadString("Global", "MarqueErr", ""), "\"): xx\",3,\"\",0");
}

TEST_F(TPrinFixture, DeveloperMenusFollowTheLogin)
{
    const std::string p = Project("[Global]\r\n");
    ASSERT_TRUE(Start({p}));
    EXPECT_FALSE(W->Menu("M_Special")->menuAction()->isVisible());
    EXPECT_FALSE(W->Action("MM_Asm")->isVisible());
    EXPECT_FALSE(W->Action("MP_Versions")->isVisible());
    W->Action("MSp_MontreMenu")->trigger();
    EXPECT_TRUE(W->Menu("M_Special")->menuAction()->isVisible());
    EXPECT_TRUE(W->Action("MM_Asm")->isVisible());
    EXPECT_TRUE(W->Action("MP_Versions")->isVisible());
    EXPECT_EQ(W->Action("MSp_MontreMenu")->shortcut(), QKeySequence("Ctrl+Shift+F12"));
    W->close();
    W.reset();

    Login = "KepDev";
    ASSERT_TRUE(Start({p}));
    EXPECT_TRUE(W->Menu("M_Special")->menuAction()->isVisible());
}

TEST_F(TPrinFixture, MenuTreeCaptionsShortcutsAndProtectionMarks)
{
    const std::string p = Project("[Global]\r\n");
    ASSERT_TRUE(Start({p}));
    W->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(W.get()));
    struct TItem {
        const char* Name;
        const char* Caption;
        const char* Shortcut;
        bool P;
    };
    const TItem items[] = {
        {"MF_Nouveau", "&Nouveau", "", true},
        {"MF_Ouvre", "&Ouvrir...", "Ctrl+O", true},
        {"MF_ReOuvre", "&R\u00e9ouvrir", "", true},
        {"MF_NouvVue", "Nouvelle &Vue", "", true},
        {"MF_ToutEnreg", "&Tout enregistrer", "", false},
        {"MF_Quitter", "&Quitter (sans nettoyage)", "Alt+X", false},
        {"MF_QuitComplet", "Quitter (nettoyage complet)", "", true},
        {"ME_Copier", "Co&pier", "Ctrl+C", false},
        {"ME_minMAJ", "min <-> MAJ", "Ctrl+A", true},
        {"ME_InsHeure", "Ins\u00e8re heure", "Ctrl+H", true},
        {"M_Selection", "&S\u00e9lection", "", true},
        {"MC_ChRemp", "Chercher/&Remplacer...", "Ctrl+R", false},
        {"MC_PagePrec", "&Page pr\u00e9c\u00e9dente", "F4", false},
        {"MC_ErrSuiv", "&Erreur suivante", "F6", true},
        {"MP_Archiver", "&Archiver...", "", true},
        {"M_Construire", "&Construire", "", true},
        {"MM_MakeTout", "&Tout reconstruire", "Shift+F2", false},
        {"MPr_Programme", "&Programmer", "Alt+C", false},
        {"MD_Comms", "&Communication...", "F9", false},
        {"MD_FindCode", "&Montre code g\u00e9n\u00e9r\u00e9", "Ctrl+N", false},
        {"MO_Config", "&Configuration...", "", false},
        {"MA_APropos", "&A propos...", "", false},
        {"MSp_MarqueLabel", "Marque Label", "Shift+F12", false},
    };
    for (const TItem& it : items) {
        QAction* a = W->Action(it.Name);
        ASSERT_NE(a, nullptr) << it.Name;
        EXPECT_EQ(a->text(), QString::fromUtf8(it.Caption)) << it.Name;
        EXPECT_EQ(a->shortcut(), QKeySequence(QString::fromLatin1(it.Shortcut))) << it.Name;
        EXPECT_EQ(a->property("tag").toInt() & 1, it.P ? 1 : 0) << it.Name;
    }
    // Printing waits for an open file; the converter does not.
    EXPECT_FALSE(W->Action("MF_Imprime")->isEnabled());
    EXPECT_TRUE(W->Action("MD_Convertisseur")->isEnabled());
    EXPECT_TRUE(W->Action("MO_Config")->isEnabled());
    const QStringList menus{"&Fichier",     "&Edition",    "&S\u00e9lection", "C&hercher", "&Projet",
                            "&Construire", "P&rogrammer", "&D\u00e9bug",      "&Outils",   "&Aide",
                            "Special"};
    QStringList shown;
    for (QAction* a : W->menuBar()->actions())
        shown << a->text();
    EXPECT_EQ(shown, menus);
    W->close();
}

TEST_F(TPrinFixture, QuitWithCleaningDeletesThenCloses)
{
    Source("a.asm");
    for (const char* f : {"a.cod", "a.map", "a.obj", "a.err"})
        Dir.Write(std::string("p/") + f, "x");
    const std::string p = Project("[Global]\r\nNbrEdit=1\r\n[Edit0]\r\nNom=a.asm\r\n");
    ASSERT_TRUE(Start({p}));
    W->Cfg()->Data.NetPartiel = "*.cod;; *.map ;";
    W->Action("MF_QuitPartiel")->trigger();
    EXPECT_FALSE(W->isVisible());
    EXPECT_FALSE(Dir.Exists("p/a.cod"));
    EXPECT_FALSE(Dir.Exists("p/a.map"));
    EXPECT_TRUE(Dir.Exists("p/a.obj"));
    EXPECT_TRUE(Dir.Exists("p/a.err"));
    EXPECT_TRUE(Dir.Exists("p/a.asm"));
    kep::TIniFilePlus ini(p);
    EXPECT_TRUE(ini.ValueExists("Global", "Bounds")); // saved on the way out
}

TEST_F(TPrinFixture, SecondWindowOnTheSameProjectDoesNotStart)
{
    const std::string p = Project("[Global]\r\n");
    ASSERT_TRUE(Start({p}));
    auto second = Make({p});
    EXPECT_FALSE(second->FormCreate());
    EXPECT_FALSE(second->isVisible());
    second.reset();
    EXPECT_TRUE(W->isVisible());
}

TEST_F(TPrinFixture, EditShortcutsLiveOnlyWhileTheWindowIsActive)
{
    const std::string p = Project("[Global]\r\n");
    ASSERT_TRUE(Start({p}));
    W->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(W.get()));
    EXPECT_EQ(W->Action("ME_Copier")->shortcut(), QKeySequence("Ctrl+C"));
    QWidget other;
    other.show();
    other.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&other));
    for (const char* name : {"ME_Annuler", "ME_Couper", "ME_Copier", "ME_Coller", "ME_minMAJ"})
        EXPECT_TRUE(W->Action(name)->shortcut().isEmpty()) << name;
    W->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(W.get()));
    EXPECT_EQ(W->Action("ME_Copier")->shortcut(), QKeySequence("Ctrl+C"));
    EXPECT_EQ(W->Action("ME_minMAJ")->shortcut(), QKeySequence("Ctrl+A"));
}

TEST_F(TPrinFixture, WildProjectValuesNeitherHangNorCrash)
{
    Source("a.asm", 10);
    std::string garbage = "[Global]\r\nNbrEdit=2147483647\r\nPageAct=-7\r\nEditPrec=99999\r\n"
                          "Bounds=x\r\nSepar=-40\r\n[Closed files]\r\n0=,,,\r\n1=/nowhere/z.asm,9,9\r\n"
                          "[Edit0]\r\nNom=a.asm\r\nPolice=Courier New\r\nTaille=99999\r\nTabs=-5,70000\r\n"
                          "CurPos=999999,-4\r\nSelPos=5,5,-9,x\r\nPremLig=2147483647\r\nM0=100000,100000\r\n"
                          "ViewLim=50,3\r\n[Edit1]\r\nNom=\r\n[Edit2]\r\nNom=a.asm\r\n";
    // Every byte value but NUL (a NUL makes the file no project at all).
    for (int c = 1; c < 256; ++c)
        garbage += char(c);
    const std::string p = Project(garbage);
    ASSERT_TRUE(Start({p}));
    EXPECT_EQ(Names(), (QStringList{"a.asm(1)", "a.asm(2)"}));
    TTextBuffer& b = Ed(0)->Buffer();
    EXPECT_LT(b.GetView(0)->Caret.Line, b.LineCount());
    EXPECT_GE(b.GetView(0)->Caret.Col, 1);
    EXPECT_LT(b.GetMarker(0).Line, b.LineCount());
    EXPECT_LE(Ed(0)->EditorFont().pointSize(), 200);
    EXPECT_EQ(W->Reopen().Size(), 1u); // the item without a path is dropped
    EXPECT_EQ(S().ItemIndex(), 0);
    EXPECT_EQ(Messages.filter("n'est plus accessible").size(), 0);
    W->close();
}
