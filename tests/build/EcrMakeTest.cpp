// The build output window: what it looks like, what it shows of the make
// tool's bytes, how it follows a flood of output, selection and clipboard,
// double click and closing.
#include "build/UC_ConsoleView.h"
#include "build/UF_Make.h"

#include <QApplication>
#include <QClipboard>
#include <QFontInfo>
#include <QImage>
#include <QMouseEvent>
#include <QPointer>
#include <QScrollBar>
#include <QTest>
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

namespace {

const QColor kSilver(0xC0, 0xC0, 0xC0);
const QColor kBlack(0, 0, 0);

class EcrMake : public ::testing::Test {
protected:
    void SetUp() override
    {
        W = new TEcrMake;
        W->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(W));
    }
    void TearDown() override { delete W.data(); }

    TConsoleView& View() { return *W->Memo; }
    QScrollBar& VBar() { return *W->Memo->verticalScrollBar(); }
    QScrollBar& HBar() { return *W->Memo->horizontalScrollBar(); }

    // The middle of the left edge of column `col` on screen row `row`.
    QPoint Cell(int row, int col)
    {
        return QPoint(2 + int(col * View().CharWidth()) + 1, row * View().LineHeight() + View().LineHeight() / 2);
    }

    void Mouse(QEvent::Type type, QPoint at, Qt::MouseButtons held, Qt::KeyboardModifiers mods = {})
    {
        const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
        QWidget* vp = View().viewport();
        QMouseEvent e(type, QPointF(at), vp->mapToGlobal(QPointF(at)), button, held, mods);
        QApplication::sendEvent(vp, &e);
    }

    void Drag(QPoint from, QPoint to)
    {
        Mouse(QEvent::MouseButtonPress, from, Qt::LeftButton);
        Mouse(QEvent::MouseMove, to, Qt::LeftButton);
        Mouse(QEvent::MouseButtonRelease, to, Qt::NoButton);
    }

    QImage Shot() { return View().viewport()->grab().toImage(); }

    QPointer<TEcrMake> W;
};

// The brightest grey of a band of screen rows. Letters are smoothed and
// fall between pixels, so few pixels get the text colour itself.
int Brightest(const QImage& img, int top, int height)
{
    int best = 0;
    for (int y = std::max(0, top); y < std::min(img.height(), top + height); ++y)
        for (int x = 0; x < img.width(); ++x)
            best = std::max(best, img.pixelColor(x, y).red());
    return best;
}

// Text drawn on a screen row: near silver, never brighter.
bool RowHasText(const QImage& img, int row, int lineHeight)
{
    const int b = Brightest(img, row * lineHeight, lineHeight);
    return b >= 0xA0 && b <= 0xC0;
}

} // namespace

// --- Look --------------------------------------------------------------------

TEST_F(EcrMake, IsATopLevelWindowOfTheUsualPlaceAndSize)
{
    EXPECT_EQ(W->windowTitle(), "Construction...");
    EXPECT_TRUE(W->isWindow());
    EXPECT_TRUE(W->testAttribute(Qt::WA_DeleteOnClose));
    // The place is the frame's, the size the inside's.
    EXPECT_EQ(W->frameGeometry().topLeft(), QPoint(200, 136));
    EXPECT_EQ(W->size(), QSize(526, 382));
    // The text area alone fills the window.
    EXPECT_EQ(View().geometry(), W->rect());
    EXPECT_EQ(View().verticalScrollBarPolicy(), Qt::ScrollBarAsNeeded);
    EXPECT_EQ(View().horizontalScrollBarPolicy(), Qt::ScrollBarAsNeeded);
}

TEST_F(EcrMake, ShowsSilverTextOnBlackInAFixedFont)
{
    EXPECT_EQ(View().palette().color(QPalette::Base), kBlack);
    EXPECT_EQ(View().palette().color(QPalette::Text), kSilver);
    EXPECT_EQ(View().font().family(), "Courier New");
    EXPECT_EQ(View().font().pointSize(), 8);
    EXPECT_TRUE(QFontInfo(View().font()).fixedPitch()) << QFontInfo(View().font()).family().toStdString();

    W->AjouteLigne("||||||||||||||||||||");
    W->Rafraichit();
    const QImage img = Shot();
    EXPECT_EQ(img.pixelColor(img.width() - 3, img.height() - 3), kBlack);
    EXPECT_EQ(img.pixelColor(img.width() - 3, View().LineHeight() / 2), kBlack);
    EXPECT_TRUE(RowHasText(img, 0, View().LineHeight()));
    EXPECT_EQ(Brightest(img, View().LineHeight(), img.height()), 0); // nothing below
}

// --- Lines and following the output -------------------------------------------

TEST_F(EcrMake, AppendedLinesAreStoredAtOnceAndShownOnTheNextTick)
{
    const int before = VBar().maximum();
    for (int i = 0; i < 300; ++i)
        W->AjouteLigne("ligne " + std::to_string(i));
    EXPECT_EQ(W->Lignes().Count(), 300u);
    EXPECT_EQ(W->TexteLigne(0), "ligne 0");
    EXPECT_EQ(W->TexteLigne(299), "ligne 299");
    // The view has not caught up yet: one refresh for the whole burst.
    EXPECT_EQ(VBar().maximum(), before);
    EXPECT_TRUE(QTest::qWaitFor([&] { return VBar().maximum() > 0; }, 1000));
    EXPECT_EQ(VBar().maximum(), 300 - VBar().pageStep());
    EXPECT_EQ(VBar().value(), VBar().maximum());
}

TEST_F(EcrMake, FollowsTheEndOnlyWhileTheUserIsThere)
{
    for (int i = 0; i < 100; ++i)
        W->AjouteLigne("a");
    W->Rafraichit();
    EXPECT_EQ(VBar().value(), VBar().maximum());

    VBar().setValue(10);
    for (int i = 0; i < 100; ++i)
        W->AjouteLigne("b");
    W->Rafraichit();
    EXPECT_EQ(VBar().value(), 10);

    QTest::keyClick(&View(), Qt::Key_End, Qt::ControlModifier);
    EXPECT_EQ(VBar().value(), VBar().maximum());
    W->AjouteLigne("c");
    W->Rafraichit();
    EXPECT_EQ(VBar().value(), VBar().maximum());
    EXPECT_EQ(W->TexteLigne(View().TopLine() + std::size_t(VBar().pageStep()) - 1), "c");
}

TEST_F(EcrMake, TwoHundredThousandLinesKeepTheLastAndPaint)
{
    for (int i = 0; i < 200000; ++i)
        W->AjouteLigne("demo.asm:" + std::to_string(i) + ":Warning[202] Argument out of range.");
    W->Rafraichit();
    const std::size_t kept = kep::TConsoleStore::DefaultMaxLines;
    ASSERT_EQ(W->Lignes().Count(), kept);
    EXPECT_EQ(W->Lignes().Dropped(), 200000u - kept);
    EXPECT_EQ(VBar().maximum(), int(kept) - VBar().pageStep());
    EXPECT_EQ(VBar().value(), VBar().maximum());
    EXPECT_EQ(W->TexteLigne(kept - 1), "demo.asm:199999:Warning[202] Argument out of range.");
    const QImage img = Shot();
    ASSERT_FALSE(img.isNull());
    EXPECT_TRUE(RowHasText(img, VBar().pageStep() - 1, View().LineHeight()));
}

TEST_F(EcrMake, LinesFallingOffTheTopDoNotMoveTheTextBeingRead)
{
    auto* view = new TConsoleView;
    std::unique_ptr<TConsoleView> owner(view);
    view->resize(400, 300);
    view->show();
    view->Store() = kep::TConsoleStore(50, 100);
    for (int i = 0; i < 50; ++i)
        view->Store().Append("l" + std::to_string(i));
    view->StoreChanged();
    view->verticalScrollBar()->setValue(20);
    const QString read = view->DisplayText(20);
    for (int i = 50; i < 58; ++i)
        view->Store().Append("l" + std::to_string(i));
    view->StoreChanged();
    EXPECT_EQ(view->verticalScrollBar()->value(), 12);
    EXPECT_EQ(view->DisplayText(view->TopLine()), read);

    // A selection stays on its text too, and loses what falls off the top.
    view->SelectAll();
    QTest::keyClick(view, Qt::Key_Up, Qt::ShiftModifier); // end on "l56"
    EXPECT_TRUE(view->SelectedText().startsWith("l8\nl9\n"));
    view->Store().Append("l58");
    view->Store().Append("l59");
    view->StoreChanged();
    EXPECT_TRUE(view->SelectedText().startsWith("l10\nl11\n"));
    EXPECT_TRUE(view->SelectedText().endsWith("\nl56"));
}

TEST_F(EcrMake, StaysAtTheEndWhenTheHorizontalBarAppears)
{
    for (int i = 0; i < 100; ++i)
        W->AjouteLigne("court");
    W->Rafraichit();
    QApplication::processEvents();
    ASSERT_FALSE(HBar().isVisible());
    W->AjouteLigne(std::string(500, '-'));
    W->Rafraichit();
    QApplication::processEvents(); // the bar shows, the text area gets lower
    ASSERT_TRUE(HBar().isVisible());
    EXPECT_EQ(VBar().value(), VBar().maximum());
    EXPECT_EQ(W->TexteLigne(View().TopLine() + std::size_t(VBar().pageStep()) - 1), QString(500, u'-'));
}

// --- What the bytes show ----------------------------------------------------

TEST_F(EcrMake, Utf8LinesAndCodePage850LinesBothShowTheirAccents)
{
    W->AjouteLigne("caf\xC3\xA9");      // UTF-8
    W->AjouteLigne("caf\x82");          // code page 850
    W->AjouteLigne("\xC3\xA9\x82");     // not UTF-8 as a whole: all 850
    W->AjouteLigne("\xE2\x82\xAC 5");   // UTF-8 euro sign
    W->Rafraichit();
    EXPECT_EQ(W->TexteLigne(0), QStringLiteral("café"));
    EXPECT_EQ(W->TexteLigne(1), QStringLiteral("café"));
    EXPECT_EQ(W->TexteLigne(2), QStringLiteral("├®é"));
    EXPECT_EQ(W->TexteLigne(3), QStringLiteral("€ 5"));
}

TEST_F(EcrMake, TabsGoToEightColumnStopsAndControlsShowAsDots)
{
    EXPECT_EQ(TConsoleView::ShownText("a\tb"), "a       b");
    EXPECT_EQ(TConsoleView::ShownText("12345678\tx"), "12345678        x");
    EXPECT_EQ(TConsoleView::ShownText("\t\t|"), QString(16, u' ') + "|");
    EXPECT_EQ(TConsoleView::ShownText("\x1b[0mok\x7f"), QStringLiteral("·[0mok·"));
    // Tabs after an accent count columns, not bytes.
    EXPECT_EQ(TConsoleView::ShownText("\xC3\xA9\tx"), QStringLiteral("é       x"));
    // An overlong form is not UTF-8.
    EXPECT_EQ(TConsoleView::ShownText("\xC0\xAF").size(), 2);
}

TEST_F(EcrMake, AMegabyteLineAndEveryByteValueAreShown)
{
    W->AjouteLigne(std::string(1 << 20, 'A'));
    std::string every;
    for (int b = 0; b < 256; ++b)
        every.push_back(char(b));
    W->AjouteLigne(every);
    W->Rafraichit();

    const QString big = W->TexteLigne(0);
    EXPECT_EQ(big.size(), qsizetype(kep::TConsoleStore::DefaultMaxLineBytes + 6));
    EXPECT_TRUE(big.startsWith("AAAA"));
    EXPECT_TRUE(big.endsWith(" [...]"));

    const QString all = W->TexteLigne(1);
    const QString dot(QChar(0xB7));
    EXPECT_TRUE(all.startsWith(dot.repeated(9) + QString(7, u' ') + dot.repeated(22) + " !\"#$%&"))
        << all.left(40).toStdString();
    EXPECT_TRUE(all.contains(QStringLiteral("xyz{|}~·Çüé")));
    EXPECT_TRUE(all.endsWith(QChar(0xA0)));
    for (const QChar c : all)
        EXPECT_GE(c.unicode(), 0x20);

    ASSERT_FALSE(Shot().isNull());
    // The far end and the middle of the long line are drawn too.
    EXPECT_GT(HBar().maximum(), 4000 * View().CharWidth());
    HBar().setValue(HBar().maximum() / 2);
    QImage img = Shot();
    EXPECT_TRUE(RowHasText(img, 0, View().LineHeight()));
    HBar().setValue(HBar().maximum());
    img = Shot();
    EXPECT_TRUE(RowHasText(img, 0, View().LineHeight()));
}

// --- Selection and clipboard ------------------------------------------------

TEST_F(EcrMake, MouseDragAndCtrlCCopyTheSelectedText)
{
    W->AjouteLigne("gpasm demo.asm");
    W->AjouteLigne("demo.asm:12:Error[113]   Symbol not previously defined: \"LOOP1\"");
    W->AjouteLigne("fin");
    W->Rafraichit();
    ASSERT_EQ(VBar().value(), 0);
    QApplication::clipboard()->clear();

    Drag(Cell(0, 6), Cell(1, 8));
    EXPECT_TRUE(View().HasSelection());
    EXPECT_EQ(View().SelectedText(), "demo.asm\ndemo.asm");
    QTest::keyClick(&View(), Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QApplication::clipboard()->text(), "demo.asm\ndemo.asm");

    // The selection is drawn inverted: silver behind, black letters.
    const QImage img = Shot();
    EXPECT_EQ(img.pixelColor(Cell(0, 10).x() + 1, 1), kSilver);
    EXPECT_EQ(img.pixelColor(Cell(0, 3).x() + 1, 1), kBlack);

    // Shift+click moves the end, the start stays.
    Mouse(QEvent::MouseButtonPress, Cell(2, 3), Qt::LeftButton, Qt::ShiftModifier);
    Mouse(QEvent::MouseButtonRelease, Cell(2, 3), Qt::NoButton, Qt::ShiftModifier);
    EXPECT_EQ(View().SelectedText(), "demo.asm\n" + W->TexteLigne(1) + "\nfin");

    // Dragging backwards selects the same way.
    Drag(Cell(1, 8), Cell(0, 6));
    EXPECT_EQ(View().SelectedText(), "demo.asm\ndemo.asm");

    // A click without moving selects nothing, and Ctrl+C leaves the clipboard.
    Drag(Cell(1, 4), Cell(1, 4));
    EXPECT_FALSE(View().HasSelection());
    QTest::keyClick(&View(), Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QApplication::clipboard()->text(), "demo.asm\ndemo.asm");
}

TEST_F(EcrMake, CtrlASelectsEverythingAndShiftArrowsExtend)
{
    W->AjouteLigne("un");
    W->AjouteLigne("deux\tx");
    W->AjouteLigne("");
    W->Rafraichit();
    QTest::keyClick(&View(), Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(View().SelectedText(), "un\ndeux    x\n");
    QTest::keyClick(&View(), Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QApplication::clipboard()->text(), "un\ndeux    x\n");

    Drag(Cell(0, 1), Cell(0, 1));
    QTest::keyClick(&View(), Qt::Key_Down, Qt::ShiftModifier);
    QTest::keyClick(&View(), Qt::Key_Right, Qt::ShiftModifier);
    EXPECT_EQ(View().SelectedText(), "n\nde");
    QTest::keyClick(&View(), Qt::Key_End, Qt::ShiftModifier);
    EXPECT_EQ(View().SelectedText(), "n\ndeux    x");
}

TEST_F(EcrMake, ShiftArrowsWithoutAClickStartOnScreen)
{
    for (int i = 0; i < 500; ++i)
        W->AjouteLigne("l" + std::to_string(i));
    W->Rafraichit();
    const int top = VBar().value();
    ASSERT_GT(top, 0);
    QTest::keyClick(&View(), Qt::Key_Down, Qt::ShiftModifier);
    EXPECT_EQ(View().SelectedText(), "l" + QString::number(top) + "\n");
    EXPECT_EQ(VBar().value(), top);
}

TEST_F(EcrMake, ArrowsAndPageKeysScroll)
{
    for (int i = 0; i < 500; ++i)
        W->AjouteLigne(std::string(300, 'x'));
    W->Rafraichit();
    const int bottom = VBar().maximum();
    QTest::keyClick(&View(), Qt::Key_PageUp);
    EXPECT_EQ(VBar().value(), bottom - VBar().pageStep());
    QTest::keyClick(&View(), Qt::Key_Up);
    EXPECT_EQ(VBar().value(), bottom - VBar().pageStep() - 1);
    QTest::keyClick(&View(), Qt::Key_Down);
    QTest::keyClick(&View(), Qt::Key_PageDown);
    EXPECT_EQ(VBar().value(), bottom);
    QTest::keyClick(&View(), Qt::Key_Home, Qt::ControlModifier);
    EXPECT_EQ(VBar().value(), 0);
    QTest::keyClick(&View(), Qt::Key_End);
    EXPECT_EQ(HBar().value(), HBar().maximum());
    EXPECT_GT(HBar().value(), 0);
    QTest::keyClick(&View(), Qt::Key_Home);
    EXPECT_EQ(HBar().value(), 0);
}

// --- Double click and closing -------------------------------------------------

TEST_F(EcrMake, DoubleClickChoosesTheLineUnderTheMouse)
{
    std::vector<std::size_t> chosen;
    QObject::connect(W, &TEcrMake::LigneChoisie, [&](std::size_t i) { chosen.push_back(i); });
    for (int i = 0; i < 1000; ++i)
        W->AjouteLigne("l" + std::to_string(i));
    W->Rafraichit();
    const std::size_t top = View().TopLine();
    ASSERT_GT(top, 0u);
    QTest::mouseDClick(View().viewport(), Qt::LeftButton, {}, Cell(2, 1));
    ASSERT_EQ(chosen.size(), 1u);
    EXPECT_EQ(chosen[0], top + 2);
    EXPECT_EQ(W->TexteLigne(chosen[0]), "l" + QString::number(top + 2));
}

TEST_F(EcrMake, DoubleClickBelowTheLastLineChoosesNothing)
{
    std::vector<std::size_t> chosen;
    QObject::connect(W, &TEcrMake::LigneChoisie, [&](std::size_t i) { chosen.push_back(i); });
    W->AjouteLigne("seule");
    W->Rafraichit();
    QTest::mouseDClick(View().viewport(), Qt::LeftButton, {}, Cell(5, 1));
    EXPECT_TRUE(chosen.empty());
    QTest::mouseDClick(View().viewport(), Qt::LeftButton, {}, Cell(0, 1));
    EXPECT_EQ(chosen, std::vector<std::size_t>{0});
}

TEST_F(EcrMake, ClosingSaysSoAndFreesTheWindow)
{
    int closed = 0;
    QObject::connect(W, &TEcrMake::Fermee, [&] { ++closed; });
    W->AjouteLigne("pendant la construction");
    EXPECT_TRUE(W->close());
    EXPECT_EQ(closed, 1);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(W.isNull());
}
