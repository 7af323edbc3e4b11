// The converter window on its own: what it lists, what its keys and clicks
// send, and the numbers it will not show.
#include "editor/UC_Conv.h"
#include "editor/U_Edit.h"

#include <QComboBox>
#include <QListWidget>
#include <QTest>

#include <gtest/gtest.h>

namespace {

QStringList Shown(const kep::TEcrConv& c)
{
    QStringList l;
    for (int i = 0; i < c.Liste->count(); ++i)
        l << c.Liste->item(i)->text();
    return l;
}

} // namespace

TEST(ConvWindow, ListsTheFormsAndFollowsTheDefaultUnit)
{
    kep::TEcrConv c;
    EXPECT_EQ(c.UnitDef->count(), 3);
    EXPECT_EQ(c.UnitDef->itemText(0), "Binaire");
    EXPECT_EQ(c.UnitDef->itemText(1), "Decimal");
    EXPECT_EQ(c.UnitDef->itemText(2), "Hexa");
    c.SetValue("233");
    EXPECT_EQ(Shown(c), (QStringList{"%11101001", "$E9", "233", QString::fromUtf8("'\u00e9'")}));
    EXPECT_EQ(c.Forms().back(), "'\xE9'"); // sent as the editor's own byte
    c.UnitDef->setCurrentIndex(kep::udHexa);
    EXPECT_EQ(Shown(c), (QStringList{"%0000001000110011", "$0233", "563"}));
    c.SetValue("nop");
    EXPECT_EQ(Shown(c), (QStringList{"%0000001000110011", "$0233", "563"}));

    // Past 32 bits: said, and nothing to send.
    c.SetValue("123456789");
    ASSERT_EQ(c.Liste->count(), 1);
    EXPECT_EQ(c.Liste->item(0)->text(), "Plus de 32 bits");
    EXPECT_FALSE(c.Liste->item(0)->flags() & Qt::ItemIsEnabled);
    EXPECT_TRUE(c.Forms().empty());
    EXPECT_FALSE(c.ClickLine(0));
    // The same digits fit in decimal.
    c.UnitDef->setCurrentIndex(kep::udDecimal);
    EXPECT_EQ(Shown(c).at(1), "$075BCD15");
}

TEST(ConvWindow, ReturnSendsTheCurrentLineToTheTarget)
{
    kep::TEcrConv c;
    TEditeur ed;
    ed.Buffer().SetAllText("\tmovlw 31");
    ed.Buffer().SelectRange({0, 8}, {0, 10});
    c.SetValue("31");
    // No editor yet: nothing is written.
    EXPECT_FALSE(c.ClickLine(1));
    c.SetTarget(&ed);
    c.Liste->setCurrentRow(1);
    QTest::keyClick(c.Liste, Qt::Key_Return);
    EXPECT_EQ(ed.Buffer().GetLine(0), "\tmovlw $1F");
    EXPECT_FALSE(c.ClickLine(3)); // no fourth line
    EXPECT_FALSE(c.ClickLine(-1));
    EXPECT_EQ(ed.Buffer().GetLine(0), "\tmovlw $1F");

    // Without a target the current editor, when there is one, takes it.
    TEditeur other;
    c.SetTarget(nullptr);
    c.CurrentEditor = [&other] { return &other; };
    EXPECT_TRUE(c.ClickLine(0));
    EXPECT_EQ(other.Buffer().GetLine(0), "%00011111");
    // A target that goes away is forgotten.
    {
        TEditeur gone;
        c.SetTarget(&gone);
    }
    EXPECT_EQ(c.Target(), nullptr);
    EXPECT_TRUE(c.ClickLine(2));
    EXPECT_EQ(other.Buffer().GetLine(0), "%0001111131");
}

TEST(ConvWindow, TheAssemblersSyntaxIsReadWrittenAndReplacedWhole)
{
    kep::TEcrConv c;
    TEditeur ed;
    ed.Buffer().SetAllText("\tmovlw h'1F'");
    ed.Buffer().SelectRange({0, 10}, {0, 12}); // the digits, as a double click selects them
    c.SetTarget(&ed);
    c.SetAssembleur(kep::TAssembleur::Gpasm);
    c.SetValue("h'1F'");
    EXPECT_EQ(Shown(c), (QStringList{"b'00011111'", "0x1F", ".31"}));
    c.SetValue("ADDWF"); // a name under gpasm
    EXPECT_EQ(Shown(c).at(1), "0x1F");
    ASSERT_TRUE(c.ClickLine(2));
    EXPECT_EQ(ed.Buffer().GetLine(0), "\tmovlw .31");
    // The number stays, written in the new syntax.
    c.SetAssembleur(kep::TAssembleur::Avra);
    EXPECT_EQ(Shown(c), (QStringList{"0b00011111", "0x1F", "31"}));
    c.SetAssembleur(kep::TAssembleur::Inconnu);
    EXPECT_EQ(Shown(c), (QStringList{"%00011111", "$1F", "31"}));
}
