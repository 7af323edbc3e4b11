// The "Instructions" window on the demo's processor: the group list and its
// ticks, the instructions each group lists, the description of one, load
// failures, closing, help and the saved position.
#include "processor/UF_AideProc.h"

#include "config/U_IniFilePlus.h"
#include "support/TestDir.h"

#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QStyleOptionViewItem>
#include <QTest>

#include <gtest/gtest.h>

#include <filesystem>

using namespace kep;

QT_BEGIN_NAMESPACE
inline void PrintTo(const QString& s, std::ostream* os)
{
    *os << '"' << s.toStdString() << '"';
}
QT_END_NAMESPACE

namespace {

const std::string DemoTab = KEP_TABLES_DIR "/p16.tab";

QStringList Texts(const QListWidget* list)
{
    QStringList texts;
    for (int i = 0; i < list->count(); ++i)
        texts << list->item(i)->text();
    return texts;
}

// The mnemonics of Codes, without their descriptions.
QStringList Mnemos(const QListWidget* codes)
{
    QStringList m;
    for (const QString& t : Texts(codes))
        m << t.section(QLatin1Char('\t'), 0, 0);
    return m;
}

QStringList Ticked(const QListWidget* list)
{
    QStringList t;
    for (int i = 0; i < list->count(); ++i)
        if (list->item(i)->checkState() == Qt::Checked)
            t << list->item(i)->text();
    return t;
}

class AideProc : public ::testing::Test {
protected:
    void SetUp() override
    {
        W = new TEcrAideProc;
        W->ReportError = [this](const QString& m) { Errors << m; };
        W->ShowHelp = [this](int n) { Helps.push_back(n); };
        W->OnClosing = [this](TEcrAideProc& w) {
            EXPECT_EQ(&w, W.data());
            ++Closings;
        };
    }
    void TearDown() override { delete W.data(); }

    void Show()
    {
        W->show();
        W->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(W));
    }

    QListWidgetItem* Groupe(const QString& name) const
    {
        const QList<QListWidgetItem*> found = W->Groupes->findItems(name, Qt::MatchExactly);
        EXPECT_EQ(found.size(), 1) << name.toStdString();
        return found.value(0);
    }

    // A click on the group's name, right of its box.
    void ClickName(const QString& name)
    {
        const QRect r = W->Groupes->visualItemRect(Groupe(name));
        QTest::mouseClick(W->Groupes->viewport(), Qt::LeftButton, {}, QPoint(r.right() - 10, r.center().y()));
    }

    // A click on the group's box, where the style draws it.
    void ClickBox(const QString& name)
    {
        QStyleOptionViewItem opt;
        opt.initFrom(W->Groupes->viewport());
        opt.rect = W->Groupes->visualItemRect(Groupe(name));
        opt.features = QStyleOptionViewItem::HasCheckIndicator | QStyleOptionViewItem::HasDisplay;
        const QRect box = W->Groupes->style()->subElementRect(QStyle::SE_ItemViewItemCheckIndicator, &opt, W->Groupes);
        ASSERT_TRUE(box.isValid());
        QTest::mouseClick(W->Groupes->viewport(), Qt::LeftButton, {}, box.center());
    }

    void ClickCode(const QString& mnemo)
    {
        const int row = int(Mnemos(W->Codes).indexOf(mnemo));
        ASSERT_GE(row, 0) << mnemo.toStdString();
        const QRect r = W->Codes->visualItemRect(W->Codes->item(row));
        QTest::mouseClick(W->Codes->viewport(), Qt::LeftButton, {}, r.center());
    }

    QPointer<TEcrAideProc> W;
    QStringList Errors;
    std::vector<int> Helps;
    int Closings = 0;
};

} // namespace

TEST_F(AideProc, LoadSelectsTheWholeSetAndListsEveryInstruction)
{
    EXPECT_EQ(W->windowTitle(), QStringLiteral("Instructions"));
    EXPECT_TRUE(W->isWindow());
    EXPECT_TRUE(W->testAttribute(Qt::WA_DeleteOnClose));
    EXPECT_EQ(W->Syntaxes->focusPolicy(), Qt::NoFocus);

    W->Load(DemoTab);
    EXPECT_TRUE(Errors.isEmpty()) << Errors.join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(W->FileName(), DemoTab);
    EXPECT_EQ(W->Processeur().Count(), 35);
    EXPECT_EQ(W->Table().Mnemonics().size(), 35u);
    EXPECT_EQ(Texts(W->Groupes), (QStringList{"_Toutes_", "Arithmétique", "Bits", "Littéraux et contrôle", "Logique",
                                              "Octets", "Sauts", "Transferts"}));
    ASSERT_NE(W->Groupes->currentItem(), nullptr);
    EXPECT_EQ(W->Groupes->currentItem()->text(), QStringLiteral("_Toutes_"));
    EXPECT_TRUE(Ticked(W->Groupes).isEmpty());
    ASSERT_EQ(W->Codes->count(), 35);
    EXPECT_EQ(W->Codes->item(0)->text(), QStringLiteral("ADDWF\tAdditionne W et f"));
    EXPECT_EQ(W->Codes->item(34)->text(), QStringLiteral("XORLW\tOU exclusif entre k et W"));
    EXPECT_EQ(W->Codes->item(12)->text(), QStringLiteral("NOP\tAucune opération"));
    EXPECT_TRUE(W->Adressages->count() == 0 && W->Syntaxes->count() == 0);
}

TEST_F(AideProc, AGroupClickListsItsInstructionsInFileOrder)
{
    W->Load(DemoTab);
    Show();
    ClickName(QStringLiteral("Bits"));
    EXPECT_EQ(Mnemos(W->Codes), (QStringList{"BCF", "BSF", "BTFSC", "BTFSS"}));
    ClickName(QStringLiteral("Sauts"));
    EXPECT_EQ(Mnemos(W->Codes), (QStringList{"DECFSZ", "INCFSZ", "BTFSC", "BTFSS", "CALL", "GOTO", "RETFIE", "RETLW",
                                            "RETURN"}));
    // The keyboard chooses as the mouse does.
    W->Groupes->setFocus();
    QTest::keyClick(W->Groupes, Qt::Key_Up);
    EXPECT_EQ(W->Groupes->currentItem()->text(), QStringLiteral("Octets"));
    EXPECT_EQ(W->Codes->count(), 18);
    ClickName(QStringLiteral("_Toutes_"));
    EXPECT_EQ(W->Codes->count(), 35);
}

TEST_F(AideProc, TickedGroupsThenAClickListWhatTheyShare)
{
    W->Load(DemoTab);
    Show();
    ClickBox(QStringLiteral("Bits"));
    // A tick chooses nothing: it marks the whole set too and leaves no
    // group chosen, the list as it was.
    EXPECT_EQ(Ticked(W->Groupes), (QStringList{"_Toutes_", "Bits"}));
    EXPECT_EQ(W->Groupes->currentItem(), nullptr);
    EXPECT_EQ(W->Codes->count(), 35);
    ClickBox(QStringLiteral("Sauts"));
    EXPECT_EQ(Ticked(W->Groupes), (QStringList{"_Toutes_", "Bits", "Sauts"}));
    EXPECT_EQ(W->Groupes->currentItem(), nullptr);

    // The click's own group does not count: the ticks do.
    ClickName(QStringLiteral("Octets"));
    EXPECT_EQ(Mnemos(W->Codes), (QStringList{"BTFSC", "BTFSS"}));
    EXPECT_TRUE(Ticked(W->Groupes).isEmpty());
    // Without ticks, a click is its own group again.
    ClickName(QStringLiteral("Logique"));
    EXPECT_EQ(Mnemos(W->Codes), (QStringList{"ANDWF", "COMF", "IORWF", "RLF", "RRF", "XORWF", "ANDLW", "IORLW", "XORLW"}));

    // Unticking is a tick too; the keyboard's space ticks the current group.
    W->GroupTick(int(W->Groupes->row(Groupe(QStringLiteral("Arithmétique")))), true);
    W->GroupTick(int(W->Groupes->row(Groupe(QStringLiteral("Littéraux et contrôle")))), true);
    ClickBox(QStringLiteral("Arithmétique"));
    EXPECT_EQ(Ticked(W->Groupes), (QStringList{"_Toutes_", "Littéraux et contrôle"}));
    ClickName(QStringLiteral("Bits"));
    EXPECT_EQ(Mnemos(W->Codes), (QStringList{"ADDLW", "ANDLW", "CALL", "CLRWDT", "GOTO", "IORLW", "MOVLW", "RETFIE",
                                            "RETLW", "RETURN", "SLEEP", "SUBLW", "XORLW"}));
    W->Groupes->setFocus();
    QTest::keyClick(W->Groupes, Qt::Key_Space);
    EXPECT_EQ(Ticked(W->Groupes), (QStringList{"_Toutes_", "Bits"}));
    EXPECT_EQ(W->Groupes->currentItem(), nullptr);
}

TEST_F(AideProc, AnInstructionClickShowsItsEncodingsAndArgumentTypes)
{
    W->Load(DemoTab);
    Show();
    ClickCode(QStringLiteral("ADDWF"));
    EXPECT_EQ(Texts(W->Adressages), (QStringList{"00 07  : d7,W|F", "80 07  : d7"}));
    EXPECT_EQ(Texts(W->Syntaxes), (QStringList{"d7=00..7F (9)"}));
    ClickCode(QStringLiteral("CLRW"));
    EXPECT_EQ(Texts(W->Adressages), (QStringList{"03 01  : Inhérent"}));
    EXPECT_TRUE(W->Syntaxes->count() == 0);
    // The next line, from the keyboard.
    QTest::keyClick(W->Codes, Qt::Key_Down);
    EXPECT_EQ(Mnemos(W->Codes).value(W->Codes->currentRow()), QStringLiteral("COMF"));
    EXPECT_EQ(Texts(W->Adressages), (QStringList{"00 09  : d7,W|F", "80 09  : d7"}));

    ClickName(QStringLiteral("Littéraux et contrôle"));
    ClickCode(QStringLiteral("GOTO"));
    EXPECT_EQ(W->Adressages->count(), 1);
    EXPECT_TRUE(W->Adressages->item(0)->text().endsWith(QStringLiteral(": d11"))) << W->Adressages->item(0)->text().toStdString();
    EXPECT_EQ(Texts(W->Syntaxes), (QStringList{"d11=0000..07FF (34)"}));
}

TEST_F(AideProc, AFileThatCannotBeReadIsReportedOnceAndLeavesTheWindowEmpty)
{
    TTestDir dir;
    W->Load(DemoTab);
    ASSERT_EQ(W->Codes->count(), 35);
    W->Load(dir.Path("absent.tab"));
    ASSERT_EQ(Errors.size(), 1);
    EXPECT_TRUE(Errors[0].contains(QStringLiteral("absent.s"))) << Errors[0].toStdString();
    EXPECT_TRUE(W->Groupes->count() == 0 && W->Codes->count() == 0);
    EXPECT_TRUE(W->Adressages->count() == 0 && W->Syntaxes->count() == 0);
    EXPECT_EQ(W->Processeur().Count(), 0);
    EXPECT_TRUE(W->FileName().empty());

    // A description without its table is no better.
    std::string s;
    ASSERT_TRUE(ReadWholeFile(KEP_SOURCE_DIR "/examples/processors/p16.s", s));
    dir.Write("seul.s", s);
    W->Load(dir.Path("seul.tab"));
    ASSERT_EQ(Errors.size(), 2);
    EXPECT_TRUE(Errors[1].contains(QStringLiteral("seul.tab"))) << Errors[1].toStdString();
    EXPECT_TRUE(W->Groupes->count() == 0 && W->Codes->count() == 0);
    EXPECT_EQ(W->Processeur().Count(), 0);
}

TEST_F(AideProc, TheSameNameReloadsNothingAndExtensionsFollowTheDisk)
{
    TTestDir dir;
    std::string s, tab;
    ASSERT_TRUE(ReadWholeFile(KEP_SOURCE_DIR "/examples/processors/p16.s", s));
    ASSERT_TRUE(ReadWholeFile(DemoTab, tab));
    // The tool chain's files may come spelled in capitals.
    dir.Write("P16.S", s);
    dir.Write("P16.TAB", tab);
    W->Load(dir.Path("P16.tab"));
    ASSERT_TRUE(Errors.isEmpty()) << Errors.join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(W->Codes->count(), 35);
    ClickName(QStringLiteral("Bits"));
    ASSERT_EQ(W->Codes->count(), 4);

    // The same name: the window is left as it is, even if the file changed.
    dir.Write("P16.S", "O\r\n\r\n\r\n\r\n\r\n\r\n\r\nNOP\t\r\n");
    W->Load(dir.Path("P16.tab"));
    EXPECT_EQ(W->Codes->count(), 4);
    EXPECT_EQ(W->Processeur().Count(), 35);
    // Another name loads (".S" chosen in the dialog names the same files).
    W->Load(dir.Path("P16.S"));
    EXPECT_EQ(W->Processeur().Count(), 1);
    EXPECT_EQ(Texts(W->Codes), (QStringList{"NOP\t"}));
    EXPECT_TRUE(Errors.isEmpty());
}

TEST_F(AideProc, EscapeAndFermerCloseAideShowsTheHelp)
{
    W->Load(DemoTab);
    Show();
    QTest::mouseClick(W->BtnAide, Qt::LeftButton);
    W->Codes->setFocus();
    QTest::keyClick(W->Codes, Qt::Key_F1);
    EXPECT_EQ(Helps, (std::vector<int>{11400, 11400}));
    EXPECT_EQ(Closings, 0);

    QTest::keyClick(W->Codes, Qt::Key_Escape);
    EXPECT_EQ(Closings, 1);
    EXPECT_TRUE(QTest::qWaitFor([&] { return W.isNull(); }));

    W = new TEcrAideProc;
    W->OnClosing = [this](TEcrAideProc&) { ++Closings; };
    Show();
    QTest::mouseClick(W->BtnFermer, Qt::LeftButton);
    EXPECT_EQ(Closings, 2);
    EXPECT_TRUE(QTest::qWaitFor([&] { return W.isNull(); }));
}

TEST_F(AideProc, BoundsGoToHelpProcessorAndComeBack)
{
    TTestDir dir;
    const std::string path = dir.Write("demo.pja", "[Global]\r\nMakeFile=demo.mke\r\n");
    TIniFilePlus ini(path);
    W->RestaureBounds(ini);
    EXPECT_EQ(W->frameGeometry().topLeft(), QPoint(10, 40));

    W->setGeometry(120, 90, 500, 380);
    ASSERT_TRUE(W->SauveBounds(ini));
    const QRect saved = W->frameGeometry();
    EXPECT_NE(dir.Read("demo.pja").find("[HelpProcessor]\r\nBounds="), std::string::npos);

    TIniFilePlus reread(path);
    QPointer<TEcrAideProc> back = new TEcrAideProc;
    back->RestaureBounds(reread);
    EXPECT_EQ(back->frameGeometry(), saved);
    delete back.data();
}

// KEP_AIDEPROC_PNG=/tmp/aideproc.png: a picture of the window on the demo,
// to look at.
TEST_F(AideProc, Picture)
{
    const QString png = qEnvironmentVariable("KEP_AIDEPROC_PNG");
    if (png.isEmpty())
        GTEST_SKIP() << "KEP_AIDEPROC_PNG not set";
    W->Load(DemoTab);
    Show();
    ClickBox(QStringLiteral("Octets"));
    ClickBox(QStringLiteral("Arithmétique"));
    ClickCode(QStringLiteral("ADDWF"));
    EXPECT_TRUE(W->grab().save(png));
}
