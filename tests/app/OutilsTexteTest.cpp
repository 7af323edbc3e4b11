// The text tools of the Special menu: source and listing formatting, the
// mov rewrite, address renumbering and the C to Pascal converter.
#include "app/U_OutilsTexte.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <limits>
#include <random>

using namespace kep;

namespace {

TLignes L(std::initializer_list<const char*> l) { return TLignes(l.begin(), l.end()); }

} // namespace

// --- Formate Source -------------------------------------------------------

TEST(FormateSource, SplitsLabelFromInstructionAndComment)
{
    EXPECT_EQ(FormateSource(L({"loop: inc a ; comment"})), L({"loop:", "\tinc\ta\t; comment"}));
    EXPECT_EQ(FormateSource(L({"  loop:   inc   a   ;  comment  "})), L({"loop:", "\tinc\ta\t;  comment"}));
    // Every label of the line gets a line of its own.
    EXPECT_EQ(FormateSource(L({"a: b: nop"})), L({"a:", "b:", "\tnop"}));
    // A colon inside the comment is no label.
    EXPECT_EQ(FormateSource(L({"nop ; a:b"})), L({"nop\t; a:\tb"}));
}

TEST(FormateSource, LabelAloneStaysAloneAndFormattingAgainChangesNothing)
{
    EXPECT_EQ(FormateSource(L({"loop:"})), L({"loop:"}));
    EXPECT_EQ(FormateSource(L({"  loop:  ", "x"})), L({"loop:", "\tx"}));
    EXPECT_EQ(FormateSource(L({":"})), L({":"}));
    const TLignes once = FormateSource(L({"start: movlw 5 ; five", "loop:", "  decfsz n,f", "; done", "t: dc 1"}));
    EXPECT_EQ(FormateSource(once), once);
}

TEST(FormateSource, DataLinesKeepTheirLabel)
{
    EXPECT_EQ(FormateSource(L({"table: dc 1,2"})), L({"table:\tdc\t1,2"}));
    EXPECT_EQ(FormateSource(L({"buf: ds 4 ; reserve"})), L({"buf:\tds\t4\t; reserve"}));
    // "dc" anywhere counts, even inside a name...
    EXPECT_EQ(FormateSource(L({"addc: nop"})), L({"addc:\tnop"}));
    // ...but only in lower case.
    EXPECT_EQ(FormateSource(L({"tab: DC 1"})), L({"tab:", "\tDC\t1"}));
    EXPECT_EQ(FormateSource(L({"dc:"})), L({"dc:\t"}));
}

TEST(FormateSource, PlacesTabsBetweenFields)
{
    EXPECT_EQ(FormateSource(L({"mov a,b"})), L({"\tmov\ta,b"}));
    EXPECT_EQ(FormateSource(L({"nop"})), L({"\tnop"}));
    EXPECT_EQ(FormateSource(L({"  inc   a  "})), L({"\tinc\ta"}));
    EXPECT_EQ(FormateSource(L({"inc a;c"})), L({"\tinc\ta;c"}));
    EXPECT_EQ(FormateSource(L({"nop;c"})), L({"\tnop;c"}));
    EXPECT_EQ(FormateSource(L({"inc ; c"})), L({"\tinc\t; c"}));
    EXPECT_EQ(FormateSource(L({"inc a\t; c"})), L({"\tinc\ta\t; c"}));
    EXPECT_EQ(FormateSource(L({"\t\tinc\t\ta"})), L({"\tinc\t\ta"}));
}

TEST(FormateSource, LeavesBlankLinesAlone)
{
    EXPECT_EQ(FormateSource(L({"", "   ", "\t"})), L({"", "   ", "\t"}));
    EXPECT_EQ(FormateSource({}), TLignes{});
}

TEST(FormateSource, SetsCommentBlockApartFromCode)
{
    EXPECT_EQ(FormateSource(L({"nop", "; block", "; more", "nop"})),
              L({"\tnop", "", "; block", "; more", "\tnop"}));
    EXPECT_EQ(FormateSource(L({"; top", "  ; next  "})), L({"; top", "; next"}));
    EXPECT_EQ(FormateSource(L({"nop", "", "; c"})), L({"\tnop", "", "; c"}));
    EXPECT_EQ(FormateSource(L({"nop", "   ", "; c"})), L({"\tnop", "   ", "; c"}));
    // The separation sees the label line the split has just produced.
    EXPECT_EQ(FormateSource(L({"loop: inc a", ";c"})), L({"loop:", "\tinc\ta", "", ";c"}));
    EXPECT_EQ(FormateSource(L({"nop", ";"})), L({"\tnop", "", ";"}));
}

TEST(FormateSource, DashesCommentTitles)
{
    EXPECT_EQ(FormateSource(L({";   word"})), L({";--- word"}));
    EXPECT_EQ(FormateSource(L({";      word here"})), L({";--- word here"}));
    EXPECT_EQ(FormateSource(L({";   -- \t-word"})), L({";--- word"}));
    EXPECT_EQ(FormateSource(L({";  word"})), L({";  word"}));
    EXPECT_EQ(FormateSource(L({";\t  word"})), L({";\t  word"}));
}

// --- Formate Listing ------------------------------------------------------

TEST(FormateListing, RemovesReferenceLines)
{
    EXPECT_EQ(FormateListing(L({"* Referenced by a CALL at Address:",
                                "* Referenced by a (U)nconditional or (C)onditional Jump at Address:",
                                "|:00401000", "|", "keep", "* Referenced by an", "* Referenced by a"})),
              L({"keep", "* Referenced by an", "* Referenced by a"}));
}

TEST(FormateListing, KeepsLabelsAfterJumpsAndWhereReferred)
{
    const TLignes entree = L({
        "Disassembly",
        ":00401000 55 push ebp",          // first: after-jump starts true
        ":00401001 8BEC mov ebp, esp",
        ":00401003 C3 ret",
        ":00401004 90 nop",               // after ret
        ":00401005 EB00 jmp 00401007",
        ":00401007 90 nop",               // after jmp
        ":00401008 90 nop",               // referred to below
        ":0040100A E9F9FFFFFF jmp 00401008",
        ":0040100F 90 nop",               // after jmp
        ":00401010 90 nop",               // only a removed line refers to it
        "|:00401010",
        ":00401011 90 nop",
        "  00401011",                     // position 3 counts
        ":00401012 90 nop",
        " 00401012",                      // position 2 does not
    });
    EXPECT_EQ(FormateListing(entree), L({
        "Disassembly",
        ":00401000\t55 push ebp",
        "\t8BEC mov ebp, esp",
        "\tC3 ret",
        ":00401004\t90 nop",
        "\tEB00 jmp 00401007",
        ":00401007\t90 nop",
        ":00401008\t90 nop",
        "\tE9F9FFFFFF jmp 00401008",
        ":0040100F\t90 nop",
        "\t90 nop",
        ":00401011\t90 nop",
        "  00401011",
        "\t90 nop",
        " 00401012",
    }));
}

TEST(FormateListing, ShortAddressLines)
{
    EXPECT_EQ(FormateListing(L({":00401000", ":0040", ":", ":00401001", ":00401002X"})),
              L({":00401000", "", "", "", "\t"}));
}

TEST(FormateListing, LargeListingIsFast)
{
    TLignes entree;
    for (int i = 0; i < 100000; ++i) {
        char buf[64];
        std::snprintf(buf, sizeof buf, ":%08X 90 jmp %08X", i, (i * 7) % 100000);
        entree.emplace_back(buf);
    }
    const TLignes res = FormateListing(entree);
    ASSERT_EQ(res.size(), entree.size());
    EXPECT_EQ(res[0], ":00000000\t90 jmp 00000000");
}

// --- Remplace mov ---------------------------------------------------------

TEST(RemplaceMov, RewritesMovesAsAssignments)
{
    EXPECT_EQ(RemplaceMov(L({"mov a,b", "\tmov x,y ; c", "mov a,b,c", "x,y mov z"})),
              L({"a:=b", "\tx:=y ; c", "a:=b,c", "x:=y z"}));
    EXPECT_EQ(RemplaceMov(L({"mov a", "add a,b", "MOV a,b", "movx a,b", "\tmov\ta,b", ""})),
              L({"mov a", "add a,b", "MOV a,b", "movx a,b", "\tmov\ta,b", ""}));
}

// --- Renum adresses -------------------------------------------------------

TEST(LitOffset, ReadsDecimalAndHexadecimal)
{
    EXPECT_EQ(LitOffset("0"), 0);
    EXPECT_EQ(LitOffset("10"), 10);
    EXPECT_EQ(LitOffset("$10"), 16);
    EXPECT_EQ(LitOffset("-$10"), -16);
    EXPECT_EQ(LitOffset("0x1f"), 31);
    EXPECT_EQ(LitOffset("0X1F"), 31);
    EXPECT_EQ(LitOffset("$aBc"), 0xABC);
    EXPECT_EQ(LitOffset("  12"), 12);
    EXPECT_EQ(LitOffset("-5"), -5);
    EXPECT_EQ(LitOffset("+5"), 5);
    EXPECT_EQ(LitOffset("--5"), 5);
    EXPECT_EQ(LitOffset("- 5"), -5);
    EXPECT_EQ(LitOffset("-+$10"), -16);
    EXPECT_EQ(LitOffset("-0"), 0);
}

TEST(LitOffset, RefusesWhatIsNoNumber)
{
    for (const char* s : {"", "-", "$", "-$", "0x", "  ", "12a", "12 ", "1.5", "$G", "x10", "00x10", "+", "$-1"})
        EXPECT_EQ(LitOffset(s), std::nullopt) << s;
}

TEST(LitOffset, Limits)
{
    constexpr auto max = std::numeric_limits<std::int64_t>::max();
    constexpr auto min = std::numeric_limits<std::int64_t>::min();
    EXPECT_EQ(LitOffset("9223372036854775807"), max);
    EXPECT_EQ(LitOffset("9223372036854775808"), std::nullopt);
    EXPECT_EQ(LitOffset("-9223372036854775808"), min);
    EXPECT_EQ(LitOffset("-9223372036854775809"), std::nullopt);
    EXPECT_EQ(LitOffset("$7FFFFFFFFFFFFFFF"), max);
    EXPECT_EQ(LitOffset("$8000000000000000"), std::nullopt);
    EXPECT_EQ(LitOffset("-$8000000000000000"), min);
    EXPECT_EQ(LitOffset("$FFFFFFFFFFFFFFFFF"), std::nullopt);
    EXPECT_EQ(LitOffset("99999999999999999999999"), std::nullopt);
}

TEST(RenumAdresses, MovesTheDigitsAfterTheFirstDot)
{
    EXPECT_EQ(RenumAdresses(L({"\tdw .0120 ; x"}), *LitOffset("-$10")), L({"\tdw .0110 ; x"}));
    EXPECT_EQ(RenumAdresses(L({"L.0120rest", "a.00ff", ".FFFF", ".0005", ".0005"}), 1),
              L({"L.0121rest", "a.0100", ".10000", ".0006", ".0006"}));
    EXPECT_EQ(RenumAdresses(L({".1234.0000"}), 0x100), L({".1334.0000"}));
}

TEST(RenumAdresses, LeavesOtherLinesUnchanged)
{
    EXPECT_EQ(RenumAdresses(L({".01G0", ".012", "no dot", "", "a.b.0120", ".", ". 123"}), 1),
              L({".01G0", ".012", "no dot", "", "a.b.0120", ".", ". 123"}));
    // A negative address is not written.
    EXPECT_EQ(RenumAdresses(L({".0005"}), -6), L({".0005"}));
    EXPECT_EQ(RenumAdresses(L({".0005"}), -5), L({".0000"}));
    EXPECT_EQ(RenumAdresses(L({".0001"}), std::numeric_limits<std::int64_t>::max()), L({".0001"}));
    EXPECT_EQ(RenumAdresses(L({".0000"}), std::numeric_limits<std::int64_t>::max()), L({".7FFFFFFFFFFFFFFF"}));
}

TEST(RenumAdresses, KeepsTheWholeRestOfALongLine)
{
    const std::string reste(1000, 'z');
    EXPECT_EQ(RenumAdresses({".0100" + reste}, 2), TLignes{".0102" + reste});
}

// --- Conv C -> Pascal -----------------------------------------------------

TEST(ConvCPascal, ConvertsTheIfExample)
{
    EXPECT_EQ(ConvCPascal("if (a==b) { x=1; }"), "if (a=b) Begin \r\n  x:=1;\r\nEnd;");
    EXPECT_EQ(ConvCPascal("if (a==b) { x=1; }\r\n"), "if (a=b) Begin \r\n  x:=1;\r\nEnd;\r\n");
    EXPECT_EQ(ConvCPascal(""), "");
}

TEST(ConvCPascal, BlocksAndIndentation)
{
    EXPECT_EQ(ConvCPascal("{\r\nx;\r\n}\r\n"), "Begin \r\n  x;\r\nEnd;\r\n");
    EXPECT_EQ(ConvCPascal("{{x;}}"), "Begin \r\n  Begin \r\n    x;\r\n  End;\r\nEnd;");
    EXPECT_EQ(ConvCPascal("{\r\nif (a) {\r\nb;\r\n}\r\n}\r\n"),
              "Begin \r\n  if (a) Begin \r\n    b;\r\n  End;\r\nEnd;\r\n");
    // Blank lines get no indentation; leading blanks are dropped.
    EXPECT_EQ(ConvCPascal("{\r\n\r\n   \tx;}"), "Begin \r\n\r\n  x;\r\nEnd;");
    EXPECT_EQ(ConvCPascal("x }"), "x \r\nEnd;");
    // Unbalanced braces stay at the margin.
    EXPECT_EQ(ConvCPascal("}}x;{y"), "End;\r\nEnd;\r\nx;\r\nBegin \r\n  y");
}

TEST(ConvCPascal, StatementEnds)
{
    EXPECT_EQ(ConvCPascal("a=1;b=2;"), "a:=1;\r\nb:=2;");
    EXPECT_EQ(ConvCPascal("a=1;  \t"), "a:=1;");
    EXPECT_EQ(ConvCPascal("a=1;  \r\nb=2;\n"), "a:=1;\r\nb:=2;\n");
    EXPECT_EQ(ConvCPascal("a=1;  b"), "a:=1;\r\nb");
}

TEST(ConvCPascal, Operators)
{
    EXPECT_EQ(ConvCPascal("p->x"), "p^.x");
    EXPECT_EQ(ConvCPascal("a!=b"), "a<>b");
    EXPECT_EQ(ConvCPascal("!a"), "!a");
    EXPECT_EQ(ConvCPascal("a-b"), "a-b");
    EXPECT_EQ(ConvCPascal("a=b"), "a:=b");
    EXPECT_EQ(ConvCPascal("a==b"), "a=b");
    EXPECT_EQ(ConvCPascal("a<=b"), "a<=b");
    EXPECT_EQ(ConvCPascal("a>=b"), "a>=b");
    EXPECT_EQ(ConvCPascal("a+=b"), "a+:=b");
    EXPECT_EQ(ConvCPascal("a||b"), "a or b");
    EXPECT_EQ(ConvCPascal("a || b"), "a or b");
    EXPECT_EQ(ConvCPascal("a|b"), "a or b");
    EXPECT_EQ(ConvCPascal("a||\tb"), "a or\tb");
    EXPECT_EQ(ConvCPascal("a&&b"), "a and b");
    EXPECT_EQ(ConvCPascal("a & b"), "a and b");
    EXPECT_EQ(ConvCPascal("a|"), "a or");
    EXPECT_EQ(ConvCPascal("a!"), "a!");
    EXPECT_EQ(ConvCPascal("a-"), "a-");
    EXPECT_EQ(ConvCPascal("="), ":=");
}

TEST(ConvCPascal, CharacterConstants)
{
    EXPECT_EQ(ConvCPascal("c='a';"), "c:='a';");
    EXPECT_EQ(ConvCPascal("c=';';"), "c:=';';");
    EXPECT_EQ(ConvCPascal("'\\n'"), "LF");
    EXPECT_EQ(ConvCPascal("'\\t'"), "TAB");
    EXPECT_EQ(ConvCPascal("'\\r'"), "CR");
    EXPECT_EQ(ConvCPascal("'\\f'"), "FF");
    EXPECT_EQ(ConvCPascal("'\\b'"), "\x7F");
    EXPECT_EQ(ConvCPascal("'\\0'"), "#0");
    EXPECT_EQ(ConvCPascal("'\\\\'"), "'\\'");
    EXPECT_EQ(ConvCPascal("'\\''"), "''''");
    EXPECT_EQ(ConvCPascal("'\\\"'"), "'\"'");
    EXPECT_EQ(ConvCPascal("'\\x'"), "'\\x'");
    EXPECT_EQ(ConvCPascal("c='\\n';"), "c:=LF;");
    // Cut short at the end of the text.
    EXPECT_EQ(ConvCPascal("'"), "'");
    EXPECT_EQ(ConvCPascal("'a"), "'a");
    EXPECT_EQ(ConvCPascal("'\\"), "'\\");
    EXPECT_EQ(ConvCPascal("'\\n"), "LF");
}

TEST(ConvCPascal, StringConstants)
{
    EXPECT_EQ(ConvCPascal("\"abc\""), "'abc'");
    EXPECT_EQ(ConvCPascal("\"{;}=|\""), "'{;}=|'");
    EXPECT_EQ(ConvCPascal("\"a\\nb\""), "'a'+LF+'b'");
    EXPECT_EQ(ConvCPascal("\"a\\rb\""), "'a'+CR+'b'");
    EXPECT_EQ(ConvCPascal("\"a\\tb\""), "'a'+TAB+'b'");
    EXPECT_EQ(ConvCPascal("\"a\\fb\""), "'a'+FF+'b'");
    EXPECT_EQ(ConvCPascal("\"a\\bb\""), "'a'#$7F'b'");
    EXPECT_EQ(ConvCPascal("\"a\\0b\""), "'a'#0'b'");
    EXPECT_EQ(ConvCPascal("\"a\\n\""), "'a'+LF");
    EXPECT_EQ(ConvCPascal("\"a\\0\""), "'a'#0");
    EXPECT_EQ(ConvCPascal("\"\\n\\n\""), "''+LF+''+LF");
    EXPECT_EQ(ConvCPascal("\"a\\\\b\""), "'a\\b'");
    EXPECT_EQ(ConvCPascal("\"a\\\"b\""), "'a\"b'");
    // A quote inside a string is doubled, escaped or not.
    EXPECT_EQ(ConvCPascal("\"a\\'b\""), "'a''b'");
    EXPECT_EQ(ConvCPascal("\"it's\""), "'it''s'");
    EXPECT_EQ(ConvCPascal("\"a\\qb\""), "'a\\qb'");
    EXPECT_EQ(ConvCPascal("\"a\\\\\""), "'a\\'");
    EXPECT_EQ(ConvCPascal("s=\"x\";"), "s:='x';");
    // Cut short at the end of the text.
    EXPECT_EQ(ConvCPascal("\""), "''");
    EXPECT_EQ(ConvCPascal("\"abc"), "'abc'");
    EXPECT_EQ(ConvCPascal("\"abc\\"), "'abc\\'");
    EXPECT_EQ(ConvCPascal("\"a\\n"), "'a'+LF");
}

TEST(ConvCPascal, BytesAboveAsciiAreCopied)
{
    EXPECT_EQ(ConvCPascal("x=\"\xE9t\xE9\";\xFF"), "x:='\xE9t\xE9';\r\n\xFF");
}

// --- Robustness -----------------------------------------------------------

TEST(OutilsTexte, RandomLinesDoNotBreakAnyTool)
{
    std::mt19937 gen(20240611);
    static constexpr char kAlphabet[] = ":;.,\"'\\{}|&!=<>- \t\r\n*$dcsmovr0123456789ABCDEFabcdefx\x80\xE9\xFF";
    std::uniform_int_distribution<int> longueur(0, 80);
    std::uniform_int_distribution<int> choix(0, sizeof kAlphabet - 2);
    std::uniform_int_distribution<int> octet(0, 255);
    std::uniform_int_distribution<int> mode(0, 9);

    TLignes lignes;
    for (int i = 0; i < 4000; ++i) {
        const int m = mode(gen);
        const int n = m == 0 ? longueur(gen) * 20 : longueur(gen);
        std::string l;
        for (int j = 0; j < n; ++j)
            l += m == 1 ? static_cast<char>(octet(gen)) : kAlphabet[choix(gen)];
        if (m == 2)
            l.insert(0, ":");
        if (m == 3)
            l.insert(0, "* Referenced by a ");
        lignes.push_back(std::move(l));
    }

    EXPECT_GE(FormateSource(lignes).size(), lignes.size());
    EXPECT_LE(FormateListing(lignes).size(), lignes.size());
    EXPECT_EQ(RemplaceMov(lignes).size(), lignes.size());
    for (std::int64_t offset : {std::int64_t{0}, std::int64_t{-0x10000}, std::int64_t{0x7FFF},
                                std::numeric_limits<std::int64_t>::min(), std::numeric_limits<std::int64_t>::max()})
        EXPECT_EQ(RenumAdresses(lignes, offset).size(), lignes.size());

    std::string texte;
    for (const std::string& l : lignes) {
        (void)LitOffset(l);
        (void)ConvCPascal(l);
        texte += l + "\r\n";
    }
    EXPECT_FALSE(ConvCPascal(texte).empty());
}
