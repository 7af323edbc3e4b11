// What is on screen after each command is what a full repaint draws (one
// caret, no bar left behind), and text committed by an input method reaches
// the file in its code page.
#include "EditorFixture.h"

#include <QDir>
#include <QInputMethodEvent>
#include <QScreen>
#include <QSignalSpy>
#include <gtest/gtest.h>

namespace {

QPoint CellPoint(TSrcEdit& ed, int line, int col)
{
    const TTextBuffer& b = ed.Buffer();
    const int x = b.PixelOfCol(b.GetLine(line), col) - b.LeftPixel() + ed.TextLeft() + 1;
    return QPoint(x, (line - b.TopLine()) * ed.LineHeight() + ed.LineHeight() / 2);
}

// The window as it stands on screen (the backing store), beside the same
// window painted afresh. A blink between the two can differ for a moment; a
// bar left behind stays.
bool ScreenMatchesFreshPaint(TSrcEdit& ed, QImage* screen = nullptr)
{
    for (int attempt = 0; attempt < 3; ++attempt) {
        QApplication::processEvents();
        const QImage shown =
            ed.screen()->grabWindow(ed.winId()).toImage().convertToFormat(QImage::Format_RGB32);
        const QImage fresh = ed.grab().toImage().convertToFormat(QImage::Format_RGB32);
        if (screen)
            *screen = shown;
        if (shown == fresh)
            return true;
    }
    return false;
}

int WhiteBars(const QImage& img, const TSrcEdit& ed)
{
    // Columns of two white pixels the height of a caret, inside the text (a
    // caret after the end of a line on the black background).
    const QPoint origin = ed.viewport()->mapTo(&ed, QPoint(0, 0));
    const int lh = ed.LineHeight();
    int bars = 0;
    for (int line = 0; line < ed.VisibleLines(); ++line)
        for (int x = ed.LargMarge(); x + 1 < ed.viewport()->width(); ++x) {
            bool white = true;
            for (int y = line * lh + 1; white && y < line * lh + lh - 1; ++y)
                white = img.pixel(origin.x() + x, origin.y() + y) == qRgb(255, 255, 255) &&
                        img.pixel(origin.x() + x + 1, origin.y() + y) == qRgb(255, 255, 255);
            if (white) {
                ++bars;
                ++x;
            }
        }
    return bars;
}

} // namespace

TEST(CaretOnScreen, NoBarLeftBehindByClicksMarkersOrIndent)
{
    ShownEditor<> s(12);
    s.b().SetAllText("alpha beta\r\ngamma delta\r\nepsilon\r\nzeta eta\r\ntheta");
    ASSERT_TRUE(s.ed.hasFocus());

    // Click at the end of line 2 (the inverted bar is white on the black
    // after the text), then double-click inside a word of line 1.
    QTest::mouseClick(s.ed.viewport(), Qt::LeftButton, {}, CellPoint(s.ed, 2, 8));
    QImage shown;
    ASSERT_TRUE(ScreenMatchesFreshPaint(s.ed, &shown));
    EXPECT_EQ(WhiteBars(shown, s.ed), 1);
    const QPoint word = CellPoint(s.ed, 1, 3);
    QTest::mouseClick(s.ed.viewport(), Qt::LeftButton, {}, word);
    QTest::mouseDClick(s.ed.viewport(), Qt::LeftButton, {}, word);
    EXPECT_EQ(s.b().GetSelText(), "gamma");
    EXPECT_TRUE(ScreenMatchesFreshPaint(s.ed)) << "after a click then a double click";

    // A plain click on another line, then keys.
    QTest::mouseClick(s.ed.viewport(), Qt::LeftButton, {}, CellPoint(s.ed, 3, 4));
    EXPECT_TRUE(ScreenMatchesFreshPaint(s.ed)) << "after a click";
    QTest::keyClick(&s.ed, Qt::Key_Up);
    QTest::keyClick(&s.ed, Qt::Key_End);
    EXPECT_TRUE(ScreenMatchesFreshPaint(s.ed)) << "after moving keys";

    // Markers: Ctrl+K 3 here, then Ctrl+Q 3 from elsewhere.
    QTest::keyClick(&s.ed, Qt::Key_K, Qt::ControlModifier);
    QTest::keyClick(&s.ed, Qt::Key_3);
    EXPECT_TRUE(ScreenMatchesFreshPaint(s.ed)) << "after setting a marker";
    QTest::mouseClick(s.ed.viewport(), Qt::LeftButton, {}, CellPoint(s.ed, 0, 2));
    QTest::keyClick(&s.ed, Qt::Key_Q, Qt::ControlModifier);
    QTest::keyClick(&s.ed, Qt::Key_3);
    EXPECT_EQ(s.b().CaretLine(), 2);
    EXPECT_TRUE(ScreenMatchesFreshPaint(s.ed)) << "after going to a marker";

    // Block indent and unindent of a selection made with Shift+Down.
    QTest::mouseClick(s.ed.viewport(), Qt::LeftButton, {}, CellPoint(s.ed, 1, 1));
    QTest::keyClick(&s.ed, Qt::Key_Down, Qt::ShiftModifier);
    QTest::keyClick(&s.ed, Qt::Key_Down, Qt::ShiftModifier);
    QTest::keyClick(&s.ed, Qt::Key_K, Qt::ControlModifier);
    QTest::keyClick(&s.ed, Qt::Key_Tab);
    EXPECT_EQ(s.b().GetLine(1), "  gamma delta");
    EXPECT_TRUE(ScreenMatchesFreshPaint(s.ed)) << "after a block indent";
    QTest::keyClick(&s.ed, Qt::Key_K, Qt::ControlModifier);
    QTest::keyClick(&s.ed, Qt::Key_U);
    EXPECT_EQ(s.b().GetLine(1), "gamma delta");
    EXPECT_TRUE(ScreenMatchesFreshPaint(s.ed)) << "after a block unindent";

    // Losing the focus takes the bar away.
    QTest::keyClick(&s.ed, Qt::Key_End);
    s.ed.clearFocus();
    ASSERT_TRUE(ScreenMatchesFreshPaint(s.ed, &shown));
    EXPECT_EQ(WhiteBars(shown, s.ed), 0);
}

TEST(CaretOnScreen, ShowsOnEveryBackground)
{
    // The bar inverts what is under it: it shows on the black text area as
    // on white highlighted words and white styles.
    ShownEditor<> s(4, 300);
    s.b().SetAllText("movlw 0x1F");
    kep::TStyleTable white = kep::DefaultStyles();
    for (kep::TStyleEntry& st : white)
        st = kep::TStyleEntry{kep::clWhite, kep::clBlack, 0, false, true};
    for (const kep::TStyleTable& styles : {kep::DefaultStyles(), white}) {
        s.ed.SetStyles(styles);
        const QColor back = s.ed.Resolve(styles[kep::stRien].Back);
        for (const std::int32_t col : {3, 11}) {
            s.b().SetCaret({0, col});
            const QImage shown = s.ed.viewport()->grab().toImage();
            s.ed.clearFocus();
            const QImage bare = s.ed.viewport()->grab().toImage();
            s.ed.setFocus();
            if (col == 3 && back == Qt::white && QDir().mkpath(KEP_BINARY_DIR "/screens"))
                shown.save(KEP_BINARY_DIR "/screens/caret_on_white.png");
            const int x = s.b().CaretX();
            int changed = 0, all = 0;
            for (int y = 1; y < s.ed.LineHeight() - 1; ++y)
                for (int dx = 0; dx < 2; ++dx, ++all)
                    changed += shown.pixel(x + dx, y) != bare.pixel(x + dx, y);
            EXPECT_EQ(changed, all) << "caret at column " << col << " on " << back.name().toStdString();
        }
    }
}

TEST(InputMethod, CommitsInTheCodePageAndRefusesTheRest)
{
    ShownEditor<> s;
    QSignalSpy refused(&s.ed, &TSrcEdit::InputRefused);
    auto commit = [&](const QString& text) {
        QInputMethodEvent e;
        e.setCommitString(text);
        QApplication::sendEvent(&s.ed, &e);
    };
    // Composing shows nothing in the text until the commit.
    QInputMethodEvent compose(QStringLiteral("^"), {});
    QApplication::sendEvent(&s.ed, &compose);
    EXPECT_EQ(s.b().GetLine(0), "");
    commit(QStringLiteral("ê"));
    commit(QStringLiteral("œ"));
    commit(QStringLiteral("ç"));
    EXPECT_EQ(s.b().GetLine(0), "\xEA\x9C\xE7");
    EXPECT_EQ(refused.count(), 0);
    // A character the code page lacks is refused, not written as "?".
    commit(QStringLiteral("ő"));
    EXPECT_EQ(s.b().GetLine(0), "\xEA\x9C\xE7");
    EXPECT_EQ(refused.count(), 1);
    // The same ligature has no place in an OEM file.
    s.b().OemFile = true;
    commit(QStringLiteral("œé"));
    EXPECT_EQ(s.b().GetLine(0), "\xEA\x9C\xE7\xE9");
    EXPECT_EQ(refused.count(), 2);
    s.b().OemFile = false;
    EXPECT_TRUE(ScreenMatchesFreshPaint(s.ed));
}

TEST(InputMethod, CommitReplacesAroundTheCaretAndBreaksLines)
{
    ShownEditor<> s;
    auto commit = [&](const QString& text, int from = 0, int length = 0) {
        QInputMethodEvent e;
        e.setCommitString(text, from, length);
        QApplication::sendEvent(&s.ed, &e);
    };
    // A dead key's first guess is replaced by the character it composes.
    s.b().SetAllText("abc");
    s.b().SetCaret({0, 4});
    commit(QStringLiteral("€"));
    commit(QStringLiteral("X"), -1, 1);
    EXPECT_EQ(s.b().GetLine(0), "abcX");
    EXPECT_EQ(s.b().Caret(), (TTextPos{0, 5}));
    s.b().Undo();
    EXPECT_EQ(s.b().GetLine(0), "abc\x80");
    // A selection goes first; the range counts from where it started.
    s.b().SetAllText("abcdef");
    s.b().SelectRange({0, 3}, {0, 5});
    commit(QStringLiteral("X"), 0, 1);
    EXPECT_EQ(s.b().GetLine(0), "abXf");
    s.b().Undo();
    EXPECT_EQ(s.b().GetLine(0), "abcdef");
    // A range reaching past the line is cut to it.
    s.b().SetAllText("abc");
    s.b().SetCaret({0, 2});
    commit(QStringLiteral("Z"), -10, 30);
    EXPECT_EQ(s.b().GetAllText(), "Z");

    // Committed line breaks split the line as Return does; one undo step.
    s.b().SetAllText("xy");
    s.b().SetCaret({0, 2});
    commit(QStringLiteral("a\r\nb\nc"));
    EXPECT_EQ(s.b().GetAllText(), "xa\r\nb\r\ncy");
    EXPECT_EQ(s.b().Caret(), (TTextPos{2, 2}));
    s.b().Undo();
    EXPECT_EQ(s.b().GetAllText(), "xy");
    EXPECT_TRUE(ScreenMatchesFreshPaint(s.ed));
}

TEST(InputMethod, CandidateWindowSitsAtTheCaret)
{
    ShownEditor<> s;
    s.b().SetAllText("\tmovlw 1\r\nnop");
    s.b().SetCaret({0, 2});
    const QRect at = s.ed.inputMethodQuery(Qt::ImCursorRectangle).toRect();
    const QPoint viewport = s.ed.viewport()->mapTo(&s.ed, QPoint(0, 0));
    EXPECT_EQ(at.left(), viewport.x() + s.ed.TextLeft() + s.ed.TabStop(0));
    EXPECT_EQ(at.top(), viewport.y() + 1);
    EXPECT_EQ(at.height(), s.ed.LineHeight() - 2);
    EXPECT_EQ(s.ed.inputMethodQuery(Qt::ImSurroundingText).toString(), "\tmovlw 1");
    EXPECT_EQ(s.ed.inputMethodQuery(Qt::ImCursorPosition).toInt(), 1);

    QTest::keyClick(&s.ed, Qt::Key_Down);
    QTest::keyClick(&s.ed, Qt::Key_End);
    const QRect below = s.ed.inputMethodQuery(Qt::ImCursorRectangle).toRect();
    EXPECT_EQ(below.top(), at.top() + s.ed.LineHeight());
    EXPECT_EQ(below.left(), viewport.x() + s.ed.TextLeft() + 3 * s.ed.CharWidth());
    EXPECT_EQ(s.ed.inputMethodQuery(Qt::ImSurroundingText).toString(), "nop");
    QTest::keyClick(&s.ed, Qt::Key_Home, Qt::ShiftModifier);
    EXPECT_EQ(s.ed.inputMethodQuery(Qt::ImCurrentSelection).toString(), "nop");
    EXPECT_EQ(s.ed.inputMethodQuery(Qt::ImAnchorPosition).toInt(), 3);
    EXPECT_TRUE(s.ed.inputMethodQuery(Qt::ImEnabled).toBool());
    s.b().ReadOnly = true;
    EXPECT_FALSE(s.ed.inputMethodQuery(Qt::ImEnabled).toBool());
}
