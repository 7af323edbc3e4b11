// Editing commands: typing, deleting, line breaks, clipboard, case, blocks,
// search and words.
#include "editor/TextBuffer.h"

#include <gtest/gtest.h>

namespace {

std::vector<std::string> Lines(const TTextBuffer& b)
{
    std::vector<std::string> out;
    for (int i = 0; i < b.LineCount(); ++i)
        out.push_back(b.GetLine(i));
    return out;
}

struct Counter {
    int changes = 0;
    void Attach(TTextBuffer& b)
    {
        b.OnChange = [this] { ++changes; };
    }
};

} // namespace

TEST(TextBufferEdit, TypingInsertAndOverwrite)
{
    TTextBuffer b;
    Counter c;
    c.Attach(b);
    b.SetAllText("abc");
    b.SetCaret({0, 2});
    b.TypeChar('X');
    EXPECT_EQ(b.GetLine(0), "aXbc");
    EXPECT_EQ(b.Caret(), (TTextPos{0, 3}));
    b.TypeChar('\t');
    EXPECT_EQ(b.GetLine(0), "aX\tbc");
    b.TypeChar(7); // control characters are not typed
    EXPECT_EQ(b.GetLine(0), "aX\tbc");
    EXPECT_EQ(c.changes, 2);

    b.ReplaceMode = true;
    b.TypeChar('Y');
    EXPECT_EQ(b.GetLine(0), "aX\tYc");
    b.SetCaret({0, 6});
    b.TypeChar('Z'); // at the end of the line overwrite appends
    EXPECT_EQ(b.GetLine(0), "aX\tYcZ");

    // Typing over a selection replaces it.
    b.ReplaceMode = false;
    b.SetAllText("one\r\ntwo\r\nthree");
    b.SelectRange({0, 2}, {2, 3});
    b.TypeChar('-');
    EXPECT_EQ(Lines(b), (std::vector<std::string>{"o-ree"}));
    EXPECT_FALSE(b.HasSelection());
    EXPECT_EQ(b.Caret(), (TTextPos{0, 3}));
}

TEST(TextBufferEdit, DeleteBackspaceAndEnter)
{
    TTextBuffer b;
    b.SetAllText("ab\r\ncd");
    b.SetCaret({0, 1});
    b.Backspace(); // at (0, 1): nothing
    EXPECT_EQ(b.GetAllText(), "ab\r\ncd");
    b.SetCaret({1, 3});
    b.DeleteKey(); // end of the last line: nothing
    EXPECT_EQ(b.GetAllText(), "ab\r\ncd");
    b.SetCaret({1, 1});
    b.Backspace(); // joins with the previous line
    EXPECT_EQ(b.GetAllText(), "abcd");
    EXPECT_EQ(b.Caret(), (TTextPos{0, 3}));
    b.Enter();
    EXPECT_EQ(b.GetAllText(), "ab\r\ncd");
    EXPECT_EQ(b.Caret(), (TTextPos{1, 1}));
    b.SetCaret({0, 3});
    b.DeleteKey(); // joins with the next line
    EXPECT_EQ(b.GetAllText(), "abcd");
    b.DeleteKey();
    EXPECT_EQ(b.GetAllText(), "abd");

    // With a selection Delete removes it, Shift+Delete cuts it.
    TMemoryClipboard clip;
    b.SetClipboard(&clip);
    b.SetAllText("hello world");
    b.SelectRange({0, 1}, {0, 7});
    b.DeleteKey(true);
    EXPECT_EQ(b.GetAllText(), "world");
    EXPECT_EQ(clip.Text(), "hello ");
    b.SelectRange({0, 1}, {0, 2});
    b.Backspace();
    EXPECT_EQ(b.GetAllText(), "orld");

    // Enter replaces a selection and copies no indentation.
    b.SetAllText("    abc");
    b.SelectRange({0, 6}, {0, 7});
    b.Enter();
    EXPECT_EQ(Lines(b), (std::vector<std::string>{"    a", "c"}));
}

TEST(TextBufferEdit, DeleteLine)
{
    TTextBuffer b;
    b.SetAllText("a\r\nb\r\nc");
    b.SetCaret({1, 2});
    b.DeleteCurrentLine();
    EXPECT_EQ(b.GetAllText(), "a\r\nc");
    EXPECT_EQ(b.Caret(), (TTextPos{1, 1}));
    b.DeleteCurrentLine(); // last line: its text goes, the line stays
    EXPECT_EQ(b.GetAllText(), "a\r\n");
    b.DeleteCurrentLine(); // empty last line: nothing
    EXPECT_EQ(b.GetAllText(), "a\r\n");
    b.Undo();
    EXPECT_EQ(b.GetAllText(), "a\r\nc");
    b.Undo();
    EXPECT_EQ(b.GetAllText(), "a\r\nb\r\nc");

    b.ReadOnly = true;
    b.DeleteCurrentLine();
    EXPECT_EQ(b.GetAllText(), "a\r\nb\r\nc");
}

TEST(TextBufferEdit, PasteInsertsLineBreaksAsGiven)
{
    TTextBuffer b;
    TMemoryClipboard clip;
    b.SetClipboard(&clip);
    b.SetAllText("[]");
    b.SetCaret({0, 2});
    b.PasteFromClipboard(); // empty clipboard: nothing
    EXPECT_EQ(b.GetAllText(), "[]");
    clip.SetText("x\n\ry");
    b.PasteFromClipboard();
    EXPECT_EQ(Lines(b), (std::vector<std::string>{"[x", "", "y]"}));
    EXPECT_EQ(b.Caret(), (TTextPos{2, 2}));
    clip.SetText(std::string("p\0q", 3));
    b.PasteFromClipboard();
    EXPECT_EQ(b.GetLine(2), "yp]");
    b.Undo();
    b.Undo();
    EXPECT_EQ(b.GetAllText(), "[]");

    b.SelectRange({0, 1}, {0, 3});
    b.CopyToClipboard();
    EXPECT_EQ(clip.Text(), "[]");
    b.CutToClipboard();
    EXPECT_EQ(b.GetAllText(), "");
    b.ReadOnly = true;
    b.PasteFromClipboard();
    EXPECT_EQ(b.GetAllText(), "");
}

TEST(TextBufferEdit, ToggleCase)
{
    TTextBuffer b;
    Counter c;
    c.Attach(b);
    b.SetAllText("aB1\r\nx\xE9");
    b.SelectRange({0, 1}, {1, 3});
    b.ToggleCase();
    EXPECT_EQ(b.GetAllText(), "Ab1\r\nX\xE9"); // only ASCII letters change
    EXPECT_TRUE(b.HasSelection());
    EXPECT_EQ(b.GetSelStart(), (TTextPos{0, 1}));
    EXPECT_EQ(b.GetSelEnd(), (TTextPos{1, 3}));
    EXPECT_EQ(c.changes, 1);

    b.ClearSelection();
    b.SetCaret({0, 4}); // end of a line: goes on with the next one
    b.ToggleCase();
    EXPECT_EQ(b.GetLine(1), "x\xE9");
    EXPECT_EQ(b.Caret(), (TTextPos{1, 2}));
    b.ToggleCase(); // not a letter: caret moves on, nothing changes
    EXPECT_EQ(b.Caret(), (TTextPos{1, 3}));
    EXPECT_EQ(c.changes, 2);
    b.ToggleCase(); // end of the last line: nothing
    EXPECT_EQ(b.Caret(), (TTextPos{1, 3}));
}

TEST(TextBufferEdit, IndentAndUnindentBlocks)
{
    TTextBuffer b;
    b.SetAllText("x\r\n\r\n y\r\nz");
    b.SelectRange({0, 1}, {3, 1});
    b.View().Caret = {3, 1};
    b.IndentBlock();
    EXPECT_EQ(Lines(b), (std::vector<std::string>{"  x", "", "   y", "z"}));
    EXPECT_EQ(b.GetSelStart(), (TTextPos{0, 3}));
    EXPECT_EQ(b.GetSelEnd(), (TTextPos{3, 1}));
    EXPECT_EQ(b.Caret(), (TTextPos{3, 1}));
    EXPECT_TRUE(b.Modified());

    b.SelectRange({0, 1}, {2, 5});
    b.View().Caret = {2, 5};
    b.UnindentBlock();
    EXPECT_EQ(Lines(b), (std::vector<std::string>{"x", "", " y", "z"}));
    EXPECT_EQ(b.GetSelEnd(), (TTextPos{2, 3}));
    EXPECT_EQ(b.Caret(), (TTextPos{2, 3}));
    b.UnindentBlock();
    EXPECT_EQ(Lines(b), (std::vector<std::string>{"x", "", "y", "z"}));

    // Tabs stay; one undo restores a whole block.
    b.SetAllText("\tt\r\n  u");
    b.MarkSaved();
    b.SelectRange({0, 1}, {1, 4});
    b.UnindentBlock();
    EXPECT_EQ(Lines(b), (std::vector<std::string>{"\tt", "u"}));
    b.Undo();
    EXPECT_EQ(Lines(b), (std::vector<std::string>{"\tt", "  u"}));
    EXPECT_FALSE(b.Modified());

    // Read-only texts refuse both.
    b.ReadOnly = true;
    b.SelectRange({0, 1}, {1, 4});
    b.IndentBlock();
    b.UnindentBlock();
    EXPECT_EQ(Lines(b), (std::vector<std::string>{"\tt", "  u"}));
}

TEST(TextBufferEdit, SearchText)
{
    TTextBuffer b;
    b.SetAllText("find me\r\nnothing\r\nFind it, find\r\nfinder\r\nrefind find_x find");
    // Line 0 is never searched without a selection.
    ASSERT_TRUE(b.SearchText("find", 0));
    EXPECT_EQ(b.GetSelStart(), (TTextPos{2, 1}));
    EXPECT_EQ(b.GetSelEnd(), (TTextPos{2, 5}));
    // From a selection, the search goes on after its last line.
    ASSERT_TRUE(b.SearchText("find", soMatchCase));
    EXPECT_EQ(b.GetSelStart(), (TTextPos{3, 1}));

    std::vector<std::pair<int, int>> hits;
    b.ClearSelection();
    auto collect = [&](std::int32_t l, std::int32_t c) {
        hits.emplace_back(l, c);
        return true;
    };
    EXPECT_TRUE(b.SearchText("find", soWholeWord, collect));
    // One hit per line; whole words skip "finder", "refind" and "find_x".
    EXPECT_EQ(hits, (std::vector<std::pair<int, int>>{{2, 1}, {4, 15}}));

    hits.clear();
    EXPECT_TRUE(b.SearchText("FIND", soMatchCase | soWholeWord, collect) == false);
    EXPECT_TRUE(hits.empty());

    // A callback returning false stops the search.
    hits.clear();
    b.SearchText("i", 0, [&](std::int32_t l, std::int32_t c) {
        hits.emplace_back(l, c);
        return false;
    });
    EXPECT_EQ(hits.size(), 1u);

    // Accented letters are word characters and are not folded.
    b.SetAllText("x\r\n\xE9t\xE9 \xC9T\xC9\r\nt");
    hits.clear();
    b.SearchText("t", soWholeWord, collect);
    EXPECT_EQ(hits, (std::vector<std::pair<int, int>>{{2, 1}}));
}

TEST(TextBufferEdit, SearchFromCaretVisitsEveryLaterHit)
{
    TTextBuffer b;
    b.SetAllText("find x find\r\nnone\r\nfind");
    std::vector<TTextPos> hits;
    while (b.SearchText("FIND", soFromCaret))
        hits.push_back(b.GetSelStart());
    // Line 0 counts, and both hits of it.
    EXPECT_EQ(hits, (std::vector<TTextPos>{{0, 1}, {0, 8}, {2, 1}}));
    // From a caret inside a word, that word is behind it.
    b.ClearSelection();
    b.SetCaret(TTextPos{0, 2});
    ASSERT_TRUE(b.SearchText("find", soFromCaret | soWholeWord));
    EXPECT_EQ(b.GetSelStart(), (TTextPos{0, 8}));
}

TEST(TextBufferEdit, DeletedLinesTakeTheirIdentityAlong)
{
    TTextBuffer b;
    b.SetAllText("a\r\nb\r\nc\r\nd");
    const std::int32_t idB = b.GetLineId(1), idC = b.GetLineId(2), idD = b.GetLineId(3);
    b.SetCaret(TTextPos{1, 1});
    b.DeleteCurrentLine();
    EXPECT_EQ(b.FindLineById(idB), -1);
    EXPECT_EQ(b.FindLineById(idC), 1);
    // A selection of whole lines too; a partial one joins into its first line.
    b.SetSelection(1, 1, 1, 2);
    b.CutToClipboard();
    EXPECT_EQ(b.FindLineById(idC), -1);
    EXPECT_EQ(b.FindLineById(idD), 1);
    EXPECT_EQ(b.GetAllText(), "a\r\nd");
    b.Undo();
    b.Undo();
    EXPECT_EQ(b.GetAllText(), "a\r\nb\r\nc\r\nd");
}

TEST(TextBufferEdit, WordAt)
{
    TTextBuffer b;
    b.SetAllText("  label: movlw 0x1F ; done");
    TTextBuffer::TCharSet ident;
    for (int c = 'a'; c <= 'z'; ++c)
        ident.set(std::size_t(c));
    for (int c = '0'; c <= '9'; ++c)
        ident.set(std::size_t(c));
    ident.set('x');
    EXPECT_EQ(b.WordAt(0, 5, ident), "label");
    EXPECT_EQ(b.WordAt(0, 11, ident), "movlw");
    EXPECT_EQ(b.WordAt(0, 17, ident), "0x1");
    EXPECT_EQ(b.WordAt(0, 1, ident), "");   // blank
    EXPECT_EQ(b.WordAt(0, 8, ident), "");   // ':' is not in the set
    EXPECT_EQ(b.WordAt(0, 99, ident), "");  // past the end
    EXPECT_EQ(b.WordAt(5, 1, ident), "");   // no such line
}
