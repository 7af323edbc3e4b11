// Intel HEX images in the viewer's tree (runs, bases, bad lines, the end),
// the formats a file named .cod may hold, the project's image, and all of
// it against what gpasm, gplink and avra really write.
#include "build/U_ImageHex.h"
#include "support/TestDir.h"
#include "tests/build/ObjFixture.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

using kep::ArbreCodTexte;
using kep::ArbreHex;
using kep::FormatImage;
using kep::TFormatImage;
using kep::test::CodMicrochip;

// One valid record line.
std::string Rec(std::uint8_t type, std::uint16_t address, const std::vector<std::uint8_t>& data)
{
    std::vector<std::uint8_t> b{std::uint8_t(data.size()), std::uint8_t(address >> 8), std::uint8_t(address), type};
    b.insert(b.end(), data.begin(), data.end());
    std::uint8_t sum = 0;
    for (auto v : b)
        sum = std::uint8_t(sum + v);
    b.push_back(std::uint8_t(0x100 - sum));
    static const char hex[] = "0123456789ABCDEF";
    std::string l = ":";
    for (auto v : b)
        l += {hex[v >> 4], hex[v & 15]};
    return l + "\n";
}

std::string Tree(std::string_view text)
{
    return ArbreCodTexte(ArbreHex(text));
}

const std::string kEnd = "  Fin normale des données\n";

TEST(ImageHex, RecordsThatFollowOnMakeOneSegment)
{
    // gplink's output for a PIC16: linear base, code, the configuration word.
    const std::string text = ":020000040000FA\r\n"
                             ":100000003328831603131930990024309800831283\r\n"
                             ":100010000313803098000800831203130C1E0E286F\r\n"
                             ":0800A0004E28F30B4C28080068\r\n"
                             ":02400E00703F01\r\n"
                             ":00000001FF\r\n";
    EXPECT_EQ(Tree(text), "Segment 00 : 00000000-0000001F (32 octets)\n"
                          "  000000: 33 28 83 16 03 13 19 30 99 00 24 30 98 00 83 12 \n"
                          "  000010: 03 13 80 30 98 00 08 00 83 12 03 13 0C 1E 0E 28 \n"
                          "Segment 01 : 000000A0-000000A7 (8 octets)\n"
                          "  0000A0: 4E 28 F3 0B 4C 28 08 00 \n"
                          "Segment 02 : 0000400E-0000400F (2 octets)\n"
                          "  00400E: 70 3F \n"
                          "Enregistrement de fin, ligne 6\n"
                              + kEnd);
}

TEST(ImageHex, SegmentAndLinearBasesAndNoWrapAbove4G)
{
    // avra's segment records (16-byte paragraphs), then a linear base whose
    // record runs past 32 bits.
    const std::string text = ":020000020000FC\n:040000000C940081DB\n:020000021000EC\n:0602000005E508BBFDCF7F\n"
                             + Rec(4, 0, {0xFF, 0xFF}) + Rec(0, 0xFFFE, {1, 2, 3}) + Rec(5, 0, {0, 0, 1, 0})
                             + ":00000001FF\n" + Rec(0, 0, {9});
    EXPECT_EQ(Tree(text), "Segment 00 : 00000000-00000003 (4 octets)\n"
                          "  000000: 0C 94 00 81 \n"
                          "Segment 01 : 00010200-00010205 (6 octets)\n"
                          "  010200: 05 E5 08 BB FD CF \n"
                          "Segment 02 : FFFFFFFE-100000000 (3 octets)\n"
                          "  FFFFFFFE: 01 02 03 \n"
                          "Ligne 7 : adresse de départ 00000100\n"
                          "Enregistrement de fin, ligne 8\n"
                              + kEnd);
}

TEST(ImageHex, BadLinesAreNamedAndSkipped)
{
    std::string bad = Rec(0, 0, {1, 2, 3, 4});
    bad[bad.size() - 2] = '0'; // checksum F2 -> F0
    const std::string text = Rec(0, 0, {1, 2, 3, 4})   // 1
                             + "0400000001020304F2\n"  // 2
                             + bad                     // 3
                             + ":0500000001020304F1\n" // 4
                             + ":04000G0001020304F2\n" // 5
                             + ":0400000001020304F\n"  // 6
                             + Rec(6, 0, {})           // 7
                             + Rec(4, 0, {1})          // 8
                             + ":00\n"                 // 9
                             + "\n"                    // 10
                             + Rec(0, 4, {5});         // 11
    EXPECT_EQ(Tree(text), "Segment 00 : 00000000-00000003 (4 octets)\n"
                          "  000000: 01 02 03 04 \n"
                          "Ligne 2 : pas un enregistrement Intel HEX (« : » attendu en début de ligne)\n"
                          "Ligne 3 : somme de contrôle F0, F2 attendue\n"
                          "Ligne 4 : longueur annoncée de 5 octets, 4 présents\n"
                          "Ligne 5 : caractère non hexadécimal en colonne 7\n"
                          "Ligne 6 : nombre impair de chiffres hexadécimaux\n"
                          "Ligne 7 : type d'enregistrement 06 inconnu\n"
                          "Ligne 8 : enregistrement de type 04 de 1 octets, 2 attendus\n"
                          "Ligne 9 : enregistrement trop court (1 octets, 5 au moins)\n"
                          "Segment 01 : 00000004-00000004 (1 octet)\n"
                          "  000004: 05 \n"
                          "Enregistrement de fin absent\n"
                          "  Fin du fichier atteinte\n");

    // A binary file read as text: the flood of bad lines is only counted.
    std::string flood = Rec(0, 0, {7});
    for (int i = 0; i < 250; ++i)
        flood += ":zz\n";
    const auto tree = ArbreHex(flood);
    ASSERT_EQ(tree.size(), 1u + 100u + 2u);
    EXPECT_EQ(tree[100].Texte, "Ligne 101 : caractère non hexadécimal en colonne 2");
    EXPECT_EQ(tree[101].Texte, "150 autres lignes fausses");
}

TEST(FormatImage, TellsTheFormatsApart)
{
    using kep::test::Bytes;
    using kep::test::ImageCod;
    EXPECT_EQ(FormatImage(CodMicrochip("gplink")), TFormatImage::CodMicrochip);
    EXPECT_EQ(kep::OutilCodMicrochip(CodMicrochip("gplink")), "gplink");
    EXPECT_EQ(kep::MessageCodMicrochip("prog.cod", CodMicrochip("gplink"), "prog.hex"),
              "prog.cod n'est pas une image programme de ce format : c'est un fichier COD de Microchip écrit par "
              "gplink, que ce visionneur ne lit pas. Il montre à la place prog.hex, l'image Intel HEX du même "
              "programme.");
    EXPECT_EQ(FormatImage(" \r\n:020000040000FA\n"), TFormatImage::IntelHex);
    // Records of this viewer's own format, also a whole number of blocks long.
    EXPECT_EQ(FormatImage(ImageCod({{0x100, Bytes(20)}})), TFormatImage::Cod);
    EXPECT_EQ(FormatImage(ImageCod({{0x100, Bytes(1018)}})), TFormatImage::Cod);
    EXPECT_EQ(FormatImage(""), TFormatImage::Cod);
    std::string notTool = CodMicrochip("gplink");
    notTool[350] = char(40); // longer than the field
    EXPECT_EQ(FormatImage(notTool), TFormatImage::Cod);
    // Every field of the directory must look right, not just the tool's.
    std::string noDate = CodMicrochip("gplink");
    noDate.replace(321, 7, 7, '\0');
    EXPECT_EQ(FormatImage(noDate), TFormatImage::Cod);
    std::string noVersion = CodMicrochip("gplink");
    noVersion[330] = char(50);
    EXPECT_EQ(FormatImage(noVersion), TFormatImage::Cod);
    EXPECT_EQ(FormatImage(CodMicrochip("gplink") + "x"), TFormatImage::Cod);
}

TEST(ImageDuProjet, TheImageOfThisFormatElseTheHexOfAGputilsProject)
{
    const std::string image = kep::test::ImageCod({{0x100, kep::test::Bytes(4)}});
    const std::string hex = ":00000001FF\n";
    auto project = [](std::map<std::string, std::string> files) {
        return kep::ImageDuProjet(kep::FichiersMemoire("/p", files), "/p/DEMO.MKE");
    };
    EXPECT_EQ(project({{"/p/demo.cod", image}, {"/p/demo.hex", hex}}), "/p/demo.cod");
    EXPECT_EQ(project({{"/p/demo.cod", CodMicrochip("gplink")}, {"/p/demo.hex", hex}}), "/p/demo.hex");
    EXPECT_EQ(project({{"/p/demo.hex", hex}}), "/p/demo.hex");
    EXPECT_EQ(project({{"/p/demo.cod", CodMicrochip("gplink")}}), "");
    EXPECT_EQ(kep::ImageDuProjet(kep::FichiersMemoire("/p", {{"/p/demo.hex", hex}}), ""), "");
}

TEST(ImageHex, WhatGputilsAndAvraWrite)
{
    if (std::system("command -v gpasm >/dev/null && command -v gplink >/dev/null && command -v avra >/dev/null") != 0)
        GTEST_SKIP() << "gputils or avra missing";
    TTestDir dir;
    dir.Write("rel.asm", "        list p=16f628a\n"
                         "RST     code 0x000\n"
                         "        goto Debut\n"
                         "MAIN    code 0x010\n"
                         "Debut:  movlw 0x55\n"
                         "        goto Debut\n"
                         "        end\n");
    dir.Write("abs.asm", "        list p=16f84a\n        org 0x200\n        retlw 0x42\n        org 0x2100\n"
                         "        de 1,2\n        end\n");
    dir.Write("t.asm", ".device ATmega128\n.org 0\n jmp debut\n.org 0x8100\ndebut: rjmp debut\n");
    const std::string cd = "cd '" + dir.Path("") + "' && ";
    ASSERT_EQ(std::system((cd + "gpasm -c -q rel.asm && gplink -q -o rel.hex rel.o && gpasm -q abs.asm"
                                " && avra t.asm >/dev/null 2>&1").c_str()),
              0);

    const std::string relCod = dir.Read("rel.cod"), absCod = dir.Read("abs.cod");
    EXPECT_EQ(FormatImage(relCod), TFormatImage::CodMicrochip);
    EXPECT_EQ(kep::OutilCodMicrochip(relCod), "gplink");
    EXPECT_EQ(kep::OutilCodMicrochip(absCod), "gpasm");
    EXPECT_EQ(FormatImage(dir.Read("rel.hex")), TFormatImage::IntelHex);
    EXPECT_EQ(kep::ImageDuProjet(kep::FichiersDisque(dir.Path("")), "rel.mke"), dir.Path("rel.hex"));

    // goto 0x10 = 0x2810, movlw 0x55 = 0x3055, goto 0x10; little-endian words at byte addresses.
    const std::string rel = Tree(dir.Read("rel.hex"));
    EXPECT_EQ(rel, "Segment 00 : 00000000-00000001 (2 octets)\n"
                   "  000000: 10 28 \n"
                   "Segment 01 : 00000020-00000023 (4 octets)\n"
                   "  000020: 55 30 10 28 \n"
                   "Enregistrement de fin, ligne 4\n"
                       + kEnd);
    // retlw 0x42 at word 0x200, EEPROM data at 0x2100 (bytes 0x4200).
    EXPECT_EQ(Tree(dir.Read("abs.hex")), "Segment 00 : 00000400-00000401 (2 octets)\n"
                                         "  000400: 42 34 \n"
                                         "Segment 01 : 00004200-00004203 (4 octets)\n"
                                         "  004200: 01 00 02 00 \n"
                                         "Enregistrement de fin, ligne 4\n"
                                             + kEnd);
    // avra: word 0x8100 is byte 0x10200, reached through a segment record.
    EXPECT_EQ(Tree(dir.Read("t.hex")), "Segment 00 : 00000000-00000003 (4 octets)\n"
                                       "  000000: 0C 94 00 81 \n"
                                       "Segment 01 : 00010200-00010201 (2 octets)\n"
                                       "  010200: FF CF \n"
                                       "Enregistrement de fin, ligne 5\n"
                                           + kEnd);
}

} // namespace
