// "Chercher / Remplacer": the buttons that wait for a text, the protected
// project without replacing, the scope and the start, the state a click
// prepares and keeps from click to click, the file lists, the histories,
// closing, and the settings kept in the project.
#include "editor/UF_ChRemp.h"

#include "config/U_IniFilePlus.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

using namespace kep;

namespace {

std::vector<std::string> Items(const QComboBox* c)
{
    std::vector<std::string> items;
    for (int i = 0; i < c->count(); ++i)
        items.push_back(c->itemText(i).toStdString());
    return items;
}

void FlushDeletes()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

// A shown window whose closings are counted.
TChRempDlg* ShownCounting(bool replaceAllowed, int& closing)
{
    auto* d = new TChRempDlg(nullptr, replaceAllowed);
    d->OnClosing = [&closing](TChRempDlg&) { ++closing; };
    d->show();
    return d;
}

} // namespace

TEST(ChRemp, WindowAndDefaults)
{
    TChRempDlg d(nullptr, true);
    EXPECT_EQ(d.windowTitle(), QStringLiteral("Chercher / Remplacer"));
    EXPECT_FALSE(d.isModal());
    EXPECT_TRUE(d.testAttribute(Qt::WA_DeleteOnClose));
    EXPECT_TRUE((d.windowFlags() & Qt::WindowType_Mask) == Qt::Tool ||
                d.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_EQ(d.State().From, TChRempState::DuDebut);
    EXPECT_FALSE(d.State().Prepared);
    EXPECT_TRUE(d.ReplaceAllowed());

    EXPECT_EQ(d.btnSuiv->text(), QStringLiteral("&Suivant"));
    EXPECT_EQ(d.btnRempl->text(), QStringLiteral("&Remplacer"));
    EXPECT_EQ(d.btnRemplTout->text(), QStringLiteral("&Tout remplacer"));
    EXPECT_EQ(d.btnPrec->text(), QStringLiteral("&Précédent"));
    EXPECT_EQ(d.BtnAnnul->text(), QStringLiteral("&Annuler"));
    EXPECT_EQ(d.lblCherche->text(), QStringLiteral("Chercher :"));
    EXPECT_EQ(d.lblRemplace->text(), QStringLiteral("Remplacer par :"));
    EXPECT_EQ(d.grpDans->title(), QStringLiteral(" Dans quoi ? "));
    EXPECT_EQ(d.grpDebut->title(), QStringLiteral(" A partir de ? "));
    EXPECT_EQ(d.DansSelection->text(), QStringLiteral("Le texte sélectionné"));
    EXPECT_EQ(d.DuDebut->text(), QStringLiteral("Du début du texte"));
    EXPECT_EQ(d.optMemeCasse->text(), QStringLiteral("Même casse"));
    EXPECT_EQ(d.optConfirme->text(), QStringLiteral("Confirmer rempl."));
    EXPECT_EQ(d.optMotEntier->text(), QStringLiteral("Mot entier"));
    EXPECT_EQ(d.findChild<QComboBox*>("Cherche"), d.Cherche);
    EXPECT_EQ(d.findChild<QRadioButton*>("DeSelection"), d.DeSelection);

    EXPECT_TRUE(d.DansTexte->isChecked());
    EXPECT_TRUE(d.DuDebut->isChecked());
    EXPECT_TRUE(d.grpDebut->isEnabled());
    EXPECT_TRUE(d.optMotEntier->isChecked());
    EXPECT_FALSE(d.optMemeCasse->isChecked());
    EXPECT_FALSE(d.optConfirme->isChecked());
    EXPECT_TRUE(d.Cherche->isEditable());
    EXPECT_TRUE(d.Remplace->isEditable());
}

TEST(ChRemp, ButtonsWaitForASearchText)
{
    TChRempDlg d(nullptr, true);
    d.show();
    for (QPushButton* b : {d.btnSuiv, d.btnRempl, d.btnRemplTout, d.btnPrec})
        EXPECT_FALSE(b->isEnabled()) << b->objectName().toStdString();
    EXPECT_TRUE(d.BtnAnnul->isEnabled());

    QTest::keyClicks(d.Cherche->lineEdit(), "mov");
    EXPECT_EQ(d.Cherche->currentText(), "mov");
    for (QPushButton* b : {d.btnSuiv, d.btnRempl, d.btnRemplTout})
        EXPECT_TRUE(b->isEnabled()) << b->objectName().toStdString();
    EXPECT_FALSE(d.btnPrec->isEnabled());

    for (int i = 0; i < 3; ++i)
        QTest::keyClick(d.Cherche->lineEdit(), Qt::Key_Backspace);
    EXPECT_TRUE(d.Cherche->currentText().isEmpty());
    EXPECT_FALSE(d.btnSuiv->isEnabled());
    EXPECT_FALSE(d.btnRemplTout->isEnabled());

    // A proposed text counts as typed; an empty one keeps the field.
    d.SetSearchText("\xE9t\xE9"); // "été" in Windows-1252
    EXPECT_EQ(d.Cherche->currentText(), QStringLiteral("été"));
    EXPECT_TRUE(d.btnRempl->isEnabled());
    d.SetSearchText("");
    EXPECT_EQ(d.Cherche->currentText(), QStringLiteral("été"));
    EXPECT_FALSE(d.btnPrec->isEnabled());
}

TEST(ChRemp, ProtectedProjectHidesTheReplaceControls)
{
    TChRempDlg normal(nullptr, true);
    TChRempDlg prot(nullptr, false);
    EXPECT_FALSE(prot.ReplaceAllowed());
    for (QWidget* w : std::initializer_list<QWidget*>{prot.Remplace, prot.lblRemplace, prot.btnRempl,
                                                       prot.btnRemplTout, prot.optConfirme})
        EXPECT_TRUE(w->isHidden()) << w->objectName().toStdString();
    for (QWidget* w : std::initializer_list<QWidget*>{normal.Remplace, normal.lblRemplace, normal.btnRempl,
                                                       normal.btnRemplTout, normal.optConfirme})
        EXPECT_FALSE(w->isHidden()) << w->objectName().toStdString();
    for (QWidget* w : std::initializer_list<QWidget*>{prot.Cherche, prot.btnSuiv, prot.btnPrec, prot.BtnAnnul,
                                                       prot.grpDans, prot.grpDebut, prot.optMemeCasse,
                                                       prot.optMotEntier})
        EXPECT_FALSE(w->isHidden()) << w->objectName().toStdString();
    normal.show();
    prot.show();
    EXPECT_LT(prot.height(), normal.height());
    EXPECT_LE(prot.width(), normal.width());
}

TEST(ChRemp, TheScopeSetsTheStart)
{
    TChRempDlg d(nullptr, true);
    d.SetSearchText("mov");
    d.ButtonClick(cbSuivant);
    ASSERT_TRUE(d.State().Prepared);

    d.DansSelection->click();
    EXPECT_FALSE(d.grpDebut->isEnabled());
    EXPECT_TRUE(d.DeSelection->isChecked());
    EXPECT_FALSE(d.State().Prepared);

    d.DansTexte->click();
    EXPECT_TRUE(d.grpDebut->isEnabled());
    EXPECT_TRUE(d.DuDebut->isChecked());

    d.DuCurseur->click();
    d.ButtonClick(cbSuivant);
    d.DansOuverts->click();
    EXPECT_FALSE(d.grpDebut->isEnabled());
    EXPECT_TRUE(d.DuDebut->isChecked());
    EXPECT_FALSE(d.State().Prepared);

    d.DansProjet->click();
    EXPECT_FALSE(d.grpDebut->isEnabled());
    EXPECT_TRUE(d.DuDebut->isChecked());

    d.DansTexte->click();
    EXPECT_TRUE(d.grpDebut->isEnabled());

    // Choosing another start is a change too.
    d.ButtonClick(cbSuivant);
    d.DuCurseur->click();
    EXPECT_FALSE(d.State().Prepared);
}

TEST(ChRemp, AClickPreparesTheStateAndRuns)
{
    TChRempDlg d(nullptr, true);
    int runs = 0;
    d.OnRun = [&] { ++runs; };
    QTest::keyClicks(d.Cherche->lineEdit(), "Mov");
    QTest::keyClicks(d.Remplace->lineEdit(), "movf");

    d.btnSuiv->click();
    EXPECT_EQ(runs, 1);
    TChRempState& s = d.State();
    EXPECT_TRUE(s.Prepared);
    EXPECT_FALSE(s.Started);
    EXPECT_EQ(s.Options, unsigned(coMotEntier | coSuivant));
    EXPECT_EQ(s.Pattern, "MOV"); // the case-blind matchers want it upper-cased
    EXPECT_EQ(s.Replacement, "movf");
    ASSERT_NE(s.Matcher, nullptr);
    EXPECT_EQ(s.Matcher(s.Pattern, "a mov b"), 3u);
    EXPECT_EQ(s.Matcher(s.Pattern, "a movf b"), 0u);
    // The typed texts stay and join their histories.
    EXPECT_EQ(d.Cherche->currentText(), "Mov");
    EXPECT_EQ(d.Remplace->currentText(), "movf");
    EXPECT_EQ(d.ChercheHistory(), std::vector<std::string>{"Mov"});
    EXPECT_EQ(d.RemplaceHistory(), std::vector<std::string>{"movf"});
    EXPECT_EQ(Items(d.Cherche), std::vector<std::string>{"Mov"});
    EXPECT_EQ(Items(d.Remplace), std::vector<std::string>{"movf"});

    // Every box and the selection scope, from "Tout remplacer".
    d.optMemeCasse->click();
    d.optConfirme->click();
    d.optMotEntier->click();
    d.DansSelection->click();
    d.btnRemplTout->click();
    EXPECT_EQ(runs, 2);
    EXPECT_EQ(s.Options, unsigned(coMemeCasse | coConfirme | coSelection | coRemplace | coRemplaceTout));
    EXPECT_EQ(s.Pattern, "Mov");
    EXPECT_EQ(s.Matcher(s.Pattern, "xMovy"), 2u);
    EXPECT_EQ(s.Matcher(s.Pattern, "xmovy"), 0u);

    d.btnRempl->click();
    EXPECT_EQ(runs, 3);
    EXPECT_EQ(s.Options, unsigned(coMemeCasse | coConfirme | coSelection | coRemplace));

    // Without a handler a click only prepares.
    d.OnRun = nullptr;
    d.optMemeCasse->click();
    d.ButtonClick(cbSuivant);
    EXPECT_TRUE(s.Prepared);
    EXPECT_EQ(runs, 3);
}

TEST(ChRemp, ClicksGoOnUntilAControlChanges)
{
    TChRempDlg d(nullptr, true);
    std::vector<bool> startedAtRun;
    d.OnRun = [&] {
        startedAtRun.push_back(d.State().Started);
        d.State().Started = true; // what the engine does on its first run
        d.State().FileIndex = 1;
    };
    d.SetSearchText("bsf");
    d.btnSuiv->click();
    d.btnSuiv->click();
    // Another button goes on with the same search, only its action changes.
    d.btnRempl->click();
    EXPECT_EQ(startedAtRun, (std::vector<bool>{false, true, true}));
    EXPECT_TRUE(d.State().Started);
    EXPECT_EQ(d.State().FileIndex, 1u);
    EXPECT_EQ(d.State().Options, unsigned(coMotEntier | coRemplace));
    d.btnSuiv->click();
    EXPECT_EQ(d.State().Options, unsigned(coMotEntier | coSuivant));
    EXPECT_EQ(d.ChercheHistory().size(), 1u);

    // Any change starts again.
    startedAtRun.clear();
    d.optMemeCasse->click();
    d.btnSuiv->click();
    d.optMemeCasse->click();
    d.btnSuiv->click();
    QTest::keyClicks(d.Remplace->lineEdit(), "x");
    d.btnSuiv->click();
    d.DuCurseur->click();
    d.btnSuiv->click();
    d.DansOuverts->click();
    d.btnSuiv->click();
    d.SetSearchText("bsf"); // even the same text
    d.btnSuiv->click();
    d.btnSuiv->click();
    EXPECT_EQ(startedAtRun, (std::vector<bool>{false, false, false, false, false, false, true}));
}

TEST(ChRemp, FileScopesAskForTheirLists)
{
    TChRempDlg d(nullptr, true);
    int open = 0, project = 0;
    d.OnListOpen = [&](std::vector<std::string>& list) {
        ++open;
        EXPECT_TRUE(list.empty());
        list = {"/p/a.asm", "/p/b.inc"};
    };
    d.OnListProject = [&](std::vector<std::string>& list) {
        ++project;
        EXPECT_TRUE(list.empty());
        list = {"/p/main.asm"};
    };
    std::size_t indexAtRun = 99;
    d.OnRun = [&] {
        indexAtRun = d.State().FileIndex;
        d.State().NextFile();
    };
    d.SetSearchText("call");

    d.State().FileList = {"stale"};
    d.DansOuverts->click();
    d.btnSuiv->click();
    EXPECT_EQ(open, 1);
    EXPECT_EQ(project, 0);
    EXPECT_EQ(indexAtRun, 0u);
    EXPECT_EQ(d.State().FileList, (std::vector<std::string>{"/p/a.asm", "/p/b.inc"}));
    EXPECT_EQ(d.State().Options, unsigned(coMotEntier | coMultiFich | coSuivant));

    // The list is taken once per search, not once per click.
    d.btnSuiv->click();
    EXPECT_EQ(open, 1);
    EXPECT_EQ(indexAtRun, 1u);

    d.DansProjet->click();
    d.btnRemplTout->click();
    EXPECT_EQ(open, 1);
    EXPECT_EQ(project, 1);
    EXPECT_EQ(indexAtRun, 0u);
    EXPECT_EQ(d.State().FileList, std::vector<std::string>{"/p/main.asm"});
    EXPECT_EQ(d.State().Options, unsigned(coMotEntier | coMultiFich | coRemplace | coRemplaceTout));

    // Without a handler the list is simply empty.
    d.OnListProject = nullptr;
    d.optMotEntier->click();
    d.btnSuiv->click();
    EXPECT_TRUE(d.State().FileList.empty());
    EXPECT_EQ(d.State().Options, unsigned(coMultiFich | coSuivant));

    // The current text alone needs no list.
    d.DansTexte->click();
    d.btnSuiv->click();
    EXPECT_EQ(d.State().Options & coMultiFich, 0u);
    EXPECT_EQ(open, 1);
    EXPECT_EQ(project, 1);
}

TEST(ChRemp, HistoriesKeepTheLatestTwentyFirst)
{
    TChRempDlg d(nullptr, true);
    for (int i = 1; i <= 25; ++i) {
        d.SetSearchText("mot" + std::to_string(i));
        d.ButtonClick(cbSuivant);
    }
    ASSERT_EQ(d.ChercheHistory().size(), TIniFilePlus::HistoryItems);
    EXPECT_EQ(d.ChercheHistory().front(), "mot25");
    EXPECT_EQ(d.ChercheHistory().back(), "mot6");
    EXPECT_EQ(Items(d.Cherche), d.ChercheHistory());
    // Nothing was typed in Remplace: nothing joins its history.
    EXPECT_TRUE(d.RemplaceHistory().empty());
    EXPECT_EQ(d.Remplace->count(), 0);

    // An older text searched again comes back to the top, once.
    d.SetSearchText("mot10");
    d.ButtonClick(cbSuivant);
    ASSERT_EQ(d.ChercheHistory().size(), TIniFilePlus::HistoryItems);
    EXPECT_EQ(d.ChercheHistory()[0], "mot10");
    EXPECT_EQ(d.ChercheHistory()[1], "mot25");
    EXPECT_EQ(std::count(d.ChercheHistory().begin(), d.ChercheHistory().end(), "mot10"), 1);
    EXPECT_EQ(d.ChercheHistory().back(), "mot6");
    EXPECT_EQ(d.Cherche->currentText(), "mot10");

    // Picking an entry of the list is a change like typing.
    d.Cherche->setCurrentIndex(3);
    EXPECT_FALSE(d.State().Prepared);
    const std::string picked = d.Cherche->currentText().toStdString();
    d.ButtonClick(cbSuivant);
    EXPECT_EQ(d.ChercheHistory()[0], picked);
    EXPECT_EQ(d.State().Pattern, "MOT" + picked.substr(3));

    QTest::keyClicks(d.Remplace->lineEdit(), "nop");
    d.ButtonClick(cbRemplace);
    EXPECT_EQ(d.RemplaceHistory(), std::vector<std::string>{"nop"});
    // Emptied again: the history keeps what it had.
    d.Remplace->clearEditText();
    d.ButtonClick(cbRemplace);
    EXPECT_EQ(d.RemplaceHistory(), std::vector<std::string>{"nop"});
    EXPECT_EQ(d.State().Replacement, "");
    EXPECT_TRUE(d.Remplace->currentText().isEmpty());
}

TEST(ChRemp, EscapeClosesOnceAndDeletes)
{
    int closing = 0;
    QPointer<TChRempDlg> d = new TChRempDlg(nullptr, true);
    d->OnClosing = [&](TChRempDlg& w) {
        ++closing;
        EXPECT_EQ(&w, d.data());
    };
    d->show();
    d->Cherche->setFocus();
    QTest::keyClicks(d->Cherche->lineEdit(), "abc");
    QTest::keyClick(d->Cherche->lineEdit(), Qt::Key_Escape);
    EXPECT_EQ(closing, 1);
    ASSERT_FALSE(d.isNull());
    EXPECT_FALSE(d->isVisible());
    // Another close before the deletion comes round, even one the window
    // system delivers directly, is not told again.
    d->close();
    QCloseEvent again;
    QCoreApplication::sendEvent(d.data(), &again);
    EXPECT_TRUE(again.isAccepted());
    EXPECT_EQ(closing, 1);
    FlushDeletes();
    EXPECT_TRUE(d.isNull());

    // Escape on the combo box itself (it holds the focus for its field), in
    // Remplace too.
    d = ShownCounting(true, closing);
    QTest::keyClick(d->Remplace, Qt::Key_Escape);
    EXPECT_EQ(closing, 2);
    FlushDeletes();
    EXPECT_TRUE(d.isNull());
}

TEST(ChRemp, CancelAndRejectCloseToo)
{
    int closing = 0;
    QPointer<TChRempDlg> d = ShownCounting(false, closing);
    d->BtnAnnul->click();
    EXPECT_EQ(closing, 1);
    FlushDeletes();
    EXPECT_TRUE(d.isNull());

    d = ShownCounting(true, closing);
    static_cast<QDialog*>(d.data())->reject();
    EXPECT_EQ(closing, 2);
    FlushDeletes();
    EXPECT_TRUE(d.isNull());

    // Escape elsewhere in the window goes through reject.
    d = ShownCounting(true, closing);
    QTest::keyClick(d->optMotEntier, Qt::Key_Escape);
    EXPECT_EQ(closing, 3);
    FlushDeletes();
    EXPECT_TRUE(d.isNull());
}

TEST(ChRemp, StaysANormalWindow)
{
    TChRempDlg d(nullptr, true);
    d.show();
    const QSize size = d.size();
    d.setWindowState(Qt::WindowMaximized);
    QCoreApplication::processEvents();
    EXPECT_EQ(d.windowState(), Qt::WindowNoState);
    d.setWindowState(Qt::WindowMinimized);
    QCoreApplication::processEvents();
    EXPECT_EQ(d.windowState(), Qt::WindowNoState);
    EXPECT_EQ(d.size(), size);
}

TEST(ChRemp, SettingsRoundTripThroughTheProject)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const std::string path = dir.filePath("essai.pja").toStdString();
    {
        TChRempDlg d(nullptr, true);
        d.show();
        d.move(40, 30);
        for (const char* t : {"goto", "call", "\xE9t\xE9"}) {
            d.SetSearchText(t);
            d.ButtonClick(cbSuivant);
        }
        d.Remplace->setEditText("nop");
        d.ButtonClick(cbRemplace);
        TIniFilePlus ini(path);
        d.WriteSettings(ini);
    }
    {
        TIniFilePlus ini(path);
        const char* s = TChRempDlg::Section;
        EXPECT_EQ(ini.ReadString(s, "C0", ""), "\xE9t\xE9");
        EXPECT_EQ(ini.ReadString(s, "C1", ""), "call");
        EXPECT_EQ(ini.ReadString(s, "C2", ""), "goto");
        EXPECT_FALSE(ini.ValueExists(s, "C3"));
        EXPECT_EQ(ini.ReadString(s, "R0", ""), "nop");
        EXPECT_FALSE(ini.ValueExists(s, "R1"));
        TBounds b;
        EXPECT_TRUE(ini.ReadBounds(s, b));
        EXPECT_GT(b.Width, 0);
        EXPECT_GT(b.Height, 0);
    }
    {
        TIniFilePlus ini(path);
        TChRempDlg d(nullptr, true);
        d.SetSearchText("btfss");
        d.ReadSettings(ini);
        EXPECT_EQ(d.ChercheHistory(), (std::vector<std::string>{"\xE9t\xE9", "call", "goto"}));
        EXPECT_EQ(d.RemplaceHistory(), std::vector<std::string>{"nop"});
        EXPECT_EQ(d.Cherche->count(), 3);
        EXPECT_EQ(d.Cherche->itemText(0), QStringLiteral("été"));
        EXPECT_EQ(d.Remplace->itemText(0), "nop");
        EXPECT_EQ(d.Cherche->currentText(), "btfss"); // what was proposed stays
        EXPECT_TRUE(d.btnSuiv->isEnabled());
    }
    {
        // A damaged position is ignored, the histories still come.
        TIniFilePlus ini(path);
        ASSERT_TRUE(ini.WriteString(TChRempDlg::Section, "Bounds", "abc,1,2,3"));
        TChRempDlg d(nullptr, true);
        EXPECT_NO_THROW(d.ReadSettings(ini));
        EXPECT_EQ(d.ChercheHistory().size(), 3u);
    }
}
