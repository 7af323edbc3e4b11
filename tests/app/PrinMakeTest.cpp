// Building from the main window: the make tool's run, its output window,
// what happens to the open files, and the jump to the first error.
#include "app/PrinMakeFixture.h"
#include "support/ProcessGroups.h"

#include <QElapsedTimer>
#include <QFileInfo>

namespace {

// A source whose line n (1-based) reads "        nop ; n", with `word` on line `at`.
std::string Numbered(int lines, int at = 0, const std::string& word = {})
{
    std::string t;
    for (int n = 1; n <= lines; ++n)
        t += n == at ? "        goto    " + word + " ; " + std::to_string(n) + "\r\n"
                     : "        nop ; " + std::to_string(n) + "\r\n";
    return t;
}

// A recipe that says "attend" from a shell deaf to the polite stop, with a
// child as deaf; `pidFile` receives the shell's pid.
std::string DeafTool(const std::string& pidFile)
{
    return "@sh -c 'trap \"\" TERM; sleep 60 & echo $$$$ > " + pidFile + "; echo attend; wait'";
}

void Pump()
{
    QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
}

} // namespace

TEST_F(TPrinMake, ACleanBuildShowsTheToolsOutputAndMakesConstruireTheDefault)
{
    ASSERT_TRUE(StartMake("@echo bonjour\n@echo \"flags=$(MAKEFLAGS)\"\n@printf 'sans fin'"));
    EXPECT_EQ(W->Action("MM_MakeFile")->text(), "build.mke");
    EXPECT_TRUE(W->Action("MM_MakeFile")->isVisible());
    EXPECT_EQ(W->Menu("M_Construire")->defaultAction(), W->Action("MM_MakeTout"));
    Build("MM_MakeTout");
    EXPECT_FALSE(W->MakeEnCours);
    ASSERT_TRUE(W->EcrMake());
    EXPECT_EQ(W->EcrMake()->windowTitle(), "Construction...");
    // "Tout reconstruire" passes "-a", which kepmake makes GNU make's -B.
    EXPECT_EQ(Output(), (QStringList{"bonjour", "flags=B", "sans fin"}));
    EXPECT_EQ(W->Menu("M_Construire")->defaultAction(), W->Action("MM_Make"));
    EXPECT_TRUE(W->Action("MM_Make")->font().bold());
    EXPECT_FALSE(W->Action("MM_MakeTout")->font().bold());

    // With the environment lines, and the window closed after a clean build.
    Options().AfficheInfos = true;
    Options().FermeConsole = true;
    Build();
    Settle();
    EXPECT_EQ(W->EcrMake(), nullptr);
    Options().FermeConsole = false;
    Options().AfficheInfos = false;
    Build();
    EXPECT_EQ(Output(), (QStringList{"bonjour", "flags=", "sans fin"}));
}

TEST_F(TPrinMake, AFailedBuildSaysSoAndKeepsItsWindowOpen)
{
    ASSERT_TRUE(StartMake("@echo boum\n@exit 3"));
    Options().FermeConsole = true;
    Build();
    Settle();
    // make's own "Error 3", then its exit code as the launcher passed it on.
    ASSERT_TRUE(W->EcrMake()) << "a failed build must not close its window";
    const QStringList out = Output();
    ASSERT_GE(out.size(), 3) << out.join('|').toStdString();
    EXPECT_EQ(out.front(), "boum");
    EXPECT_TRUE(out[out.size() - 2].contains("Error 3")) << out.join('|').toStdString();
    EXPECT_EQ(out.back(), "Exit code = 2");
    EXPECT_EQ(W->Panel(3), "Construction échouée (code 2).");
    EXPECT_EQ(W->Menu("M_Construire")->defaultAction(), W->Action("MM_MakeTout"));

    WriteMake("@echo bien");
    Build();
    Settle();
    EXPECT_EQ(W->Panel(3), "Construction réussie.");
    EXPECT_EQ(W->EcrMake(), nullptr);

    // A make program that cannot run says why, in the window and below.
    const std::string prog = Dir.Write("p/pasmake", "#!/bin/sh\n");
    Options().ProgMake = prog;
    Build();
    EXPECT_EQ(Output(), QStringList{QString::fromStdString("Programme \"" + prog + "\" non exécutable.")});
    EXPECT_EQ(W->Panel(3), Output().back());
}

TEST_F(TPrinMake, EnvironmentLinesFrameTheOutputAndTheCaretMoveClosesTheWindowAfterwards)
{
    ASSERT_TRUE(StartMake("@echo \"VRELI=$$VRELI\""));
    Options().AfficheInfos = true;
    Options().TabPath = "/mes/tables/";
    Build();
    const QStringList out = Output();
    ASSERT_EQ(out.size(), 9) << out.join('|').toStdString();
    EXPECT_EQ(out[0], "SET VRELI=/mes/tables/");
    EXPECT_TRUE(out[1].startsWith("SET PATH=" KEP_BINARY_DIR "/app/:")) << out[1].toStdString();
    EXPECT_TRUE(out[2].startsWith(KEP_BINARY_DIR "/app/kepmake "));
    EXPECT_EQ(out[3], "-----------------------------");
    EXPECT_TRUE(out.contains("VRELI=/mes/tables/"));
    EXPECT_EQ(out[out.size() - 4], "-----------------------------");
    EXPECT_EQ(out[out.size() - 3], "Exit code = 0");
    EXPECT_EQ(out[out.size() - 2], "SET VRELI=");
    EXPECT_TRUE(out.back().startsWith("SET PATH="));
    // The window stays through the build; afterwards the next caret move closes it.
    ASSERT_TRUE(W->EcrMake());
    Ed(0)->Buffer().SetCaretLine(5);
    Settle();
    EXPECT_EQ(W->EcrMake(), nullptr);
}

TEST_F(TPrinMake, AMissingProgramOrMakeFileIsSaidInTheWindowAndNothingElseHappens)
{
    ASSERT_TRUE(StartMake("@echo jamais"));
    Dir.Write("p/prog.err", "prog.asm(3): as: vieux\r\n");
    Options().ProgMake = Dir.Path("nulle/part/make");
    Build();
    EXPECT_EQ(Output(), QStringList{QString::fromStdString("Programme \"" + Dir.Path("nulle/part/make") + "\" introuvable.")});
    EXPECT_FALSE(W->MakeEnCours);
    EXPECT_EQ(Entry("prog.err"), -1); // no error navigation after a failed start
    EXPECT_EQ(W->Menu("M_Construire")->defaultAction(), W->Action("MM_MakeTout"));

    Options().ProgMake = KEP_BINARY_DIR "/app/kepmake";
    std::filesystem::remove(Dir.Path("p/build.mke"));
    Build();
    EXPECT_EQ(Output(), QStringList{QString::fromStdString("Fichier Make \"" + Dir.Path("p/build.mke") + "\" introuvable.")});
    EXPECT_EQ(Entry("prog.err"), -1);
}

TEST_F(TPrinMake, WithoutAMakeFileTheDialogComesFirst)
{
    ASSERT_TRUE(StartMake("@echo choisi", {"prog.asm"}, "autre.mke"));
    // The project names a make file that the user then changes.
    WriteMake("@echo nouveau", "neuf.mke");
    QStringList asked;
    W->AskOpenFile = [&](const QString& title, const QString& filter, const QString& start) {
        asked << title << filter << start;
        return QString::fromStdString(Dir.Path("p/neuf.mke"));
    };
    EXPECT_TRUE(W->ChoisitMakeFile());
    ASSERT_EQ(asked.size(), 3);
    EXPECT_EQ(asked[0], "Ouvrir un fichier de construction");
    EXPECT_EQ(asked[1], "Desc. de construction (*.mke);;Tous les fichiers (*)");
    EXPECT_EQ(asked[2], QString::fromStdString(Dir.Path("p/autre.mke"))); // same folder as the project
    EXPECT_EQ(NomMakeFile, Dir.Path("p/neuf.mke"));
    EXPECT_EQ(W->Action("MM_MakeFile")->text(), "neuf.mke");
    Build();
    EXPECT_EQ(Output(), QStringList{"nouveau"});
    EXPECT_EQ(W->Menu("M_Construire")->defaultAction(), W->Action("MM_Make"));
    // Choosing the same file again is a confirmation that changes nothing.
    EXPECT_TRUE(W->ChoisitMakeFile());
    EXPECT_EQ(W->Menu("M_Construire")->defaultAction(), W->Action("MM_Make"));

    // No make file at all: a cancelled dialog stops the build before any window.
    NomMakeFile.clear();
    W->AskOpenFile = [](const QString&, const QString&, const QString&) { return QString(); };
    W->EcrMake()->close();
    Settle();
    Build();
    EXPECT_EQ(W->EcrMake(), nullptr);
    EXPECT_FALSE(W->MakeEnCours);
}

TEST_F(TPrinMake, ModifiedAutoSaveFilesAreSavedFirstAndAutoLoadFilesComeBackRewritten)
{
    ASSERT_TRUE(StartMake("@cat prog.asm | head -1\n@echo '        ; rewritten' > gen.inc\n@echo '; autre' > autre.inc\n@sleep 0.4",
                          {"prog.asm", "gen.inc", "autre.inc"}));
    TEditeur* prog = Ed(0);
    prog->AutoSave = true;
    prog->Buffer().SetLine(0, "; sauvegarde avant construction");
    TEditeur* gen = Ed(1);
    gen->AutoLoad = true;
    std::filesystem::last_write_time(Dir.Path("p/gen.inc"), std::filesystem::file_time_type::clock::now() - std::chrono::hours(1));
    gen->FileDate = kep::FileModTimeNs(Dir.Path("p/gen.inc"));
    Ed(2)->AutoLoad = false;
    // Coming back to the window in the middle of the build asks nothing yet.
    QTimer::singleShot(200, W.get(), [this] { W->VerifDatesFichiers(); });
    Build();
    EXPECT_EQ(Output(), QStringList{"; sauvegarde avant construction"});
    EXPECT_FALSE(prog->Buffer().Modified());
    EXPECT_EQ(gen->Buffer().LineCount() >= 1 ? gen->Buffer().GetLine(0) : "", "        ; rewritten");
    // A file the tool rewrote without AutoLoad is asked about once the build has ended.
    QElapsedTimer clock;
    clock.start();
    while (ReloadAsked.isEmpty() && clock.elapsed() < 2000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    ASSERT_EQ(ReloadAsked.size(), 1) << ReloadAsked.join('|').toStdString();
    EXPECT_FALSE(ReloadAsked[0].endsWith("(pendant)"));
    EXPECT_TRUE(ReloadAsked[0].contains("autre.inc"));
    EXPECT_EQ(Ed(2)->Buffer().GetLine(0), "; autre");
}

TEST_F(TPrinMake, AnAutoLoadFileWithUnsavedEditsIsOnlyReloadedWhenTheUserSaysSo)
{
    ASSERT_TRUE(StartMake("@echo '; neuf' > gen.inc", {"gen.inc"}));
    TEditeur* gen = Ed(0);
    gen->AutoLoad = true;
    gen->AutoSave = false;
    auto aged = [&] {
        std::filesystem::last_write_time(Dir.Path("p/gen.inc"),
                                         std::filesystem::file_time_type::clock::now() - std::chrono::hours(1));
        gen->FileDate = kep::FileModTimeNs(Dir.Path("p/gen.inc"));
    };
    aged();
    gen->Buffer().SetLine(0, "; mes modifications");
    QList<bool> asked; // one entry per question: were there unsaved edits?
    bool answer = false;
    W->AskReload = [&](const QString& text, bool modified) {
        EXPECT_TRUE(text.contains("gen.inc"));
        asked << modified;
        return answer;
    };
    Build();
    ASSERT_EQ(asked, QList<bool>{true});
    EXPECT_EQ(gen->Buffer().GetLine(0), "; mes modifications");
    EXPECT_TRUE(gen->Buffer().Modified());
    Settle(); // the date was taken: the window's own check asks nothing more
    EXPECT_EQ(asked.size(), 1);

    aged();
    answer = true;
    Build();
    ASSERT_EQ(asked.size(), 2);
    EXPECT_EQ(gen->Buffer().GetLine(0), "; neuf");
    EXPECT_FALSE(gen->Buffer().Modified());
}

TEST_F(TPrinMake, TheFirstErrorIsShownWithItsWordAndF6GoesOnToTheNext)
{
    ASSERT_TRUE(StartMake("@cp erreurs.txt prog.err", {"autre.asm", "prog.asm"}));
    Dir.Write("p/prog.asm", Numbered(40, 27, "LOOP1"));
    Dir.Write("p/erreurs.txt", "PROG.ASM(27): as: undefined symbol 'LOOP1'\r\n"
                               "AUTRE.ASM(5): as: bad\tvalue\r\n"
                               "prog.asm(30): as: no word here\r\n");
    // The project opened prog.asm from disk before it was rewritten.
    Ed(1)->Load();
    W->ChoisitPage(0);
    Build();
    EXPECT_EQ(Names().back(), "prog.err");
    const int err = Entry("prog.err");
    ASSERT_GE(err, 0);
    EXPECT_FALSE(Ed(err)->AutoSave);
    EXPECT_EQ(CurrentName(), "prog.asm");
    EXPECT_EQ(CaretLine(), 26);
    EXPECT_EQ(Selected(), "LOOP1");
    EXPECT_EQ(Current()->Buffer().Caret().Col, 22); // just after the word
    EXPECT_EQ(W->Panel(3), " as: undefined symbol 'LOOP1'");
    EXPECT_EQ(Ed(err)->Buffer().CaretLine(), 1); // the search goes on after the block
    ASSERT_TRUE(W->EcrMake()); // errors keep the window

    W->MC_ErrSuivClick();
    EXPECT_EQ(CurrentName(), "autre.asm");
    EXPECT_EQ(CaretLine(), 4);
    EXPECT_EQ(W->Panel(3), " as: bad_value");
    EXPECT_FALSE(Current()->Buffer().HasSelection()); // no " '" in the message

    W->MC_ErrSuivClick();
    EXPECT_EQ(CurrentName(), "prog.asm");
    EXPECT_EQ(CaretLine(), 29);
    // Past the last error nothing changes.
    W->MC_ErrSuivClick();
    EXPECT_EQ(CurrentName(), "prog.asm");
    EXPECT_EQ(CaretLine(), 29);
    EXPECT_EQ(W->Panel(3), " as: no word here");
}

TEST_F(TPrinMake, LinesInsertedAboveAnErrorAfterTheBuildDoNotMoveItsTarget)
{
    ASSERT_TRUE(StartMake("@cp erreurs.txt prog.err"));
    Dir.Write("p/erreurs.txt", "prog.asm(3): as: first\r\nprog.asm(20): as: second 'NOP'\r\n");
    Build();
    EXPECT_EQ(CaretLine(), 2);
    TTextBuffer& b = Current()->Buffer();
    b.InsertLine(5, "        ; inserted 1");
    b.InsertLine(5, "        ; inserted 2");
    b.DeleteLine(0);
    W->MC_ErrSuivClick();
    EXPECT_EQ(CaretLine(), 20); // line 20 of the build, one up and two down
    EXPECT_EQ(b.GetLine(20), "        nop     ; line 19");
    EXPECT_EQ(Selected(), "nop");
}

TEST_F(TPrinMake, MissingTargetsMakeBlocksAndAVanishedErrorFile)
{
    ASSERT_TRUE(StartMake("@cp erreurs.txt prog.err"));
    Dir.Write("p/erreurs.txt", "absent.asm(3): as: nowhere\r\n"
                               "kepmake: MAKE stopped in build.mke(1): as\r\n"
                               "prog.asm(4): as: real\r\n");
    Build();
    EXPECT_EQ(W->Panel(3), "Cible introuvable.");
    const std::string before = CurrentName();
    W->SetPanel(3, "ancien");
    W->MC_ErrSuivClick(); // the make tool's own block: no source, status cleared
    EXPECT_EQ(W->Panel(3), "");
    EXPECT_EQ(CurrentName(), before);
    W->MC_ErrSuivClick();
    EXPECT_EQ(CaretLine(), 3);

    // The next build leaves no error file: the old one's entry goes, the build is clean.
    WriteMake("@rm -f prog.err");
    Build();
    EXPECT_EQ(Entry("prog.err"), -1);
    EXPECT_EQ(W->Menu("M_Construire")->defaultAction(), W->Action("MM_Make"));
}

TEST_F(TPrinMake, TheLogIsOpenedAfterErrorsAndAssemblerLeftoversAreRemoved)
{
    ASSERT_TRUE(StartMake("@echo vers le journal\n@cp erreurs.txt prog.err"));
    Dir.Write("p/erreurs.txt", "prog.asm(2): as: x\r\n");
    Dir.Write("tmp/As$1234", "reste");
    Dir.Write("tmp/autre", "garde");
    Options().MakeLog = true;
    Build();
    EXPECT_EQ(Dir.Read("p/MakeLog.txt"), "vers le journal\n");
    EXPECT_EQ(CurrentName(), "MakeLog.txt");
    EXPECT_FALSE(kep::FileExists(Dir.Path("tmp/As$1234")));
    EXPECT_TRUE(kep::FileExists(Dir.Path("tmp/autre")));
}

TEST_F(TPrinMake, ClosingTheOutputWindowStopsAHungBuildAndASecondBuildIsRefused)
{
    const std::string pidFile = Dir.Path("pid");
    ASSERT_TRUE(StartMake(DeafTool(pidFile)));
    TGroupGuard guard;
    int refused = 0;
    std::function<void()> closeWhenReady = [&] {
        if (!Output().contains(QStringLiteral("attend"))) {
            QTimer::singleShot(20, closeWhenReady);
            return;
        }
        guard.Group = GroupOf(std::stoi(Dir.Read("pid")));
        // The window stays usable during the build; a second build waits.
        Build();
        refused = W->Panel(3) == "Construction en cours." ? 1 : 0;
        ASSERT_TRUE(W->EcrMake());
        W->EcrMake()->close();
    };
    QTimer::singleShot(20, closeWhenReady);
    Build();
    EXPECT_EQ(refused, 1);
    EXPECT_FALSE(W->MakeEnCours);
    ASSERT_GT(guard.Group, 1);
    EXPECT_TRUE(WaitGroupGone(guard.Group, 2000, Pump)) << "the tool outlived its window";
}

TEST_F(TPrinMake, ClosingTheMainWindowDuringABuildStopsItThenCloses)
{
    const std::string pidFile = Dir.Path("pid");
    ASSERT_TRUE(StartMake(DeafTool(pidFile)));
    W->show();
    TGroupGuard guard;
    bool ferme = false;
    QObject::connect(W.get(), &TEcrPrin::Ferme, [&] { ferme = true; });
    std::function<void()> closeWhenReady = [&] {
        if (!Output().contains(QStringLiteral("attend"))) {
            QTimer::singleShot(20, closeWhenReady);
            return;
        }
        guard.Group = GroupOf(std::stoi(Dir.Read("pid")));
        W->close();
    };
    QTimer::singleShot(20, closeWhenReady);
    Build();
    EXPECT_FALSE(W->MakeEnCours);
    QElapsedTimer clock;
    clock.start();
    while (!ferme && clock.elapsed() < 5000)
        Pump();
    EXPECT_TRUE(ferme);
    ASSERT_GT(guard.Group, 1);
    EXPECT_TRUE(WaitGroupGone(guard.Group, 2000, Pump)) << "the tool outlived the program";
}

TEST_F(TPrinMake, DoubleClickingAnErrorLineOfTheOutputJumpsThereAndKeepsTheWindow)
{
    ASSERT_TRUE(StartMake("@echo 'assemblage'\n@echo 'prog.asm(12): as: here'\n@echo 'prog.asm(7): as: there'"));
    Options().Err.FichErr = "aucun.err";
    Build();
    ASSERT_TRUE(W->EcrMake());
    emit W->EcrMake()->LigneChoisie(2);
    EXPECT_EQ(CaretLine(), 6);
    EXPECT_EQ(W->Panel(3), " as: there");
    Settle();
    ASSERT_TRUE(W->EcrMake());
    EXPECT_FALSE(W->MontreErreurConsole(0)); // not an error line
    EXPECT_TRUE(W->MontreErreurConsole(1));
    EXPECT_EQ(CaretLine(), 11);
}

TEST_F(TPrinMake, EditMakeFileAndTheProgrammer)
{
    ASSERT_TRUE(StartMake("@true"));
    W->Action("MM_EditMakeFile")->trigger();
    EXPECT_EQ(CurrentName(), "build.mke");
    const int n = S().Count();
    W->ChoisitPage(0);
    W->Action("MM_EditMakeFile")->trigger();
    EXPECT_EQ(S().Count(), n); // already open: it is only shown
    EXPECT_EQ(CurrentName(), "build.mke");

    // The driver is chosen when none is set, then started.
    const std::string mark = Dir.Path("programme");
    const std::string driver = Dir.Write("pilote.sh", "#!/bin/sh\necho fait > '" + mark + "'\n");
    std::filesystem::permissions(driver, std::filesystem::perms::owner_all);
    QStringList asked;
    W->AskOpenFile = [&](const QString& title, const QString& filter, const QString&) {
        asked << title << filter;
        return QString::fromStdString(driver);
    };
    NomProgFile.clear();
    W->Action("MPr_Programme")->trigger();
    EXPECT_EQ(asked, (QStringList{"Pilote du programmeur", "Exécutables (*.exe *.com *.bat);;Tous les fichiers (*)"}));
    EXPECT_EQ(NomProgFile, driver);
    QElapsedTimer clock;
    clock.start();
    while (!kep::FileExists(mark) && clock.elapsed() < 5000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    EXPECT_TRUE(kep::FileExists(mark));

    NomProgFile = Dir.Path("absent.exe");
    W->Action("MPr_Programme")->trigger();
    EXPECT_EQ(Messages.back(), "The specified file was not found.");
    NomProgFile = Dir.Path("dossier/absent.exe");
    W->Action("MPr_Programme")->trigger();
    EXPECT_EQ(Messages.back(), "The specified path was not found.");
}
