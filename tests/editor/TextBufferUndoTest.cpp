// The undo history: single steps back to the saved text, the packed buffer
// discarding its oldest records, edits too large to record.
#include "editor/TextBuffer.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

TEST(TextBufferUndo, TypingThenUndoingReturnsToTheSavedText)
{
    TTextBuffer b;
    int toggles = 0;
    b.OnModifiedToggle = [&] { ++toggles; };
    b.SetAllText("mov a,b");
    b.MarkSaved();
    toggles = 0;
    b.SetCaret({0, 8});
    for (char c : std::string("xyz"))
        b.TypeChar(static_cast<unsigned char>(c));
    EXPECT_TRUE(b.Modified());
    EXPECT_EQ(b.UndoCount(), 3);
    b.Undo();
    b.Undo();
    EXPECT_TRUE(b.Modified());
    b.Undo();
    EXPECT_EQ(b.GetAllText(), "mov a,b");
    EXPECT_FALSE(b.Modified());
    EXPECT_FALSE(b.CanUndo());
    EXPECT_EQ(toggles, 2);
    b.Undo(); // nothing left
    EXPECT_EQ(b.GetAllText(), "mov a,b");
}

TEST(TextBufferUndo, UndoingPastASaveLeavesTheTextModified)
{
    TTextBuffer b;
    b.SetAllText("");
    b.MarkSaved();
    b.TypeChar('a');
    b.MarkSaved(); // the file now holds "a"
    b.TypeChar('b');
    b.Undo();
    EXPECT_FALSE(b.Modified()); // back at the saved text
    b.Undo();
    EXPECT_EQ(b.GetAllText(), "");
    EXPECT_TRUE(b.Modified()); // differs from the file

    // Once new typing replaces undone records, the saved text is out of reach.
    TTextBuffer c;
    c.TypeChar('a');
    c.MarkSaved();
    c.Undo();
    c.TypeChar('z');
    c.Undo();
    EXPECT_EQ(c.GetAllText(), "");
    EXPECT_TRUE(c.Modified());
}

TEST(TextBufferUndo, MultiLineEditsUndoExactly)
{
    TTextBuffer b;
    TMemoryClipboard clip;
    b.SetClipboard(&clip);
    const std::string original = "line one\r\nline two\r\n\tthree\r\nfour";
    b.SetAllText(original);
    b.MarkSaved();
    b.SelectRange({0, 6}, {2, 3});
    b.CutToClipboard();
    b.SetCaret({0, 1});
    clip.SetText("A\r\nB\rC\nD");
    b.PasteFromClipboard();
    b.SetCaret({1, 1});
    b.Enter();
    b.DeleteKey();
    b.SetCaret({0, 3});
    b.Backspace();
    b.Backspace();
    b.Backspace(); // joins two lines
    for (int i = 0; i < 7; ++i)
        b.Undo();
    EXPECT_EQ(b.GetAllText(), original);
    EXPECT_FALSE(b.Modified());
}

TEST(TextBufferUndo, ARecordWrittenOverAnUndoneOneKeepsItsOwnText)
{
    // A new edit after an undo reuses the undone record's place in the
    // history; whatever the lengths of the two replaced texts, undoing the
    // new edit must give back exactly its own text.
    using TEdit = std::function<void(TTextBuffer&)>;
    const TEdit replaceAll = [](TTextBuffer& b) {
        b.SelectRange({0, 1}, {b.LineCount() - 1, std::int32_t(b.GetLine(b.LineCount() - 1).size()) + 1});
        b.TypeChar('x');
    };
    const auto deleteRange = [](TTextPos from, TTextPos to) {
        return TEdit([=](TTextBuffer& b) {
            b.SelectRange(from, to);
            b.DeleteKey();
        });
    };
    const auto replaceRange = [](TTextPos from, TTextPos to, std::string text) {
        return TEdit([=](TTextBuffer& b) {
            b.SelectRange(from, to);
            b.Clipboard().SetText(text);
            b.PasteFromClipboard();
        });
    };
    const auto typeAt = [](TTextPos at, char c) {
        return TEdit([=](TTextBuffer& b) {
            b.SetCaret(at);
            b.TypeChar(static_cast<unsigned char>(c));
        });
    };
    struct Case {
        const char* what;
        std::string text;
        TEdit first, second;
    };
    const std::vector<Case> cases = {
        {"shorter deletion after a replacement", "hello world", replaceAll, deleteRange({0, 1}, {0, 6})},
        {"shorter replacement after a deletion", "hello world", deleteRange({0, 1}, {0, 12}),
         replaceRange({0, 1}, {0, 6}, "bye")},
        {"insertion after a replacement", "hello world", replaceRange({0, 1}, {0, 6}, "x"), typeAt({0, 12}, '!')},
        {"longer deletion after a typed letter", "hello world", typeAt({0, 6}, ','), deleteRange({0, 1}, {0, 12})},
        {"longer replacement after a deletion", "hello world", deleteRange({0, 6}, {0, 7}),
         replaceRange({0, 1}, {0, 12}, "a\r\nb")},
        {"equal deletions", "hello world", deleteRange({0, 1}, {0, 6}), deleteRange({0, 7}, {0, 12})},
        {"equal replacements", "hello world", replaceRange({0, 7}, {0, 12}, "there"),
         replaceRange({0, 1}, {0, 6}, "HELLO")},
        {"line break after a multi-line deletion", "hello\r\nworld\r\n!", deleteRange({0, 3}, {2, 2}),
         [](TTextBuffer& b) {
             b.SetCaret({1, 3});
             b.Enter();
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TTextBuffer b;
        b.SetAllText(c.text);
        b.MarkSaved();
        c.first(b);
        ASSERT_NE(b.GetAllText(), c.text);
        b.Undo();
        ASSERT_EQ(b.GetAllText(), c.text);
        c.second(b);
        ASSERT_NE(b.GetAllText(), c.text);
        b.Undo();
        EXPECT_EQ(b.GetAllText(), c.text);
        EXPECT_FALSE(b.Modified());
        EXPECT_FALSE(b.CanUndo());
    }

    // The same over an older record that stays: both must come back.
    TTextBuffer b;
    b.SetAllText("hello world");
    b.MarkSaved();
    b.SetCaret({0, 12});
    b.TypeChar('!');
    replaceAll(b);
    b.Undo();
    deleteRange({0, 1}, {0, 2})(b);
    b.Undo();
    EXPECT_EQ(b.GetAllText(), "hello world!");
    b.Undo();
    EXPECT_EQ(b.GetAllText(), "hello world");
    EXPECT_FALSE(b.Modified());
}

TEST(TextBufferUndo, OldestRecordsAreDiscardedWhenTheBufferIsFull)
{
    TTextBuffer b;
    b.SetAllText("");
    b.MarkSaved();
    // 10 deletions of a 5000-character line: 5017 bytes a record, six fit.
    std::string block(5000, 'k');
    std::string text;
    for (int i = 0; i < 10; ++i)
        text += block + "\r\n";
    b.SetAllText(text);
    b.MarkSaved();
    for (int i = 0; i < 10; ++i) {
        b.SetCaret({0, 1});
        b.SelectRange({0, 1}, {1, 1});
        b.DeleteKey();
    }
    ASSERT_EQ(b.GetAllText(), "");
    EXPECT_FALSE(b.HistoryComplete());
    EXPECT_EQ(b.UndoCount(), 6);
    int undone = 0;
    while (b.CanUndo()) {
        b.Undo();
        ++undone;
    }
    EXPECT_EQ(undone, 6);
    // The newest six come back in order; the text cannot reach the saved one.
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(b.GetLine(i), block);
    EXPECT_EQ(b.GetLine(6), "");
    EXPECT_TRUE(b.Modified());
}

TEST(TextBufferUndo, EditTooLargeForTheHistory)
{
    const std::string big(40000, 'q');
    // A handler that says no: nothing changes.
    {
        TTextBuffer b;
        b.SetAllText(big + "\r\nend");
        b.MarkSaved();
        b.SetCaret({1, 4});
        b.TypeChar('!');
        int asked = 0;
        b.OnCannotStoreUndo = [&] {
            ++asked;
            return false;
        };
        b.SelectRange({0, 1}, {0, 40001});
        b.DeleteKey();
        EXPECT_EQ(asked, 1);
        EXPECT_EQ(b.GetLine(0), big);
        EXPECT_TRUE(b.CanUndo());
    }
    // A handler that says yes, or none: the edit proceeds, the history goes.
    for (bool withHandler : {true, false}) {
        TTextBuffer b;
        b.SetAllText(big + "\r\nend");
        b.MarkSaved();
        b.SetCaret({1, 4});
        b.TypeChar('!');
        if (withHandler)
            b.OnCannotStoreUndo = [] { return true; };
        b.SelectRange({0, 1}, {0, 40001});
        b.DeleteKey();
        EXPECT_EQ(b.GetAllText(), "\r\nend!");
        EXPECT_FALSE(b.CanUndo());
        EXPECT_FALSE(b.HistoryComplete());
        EXPECT_TRUE(b.Modified());
    }
}

TEST(TextBufferUndo, InsertionsBeyondSixteenBitsAreNotRecordedWrongly)
{
    TTextBuffer b;
    TMemoryClipboard clip;
    b.SetClipboard(&clip);
    b.SetAllText("keep");
    b.MarkSaved();
    b.SetCaret({0, 5});
    b.TypeChar('.');
    clip.SetText(std::string(70000, 'p'));
    int asked = 0;
    b.OnCannotStoreUndo = [&] {
        ++asked;
        return true;
    };
    b.PasteFromClipboard();
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(b.GetLine(0).size(), 70005u);
    // No record could undo the paste, so none may remain to corrupt the text.
    EXPECT_FALSE(b.CanUndo());
    b.Undo();
    EXPECT_EQ(b.GetLine(0).size(), 70005u);
}

TEST(TextBufferUndo, PackedBufferKeepsRecordsInOrder)
{
    TUndoBuffer u;
    for (int i = 0; i < 3000; ++i)
        u.Push(i, i + 1, std::uint16_t(i % 7), std::string(std::size_t(i % 13), char('a' + i % 26)));
    EXPECT_FALSE(u.HistoryComplete());
    int expected = 2999;
    int bytes = 0;
    while (!u.Empty()) {
        auto r = u.Top();
        ASSERT_EQ(r.Line, expected);
        EXPECT_EQ(r.Col, expected + 1);
        EXPECT_EQ(r.NewLen, expected % 7);
        EXPECT_EQ(r.OldText, std::string(std::size_t(expected % 13), char('a' + expected % 26)));
        bytes += TUndoBuffer::RecordOverhead + int(r.OldText.size());
        u.Pop();
        --expected;
    }
    EXPECT_LE(bytes, TUndoBuffer::Size);
    // The records kept fill the block: the next older one would not have fit.
    const int next = TUndoBuffer::RecordOverhead + expected % 13;
    EXPECT_GT(bytes + next, TUndoBuffer::Size);
}
