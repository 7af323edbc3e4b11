// Which lines of a document the "Références" window lists for a word.
#include "editor/U_References.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace kep;

namespace {

// Buffer from lines joined by CR LF.
void Fill(TTextBuffer& b, const std::vector<std::string>& lines)
{
    std::string text;
    for (std::size_t i = 0; i < lines.size(); ++i)
        text += lines[i] + (i + 1 < lines.size() ? "\r\n" : "");
    b.SetAllText(text);
}

std::vector<std::int32_t> Numbers(const std::vector<TRefItem>& items)
{
    std::vector<std::int32_t> n;
    for (const TRefItem& i : items)
        if (!i.Header)
            n.push_back(i.Number);
    return n;
}

constexpr unsigned CaseExactWord = roMotSeul;
constexpr unsigned CaseBlindWord = roMotSeul | roMinMaj;

} // namespace

TEST(DocumentRefs, HeaderThenMatchingLinesWithTheirTextAsStored)
{
    TTextBuffer b;
    Fill(b, {"\tList\tprocessor 16F84", "Loop\tdecf\tcount,f ; loop again", "\tnop", "\tgoto\tloop"});
    const auto items = DocumentRefs("loop", CaseBlindWord, "main.asm", "/projets/demo/main.asm", b, 0, 3);
    ASSERT_EQ(items.size(), 3u);

    EXPECT_TRUE(items[0].Header);
    EXPECT_EQ(items[0].Entry, 3);
    EXPECT_EQ(items[0].LineId, -1);
    EXPECT_EQ(items[0].Text, "main.asm");
    EXPECT_EQ(items[0].Folder, "/projets/demo");

    EXPECT_FALSE(items[1].Header);
    EXPECT_EQ(items[1].Entry, 3);
    EXPECT_EQ(items[1].Number, 2);
    EXPECT_EQ(items[1].LineId, b.GetLineId(1));
    // Neither upper-cased nor cut at the comment, as the search saw it.
    EXPECT_EQ(items[1].Text, "Loop\tdecf\tcount,f ; loop again");
    EXPECT_EQ(items[2].Number, 4);
    EXPECT_EQ(items[2].Text, "\tgoto\tloop");
}

TEST(DocumentRefs, FileNameWithoutFolderGivesAnEmptyFolder)
{
    TTextBuffer b;
    Fill(b, {"loop"});
    const auto items = DocumentRefs("loop", CaseBlindWord, "a.asm", "a.asm", b, 0, 0);
    ASSERT_FALSE(items.empty());
    EXPECT_EQ(items[0].Folder, "");
}

TEST(DocumentRefs, CommentsAreSearchedOnlyWithRemarques)
{
    TTextBuffer b;
    Fill(b, {"\tnop ; wait for Delay", "; Delay is computed below", "\tmovlw\t5"});
    // No line outside comments: the document does not appear, not even its header.
    int caret = 7;
    EXPECT_TRUE(DocumentRefs("Delay", CaseBlindWord, "a.asm", "/x/a.asm", b, 0, 0, &caret).empty());
    EXPECT_EQ(caret, -1);

    EXPECT_EQ(Numbers(DocumentRefs("Delay", CaseBlindWord | roRemarques, "a.asm", "/x/a.asm", b, 0, 0)),
              (std::vector<std::int32_t>{1, 2}));
}

TEST(DocumentRefs, CaseAndWholeWordOptions)
{
    TTextBuffer b;
    Fill(b, {"LOOP", "Loops", "Loop", "myLoop", "Loop_2"});

    // Case kept, whole word: only the exact spelling standing alone.
    EXPECT_EQ(Numbers(DocumentRefs("Loop", CaseExactWord, "a", "a", b, 0, 0)), (std::vector<std::int32_t>{3}));
    // Case ignored: "LOOP" joins.
    EXPECT_EQ(Numbers(DocumentRefs("Loop", CaseBlindWord, "a", "a", b, 0, 0)), (std::vector<std::int32_t>{1, 3}));
    // Part of a word, case kept.
    EXPECT_EQ(Numbers(DocumentRefs("Loop", 0, "a", "a", b, 0, 0)), (std::vector<std::int32_t>{2, 3, 4, 5}));
    // Part of a word, case ignored.
    EXPECT_EQ(Numbers(DocumentRefs("loop", roMinMaj, "a", "a", b, 0, 0)),
              (std::vector<std::int32_t>{1, 2, 3, 4, 5}));
}

TEST(DocumentRefs, AccentedLettersAndUnderscoreBelongToTheWord)
{
    TTextBuffer b;
    Fill(b, {"compte\xE9", "\xE9" "compte", "compte_1", "_compte", "compte+1", "(compte)"});
    EXPECT_EQ(Numbers(DocumentRefs("compte", CaseBlindWord, "a", "a", b, 0, 0)), (std::vector<std::int32_t>{5, 6}));
    // A word ending in an accented letter is found as a whole word too, and
    // case blindness leaves that letter alone.
    EXPECT_EQ(Numbers(DocumentRefs("COMPTE\xE9", CaseBlindWord, "a", "a", b, 0, 0)), (std::vector<std::int32_t>{1}));
    EXPECT_TRUE(DocumentRefs("compte\xC9", CaseBlindWord, "a", "a", b, 0, 0).empty());
}

TEST(DocumentRefs, OnlyTheLinesOfTheView)
{
    TTextBuffer b;
    std::vector<std::string> lines(30, "\tcall\tdelay");
    Fill(b, lines);
    TEditView& limited = b.AddView();
    limited.ViewMinLine = 10;
    limited.ViewMaxLine = 20;

    auto items = DocumentRefs("delay", CaseBlindWord, "a", "a", b, 1, 0);
    std::vector<std::int32_t> expected;
    for (int n = 11; n <= 21; ++n)
        expected.push_back(n);
    EXPECT_EQ(Numbers(items), expected);

    // The first view has no limits.
    EXPECT_EQ(Numbers(DocumentRefs("delay", CaseBlindWord, "a", "a", b, 0, 0)).size(), 30u);

    // A limit past the end of the text stops at the last line.
    limited.ViewMaxLine = 500;
    EXPECT_EQ(Numbers(DocumentRefs("delay", CaseBlindWord, "a", "a", b, 1, 0)).back(), 30);
}

TEST(DocumentRefs, UnknownViewNumberMeansTheActiveView)
{
    TTextBuffer b;
    Fill(b, {"x", "x", "x", "x"});
    TEditView& second = b.AddView();
    second.ViewMinLine = 2;
    second.ViewMaxLine = 2;
    b.SelectView(1);
    ASSERT_EQ(b.ActiveView(), 1);
    EXPECT_EQ(Numbers(DocumentRefs("x", 0, "a", "a", b, 9, 0)), (std::vector<std::int32_t>{3}));
    EXPECT_EQ(Numbers(DocumentRefs("x", 0, "a", "a", b, -1, 0)), (std::vector<std::int32_t>{3}));
    EXPECT_EQ(Numbers(DocumentRefs("x", 0, "a", "a", b, 0, 0)).size(), 4u);
}

TEST(DocumentRefs, ItemsStillFindTheirLineAfterInsertionsAbove)
{
    TTextBuffer b;
    Fill(b, {"start", "\tgoto\tfin", "fin\tsleep"});
    const auto items = DocumentRefs("fin", CaseBlindWord, "a", "a", b, 0, 0);
    ASSERT_EQ(Numbers(items), (std::vector<std::int32_t>{2, 3}));

    b.InsertLine(0, "; header");
    b.InsertLine(0, "; another");
    EXPECT_EQ(b.FindLineById(items[1].LineId), 3);
    EXPECT_EQ(b.FindLineById(items[2].LineId), 4);
    EXPECT_EQ(b.GetLine(b.FindLineById(items[2].LineId)), "fin\tsleep");
    // The number is the one at listing time.
    EXPECT_EQ(items[2].Number, 3);

    // Listed again now that identities and numbers differ, the items carry
    // the identities.
    const auto again = DocumentRefs("fin", CaseBlindWord, "a", "a", b, 0, 0);
    ASSERT_EQ(Numbers(again), (std::vector<std::int32_t>{4, 5}));
    EXPECT_EQ(again[1].LineId, items[1].LineId);
    EXPECT_EQ(again[2].LineId, items[2].LineId);
}

TEST(DocumentRefs, CaretItemIsTheItemOfTheCaretLine)
{
    TTextBuffer b;
    Fill(b, {"a", "b", "a", "c", "a"});
    int caret = 0;

    b.View().Caret = TTextPos{2, 1};
    auto items = DocumentRefs("a", 0, "e", "e", b, 0, 0, &caret);
    ASSERT_EQ(items.size(), 4u); // header, lines 1, 3, 5
    EXPECT_EQ(caret, 2);
    EXPECT_EQ(items[std::size_t(caret)].Number, 3);

    // The caret on a line without the word.
    b.View().Caret = TTextPos{3, 1};
    DocumentRefs("a", 0, "e", "e", b, 0, 0, &caret);
    EXPECT_EQ(caret, -1);

    // The caret of the view asked for, not of the active one.
    TEditView& other = b.AddView();
    other.Caret = TTextPos{4, 1};
    DocumentRefs("a", 0, "e", "e", b, 1, 0, &caret);
    EXPECT_EQ(caret, 3);

    // No pointer given is fine.
    EXPECT_EQ(DocumentRefs("a", 0, "e", "e", b, 0, 0).size(), 4u);
}

TEST(DocumentRefs, EmptyWordOrEmptyLinesGiveNothing)
{
    TTextBuffer b;
    Fill(b, {"", "\tnop", ""});
    int caret = 5;
    EXPECT_TRUE(DocumentRefs("", 0, "a", "a", b, 0, 0, &caret).empty());
    EXPECT_EQ(caret, -1);
    // A line reduced to nothing by the comment cut is skipped even for a
    // pattern that would match anything.
    Fill(b, {";;", "; ;"});
    EXPECT_TRUE(DocumentRefs(";", 0, "a", "a", b, 0, 0).empty());
    EXPECT_EQ(Numbers(DocumentRefs(";", roRemarques, "a", "a", b, 0, 0)), (std::vector<std::int32_t>{1, 2}));
}

TEST(RefOptions, TextRoundTripAndDefaults)
{
    EXPECT_EQ(ParseRefOptions("0,1,1"), roMotSeul | roMinMaj);
    EXPECT_EQ(ParseRefOptions("1,0,1"), roRemarques | roMinMaj);
    EXPECT_EQ(RefOptionsText(roRemarques | roMinMaj), "1,0,1");
    for (unsigned o = 0; o < 8; ++o)
        EXPECT_EQ(ParseRefOptions(RefOptionsText(o)), o) << o;

    // No text: the boxes as a first start shows them.
    EXPECT_EQ(ParseRefOptions(""), RefOptionsDefaut);
    EXPECT_EQ(ParseRefOptions("  "), RefOptionsDefaut);
    // Any text: what is missing or unreadable is off.
    EXPECT_EQ(ParseRefOptions("1"), unsigned(roRemarques));
    EXPECT_EQ(ParseRefOptions("0,1"), unsigned(roMotSeul));
    EXPECT_EQ(ParseRefOptions("x,oui,1"), unsigned(roMinMaj));
    EXPECT_EQ(ParseRefOptions("0,0,0"), 0u);
    EXPECT_EQ(ParseRefOptions(" 1 , 1 ,1"), roRemarques | roMotSeul | roMinMaj);
}
