// The program image viewer window: its controls, loading through the open
// dialog, the length width box, a missing file, a cancelled dialog and
// closing.
#include "build/UF_ViewCod.h"
#include "build/U_ImageCod.h"
#include "support/TestDir.h"
#include "tests/build/ObjFixture.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFontInfo>
#include <QHeaderView>
#include <QImage>
#include <QLineEdit>
#include <QPixmap>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>
#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

// Failures show texts rather than UTF-16 units.
inline void PrintTo(const QString& s, std::ostream* os)
{
    *os << '"' << s.toStdString() << '"';
}

namespace {

using kep::test::Bytes;
using kep::test::ImageCod;

// Every line of the tree, children indented by two spaces, as ArbreCodTexte
// writes them.
std::string TreeText(const QTreeWidget& tree)
{
    std::string out;
    for (int i = 0; i < tree.topLevelItemCount(); ++i) {
        const QTreeWidgetItem* item = tree.topLevelItem(i);
        out += item->text(0).toStdString() + "\n";
        for (int j = 0; j < item->childCount(); ++j)
            out += "  " + item->child(j)->text(0).toStdString() + "\n";
    }
    return out;
}

class ViewCod : public ::testing::Test {
protected:
    void SetUp() override
    {
        Parent = new QWidget;
        W = new TEcrViewCod(Parent);
        W->AskOpenFile = [this](const QString& start) {
            Starts.push_back(start);
            return Answer;
        };
        W->ShowMessage = [this](const QString& m) { Messages.push_back(m); };
        W->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(W));
    }
    void TearDown() override { delete Parent.data(); }

    QString Write(const std::string& name, const std::string& data)
    {
        return QFile::decodeName(QByteArray::fromStdString(Dir.Write(name, data)));
    }
    // On the box's indicator: the box spans the row, its middle may be
    // past the label.
    void ClickBox()
    {
        QTest::mouseClick(W->OptTaille32, Qt::LeftButton, {}, QPoint(6, W->OptTaille32->height() / 2));
    }
    void Choose(const QString& answer)
    {
        Answer = answer;
        QTest::mouseClick(W->btnSelObjG, Qt::LeftButton);
    }

    TTestDir Dir;
    QPointer<QWidget> Parent;
    QPointer<TEcrViewCod> W;
    QString Answer;
    std::vector<QString> Starts;
    std::vector<QString> Messages;
};

TEST_F(ViewCod, LooksAsExpected)
{
    EXPECT_EQ(W->windowTitle(), "KEP - Visualisateur de fichiers");
    EXPECT_TRUE(W->isWindow());
    EXPECT_EQ(W->parentWidget(), Parent.data());
    EXPECT_TRUE(W->testAttribute(Qt::WA_DeleteOnClose));
    EXPECT_EQ(W->findChild<QTreeWidget*>("DumpG"), W->DumpG);
    EXPECT_EQ(W->findChild<QLineEdit*>("edObjNameG"), W->edObjNameG);
    EXPECT_EQ(W->findChild<QPushButton*>("btnSelObjG"), W->btnSelObjG);
    EXPECT_EQ(W->findChild<QCheckBox*>("OptTaille32"), W->OptTaille32);
    EXPECT_EQ(W->btnSelObjG->text(), "...");
    EXPECT_EQ(W->OptTaille32->text(), "Taille sur 32 bits (périmé)");
    EXPECT_FALSE(W->OptTaille32->isChecked());
    EXPECT_TRUE(W->DumpG->isHeaderHidden());
    EXPECT_EQ(W->DumpG->font().family(), "Courier New");
    EXPECT_TRUE(W->DumpG->font().fixedPitch());
    EXPECT_TRUE(QFontInfo(W->DumpG->font()).fixedPitch());
    EXPECT_EQ(W->DumpG->topLevelItemCount(), 0);

    // Name row on top, the box under it, the tree filling the rest.
    const QRect field = W->edObjNameG->geometry();
    const QRect button = W->btnSelObjG->geometry();
    const QRect box = W->OptTaille32->geometry();
    const QRect tree = W->DumpG->geometry();
    EXPECT_LT(field.right(), button.left());
    EXPECT_LE(field.bottom(), box.top());
    EXPECT_LE(box.bottom(), tree.top());
    EXPECT_GT(tree.height(), W->height() / 2);
    EXPECT_GT(field.width(), 3 * button.width());
}

TEST_F(ViewCod, LoadsThroughTheDialog)
{
    const std::string bytes = ImageCod({{0x100, Bytes(20)}, {0x300, {0x55}}});
    const QString path = Write("prog.cod", bytes);
    W->edObjNameG->setText("/ailleurs/debut.cod");
    Choose(path);

    ASSERT_EQ(Starts.size(), 1u);
    EXPECT_EQ(Starts[0], "/ailleurs/debut.cod");
    EXPECT_TRUE(Messages.empty());
    EXPECT_EQ(W->edObjNameG->text(), path);
    EXPECT_EQ(W->Octets(), bytes);
    EXPECT_EQ(TreeText(*W->DumpG), "Segment 00 : 00000100-00000113 (20 octets)\n"
                                   "  000100: 00 01 02 03 04 05 06 07 08 09 0A 0B 0C 0D 0E 0F \n"
                                   "  000110: 10 11 12 13 \n"
                                   "Segment 01 : 00000300-00000300 (1 octet)\n"
                                   "  000300: 55 \n"
                                   "Segment 02 : 00000000          (0 octet)\n"
                                   "  Fin normale des données\n");
    // The first segment open, the others closed.
    ASSERT_EQ(W->DumpG->topLevelItemCount(), 3);
    EXPECT_TRUE(W->DumpG->topLevelItem(0)->isExpanded());
    EXPECT_FALSE(W->DumpG->topLevelItem(1)->isExpanded());
    EXPECT_FALSE(W->DumpG->topLevelItem(2)->isExpanded());

    // The next dialog starts from the file just loaded.
    Choose(QString());
    ASSERT_EQ(Starts.size(), 2u);
    EXPECT_EQ(Starts[1], path);
}

TEST_F(ViewCod, AnotherFileReplacesTheBytes)
{
    Choose(Write("a.cod", ImageCod({{0x100, Bytes(20)}})));
    const std::string second = ImageCod({{0x4000, Bytes(3, 0xE0)}});
    Choose(Write("b.cod", second));
    EXPECT_EQ(W->Octets(), second);
    EXPECT_EQ(TreeText(*W->DumpG), kep::ArbreCodTexte(kep::ArbreCod(second, false)));
}

TEST_F(ViewCod, TheBoxRefillsWithTheOtherWidth)
{
    const std::string bytes = ImageCod({{0x100, Bytes(20)}, {0x300, {0x55}}}, true, true);
    W->Charge(Write("vieux.cod", bytes));
    const std::string as16 = kep::ArbreCodTexte(kep::ArbreCod(bytes, false));
    const std::string as32 = kep::ArbreCodTexte(kep::ArbreCod(bytes, true));
    ASSERT_NE(as16, as32);
    EXPECT_EQ(TreeText(*W->DumpG), as16);

    ClickBox();
    ASSERT_TRUE(W->OptTaille32->isChecked());
    EXPECT_EQ(TreeText(*W->DumpG), as32);
    EXPECT_EQ(W->DumpG->topLevelItem(0)->text(0), "Segment 00 : 00000100-00000113 (20 octets)");

    ClickBox();
    EXPECT_EQ(TreeText(*W->DumpG), as16);
    EXPECT_TRUE(Messages.empty());
}

TEST_F(ViewCod, TheBoxDoesNothingWhenTheNamedFileIsGone)
{
    const std::string bytes = ImageCod({{0x100, Bytes(4)}}, true, true);
    const QString path = Write("parti.cod", bytes);
    W->Charge(path);
    const std::string before = TreeText(*W->DumpG);
    ASSERT_TRUE(QFile::remove(path));
    W->OptTaille32->setChecked(true);
    EXPECT_EQ(TreeText(*W->DumpG), before);
    EXPECT_TRUE(Messages.empty());
}

TEST_F(ViewCod, MissingFileSaysSoAndRefillsFromTheHeldBytes)
{
    const std::string bytes = ImageCod({{0x200, Bytes(5)}});
    Choose(Write("bon.cod", bytes));
    const std::string before = TreeText(*W->DumpG);
    // A stray line that a real refill wipes out.
    W->DumpG->addTopLevelItem(new QTreeWidgetItem(QStringList("intrus")));

    const QString missing = QString::fromStdString(Dir.Path("absent é.cod"));
    Choose(missing);
    ASSERT_EQ(Messages.size(), 1u);
    EXPECT_EQ(Messages[0], "Fichier " + missing + " absent");
    EXPECT_EQ(W->edObjNameG->text(), missing);
    EXPECT_EQ(W->Octets(), bytes);
    EXPECT_EQ(TreeText(*W->DumpG), before);
}

TEST_F(ViewCod, MissingFirstFileLeavesAnEmptyTree)
{
    W->Charge(QString::fromStdString(Dir.Path("rien.cod")));
    ASSERT_EQ(Messages.size(), 1u);
    EXPECT_EQ(W->DumpG->topLevelItemCount(), 0);
}

TEST_F(ViewCod, CancelledDialogChangesNothing)
{
    const QString path = Write("garde.cod", ImageCod({{0x200, Bytes(5)}}));
    Choose(path);
    const std::string before = TreeText(*W->DumpG);
    QTreeWidgetItem* first = W->DumpG->topLevelItem(0);

    Choose(QString());
    EXPECT_EQ(Starts.size(), 2u);
    EXPECT_TRUE(Messages.empty());
    EXPECT_EQ(W->edObjNameG->text(), path);
    EXPECT_EQ(TreeText(*W->DumpG), before);
    // Not even refilled.
    EXPECT_EQ(W->DumpG->topLevelItem(0), first);
}

TEST_F(ViewCod, NonAsciiFileName)
{
    const std::string bytes = ImageCod({{0x10, Bytes(2)}});
    const QString path = Write("données é.cod", bytes);
    Choose(path);
    EXPECT_TRUE(Messages.empty());
    EXPECT_EQ(W->Octets(), bytes);
    EXPECT_EQ(W->DumpG->topLevelItem(0)->text(0), "Segment 00 : 00000010-00000011 (2 octets)");
}

TEST_F(ViewCod, AMicrochipCodSaysSoAndShowsTheHexBesideIt)
{
    // gplink's .cod, and the program it wrote beside it.
    const QString cod = Write("demo.cod", kep::test::CodMicrochip("gplink"));
    Choose(cod);
    ASSERT_EQ(Messages.size(), 1u);
    EXPECT_EQ(Messages[0], "demo.cod n'est pas une image programme de ce format : c'est un fichier COD de Microchip "
                           "écrit par gplink, que ce visionneur ne lit pas.");
    EXPECT_EQ(TreeText(*W->DumpG), "demo.cod n'est pas une image programme de ce format\n"
                                   "  C'est un fichier COD de Microchip écrit par gplink, que ce visionneur ne lit pas.\n"
                                   "  Le programme est dans le fichier Intel HEX écrit à côté (.hex) : ouvrez-le.\n");
    EXPECT_FALSE(W->OptTaille32->isEnabled());

    const QString hex = Write("DEMO.HEX", ":040000003328831608\n:00000001FF\n");
    Messages.clear();
    Choose(cod);
    ASSERT_EQ(Messages.size(), 1u);
    EXPECT_TRUE(Messages[0].endsWith("Il montre à la place DEMO.HEX, l'image Intel HEX du même programme."));
    EXPECT_EQ(W->edObjNameG->text(), hex);
    EXPECT_EQ(TreeText(*W->DumpG), "Segment 00 : 00000000-00000003 (4 octets)\n"
                                   "  000000: 33 28 83 16 \n"
                                   "Enregistrement de fin, ligne 2\n"
                                   "  Fin normale des données\n");

    // Back to an image of this format: the box counts again.
    Choose(Write("prog.cod", ImageCod({{0x10, Bytes(2)}})));
    EXPECT_TRUE(W->OptTaille32->isEnabled());
    EXPECT_EQ(W->DumpG->topLevelItem(0)->text(0), "Segment 00 : 00000010-00000011 (2 octets)");
}

TEST_F(ViewCod, LargeImageLoadsQuickly)
{
    // 16 full records: a megabyte, 65536 dump lines, the first 4096 shown.
    std::vector<kep::test::TCodRec> records;
    for (std::uint32_t i = 0; i < 16; ++i)
        records.push_back({0x10000 * i, Bytes(0xFFFF, std::uint8_t(i))});
    const QString path = Write("gros.cod", ImageCod(records));
    QElapsedTimer timer;
    timer.start();
    W->Charge(path);
    W->repaint();
    EXPECT_LT(timer.elapsed(), 10000);
    ASSERT_EQ(W->DumpG->topLevelItemCount(), 17);
    EXPECT_EQ(W->DumpG->topLevelItem(15)->childCount(), 4096);
    EXPECT_EQ(W->DumpG->topLevelItem(15)->child(4095)->text(0).toStdString(),
              "0FFFF0: FF 00 01 02 03 04 05 06 07 08 09 0A 0B 0C 0D ");
}

TEST_F(ViewCod, ClosingDeletesTheWindow)
{
    EXPECT_TRUE(W->close());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(W.isNull());
    EXPECT_FALSE(Parent.isNull());
}

TEST_F(ViewCod, DrawsTheTree)
{
    std::vector<kep::test::TCodRec> records;
    for (std::uint32_t i = 0; i < 12; ++i)
        records.push_back({0x2000 + 0x40 * i, Bytes(i == 0 ? 40 : 3 + i, std::uint8_t(0x10 * i))});
    W->Charge(Write("vue.cod", ImageCod(records)));
    const QImage image = W->grab().toImage();
    ASSERT_FALSE(image.isNull());
    // Set KEP_VIEWCOD_PNG to look at it.
    const QByteArray out = qgetenv("KEP_VIEWCOD_PNG");
    if (!out.isEmpty()) {
        EXPECT_TRUE(image.save(QString::fromLocal8Bit(out)));
    }
    // Something dark (text) inside the tree's area.
    const QRect tree = W->DumpG->geometry();
    int dark = 0;
    for (int y = tree.top(); y <= tree.bottom(); y += 2)
        for (int x = tree.left(); x <= tree.right(); x += 2)
            dark += qGray(image.pixel(x, y)) < 100;
    EXPECT_GT(dark, 50);
}

} // namespace
