// Line states kept with the text and brought up to date lazily.
#include "editor/LineStates.h"
#include "editor/TextBuffer.h"
#include "editor/U_Syntaxe.h"

#include <gtest/gtest.h>

#include <functional>
#include <random>
#include <string>
#include <vector>

using namespace kep;

namespace {

constexpr std::int32_t kUnset = 0x5A5A5A5A; // no state NextState can give

std::string Join(const std::vector<std::string>& lines)
{
    std::string text;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (i)
            text += "\r\n";
        text += lines[i];
    }
    return text;
}

// States of every line computed from scratch.
std::vector<std::uint32_t> Expected(const TTextBuffer& b)
{
    std::vector<std::uint32_t> s(std::size_t(b.LineCount()));
    std::uint32_t state = 0;
    for (std::int32_t i = 0; i < b.LineCount(); ++i) {
        s[std::size_t(i)] = state;
        state = NextState(state, b.GetLine(i));
    }
    return s;
}

void Poison(TTextBuffer& b, std::int32_t from)
{
    for (std::int32_t i = from; i < b.LineCount(); ++i)
        b.SetLineState(i, kUnset);
}

TEST(LineStates, ComputedOnlyUpToTheLineAsked)
{
    TTextBuffer b;
    b.SetAllText(Join({"start", " MACRO", " nop", " MEND", " #IF X", " nop", " #ENDIF", "fin"}));
    ASSERT_EQ(b.StateValidBefore(), 0);
    Poison(b, 0);
    const TStateUpdate u = BringStatesUpTo(b, 3);
    EXPECT_EQ(u.First, 0);
    EXPECT_EQ(u.Last, 3);
    EXPECT_EQ(b.StateValidBefore(), 4);
    const auto want = Expected(b);
    for (std::int32_t i = 0; i <= 3; ++i)
        EXPECT_EQ(std::uint32_t(b.LineState(i)), want[std::size_t(i)]) << i;
    for (std::int32_t i = 4; i < b.LineCount(); ++i)
        EXPECT_EQ(b.LineState(i), kUnset) << i;
    EXPECT_EQ(b.LineState(2), std::int32_t(csMacro | 1 << 8));

    // Asking again, or for less, computes nothing.
    Poison(b, 4);
    EXPECT_FALSE(BringStatesUpTo(b, 2).Any());
    EXPECT_FALSE(BringStatesUpTo(b, 3).Any());
    // Further down continues from the mark; past the end is clamped.
    const TStateUpdate rest = BringStatesUpTo(b, 1000);
    EXPECT_EQ(rest.First, 4);
    EXPECT_EQ(rest.Last, 7);
    EXPECT_EQ(b.StateValidBefore(), b.LineCount());
    for (std::int32_t i = 0; i < b.LineCount(); ++i)
        EXPECT_EQ(std::uint32_t(b.LineState(i)), Expected(b)[std::size_t(i)]) << i;
    EXPECT_FALSE(BringStatesUpTo(b, -1).Any());
}

TEST(LineStates, AnEditRevalidatesOnlyWhatIsNeeded)
{
    std::vector<std::string> lines(200, " nop");
    lines[10] = " REPEAT";
    lines[20] = " UNTIL";
    TTextBuffer b;
    b.SetAllText(Join(lines));
    BringStatesUpTo(b, b.LineCount() - 1);

    // A line that changes no state: nothing to repaint, only its follower computed.
    b.SetLine(50, " ld a,b");
    EXPECT_EQ(b.StateValidBefore(), 50);
    Poison(b, 52);
    EXPECT_FALSE(BringStatesUpTo(b, 51).Any());
    EXPECT_EQ(b.LineState(52), kUnset);
    BringStatesUpTo(b, b.LineCount() - 1);

    // Opening a macro on line 30 changes the lines after it, up to the line asked.
    b.SetLine(30, " MACRO");
    Poison(b, 61);
    const TStateUpdate u = BringStatesUpTo(b, 60);
    EXPECT_EQ(u.First, 31);
    EXPECT_EQ(u.Last, 60);
    EXPECT_EQ(b.LineState(45), std::int32_t(csMacro | 1 << 8));
    EXPECT_EQ(b.LineState(61), kUnset);
    EXPECT_EQ(b.LineState(15), std::int32_t(csLoop | 1 << 16)); // above the edit: untouched
    EXPECT_EQ(b.StateValidBefore(), 61);
}

TEST(LineStates, ALineInsertedInAMacroHasTheMacroStateWhenAskedForAlone)
{
    // Every way a line comes into a macro body, all states valid before it;
    // the painter then asks for exactly the new line.
    const std::string text = Join({"start", " MACRO", " nop", " nop", " MEND", "fin"});
    const auto inMacro = std::int32_t(csMacro | 1 << 8);
    struct Case {
        const char* what;
        std::function<void(TTextBuffer&)> insert;
        std::int32_t line; // the new line
    };
    const std::vector<Case> cases = {
        {"inserted line", [](TTextBuffer& b) { b.InsertLine(3, " ld a,b"); }, 3},
        {"inserted before the end of the macro", [](TTextBuffer& b) { b.InsertLine(4, " ld a,b"); }, 4},
        {"line break at a line's start",
         [](TTextBuffer& b) {
             b.SetCaret({3, 1});
             b.Enter();
         },
         3},
        {"line break inside a line",
         [](TTextBuffer& b) {
             b.SetCaret({2, 3});
             b.Enter();
         },
         3},
        {"line break at a line's end",
         [](TTextBuffer& b) {
             b.SetCaret({2, 5});
             b.Enter();
         },
         3},
        {"pasted lines",
         [](TTextBuffer& b) {
             b.SetCaret({3, 1});
             b.Clipboard().SetText(" ld a,b\r\n ld b,c\r\n");
             b.PasteFromClipboard();
         },
         3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TTextBuffer b;
        b.SetAllText(text);
        BringStatesUpTo(b, b.LineCount() - 1);
        ASSERT_EQ(b.StateValidBefore(), b.LineCount());
        ASSERT_EQ(b.LineState(3), inMacro);
        c.insert(b);
        ASSERT_GT(b.LineCount(), 6);
        BringStatesUpTo(b, c.line);
        EXPECT_EQ(b.LineState(c.line), inMacro);
        // The lines below follow on from it.
        BringStatesUpTo(b, b.LineCount() - 1);
        const auto want = Expected(b);
        for (std::int32_t i = 0; i < b.LineCount(); ++i)
            EXPECT_EQ(std::uint32_t(b.LineState(i)), want[std::size_t(i)]) << i;
    }
}

TEST(LineStates, InsertionsAndDeletionsKeepStatesRight)
{
    std::mt19937 rng(5);
    const std::vector<std::string> pool = {" MACRO", " MEND", " REPEAT", " UNTIL", " #IF A", " #ENDIF",
                                           " nop", "; MACRO", "lab: ld a,b", ""};
    TTextBuffer b;
    std::vector<std::string> lines;
    for (int i = 0; i < 60; ++i)
        lines.push_back(pool[rng() % pool.size()]);
    b.SetAllText(Join(lines));
    for (int round = 0; round < 400; ++round) {
        const std::int32_t n = b.LineCount();
        const std::int32_t at = std::int32_t(rng() % std::uint32_t(n));
        switch (rng() % 3) {
        case 0: b.InsertLine(at, pool[rng() % pool.size()]); break;
        case 1: if (n > 1) b.DeleteLine(at); break;
        default: b.SetLine(at, pool[rng() % pool.size()]); break;
        }
        // The painter asks for some window of lines, sometimes all of them.
        const std::int32_t upTo = (round % 5 == 0) ? b.LineCount() - 1 : std::int32_t(rng() % std::uint32_t(b.LineCount()));
        BringStatesUpTo(b, upTo);
        const auto want = Expected(b);
        for (std::int32_t i = 0; i <= upTo; ++i)
            ASSERT_EQ(std::uint32_t(b.LineState(i)), want[std::size_t(i)]) << "round " << round << " line " << i;
    }
}

} // namespace
