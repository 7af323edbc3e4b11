// Offsets and change reports kept in step by every editing command: a mirror
// of the text built only from the reports must equal the text, and offsets
// must agree with a count from the start.
#include "editor/TextBuffer.h"
#include "editor/TextChanges.h"

#include <gtest/gtest.h>

#include <random>

namespace {

std::string Joined(const TTextBuffer& b)
{
    std::string out;
    for (std::int32_t i = 0; i < b.LineCount(); ++i) {
        if (i)
            out += '\n';
        out += b.GetLine(i);
    }
    return out;
}

struct TMirror {
    explicit TMirror(TTextBuffer& b) : Feed(b)
    {
        Text = Joined(b);
        Feed.OnChange = [this](std::int64_t at, std::string_view removed, std::string_view inserted) {
            ASSERT_LE(std::size_t(at) + removed.size(), Text.size());
            ASSERT_EQ(Text.substr(std::size_t(at), removed.size()), removed) << "at " << at;
            Text.replace(std::size_t(at), removed.size(), inserted);
            ++Reports;
        };
        Feed.OnReset = [this, &b](std::int64_t oldChars) {
            EXPECT_EQ(oldChars, std::int64_t(Text.size()));
            Text = Joined(b);
        };
        b.SetLineObserver(&Feed);
    }
    TTextChangeFeed Feed;
    std::string Text;
    int Reports = 0;
};

} // namespace

TEST(TextChanges, TypingReportsOnlyWhatChanged)
{
    TTextBuffer b;
    b.SetAllText("abc\r\ndef\r\nghi");
    std::vector<std::tuple<std::int64_t, std::string, std::string>> seen;
    TTextChangeFeed feed(b);
    feed.OnChange = [&](std::int64_t at, std::string_view r, std::string_view i) {
        seen.emplace_back(at, std::string(r), std::string(i));
    };
    b.SetLineObserver(&feed);
    b.SetCaret({1, 2});
    b.TypeChar('X'); // "dXef"
    b.Enter();       // "dX" and a new line "ef" before "ghi"
    b.SetCaret({2, 3});
    b.Backspace();   // "e"
    b.SetCaret({2, 2});
    b.Enter();       // an empty line after it
    using T = std::tuple<std::int64_t, std::string, std::string>;
    const std::vector<T> expected{
        T{5, "", "X"}, T{6, "ef", ""}, T{7, "", "ef\n"}, T{8, "f", ""}, T{9, "", "\n"},
    };
    EXPECT_EQ(seen, expected);
    EXPECT_EQ(Joined(b), "abc\ndX\ne\n\nghi");
    b.SetLineObserver(nullptr);
}

TEST(TextChanges, MirrorFollowsEveryCommand)
{
    std::mt19937 rng(5);
    TTextBuffer b;
    b.SetAllText("first\r\n\tsecond line\r\nthird\r\n\r\nlast");
    TMirror m(b);
    // Offsets from here on come from the index, kept in step by each edit.
    EXPECT_EQ(b.CharCount(), std::int64_t(m.Text.size()));
    for (int step = 0; step < 600; ++step) {
        const std::int32_t line = std::int32_t(rng() % std::uint32_t(b.LineCount()));
        const std::int32_t col = std::int32_t(rng() % (b.GetLine(line).size() + 1)) + 1;
        b.SetCaret({line, col});
        b.ClearSelection();
        b.SetAnchor(b.Caret());
        switch (rng() % 12) {
        case 0: b.TypeChar('a' + rng() % 26); break;
        case 1: b.Enter(); break;
        case 2: b.Backspace(); break;
        case 3: b.DeleteKey(); break;
        case 4: b.DeleteCurrentLine(); break;
        case 5: b.InsertText(rng() % 2 ? "x\r\ny\r\nz" : "\r\n"); break;
        case 6: {
            const std::int32_t l2 = std::int32_t(rng() % std::uint32_t(b.LineCount()));
            b.SelectRange(b.Caret(), {l2, 1});
            if (rng() % 2)
                b.ReplaceSelectionBy("new\r\ntext");
            else
                b.IndentBlock();
            break;
        }
        case 7: b.Undo(); break;
        // The line table as programs change it.
        case 8: b.InsertLine(line + std::int32_t(rng() % 2), "inserted"); break;
        case 9: b.DeleteLine(line); break;
        case 10: b.ReplaceLines(line, std::int32_t(rng() % 3), {"r1", "r2"}); break;
        default: b.TypeChar('\t'); break;
        }
        ASSERT_EQ(m.Text, Joined(b)) << "step " << step;
        ASSERT_EQ(b.CharCount(), std::int64_t(m.Text.size()));
        // Offsets of a few positions against a count from the start.
        for (int k = 0; k < 3; ++k) {
            const std::int32_t l = std::int32_t(rng() % std::uint32_t(b.LineCount()));
            const std::int32_t c = std::int32_t(rng() % (b.GetLine(l).size() + 1)) + 1;
            std::int64_t naive = 0;
            for (std::int32_t i = 0; i < l; ++i)
                naive += std::int64_t(b.GetLine(i).size()) + 1;
            naive += c - 1;
            ASSERT_EQ(b.OffsetOf({l, c}), naive);
            ASSERT_EQ(b.PosAtOffset(naive), (TTextPos{l, c}));
        }
    }
    EXPECT_GT(m.Reports, 300);
    // A new text as a whole is one reset.
    b.SetAllText("one\r\ntwo");
    EXPECT_EQ(m.Text, "one\ntwo");
    EXPECT_EQ(b.OffsetOf({1, 3}), 6);
    b.SetLineObserver(nullptr);
}

// With no client listening nothing is reported; one that starts listening
// later reads the text once and follows from there.
TEST(TextChanges, SilentUntilAClientListens)
{
    TTextBuffer b;
    b.SetAllText("abc\r\ndef");
    TMirror m(b);
    bool listening = false;
    m.Feed.Wanted = [&listening] { return listening; };
    b.SetCaret({1, 4});
    b.TypeChar('g');
    b.Enter();
    EXPECT_EQ(m.Reports, 0);
    listening = true;
    m.Text = Joined(b);
    b.TypeChar('h');
    b.SetCaret({0, 1});
    b.DeleteCurrentLine();
    EXPECT_EQ(m.Reports, 2);
    EXPECT_EQ(m.Text, "defg\nh");
    EXPECT_EQ(b.OffsetOf({1, 2}), 6);
    b.SetLineObserver(nullptr);
}
