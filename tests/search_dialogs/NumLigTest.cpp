// "Va à la ligne": only digits can be typed, and the number is given only
// when it fits.
#include "editor/UF_NumLig.h"

#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

using kep::TEcrNumLig;

TEST(NumLig, OnlyDigitsCanBeTyped)
{
    TEcrNumLig d;
    EXPECT_EQ(d.windowTitle(), QStringLiteral("Va à la ligne"));
    EXPECT_TRUE(d.isModal());
    EXPECT_TRUE(d.btnOk->isDefault());
    QTest::keyClicks(d.NumLigne, "12a3");
    EXPECT_EQ(d.NumLigne->text(), "123");
    QTest::keyClicks(d.NumLigne, "-+ 4.");
    EXPECT_EQ(d.NumLigne->text(), "1234");
    QTest::keyClick(d.NumLigne, Qt::Key_Backspace);
    EXPECT_EQ(d.NumLigne->text(), "123");
    EXPECT_EQ(d.Numero(), 123);
}

TEST(NumLig, NumeroOnlyForAnIntegerThatFits)
{
    TEcrNumLig d;
    EXPECT_EQ(d.Numero(), std::nullopt);
    d.NumLigne->setText("0");
    EXPECT_EQ(d.Numero(), 0);
    d.NumLigne->setText("42");
    EXPECT_EQ(d.Numero(), 42);
    d.NumLigne->setText("2147483647");
    EXPECT_EQ(d.Numero(), 2147483647);
    d.NumLigne->setText("2147483648");
    EXPECT_EQ(d.Numero(), std::nullopt);
    d.NumLigne->setText("99999999999");
    EXPECT_EQ(d.Numero(), std::nullopt);
    // setText goes round the validator; the number must still be digits.
    d.NumLigne->setText("-5");
    EXPECT_EQ(d.Numero(), std::nullopt);
    d.NumLigne->setText(" 5");
    EXPECT_EQ(d.Numero(), std::nullopt);
}

TEST(NumLig, OkAcceptsAndAbandonRejects)
{
    TEcrNumLig d;
    QSignalSpy accepted(&d, &QDialog::accepted);
    QSignalSpy rejected(&d, &QDialog::rejected);
    d.btnOk->click();
    EXPECT_EQ(accepted.count(), 1);
    EXPECT_EQ(d.result(), QDialog::Accepted);
    d.btnAbandon->click();
    EXPECT_EQ(rejected.count(), 1);
    EXPECT_EQ(d.result(), QDialog::Rejected);
}
