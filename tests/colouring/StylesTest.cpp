// Style tables: built-in values, stored text form, INI round trips.
#include "editor/U_SyntaxeStyles.h"
#include "support/TestDir.h"

#include <gtest/gtest.h>

using namespace kep;

namespace {

TEST(Styles, BuiltInTable)
{
    const TStyleTable& d = DefaultStyles();
    EXPECT_EQ(d[stDir].Fore, 0xE0C0C0u); // C0,C0,E0 stored blue-high
    EXPECT_EQ(d[stRem].Fore, clBtnShadow);
    EXPECT_EQ(d[stTit].Fore, 0x00FFFFu);
    EXPECT_EQ(d[stSel].Fore, 0x800000u);
    EXPECT_EQ(d[stSel].Back, 0xC0C0C0u);
    EXPECT_EQ(d[stRien].Fore, clBtnFace);
    EXPECT_EQ(d[stStr].Fore, 0x1AC1ECu);
    EXPECT_EQ(d[stSur].Fore, 0u);
    EXPECT_EQ(d[stSur].Back, 0xFFFFFFu);
    EXPECT_EQ(d[stSur].Style, fsBold);
    EXPECT_EQ(d[stSig].Fore, 0x0000FFu);
    EXPECT_EQ(d[stMacro].Back, 0x008000u);
    EXPECT_EQ(d[stLoop].Back, 0x008080u);
    EXPECT_EQ(d[stIf1].Back, 0x808000u);
    EXPECT_EQ(d[stIf0].Back, 0x808000u);
    for (int i = 0; i < StyleCount; ++i) {
        const bool context = i >= stMacro;
        EXPECT_EQ(d[std::size_t(i)].TxtSntx, context) << i;
        EXPECT_EQ(d[std::size_t(i)].FondCtx, !context) << i;
        if (context) {
            EXPECT_EQ(d[std::size_t(i)].Fore, clWhite);
        } else if (i != stSel && i != stSur) {
            EXPECT_EQ(d[std::size_t(i)].Back, clBlack);
        }
    }
    EXPECT_EQ(StyleName(stIf0), "stIf0");
    EXPECT_EQ(StyleLabel(stTit), "Remarques surlignées (;**) ");
    EXPECT_EQ(StyleLabel(stLoop), "Definition de boucle");
    EXPECT_EQ(LegacyKeyName(stRem), "Couls7");
    EXPECT_EQ(LegacyKeyName(stMacro), "Couls3");
    EXPECT_EQ(LegacyKeyNumber(stIf0), 6);
    EXPECT_EQ(StyleName(TStyleType(14)), "");
}

TEST(Styles, StoredTextForm)
{
    TStyleEntry e{clBlack, clYellow, fsBold, false, false};
    EXPECT_EQ(StyleValueText(e), "$00FFFF,$000000,Gras");
    e = TStyleEntry{clGreen, clWhite, fsBold | fsItalic | fsUnderline | fsStrikeOut, true, true};
    EXPECT_EQ(StyleValueText(e), "$FFFFFF,$008000,Gras,Italique,Souligne,Barre,TxtSntx,FondCtx");
    e = TStyleEntry{clBlack, clBtnShadow, 0, false, true};
    EXPECT_EQ(StyleValueText(e), "$80000010,$000000,FondCtx");

    TStyleEntry r;
    ASSERT_TRUE(ParseStyleValue(" $80000010 , 255 ,barre, inconnu ,FONDCTX", r));
    EXPECT_EQ(r, (TStyleEntry{0xFF, clBtnShadow, fsStrikeOut, false, true}));
    ASSERT_TRUE(ParseStyleValue("-2147483632,0", r)); // older files: signed decimal
    EXPECT_EQ(r.Fore, clBtnShadow);
    EXPECT_EQ(ParseColorItem("$ffFFff"), 0xFFFFFFu);
    EXPECT_EQ(ParseColorItem("4294967295"), 0xFFFFFFFFu);
    for (const char* bad : {"", "$", "$12345678A", "12x", "0x10", "4294967296", "-2147483649", "$G0", "+"})
        EXPECT_EQ(ParseColorItem(bad), 0u) << bad;

    // Nothing non-zero: the entry stays as it was.
    const TStyleEntry before{1, 2, 0, true, true};
    r = before;
    EXPECT_FALSE(ParseStyleValue("abc,xyz,TxtSntx,FondCtx", r));
    EXPECT_FALSE(ParseStyleValue("", r));
    EXPECT_FALSE(ParseStyleValue("$0,$0", r));
    EXPECT_EQ(r, before);
    EXPECT_TRUE(ParseStyleValue("0,0,Italique", r));
    EXPECT_EQ(r, (TStyleEntry{0, 0, fsItalic, false, false}));
}

TEST(Styles, CommaLists)
{
    using S = std::vector<std::string>;
    EXPECT_EQ(TIniFileStyles::SplitCommaList("14, 23,41 ,,x y"), (S{"14", "23", "41", "", "x y"}));
    EXPECT_EQ(TIniFileStyles::SplitCommaList("\"): as\",0,\"a\"\"b, c\",\"\""), (S{"): as", "0", "a\"b, c", ""}));
    EXPECT_EQ(TIniFileStyles::SplitCommaList("\"open"), (S{"open"}));
    EXPECT_TRUE(TIniFileStyles::SplitCommaList("  ").empty());
    const S items = {"): as", "0", "", "a\"b", "#1", "(", "x,y"};
    EXPECT_EQ(TIniFileStyles::JoinCommaList(items), "\"): as\",0,\"\",\"a\"\"b\",#1,(,\"x,y\"");
    EXPECT_EQ(TIniFileStyles::SplitCommaList(TIniFileStyles::JoinCommaList(items)), items);

    TTestDir dir;
    const std::string path = dir.Path("l.ini");
    TIniFileStyles ini(path);
    ASSERT_TRUE(ini.WriteString("Global", "MarqueErr", TIniFileStyles::JoinCommaList({"): as", "0", "): Lyn", "0"})));
    ASSERT_TRUE(ini.WriteString("Global", "Quoted", TIniFileStyles::JoinCommaList({"a b", "c d"})));
    TIniFileStyles back(path);
    EXPECT_EQ(back.ReadCommaList("Global", "MarqueErr"), (S{"): as", "0", "): Lyn", "0"}));
    EXPECT_EQ(back.ReadCommaList("Global", "Quoted"), (S{"a b", "c d"}));
    EXPECT_TRUE(back.ReadCommaList("Global", "Missing").empty());
}

TEST(Styles, RoundTripThroughTheIniFile)
{
    TTestDir dir;
    const std::string path = dir.Path("kep.ini");
    TStyleTable table = DefaultStyles();
    table[stDir] = TStyleEntry{clBlack, clYellow, fsBold, false, true};
    table[stSel] = TStyleEntry{clBtnFace, clBtnShadow, fsItalic | fsUnderline, false, false};
    table[stIf0] = TStyleEntry{RGBColor(0x40, 0x40, 0x40), clWhite, fsStrikeOut, true, true};
    table[stOp].FondCtx = false; // differs from its default by the flag alone
    {
        TIniFileStyles ini(path);
        ASSERT_TRUE(ini.WriteString("FT0", "Ext", ".asm"));
        ASSERT_TRUE(ini.WriteStyles("FT0", table));
    }
    TIniFileStyles ini(path);
    EXPECT_EQ(ini.ReadString("FT0", "stDir", ""), "$00FFFF,$000000,Gras,FondCtx");
    EXPECT_EQ(ini.ReadString("FT0", "stOp", ""), "$C0E0C0,$000000");
    // Styles equal to their default are not written.
    EXPECT_EQ(ini.ReadSection("FT0"), (std::vector<std::string>{"Ext", "stDir", "stOp", "stSel", "stIf0"}));
    TStyleTable read = DefaultStyles();
    ini.ReadStyles("FT0", read);
    EXPECT_EQ(read, table);

    // Back to the defaults: the keys go, and the defaults read back.
    ASSERT_TRUE(ini.WriteStyles("FT0", DefaultStyles()));
    EXPECT_EQ(ini.ReadSection("FT0"), (std::vector<std::string>{"Ext"}));
    read = DefaultStyles();
    TIniFileStyles(path).ReadStyles("FT0", read);
    EXPECT_EQ(read, DefaultStyles());

    // Against another table of defaults, as a document against its file type.
    TStyleTable type = table;
    TStyleTable doc = table;
    doc[stLab].Fore = clRed;
    ASSERT_TRUE(ini.WriteStyles("Edit0", doc, type));
    EXPECT_EQ(ini.ReadSection("Edit0"), (std::vector<std::string>{"stLab"}));
    read = type;
    TIniFileStyles(path).ReadStyles("Edit0", read);
    EXPECT_EQ(read, doc);
}

TEST(Styles, LegacyKeysAndFallbacks)
{
    TTestDir dir;
    const std::string path = dir.Write("old.ini",
        "[FT1]\n"
        "Couls0=255,0,Gras\n"      // stDir by its legacy number
        "stOp=\n"                  // empty: the legacy key is read
        "Couls1=$00FF00,$000000\n"
        "Couls3=$FFFFFF,$404040\n" // stMacro
        "stRem=$123456,$000000\n"
        "Couls7=$999999,$000000\n" // stRem: the new key wins
        "stRien=0,0,Souligne\n"    // both colours 0: a copy of stRem
        "stStr=$0,$0,Gras\n"       // both colours 0: its default
        "stSig=rouge,vert\n"       // unreadable: left as it was
        "Couls13=$0000FF,$000000\n");
    TIniFileStyles ini(path);
    TStyleTable t = DefaultStyles();
    ini.ReadStyles("fT1", t);
    EXPECT_EQ(t[stDir], (TStyleEntry{0, 0xFF, fsBold, false, false}));
    EXPECT_EQ(t[stOp], (TStyleEntry{0, 0x00FF00, 0, false, false}));
    EXPECT_EQ(t[stMacro], (TStyleEntry{0x404040, clWhite, 0, false, false}));
    EXPECT_EQ(t[stRem].Fore, 0x123456u);
    EXPECT_EQ(t[stRien], t[stRem]);
    EXPECT_EQ(t[stStr], DefaultStyles()[stStr]);
    EXPECT_EQ(t[stSig], DefaultStyles()[stSig]);
    EXPECT_EQ(t[stLab], DefaultStyles()[stLab]);

    // From a zeroed table, the fallbacks still give usable neutral text and strings.
    TStyleTable zero{};
    TIniFileStyles(dir.Path("none.ini")).ReadStyles("FT1", zero);
    EXPECT_EQ(zero[stRien], zero[stRem]);
    EXPECT_EQ(zero[stStr], DefaultStyles()[stStr]);

    // A legacy key of a style written back at its default is removed.
    TStyleTable back = t;
    back[stMacro] = DefaultStyles()[stMacro];
    ASSERT_TRUE(ini.WriteStyles("FT1", back));
    EXPECT_FALSE(ini.ValueExists("FT1", "Couls3"));
    TStyleTable again = DefaultStyles();
    TIniFileStyles(path).ReadStyles("FT1", again);
    EXPECT_EQ(again, back);
}

} // namespace
