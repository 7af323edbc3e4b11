// The platform's find and replace dialogs: their controls in each mode, the
// buttons that wait for a text, and the signals the owner searches on.
#include "platform/FindDialog.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

using kep::TFindDialog;

TEST(FindDialog, FindModeHasNoReplaceControls)
{
    TFindDialog d(TFindDialog::Find, nullptr);
    EXPECT_EQ(d.Mode(), TFindDialog::Find);
    EXPECT_EQ(d.windowTitle(), QStringLiteral("Rechercher"));
    EXPECT_FALSE(d.isModal());
    EXPECT_FALSE(d.testAttribute(Qt::WA_DeleteOnClose));
    EXPECT_EQ(d.ChampRemplace, nullptr);
    EXPECT_EQ(d.btnRemplacer, nullptr);
    EXPECT_EQ(d.btnRemplacerTout, nullptr);
    ASSERT_NE(d.ChampCherche, nullptr);
    EXPECT_EQ(d.btnSuivant->text(), QStringLiteral("&Suivant"));
    EXPECT_TRUE(d.btnSuivant->isDefault());
    EXPECT_EQ(d.btnAnnuler->text(), QStringLiteral("Annuler"));
    EXPECT_EQ(d.MotEntier->text(), QStringLiteral("Mot entier uniquement"));
    EXPECT_EQ(d.MemeCasse->text(), QStringLiteral("Respecter la casse"));
    EXPECT_TRUE(d.ReplaceText().isEmpty());
}

TEST(FindDialog, ButtonsWaitForAText)
{
    TFindDialog d(TFindDialog::Replace, nullptr);
    EXPECT_EQ(d.windowTitle(), QStringLiteral("Remplacer"));
    EXPECT_FALSE(d.btnSuivant->isEnabled());
    EXPECT_FALSE(d.btnRemplacer->isEnabled());
    EXPECT_FALSE(d.btnRemplacerTout->isEnabled());
    EXPECT_TRUE(d.btnAnnuler->isEnabled());
    QTest::keyClicks(d.ChampCherche, "mov");
    EXPECT_TRUE(d.btnSuivant->isEnabled());
    EXPECT_TRUE(d.btnRemplacer->isEnabled());
    EXPECT_TRUE(d.btnRemplacerTout->isEnabled());
    EXPECT_EQ(d.FindText(), "mov");
    d.SetFindText(QString());
    EXPECT_FALSE(d.btnSuivant->isEnabled());
    EXPECT_FALSE(d.btnRemplacerTout->isEnabled());
    d.SetFindText("x");
    EXPECT_TRUE(d.btnRemplacer->isEnabled());
}

TEST(FindDialog, EachButtonRaisesItsSignal)
{
    TFindDialog d(TFindDialog::Replace, nullptr);
    d.show();
    QSignalSpy next(&d, &TFindDialog::FindNext);
    QSignalSpy replace(&d, &TFindDialog::ReplaceRequested);
    d.SetFindText("clrf");
    QTest::keyClicks(d.ChampRemplace, "movwf");
    EXPECT_EQ(d.ReplaceText(), "movwf");

    d.btnSuivant->click();
    EXPECT_EQ(next.count(), 1);
    EXPECT_EQ(replace.count(), 0);
    d.btnRemplacer->click();
    ASSERT_EQ(replace.count(), 1);
    EXPECT_FALSE(replace.at(0).at(0).toBool());
    d.btnRemplacerTout->click();
    ASSERT_EQ(replace.count(), 2);
    EXPECT_TRUE(replace.at(1).at(0).toBool());
    EXPECT_EQ(next.count(), 1);

    // Enter in the find field searches on.
    QTest::keyClick(d.ChampCherche, Qt::Key_Return);
    EXPECT_EQ(next.count(), 2);
    EXPECT_EQ(replace.count(), 2);

    // Cancel only hides: the owner shows the same window again.
    d.btnAnnuler->click();
    EXPECT_FALSE(d.isVisible());
    d.show();
    EXPECT_EQ(d.FindText(), "clrf");
}

TEST(FindDialog, OptionsReadTheBoxes)
{
    TFindDialog d(TFindDialog::Find, nullptr);
    EXPECT_FALSE(d.MatchCase());
    EXPECT_FALSE(d.WholeWord());
    d.MemeCasse->click();
    EXPECT_TRUE(d.MatchCase());
    EXPECT_FALSE(d.WholeWord());
    d.MotEntier->click();
    EXPECT_TRUE(d.WholeWord());
    d.MemeCasse->click();
    EXPECT_FALSE(d.MatchCase());
}
