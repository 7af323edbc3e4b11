// The code look-up's fallback on gpasm's listing, over real gputils output
// (ListingSamples.h); the last test builds the demo for real.
#include "build/U_ListingGpasm.h"
#include "tests/build/ListingSamples.h"
#include "tests/support/TestDir.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

using namespace kep;
using namespace kep::test;

namespace {

const std::string Aucun(PasDeCodeTrouve);

// The text for a line of `fichier` read in a listing, as CodeParListing
// gives it; the map names the listed file by its name without extension.
std::string Code(std::string_view lst, std::string_view fichier, std::int64_t ligne, const char* map = nullptr,
                 const char* hex = nullptr, const TLignesInclude& lignesDe = {})
{
    const TListingGpasm l = LitListing(lst, fichier, lignesDe);
    EXPECT_TRUE(l.Trouve) << fichier;
    const TCarteGplink carte = map ? LitCarte(map) : TCarteGplink{};
    const TImageHex image = hex ? LitHex(hex) : TImageHex{};
    const std::string souche = l.Titre.substr(0, l.Titre.find('.'));
    return CodeDeLigne(l, ligne, souche, map ? &carte : nullptr, hex ? &image : nullptr);
}

// One Intel HEX record with its checksum.
std::string Enregistrement(std::uint8_t type, std::uint16_t adresse, const std::vector<std::uint8_t>& donnees)
{
    std::vector<std::uint8_t> r{std::uint8_t(donnees.size()), std::uint8_t(adresse >> 8), std::uint8_t(adresse), type};
    r.insert(r.end(), donnees.begin(), donnees.end());
    unsigned somme = 0;
    std::string t = ":";
    char h[3];
    for (std::uint8_t b : r) {
        somme += b;
        std::snprintf(h, sizeof h, "%02X", b);
        t += h;
    }
    std::snprintf(h, sizeof h, "%02X", (0x100 - (somme & 0xFF)) & 0xFF);
    return t + h + "\n";
}

} // namespace

// --- The text ---

TEST(ListingTexte, CountsAndUnitsFollowTheNativeLookUp)
{
    EXPECT_EQ(TexteCode("PRINCIPAL", 0x33, false, {"1283", "1303"}), "'PRINCIPAL' $00000033 (2 mots) : 1283 1303");
    EXPECT_EQ(TexteCode("CODE", 0, false, {"3FFF"}), "'CODE' $00000000 (1 mot) : 3FFF");
    EXPECT_EQ(TexteCode("CODE", 0, false, {}), "'CODE' $00000000 (0 mot) :");
    EXPECT_EQ(TexteCode("TBL", 0xF00000, true, {"01"}), "'TBL' $00F00000 (1 octet) : 01");
    EXPECT_EQ(TexteCode("TBL", 0xABCDEF12, true, {"01", "02", "03"}), "'TBL' $ABCDEF12 (3 octets) : 01 02 03");
    EXPECT_EQ(Aucun, "Pas de code trouv\xC3\xA9");
}

// --- Lines of the listing ---

TEST(ListingLignes, MacroCodeGoesToTheInvokingLineAcrossPages)
{
    EXPECT_EQ(Code(MacroLst, "macro.asm", 11), "'CODE' $00000000 (1 mot) : 2801");
    EXPECT_EQ(Code(MacroLst, "macro.asm", 13), "'CODE' $00000001 (2 mots) : 3001 3E01");
    // Nested macro, and a page break between the inner invocation and its code.
    EXPECT_EQ(Code(MacroLst, "macro.asm", 19), "'CODE' $00000004 (3 mots) : 3003 3E03 0000");
    // The line after an expansion keeps its own code.
    EXPECT_EQ(Code(MacroLst, "macro.asm", 20), "'CODE' $00000007 (1 mot) : 0103");
    // The definition's body, a label (LOC but no code), the end.
    for (int ligne : {2, 3, 4, 7, 8, 12, 21})
        EXPECT_EQ(Code(MacroLst, "macro.asm", ligne), Aucun) << ligne;
}

TEST(ListingLignes, FalseBranchesAndNolistGiveNoCode)
{
    EXPECT_EQ(Code(CondLst, "cond.asm", 4), Aucun);
    EXPECT_EQ(Code(CondLst, "cond.asm", 5), Aucun);
    EXPECT_EQ(Code(CondLst, "cond.asm", 7), "'CODE' $00000000 (1 mot) : 3008");
    EXPECT_EQ(Code(CondLst, "cond.asm", 10), Aucun); // NOLIST: assembled, not listed
    EXPECT_EQ(Code(CondLst, "cond.asm", 12), "'CODE' $00000002 (1 mot) : 3006");
}

TEST(ListingLignes, WrappedLineKeepsItsCodeContinuations)
{
    EXPECT_EQ(Code(CondLst, "cond.asm", 13),
              "'CODE' $00000003 (10 mots) : 3442 346F 346E 346A 346F 3475 3472 3420 3421 3400");
    EXPECT_EQ(Code(CondLst, "cond.asm", 14), "'CODE' $0000000D (1 mot) : 3400");
    EXPECT_EQ(Code(F18AbsLst, "f18.asm", 12), "'CODE' $0000002C (5 mots) : 1234 5678 9ABC DEF0 1111");
}

TEST(ListingLignes, WhileLoopLinesTakeTheirFirstPassWithCode)
{
    EXPECT_EQ(Code(CondLst, "cond.asm", 17), "'CODE' $0000000E (1 mot) : 3E00");
    // No code on the first pass (if false), code on the second.
    EXPECT_EQ(Code(CondLst, "cond.asm", 19), "'CODE' $00000010 (1 mot) : 0000");
    EXPECT_EQ(Code(CondLst, "cond.asm", 22), Aucun);
    // Lines after the loop are not taken for another pass.
    EXPECT_EQ(Code(CondLst, "cond.asm", 23), "'CODE' $00000012 (3 mots) : 0001 0002 0003");
}

TEST(ListingLignes, LoopEndedInAnIncludeLetsTheParentGoOn)
{
    // Line 3 of boucle.asm follows line 8 of boucle.inc, whose loop covered lines 3 and 4.
    EXPECT_EQ(Code(BoucleLst, "boucle.asm", 3), "'CODE' $00000005 (1 mot) : 3003");
    EXPECT_EQ(Code(BoucleLst, "boucle.asm", 4), "'CODE' $00000006 (1 mot) : 3004");
    EXPECT_EQ(Code(BoucleLst, "boucle.inc", 3), "'CODE' $00000000 (1 mot) : 3E00");
    EXPECT_EQ(Code(BoucleLst, "boucle.inc", 8), "'CODE' $00000004 (1 mot) : 0000");
}

TEST(ListingLignes, LinesOutsideTheListingGiveNoCode)
{
    for (std::int64_t ligne : {std::int64_t(-1), std::int64_t(0), std::int64_t(25), std::int64_t(1) << 40})
        EXPECT_EQ(Code(CondLst, "cond.asm", ligne), Aucun) << ligne;
}

// --- Includes ---

TEST(ListingInclusions, ParentLinesAroundNestedIncludes)
{
    // The project's includes can be read; the processor header cannot.
    const TLignesInclude lignesDe = [](std::string_view nom) -> std::optional<std::int32_t> {
        if (nom == "un.inc")
            return 3;
        if (nom == "deux.inc")
            return 1;
        return std::nullopt;
    };
    EXPECT_EQ(Code(IncluLst, "principal.asm", 2, nullptr, nullptr, lignesDe), Aucun);
    EXPECT_EQ(Code(IncluLst, "principal.asm", 3, nullptr, nullptr, lignesDe), "'CODE' $00000002 (1 mot) : 3004");
    // After a header listed behind NOLIST (its own LIST shows its lines):
    // line 7 returns past deux.inc, whose single line it cannot be.
    EXPECT_EQ(Code(IncluLst, "principal.asm", 8, nullptr, nullptr, lignesDe), "'CODE' $00000004 (1 mot) : 3005");
    EXPECT_EQ(Code(IncluLst, "deux.inc", 8, nullptr, nullptr, lignesDe), Aucun);
}

TEST(ListingInclusions, IncludedFileLinesComeFromItsBlocks)
{
    EXPECT_EQ(Code(IncluLst, "un.inc", 3), "'CODE' $00000001 (1 mot) : 3003");
    EXPECT_EQ(Code(IncluLst, "UN.INC", 3), "'CODE' $00000001 (1 mot) : 3003");
    EXPECT_EQ(Code(IncluLst, "un.inc", 1), Aucun);
    // Included twice: the first block's code.
    EXPECT_EQ(Code(IncluLst, "deux.inc", 1), "'CODE' $00000000 (1 mot) : 3002");
    // A header whose directive was not listed is no block of its name.
    EXPECT_FALSE(LitListing(IncluLst, "p16f628a.inc").Trouve);
    EXPECT_FALSE(LitListing(IncluLst, "autre.inc").Trouve);
}

TEST(ListingInclusions, IncludeLengthSettlesALineThatFitsBoth)
{
    // Trois.INC has 3 lines and is included on line 3: line "4" goes on with both.
    std::vector<std::string> demandes;
    const TLignesInclude lignesDe = [&](std::string_view nom) -> std::optional<std::int32_t> {
        demandes.emplace_back(nom);
        return 3;
    };
    EXPECT_EQ(Code(EgaliteLst, "tie.asm", 4, nullptr, nullptr, lignesDe), "'CODE' $00000004 (1 mot) : 3004");
    EXPECT_EQ(Code(EgaliteLst, "trois.inc", 3, nullptr, nullptr, lignesDe), "'CODE' $00000003 (1 mot) : 3003");
    EXPECT_EQ(Code(EgaliteLst, "trois.inc", 4, nullptr, nullptr, lignesDe), Aucun);
    ASSERT_FALSE(demandes.empty());
    EXPECT_EQ(demandes[0], "Trois.INC");
    // Unknown length: the include's sequence wins.
    EXPECT_EQ(Code(EgaliteLst, "tie.asm", 4), Aucun);
    EXPECT_EQ(Code(EgaliteLst, "trois.inc", 4), "'CODE' $00000004 (1 mot) : 3004");
}

// --- Which listing ---

TEST(ListingChoix, OnlyGpasmListingsOfTheFileAreUsed)
{
    EXPECT_FALSE(LitListing(GplinkLst, "cfg.asm").Gpasm);
    EXPECT_FALSE(LitListing("", "cfg.asm").Gpasm);
    EXPECT_FALSE(LitListing(CfgLst, "autre.asm").Trouve);
    const TListingGpasm l = LitListing(CfgLst, "cfg.asm");
    EXPECT_TRUE(l.Gpasm);
    EXPECT_EQ(l.Titre, "cfg.asm");
    EXPECT_TRUE(l.Relogeable);
    EXPECT_FALSE(l.AdressesOctets);
    EXPECT_FALSE(LitListing(MacroLst, "macro.asm").Relogeable);
}

TEST(ListingChoix, TitleCutToThirteenCharactersStillNamesTheFile)
{
    const std::string lst = "gpasm-1.4.0 #1107 (Jan  1 2021) sub dir/x y.a   12-8-2026  16:23:58         PAGE  1\n"
                            "\n\nLOC    OBJECT CODE    LINE  SOURCE TEXT\n  VALUE\n\n"
                            "0000   0000           00003         nop\n";
    const TListingGpasm l = LitListing(lst, "X Y.asm");
    EXPECT_EQ(l.Titre, "sub dir/x y.a");
    EXPECT_TRUE(l.Trouve);
    EXPECT_EQ(CodeDeLigne(l, 3, "x y", nullptr, nullptr), "'CODE' $00000000 (1 mot) : 0000");
    EXPECT_FALSE(LitListing(lst, "z.asm").Trouve);
}

TEST(ListingChoix, FilesFoundThroughTheProjectFolder)
{
    const std::string hex = CfgHex;
    auto fs = FichiersMemoire("/p", {{"/p/CFG.LST", CfgLst}, {"/p/projet.map", CfgMap}, {"/p/projet.hex", hex}});
    EXPECT_EQ(CodeParListing(fs, "projet.mke", "cfg.asm", 7), "'MAIN' $000004AF (1 mot) : 24AF");
    EXPECT_EQ(CodeParListing(fs, "projet.mke", "cfg.asm", 10), Aucun);
    EXPECT_EQ(CodeParListing(fs, "projet.mke", "cfg.asm", -1), Aucun);
    EXPECT_EQ(CodeParListing(fs, "projet.mke", "cfg.asm", INT32_MAX), Aucun);
    // The map and the image are the make file's, not the source's.
    EXPECT_EQ(CodeParListing(fs, "cfg.mke", "cfg.asm", 7), "'MAIN' $00000000 (1 mot) : 2???");
    EXPECT_EQ(CodeParListing(fs, "", "cfg.asm", 7), "'MAIN' $00000000 (1 mot) : 2???");
    EXPECT_EQ(CodeParListing(fs, "projet.mke", "absent.asm", 7), std::nullopt);
    EXPECT_EQ(CodeParListing(fs, "projet.mke", "cfg.inc", 7), std::nullopt); // cfg.lst does not include it

    auto gplink = FichiersMemoire("/p", {{"/p/cfg.lst", GplinkLst}});
    EXPECT_EQ(CodeParListing(gplink, "projet.mke", "cfg.asm", 1), std::nullopt);

    // The include's length read from the project folder.
    auto egalite = FichiersMemoire("/p", {{"/p/tie.lst", EgaliteLst}, {"/p/trois.inc", "\tmovlw 1\n\tmovlw 2\n\tmovlw 3"}});
    EXPECT_EQ(CodeParListing(egalite, "tie.mke", "tie.asm", 3), "'CODE' $00000004 (1 mot) : 3004");
}

// --- Relocatable listings placed with the map ---

TEST(ListingSections, SectionsPlacedByTheirLabelsOrTheirSize)
{
    // MAIN by its label Debut; .code, without a label, by its size alone.
    EXPECT_EQ(Code(CfgLst, "cfg.asm", 8, CfgMap, CfgHex), "'MAIN' $000004AF (1 mot) : 24AF");
    EXPECT_EQ(Code(CfgLst, "cfg.asm", 9, CfgMap, CfgHex), "'MAIN' $000004B0 (1 mot) : 2CB0");
    EXPECT_EQ(Code(CfgLst, "cfg.asm", 13, CfgMap, CfgHex), "'.code' $000004B1 (1 mot) : 01F0");
    // Placed by the source: LOC is the address.
    EXPECT_EQ(Code(CfgLst, "cfg.asm", 5, CfgMap, CfgHex), "'RESET' $00000000 (1 mot) : 2CAF");
    EXPECT_EQ(Code(CfgLst, "cfg.asm", 15, CfgMap, CfgHex), "'.org_4ae' $000004AE (1 mot) : 0000");
    EXPECT_EQ(Code(CfgLst, "cfg.asm", 11, CfgMap, CfgHex), Aucun);
}

TEST(ListingSections, WithoutTheMapTheLocStandsInItsSection)
{
    // The image cannot fill '?' at an address that is not known.
    EXPECT_EQ(Code(CfgLst, "cfg.asm", 8, nullptr, CfgHex), "'MAIN' $00000000 (1 mot) : 2???");
    EXPECT_EQ(Code(CfgLst, "cfg.asm", 13), "'.code' $00000000 (1 mot) : 01??");
    EXPECT_EQ(Code(CfgLst, "cfg.asm", 5), "'RESET' $00000000 (1 mot) : 2???");
}

TEST(ListingSections, MergedSectionPlacedByThisModulesLabel)
{
    // gplink put a.asm's .code first, then b.asm's: only fb tells where.
    EXPECT_EQ(Code(BLst, "b.asm", 5, FusionMap, FusionHex), "'.code' $0000000F (1 mot) : 3001");
    EXPECT_EQ(Code(BLst, "b.asm", 6, FusionMap, FusionHex), "'.code' $00000010 (1 mot) : 0008");
    EXPECT_EQ(Code(ALst, "a.asm", 9, FusionMap, FusionHex), "'.code' $0000000E (1 mot) : 200F");
    EXPECT_EQ(Code(ALst, "a.asm", 16, FusionMap, FusionHex), "'SEC2' $00000011 (1 mot) : 280D");
    EXPECT_EQ(Code(BLst, "b.asm", 8, FusionMap, FusionHex), "'NAMED' $00000013 (1 mot) : 0000");
    // SEC2 of b.asm has no label and shares the map's SEC2: not placed.
    EXPECT_EQ(Code(BLst, "b.asm", 10, FusionMap, FusionHex), "'SEC2' $00000000 (1 mot) : 0103");
    // A label of that name from another module does not place it.
    std::string autre = FusionMap;
    autre.replace(autre.find("extern b.asm"), 12, "extern c.asm");
    EXPECT_EQ(Code(BLst, "b.asm", 5, autre.c_str(), FusionHex), "'.code' $00000000 (1 mot) : 3001");
}

TEST(ListingSections, DataSectionsShowBytes)
{
    EXPECT_EQ(Code(ALst, "a.asm", 11, FusionMap, FusionHex), "'.idata' $00000120 (2 octets) : 05 00");
    EXPECT_EQ(Code(ALst, "a.asm", 12, FusionMap, FusionHex), "'.idata' $00000122 (3 octets) : 01 02 03");
    EXPECT_EQ(Code(ALst, "a.asm", 19, FusionMap, FusionHex), "'SEC3' $00000301 (1 mot) : 200D");
}

TEST(ListingSections, ConfigLinesTakeTheirSectionAndValuesFromTheLink)
{
    EXPECT_EQ(Code(CfgLst, "cfg.asm", 2, CfgMap, CfgHex), "'.config_2007_CFG.O' $00002007 (1 mot) : 3F70");
    EXPECT_EQ(Code(CfgLst, "cfg.asm", 3, CfgMap, CfgHex), "'.idlocs' $00002000 (4 mots) : 0001 0002 0003 0004");
    // Without them: gpasm's names, and the zeros it lists.
    EXPECT_EQ(Code(CfgLst, "cfg.asm", 2), "'.config_2007_CFG.O' $00002007 (1 mot) : 0000");
    EXPECT_EQ(Code(CfgLst, "cfg.asm", 3), "'.idlocs' $00002000 (4 mots) : 0000 0000 0000 0000");
}

// --- 18F: LOC in bytes ---

TEST(Listing18F, RelocatableWordsAtByteAddresses)
{
    EXPECT_TRUE(LitListing(F18Lst, "a.asm").AdressesOctets);
    EXPECT_EQ(Code(F18Lst, "a.asm", 8, F18Map, F18Hex), "'RST' $00000000 (2 mots) : EF02 F000");
    EXPECT_EQ(Code(F18Lst, "a.asm", 12, F18Map, F18Hex), "'.code' $00000006 (2 mots) : EC09 F000");
    EXPECT_EQ(Code(F18Lst, "a.asm", 13, F18Map, F18Hex), "'.code' $0000000A (2 mots) : C085 F085");
    EXPECT_EQ(Code(F18Lst, "a.asm", 21, F18Map, F18Hex), "'TBL' $0000002A (3 octets) : 01 02 03");
    // Digits the listing knows are kept, even where gpasm listed them wrong.
    EXPECT_EQ(Code(F18Lst, "a.asm", 24, F18Map, F18Hex), "'SEC3' $00000302 (2 mots) : EC00 F000");
    EXPECT_EQ(Code(F18Lst, "m.inc", 3, F18Map, F18Hex), "'.code' $00000010 (1 mot) : 0012");
    EXPECT_EQ(Code(F18Lst, "a.asm", 3, F18Map, F18Hex), Aucun); // CONFIG: nothing listed
}

TEST(Listing18F, AbsoluteListing)
{
    EXPECT_EQ(Code(F18AbsLst, "f18.asm", 5), "'CODE' $00000000 (2 mots) : EF10 F000");
    EXPECT_EQ(Code(F18AbsLst, "f18.asm", 10), "'CODE' $00000026 (2 mots) : 0201 0003");
    EXPECT_EQ(Code(F18AbsLst, "f18.asm", 18), "'CODE' $00000042 (1 mot) : 0F00");
    EXPECT_EQ(Code(F18AbsLst, "f18.asm", 23), "'CODE' $00F00000 (3 octets) : 01 02 03");
}

// --- The image ---

TEST(ListingImage, RecordsAreCheckedBeforeUse)
{
    const std::string hex = Enregistrement(0x04, 0, {0x00, 0x01}) +  // base 0x10000
                            Enregistrement(0x00, 0x0010, {0x11, 0x22}) +
                            ":0200120033448F\n" +                    // bad checksum
                            ":03001400556677\n" +                    // length says 3, holds 2
                            ":0200160088\n" +                        // short
                            Enregistrement(0x02, 0, {0x10, 0x00}) +  // segment 0x1000: base 0x10000
                            Enregistrement(0x00, 0x0018, {0xAA}) +
                            Enregistrement(0x00, 0x0010, {0x99}) +   // a later record wins
                            Enregistrement(0x01, 0, {}) +
                            Enregistrement(0x00, 0x0020, {0x77});    // after the end
    const TImageHex image = LitHex(hex);
    EXPECT_EQ(image.Octet(0x10010), 0x99);
    EXPECT_EQ(image.Octet(0x10011), 0x22);
    EXPECT_EQ(image.Mot(0x10010), 0x2299);
    EXPECT_EQ(image.Octet(0x10018), 0xAA);
    EXPECT_EQ(image.Octet(0x10012), std::nullopt);
    EXPECT_EQ(image.Octet(0x10014), std::nullopt);
    EXPECT_EQ(image.Octet(0x10016), std::nullopt);
    EXPECT_EQ(image.Octet(0x10020), std::nullopt);
    EXPECT_EQ(image.Octet(0x10), std::nullopt);
    EXPECT_EQ(image.Mot(0x10018), std::nullopt); // one byte of two
    EXPECT_EQ(image.Mot(0xFFFFFFFF), std::nullopt);
}

TEST(ListingImage, UnknownDigitsFilledOnlyWhereTheImageAgrees)
{
    // RST's goto at 0: EF?? F0??.
    const std::string bon = Enregistrement(0x00, 0, {0x02, 0xEF, 0x00, 0xF0});
    EXPECT_EQ(Code(F18Lst, "a.asm", 8, F18Map, bon.c_str()), "'RST' $00000000 (2 mots) : EF02 F000");
    const std::string autre = Enregistrement(0x00, 0, {0x02, 0xEE, 0x00, 0xF0});
    EXPECT_EQ(Code(F18Lst, "a.asm", 8, F18Map, autre.c_str()), "'RST' $00000000 (2 mots) : EF?? F000");
    const std::string court = Enregistrement(0x00, 0, {0x02, 0xEF, 0x00});
    EXPECT_EQ(Code(F18Lst, "a.asm", 8, F18Map, court.c_str()), "'RST' $00000000 (2 mots) : EF02 F0??");
    // PIC14: word a at byte 2a.
    const std::string mot = Enregistrement(0x00, 0x095E, {0xAF, 0x24});
    EXPECT_EQ(Code(CfgLst, "cfg.asm", 8, CfgMap, mot.c_str()), "'MAIN' $000004AF (1 mot) : 24AF");
}

// --- The map ---

TEST(ListingCarte, SectionAndSymbolTables)
{
    const TCarteGplink carte = LitCarte(FusionMap);
    ASSERT_EQ(carte.Sections.size(), 9u);
    EXPECT_EQ(carte.Sections[2].Nom, ".code");
    EXPECT_EQ(carte.Sections[2].Type, "code");
    EXPECT_EQ(carte.Sections[2].Lieu, "program");
    EXPECT_EQ(carte.Sections[2].Adresse, 0x0Du);
    EXPECT_EQ(carte.Sections[2].Taille, 8u);
    ASSERT_EQ(carte.Symboles.size(), 7u);
    EXPECT_EQ(carte.Symboles[0].Nom, "_cinit");
    EXPECT_EQ(carte.Symboles[0].Fichier, "");
    EXPECT_EQ(carte.Symboles[1].Nom, "fb");
    EXPECT_EQ(carte.Symboles[1].Adresse, 0x0Fu);
    EXPECT_EQ(carte.Symboles[1].Fichier, "b.asm");
}

TEST(ListingCarte, DamagedRowsAreLeftOut)
{
    const TCarteGplink carte = LitCarte("Section Info\n"
                                        "  A code 0x000010 program 0x000002\n"
                                        "  B code 0x00001G program 0x000002\n"
                                        "  C code 0x0000000010 program 0x2\n"
                                        "  D code 0x program 0x2\n"
                                        "  E code 10 program 0x2\n"
                                        "Symbols - Sorted by Name\n"
                                        "  s 0x000012 program static mon fichier.asm\n"
                                        "  t 12 program static x.asm\n"
                                        "  u 0x000012\n");
    ASSERT_EQ(carte.Sections.size(), 1u);
    EXPECT_EQ(carte.Sections[0].Nom, "A");
    ASSERT_EQ(carte.Symboles.size(), 1u);
    EXPECT_EQ(carte.Symboles[0].Fichier, "mon fichier.asm");
}

// --- Damaged input ---

TEST(ListingHostile, EveryCutOfAListingReadsSafely)
{
    const TCarteGplink carte = LitCarte(F18Map);
    const TImageHex image = LitHex(F18Hex);
    for (const char* lst : {CfgLst, F18Lst, MacroLst, CondLst, IncluLst}) {
        const std::string_view t(lst);
        const std::string fichier = LitListing(t, "").Titre;
        std::size_t trouvees = 0;
        for (std::size_t n = 0; n <= t.size(); n += 7) {
            const TListingGpasm l = LitListing(t.substr(0, n), fichier);
            for (int ligne = 0; ligne < 30; ++ligne)
                trouvees += CodeDeLigne(l, ligne, "a", &carte, &image) != Aucun;
        }
        EXPECT_GT(trouvees, 0u) << fichier;
    }
}

TEST(ListingHostile, AbsurdNumbersStayInRange)
{
    const std::string lst = "gpasm x) z.asm 1 2 PAGE 1\n"
                            "FFFFFF FFFF FFFF FFFF 99999999 x\n"
                            "       ???? ????\n"
                            "FFFFFF ??                   M\n"
                            "                      999999999 \tinclude \"z.asm\"\n"
                            "                      00001 \tinclude\n"
                            "                      00001\n"
                            "0000   0000           00000\n";
    const TListingGpasm l = LitListing(lst, "z.asm");
    ASSERT_TRUE(l.Trouve);
    const std::string texte = CodeDeLigne(l, 99999999, "z", nullptr, nullptr);
    EXPECT_EQ(texte, "'CODE' $00FFFFFF (5 mots) : FFFF FFFF FFFF ???? ????");
    // The image at the end of the address space.
    const std::string hex = Enregistrement(0x04, 0, {0xFF, 0xFF}) + Enregistrement(0x00, 0xFFFF, {0x12, 0x34});
    const TImageHex image = LitHex(hex);
    EXPECT_EQ(image.Octet(0xFFFFFFFF), 0x12);
    EXPECT_EQ(image.Mot(0xFFFFFFFF), std::nullopt);
}

// --- The demo, built with gputils ---

TEST(ListingDemo, BuiltDemoLinesMatchTheMapAndTheImage)
{
    if (std::system("command -v gpasm >/dev/null 2>&1 && command -v gplink >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "gputils not installed";
    TTestDir dir;
    namespace fs = std::filesystem;
    for (const auto& e : fs::directory_iterator(fs::path(KEP_SOURCE_DIR) / "examples" / "demo"))
        fs::copy_file(e.path(), fs::path(dir.Dir()) / e.path().filename());
    // As demo.mke builds it. The main source is not named demo.asm: gplink
    // writes its own demo.lst, and gpasm -c demo.asm would delete demo.hex.
    ASSERT_TRUE(dir.Exists("principal.asm"));
    const std::string cmd = "cd '" + dir.Dir() +
                            "' && gpasm -c -w 1 serie.asm && gpasm -c -w 1 principal.asm && gpasm -c -w 1 delai.asm"
                            " && gplink -q -m -o demo.hex principal.o serie.o delai.o";
    ASSERT_EQ(std::system((cmd + " >/dev/null 2>&1").c_str()), 0);
    ASSERT_TRUE(dir.Exists("demo.map"));
    ASSERT_TRUE(dir.Exists("demo.hex"));
    ASSERT_TRUE(dir.Exists("principal.lst"));

    const TFichiersScan disque = FichiersDisque(dir.Dir());
    auto code = [&](const char* source, int ligne) { return CodeParListing(disque, "demo.mke", source, ligne - 1); };
    // RESET_VECTEUR code 0x000: goto Debut, Debut at 0x33 in the map (hex 33 28).
    EXPECT_EQ(code("principal.asm", 21), "'RESET_VECTEUR' $00000000 (1 mot) : 2833");
    // PRINCIPAL at 0x033 in the map.
    EXPECT_EQ(code("principal.asm", 26), "'PRINCIPAL' $00000033 (2 mots) : 1283 1303");
    EXPECT_EQ(code("principal.asm", 32), "'PRINCIPAL' $0000003B (3 mots) : 1283 1303 1006"); // LED_ETEINT
    EXPECT_EQ(code("principal.asm", 33), "'PRINCIPAL' $0000003E (1 mot) : 2001");            // call InitSerie (0x001)
    EXPECT_EQ(code("principal.asm", 45), "'PRINCIPAL' $00000045 (2 mots) : 30FA 204B");      // ATTENTE, Attente_ms at 0x04B
    EXPECT_EQ(code("principal.asm", 11), "'.config_2007_PRINCIPAL.O' $00002007 (1 mot) : 3F70");
    EXPECT_EQ(code("principal.asm", 19), Aucun); // comment
    EXPECT_EQ(code("principal.asm", 39), Aucun); // ifdef DEBUG, not defined
    // SERIE at 0x001.
    EXPECT_EQ(code("serie.asm", 30), "'SERIE' $00000001 (2 mots) : 1683 1303");
    EXPECT_EQ(code("serie.asm", 44), "'SERIE' $0000000F (1 mot) : 280E"); // goto $-1
    EXPECT_EQ(code("serie.asm", 73), "'SERIE' $00000023 (16 mots) : 3442 346F 346E 346A 346F 3475 3472 3420 344B 3445 "
                                     "3450 3420 3421 340D 340A 3400");
    // DELAI at 0x04B; compte_ms at 0x73.
    EXPECT_EQ(code("delai.asm", 19), "'DELAI' $0000004B (1 mot) : 00F3");
    // demo.inc would be read in demo.lst, gplink's listing: no answer.
    EXPECT_EQ(code("demo.inc", 26), std::nullopt);
    EXPECT_EQ(code("demo.asm", 21), std::nullopt);
    // Were demo.lst gpasm's listing of the main source, demo.inc's lines
    // would be read in its include block: the macro bodies have no code.
    const TFichiersScan seulGpasm = FichiersMemoire(dir.Dir(), {{dir.Path("demo.lst"), dir.Read("principal.lst")}});
    EXPECT_EQ(CodeParListing(seulGpasm, "demo.mke", "demo.inc", 25), Aucun); // macro body: the invocations' code
    EXPECT_EQ(CodeParListing(seulGpasm, "demo.mke", "demo.inc", 199), Aucun);
}
