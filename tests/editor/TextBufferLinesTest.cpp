// Whole-line rewrites as one undo step: identities of the lines that survive,
// markers and caret after the span, the code-page flag given back by undo.
#include "editor/TextBuffer.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::vector<std::int32_t> Ids(const TTextBuffer& b)
{
    std::vector<std::int32_t> ids;
    for (std::int32_t i = 0; i < b.LineCount(); ++i)
        ids.push_back(b.GetLineId(i));
    return ids;
}

TTextBuffer Text(const std::string& text)
{
    TTextBuffer b;
    b.SetAllText(text);
    b.MarkSaved();
    return b;
}

} // namespace

TEST(TextBufferLines, SameCountKeepsEveryIdentityAndUndoesInOneStep)
{
    TTextBuffer b = Text("a\r\nb\r\nc\r\nd");
    const auto ids = Ids(b);
    b.ToggleMarker(2, {2, 2});
    b.SetCaret({3, 2});
    int changes = 0;
    b.OnChange = [&] { ++changes; };
    ASSERT_TRUE(b.ReplaceLines(1, 2, {";b", ";c"}));
    EXPECT_EQ(b.GetAllText(), "a\r\n;b\r\n;c\r\nd");
    EXPECT_EQ(Ids(b), ids);
    EXPECT_EQ(b.GetMarker(2), (TTextPos{2, 3})); // moved with its text
    EXPECT_EQ(b.Caret(), (TTextPos{3, 2}));
    EXPECT_EQ(changes, 1);
    EXPECT_TRUE(b.Modified());
    EXPECT_EQ(b.UndoCount(), 1);
    b.Undo();
    EXPECT_EQ(b.GetAllText(), "a\r\nb\r\nc\r\nd");
    EXPECT_FALSE(b.Modified());
}

TEST(TextBufferLines, MoreLinesShiftWhatFollowsAndKeepTheEnds)
{
    TTextBuffer b = Text("x\r\nloop: inc a\r\ny\r\nz");
    const auto ids = Ids(b);
    b.ToggleMarker(0, {3, 1});
    b.SetCaret({2, 1});
    ASSERT_TRUE(b.ReplaceLines(0, 4, {"x", "loop:", "\tinc\ta", "y", "z"}));
    EXPECT_EQ(b.GetAllText(), "x\r\nloop:\r\n\tinc\ta\r\ny\r\nz");
    const auto now = Ids(b);
    EXPECT_EQ(now[0], ids[0]);
    EXPECT_EQ(now[3], ids[2]);
    EXPECT_EQ(now[4], ids[3]);
    EXPECT_EQ(b.GetMarker(0), (TTextPos{4, 1}));
    EXPECT_EQ(b.Caret(), (TTextPos{3, 1})); // "y" moved down with its line
    EXPECT_EQ(b.UndoCount(), 1);
    b.Undo();
    EXPECT_EQ(b.GetAllText(), "x\r\nloop: inc a\r\ny\r\nz");
}

TEST(TextBufferLines, LinesRemovedAndAddedAtEitherEnd)
{
    struct Case {
        std::string text;
        std::int32_t first, count;
        std::vector<std::string> lines;
        std::string result;
    };
    const std::vector<Case> cases = {
        {"a\r\n|b\r\n|c\r\nd", 0, 4, {"a", "d"}, "a\r\nd"},         // middle
        {"a\r\nb\r\n|c\r\n|d", 0, 4, {"a", "b"}, "a\r\nb"},         // at the end
        {"|a\r\n|b\r\nc", 0, 3, {"c"}, "c"},                         // at the start
        {"|a\r\n|b", 0, 2, {}, ""},                                  // everything
        {"a\r\nd", 0, 2, {"a", "b", "c", "d"}, "a\r\nb\r\nc\r\nd"}, // inserted
        {"a\r\nb", 0, 2, {"a", "b", "c"}, "a\r\nb\r\nc"},           // appended
        {"b\r\nc", 0, 2, {"a", "b", "c"}, "a\r\nb\r\nc"},           // prepended
        {"a\r\nb\r\nc", 1, 1, {"x", "y"}, "a\r\nx\r\ny\r\nc"},       // part of the text
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        TTextBuffer b = Text(c.text);
        ASSERT_TRUE(b.ReplaceLines(c.first, c.count, c.lines));
        EXPECT_EQ(b.GetAllText(), c.result);
        EXPECT_EQ(b.UndoCount(), 1);
        b.Undo();
        EXPECT_EQ(b.GetAllText(), c.text);
        EXPECT_FALSE(b.Modified());
    }
}

TEST(TextBufferLines, NothingToDoOrReadOnlyLeavesNoStep)
{
    TTextBuffer b = Text("a\r\nb");
    EXPECT_FALSE(b.ReplaceLines(0, 2, {"a", "b"}));
    EXPECT_FALSE(b.CanUndo());
    EXPECT_FALSE(b.Modified());
    b.ReadOnly = true;
    EXPECT_FALSE(b.ReplaceLines(0, 2, {"x"}));
    EXPECT_EQ(b.GetAllText(), "a\r\nb");
    EXPECT_FALSE(b.SetCodePageText({"x", "y"}, true));
    EXPECT_FALSE(b.OemFile);
}

TEST(TextBufferLines, TooLargeForTheHistoryAsksFirst)
{
    std::vector<std::string> big(2000, std::string(30, 'a'));
    TTextBuffer b;
    std::string text;
    for (std::size_t i = 0; i < big.size(); ++i)
        text += (i ? "\r\n" : "") + big[i];
    b.SetAllText(text);
    b.MarkSaved();
    std::vector<std::string> changed(big.size(), std::string(30, 'b'));
    b.OnCannotStoreUndo = [] { return false; };
    EXPECT_FALSE(b.ReplaceLines(0, b.LineCount(), changed));
    EXPECT_FALSE(b.SetCodePageText(changed, true));
    EXPECT_EQ(b.GetAllText(), text);
    EXPECT_FALSE(b.OemFile);
    b.OnCannotStoreUndo = [] { return true; };
    EXPECT_TRUE(b.SetCodePageText(changed, true));
    EXPECT_TRUE(b.OemFile);
    EXPECT_FALSE(b.CanUndo()); // the history went with it
}

TEST(TextBufferLines, UndoingAConversionGivesBackTheFlag)
{
    TTextBuffer b = Text("caf\xE9");
    b.OemFile = true;
    b.SetCaret({0, 5});
    b.TypeChar('!');
    ASSERT_TRUE(b.SetCodePageText({"caf\x82!"}, false));
    EXPECT_FALSE(b.OemFile);
    EXPECT_EQ(b.GetAllText(), "caf\x82!");
    ASSERT_TRUE(b.SetCodePageText({"caf\x82!"}, true)); // same bytes, flag only
    EXPECT_TRUE(b.OemFile);
    EXPECT_EQ(b.UndoCount(), 3);
    b.Undo();
    EXPECT_FALSE(b.OemFile);
    EXPECT_EQ(b.GetAllText(), "caf\x82!");
    b.Undo();
    EXPECT_TRUE(b.OemFile); // the flag before the first conversion
    EXPECT_EQ(b.GetAllText(), "caf\xE9!");
    b.OemFile = false;
    b.Undo(); // typing carries no flag
    EXPECT_FALSE(b.OemFile);
    EXPECT_EQ(b.GetAllText(), "caf\xE9");
}

TEST(TextBufferLines, AConversionPushedOutOfTheHistoryForgetsItsFlag)
{
    TTextBuffer b = Text("x");
    ASSERT_TRUE(b.SetCodePageText({"y"}, true));
    // Enough typing to push the conversion out of the packed history.
    b.SetCaret({0, 2});
    for (int i = 0; i < 3000; ++i)
        b.TypeChar('z');
    EXPECT_FALSE(b.HistoryComplete());
    b.OemFile = true;
    while (b.CanUndo())
        b.Undo();
    EXPECT_TRUE(b.OemFile);
    EXPECT_EQ(b.GetAllText().substr(0, 1), "y");
}
