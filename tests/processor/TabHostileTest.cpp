// Truncated and corrupted tables: refused at load with a reason, or
// described with error texts, never read outside their bytes (these tests
// run under AddressSanitizer too).
#include "TabFixture.h"

#include <random>

using namespace kep;
using namespace kep::test;
using Strings = std::vector<std::string>;

namespace {

const char* const Fixtures[] = {"items.tabdesc", "lists.tabdesc", "caret.tabdesc", "small.tabdesc", "h8.tabdesc"};

// Describes every mnemonic, and one that is absent; the sizes stay bounded.
void DescribeAll(const TTabFile& tab)
{
    Strings lines, types;
    for (const std::string& m : tab.Mnemonics()) {
        tab.Describe(m, lines, types);
        EXPECT_LE(lines.size(), 10001u) << m;
        EXPECT_LE(types.size(), static_cast<std::size_t>(TTabFile::ArgTypeCount)) << m;
    }
    tab.Describe("\x01" "absent", lines, types);
    EXPECT_TRUE(lines.empty());
}

// A copy in a block of its own size, so that AddressSanitizer sees any read
// past its end.
std::string Exact(const std::string& bytes, std::size_t size)
{
    return std::string(bytes.data(), size);
}

} // namespace

TEST(TabHostile, EveryTruncationIsRefused)
{
    for (const char* fixture : Fixtures) {
        const std::string bytes = TableBytes(fixture);
        for (std::size_t len = 0; len < bytes.size(); ++len) {
            TTabFile tab;
            std::string error;
            // The written tables end with table OD, so any cut leaves an area
            // short.
            ASSERT_FALSE(tab.LoadFromBytes(Exact(bytes, len), &error)) << fixture << " " << len;
            EXPECT_FALSE(error.empty());
            EXPECT_TRUE(tab.Keywords().empty() && tab.Mnemonics().empty() && tab.Values().empty());
        }
        TTabFile tab;
        LoadTable(tab, Exact(bytes, bytes.size()));
        DescribeAll(tab);
    }
}

TEST(TabHostile, RefusalsNameTheirReason)
{
    TTabLayout layout;
    const std::string bytes = TableBytes("small.tabdesc", &layout);
    TTabFile tab;
    std::string error;

    EXPECT_FALSE(tab.LoadFromBytes("Titre sans fin", &error));
    EXPECT_NE(error.find("titre"), std::string::npos) << error;

    EXPECT_FALSE(tab.LoadFromBytes(Exact(bytes, layout.Header + 23), &error));
    EXPECT_NE(error.find("en-tête"), std::string::npos) << error;

    EXPECT_FALSE(tab.LoadFromBytes(Exact(bytes, layout.Names + 511), &error));
    EXPECT_NE(error.find("zone des noms"), std::string::npos) << error;

    std::string big = bytes;
    PutWord(big, layout.Header + 2 * 4, 0xFFFF); // C4: area D
    EXPECT_FALSE(tab.LoadFromBytes(big, &error));
    EXPECT_NE(error.find("zone D"), std::string::npos) << error;
    EXPECT_NE(error.find("65535 octets attendus"), std::string::npos) << error;

    std::string value = bytes;
    value[layout.ValueRecords] = 9; // the table has four keywords
    EXPECT_FALSE(tab.LoadFromBytes(value, &error));
    EXPECT_NE(error.find("valeur nommée 1"), std::string::npos) << error;

    // Fewer OD entries than mnemonics; the freed words become trailing bytes.
    std::string od = bytes;
    PutWord(od, layout.Header + 2 * 9, 3);
    EXPECT_FALSE(tab.LoadFromBytes(od, &error));
    EXPECT_NE(error.find("table OD"), std::string::npos) << error;
}

TEST(TabHostile, TrailingAreasAreNotRead)
{
    // The areas after table OD (2 x C10 words, C11 bytes) may be anything.
    std::string bytes = TableBytes("small.tabdesc") + std::string(7, '\xEE');
    TTabFile tab;
    LoadTable(tab, bytes);
    EXPECT_EQ(tab.Mnemonics().size(), 4u);
}

TEST(TabHostile, UnterminatedStringsStopAtTheirArea)
{
    TTabLayout layout;
    std::string bytes = TableBytes("lists.tabdesc", &layout);
    // Keyword text up to the flag block, without its zero byte.
    std::string names = bytes;
    names.replace(layout.Names, 512 - 15, std::string(512 - 15, 'K'));
    TTabFile tab;
    LoadTable(tab, names);
    EXPECT_EQ(tab.Keywords(), Strings{std::string(497, 'K')});

    std::string mnemonics = bytes;
    mnemonics[layout.AreaD - 1] = 'Z';
    LoadTable(tab, mnemonics);
    EXPECT_EQ(tab.Mnemonics().back(), "EMPTYZ");
}

TEST(TabHostile, BadOffsetsEndTheMnemonic)
{
    TTabLayout layout;
    const std::string bytes = TableBytes("small.tabdesc", &layout);
    const std::size_t areaD = layout.ValueRecords - layout.AreaD;
    TTabFile tab;

    // Encodings of JR (mnemonic 1) beyond area D, then on its last byte.
    std::string od = bytes;
    PutWord(od, layout.TableOD + 2, static_cast<unsigned>(areaD));
    LoadTable(tab, od);
    EXPECT_EQ(Describe(tab, "JR").Lines, Strings{"??? Err > "});
    PutWord(od, layout.TableOD + 2, static_cast<unsigned>(areaD - 1));
    LoadTable(tab, od);
    EXPECT_EQ(Describe(tab, "JR").Lines, Strings{"??? Err > "});
    EXPECT_EQ(Describe(tab, "HALT").Lines, Strings{"76  : " + Inherent});

    // Operand item n (item 1) beyond area A.
    std::string oa = bytes;
    PutWord(oa, layout.TableOA, static_cast<unsigned>(layout.AreaB - layout.AreaA));
    LoadTable(tab, oa);
    EXPECT_EQ(Describe(tab, "LD").Lines, Strings{"3E  : A,02??? Err > "});

    // The item list of the last mnemonic runs to the end of area D: a code
    // whose argument is missing, then a code with nothing after it.
    std::string end = bytes;
    end[layout.ValueRecords - 1] = '\x01';
    LoadTable(tab, end);
    EXPECT_EQ(Describe(tab, "PUSH").Lines, Strings{"E5  : " + Quoted("HL") + "01??? Err > "});
    end[layout.ValueRecords - 1] = '\x0A';
    LoadTable(tab, end);
    EXPECT_EQ(Describe(tab, "PUSH").Lines, Strings{"E5  : " + Quoted("HL") + " \xAB,??? Err > "});

    // A continuation with no variant after it.
    std::string cont = bytes;
    const std::size_t push = layout.AreaD + static_cast<unsigned char>(bytes[layout.TableOD + 6]);
    ASSERT_EQ(cont[push], '\x00');
    cont[push] = '\x01';
    LoadTable(tab, cont);
    EXPECT_EQ(Describe(tab, "PUSH").Lines, (Strings{"E5  : " + Quoted("HL"), "??? Err > "}));
}

TEST(TabHostile, EveryByteCorrupted)
{
    for (const char* fixture : {"items.tabdesc", "small.tabdesc", "lists.tabdesc"}) {
        const std::string bytes = TableBytes(fixture);
        for (std::size_t at = 0; at < bytes.size(); ++at) {
            const unsigned char was = static_cast<unsigned char>(bytes[at]);
            for (unsigned v : {0x00u, 0x01u, 0x7Fu, 0x80u, 0xFFu, was ^ 0x55u}) {
                std::string bad = Exact(bytes, bytes.size());
                bad[at] = static_cast<char>(v);
                TTabFile tab;
                std::string error;
                if (tab.LoadFromBytes(std::move(bad), &error))
                    DescribeAll(tab);
                else
                    EXPECT_FALSE(error.empty());
            }
        }
    }
}

TEST(TabHostile, RandomDamageToTablesAndEncodings)
{
    TTabLayout layout;
    const std::string bytes = TableBytes("items.tabdesc", &layout);
    std::mt19937 random(1234);
    for (int round = 0; round < 3000; ++round) {
        std::string bad = bytes;
        // Mostly in the areas and tables after the name area.
        std::uniform_int_distribution<std::size_t> where(round % 4 ? layout.AreaA : 0, bytes.size() - 1);
        for (int n = 1 + round % 8; n > 0; --n)
            bad[where(random)] = static_cast<char>(random());
        std::size_t cut = round % 5 ? bad.size() : bad.size() - 1 - random() % 16;
        TTabFile tab;
        if (tab.LoadFromBytes(Exact(bad, cut)))
            DescribeAll(tab);
    }
}

TEST(TabHostile, ExpansionIsBounded)
{
    // Five lists of ten entries would give 100,000 lines.
    std::string text = "keywords A\nitem a kw A\nlist ten a a a a a a a a a a\nmnemonic BOOM\n"
                       "  encoding 01 : list ten list ten list ten list ten list ten\n"
                       "mnemonic FINE\n  encoding 02 : list ten\n";
    TTabFile tab;
    LoadTable(tab, TableFromText(text));
    TDescription d = Describe(tab, "BOOM");
    ASSERT_FALSE(d.Lines.empty());
    EXPECT_LE(d.Lines.size(), 10000u);
    EXPECT_EQ(d.Lines.back().substr(d.Lines.back().size() - 12), "04??? Err > ");
    EXPECT_EQ(Describe(tab, "FINE").Lines.size(), 10u);

    // Long alternatives repeated: the text stops growing at a few megabytes.
    std::string huge = "keywords " + std::string(400, 'K') + "\nalt many";
    for (int i = 0; i < 300; ++i)
        huge += " " + std::string(400, 'K');
    huge += "\nitem m alt many\nlist lots";
    for (int i = 0; i < 40; ++i)
        huge += " m";
    huge += "\nmnemonic BIG\n  encoding 01 : list lots\n";
    LoadTable(tab, TableFromText(huge));
    d = Describe(tab, "BIG");
    std::size_t chars = 0;
    for (const std::string& l : d.Lines)
        chars += l.size();
    EXPECT_LE(chars, 5u * 1024 * 1024);
    ASSERT_FALSE(d.Lines.empty());
    EXPECT_EQ(d.Lines.back().substr(d.Lines.back().size() - 12), "04??? Err > ");
}
