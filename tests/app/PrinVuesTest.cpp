// Views and settings through the main window: the tab ruler's drag, showing a
// line in the best view, the file and view settings dialogs and their entry
// points, dropped links, switching project.
#include "app/PrinFixture.h"

#include "controls/UC_HeaderCtrlG.h"
#include "editor/UF_CfgFich.h"
#include "editor/UF_CfgVue.h"
#include "platform/FileIo.h"
#include "project/UF_Proj.h"
#include "project/UF_ProjVers.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QRadioButton>
#include <QScrollBar>
#include <QSpinBox>
#include <QTimer>
#include <QTreeWidget>

#include <filesystem>

class TPrinVues : public TPrinFixture {
protected:
    // The next modal dialog is handed to `act`, which says whether it was
    // accepted; records which dialogs ran.
    template <class D>
    void NextDialog(std::function<bool(D&)> act)
    {
        W->ExecDialog = [this, act](QDialog& dlg) {
            Dialogs << dlg.metaObject()->className();
            auto* d = qobject_cast<D*>(&dlg);
            return d && act(*d);
        };
    }
    void PopupOn(int entry)
    {
        QMenu* pm = W->findChild<QMenu*>("PM_Sources");
        pm->setProperty("tag", entry);
        emit pm->aboutToShow();
    }
    QStringList Dialogs;
};

// ---- The tab ruler ------------------------------------------------------------------

TEST_F(TPrinVues, DraggingATabStopShowsAGuideAndMovesOnlyThatStopOnRelease)
{
    ASSERT_TRUE(StartWith({"a.asm"}));
    W->resize(800, 600);
    W->show();
    QCoreApplication::processEvents();
    TEditeur* ed = Ed(0);
    auto* bar = W->findChild<THeaderCtrlG*>("TabBar");
    auto* guide = W->findChild<QLabel*>("Guide");
    ASSERT_TRUE(bar && guide);
    EXPECT_TRUE(bar->isEnabled());
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(bar->SectionRight(i), ed->TabStop(i)) << i;

    const int second = ed->TabStop(1), third = ed->TabStop(2);
    const int y = bar->height() / 2;
    QTest::mousePress(bar, Qt::LeftButton, {}, QPoint(second, y));
    EXPECT_TRUE(guide->isVisible());
    EXPECT_EQ(W->Panel(1), QStringLiteral("%1:%2").arg(second).arg(second - ed->TabStop(0)));
    QMouseEvent move(QEvent::MouseMove, QPointF(second + 24, y), bar->mapToGlobal(QPointF(second + 24, y)),
                     Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(bar, &move);
    // While dragging nothing moves in the editor; the panel tells where the
    // stop would go.
    EXPECT_EQ(ed->TabStop(1), second);
    EXPECT_EQ(W->Panel(1), QStringLiteral("%1/%2").arg(second).arg(second + 24));
    // The guide stands where text at that stop would start.
    EXPECT_EQ(guide->x(), ed->viewport()->mapTo(guide->parentWidget(), QPoint(ed->TextLeft() + second + 24, 0)).x());
    EXPECT_EQ(guide->height(), guide->parentWidget()->height());
    QTest::mouseRelease(bar, Qt::LeftButton, {}, QPoint(second + 24, y));
    EXPECT_FALSE(guide->isVisible());
    EXPECT_EQ(ed->TabStop(1), second + 24);
    EXPECT_EQ(ed->TabStop(2), third); // the next stop stays in place
    EXPECT_EQ(bar->SectionRight(1), second + 24);
    EXPECT_EQ(bar->SectionRight(2), third);
    EXPECT_EQ(W->Panel(1), QString()); // the file's state again: not modified

    // Escape gives the drag up.
    QTest::mousePress(bar, Qt::LeftButton, {}, QPoint(third, y));
    QMouseEvent away(QEvent::MouseMove, QPointF(third - 30, y), bar->mapToGlobal(QPointF(third - 30, y)),
                     Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(bar, &away);
    QTest::keyClick(bar, Qt::Key_Escape);
    EXPECT_FALSE(guide->isVisible());
    EXPECT_EQ(ed->TabStop(2), third);

    // The last stop has no neighbour to keep in place.
    const int last = ed->TabStop(5);
    QTest::mousePress(bar, Qt::LeftButton, {}, QPoint(last, y));
    QTest::mouseRelease(bar, Qt::LeftButton, {}, QPoint(last + 16, y));
    EXPECT_EQ(ed->TabStop(5), last + 16);
    EXPECT_EQ(ed->TabStop(4), bar->SectionRight(4));

    // The popup's defaults.
    W->findChild<QMenu*>("PM_TabBar")->actions()[1]->trigger();
    EXPECT_EQ(ed->TabStop(0), 8 * ed->CharWidth());
    EXPECT_EQ(bar->SectionRight(5), 48 * ed->CharWidth());
    W->findChild<QMenu*>("PM_TabBar")->actions()[0]->trigger();
    EXPECT_EQ(ed->TabStop(2), 41 * ed->CharWidth());
    EXPECT_EQ(bar->SectionWidth(0), 14 * ed->CharWidth());
}

// ---- MontreLigne ------------------------------------------------------------------------

TEST_F(TPrinVues, ShowingALineChoosesTheViewThatShowsItBest)
{
    Source("big.asm", 400);
    ASSERT_TRUE(StartWith({"a.asm"}));
    const std::string big = Dir.Path("p/big.asm");
    // Not open: opened, the line shown.
    ASSERT_TRUE(W->MontreLigne(big, 250));
    ASSERT_EQ(Names(), (QStringList{"a.asm", "big.asm"}));
    TTextBuffer& b = PageCourante->Editor->Buffer();
    EXPECT_EQ(b.CaretLine(), 250); // a line's identity is its index on loading
    // Three views: tops 0, 100 and 300 (the active one is the last opened).
    W->OuvreFichier(big);
    W->OuvreFichier(big);
    ASSERT_EQ(Names(), (QStringList{"a.asm", "big.asm(1)", "big.asm(2)", "big.asm(3)"}));
    const int vis = b.Metrics().VisibleLines;
    ASSERT_GT(vis, 5);
    auto place = [&](int view, int top) {
        W->ChoisitPage(1 + view);
        b.SetTopLine(top);
    };
    place(0, 0);
    place(1, 100);
    place(2, 300);
    W->ChoisitPage(0);

    // Inside the second view's screen.
    ASSERT_TRUE(W->MontreLigne(big, 100 + vis / 2));
    EXPECT_EQ(S().ItemIndex(), 2);
    EXPECT_EQ(b.CaretLine(), 100 + vis / 2);
    EXPECT_EQ(b.TopLine(), 100); // already on screen: no scrolling
    // Below every screen: the nearest middle, the third view, scrolled to it.
    ASSERT_TRUE(W->MontreLigne(big, 390));
    EXPECT_EQ(S().ItemIndex(), 3);
    EXPECT_EQ(b.CaretLine(), 390);
    // Just above the second view's screen: the second view is nearer.
    place(1, 100);
    place(0, 0);
    ASSERT_TRUE(W->MontreLigne(big, 99));
    EXPECT_EQ(S().ItemIndex(), 2);
    EXPECT_EQ(b.CaretLine(), 99);

    // Limits: the first view is kept to lines 0..49; a line past them goes to
    // a view whose range holds it, even if the first view's middle is nearer.
    place(0, 0);
    place(1, 200);
    place(2, 300);
    b.GetView(0)->ViewMaxLine = 49;
    b.GetView(1)->ViewMinLine = 50;
    b.GetView(1)->ViewMaxLine = 299;
    b.GetView(2)->ViewMinLine = 300;
    ASSERT_TRUE(W->MontreLigne(big, 60));
    EXPECT_EQ(S().ItemIndex(), 2);
    EXPECT_EQ(b.CaretLine(), 60);
    ASSERT_TRUE(W->MontreLigne(big, 10));
    EXPECT_EQ(S().ItemIndex(), 1);
    ASSERT_TRUE(W->MontreLigne(big, 350));
    EXPECT_EQ(S().ItemIndex(), 3);

    // A deleted line: nothing changes, the caller is told.
    W->ChoisitPage(1);
    b.SetCaret({5, 1});
    b.SelectRange({5, 1}, {7, 1});
    b.InsertText("");
    const int before = S().ItemIndex();
    EXPECT_FALSE(W->MontreLigne(big, 6));
    EXPECT_EQ(S().ItemIndex(), before);
    EXPECT_EQ(b.CaretLine(), 5);
    // Lines inserted above: the identity still finds the line.
    b.SetCaret({0, 1});
    b.InsertText("; new\r\n; new\r\n");
    ASSERT_TRUE(W->MontreLigne(big, 9));
    EXPECT_EQ(b.GetLine(b.CaretLine()), "        nop     ; line 9");
}

// ---- File settings ------------------------------------------------------------------------

TEST_F(TPrinVues, FileSettingsAreFilledFromTheEditorAndAppliedOnOk)
{
    ASSERT_TRUE(StartWith({"a.asm", "b.asm"}));
    TEditeur* ed = Ed(0);
    TTextBuffer& b = ed->Buffer();
    const int cw = ed->CharWidth();
    ed->SetTabStop(1, 23 * cw + 2); // rounds to column 23
    ed->Backup = 3;
    ed->AutoSave = true;
    b.OemFile = false;
    kep::TInfosFich seen;
    bool fileMode = false;
    NextDialog<kep::TEcrParamFich>([&](kep::TEcrParamFich& d) {
        seen = d.Resultat();
        fileMode = !d.edExt->isVisibleTo(&d) && d.edNom->isReadOnly();
        d.ConvDos->setChecked(true);
        d.Autosave->setChecked(false);
        d.ClrEol->setChecked(false);
        d.edNbrBak->setValue(5);
        d.edTabs->setText("8,+8,+8");
        d.rbTabsRel->setChecked(true);
        return true;
    });
    PopupOn(0);
    ASSERT_TRUE(W->Action("PM_S_PropFich")->isEnabled());
    W->Action("PM_S_PropFich")->trigger();
    ASSERT_EQ(Dialogs, QStringList{"kep::TEcrParamFich"});
    EXPECT_TRUE(fileMode);
    EXPECT_EQ(seen.Nom, "a.asm");
    EXPECT_EQ(seen.Ext, ".ASM");
    EXPECT_EQ(seen.Tabs[1], 23);
    EXPECT_EQ(seen.Tabs[0], 14);
    EXPECT_EQ(seen.Backup, 3);
    EXPECT_TRUE(seen.Opts & kep::optAutoSave);
    EXPECT_FALSE(seen.Opts & kep::optConvDos);
    // Applied: the code page change makes the file modified so that it is
    // written again in the new one.
    EXPECT_TRUE(b.OemFile);
    EXPECT_TRUE(b.Modified());
    EXPECT_FALSE(ed->AutoSave);
    EXPECT_FALSE(b.CleanEol);
    EXPECT_EQ(ed->Backup, 5);
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(ed->TabStop(i), 8 * (i + 1) * cw) << i;
    EXPECT_EQ(W->findChild<THeaderCtrlG*>("TabBar")->SectionRight(2), 24 * cw);
    EXPECT_TRUE(Ed(1)->AutoSave); // the other file is left alone
    EXPECT_EQ(Ed(1)->TabStop(0), 14 * cw);

    // Cancelled: nothing changes.
    NextDialog<kep::TEcrParamFich>([](kep::TEcrParamFich& d) {
        d.edNbrBak->setValue(9);
        return false;
    });
    W->Action("MO_PropFich")->trigger(); // acts on the entry the popup was set to
    EXPECT_EQ(ed->Backup, 5);
}

TEST_F(TPrinVues, ColoursAppliedFromTheDialogReachEveryOpenFileOfTheType)
{
    Source("notes.txt");
    ASSERT_TRUE(StartWith({"a.asm", "b.asm", "notes.txt"}));
    W->OuvreFichier(Dir.Path("p/b.asm")); // a second view of b.asm
    ASSERT_EQ(Names(), (QStringList{"a.asm", "b.asm(1)", "b.asm(2)", "notes.txt"}));
    kep::TStyleTable red = kep::DefaultStyles();
    red[kep::stOp].Fore = kep::RGBColor(0xFF, 0, 0);
    NextDialog<kep::TEcrParamFich>([&](kep::TEcrParamFich& d) {
        EXPECT_TRUE(d.OnApplStyles != nullptr);
        d.OnApplStyles(".ASM", red); // what "Appliquer ces couleurs..." sends
        return false;
    });
    W->ProprietesFichier(0);
    EXPECT_EQ(Ed(0)->Styles()[kep::stOp].Fore, red[kep::stOp].Fore);
    EXPECT_EQ(Ed(1)->Styles()[kep::stOp].Fore, red[kep::stOp].Fore);
    EXPECT_NE(Ed(3)->Styles()[kep::stOp].Fore, red[kep::stOp].Fore);
    // Extensions compare ignoring case.
    kep::TStyleTable blue = kep::DefaultStyles();
    blue[kep::stRem].Fore = kep::RGBColor(0, 0, 0xFF);
    W->AppliqueStyles(".Txt", blue);
    EXPECT_EQ(Ed(3)->Styles()[kep::stRem].Fore, blue[kep::stRem].Fore);
    EXPECT_NE(Ed(0)->Styles()[kep::stRem].Fore, blue[kep::stRem].Fore);
}

TEST_F(TPrinVues, AFileWithNulBytesStaysReadOnlyThroughTheDialog)
{
    Dir.Write("p/bin.asm", std::string("ab\0cd\r\n", 7));
    ASSERT_TRUE(StartWith({"a.asm"}));
    Messages.clear();
    W->OuvreFichier(Dir.Path("p/bin.asm"));
    Messages.clear();
    NextDialog<kep::TEcrParamFich>([](kep::TEcrParamFich& d) {
        EXPECT_TRUE(d.ReadOnly->isChecked());
        EXPECT_EQ(d.ReadOnly->text(), QStringLiteral("Lecture seule"));
        d.ReadOnly->setChecked(false);
        return true;
    });
    W->ProprietesFichier(1);
    EXPECT_TRUE(Ed(1)->Buffer().ReadOnly);
    ASSERT_EQ(Messages.size(), 1);
}

// ---- View settings ------------------------------------------------------------------------

TEST_F(TPrinVues, ViewSettingsNameAndLimitTheViewAndTheNameStays)
{
    ASSERT_TRUE(StartWith({"main.asm", "b.asm"}));
    TTextBuffer& b = Ed(0)->Buffer();
    b.SetCaret({12, 1});
    b.SelectRange({4, 1}, {9, 3});
    // "Nouvelle vue ..." opens a view and its dialog at once.
    std::vector<bool> selChoices;
    NextDialog<kep::TEcrEditVue>([&](kep::TEcrEditVue& d) {
        EXPECT_EQ(d.NomFichier->text(), QStringLiteral("main.asm"));
        EXPECT_EQ(d.NomVue->text(), QStringLiteral("main.asm(2)"));
        EXPECT_TRUE(d.DeDebFich->isChecked());
        EXPECT_TRUE(d.AFinFich->isChecked());
        selChoices = {d.DeDebSel->isEnabled(), d.AFinSel->isEnabled()};
        d.NomVue->setText("Init");
        d.LigneDeb->setValue(3);
        d.LigneFin->setValue(30);
        return true;
    });
    PopupOn(0);
    W->Action("PM_S_NouvVue")->trigger();
    ASSERT_EQ(Dialogs, QStringList{"kep::TEcrEditVue"});
    EXPECT_EQ(selChoices, (std::vector<bool>{false, false})); // a new view has no selection
    EXPECT_EQ(Names(), (QStringList{"main.asm(1)", "Init", "b.asm"}));
    EXPECT_EQ(b.GetView(1)->ViewMinLine, 3);
    EXPECT_EQ(b.GetView(1)->ViewMaxLine, 30);
    EXPECT_EQ(b.ViewMinLine(), 3); // the shown view took its new range
    EXPECT_EQ(Ed(0)->verticalScrollBar()->minimum(), 3);

    // The first view's dialog: choices from its caret and selection.
    std::vector<bool> checks;
    NextDialog<kep::TEcrEditVue>([&](kep::TEcrEditVue& d) {
        EXPECT_TRUE(d.DeDebSel->isEnabled());
        d.DeDebSel->click();
        d.AFinSel->click();
        checks = {d.DeDebSel->isChecked(), d.DeCur->isChecked(), d.AFinSel->isChecked()};
        return true;
    });
    W->ChoisitPage(0);
    b.SelectRange({4, 1}, {9, 3});
    PopupOn(0);
    W->Action("PM_S_PropVue")->trigger();
    EXPECT_EQ(checks, (std::vector<bool>{true, false, true}));
    EXPECT_EQ(b.GetView(0)->ViewMinLine, 4);
    EXPECT_EQ(b.GetView(0)->ViewMaxLine, 9);

    // Closing the other file and adding a view renumbers generated names
    // only: "Init" keeps its name.
    W->FermePage(2, false);
    W->ExecDialog = [](QDialog&) { return false; };
    PopupOn(0);
    W->Action("PM_S_NouvVue")->trigger();
    EXPECT_EQ(Names(), (QStringList{"main.asm(1)", "Init", "main.asm(3)"}));
    W->FermePage(0, false);
    EXPECT_EQ(Names(), (QStringList{"Init", "main.asm(2)"}));

    // An emptied name gives the generated one back.
    NextDialog<kep::TEcrEditVue>([](kep::TEcrEditVue& d) {
        d.NomVue->clear();
        return true;
    });
    W->ProprietesVue(0);
    EXPECT_EQ(Names(), (QStringList{"main.asm(1)", "main.asm(2)"}));
}

TEST_F(TPrinVues, PropertyItemsFollowTheOpenFiles)
{
    const std::string p = Project("[Global]\r\n");
    ASSERT_TRUE(Start({p}));
    EXPECT_FALSE(W->Action("MO_PropFich")->isEnabled());
    EXPECT_FALSE(W->Action("MO_PropVue")->isEnabled());
    Source("a.asm");
    W->OuvreFichier(Dir.Path("p/a.asm"));
    EXPECT_TRUE(W->Action("MO_PropFich")->isEnabled());
    EXPECT_TRUE(W->Action("MO_PropVue")->isEnabled());
    // The editor popup's items act on the current entry.
    NextDialog<kep::TEcrEditVue>([](kep::TEcrEditVue&) { return false; });
    QTest::mouseClick(Ed(0)->viewport(), Qt::RightButton, {}, QPoint(40, 5));
    W->Action("PM_E_PropVue")->trigger();
    EXPECT_EQ(Dialogs, QStringList{"kep::TEcrEditVue"});
    W->FermePage(0, false);
    EXPECT_FALSE(W->Action("MO_PropFich")->isEnabled());
}

// ---- Drops ------------------------------------------------------------------------------

TEST_F(TPrinVues, DroppedLinksOpenTheirTargets)
{
    ASSERT_TRUE(StartWith({"a.asm"}));
    Source("cible.asm");
    Source("autre ù.asm");
    Dir.Write("lien.desktop", "[Desktop Entry]\nType=Link\nName=Cible\nURL=file://" + Dir.Path("p/cible.asm") + "\n");
    // Spaces and accents come percent-encoded.
    std::string encoded = "file://" + Dir.Path("p/") + "autre%20%C3%B9.asm";
    Dir.Write("lien2.DESKTOP", "[Desktop Entry]\nURL[fr]=file:///nowhere\nURL=" + encoded + "\nType=Link\n");
    // A launcher and a link to a folder open nothing.
    Dir.Write("app.desktop", "[Desktop Entry]\nType=Application\nExec=/bin/true\nURL=file://" + Dir.Path("p/a.asm") + "\n");
    Dir.Write("dossier.desktop", "[Desktop Entry]\nType=Link\nURL=file://" + Dir.Path("p") + "\n");
    std::filesystem::create_symlink(Dir.Path("lien.desktop"), Dir.Path("sym.desktop"));
    W->FichiersDeposes({QUrl::fromLocalFile(QString::fromStdString(Dir.Path("lien.desktop"))),
                        QUrl::fromLocalFile(QString::fromStdString(Dir.Path("lien2.DESKTOP"))),
                        QUrl::fromLocalFile(QString::fromStdString(Dir.Path("app.desktop"))),
                        QUrl::fromLocalFile(QString::fromStdString(Dir.Path("dossier.desktop"))),
                        QUrl::fromLocalFile(QString::fromStdString(Dir.Path("sym.desktop")))});
    EXPECT_EQ(Names(), (QStringList{"a.asm", "cible.asm(1)", "cible.asm(2)", QString::fromUtf8("autre ù.asm")}));
    EXPECT_TRUE(kep::SamePath(Ed(1)->FileName, Dir.Path("p/cible.asm")));
}

// ---- Projects ---------------------------------------------------------------------------

TEST_F(TPrinVues, SwitchingProjectAsksAboutModifiedFilesAndMayBeRefused)
{
    ASSERT_TRUE(StartWith({"a.asm"}));
    std::filesystem::create_directories(Dir.Path("q"));
    Dir.Write("q/x.asm", "        nop\r\n");
    const std::string other = Dir.Write("q/autre.pja", "[Global]\r\nNbrEdit=1\r\n[Edit0]\r\nNom=x.asm\r\n");
    int asked = 0;
    W->ChoisitProjet = [&](std::string& chosen) {
        ++asked;
        chosen = other;
        return int(kep::TEcrProj::mrOk);
    };
    Ed(0)->Buffer().InsertText("; changed\r\n");
    // Annuler: nothing closes.
    Answers = {TEcrPrin::rAnnuler};
    W->Action("MP_ChangeProj")->trigger();
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(Asked.size(), 1);
    EXPECT_EQ(Names(), QStringList{"a.asm"});
    EXPECT_EQ(kep::NomProjet, ProjectPath);
    // Non: the changes are dropped, the other project opens in this window.
    Answers = {TEcrPrin::rNon};
    W->Action("MP_ChangeProj")->trigger();
    EXPECT_EQ(kep::NomProjet, other);
    EXPECT_EQ(Names(), QStringList{"x.asm"});
    EXPECT_EQ(Dir.Read("p/a.asm").find("changed"), std::string::npos);
    // The session of the first project was saved on closing it.
    EXPECT_NE(Dir.Read("p/demo.pja").find("Police="), std::string::npos);
    // Oui: saved, then back to the first project.
    Ed(0)->Buffer().InsertText("; kept\r\n");
    Answers = {TEcrPrin::rOui};
    W->ChoisitProjet = [&](std::string& chosen) {
        chosen = ProjectPath;
        return int(kep::TEcrProj::mrOk);
    };
    W->Action("MP_ChangeProj")->trigger();
    EXPECT_NE(Dir.Read("q/x.asm").find("; kept"), std::string::npos);
    EXPECT_EQ(kep::NomProjet, ProjectPath);
    EXPECT_EQ(Names(), QStringList{"a.asm"});
    // "Nouvel Editeur" or "Fermer": this window keeps its project.
    W->ChoisitProjet = [&](std::string& chosen) {
        chosen = other;
        return int(kep::TEcrProj::mrYes);
    };
    W->Action("MP_ChangeProj")->trigger();
    EXPECT_EQ(kep::NomProjet, ProjectPath);
    // A file that is no project is refused before anything closes.
    const std::string bad = Dir.Write("q/bad.pja", std::string("\0\0", 2));
    W->ChoisitProjet = [&](std::string& chosen) {
        chosen = bad;
        return int(kep::TEcrProj::mrOk);
    };
    Warnings.clear();
    W->Action("MP_ChangeProj")->trigger();
    EXPECT_EQ(kep::NomProjet, ProjectPath);
    EXPECT_EQ(Names(), QStringList{"a.asm"});
    EXPECT_EQ(Warnings.size(), 1);
}

TEST_F(TPrinVues, VersionsShowsTheVersionTree)
{
    Login = "kepdev";
    ASSERT_TRUE(StartWith({"a.asm"}));
    ASSERT_TRUE(W->Action("MP_Versions")->isVisible());
    ASSERT_TRUE(W->Action("MP_Versions")->isEnabled());
    QStringList tops;
    NextDialog<kep::TEcrProjVers>([&](kep::TEcrProjVers& d) {
        for (int i = 0; i < d.Versions->topLevelItemCount(); ++i)
            tops << d.Versions->topLevelItem(i)->text(0);
        return false;
    });
    W->Action("MP_Versions")->trigger();
    EXPECT_EQ(tops, QStringList{"Standard"});
}

// ---- Mends -----------------------------------------------------------------------------

TEST_F(TPrinVues, AWildBackupCountFromAProjectIsBounded)
{
    Source("a.asm");
    Source("b.asm");
    ProjectPath = Project("[Global]\r\nNbrEdit=2\r\n[Edit0]\r\nNom=a.asm\r\nPolice=Courier New\r\nBackup=3000000\r\n"
                          "[Edit1]\r\nNom=b.asm\r\nPolice=Courier New\r\nBackup=-4\r\n");
    ASSERT_TRUE(Start({ProjectPath}));
    EXPECT_EQ(Ed(0)->Backup, kep::MaxBackups);
    EXPECT_EQ(Ed(1)->Backup, 0);
}

TEST_F(TPrinVues, AProjectOpensWithoutTheInstanceLockWhenItCannotBeMade)
{
    // A socket path longer than the system allows.
    const std::string deep = Dir.Path("run/" + std::string(120, 'r'));
    std::filesystem::create_directories(deep);
    qputenv("XDG_RUNTIME_DIR", QByteArray::fromStdString(deep));
    ASSERT_TRUE(StartWith({"a.asm"}));
    EXPECT_EQ(Names(), QStringList{"a.asm"});
    ASSERT_EQ(Warnings.size(), 1);
    EXPECT_TRUE(Warnings[0].startsWith(QStringLiteral("Le verrou qui réserve ce projet")));
}
