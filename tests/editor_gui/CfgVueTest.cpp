// The view dialog: its fields and choices filled from a view, clicks that
// put a line in a field, and a range that ends before it starts refused.
#include "editor/UF_CfgVue.h"

#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTest>

#include <gtest/gtest.h>

using kep::TEcrEditVue;

namespace {

TEditView ViewWith(TTextPos caret, TTextPos selStart, TTextPos selEnd, std::int32_t min, std::int32_t max)
{
    TEditView v;
    v.Caret = caret;
    v.SelStart = selStart;
    v.SelEnd = selEnd;
    v.ViewMinLine = min;
    v.ViewMaxLine = max;
    return v;
}

} // namespace

TEST(CfgVue, ChoicesStartCheckedWhereTheLimitsEqualTheirLines)
{
    TEcrEditVue d;
    // The start limit is the selection's first line, the end the caret's.
    d.Remplit("main.asm", "Init", ViewWith({20, 3}, {7, 1}, {12, 4}, 7, 20));
    EXPECT_EQ(d.windowTitle(), QStringLiteral("Propriétés de la vue"));
    EXPECT_EQ(d.NomFichier->text(), "main.asm");
    EXPECT_TRUE(d.NomFichier->isReadOnly());
    EXPECT_EQ(d.Nom(), "Init");
    EXPECT_EQ(d.LigneDeb->value(), 7);
    EXPECT_EQ(d.LigneFin->value(), 20);
    EXPECT_TRUE(d.DeDebSel->isChecked());
    EXPECT_FALSE(d.DeCur->isChecked());
    EXPECT_TRUE(d.ACur->isChecked());
    EXPECT_FALSE(d.AFinSel->isChecked());
    EXPECT_TRUE(d.DeFinSel->isEnabled());

    // No selection: its choices are disabled and never checked, even when
    // the stored (empty) selection's line equals a limit.
    d.Remplit("main.asm", "v", ViewWith({5, 1}, {0, 0}, {0, 0}, 0, 2147483647));
    EXPECT_FALSE(d.DeDebSel->isEnabled());
    EXPECT_FALSE(d.AFinSel->isEnabled());
    EXPECT_FALSE(d.DeDebSel->isChecked());
    EXPECT_FALSE(d.DeDebFich->isChecked()); // 0 is a limit, not "no limit"
    EXPECT_TRUE(d.AFinFich->isChecked());
    d.Remplit("main.asm", "v", ViewWith({5, 1}, {0, 0}, {0, 0}, -1, 2147483647));
    EXPECT_TRUE(d.DeDebFich->isChecked());
}

TEST(CfgVue, AClickPutsItsLineAndTypingMovesTheCheck)
{
    TEcrEditVue d;
    d.Remplit("a.asm", "a.asm(2)", ViewWith({9, 2}, {3, 1}, {9, 5}, -1, 2147483647));
    QTest::mouseClick(d.DeDebSel, Qt::LeftButton);
    EXPECT_EQ(d.LigneDeb->value(), 3);
    QTest::mouseClick(d.AFinSel, Qt::LeftButton);
    EXPECT_EQ(d.LigneFin->value(), 9);
    // The caret and the selection's end share line 9: the clicked one shows.
    EXPECT_TRUE(d.AFinSel->isChecked());
    EXPECT_FALSE(d.ACur->isChecked());
    QTest::mouseClick(d.ACur, Qt::LeftButton);
    EXPECT_TRUE(d.ACur->isChecked());
    EXPECT_FALSE(d.AFinSel->isChecked());
    QTest::mouseClick(d.AFinFich, Qt::LeftButton);
    EXPECT_EQ(d.LigneFin->value(), 2147483647);
    QTest::mouseClick(d.DeDebFich, Qt::LeftButton);
    EXPECT_EQ(d.LigneDeb->value(), -1);
    EXPECT_FALSE(d.DeDebSel->isChecked());
    // A typed line matching no choice leaves none checked.
    d.LigneDeb->setValue(4);
    for (QRadioButton* r : {d.DeCur, d.DeDebSel, d.DeFinSel, d.DeDebFich})
        EXPECT_FALSE(r->isChecked()) << r->objectName().toStdString();
    d.LigneDeb->setValue(3);
    EXPECT_TRUE(d.DeDebSel->isChecked());
}

TEST(CfgVue, ARangeEndingBeforeItStartsIsRefused)
{
    TEcrEditVue d;
    QStringList said;
    d.ShowMessage = [&](const QString& t) { said << t; };
    d.Remplit("a.asm", "x", ViewWith({0, 1}, {0, 0}, {0, 0}, -1, 2147483647));
    d.LigneDeb->setValue(30);
    d.LigneFin->setValue(10);
    d.show();
    QTest::mouseClick(d.btnOk, Qt::LeftButton);
    EXPECT_EQ(said.size(), 1);
    EXPECT_TRUE(d.isVisible());
    EXPECT_EQ(d.result(), 0);
    d.LigneFin->setValue(30); // one line
    QTest::mouseClick(d.btnOk, Qt::LeftButton);
    EXPECT_EQ(d.result(), QDialog::Accepted);
    EXPECT_EQ(d.Debut(), 30);
    EXPECT_EQ(d.Fin(), 30);
    int helped = 0;
    d.Aide = [&] { ++helped; };
    QTest::mouseClick(d.btnAide, Qt::LeftButton);
    EXPECT_EQ(helped, 1);
}
