// The editor driven by real key events.
#include "EditorFixture.h"

#include <QKeyEvent>
#include <gtest/gtest.h>

TEST(SrcEditKeys, PagesAndVerticalMoves)
{
    ShownEditor<> s(20);
    ASSERT_EQ(s.ed.VisibleLines(), 20);
    s.b().SetAllText(NumberedText(100));
    QTest::keyClick(s.ed.viewport(), Qt::Key_PageDown);
    EXPECT_EQ(s.b().CaretLine(), 19);
    QTest::keyClick(&s.ed, Qt::Key_PageDown);
    EXPECT_EQ(s.b().CaretLine(), 38);
    EXPECT_EQ(s.b().TopLine(), 19);
    QTest::keyClick(&s.ed, Qt::Key_PageUp);
    EXPECT_EQ(s.b().CaretLine(), 19);
    QTest::keyClick(&s.ed, Qt::Key_End, Qt::ControlModifier);
    EXPECT_EQ(s.b().Caret(), (TTextPos{99, 8}));
    QTest::keyClick(&s.ed, Qt::Key_Home, Qt::ControlModifier);
    EXPECT_EQ(s.b().Caret(), (TTextPos{0, 1}));

    // Up and Down come back to the same x across tabs and short lines.
    s.b().SetAllText("\tabcdef\r\nxy\r\n\t\tq\r\nab\tcdefgh");
    s.b().SetCaret({0, 4}); // after the tab and two letters
    const int x = s.b().PixelOfCol(s.b().GetLine(0), 4);
    QTest::keyClick(&s.ed, Qt::Key_Down);
    EXPECT_EQ(s.b().Caret(), (TTextPos{1, 3})); // end of a short line
    QTest::keyClick(&s.ed, Qt::Key_Down);
    QTest::keyClick(&s.ed, Qt::Key_Down);
    QTest::keyClick(&s.ed, Qt::Key_Up);
    QTest::keyClick(&s.ed, Qt::Key_Up);
    QTest::keyClick(&s.ed, Qt::Key_Up);
    EXPECT_EQ(s.b().Caret(), (TTextPos{0, 4}));
    EXPECT_EQ(s.b().PixelOfCol(s.b().GetLine(0), s.b().Caret().Col), x);
    QTest::keyClick(&s.ed, Qt::Key_Right); // any other key forgets the x
    EXPECT_EQ(s.b().DesiredX(), -1);
}

TEST(SrcEditKeys, TypingEditingAndShiftSelection)
{
    ShownEditor<> s;
    s.b().SetAllText("abc");
    s.b().SetCaret({0, 4});
    QTest::keyClicks(&s.ed, "d");
    QKeyEvent accent(QEvent::KeyPress, Qt::Key_Eacute, Qt::NoModifier, QStringLiteral("\u00e9"));
    QApplication::sendEvent(&s.ed, &accent); // typed as Unicode, stored as Windows-1252
    EXPECT_EQ(s.b().GetLine(0), "abcd\xE9");
    QTest::keyClick(&s.ed, Qt::Key_Tab);
    QTest::keyClick(&s.ed, Qt::Key_Return);
    QTest::keyClicks(&s.ed, "x");
    EXPECT_EQ(s.b().GetAllText(), "abcd\xE9\t\r\nx");
    QTest::keyClick(&s.ed, Qt::Key_Backspace, Qt::AltModifier); // undo
    EXPECT_EQ(s.b().GetAllText(), "abcd\xE9\t\r\n");
    QTest::keyClick(&s.ed, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(s.b().GetAllText(), "abcd\xE9\t");

    // Shift+Left twice from the end selects the last two characters;
    // Shift+Home from inside the selection extends from its start.
    s.b().SetCaret({0, 7});
    QTest::keyClick(&s.ed, Qt::Key_Left, Qt::ShiftModifier);
    QTest::keyClick(&s.ed, Qt::Key_Left, Qt::ShiftModifier);
    EXPECT_EQ(s.b().GetSelText(), "\xE9\t");
    QTest::keyClick(&s.ed, Qt::Key_Home, Qt::ShiftModifier);
    EXPECT_EQ(s.b().GetSelText(), "abcd\xE9\t");
    // From inside a selection Shift+movement starts from the end it moves.
    s.b().SelectRange({0, 2}, {0, 5});
    s.b().SetCaret({0, 3});
    QTest::keyClick(&s.ed, Qt::Key_Left, Qt::ShiftModifier);
    EXPECT_EQ(s.b().GetSelStart(), (TTextPos{0, 1}));
    EXPECT_EQ(s.b().GetSelEnd(), (TTextPos{0, 5}));
    QTest::keyClick(&s.ed, Qt::Key_Right);
    EXPECT_FALSE(s.b().HasSelection());

    // Insert swaps the typing mode and says so.
    int swaps = 0;
    QObject::connect(&s.ed, &TSrcEdit::InsReplSwapped, [&] { ++swaps; });
    QTest::keyClick(&s.ed, Qt::Key_Insert);
    EXPECT_TRUE(s.b().ReplaceMode);
    EXPECT_EQ(swaps, 1);
    s.b().SetCaret({0, 1});
    QTest::keyClicks(&s.ed, "Z");
    EXPECT_EQ(s.b().GetLine(0), "Zbcd\xE9\t");

    // Ctrl+Left / Ctrl+Right go by words separated by blanks.
    s.b().SetAllText("mov  a,b ; x");
    s.b().SetCaret({0, 1});
    QTest::keyClick(&s.ed, Qt::Key_Right, Qt::ControlModifier);
    EXPECT_EQ(s.b().Caret().Col, 4);
    QTest::keyClick(&s.ed, Qt::Key_Right, Qt::ControlModifier);
    EXPECT_EQ(s.b().Caret().Col, 9);
    QTest::keyClick(&s.ed, Qt::Key_Left, Qt::ControlModifier);
    EXPECT_EQ(s.b().Caret().Col, 6);
}

TEST(SrcEditKeys, MarkerAndBlockPrefixes)
{
    ShownEditor<> s;
    s.b().SetAllText(NumberedText(30));
    s.b().SetCaret({5, 3});
    QTest::keyClick(&s.ed, Qt::Key_K, Qt::ControlModifier);
    EXPECT_EQ(s.ed.PrefixKey(), 'K');
    QTest::keyClicks(&s.ed, "3");
    EXPECT_EQ(s.ed.PrefixKey(), 0);
    EXPECT_EQ(s.b().GetMarker(3), (TTextPos{5, 3}));
    EXPECT_EQ(s.b().GetLine(5), "line 5"); // the digit was not typed

    s.b().SetCaret({20, 1});
    QTest::keyClick(&s.ed, Qt::Key_Q, Qt::ControlModifier);
    QTest::keyClicks(&s.ed, "3");
    EXPECT_EQ(s.b().Caret(), (TTextPos{5, 3}));

    // On the marker's own spot Ctrl+K 3 clears it; Ctrl+Q 3 then does nothing.
    QTest::keyClick(&s.ed, Qt::Key_K, Qt::ControlModifier);
    QTest::keyClicks(&s.ed, "3");
    EXPECT_EQ(s.b().GetMarker(3).Line, -1);
    s.b().SetCaret({9, 1});
    QTest::keyClick(&s.ed, Qt::Key_Q, Qt::ControlModifier);
    QTest::keyClicks(&s.ed, "3");
    EXPECT_EQ(s.b().Caret(), (TTextPos{9, 1}));

    // A letter after a prefix is swallowed; Ctrl+K I and Ctrl+K Ctrl+U indent
    // and unindent the selected lines.
    QTest::keyClick(&s.ed, Qt::Key_Q, Qt::ControlModifier);
    QTest::keyClicks(&s.ed, "z");
    EXPECT_EQ(s.b().GetLine(9), "line 9");
    s.b().SelectRange({1, 1}, {3, 1});
    QTest::keyClick(&s.ed, Qt::Key_K, Qt::ControlModifier);
    QTest::keyClicks(&s.ed, "i");
    EXPECT_EQ(s.b().GetLine(1), "  line 1");
    EXPECT_EQ(s.b().GetLine(2), "  line 2");
    EXPECT_EQ(s.b().GetLine(3), "line 3");
    QTest::keyClick(&s.ed, Qt::Key_K, Qt::ControlModifier);
    QTest::keyClick(&s.ed, Qt::Key_U, Qt::ControlModifier);
    EXPECT_EQ(s.b().GetLine(1), "line 1");
}

TEST(SrcEditKeys, ClipboardKeys)
{
    ShownEditor<> s;
    s.b().SetAllText("alpha beta");
    s.b().SelectRange({0, 1}, {0, 6});
    QTest::keyClick(&s.ed, Qt::Key_C, Qt::ControlModifier);
    s.b().SetCaret({0, 11});
    s.b().ClearSelection();
    QTest::keyClick(&s.ed, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(s.b().GetLine(0), "alpha betaalpha");
    s.b().SelectRange({0, 1}, {0, 7});
    QTest::keyClick(&s.ed, Qt::Key_X, Qt::ControlModifier);
    EXPECT_EQ(s.b().GetLine(0), "betaalpha");
    QTest::keyClick(&s.ed, Qt::Key_Insert, Qt::ShiftModifier);
    EXPECT_EQ(s.b().GetLine(0), "alpha betaalpha");
    QTest::keyClick(&s.ed, Qt::Key_Y, Qt::ControlModifier);
    EXPECT_EQ(s.b().GetAllText(), "");
}
