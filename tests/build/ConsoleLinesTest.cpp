// Cutting the make tool's console bytes into lines, and the store that keeps
// the last of them for the output window.
#include "build/U_ConsoleLines.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <initializer_list>
#include <random>
#include <string>
#include <vector>

using kep::TConsoleLines;
using kep::TConsoleStore;
using namespace std::string_literals;

namespace {

using TLines = std::vector<std::string>;

// Feeds the reads one after the other, then ends the stream when asked.
TLines Split(std::initializer_list<std::string_view> reads, bool finish = true)
{
    TConsoleLines c;
    TLines out;
    const auto sink = [&](std::string_view line) { out.emplace_back(line); };
    for (std::string_view r : reads)
        c.Feed(r, sink);
    if (finish)
        c.Finish(sink);
    return out;
}

TLines SplitInChunks(std::string_view bytes, const std::vector<std::size_t>& sizes)
{
    TConsoleLines c;
    TLines out;
    const auto sink = [&](std::string_view line) { out.emplace_back(line); };
    std::size_t at = 0;
    for (std::size_t n : sizes) {
        n = std::min(n, bytes.size() - at);
        c.Feed(bytes.substr(at, n), sink);
        at += n;
    }
    c.Feed(bytes.substr(at), sink);
    c.Finish(sink);
    return out;
}

// Line ends of every kind, next to each other, at the edges, around NULs.
const std::string kSample = "\r\ngpasm demo.asm\r\n"
                            "demo.asm:12:Error[113]   Symbol\0 not previously defined\n\r"
                            "\r\r\n\n\0\r\0\nx\ty\r"
                            "a\r\nb\n\rc\r"
                            "q\rw\n"
                            "last without end"s;

} // namespace

// --- Line ends -------------------------------------------------------------

TEST(ConsoleLines, CrLfLfCrAndCrGiveTheirLines)
{
    EXPECT_EQ(Split({"a\r\nb\n\rc\r"}), (TLines{"a", "b", "", "c"}));
}

TEST(ConsoleLines, LfCrIsTwoLineEnds)
{
    EXPECT_EQ(Split({"a\n\rb\n"}), (TLines{"a", "", "b"}));
    EXPECT_EQ(Split({"a\n", "\rb\n"}), (TLines{"a", "", "b"}));
    EXPECT_EQ(Split({"a\r\rb\n"}), (TLines{"a", "", "b"}));
}

TEST(ConsoleLines, LineSplitBetweenTwoReadsIsOneLine)
{
    EXPECT_EQ(Split({"gpasm de", "mo.asm\nfin\n"}), (TLines{"gpasm demo.asm", "fin"}));
    TConsoleLines c;
    TLines out;
    c.Feed("gpasm de", [&](std::string_view l) { out.emplace_back(l); });
    EXPECT_TRUE(out.empty());
    EXPECT_EQ(c.Pending(), "gpasm de");
}

TEST(ConsoleLines, CrEndingOneReadAndLfStartingTheNextAreOneLineEnd)
{
    EXPECT_EQ(Split({"a\r", "\nb\n"}), (TLines{"a", "b"}));
    // Reads with nothing in them do not part the CR from its LF.
    EXPECT_EQ(Split({"a\r", "", "\nb\n"}), (TLines{"a", "b"}));
    EXPECT_EQ(Split({"a\r", "\r\n"}), (TLines{"a", ""}));
}

TEST(ConsoleLines, CrFollowedByTextForgetsTheCr)
{
    // Text after the CR: the LF further on is a line end of its own.
    EXPECT_EQ(Split({"a\r", "b\n"}), (TLines{"a", "b"}));
    EXPECT_EQ(Split({"a\rb", "\n"}), (TLines{"a", "b"}));
    EXPECT_EQ(Split({"a\rb\n\n"}), (TLines{"a", "b", ""}));
}

TEST(ConsoleLines, NulIsDroppedAndTheRestOfTheReadKept)
{
    EXPECT_EQ(Split({"ab\0cd\nef\n"s}), (TLines{"abcd", "ef"}));
    EXPECT_EQ(Split({"\0\0\0"s}), TLines{});
    // Between a CR and its LF it changes nothing.
    EXPECT_EQ(Split({"a\r\0\nb\n"s}), (TLines{"a", "b"}));
    EXPECT_EQ(Split({"a\r", "\0"s, "\nb\n"}), (TLines{"a", "b"}));
}

// --- End of the stream -----------------------------------------------------

TEST(ConsoleLines, FinishShowsTheLastLineWithoutEnd)
{
    TConsoleLines c;
    TLines out;
    const auto sink = [&](std::string_view l) { out.emplace_back(l); };
    c.Feed("Exit code = 0\ntail", sink);
    EXPECT_EQ(out, (TLines{"Exit code = 0"}));
    c.Finish(sink);
    EXPECT_EQ(out, (TLines{"Exit code = 0", "tail"}));
    EXPECT_EQ(c.Pending(), "");
    c.Finish(sink);
    EXPECT_EQ(out.size(), 2u);
}

TEST(ConsoleLines, FinishWithNothingPendingShowsNothing)
{
    EXPECT_EQ(Split({}), TLines{});
    EXPECT_EQ(Split({"a\n"}), (TLines{"a"}));
    EXPECT_EQ(Split({"a\r"}), (TLines{"a"}));
}

TEST(ConsoleLines, FinishStartsANewStream)
{
    TConsoleLines c;
    TLines out;
    const auto sink = [&](std::string_view l) { out.emplace_back(l); };
    c.Feed("a\r", sink);
    c.Finish(sink);
    // The CR of the stream before does not swallow the first LF of this one.
    c.Feed("\nb\n", sink);
    EXPECT_EQ(out, (TLines{"a", "", "b"}));
}

TEST(ConsoleLines, EveryWayOfCuttingTheReadsGivesTheSameLines)
{
    const TLines whole = SplitInChunks(kSample, {});
    ASSERT_EQ(whole, (TLines{"", "gpasm demo.asm", "demo.asm:12:Error[113]   Symbol not previously defined", "", "", "",
                             "", "", "x\ty", "a", "b", "", "c", "q", "w", "last without end"}));
    EXPECT_EQ(SplitInChunks(kSample, std::vector<std::size_t>(kSample.size(), 1)), whole);
    for (std::size_t cut = 0; cut <= kSample.size(); ++cut)
        EXPECT_EQ(SplitInChunks(kSample, {cut}), whole) << "cut at " << cut;
    std::mt19937 random(1234);
    for (int round = 0; round < 300; ++round) {
        std::vector<std::size_t> sizes;
        for (std::size_t at = 0; at < kSample.size();) {
            const std::size_t n = random() % 6; // empty reads too
            sizes.push_back(n);
            at += n;
        }
        EXPECT_EQ(SplitInChunks(kSample, sizes), whole) << "round " << round;
    }
}

// --- Store -----------------------------------------------------------------

TEST(ConsoleStore, KeepsTheLastMaxLinesAndCountsTheOthers)
{
    TConsoleStore s(3, 100);
    for (int i = 0; i < 5; ++i)
        s.Append("l" + std::to_string(i));
    ASSERT_EQ(s.Count(), 3u);
    EXPECT_EQ(s.Line(0), "l2");
    EXPECT_EQ(s.Line(2), "l4");
    EXPECT_EQ(s.Dropped(), 2u);
    EXPECT_EQ(s.Total(), 5u);
    EXPECT_EQ(s.MaxLines(), 3u);
}

TEST(ConsoleStore, HoldsAMillionLinesWithoutSlowingDown)
{
    // Each append pops at most one line: a million of them stay quick.
    TConsoleStore s(1000, 100);
    for (int i = 0; i < 1000000; ++i)
        s.Append("demo.asm:12:Warning");
    EXPECT_EQ(s.Count(), 1000u);
    EXPECT_EQ(s.Dropped(), 999000u);
}

TEST(ConsoleStore, KeepsAtLeastOneLine)
{
    TConsoleStore s(0, 100);
    s.Append("a");
    s.Append("b");
    ASSERT_EQ(s.Count(), 1u);
    EXPECT_EQ(s.Line(0), "b");
    EXPECT_EQ(s.Dropped(), 1u);
}

TEST(ConsoleStore, CutsLongLinesAndSaysSo)
{
    TConsoleStore s(10, 8);
    s.Append("12345678");
    s.Append("123456789");
    s.Append("");
    EXPECT_EQ(s.Line(0), "12345678");
    EXPECT_EQ(s.Line(1), "12345678 [...]");
    EXPECT_EQ(s.Line(2), "");
    EXPECT_EQ(s.LongestLine(), 14u);
    EXPECT_EQ(s.MaxLineBytes(), 8u);
}

TEST(ConsoleStore, CutDoesNotSplitAUtf8Character)
{
    TConsoleStore s(10, 4);
    s.Append("abc\xC3\xA9");     // "abcé" in UTF-8: 5 bytes
    s.Append("ab\xE2\x82\xAC");  // "ab€": the euro sign would be split
    s.Append("abc\x82\x82\x82"); // code page 850 "abcééé": bytes are bytes
    EXPECT_EQ(s.Line(0), "abc [...]");
    EXPECT_EQ(s.Line(1), "ab [...]");
    EXPECT_EQ(s.Line(2), "abc\x82 [...]");
}

TEST(ConsoleStore, AMegabyteLineIsKeptCut)
{
    TConsoleStore s;
    const std::string big(1 << 20, 'x');
    s.Append(big);
    ASSERT_EQ(s.Count(), 1u);
    EXPECT_EQ(s.Line(0).size(), TConsoleStore::DefaultMaxLineBytes + 6);
    EXPECT_EQ(s.Line(0).substr(0, 3), "xxx");
    EXPECT_EQ(s.Line(0).substr(s.Line(0).size() - 6), " [...]");
    EXPECT_EQ(s.LongestLine(), TConsoleStore::DefaultMaxLineBytes + 6);
}

TEST(ConsoleStore, LongestLineRemembersTheWidestAndClearForgetsAll)
{
    TConsoleStore s(2, 100);
    s.Append("long line");
    s.Append("a");
    s.Append("b");
    EXPECT_EQ(s.LongestLine(), 9u);
    s.Clear();
    EXPECT_EQ(s.Count(), 0u);
    EXPECT_EQ(s.Dropped(), 0u);
    EXPECT_EQ(s.Total(), 0u);
    EXPECT_EQ(s.LongestLine(), 0u);
}

TEST(ConsoleStore, TakesTheLinesOfTheSplitter)
{
    TConsoleLines c;
    TConsoleStore s(100, 10);
    const auto sink = [&](std::string_view l) { s.Append(l); };
    c.Feed("gpasm demo.asm\r", sink);
    c.Feed("\nok", sink);
    c.Finish(sink);
    ASSERT_EQ(s.Count(), 2u);
    EXPECT_EQ(s.Line(0), "gpasm demo [...]");
    EXPECT_EQ(s.Line(1), "ok");
}

TEST(ConsoleLines, AStreamWithoutLineEndsStaysBounded)
{
    kep::TConsoleLines s;
    std::vector<std::string> out;
    const auto sink = [&](std::string_view l) { out.emplace_back(l); };
    const std::string chunk(64 * 1024, 'x');
    for (int i = 0; i < 40; ++i) // 2.5 MB without an end
        s.Feed(chunk, sink);
    EXPECT_EQ(s.Pending().size(), kep::TConsoleLines::MaxPending);
    s.Feed("\nsuite\n", sink);
    ASSERT_EQ(out.size(), 2u);
    EXPECT_EQ(out[0].size(), kep::TConsoleLines::MaxPending);
    EXPECT_EQ(out[1], "suite");
}
