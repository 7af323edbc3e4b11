// Reading processor tables and describing their encodings.
#include "TabFixture.h"
#include "support/TestDir.h"

#include <cstdio>
#include <cstring>

using namespace kep;
using namespace kep::test;
using Strings = std::vector<std::string>;

namespace {

class ItemsTable : public ::testing::Test {
protected:
    void SetUp() override { LoadTable(Tab, TableBytes("items.tabdesc")); }
    Strings Lines(const std::string& m) const { return Describe(Tab, m).Lines; }
    TTabFile Tab;
};

} // namespace

TEST_F(ItemsTable, ListsComeFromTheirAreas)
{
    EXPECT_EQ(Tab.Title(), "Table d'essai : tous les codes");
    EXPECT_EQ(Tab.Keywords(), (Strings{"A", "X", "Y", "(HL)", ","}));
    EXPECT_EQ(Tab.Values(), (Strings{"X", "Y"}));
    ASSERT_EQ(Tab.Mnemonics().size(), 24u);
    EXPECT_EQ(Tab.Mnemonics().front(), "INH");
    EXPECT_EQ(Tab.Mnemonics().back(), "UNKEND");
    EXPECT_FALSE(Tab.IsH8Style());
    EXPECT_EQ(Tab.IndexOfMnemonic("qkw"), 2);
    EXPECT_EQ(Tab.IndexOfMnemonic("QK"), -1);
}

TEST_F(ItemsTable, SyntaxItems)
{
    EXPECT_EQ(Lines("INH"), Strings{"00  : " + Inherent});
    EXPECT_EQ(Lines("KW"), Strings{"10  : A,(HL)"});
    EXPECT_EQ(Lines("QKW"), Strings{"11  : " + Quoted("X")});
    EXPECT_EQ(Lines("COMMA"), Strings{"12  : A \xAB,"});
    EXPECT_EQ(Lines("MACSIG"), Strings{"13  :  \xABMacsig 0A pos FF\xBB"});
    EXPECT_EQ(Lines("ALT"), Strings{"14  : X|Y"});
    // The list's own comparison ignores case.
    EXPECT_EQ(Lines("macsig"), Lines("MACSIG"));
}

TEST_F(ItemsTable, OperandItems)
{
    EXPECT_EQ(Lines("RANGE"), Strings{"21  : {01\\AB\\FF}"});
    EXPECT_EQ(Lines("NVAL"), Strings{"22  : " + Quoted("Y")});
    EXPECT_EQ(Lines("INSET"), Strings{"23  : Inset0Inset9Inset:Inset?"});
    EXPECT_EQ(Lines("IKW"), Strings{"24  : A"});
    EXPECT_EQ(Lines("IALT"), Strings{"25  : X|Y"});
    // Unknown operand code: the code, then the item's first four bytes.
    EXPECT_EQ(Lines("IUNK"), Strings{"26  : 77???77 01 02 03 A"});
}

TEST_F(ItemsTable, ArgumentTypesAreListedOncePerName)
{
    // Codes 1 and 19 are both "d8": the first one met is listed.
    TDescription d = Describe(Tab, "TYPES");
    EXPECT_EQ(d.Lines, Strings{"20  : d8,d8,d16,d8"});
    EXPECT_EQ(d.Types, (Strings{"d8=00..FF (1)", "d16=0000..FFFF (2)"}));
    // A new description starts both lists afresh.
    d = Describe(Tab, "KW");
    EXPECT_TRUE(d.Types.empty());
}

TEST_F(ItemsTable, OperandItemErrorsShowAndGoOn)
{
    TDescription d = Describe(Tab, "IBAD");
    EXPECT_EQ(d.Lines, (Strings{"27  :  ???40???,", "28  :  ???06???,", "29  :  ???C0???,",
                                "2A  :  ???80???, ???80???,disp8"}));
    EXPECT_EQ(d.Types, Strings{"disp8=disp8 (-128..+127) (191)"});
}

TEST_F(ItemsTable, SyntaxItemErrorsEndTheMnemonic)
{
    // The second variant of SBAD is never reached.
    EXPECT_EQ(Lines("SBAD"), Strings{"30  : A01??? Err > "});
    EXPECT_EQ(Lines("QBAD"), Strings{"32  : 09??? Err > "});
    EXPECT_EQ(Lines("ABAD"), Strings{"33  : A03??? Err > "});
    // Indexes beyond tables OA, OC and OB.
    EXPECT_EQ(Lines("XBAD"), Strings{"34  : 02??? Err > "});
    EXPECT_EQ(Lines("LBAD"), Strings{"35  : 04??? Err > "});
    EXPECT_EQ(Lines("GBAD"), Strings{"36  : 03??? Err > "});
}

TEST_F(ItemsTable, VariantHeaders)
{
    // Short headers (up to four bytes) and 3-byte headers, chained.
    EXPECT_EQ(Lines("VARIANTS"), (Strings{"40 41 42 43  : A", "44  : " + Inherent, "45 46 47 48 49 4A  : X"}));
    // 32 opcode bytes: 30 shown, all skipped.
    std::string shown;
    for (int i = 0; i < 30; ++i) {
        char hex[4];
        std::snprintf(hex, sizeof hex, "%02X ", i);
        shown += hex;
    }
    EXPECT_EQ(Lines("LONGOP"), Strings{shown + " : Y"});
}

TEST_F(ItemsTable, UnknownSyntaxCodeShowsTheEncodingData)
{
    EXPECT_EQ(Lines("UNKNOWN"),
              Strings{"50 51 52 53 54 55  : A<55 ??" "?> FF 06 01 50 51 52 53 54 55 01 01 55 01 02 03 04 05 06 07 08 "});
    // At the end of area D fewer than 20 bytes remain.
    EXPECT_EQ(Lines("UNKEND"), Strings{"61  : <55 ??" "?> 00 61 55 00 "});
}

TEST_F(ItemsTable, AbsentMnemonicGivesNothing)
{
    Strings lines{"old"}, types{"old"};
    Tab.Describe("NOPE", lines, types);
    EXPECT_TRUE(lines.empty());
    EXPECT_TRUE(types.empty());
}

TEST(TabFileLists, OneListGivesOneLinePerEntry)
{
    TTabFile tab;
    LoadTable(tab, TableBytes("lists.tabdesc"));
    // Text after the list reaches every expanded line.
    EXPECT_EQ(Describe(tab, "ONE").Lines, (Strings{"01  : ,A,", "01  : ,B,", "01  : ,C,"}));
}

TEST(TabFileLists, TwoListsGiveEveryCombination)
{
    TTabFile tab;
    LoadTable(tab, TableBytes("lists.tabdesc"));
    EXPECT_EQ(Describe(tab, "TWO").Lines,
              (Strings{"02  : X,A", "02  : X,B", "02  : X,C", "02  : Y,A", "02  : Y,B", "02  : Y,C"}));
}

TEST(TabFileLists, ExpansionStaysInsideItsVariant)
{
    TTabFile tab;
    LoadTable(tab, TableBytes("lists.tabdesc"));
    EXPECT_EQ(Describe(tab, "SECOND").Lines, (Strings{"03  : A", "04  : X", "04  : Y"}));
    TDescription d = Describe(tab, "TYPED");
    EXPECT_EQ(d.Lines, (Strings{"05  : d8", "05  : A", "05  : d8"}));
    EXPECT_EQ(d.Types, Strings{"d8=00..FF (1)"});
    EXPECT_EQ(Describe(tab, "EMPTY").Lines, Strings{"06  : AB"});
}

TEST(TabFileFlags, H8StyleIsNotDecoded)
{
    TTabFile tab;
    LoadTable(tab, TableBytes("h8.tabdesc"));
    EXPECT_TRUE(tab.IsH8Style());
    EXPECT_EQ(tab.Keywords(), (Strings{"R0", "R1"}));
    TDescription d = Describe(tab, "MOV");
    EXPECT_TRUE(d.Lines.empty());
    EXPECT_EQ(d.Types, Strings{"H8 style"});
}

TEST(TabFileFlags, CaretGivesTheLargeNameArea)
{
    TTabLayout layout;
    std::string bytes = TableBytes("caret.tabdesc", &layout);
    ASSERT_EQ(layout.NamesSize, 2048u);
    TTabFile tab;
    LoadTable(tab, bytes);
    EXPECT_EQ(tab.Keywords(), (Strings{"^ORG", "A", "B"}));
    EXPECT_EQ(tab.Mnemonics(), (Strings{"LD", "ST"}));
    EXPECT_EQ(Describe(tab, "ST").Lines, Strings{"02  : B"});
    EXPECT_FALSE(tab.IsH8Style());

    // The flag block is the last 15 bytes of whichever area size applies.
    bytes[layout.Names + 2048 - 15 + 6] = '\x20';
    LoadTable(tab, bytes);
    EXPECT_TRUE(tab.IsH8Style());
    // In the small area the block ends the 512 bytes.
    std::string small = TableBytes("h8.tabdesc", &layout);
    ASSERT_EQ(layout.NamesSize, 512u);
    small[layout.Names + 512 - 15 + 6] = '\0';
    LoadTable(tab, small);
    EXPECT_FALSE(tab.IsH8Style());
}

TEST(TabFileLists, NamesAreSplitAtSemicolonsSkippingEmptyPieces)
{
    TTabLayout layout;
    std::string bytes = TableBytes("caret.tabdesc", &layout);
    const std::string keywords = ";;K1;;K2;";
    bytes.replace(layout.Names, keywords.size() + 1, keywords + '\0');
    TTabFile tab;
    LoadTable(tab, bytes);
    EXPECT_EQ(tab.Keywords(), (Strings{"K1", "K2"}));
}

TEST(TabFileLists, RepeatedMnemonicFindsTheFirst)
{
    TTabFile tab;
    LoadTable(tab, TableFromText("keywords A B\nmnemonic ld\n  encoding 01 : kw A\n"
                                 "mnemonic LD\n  encoding 02 : kw B\nmnemonic LDX\n  encoding 03 :\n"));
    EXPECT_EQ(tab.IndexOfMnemonic("Ld"), 0);
    EXPECT_EQ(tab.IndexOfMnemonic("ldx"), 2);
    EXPECT_EQ(tab.IndexOfMnemonic("L"), -1);
    EXPECT_EQ(tab.IndexOfMnemonic("LDXX"), -1);
    EXPECT_EQ(Describe(tab, "LD").Lines, Strings{"01  : A"});
    // Reloading replaces the lookup with the new table's.
    LoadTable(tab, TableFromText("mnemonic LDX\n  encoding 04 :\n"));
    EXPECT_EQ(tab.IndexOfMnemonic("LDX"), 0);
    EXPECT_EQ(tab.IndexOfMnemonic("LD"), -1);
}

TEST(TabFileLoad, EmptyNameGivesEmptyLists)
{
    TTabFile tab;
    std::string error;
    EXPECT_TRUE(tab.Load("", &error));
    EXPECT_TRUE(tab.Keywords().empty());
    EXPECT_TRUE(tab.Mnemonics().empty());
    Strings lines, types;
    tab.Describe("NOP", lines, types);
    EXPECT_TRUE(lines.empty() && types.empty());
}

TEST(TabFileLoad, FromFileAndMissingFile)
{
    TTestDir dir;
    const std::string path = dir.Path("lists.tab");
    ASSERT_TRUE(WriteFileAtomic(path, TableBytes("lists.tabdesc")));
    TTabFile tab;
    std::string error;
    EXPECT_TRUE(tab.Load(path, &error)) << error;
    EXPECT_EQ(tab.Mnemonics().size(), 5u);
    std::remove(path.c_str());

    // A failed load leaves nothing of the previous table.
    EXPECT_FALSE(tab.Load(path, &error));
    EXPECT_NE(error.find(path), std::string::npos) << error;
    EXPECT_NE(error.find("Impossible de lire"), std::string::npos) << error;
    EXPECT_TRUE(tab.Mnemonics().empty());
    EXPECT_FALSE(tab.IsLoaded());
}

TEST(TabFileArgTypes, FixedTable)
{
    ASSERT_EQ(TTabFile::ArgTypeCount, 191);
    EXPECT_EQ(TTabFile::ArgType(0), nullptr);
    EXPECT_EQ(TTabFile::ArgType(192), nullptr);
    struct {
        int Code;
        const char* Name;
        const char* Description;
    } samples[] = {
        {1, "d8", "00..FF"},
        {6, "rst", "00, 08, 10, 18, 20, 28, 30, or 38"},
        {31, "<0,10..15>", "0,A,B,C,D,E,F"},
        {74, "spd6not2/3", "ads in same page (not 2 or 3)"},
        {89, "d8quad", "00..04..08..0C.. FC"},
        {100, "-", "-"},
        {154, "d2 <1..4>", "1,2,3,4"},
        {176, "disp8 Signed", "disp8 Signed Only (-128..127)"},
        {190, "rel8", "rel8-2 (pc-130..pc+125)"},
        {191, "disp8", "disp8 (-128..+127)"},
    };
    for (const auto& s : samples) {
        const TArgType* t = TTabFile::ArgType(s.Code);
        ASSERT_NE(t, nullptr) << s.Code;
        EXPECT_STREQ(t->Name, s.Name) << s.Code;
        EXPECT_STREQ(t->Description, s.Description) << s.Code;
    }
    for (int code = 1; code <= TTabFile::ArgTypeCount; ++code) {
        const TArgType* t = TTabFile::ArgType(code);
        EXPECT_TRUE(t && *t->Name && *t->Description && !std::strchr(t->Name, '=')) << code;
    }
}
