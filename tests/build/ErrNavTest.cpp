// Reading error blocks out of an error file laid out by the user.
#include "build/U_ErrNav.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

using namespace kep;

namespace {

// The error file's lines; asking for one outside the file fails the test,
// since the navigation must never read there.
struct TErrFile {
    std::vector<std::string> Lines;
    TLineAt At() const
    {
        return [this](std::int32_t i) -> const std::string& {
            static const std::string none;
            if (i < 0 || i >= std::int32_t(Lines.size())) {
                ADD_FAILURE() << "line " << i << " asked of a file of " << Lines.size() << " lines";
                return none;
            }
            return Lines[std::size_t(i)];
        };
    }
    std::optional<TErrBlock> Next(std::int32_t from, const TErrLayout& layout) const
    {
        return NextErrorBlock(At(), std::int32_t(Lines.size()), from, layout);
    }
};

TErrLayout DefaultLayout()
{
    return ErrLayoutOf(TErrDefaults{});
}

} // namespace

// --- Markers and fields ---

TEST(ErrMarkers, ColumnMarkersTakeFixedColumnsWhateverTheText)
{
    EXPECT_EQ(ChampEntre("abcdefghijklmnop", "#5", "#12"), "efghijkl");
    EXPECT_EQ(ChampEntre("((((((((((((((((", "#5", "#12"), "((((((((");
    // The added length plays no part for a column marker.
    EXPECT_EQ(PosMarqueur("#5", "xx", 3), 5);
    EXPECT_EQ(PosMarqueur("#12", "xx", -1), 12);
    EXPECT_EQ(PosMarqueur("#5x", "", 0), 5);
}

TEST(ErrMarkers, HashWithoutDigitsIsColumnZeroAndStartsAtOne)
{
    EXPECT_EQ(PosMarqueur("#", "abc", 1), 0);
    EXPECT_EQ(PosMarqueur("#x3", "abc", 1), 0);
    EXPECT_EQ(PosMarqueur("#-3", "abc", 1), 0);
    EXPECT_EQ(PosMarqueur("#99999999999", "abc", 1), 0);
    EXPECT_EQ(ChampEntre("abcdef", "#", "#3"), "abc");
}

TEST(ErrMarkers, TextMarkersGiveTheColumnsAroundTheirFirstOccurrence)
{
    EXPECT_EQ(PosMarqueur("(", "P(27):(", 1), 3);
    EXPECT_EQ(PosMarqueur("):", "P(27):(", -1), 4);
    EXPECT_EQ(ChampEntre("PROG.ASM(27): as: x (3):", "(", "):"), "27");
}

TEST(ErrMarkers, AbsentStartTextGivesItsOwnLengthSoTheFieldIsUsuallyEmpty)
{
    EXPECT_EQ(PosMarqueur("<<", "a):b", 2), 2);
    EXPECT_EQ(ChampEntre("a):b", "<<", "):"), "");
    // Not always: with an end further on the field starts at that column.
    EXPECT_EQ(ChampEntre("abcd):", "<<", "):"), "bcd");
}

TEST(ErrMarkers, EndPastTheLineStopsAtItsEndAndAbsentEndGivesNothing)
{
    EXPECT_EQ(ChampEntre("abc", "#2", "#99"), "bc");
    EXPECT_EQ(ChampEntre("abc", "#4", "#99"), "");
    EXPECT_EQ(ChampEntre("abc", "#1", ")"), "");
    EXPECT_EQ(ChampEntre("", "#1", "#5"), "");
}

TEST(ErrMarkers, EmptyMarkersAreNeverFound)
{
    EXPECT_EQ(PosMarqueur("", "abc", 0), 0);
    EXPECT_EQ(PosMarqueur("", "abc", -1), -1);
    EXPECT_EQ(ChampEntre("abc", "", "#2"), "ab");
    EXPECT_EQ(ChampEntre("abc", "#1", ""), "");
}

TEST(ErrMarkers, EntierDebutReadsTheLeadingNumberOnly)
{
    EXPECT_EQ(EntierDebut("  27):"), 27);
    EXPECT_EQ(EntierDebut("007"), 7);
    EXPECT_EQ(EntierDebut(""), 0);
    EXPECT_EQ(EntierDebut("x1"), 0);
    EXPECT_EQ(EntierDebut("-3"), 0);
    EXPECT_EQ(EntierDebut("\t3"), 0);
    EXPECT_EQ(EntierDebut("2147483647"), INT_MAX);
    EXPECT_EQ(EntierDebut("2147483648"), 0);
    EXPECT_EQ(EntierDebut("99999999999999999999999"), 0);
}

// --- Layout values ---

TEST(ErrLayout, BlockSizeParsedAndClampedLinePositionsClamped)
{
    TErrDefaults d;
    const auto size = [&](const char* text) {
        d.NbrLigErr = text;
        return ErrLayoutOf(d).NbrLigErr;
    };
    EXPECT_EQ(size("3"), 3);
    EXPECT_EQ(size(" 12 lignes"), 12);
    EXPECT_EQ(size("abc"), 1);
    EXPECT_EQ(size(""), 1);
    EXPECT_EQ(size("0"), 1);
    EXPECT_EQ(size("-5"), 1);
    EXPECT_EQ(size("1000"), 1000);
    EXPECT_EQ(size("1001"), 1000);
    EXPECT_EQ(size("99999999999"), 1000);

    d.LigMarqErr = -1;
    d.LigMarqErr2 = 21;
    d.LigNomFich = 20;
    d.LigNumLig = INT_MIN;
    d.FichErr = "x.err";
    d.DebNumLig = " [ ";
    const TErrLayout l = ErrLayoutOf(d);
    EXPECT_EQ(l.LigMarqErr, 0);
    EXPECT_EQ(l.LigMarqErr2, 20);
    EXPECT_EQ(l.LigNomFich, 20);
    EXPECT_EQ(l.LigNumLig, 0);
    EXPECT_EQ(l.FichErr, "x.err");
    EXPECT_EQ(l.DebNumLig, " [ "); // markers are kept as typed, blanks included
    EXPECT_EQ(l.MarqErr, "): as");
}

// --- Error blocks ---

TEST(ErrBlocks, DefaultLayoutReadsTheUsualAssemblerLine)
{
    const TErrFile f{{"Assemblage de PROG.ASM", "PROG.ASM(27): as: undefined symbol 'LOOP1'"}};
    const auto b = f.Next(0, DefaultLayout());
    ASSERT_TRUE(b);
    EXPECT_EQ(b->BlockStart, 1);
    EXPECT_EQ(b->NextSearch, 2);
    EXPECT_TRUE(b->HasLine);
    EXPECT_FALSE(b->IsMake);
    EXPECT_EQ(b->FileName, "PROG.ASM");
    EXPECT_EQ(b->LineNumber, 27);
    EXPECT_EQ(b->Status, " as: undefined symbol 'LOOP1'");
    EXPECT_TRUE(b->HasWord);
    EXPECT_EQ(b->Word, "LOOP1");
    EXPECT_FALSE(f.Next(b->NextSearch, DefaultLayout()));
}

TEST(ErrBlocks, BlockSpansLinesAroundItsMarker)
{
    TErrFile f;
    for (int i = 0; i < 15; ++i)
        f.Lines.push_back("texte " + std::to_string(i));
    f.Lines[9] = "  Fichier : lib/main.asm  ";
    f.Lines[10] = "*** ERREUR: symbole 'Boucle'";
    f.Lines[11] = "Ligne 42";
    TErrLayout l = DefaultLayout();
    l.MarqErr = "*** ERREUR";
    l.LigMarqErr = 1;
    l.NbrLigErr = 3;
    l.DebNomFich = ":";
    l.FinNomFich = "#99";
    l.LigNomFich = 0;
    l.DebNumLig = "Ligne";
    l.FinNumLig = "#99";
    l.LigNumLig = 2;

    const auto b = f.Next(0, l);
    ASSERT_TRUE(b);
    EXPECT_EQ(b->BlockStart, 9);
    EXPECT_EQ(b->NextSearch, 12);
    EXPECT_EQ(b->FileName, "lib/main.asm");
    EXPECT_EQ(b->LineNumber, 42);
    // The message is the block's first line, not the marker's.
    EXPECT_EQ(b->Status, " lib/main.asm  ");
    EXPECT_FALSE(b->HasWord);
    EXPECT_FALSE(f.Next(b->NextSearch, l));
    // Searching from inside the block still finds it by its marker.
    EXPECT_EQ(f.Next(10, l)->BlockStart, 9);
}

TEST(ErrBlocks, SecondMarkerIsTriedWithItsOwnLinePosition)
{
    const TErrFile f{{"a", "b.asm(4)", "WARN: x", "c.asm(5)", "ERR WARN: y"}};
    TErrLayout l = DefaultLayout();
    l.MarqErr = "ERR";
    l.LigMarqErr = 0;
    l.MarqErr2 = "WARN";
    l.LigMarqErr2 = 1;
    l.FinNumLig = ")";
    l.NbrLigErr = 2;
    const auto w = f.Next(0, l);
    ASSERT_TRUE(w);
    EXPECT_EQ(w->BlockStart, 1);
    EXPECT_EQ(w->FileName, "b.asm");
    EXPECT_EQ(w->LineNumber, 4);
    // A line holding both is read with the first marker's position.
    const auto e = f.Next(w->NextSearch, l);
    ASSERT_TRUE(e);
    EXPECT_EQ(e->BlockStart, 4);
    EXPECT_FALSE(f.Next(e->NextSearch, l));
}

TEST(ErrBlocks, EmptyMarkersNeverMatch)
{
    const TErrFile f{{"PROG.ASM(1): as: x", "", "P2.ASM(2): Lyn: y"}};
    TErrLayout l = DefaultLayout();
    l.MarqErr = "";
    l.MarqErr2 = "";
    EXPECT_FALSE(f.Next(0, l));
    l.MarqErr2 = "Lyn";
    const auto b = f.Next(0, l);
    ASSERT_TRUE(b);
    EXPECT_EQ(b->BlockStart, 2);
    EXPECT_EQ(b->FileName, "P2.ASM");
}

TEST(ErrBlocks, MakeErrorMovesPastTheBlockWithoutStatus)
{
    const TErrFile f{{"kepmake: MAKE: cible PROG.ASM introuvable 'X'", "PROG.ASM(3): as: y"}};
    TErrLayout l = DefaultLayout();
    l.MarqErr = "kepmake";
    l.MarqErr2 = "): as";
    const auto m = f.Next(0, l);
    ASSERT_TRUE(m);
    EXPECT_TRUE(m->IsMake);
    EXPECT_EQ(m->NextSearch, 1);
    EXPECT_TRUE(m->Status.empty());
    EXPECT_FALSE(m->HasWord);
    EXPECT_FALSE(f.Next(1, l)->IsMake);

    // Only right after the first ": ", and in capitals.
    l.MarqErr = "MAKE";
    const TErrFile g{{"A(1): as: x MAKE", "A(1):MAKE): as", "A(2): as: make", "XMAKEFILE(1) 'X'"}};
    for (std::int32_t i = 0; i < 4; ++i)
        EXPECT_FALSE(g.Next(i, l)->IsMake) << i;
}

TEST(ErrBlocks, StatusShowsTabsAsUnderscoresAndStopsAt255)
{
    const std::string longText(300, 'y');
    const TErrFile f{{"A.ASM(1): as:\tx\t" + longText, "A.ASM(2):\tas"}};
    TErrLayout l = DefaultLayout();
    l.MarqErr2 = "):\t";
    const auto a = f.Next(0, l);
    ASSERT_TRUE(a);
    EXPECT_EQ(a->Status, " as:_x_" + longText.substr(0, 248));
    EXPECT_EQ(a->Status.size(), 255u);
    // Without ": " the whole line is the message.
    const auto b = f.Next(a->NextSearch, l);
    ASSERT_TRUE(b);
    EXPECT_EQ(b->Status, "A.ASM(2):_as");
}

TEST(ErrBlocks, WordRunsToTheCharacterBeforeTheLastAndIsUpperCased)
{
    const TErrFile f{{"A(1): as: symbole 'loop\xE9_1'", "A(2): as: x'pas de mot'", "A(3): as: fin '",
                      "A(4): as: 'a' et 'b' ;"}};
    const auto l = DefaultLayout();
    const auto a = f.Next(0, l);
    EXPECT_TRUE(a->HasWord);
    EXPECT_EQ(a->Word, "LOOP\xE9_1"); // only ASCII letters change
    EXPECT_FALSE(f.Next(1, l)->HasWord); // the apostrophe must follow a space
    const auto c = f.Next(2, l);
    EXPECT_TRUE(c->HasWord);
    EXPECT_EQ(c->Word, "");
    EXPECT_EQ(f.Next(3, l)->Word, "A' ET 'B' ");
}

TEST(ErrBlocks, NumberWithoutStartColumnLeavesTheSearchOnTheBlock)
{
    const TErrFile f{{"x", "PROG.ASM(27): as: y 'Z'"}};
    TErrLayout l = DefaultLayout();
    for (const char* deb : {"#0", "#", ""}) {
        l.DebNumLig = deb;
        const auto b = f.Next(0, l);
        ASSERT_TRUE(b) << deb;
        EXPECT_FALSE(b->HasLine) << deb;
        EXPECT_EQ(b->BlockStart, 1);
        EXPECT_EQ(b->NextSearch, b->BlockStart) << deb;
        EXPECT_EQ(b->FileName, "PROG.ASM");
        // Pressing F6 again finds the same block.
        EXPECT_EQ(f.Next(b->NextSearch, l)->BlockStart, 1);
    }
    // An absent text start marker is not column 0: the field is read.
    l.DebNumLig = "[";
    const auto b = f.Next(0, l);
    EXPECT_TRUE(b->HasLine);
    EXPECT_EQ(b->LineNumber, 0);
    EXPECT_EQ(b->NextSearch, 2);
}

TEST(ErrBlocks, MarkerTooNearTheTopIsPassedOver)
{
    const TErrFile f{{"): as", "F.ASM(7)", "", "G.ASM(8)", "", "): as"}};
    TErrLayout l = DefaultLayout();
    l.LigMarqErr = 2;
    l.FinNumLig = ")";
    l.NbrLigErr = 3;
    const auto b = f.Next(0, l);
    ASSERT_TRUE(b);
    EXPECT_EQ(b->BlockStart, 3);
    EXPECT_EQ(b->FileName, "G.ASM");
    EXPECT_EQ(b->LineNumber, 8);
    EXPECT_EQ(b->NextSearch, 6);
}

TEST(ErrBlocks, LinesPastTheEndReadAsEmpty)
{
    const TErrFile f{{"a", "B.ASM(3): as: x"}};
    TErrLayout l = DefaultLayout();
    l.LigNomFich = 5;
    l.LigNumLig = 20;
    l.NbrLigErr = 1000;
    const auto b = f.Next(0, l);
    ASSERT_TRUE(b);
    EXPECT_EQ(b->FileName, "");
    // "(" absent from the empty line: start column 1, no digit.
    EXPECT_TRUE(b->HasLine);
    EXPECT_EQ(b->LineNumber, 0);
    EXPECT_EQ(b->NextSearch, 1001);
    EXPECT_FALSE(f.Next(b->NextSearch, l));
}

TEST(ErrBlocks, NoFurtherMarkerGivesNothing)
{
    const TErrFile empty;
    EXPECT_FALSE(empty.Next(0, DefaultLayout()));
    const TErrFile f{{"PROG.ASM(1): as: x", "rien", "encore rien"}};
    EXPECT_FALSE(f.Next(1, DefaultLayout()));
    EXPECT_FALSE(f.Next(3, DefaultLayout()));
    EXPECT_FALSE(f.Next(INT32_MAX, DefaultLayout()));
    EXPECT_EQ(f.Next(-4, DefaultLayout())->BlockStart, 0);
}

TEST(ErrBlocks, NameTrimmedOfControlCodesAndBlanks)
{
    const TErrFile f{{" \t\x01" "dir/A B.ASM\x1f \t(12): as: x"}};
    const auto b = f.Next(0, DefaultLayout());
    ASSERT_TRUE(b);
    EXPECT_EQ(b->FileName, "dir/A B.ASM");
    EXPECT_EQ(b->LineNumber, 12);
}

TEST(ErrBlocks, SuccessiveSearchesVisitEveryBlockOnce)
{
    const TErrFile f{{"PROG.ASM(3): as: a", "  suite", "LIB.ASM(10): Lyn: b", "PROG.ASM(5): as: c", "fin"}};
    std::vector<std::pair<std::string, int>> seen;
    std::int32_t from = 0;
    while (const auto b = f.Next(from, DefaultLayout())) {
        seen.emplace_back(b->FileName, b->LineNumber);
        ASSERT_GT(b->NextSearch, from);
        from = b->NextSearch;
    }
    EXPECT_EQ(seen, (std::vector<std::pair<std::string, int>>{{"PROG.ASM", 3}, {"LIB.ASM", 10}, {"PROG.ASM", 5}}));
}

// --- What gets selected ---

TEST(ErrSelection, WordFoundIsSelectedWithTheCaretAfterIt)
{
    const TErrSelection s = SelectionFor("\tgoto loop1 ; loop1", 26, false, "LOOP1");
    EXPECT_EQ(s.StartLine, 26);
    EXPECT_EQ(s.StartCol, 7);
    EXPECT_EQ(s.EndLine, 26);
    EXPECT_EQ(s.EndCol, 12);
    EXPECT_TRUE(s.MoveCaretCol);
    EXPECT_EQ(s.CaretCol, 12);
    // At the very start of the line too.
    EXPECT_EQ(SelectionFor("LOOP1:", 0, true, "LOOP1").StartCol, 1);
}

TEST(ErrSelection, WordAbsentSelectsTheWholeLine)
{
    const TErrSelection s = SelectionFor("\tnop", 4, false, "LOOP1");
    EXPECT_EQ(s.StartLine, 4);
    EXPECT_EQ(s.StartCol, 1);
    EXPECT_EQ(s.EndLine, 5);
    EXPECT_EQ(s.EndCol, 1);
    EXPECT_FALSE(s.MoveCaretCol);

    const TErrSelection last = SelectionFor("\tnop", 4, true, "LOOP1");
    EXPECT_EQ(last.EndLine, 4);
    EXPECT_EQ(last.EndCol, 5);
    EXPECT_FALSE(last.MoveCaretCol);

    const TErrSelection empty = SelectionFor("\tnop", 4, true, "");
    EXPECT_EQ(empty.StartCol, 1);
    EXPECT_EQ(empty.EndCol, 5);
    EXPECT_FALSE(empty.MoveCaretCol);
}
