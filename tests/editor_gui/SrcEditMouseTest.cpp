// The editor driven by real mouse events, and scrolling.
#include "EditorFixture.h"

#include <QScrollBar>
#include <QWheelEvent>
#include <gtest/gtest.h>

namespace {

QPoint CellPoint(TSrcEdit& ed, int line, int col)
{
    // The left part of the cell of (line, col).
    const TTextBuffer& b = ed.Buffer();
    const int x = b.PixelOfCol(b.GetLine(line), col) - b.LeftPixel() + ed.TextLeft() + 1;
    return QPoint(x, (line - b.TopLine()) * ed.LineHeight() + ed.LineHeight() / 2);
}

} // namespace

TEST(SrcEditMouse, ClickShiftClickAndDrag)
{
    ShownEditor<> s(10);
    s.b().SetAllText(NumberedText(50));
    QTest::mouseClick(s.ed.viewport(), Qt::LeftButton, {}, CellPoint(s.ed, 2, 3));
    EXPECT_EQ(s.b().Caret(), (TTextPos{2, 3}));
    // A click in the right half of a character goes after it.
    QPoint p = CellPoint(s.ed, 2, 3) + QPoint(s.ed.CharWidth() - 2, 0);
    QTest::mouseClick(s.ed.viewport(), Qt::LeftButton, {}, p);
    EXPECT_EQ(s.b().Caret(), (TTextPos{2, 4}));
    QTest::mouseClick(s.ed.viewport(), Qt::LeftButton, Qt::ShiftModifier, CellPoint(s.ed, 4, 2));
    EXPECT_EQ(s.b().GetSelStart(), (TTextPos{2, 4}));
    EXPECT_EQ(s.b().GetSelEnd(), (TTextPos{4, 2}));

    // Dragging selects from the press to the mouse, and past the bottom edge
    // scrolls and runs to the end of the last visible line.
    QTest::mousePress(s.ed.viewport(), Qt::LeftButton, {}, CellPoint(s.ed, 1, 1));
    QTest::mouseMove(s.ed.viewport(), CellPoint(s.ed, 3, 5));
    EXPECT_EQ(s.b().GetSelStart(), (TTextPos{1, 1}));
    EXPECT_EQ(s.b().GetSelEnd(), (TTextPos{3, 5}));
    const int h = s.ed.viewport()->height();
    QTest::mouseMove(s.ed.viewport(), QPoint(40, h + s.ed.LineHeight() + 2));
    EXPECT_EQ(s.b().TopLine(), 2);
    EXPECT_EQ(s.b().GetSelEnd(), (TTextPos{11, 8}));
    QTest::mouseRelease(s.ed.viewport(), Qt::LeftButton, {}, QPoint(40, h + 5));

    // Double click selects the word around the caret.
    s.b().SetAllText("  movlw 0x1F");
    s.b().SetTopLine(0);
    QTest::mouseDClick(s.ed.viewport(), Qt::LeftButton, {}, CellPoint(s.ed, 0, 5));
    EXPECT_EQ(s.b().GetSelText(), "movlw");
}

TEST(SrcEditMouse, WheelAndScrollBars)
{
    ShownEditor<> s(20);
    s.b().SetAllText(NumberedText(100));
    auto wheel = [&](int angle, int pixels = 0) {
        QWheelEvent e(QPointF(50, 50), s.ed.viewport()->mapToGlobal(QPointF(50, 50)), QPoint(0, pixels),
                      QPoint(0, angle), Qt::NoButton, Qt::NoModifier,
                      pixels ? Qt::ScrollUpdate : Qt::NoScrollPhase, false);
        QApplication::sendEvent(s.ed.viewport(), &e);
    };
    wheel(-120); // one notch: three lines
    EXPECT_EQ(s.b().TopLine(), 3);
    EXPECT_EQ(s.ed.verticalScrollBar()->value(), 3);
    // A high-resolution wheel sends a notch in pieces: nothing is lost.
    for (int i = 0; i < 8; ++i)
        wheel(-15);
    EXPECT_EQ(s.b().TopLine(), 6);
    for (int i = 0; i < 3; ++i)
        wheel(-60);
    EXPECT_EQ(s.b().TopLine(), 10);
    // Turning back starts afresh: the 20 left over downwards do not cancel
    // the first 20 upwards.
    wheel(20);
    wheel(20);
    EXPECT_EQ(s.b().TopLine(), 9);
    // A touchpad's pixel delta scrolls by line heights, the rest kept.
    const int lh = s.ed.LineHeight();
    wheel(-15, -(lh - 1));
    wheel(-15, -(2 * lh + 1));
    EXPECT_EQ(s.b().TopLine(), 12);
    s.ed.verticalScrollBar()->setValue(40);
    EXPECT_EQ(s.b().TopLine(), 40);

    // The bar reaches every line of a long text (no 16-bit thumb).
    s.b().SetAllText(NumberedText(70000, ""));
    QScrollBar* bar = s.ed.verticalScrollBar();
    EXPECT_EQ(bar->maximum(), 70000 - 20);
    bar->setValue(bar->maximum());
    EXPECT_EQ(s.b().TopLine(), 69980);
}

TEST(SrcEditMouse, FontMetricsAndTabStops)
{
    ShownEditor<> s;
    const int cw = s.ed.CharWidth();
    ASSERT_GT(cw, 0);
    EXPECT_EQ(s.ed.TabStop(0), 112 * cw / 8);
    s.ed.SetTabStops({8, 16, 24, 32, 40, 48});
    EXPECT_EQ(s.ed.TabStop(1), 16 * cw);
    // A proportional font is drawn in fixed cells; the stops follow the new
    // character width.
    QFont prop(QStringLiteral("DejaVu Sans"), 12);
    s.ed.SetEditorFont(prop);
    EXPECT_TRUE(s.ed.FontForcedFixed());
    EXPECT_EQ(s.ed.TabStop(1), 16 * s.ed.CharWidth());
    EXPECT_EQ(s.b().PixelOfCol("iiii", 5), 4 * s.ed.CharWidth());
}

TEST(SrcEditMouse, CaretHiddenWhenScrolledOut)
{
    ShownEditor<> s(10, 300);
    s.b().SetAllText(std::string(200, 'w') + "\r\nab");
    s.b().SetCaret({0, 201});
    s.b().BringCaretIntoView();
    ASSERT_GT(s.b().LeftPixel(), 0);
    s.b().SetCaret({1, 3}); // a short line left of the scrolled area
    EXPECT_EQ(s.b().CaretX(), -5);
}
