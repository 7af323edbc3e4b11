// Context states carried from line to line, tokens and their colours.
#include "editor/U_Syntaxe.h"

#include <gtest/gtest.h>

#include <random>

#include <string>
#include <vector>

using namespace kep;

namespace {

std::uint32_t After(const std::vector<std::string>& lines, std::uint32_t state = 0)
{
    for (const std::string& l : lines)
        state = NextState(state, l);
    return state;
}

constexpr std::uint32_t State(unsigned flags, unsigned macro, unsigned loop, unsigned cond)
{
    return flags | macro << 8 | loop << 16 | cond << 24;
}

TEST(NextState, MacroOpensOnlyAsAWord)
{
    EXPECT_EQ(NextState(0, "LABEL: MACRO ARG"), State(csMacro, 1, 0, 0));
    EXPECT_EQ(NextState(0, "\tmacro\targ"), State(csMacro, 1, 0, 0));
    EXPECT_EQ(NextState(0, "MACRO"), State(csMacro, 1, 0, 0));
    EXPECT_EQ(NextState(0, " MACRO;definition"), State(csMacro, 1, 0, 0));
    EXPECT_EQ(NextState(0, "LABEL: XMACRO ARG"), 0u);
    EXPECT_EQ(NextState(0, "LABEL:MACRO ARG"), 0u);
    EXPECT_EQ(NextState(0, " MACROS"), 0u);
    EXPECT_EQ(NextState(0, " MACRO,1"), 0u);
    EXPECT_EQ(NextState(0, " NOP ; MACRO"), 0u);
    EXPECT_EQ(NextState(0, " DB ';' MACRO"), State(csMacro, 1, 0, 0)); // the quoted ";" is no comment
    EXPECT_EQ(NextState(0, " DB \"x ; MACRO"), State(csMacro, 1, 0, 0)); // unclosed: no comment starts
    // A label holding the word does not hide the directive after it.
    EXPECT_EQ(NextState(0, "MACRO_INIT: MACRO"), State(csMacro, 1, 0, 0));
    EXPECT_EQ(NextState(0, "DOMACRO MACRO X"), State(csMacro, 1, 0, 0));
}

TEST(NextState, ConditionalBlocks)
{
    EXPECT_EQ(NextState(0, "   #IFDEF NAME ; comment"), State(csIf, 0, 0, 1));
    EXPECT_EQ(NextState(0, "#if1"), State(csIf, 0, 0, 1));
    EXPECT_EQ(NextState(0, " NOP ; #IF X"), 0u);
    EXPECT_EQ(NextState(0, "X#IF"), 0u);
    EXPECT_EQ(NextState(0, "#ENDIF"), 0u);
    // #IF beats every other keyword of the line.
    EXPECT_EQ(NextState(0, " MACRO #IF"), State(csIf, 0, 0, 1));
    const std::uint32_t two = After({"#IF A", " #IFDEF B"});
    EXPECT_EQ(two, State(csIf, 0, 0, 2));
    EXPECT_EQ(After({"#ELSE", "#ELIF X", "#ELSEIF", " ENDM"}, two), two);
    const std::uint32_t one = NextState(two, "#ENDIF");
    EXPECT_EQ(one, State(csIf, 0, 0, 1));
    EXPECT_EQ(NextState(one, " #endif ; fin"), 0u);
    EXPECT_EQ(NextState(one, " #ENDIFX"), one);
    EXPECT_EQ(NextState(0, "#ENDIF"), 0u);
}

TEST(NextState, LoopsMacrosAndDepths)
{
    std::uint32_t s = After({" REPEAT", "  REPEAT", " MACRO", " nop"});
    EXPECT_EQ(s, State(csMacro | csLoop, 1, 2, 0));
    s = After({" MEND", " UNTIL X=0", " UNTIL"}, s);
    EXPECT_EQ(s, 0u);
    EXPECT_EQ(NextState(0, " MEND"), 0u);
    EXPECT_EQ(NextState(0, " UNTIL"), 0u);
    // First keyword in the fixed order decides.
    EXPECT_EQ(NextState(State(csMacro, 1, 0, 0), " MEND REPEAT"), 0u);
    EXPECT_EQ(NextState(State(csIf, 0, 0, 1), " MACRO #ENDIF"), 0u);
    // Depths are bytes.
    std::uint32_t deep = 0;
    for (int i = 0; i < 256; ++i)
        deep = NextState(deep, " #IF X");
    EXPECT_EQ(deep, State(csIf, 0, 0, 0));
    EXPECT_EQ(NextState(deep, "#ENDIF"), 0u);
    // Other bytes are kept.
    const std::uint32_t mixed = State(csMacro | csIf, 3, 0, 7);
    EXPECT_EQ(NextState(mixed, " REPEAT"), State(csMacro | csIf | csLoop, 3, 1, 7));
    EXPECT_EQ(NextState(mixed, "#IF"), State(csMacro | csIf, 3, 0, 8));
}

struct TTok {
    TStyleType Style;
    std::string Text;
    bool operator==(const TTok&) const = default;
};

std::ostream& operator<<(std::ostream& os, const TTok& t)
{
    return os << StyleName(t.Style) << ":'" << t.Text << "'";
}

std::vector<TTok> Tokens(const TTokens& vocab, const std::string& line)
{
    std::vector<TTok> out;
    TSyntaxe syn(vocab);
    syn.BeginLine(line);
    std::int32_t col = 1;
    while (!syn.AtEnd()) {
        const TStyleType st = syn.NextToken();
        EXPECT_EQ(std::int32_t(syn.TokenStart()) + 1, col);
        out.push_back({st, line.substr(syn.TokenStart(), syn.TokenLength())});
        EXPECT_GT(syn.Col(), col);
        col = syn.Col();
    }
    EXPECT_EQ(col, std::int32_t(line.size()) + 1);
    return out;
}

class Tokeniser : public ::testing::Test {
protected:
    void SetUp() override { Vocab.LoadLists({"MOV", "LD", "ADD"}, {"A", "HL", "R\\"}); }
    TTokens Vocab;
};

TEST_F(Tokeniser, LineOfAnAssemblerSource)
{
    using V = std::vector<TTok>;
    EXPECT_EQ(Tokens(Vocab, "boucle:\tmov  a,(hl) ; charge"),
              (V{{stRien, "boucle"}, {stRien, ":"}, {stRien, "\t"}, {stOp, "mov"}, {stRien, "  "},
                 {stSig, "a"}, {stRien, ",("}, {stSig, "hl"}, {stRien, ")"}, {stRien, " "},
                 {stRem, "; charge"}}));
    EXPECT_EQ(Tokens(Vocab, " #ifdef R12"),
              (V{{stRien, " "}, {stDir, "#ifdef"}, {stRien, " "}, {stSig, "R"}, {stRien, "12"}}));
    // Keyword glued to an identifier; mnemonic glued is not one.
    EXPECT_EQ(Tokens(Vocab, "AX movx"), (V{{stSig, "A"}, {stRien, "X"}, {stRien, " "}, {stRien, "movx"}}));
    EXPECT_EQ(Tokens(Vocab, "move"), (V{{stRien, "move"}}));
}

TEST_F(Tokeniser, CommentsAndStrings)
{
    using V = std::vector<TTok>;
    EXPECT_EQ(Tokens(Vocab, ";** Titre"), (V{{stTit, ";** Titre"}}));
    EXPECT_EQ(Tokens(Vocab, "; ** pas titre"), (V{{stRem, "; ** pas titre"}}));
    EXPECT_EQ(Tokens(Vocab, ";*"), (V{{stRem, ";*"}}));
    EXPECT_EQ(Tokens(Vocab, "ld a // c**"), (V{{stOp, "ld"}, {stRien, " "}, {stSig, "a"}, {stRien, " "},
                                                {stRem, "// c**"}}));
    EXPECT_EQ(Tokens(Vocab, "//**x"), (V{{stTit, "//**x"}}));
    EXPECT_EQ(Tokens(Vocab, " db \"a;b\",';'"),
              (V{{stRien, " "}, {stRien, "db"}, {stRien, " "}, {stStr, "\"a;b\""}, {stRien, ","}, {stStr, "';'"}}));
    EXPECT_EQ(Tokens(Vocab, "'abc"), (V{{stStr, "'abc"}}));
    EXPECT_EQ(Tokens(Vocab, "\"it's\""), (V{{stStr, "\"it's\""}}));
    // A run of other characters swallows a "//" that follows it.
    EXPECT_EQ(Tokens(Vocab, "+//x"), (V{{stRien, "+//"}, {stRien, "x"}}));
    EXPECT_EQ(Tokens(Vocab, "=+\xE9\xE8;c"), (V{{stRien, "=+\xE9\xE8"}, {stRem, ";c"}}));
    EXPECT_TRUE(Tokens(Vocab, "").empty());
}

TEST_F(Tokeniser, BeginLinePeeksTheFirstToken)
{
    TSyntaxe syn(Vocab);
    const std::string line = "mov a";
    EXPECT_EQ(syn.BeginLine(line), stOp);
    EXPECT_EQ(syn.Col(), 1);
    EXPECT_EQ(syn.NextToken(), stOp);
    EXPECT_EQ(syn.Col(), 4);
    EXPECT_EQ(syn.BeginLine(""), stRien);
    EXPECT_TRUE(syn.AtEnd());
    syn.SetState(0);
    EXPECT_EQ(syn.NextState(" MACRO"), State(csMacro, 1, 0, 0));
    EXPECT_EQ(syn.State(), State(csMacro, 1, 0, 0));
}

TEST(TokenColours, ContextBackgrounds)
{
    TStyleTable styles = DefaultStyles();
    styles[stIf0].Back = RGBColor(1, 2, 3); // never used for painting
    const TTokenColours plain = TokenColours(styles, stOp, 0);
    EXPECT_EQ(plain.Fore, RGBColor(0xC0, 0xE0, 0xC0));
    EXPECT_EQ(plain.Back, clBlack);
    const TTokenColours inMacro = TokenColours(styles, stOp, State(csMacro | csLoop | csIf, 1, 1, 1));
    EXPECT_EQ(inMacro.Fore, plain.Fore);
    EXPECT_EQ(inMacro.Back, clGreen);
    EXPECT_EQ(TokenColours(styles, stRien, State(csLoop | csIf, 0, 1, 1)).Back, clOlive);
    EXPECT_EQ(TokenColours(styles, stRem, State(csIf, 0, 0, 1)).Back, clTeal);
    // Depth bytes alone give no background.
    EXPECT_EQ(TokenColours(styles, stRem, State(0, 4, 4, 4)).Back, clBlack);
    // Selection and highlighted words keep their own.
    const TTokenColours sur = TokenColours(styles, stSur, State(csMacro, 1, 0, 0));
    EXPECT_EQ(sur.Back, clWhite);
    EXPECT_EQ(sur.FontStyle, fsBold);
    EXPECT_EQ(TokenColours(styles, stSel, State(csIf, 0, 0, 1)).Back, clSilver);
    EXPECT_EQ(TokenColours(styles, TStyleType(200), 0).Fore, clBtnFace);
}

TEST(TokenColours, RunsOfALine)
{
    TTokens vocab;
    vocab.LoadLists({"NOP"}, {});
    vocab.ToggleHighlight("FLAG", stSur);
    const TStyleTable& styles = DefaultStyles();
    const std::vector<TStyledRun> runs = LineRuns(vocab, styles, "\tnop flag ;x", State(csLoop, 0, 1, 0));
    ASSERT_EQ(runs.size(), 6u);
    const std::int32_t cols[] = {1, 2, 5, 6, 10, 11};
    const std::int32_t lens[] = {1, 3, 1, 4, 1, 2};
    const TStyleType sts[] = {stRien, stOp, stRien, stSur, stRien, stRem};
    for (std::size_t i = 0; i < runs.size(); ++i) {
        EXPECT_EQ(runs[i].Col, cols[i]) << i;
        EXPECT_EQ(runs[i].Length, lens[i]) << i;
        EXPECT_EQ(runs[i].Style, sts[i]) << i;
        EXPECT_EQ(runs[i].Back, sts[i] == stSur ? clWhite : clOlive) << i;
        EXPECT_EQ(runs[i].Fore, styles[sts[i]].Fore) << i;
    }
    EXPECT_EQ(runs[3].FontStyle, fsBold);
    EXPECT_TRUE(LineRuns(vocab, styles, "", 0).empty());
}

TEST(TokenColours, ArbitraryBytesAreTiledExactly)
{
    std::mt19937 rng(99);
    TTokens vocab;
    vocab.LoadLists({"MOV", "\xC9T\xC9", "A;B"}, {"R\\", "(", "\"\""});
    for (int round = 0; round < 3000; ++round) {
        std::string line(rng() % 40, '\0');
        for (char& c : line)
            c = char(rng() % 4 ? rng() % 256 : " \t;'\"/*#"[rng() % 9]);
        std::size_t pos = 0;
        for (const TStyledRun& r : LineRuns(vocab, DefaultStyles(), line, rng())) {
            ASSERT_EQ(std::size_t(r.Col) - 1, pos);
            ASSERT_GT(r.Length, 0);
            ASSERT_LT(unsigned(r.Style), unsigned(StyleCount));
            pos += std::size_t(r.Length);
        }
        ASSERT_EQ(pos, line.size());
        (void)NextState(std::uint32_t(rng()), line);
    }
}

} // namespace
