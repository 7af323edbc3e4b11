// Files and entries: opening, views, closing, saving, the save questions,
// the reopen list, the status bar and a whole session coming back.
#include "app/PrinFixture.h"

#include "platform/FileIo.h"

#include <QClipboard>
#include <QTimer>


class TPrinFiles : public TPrinFixture {};

TEST_F(TPrinFiles, ClosingEntriesSelectsThePreviousOne)
{
    ASSERT_TRUE(StartWith({"a.asm", "b.asm", "c.asm", "d.asm"}));
    W->ChoisitPage(2);
    ASSERT_TRUE(W->FermePage(2, true));
    EXPECT_EQ(Names(), (QStringList{"a.asm", "b.asm", "d.asm"}));
    EXPECT_EQ(S().ItemIndex(), 1);
    EXPECT_EQ(PageCourante, S().Entry(1));
    EXPECT_EQ(W->windowTitle(), QString::fromStdString("KEP - " + Dir.Path("p/b.asm")));
    W->ChoisitPage(0);
    ASSERT_TRUE(W->FermePage(0, true));
    EXPECT_EQ(Names(), (QStringList{"b.asm", "d.asm"}));
    EXPECT_EQ(S().ItemIndex(), 0); // the new first entry
    // Closing an entry that is not the current one keeps the current one.
    W->ChoisitPage(1);
    ASSERT_TRUE(W->FermePage(0, true));
    EXPECT_EQ(Names(), QStringList{"d.asm"});
    EXPECT_EQ(S().ItemIndex(), 0);
    EXPECT_EQ(S().CurrentPage(), 0);
    EXPECT_EQ(PageCourante->Editor->FileName, Dir.Path("p/d.asm"));
    ASSERT_TRUE(W->FermePage(0, true));
    EXPECT_EQ(PageCourante, nullptr);
    EXPECT_FALSE(W->Action("MF_Ferme")->isEnabled());
    EXPECT_FALSE(W->Menu("M_Edition")->menuAction()->isEnabled());
}

TEST_F(TPrinFiles, ViewsAreNumberedAndRenamedOnClosing)
{
    ASSERT_TRUE(StartWith({"main.asm", "other.asm"}));
    W->ChoisitPage(0);
    W->Action("MF_NouvVue")->trigger();
    EXPECT_EQ(Names(), (QStringList{"main.asm(1)", "main.asm(2)", "other.asm"}));
    EXPECT_EQ(S().ItemIndex(), 1);
    W->OuvreFichier(Dir.Path("p/MAIN.asm")); // same file, other case
    EXPECT_EQ(Names(), (QStringList{"main.asm(1)", "main.asm(2)", "main.asm(3)", "other.asm"}));
    EXPECT_EQ(Ed(0)->Buffer().ViewCount(), 3);
    S().SetText(0, "Init"); // a name the user gave
    ASSERT_TRUE(W->FermePage(1, true));
    EXPECT_EQ(Names(), (QStringList{"Init", "main.asm(2)", "other.asm"}));
    EXPECT_EQ(S().Entry(1)->View, 1);
    ASSERT_TRUE(W->FermePage(1, true));
    EXPECT_EQ(Names(), (QStringList{"Init", "other.asm"}));
    EXPECT_EQ(Ed(0)->Buffer().ViewCount(), 1);
    EXPECT_TRUE(Asked.isEmpty()); // a view closes without a question
}

TEST_F(TPrinFiles, SaveQuestionsWithTousSaveTheRestWithoutAsking)
{
    ASSERT_TRUE(StartWith({"a.asm", "b.asm", "c.asm"}));
    for (int i : {0, 2}) {
        W->ChoisitPage(i);
        Ed(i)->Buffer().InsertText("X");
    }
    Answers = {TEcrPrin::rTous};
    EXPECT_TRUE(W->close());
    EXPECT_EQ(Asked, QStringList{"a.asm a \u00e9t\u00e9 modifi\u00e9.\r\nVoulez vous le sauver ?"});
    EXPECT_EQ(OfferedTous, std::vector<bool>{true});
    EXPECT_EQ(Dir.Read("p/a.asm").substr(0, 1), "X");
    EXPECT_EQ(Dir.Read("p/c.asm").substr(0, 1), "X");
}

TEST_F(TPrinFiles, CancellingAQuestionKeepsEverythingOpen)
{
    ASSERT_TRUE(StartWith({"a.asm", "b.asm"}));
    Ed(1)->Buffer().InsertText("Y");
    Answers = {TEcrPrin::rAnnuler};
    EXPECT_FALSE(W->close());
    EXPECT_TRUE(W->isVisible());
    EXPECT_EQ(S().Count(), 2);
    EXPECT_NE(Dir.Read("p/b.asm").substr(0, 1), "Y");
    // Closing the file itself asks without "Tous"; cancelled, the file stays
    // open and off the reopen list; "Non" drops the changes and lists it.
    W->ChoisitPage(1);
    Answers = {TEcrPrin::rAnnuler};
    W->Action("MF_Ferme")->trigger();
    EXPECT_EQ(OfferedTous.back(), false);
    EXPECT_EQ(S().Count(), 2);
    EXPECT_EQ(W->Reopen().Size(), 0u);
    EXPECT_FALSE(W->ReopenMenu()->menuAction()->isEnabled());
    Answers = {TEcrPrin::rNon};
    W->Action("MF_Ferme")->trigger();
    EXPECT_EQ(Names(), QStringList{"a.asm"});
    EXPECT_EQ(W->Reopen().Size(), 1u);
    EXPECT_NE(Dir.Read("p/b.asm").substr(0, 1), "Y");
}

TEST_F(TPrinFiles, NamesApartOnlyByCaseAreTwoDocuments)
{
    ASSERT_TRUE(StartFiles({{"Main.asm", "; grand\r\n"}, {"main.asm", "; petit\r\n"}}));
    ASSERT_EQ(Names(), (QStringList{"main.asm", "main.asm"}));
    ASSERT_NE(Ed(0), Ed(1));
    EXPECT_EQ(Ed(1)->FileName, Dir.Path("p/main.asm"));
    EXPECT_EQ(Ed(1)->Buffer().GetLine(0), "; petit");
    // Each saves into its own file.
    W->ChoisitPage(1);
    Ed(1)->Buffer().InsertText("X");
    W->Action("MF_Enreg")->trigger();
    EXPECT_EQ(Dir.Read("p/main.asm"), "X; petit\r\n");
    EXPECT_EQ(Dir.Read("p/Main.asm"), "; grand\r\n");
    // Opened again, each spelling finds its own document.
    W->OuvreFichier(Dir.Path("p/Main.asm"));
    EXPECT_EQ(S().Entry(1)->Editor, Ed(0));
    EXPECT_EQ(Ed(0)->Buffer().ViewCount(), 2);
    EXPECT_EQ(Ed(2)->Buffer().ViewCount(), 1);
    EXPECT_EQ(Names(), (QStringList{"main.asm(1)", "main.asm(2)", "main.asm"}));
}

TEST_F(TPrinFiles, FailedSaveIsReportedAndStopsTheClose)
{
    ASSERT_TRUE(StartWith({"a.asm"}));
    Ed(0)->Buffer().InsertText("Z");
    chmod(Dir.Path("p/a.asm").c_str(), 0444);
    Answers = {TEcrPrin::rOui};
    EXPECT_FALSE(W->close());
    EXPECT_EQ(Errors, QStringList{"a.asm n'a pu \u00eatre sauv\u00e9."});
    EXPECT_TRUE(Ed(0)->Buffer().Modified());
    chmod(Dir.Path("p/a.asm").c_str(), 0644);
    Answers = {TEcrPrin::rNon};
    EXPECT_TRUE(W->close());
}

TEST_F(TPrinFiles, ReopenRestoresCaretSelectionAndMarkers)
{
    ASSERT_TRUE(StartWith({"a.asm", "b.asm"}));
    W->ChoisitPage(0);
    TTextBuffer& b = Ed(0)->Buffer();
    for (int i = 0; i < 3; ++i)
        QTest::keyClick(Ed(0), Qt::Key_Down);
    QTest::keyClick(Ed(0), Qt::Key_Right, Qt::ShiftModifier);
    EXPECT_EQ(W->Panel(0), "4 : 2");
    W->Action("PM_E_M2")->trigger();
    EXPECT_EQ(b.GetMarker(2), (TTextPos{3, 2}));
    W->Action("MF_Ferme")->trigger();
    EXPECT_EQ(Names(), QStringList{"b.asm"});
    ASSERT_EQ(W->ReopenMenu()->actions().size(), 1);
    EXPECT_EQ(W->ReopenMenu()->actions()[0]->text(), QString::fromStdString(Dir.Path("p/a.asm")));

    W->ReopenMenu()->actions()[0]->trigger();
    EXPECT_EQ(Names(), (QStringList{"b.asm", "a.asm"}));
    TTextBuffer& r = Ed(1)->Buffer();
    EXPECT_EQ(r.Caret(), (TTextPos{3, 2}));
    EXPECT_EQ(r.GetSelStart(), (TTextPos{3, 1}));
    EXPECT_EQ(r.GetSelEnd(), (TTextPos{3, 2}));
    EXPECT_EQ(r.GetMarker(2), (TTextPos{3, 2}));
    EXPECT_EQ(W->Panel(0), "4 : 2");
    EXPECT_TRUE(W->ReopenMenu()->actions().isEmpty());
    EXPECT_FALSE(W->ReopenMenu()->menuAction()->isEnabled());
}

TEST_F(TPrinFiles, FileWithSeveralViewsIsNotRemembered)
{
    ASSERT_TRUE(StartWith({"a.asm"}));
    W->Action("MF_NouvVue")->trigger();
    W->Action("MF_Ferme")->trigger();
    EXPECT_EQ(W->Reopen().Size(), 0u);
    EXPECT_EQ(Names(), QStringList{"a.asm"});
}

TEST_F(TPrinFiles, StatusBarFollowsTheEditor)
{
    ASSERT_TRUE(StartWith({"a.asm"}));
    TEditeur* ed = Ed(0);
    EXPECT_EQ(W->Panel(0), "1 : 1");
    EXPECT_EQ(W->Panel(1), "");
    EXPECT_EQ(W->Panel(2), "Insertion");
    W->SetPanel(3, "message");
    QTest::keyClick(ed, Qt::Key_Down);
    QTest::keyClick(ed, Qt::Key_End);
    EXPECT_EQ(W->Panel(0), QString("2 : %1").arg(ed->Buffer().GetLine(1).size() + 1));
    EXPECT_EQ(W->Panel(3), "");
    EXPECT_FALSE(W->Menu("M_Selection")->menuAction()->isEnabled());
    QTest::keyClick(ed, Qt::Key_Left, Qt::ShiftModifier);
    QCoreApplication::processEvents();
    EXPECT_TRUE(W->Menu("M_Selection")->menuAction()->isEnabled());
    QTest::keyClick(ed, Qt::Key_Home);
    QTest::keyClicks(ed, "k");
    EXPECT_EQ(W->Panel(1), "Modifi\u00e9");
    QTest::keyClick(ed, Qt::Key_Insert);
    EXPECT_EQ(W->Panel(2), "Remplacement");
    W->SetPanel(3, "message");
    QTest::mouseClick(ed->viewport(), Qt::LeftButton, {}, QPoint(60, 5));
    EXPECT_EQ(W->Panel(3), "");

    // The column counts character cells: a tab from column 1 reaches the
    // first stop, and Ctrl+I is a tab too, up to the second stop.
    QTest::keyClick(ed, Qt::Key_Insert);
    ed->Buffer().SetCaret({0, 1});
    QTest::keyClick(ed, Qt::Key_Home);
    QTest::keyClick(ed, Qt::Key_Tab);
    const int stop0 = ed->TabStop(0) / ed->CharWidth(), stop1 = ed->TabStop(1) / ed->CharWidth();
    ASSERT_GT(stop0, 3);
    EXPECT_EQ(W->Panel(0), QString("1 : %1").arg(stop0 + 1));
    QTest::keyClicks(ed, "ab");
    EXPECT_EQ(W->Panel(0), QString("1 : %1").arg(stop0 + 3));
    QTest::keyClick(ed, Qt::Key_I, Qt::ControlModifier);
    EXPECT_EQ(ed->Buffer().GetLine(0).substr(0, 4), "\tab\t");
    EXPECT_EQ(W->Panel(0), QString("1 : %1").arg(stop1 + 1));
}

TEST_F(TPrinFiles, FilesOutsideTheProjectFolderOpenReadOnly)
{
    ASSERT_TRUE(StartWith({"a.asm"}));
    const std::string outside = Dir.Write("elsewhere/x.asm", "nop\r\n");
    W->OuvreFichier(outside);
    EXPECT_TRUE(Ed(1)->Buffer().ReadOnly);
    EXPECT_EQ(W->Panel(1), "Lecture seule");
    EXPECT_FALSE(Ed(0)->Buffer().ReadOnly);
}

TEST_F(TPrinFiles, SaveAsRenamesTheEntriesOrRefusesAnOpenName)
{
    ASSERT_TRUE(StartWith({"a.asm", "b.asm"}));
    W->ChoisitPage(0);
    W->Action("MF_NouvVue")->trigger();
    Ed(0)->Buffer().InsertText("X");
    const std::string before = Dir.Read("p/a.asm");
    SaveName = QString::fromStdString(Dir.Path("p/b.asm"));
    W->Action("MF_EnregSous")->trigger();
    EXPECT_EQ(Titled, QStringList{"Impossible d'utiliser ce nom.|Le fichier b.asm est utilis\u00e9."});
    EXPECT_EQ(Ed(0)->FileName, Dir.Path("p/a.asm"));
    // Refused: nothing is written, under either name.
    EXPECT_EQ(Dir.Read("p/a.asm"), before);
    EXPECT_EQ(Dir.Read("p/b.asm").substr(0, 1), " ");
    EXPECT_TRUE(Ed(0)->Buffer().Modified());
    // Its own name: saved where it is.
    SaveName = QString::fromStdString(Dir.Path("p/a.asm"));
    W->Action("MF_EnregSous")->trigger();
    EXPECT_EQ(Titled.size(), 1);
    EXPECT_EQ(Dir.Read("p/a.asm").substr(0, 1), "X");
    SaveName = QString::fromStdString(Dir.Path("p/New.asm"));
    W->Action("MF_EnregSous")->trigger();
    EXPECT_EQ(Ed(0)->FileName, Dir.Path("p/New.asm"));
    EXPECT_EQ(Names(), (QStringList{"new.asm(1)", "new.asm(2)", "b.asm"}));
    EXPECT_TRUE(Dir.Exists("p/New.asm"));
}

TEST_F(TPrinFiles, PeriodicBackupWritesModifiedNamedFilesOnly)
{
    ASSERT_TRUE(StartWith({"a.asm", "b.asm"}));
    Ed(0)->Buffer().InsertText("W  ");
    Ed(0)->Buffer().CleanEol = true; // off for the copy only
    W->SauvegardePeriodique();
    EXPECT_TRUE(Dir.Exists("p/a.asm.bak"));
    EXPECT_FALSE(Dir.Exists("p/b.asm.bak"));
    EXPECT_EQ(Dir.Read("p/a.asm.bak").substr(0, 3), "W  ");
    EXPECT_TRUE(Ed(0)->Buffer().Modified());
    EXPECT_TRUE(Ed(0)->Buffer().CleanEol);
    EXPECT_NE(Dir.Read("p/a.asm").substr(0, 1), "W");
}

TEST_F(TPrinFiles, DroppedFilesOpenAndFoldersAreIgnored)
{
    ASSERT_TRUE(StartWith({"a.asm"}));
    const std::string target = Source("t.asm");
    std::filesystem::create_symlink(target, Dir.Path("link.asm"));
    std::filesystem::create_directories(Dir.Path("p/folder"));
    W->FichiersDeposes({QUrl::fromLocalFile(QString::fromStdString(Dir.Path("link.asm"))),
                  QUrl::fromLocalFile(QString::fromStdString(Dir.Path("p/folder"))),
                  QUrl::fromLocalFile(QString::fromStdString(Dir.Path("p/none.asm")))});
    EXPECT_EQ(Names(), (QStringList{"a.asm", "t.asm"}));
    EXPECT_EQ(Ed(1)->FileName, target);
}

TEST_F(TPrinFiles, WholeSessionComesBackAfterQuitting)
{
    ASSERT_TRUE(StartWith({"a.asm", "b.asm", "c.asm"}));
    W->ChoisitPage(1);
    W->Action("MF_NouvVue")->trigger(); // b.asm(2) at 2
    TTextBuffer& b = Ed(1)->Buffer();
    for (int i = 0; i < 30; ++i)
        QTest::keyClick(Ed(2), Qt::Key_Down);
    W->Action("PM_E_M7")->trigger();
    W->ChoisitPage(3); // c.asm
    W->ChoisitPage(0);
    QTest::keyClick(Ed(0), Qt::Key_Down);
    QTest::keyClick(Ed(0), Qt::Key_Down, Qt::ShiftModifier);
    W->ChoisitPage(3);
    W->Action("MF_Ferme")->trigger(); // c.asm to the reopen list
    W->ChoisitPage(2);
    const TTextPos caret2 = b.GetView(1)->Caret;
    const int top2 = b.GetView(1)->TopLine;
    EXPECT_EQ(caret2.Line, 30);
    ASSERT_TRUE(W->close());
    W.reset();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

    ASSERT_TRUE(Start({ProjectPath}));
    EXPECT_EQ(Names(), (QStringList{"a.asm", "b.asm(1)", "b.asm(2)"}));
    EXPECT_EQ(S().ItemIndex(), 2);
    EXPECT_EQ(S().PreviousPage(), 0);
    TTextBuffer& nb = Ed(1)->Buffer();
    EXPECT_EQ(nb.GetView(1)->Caret, caret2);
    EXPECT_EQ(nb.GetView(1)->TopLine, top2);
    EXPECT_EQ(nb.GetMarker(7), (TTextPos{30, 1}));
    EXPECT_EQ(nb.ActiveView(), 1);
    TTextBuffer& na = Ed(0)->Buffer();
    EXPECT_EQ(na.GetView(0)->SelStart, (TTextPos{1, 1}));
    EXPECT_EQ(na.GetView(0)->SelEnd, (TTextPos{2, 1}));
    ASSERT_EQ(W->Reopen().Size(), 1u);
    EXPECT_EQ(W->Reopen().Items()[0].Path, Dir.Path("p/c.asm"));
}

TEST_F(TPrinFiles, EditMenusFollowSelectionUndoAndClipboard)
{
    ASSERT_TRUE(StartWith({"a.asm"}));
    TEditeur* ed = Ed(0);
    QApplication::clipboard()->clear();
    emit W->Menu("M_Edition")->aboutToShow();
    EXPECT_FALSE(W->Action("ME_Annuler")->isEnabled());
    EXPECT_FALSE(W->Action("ME_Couper")->isEnabled());
    EXPECT_FALSE(W->Action("ME_Copier")->isEnabled());
    EXPECT_FALSE(W->Action("ME_Coller")->isEnabled());
    QTest::keyClick(ed, Qt::Key_Right, Qt::ShiftModifier);
    QTest::keyClick(ed, Qt::Key_Right, Qt::ShiftModifier);
    emit W->Menu("M_Edition")->aboutToShow();
    EXPECT_TRUE(W->Action("ME_Couper")->isEnabled());
    EXPECT_TRUE(W->Action("ME_Copier")->isEnabled());
    W->Action("ME_Copier")->trigger();
    EXPECT_EQ(QApplication::clipboard()->text(), "  ");
    emit W->Menu("M_Edition")->aboutToShow();
    EXPECT_TRUE(W->Action("ME_Coller")->isEnabled());
    emit W->Menu("M_Edition")->aboutToHide(); // shortcuts reach the commands again
    EXPECT_TRUE(W->Action("ME_Annuler")->isEnabled());
    W->Action("ME_Couper")->trigger();
    emit W->Menu("M_Edition")->aboutToShow();
    EXPECT_TRUE(W->Action("ME_Annuler")->isEnabled());
    EXPECT_FALSE(W->Action("ME_Couper")->isEnabled());
    W->Action("ME_Annuler")->trigger();
    EXPECT_EQ(ed->Buffer().GetLine(0).substr(0, 8), "        ");
    // The editor popup.
    emit W->findChild<QMenu*>("PM_Edit")->aboutToShow();
    EXPECT_FALSE(W->Action("PM_E_Couper")->isEnabled());
    EXPECT_TRUE(W->Action("PM_E_Coller")->isEnabled());
}

TEST_F(TPrinFiles, SourcesPopupActsOnItsTargetEntry)
{
    ASSERT_TRUE(StartWith({"a.asm", "b.asm"}));
    QMenu* pm = W->findChild<QMenu*>("PM_Sources");
    ASSERT_NE(pm, nullptr);
    W->ChoisitPage(1);
    pm->setProperty("tag", 0);
    emit pm->aboutToShow();
    EXPECT_EQ(W->Action("PM_S_Nom")->text(), "a.asm");
    EXPECT_FALSE(W->Action("PM_S_LectSeule")->isChecked());
    W->Action("PM_S_LectSeule")->trigger();
    EXPECT_TRUE(Ed(0)->Buffer().ReadOnly);
    EXPECT_FALSE(Ed(1)->Buffer().ReadOnly);
    W->Action("PM_S_NoRefs")->trigger();
    EXPECT_TRUE(S().Entry(0)->NoRefs);
    const bool autoSave = Ed(0)->AutoSave;
    W->Action("PM_S_AutoSave")->trigger();
    EXPECT_NE(Ed(0)->AutoSave, autoSave);
    // A right click in the editor makes the current entry the target.
    QTest::mousePress(Ed(1)->viewport(), Qt::RightButton, {}, QPoint(60, 5));
    EXPECT_EQ(pm->property("tag").toInt(), 1);
    QTest::mouseRelease(Ed(1)->viewport(), Qt::RightButton, {}, QPoint(60, 5));
    for (QMenu* m : Ed(1)->findChildren<QMenu*>())
        m->hide();
    pm->setProperty("tag", 0);
    W->Action("PM_S_Fermer")->trigger();
    EXPECT_EQ(Names(), QStringList{"b.asm"});
    EXPECT_EQ(W->Reopen().Size(), 1u);
}

TEST_F(TPrinFiles, BackupTimerFollowsTheOptions)
{
    ASSERT_TRUE(StartWith({"a.asm"}));
    W->Cfg()->Data.EnableBak = true;
    W->Cfg()->Data.DelaiBak = 1; // below the range: 2 minutes
    W->ProgrammeBackup();
    ASSERT_NE(W->BackupTimer(), nullptr);
    EXPECT_EQ(W->BackupTimer()->interval(), 2 * 60000);
    EXPECT_TRUE(W->BackupTimer()->isActive());
    W->Cfg()->Data.DelaiBak = 7;
    W->ProgrammeBackup();
    EXPECT_EQ(W->BackupTimer()->interval(), 7 * 60000);
    W->Cfg()->Data.EnableBak = false;
    W->ProgrammeBackup();
    EXPECT_EQ(W->BackupTimer(), nullptr);
}

TEST_F(TPrinFiles, MissingViewsCoverTheRestOfTheFile)
{
    ASSERT_TRUE(StartWith({"a.asm", "b.asm"}));
    TTextBuffer& b = Ed(0)->Buffer();
    b.GetView(0)->ViewMinLine = 10;
    b.GetView(0)->ViewMaxLine = 20;
    QMenu* pm = W->findChild<QMenu*>("PM_Sources");
    pm->setProperty("tag", 0);
    emit pm->aboutToShow();
    ASSERT_TRUE(W->Action("PM_S_VuesManquantes")->isEnabled());
    W->Action("PM_S_VuesManquantes")->trigger();
    EXPECT_EQ(Names(), (QStringList{"a.asm(1)", "a.asm(2)", "a.asm(3)", "b.asm"}));
    ASSERT_EQ(b.ViewCount(), 3);
    EXPECT_EQ(b.GetView(1)->ViewMinLine, -1);
    EXPECT_EQ(b.GetView(1)->ViewMaxLine, 11);
    EXPECT_EQ(b.GetView(2)->ViewMinLine, 20);
    EXPECT_EQ(b.GetView(2)->ViewMaxLine, TEditView::NoMaxLine);
    EXPECT_EQ(S().ItemIndex(), 2);
    // Everything covered now: nothing more.
    W->Action("PM_S_VuesManquantes")->trigger();
    EXPECT_EQ(b.ViewCount(), 3);
    // A gap between two views.
    b.GetView(1)->ViewMaxLine = 5;
    b.GetView(0)->ViewMinLine = 8;
    W->Action("PM_S_VuesManquantes")->trigger();
    ASSERT_EQ(b.ViewCount(), 4);
    EXPECT_EQ(b.GetView(3)->ViewMinLine, 5);
    EXPECT_EQ(b.GetView(3)->ViewMaxLine, 9);
}
