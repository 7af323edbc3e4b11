// The "Aide de QDX" window: the topic tree of the demo's KepHlp.txt, the
// text of a chosen topic, the stand-in for a missing file, closing, help
// and the saved position.
#include "processor/UF_AideQDX.h"

#include "config/U_IniFilePlus.h"
#include "support/TestDir.h"

#include <QFontInfo>
#include <QPlainTextEdit>
#include <QPointer>
#include <QTest>
#include <QTreeWidget>

#include <gtest/gtest.h>

using namespace kep;

namespace {

const std::string DemoHlp = KEP_SOURCE_DIR "/examples/KepHlp.txt";

QStringList Children(const QTreeWidgetItem* parent)
{
    QStringList titles;
    for (int i = 0; i < parent->childCount(); ++i)
        titles << parent->child(i)->text(0);
    return titles;
}

QTreeWidgetItem* Find(QTreeWidget* tree, const QString& title)
{
    const QList<QTreeWidgetItem*> found = tree->findItems(title, Qt::MatchExactly | Qt::MatchRecursive);
    EXPECT_EQ(found.size(), 1) << title.toStdString();
    return found.value(0);
}

void Click(QTreeWidget* tree, QTreeWidgetItem* item)
{
    tree->scrollToItem(item);
    QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, tree->visualItemRect(item).center());
}

class AideQDX : public ::testing::Test {
protected:
    void Open(const std::string& path)
    {
        W = new TEcrAideQDX(path);
        W->ShowHelp = [this](int n) { Helps.push_back(n); };
        W->OnClosing = [this](TEcrAideQDX&) { ++Closings; };
    }
    void TearDown() override { delete W.data(); }

    void Show()
    {
        W->show();
        W->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(W));
    }

    QPointer<TEcrAideQDX> W;
    std::vector<int> Helps;
    int Closings = 0;
};

} // namespace

TEST_F(AideQDX, TheDemoFileGivesATreeOfTopics)
{
    Open(DemoHlp);
    EXPECT_EQ(W->windowTitle(), QStringLiteral("Aide de QDX"));
    EXPECT_TRUE(W->isWindow());
    EXPECT_TRUE(W->testAttribute(Qt::WA_DeleteOnClose));
    EXPECT_TRUE(W->Info->isReadOnly());
    EXPECT_EQ(W->Info->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    EXPECT_TRUE(QFontInfo(W->Info->font()).fixedPitch());

    QTreeWidget* tree = W->TableMat;
    EXPECT_EQ(Children(tree->invisibleRootItem()),
              (QStringList{"Présentation", "Directives de gpasm", "Jeu d'instructions PIC16", "Registre STATUS",
                           "Le projet démo"}));
    EXPECT_EQ(Children(tree->topLevelItem(1)).mid(0, 3), (QStringList{"LIST et #include", "__CONFIG", "EQU, SET et #define"}));
    EXPECT_EQ(Children(tree->topLevelItem(4)),
              (QStringList{"principal.asm", "serie.asm", "delai.asm", "demo.inc", "principal-erreur.asm", "demo.mke"}));
    EXPECT_EQ(tree->topLevelItem(0)->childCount(), 0);
    // The first topic is shown on opening.
    EXPECT_TRUE(W->Info->toPlainText().startsWith(QStringLiteral("Cette fenêtre est un aide-mémoire")))
        << W->Info->toPlainText().toStdString();
}

TEST_F(AideQDX, ChoosingATopicShowsItsLinesUpToTheNextTopic)
{
    Open(DemoHlp);
    Show();
    Click(W->TableMat, Find(W->TableMat, QStringLiteral("Registre STATUS")));
    const QStringList lines = W->Info->toPlainText().split(QLatin1Char('\n'));
    ASSERT_EQ(lines.size(), 6) << W->Info->toPlainText().toStdString();
    EXPECT_EQ(lines[0], QStringLiteral("Adresse 03h, présent dans toutes les banques."));
    // The table's box characters, which only code page 850 has, show as
    // themselves.
    EXPECT_TRUE(lines[1].startsWith(QStringLiteral("┌─────┬"))) << lines[1].toStdString();
    EXPECT_EQ(lines[3], QStringLiteral("├─────┼─────┼─────┼─────┼─────┼─────┼─────┼─────┤"));
    EXPECT_TRUE(lines[5].startsWith(QStringLiteral("└"))) << lines[5].toStdString();

    // The last topic's text stops at the "$$0" line.
    Click(W->TableMat, Find(W->TableMat, QStringLiteral("demo.mke")));
    EXPECT_TRUE(W->Info->toPlainText().endsWith(QStringLiteral("navigation dans les erreurs.")))
        << W->Info->toPlainText().toStdString();
    // The keyboard chooses as well.
    QTest::keyClick(W->TableMat, Qt::Key_Up);
    EXPECT_TRUE(W->Info->toPlainText().startsWith(QStringLiteral("Variante de principal.asm")));
}

TEST_F(AideQDX, AMissingFileShowsTheErrorTopic)
{
    TTestDir dir;
    Open(dir.Path("KepHlp.txt"));
    ASSERT_EQ(W->TableMat->topLevelItemCount(), 1);
    EXPECT_EQ(W->TableMat->topLevelItem(0)->text(0), QStringLiteral("Erreur"));
    EXPECT_EQ(W->TableMat->topLevelItem(0)->childCount(), 0);
    EXPECT_EQ(W->Info->toPlainText(), QStringLiteral("Fichier KepHlp.txt non trouvé"));
}

TEST_F(AideQDX, EscapeClosesAndF1ShowsTheHelp)
{
    Open(DemoHlp);
    Show();
    W->TableMat->setFocus();
    QTest::keyClick(W->TableMat, Qt::Key_F1);
    EXPECT_EQ(Helps, (std::vector<int>{1802}));
    W->Info->setFocus();
    QTest::keyClick(W->Info, Qt::Key_Escape);
    EXPECT_EQ(Closings, 1);
    EXPECT_TRUE(QTest::qWaitFor([&] { return W.isNull(); }));
}

TEST_F(AideQDX, BoundsGoToHelpQDXAndComeBack)
{
    TTestDir dir;
    const std::string path = dir.Write("demo.pja", "[Global]\r\nMakeFile=demo.mke\r\n");
    TIniFilePlus ini(path);
    Open(DemoHlp);
    W->RestaureBounds(ini);
    EXPECT_EQ(W->frameGeometry().topLeft(), QPoint(10, 10));

    W->setGeometry(60, 70, 520, 400);
    ASSERT_TRUE(W->SauveBounds(ini));
    EXPECT_NE(dir.Read("demo.pja").find("[HelpQDX]\r\nBounds="), std::string::npos);
    const QRect saved = W->frameGeometry();

    TIniFilePlus reread(path);
    QPointer<TEcrAideQDX> back = new TEcrAideQDX(DemoHlp);
    back->RestaureBounds(reread);
    EXPECT_EQ(back->frameGeometry(), saved);
    delete back.data();
}

// KEP_AIDEQDX_PNG=/tmp/aideqdx.png: a picture of the window on the demo's
// topics, to look at.
TEST_F(AideQDX, Picture)
{
    const QString png = qEnvironmentVariable("KEP_AIDEQDX_PNG");
    if (png.isEmpty())
        GTEST_SKIP() << "KEP_AIDEQDX_PNG not set";
    Open(DemoHlp);
    Show();
    Click(W->TableMat, Find(W->TableMat, qEnvironmentVariable("KEP_AIDEQDX_TOPIC", QStringLiteral("Opérations sur les octets"))));
    EXPECT_TRUE(W->grab().save(png));
}
