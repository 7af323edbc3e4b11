// The program image tree: node texts, dump lines, the end record, files cut
// in a record's data or header, the two length widths, and that nothing is
// sized from a declared length.
#include "build/U_ImageCod.h"
#include "tests/build/ObjFixture.h"

#include <gtest/gtest.h>

#include <ostream>
#include <cstdint>
#include <string>
#include <vector>

namespace kep {
// Failures show the node as text rather than as raw bytes.
void PrintTo(const TNoeudCod& n, std::ostream* os)
{
    *os << ArbreCodTexte({n});
}
} // namespace kep

namespace {

using kep::ArbreCod;
using kep::ArbreCodTexte;
using kep::TNoeudCod;
using kep::test::Bytes;
using kep::test::ImageCod;
using Lines = std::vector<std::string>;

const std::string kEnd = "Fin normale des données";
const std::string kCut = "Fin du fichier atteinte, données tronquées";

std::string EndNode(const std::string& number)
{
    return "Segment " + number + " : 00000000" + std::string(9, ' ') + " (0 octet)";
}

std::string Le(std::uint64_t v, int bytes)
{
    std::string out;
    for (int i = 0; i < bytes; ++i)
        out += static_cast<char>((v >> (8 * i)) & 0xFF);
    return out;
}

TEST(ImageCod, FirstRecordOf20Bytes)
{
    const auto tree = ArbreCod(ImageCod({{0x100, Bytes(20)}}), false);
    ASSERT_EQ(tree.size(), 2u);
    EXPECT_EQ(tree[0].Texte, "Segment 00 : 00000100-00000113 (20 octets)");
    EXPECT_EQ(tree[0].Enfants,
              (Lines{"000100: 00 01 02 03 04 05 06 07 08 09 0A 0B 0C 0D 0E 0F ", "000110: 10 11 12 13 "}));
    EXPECT_EQ(tree[1].Texte, EndNode("01"));
    EXPECT_EQ(tree[1].Enfants, Lines{kEnd});
}

TEST(ImageCod, OneByteRecordSaysOctetInTheSingular)
{
    const auto tree = ArbreCod(ImageCod({{0x200, {0xAB}}, {0x300, Bytes(2, 0xFE)}}), false);
    ASSERT_EQ(tree.size(), 3u);
    EXPECT_EQ(tree[0].Texte, "Segment 00 : 00000200-00000200 (1 octet)");
    EXPECT_EQ(tree[0].Enfants, Lines{"000200: AB "});
    EXPECT_EQ(tree[1].Texte, "Segment 01 : 00000300-00000301 (2 octets)");
    EXPECT_EQ(tree[1].Enfants, Lines{"000300: FE FF "});
}

TEST(ImageCod, RecordsFollowEachOtherWithTheirOwnAddresses)
{
    const auto tree = ArbreCod(ImageCod({{0x10, Bytes(16, 0xA0)}, {0x2000, Bytes(17, 0x30)}, {0x8, Bytes(3)}}), false);
    ASSERT_EQ(tree.size(), 4u);
    EXPECT_EQ(tree[0].Texte, "Segment 00 : 00000010-0000001F (16 octets)");
    EXPECT_EQ(tree[0].Enfants, Lines{"000010: A0 A1 A2 A3 A4 A5 A6 A7 A8 A9 AA AB AC AD AE AF "});
    EXPECT_EQ(tree[1].Texte, "Segment 01 : 00002000-00002010 (17 octets)");
    EXPECT_EQ(tree[1].Enfants,
              (Lines{"002000: 30 31 32 33 34 35 36 37 38 39 3A 3B 3C 3D 3E 3F ", "002010: 40 "}));
    EXPECT_EQ(tree[2].Texte, "Segment 02 : 00000008-0000000A (3 octets)");
    EXPECT_EQ(tree[2].Enfants, Lines{"000008: 00 01 02 "});
    EXPECT_EQ(tree[3].Texte, EndNode("03"));
    EXPECT_EQ(tree[3].Enfants, Lines{kEnd});
}

TEST(ImageCod, EndRecordAlone)
{
    const auto tree = ArbreCod(ImageCod({}), false);
    ASSERT_EQ(tree.size(), 1u);
    EXPECT_EQ(tree[0].Texte, "Segment 00 : 00000000          (0 octet)");
    EXPECT_EQ(tree[0].Enfants, Lines{kEnd});
}

TEST(ImageCod, EmptyRecordElsewhereDoesNotEndTheData)
{
    const auto tree = ArbreCod(ImageCod({{0x300, {}}, {0x400, {0x01}}}), false);
    ASSERT_EQ(tree.size(), 3u);
    EXPECT_EQ(tree[0].Texte, "Segment 00 : 00000300          (0 octet)");
    EXPECT_TRUE(tree[0].Enfants.empty());
    EXPECT_EQ(tree[1].Texte, "Segment 01 : 00000400-00000400 (1 octet)");
    EXPECT_EQ(tree[2].Texte, EndNode("02"));
}

TEST(ImageCod, NothingAfterTheEndRecordIsShown)
{
    std::string file = ImageCod({{0x100, Bytes(4)}});
    file += ImageCod({{0x5000, Bytes(40)}});
    file += "\x01\x02\x03";
    const auto tree = ArbreCod(file, false);
    ASSERT_EQ(tree.size(), 2u);
    EXPECT_EQ(tree[1].Texte, EndNode("01"));
    EXPECT_EQ(ArbreCodTexte(tree).find("5000"), std::string::npos);
}

TEST(ImageCod, FileCutInsideTheData)
{
    // 40 bytes declared, 20 present.
    std::string file = ImageCod({{0x100, Bytes(40)}}, false);
    file.resize(6 + 20);
    const auto tree = ArbreCod(file, false);
    ASSERT_EQ(tree.size(), 1u);
    EXPECT_EQ(tree[0].Texte, "Segment 00 : 00000100-00000127 (40 octets)");
    EXPECT_EQ(tree[0].Enfants, (Lines{kCut, "000100: 00 01 02 03 04 05 06 07 08 09 0A 0B 0C 0D 0E 0F ",
                                      "000110: 10 11 12 13 "}));
}

TEST(ImageCod, FileCutRightAfterAHeader)
{
    std::string file = ImageCod({{0x40, Bytes(2)}, {0x80, Bytes(5)}}, false);
    file.resize(file.size() - 5);
    const auto tree = ArbreCod(file, false);
    ASSERT_EQ(tree.size(), 2u);
    EXPECT_EQ(tree[1].Texte, "Segment 01 : 00000080-00000084 (5 octets)");
    EXPECT_EQ(tree[1].Enfants, Lines{kCut});
}

TEST(ImageCod, FileEndingAfterARecordWithoutEndRecordJustStops)
{
    const auto tree = ArbreCod(ImageCod({{0x40, Bytes(2)}}, false), false);
    ASSERT_EQ(tree.size(), 1u);
    EXPECT_EQ(tree[0].Texte, "Segment 00 : 00000040-00000041 (2 octets)");
    EXPECT_EQ(tree[0].Enfants, Lines{"000040: 00 01 "});
}

TEST(ImageCod, FileCutInsideAHeader)
{
    std::string file = ImageCod({{0x40, Bytes(2)}}, false) + "\x12\x34\xAB";
    const auto tree = ArbreCod(file, false);
    ASSERT_EQ(tree.size(), 2u);
    EXPECT_EQ(tree[1].Texte, "Segment 01 : en-tête incomplet (3 octets sur 6)");
    EXPECT_EQ(tree[1].Enfants, (Lines{"Fin du fichier atteinte, en-tête tronqué", "Octets restants : 12 34 AB "}));

    const auto one = ArbreCod(std::string("\x07", 1), true);
    ASSERT_EQ(one.size(), 1u);
    EXPECT_EQ(one[0].Texte, "Segment 00 : en-tête incomplet (1 octet sur 8)");
    EXPECT_EQ(one[0].Enfants.back(), "Octets restants : 07 ");
}

TEST(ImageCod, MoreThanAHundredSegments)
{
    std::vector<kep::test::TCodRec> records;
    for (std::uint32_t i = 0; i < 1300; ++i)
        records.push_back({0x1000 + 2 * i, Bytes(2, std::uint8_t(i))});
    const auto tree = ArbreCod(ImageCod(records), false);
    ASSERT_EQ(tree.size(), 1301u);
    EXPECT_EQ(tree[7].Texte, "Segment 07 : 0000100E-0000100F (2 octets)");
    EXPECT_EQ(tree[99].Texte, "Segment 99 : 000010C6-000010C7 (2 octets)");
    EXPECT_EQ(tree[100].Texte, "Segment 100 : 000010C8-000010C9 (2 octets)");
    EXPECT_EQ(tree[100].Enfants, Lines{"0010C8: 64 65 "});
    EXPECT_EQ(tree[1234].Texte, "Segment 1234 : 000019A4-000019A5 (2 octets)");
    EXPECT_EQ(tree[1300].Texte, EndNode("1300"));
}

TEST(ImageCod, ThirtyTwoBitLengthsReadAsSuch)
{
    const std::string file = ImageCod({{0x100, Bytes(20)}, {0x300, {0x55}}}, true, true);
    const auto tree = ArbreCod(file, true);
    EXPECT_EQ(tree, ArbreCod(ImageCod({{0x100, Bytes(20)}, {0x300, {0x55}}}), false));
    ASSERT_EQ(tree.size(), 3u);
    EXPECT_EQ(tree[0].Texte, "Segment 00 : 00000100-00000113 (20 octets)");
    EXPECT_EQ(tree[2].Texte, EndNode("02"));
}

TEST(ImageCod, ThirtyTwoBitLengthsReadWithSixteen)
{
    // 00 01 00 00 | 04 00 00 00 | 00 01 02 03 | 8 x 00: read with 2-byte
    // lengths, the high half of the length is taken as data, and the end
    // record, out of step, is cut after 4 of its 6 bytes.
    const std::string file = ImageCod({{0x100, Bytes(4)}}, true, true);
    const auto tree = ArbreCod(file, false);
    ASSERT_EQ(tree.size(), 3u);
    EXPECT_EQ(tree[0].Texte, "Segment 00 : 00000100-00000103 (4 octets)");
    EXPECT_EQ(tree[0].Enfants, Lines{"000100: 00 00 00 01 "});
    EXPECT_EQ(tree[1].Texte, "Segment 01 : 00000302          (0 octet)");
    EXPECT_TRUE(tree[1].Enfants.empty());
    EXPECT_EQ(tree[2].Texte, "Segment 02 : en-tête incomplet (4 octets sur 6)");
    EXPECT_EQ(tree[2].Enfants, (Lines{"Fin du fichier atteinte, en-tête tronqué", "Octets restants : 00 00 00 00 "}));
}

TEST(ImageCod, SixteenBitLengthsReadWithThirtyTwo)
{
    // The length takes the first two data bytes as its high half:
    // 0x01000004 bytes, far more than the file holds.
    const std::string file = ImageCod({{0x100, Bytes(4)}});
    const auto tree = ArbreCod(file, true);
    ASSERT_EQ(tree.size(), 1u);
    EXPECT_EQ(tree[0].Texte, "Segment 00 : 00000100-01000103 (16777220 octets)");
    EXPECT_EQ(tree[0].Enfants, (Lines{kCut, "000100: 02 03 00 00 00 00 00 00 "}));
}

TEST(ImageCod, EmptyFile)
{
    EXPECT_TRUE(ArbreCod("", false).empty());
    EXPECT_TRUE(ArbreCod("", true).empty());
    EXPECT_EQ(ArbreCodTexte({}), "");
}

TEST(ImageCod, EndAndAddressesPastThirtyTwoBitsKeepTheirDigits)
{
    const auto tree = ArbreCod(ImageCod({{0xFFFFFFF8u, Bytes(20)}}), false);
    ASSERT_EQ(tree.size(), 2u);
    EXPECT_EQ(tree[0].Texte, "Segment 00 : FFFFFFF8-10000000B (20 octets)");
    EXPECT_EQ(tree[0].Enfants,
              (Lines{"FFFFFFF8: 00 01 02 03 04 05 06 07 08 09 0A 0B 0C 0D 0E 0F ", "100000008: 10 11 12 13 "}));
}

TEST(ImageCod, AddressesAboveSixDigitsShowInFull)
{
    const auto tree = ArbreCod(ImageCod({{0x12345678, Bytes(1)}}), false);
    EXPECT_EQ(tree[0].Texte, "Segment 00 : 12345678-12345678 (1 octet)");
    EXPECT_EQ(tree[0].Enfants, Lines{"12345678: 00 "});
}

TEST(ImageCod, HugeDeclaredLengthIsNeverAllocated)
{
    // 4 GB declared, 12 bytes present, 20 in all.
    const std::string file = Le(0x10, 4) + Le(0xFFFFFFFFu, 4) + std::string(12, '\x5A');
    ASSERT_EQ(file.size(), 20u);
    const auto tree = ArbreCod(file, true);
    const auto text = ArbreCodTexte(tree);
    ASSERT_EQ(tree.size(), 1u);
    EXPECT_EQ(tree[0].Texte, "Segment 00 : 00000010-10000000E (4294967295 octets)");
    EXPECT_EQ(tree[0].Enfants, (Lines{kCut, "000010: 5A 5A 5A 5A 5A 5A 5A 5A 5A 5A 5A 5A "}));
    EXPECT_LT(text.size(), 200u);
}

TEST(ImageCod, ManyRecordsStayFast)
{
    std::string file;
    const int count = 200000;
    for (int i = 0; i < count; ++i)
        file += Le(std::uint32_t(i) * 2, 4) + Le(2, 2) + "\x01\x02";
    file += ImageCod({});
    // Quadratic work would take minutes here and end on the test timeout;
    // the speed itself is no business of a test on a shared machine.
    const auto tree = ArbreCod(file, false);
    const auto text = ArbreCodTexte(tree);
    ASSERT_EQ(tree.size(), std::size_t(count) + 1);
    EXPECT_EQ(tree[count - 1].Texte, "Segment 199999 : 00061A7E-00061A7F (2 octets)");
    EXPECT_EQ(tree[count].Texte, EndNode("200000"));
    EXPECT_LT(text.size(), 30 * file.size());
}

TEST(ImageCod, TextIndentsChildrenByTwoSpaces)
{
    const auto tree = ArbreCod(ImageCod({{0x100, Bytes(3, 0xC0)}}), false);
    EXPECT_EQ(ArbreCodTexte(tree), "Segment 00 : 00000100-00000102 (3 octets)\n"
                                   "  000100: C0 C1 C2 \n"
                                   "Segment 01 : 00000000          (0 octet)\n"
                                   "  Fin normale des données\n");
    EXPECT_EQ(ArbreCodTexte({TNoeudCod{"A", {}}, TNoeudCod{"B", {"b1", "b2"}}}), "A\nB\n  b1\n  b2\n");
}

} // namespace
