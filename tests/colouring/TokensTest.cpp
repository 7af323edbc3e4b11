// The shared vocabulary: directives, processor tables, highlights, matching.
#include "editor/U_Syntaxe.h"
#include "platform/FileIo.h"
#include "processor/U_TabFile.h"
#include "support/TestDir.h"
#include "tools/TabDesc.h"
#include "tools/TabWriter.h"

#include <gtest/gtest.h>

#include <random>

using namespace kep;

namespace {

// The matching rule as stated, over every entry: the longest entry that is a
// prefix of the upper-cased text and whose flag allows it; then the word
// boundary for all styles but processor keywords.
std::size_t ReferenceMatch(const TTokens& t, std::string_view line, std::size_t pos, TStyleType& style)
{
    std::string up(line.substr(pos));
    for (char& c : up)
        if (c >= 'a' && c <= 'z')
            c = char(c - 32);
    const TToken* best = nullptr;
    for (std::size_t i = 0; i < t.Count(); ++i) {
        const TToken& e = t.Entry(i);
        if (up.compare(0, e.Name.size(), e.Name) != 0 || e.Name.size() > up.size())
            continue;
        const std::size_t k = e.Name.size();
        const bool hasNext = k < up.size();
        if (e.Flag == TTokenFlag::Digit && !(hasNext && up[k] >= '0' && up[k] <= '9'))
            continue;
        if (e.Flag == TTokenFlag::NoIdent && hasNext && IsIdentChar((unsigned char)up[k]))
            continue;
        if (!best || k > best->Name.size())
            best = &e;
    }
    if (!best)
        return 0;
    const std::size_t k = best->Name.size();
    if (best->Style != stSig && k < up.size() && IsIdentChar((unsigned char)up[k]))
        return 0;
    style = best->Style;
    return k;
}

std::size_t MatchOf(const TTokens& t, std::string_view text, TStyleType* style = nullptr)
{
    TStyleType st = stRien;
    const std::size_t n = t.Match(text, 0, st);
    if (style)
        *style = st;
    return n;
}

TEST(Directives, TableAndHelpContexts)
{
    EXPECT_EQ(Directives().size(), 93u);
    EXPECT_EQ(DirectiveHelpContext("#IFDEF"), 135);
    EXPECT_EQ(DirectiveHelpContext("#DEFDEC"), 114);
    EXPECT_EQ(DirectiveHelpContext("ZILOG"), 176);
    EXPECT_EQ(DirectiveHelpContext("UNDEF"), 171);
    EXPECT_EQ(DirectiveHelpContext("#ELIF"), 0);
    EXPECT_EQ(DirectiveHelpContext("#ifdef"), -1);
    EXPECT_EQ(DirectiveHelpContext("MOV"), -1);
    EXPECT_EQ(DirectiveHelpContext(""), -1);
    TTokens t;
    EXPECT_EQ(t.Count(), 93u);
    for (const TDirective& d : Directives()) {
        ASSERT_TRUE(t.Find(d.Name)) << d.Name;
        EXPECT_EQ(t.Current()->Style, stDir);
    }
    for (std::size_t i = 1; i < t.Count(); ++i)
        EXPECT_LT(t.Entry(i - 1).Name, t.Entry(i).Name);
}

TEST(Tokens, AddFindToggle)
{
    TTokens t;
    t.AddToken("R\\", stSig);
    t.AddToken("SP~", stSig);
    ASSERT_TRUE(t.Find("R"));
    EXPECT_EQ(t.Current()->Flag, TTokenFlag::Digit);
    ASSERT_TRUE(t.Find("SP"));
    EXPECT_EQ(t.Current()->Flag, TTokenFlag::NoIdent);
    EXPECT_FALSE(t.Find("SP~"));

    // An existing entry stays, but a keyword becomes a mnemonic.
    t.AddToken("SP", stSur);
    ASSERT_TRUE(t.Find("SP"));
    EXPECT_EQ(t.Current()->Style, stSig);
    t.AddToken("SP", stOp);
    ASSERT_TRUE(t.Find("SP"));
    EXPECT_EQ(t.Current()->Style, stOp);
    EXPECT_EQ(t.Current()->Flag, TTokenFlag::None);
    t.AddToken("MACRO", stOp);
    ASSERT_TRUE(t.Find("MACRO"));
    EXPECT_EQ(t.Current()->Style, stDir);
    const std::size_t count = t.Count();
    t.AddToken("", stSur);
    t.AddToken("~", stSur);
    EXPECT_EQ(t.Count(), count);

    // Toggling adds and removes; the removal ignores the style.
    t.ToggleHighlight("COMPTEUR", stSur);
    ASSERT_TRUE(t.Find("COMPTEUR"));
    EXPECT_EQ(t.Current()->Style, stSur);
    EXPECT_EQ(MatchOf(t, "compteur+1"), 8u);
    t.ToggleHighlight("COMPTEUR", stSur);
    EXPECT_FALSE(t.Find("COMPTEUR"));
    EXPECT_EQ(MatchOf(t, "compteur+1"), 0u);
    // A label marked as it stands, in lower case, never matches.
    t.ToggleHighlight("boucle", stLab);
    EXPECT_TRUE(t.Find("boucle"));
    EXPECT_EQ(MatchOf(t, "boucle"), 0u);
    t.ToggleHighlight("BOUCLE", stLab);
    TStyleType st;
    EXPECT_EQ(MatchOf(t, "boucle:", &st), 6u);
    EXPECT_EQ(st, stLab);
    ASSERT_TRUE(t.Find("BOUCLE"));
    t.DeleteCurrent();
    t.DeleteCurrent(); // nothing current any more
    EXPECT_FALSE(t.Find("BOUCLE"));
    EXPECT_FALSE(t.Find("BOUCLEZ"));
    t.DeleteCurrent(); // a failed look-up leaves nothing to delete
    EXPECT_EQ(t.Count(), count + 1); // "boucle" stays
}

TEST(Tokens, MatchingRules)
{
    TTokens t;
    t.LoadLists({"mov", "MOVX~", "ld", "JR\\", "add.w"}, {"R\\", "A", "HL~", "(HL)"});
    TStyleType st;
    EXPECT_EQ(MatchOf(t, "mov a,b", &st), 3u);
    EXPECT_EQ(st, stOp);
    EXPECT_EQ(MatchOf(t, "move"), 0u); // boundary
    EXPECT_EQ(MatchOf(t, "MOV"), 3u);
    EXPECT_EQ(MatchOf(t, "movx"), 4u);
    EXPECT_EQ(MatchOf(t, "movx2"), 0u);  // "~" refuses, MOV then fails the boundary
    EXPECT_EQ(MatchOf(t, "movx.b"), 4u); // "~" accepts a non-word character
    EXPECT_EQ(MatchOf(t, "add.w d0"), 5u);
    EXPECT_EQ(MatchOf(t, "add.wx"), 0u);
    EXPECT_EQ(MatchOf(t, "JR 5"), 0u); // "\" wants a digit right after
    EXPECT_EQ(MatchOf(t, "jr5"), 0u);  // ... and a mnemonic still wants a boundary
    // Processor keywords need no boundary.
    EXPECT_EQ(MatchOf(t, "r12", &st), 1u);
    EXPECT_EQ(st, stSig);
    EXPECT_EQ(MatchOf(t, "rx"), 0u);    // "\" without a digit
    EXPECT_EQ(MatchOf(t, "ab", &st), 1u); // keyword glued to an identifier
    EXPECT_EQ(st, stSig);
    EXPECT_EQ(MatchOf(t, "HLX"), 0u);   // "~" before a word character
    EXPECT_EQ(MatchOf(t, "hl)", &st), 2u);
    EXPECT_EQ(MatchOf(t, "(hl)", &st), 4u);
    EXPECT_EQ(MatchOf(t, "(hl"), 0u);
    EXPECT_EQ(MatchOf(t, "#ifdef X", &st), 6u);
    EXPECT_EQ(st, stDir);
    EXPECT_EQ(MatchOf(t, "#ifdefx"), 0u);
    EXPECT_EQ(MatchOf(t, "dc.b 1"), 4u);
    EXPECT_EQ(MatchOf(t, ""), 0u);
    EXPECT_EQ(t.Match("  mov", 2, st), 3u);
    EXPECT_EQ(t.Match("mov", 3, st), 0u);
    // The longest candidate wins even when it then fails the boundary.
    t.AddToken("LDX", stOp);
    t.AddToken("L", stSig);
    EXPECT_EQ(MatchOf(t, "ldxy"), 0u);
    EXPECT_EQ(MatchOf(t, "ldy", &st), 0u);
    EXPECT_EQ(MatchOf(t, "lq", &st), 1u);
}

TEST(Tokens, SortedMatchAgreesWithTheRule)
{
    std::mt19937 rng(77);
    const std::string alphabet = "ABCR01_.#~\\(";
    const auto word = [&](std::size_t maxLen) {
        std::string w;
        const std::size_t n = 1 + rng() % maxLen;
        for (std::size_t i = 0; i < n; ++i)
            w += alphabet[rng() % (alphabet.size() - 2)];
        return w;
    };
    TTokens t;
    for (int i = 0; i < 300; ++i) {
        std::string w = word(4);
        const unsigned f = rng() % 6;
        if (f == 0)
            w += '\\';
        else if (f == 1)
            w += '~';
        const TStyleType styles[] = {stOp, stSig, stSur, stLab};
        t.AddToken(w, styles[rng() % 4]);
    }
    const std::string textChars = "abcrABCR01_.# (x";
    for (int i = 0; i < 20000; ++i) {
        std::string line;
        const std::size_t n = rng() % 8;
        for (std::size_t j = 0; j < n; ++j)
            line += textChars[rng() % textChars.size()];
        for (std::size_t pos = 0; pos <= line.size(); ++pos) {
            TStyleType a = stRien, b = stRien;
            const std::size_t fast = t.Match(line, pos, a);
            const std::size_t ref = ReferenceMatch(t, line, pos, b);
            ASSERT_EQ(fast, ref) << "'" << line << "' at " << pos;
            if (ref) {
                ASSERT_EQ(a, b) << "'" << line << "' at " << pos;
            }
        }
    }
}

class TableFiles : public ::testing::Test {
protected:
    std::string Table(const std::string& name, const std::string& desc)
    {
        TTabDesc d;
        std::string error, bytes;
        EXPECT_TRUE(ParseTabDesc(desc, d, &error)) << error;
        EXPECT_TRUE(BuildTab(d, bytes, &error)) << error;
        const std::string path = Dir_.Path(name);
        EXPECT_TRUE(WriteFileAtomic(path, bytes));
        return path;
    }
    TTestDir Dir_;
};

TEST_F(TableFiles, LoadTableReplacesOnlyProcessorWords)
{
    const std::string first = Table("a.tab",
        "title A\nkeywords r\\ sp~ hl\nmnemonic mov\n  encoding 00 :\nmnemonic HALT\n  encoding 76 :\n");
    const std::string second = Table("b.tab",
        "title B\nkeywords X\nmnemonic LDA\n  encoding 00 :\n");
    TTokens t;
    t.ToggleHighlight("COMPTEUR", stSur);
    ASSERT_TRUE(t.LoadTable(first));
    EXPECT_EQ(t.TableName(), first);
    TStyleType st;
    EXPECT_EQ(MatchOf(t, "mov", &st), 3u);
    EXPECT_EQ(st, stOp);
    EXPECT_EQ(MatchOf(t, "r7", &st), 1u);
    EXPECT_EQ(st, stSig);
    EXPECT_EQ(MatchOf(t, "spx"), 0u);
    ASSERT_TRUE(t.Find("HL"));

    // The same name again does not reread the file.
    t.ToggleHighlight("MOV", stSur); // removes the mnemonic
    ASSERT_TRUE(t.LoadTable(first));
    EXPECT_FALSE(t.Find("MOV"));

    // A missing file leaves the previous processor's words.
    ASSERT_TRUE(t.LoadTable(Dir_.Path("absent.tab")));
    EXPECT_TRUE(t.Find("HALT"));
    EXPECT_EQ(t.TableName(), first);

    // A file that is not a table leaves everything as it was.
    const std::string broken = Dir_.Path("broken.tab");
    ASSERT_TRUE(WriteFileAtomic(broken, "not a table"));
    std::string error;
    EXPECT_FALSE(t.LoadTable(broken, &error));
    EXPECT_FALSE(error.empty());
    EXPECT_TRUE(t.Find("HALT"));
    EXPECT_EQ(t.TableName(), first);

    ASSERT_TRUE(t.LoadTable(second));
    EXPECT_FALSE(t.Find("HALT"));
    EXPECT_FALSE(t.Find("HL"));
    EXPECT_TRUE(t.Find("LDA"));
    EXPECT_TRUE(t.Find("X"));
    EXPECT_TRUE(t.Find("COMPTEUR"));
    EXPECT_TRUE(t.Find("#IFDEF"));
    EXPECT_EQ(t.Count(), 93u + 3u);
}

TEST(Tokens, SharedVocabularyServesEveryEditor)
{
    TTokens& shared = SharedTokens();
    TSyntaxe first(shared), second(SharedTokens());
    shared.ToggleHighlight("PARTAGE", stSur);
    EXPECT_EQ(first.BeginLine("partage"), stSur);
    EXPECT_EQ(second.BeginLine("PARTAGE"), stSur);
    SharedTokens().ToggleHighlight("PARTAGE", stSur);
    EXPECT_EQ(first.BeginLine("partage"), stRien);
}

} // namespace
