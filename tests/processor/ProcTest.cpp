// Processor description files: where block 7 starts, the instructions and
// their descriptions, the groups and the whole-set group, and the demo's
// description against its table.
#include "processor/U_Proc.h"
#include "processor/U_TabFile.h"
#include "support/TestDir.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace kep;

namespace {

// Line 1 and blocks 1 to 6. Every skipped line has a tab after its first
// character, so a block taken for block 7 shows as stray instructions.
const std::string Entete = "OPTIONS\tMOT14\r\n"
                           "B1\tINDF;TMR0\r\n\r\n"
                           "B2\tC=0;Z=2\r\n\r\n"
                           "B3\tlibre\r\n\r\n"
                           "B4\t4\r\n\r\n"
                           "B5\t0004\r\n\r\n"
                           "B6\tW;F\r\n\r\n";

TProcesseur Lit(const std::string& bloc7, const std::string& entete = Entete)
{
    TProcesseur p;
    p.LoadFromBytes(entete + bloc7);
    return p;
}

std::vector<std::string> Mnemos(const TProcesseur& p)
{
    std::vector<std::string> m;
    for (const TInstruction& i : p.Instructions())
        m.push_back(i.Mnemo);
    return m;
}

std::vector<std::string> NomsGroupes(const TProcesseur& p)
{
    std::vector<std::string> n;
    for (const TGroupe& g : p.Groupes())
        n.push_back(g.Nom);
    return n;
}

std::uint32_t Masque(const TProcesseur& p, const std::string& nom)
{
    const int g = p.IndexOfGroupe(nom);
    EXPECT_GE(g, 0) << nom;
    return g < 0 ? 0 : p.Groupes()[std::size_t(g)].Masque;
}

using Strings = std::vector<std::string>;

} // namespace

TEST(ProcGroupes, ThreeSingleGroupsGetTheWholeSetGroupOnTheNextBit)
{
    const TProcesseur p = Lit("ADDWF\tf,d\r\n;Additionne~Octets!\r\n"
                              "BCF\tf,b\r\n;Met un bit \xE0 0~Bits!\r\n"
                              "GOTO\tk\r\n;Saute~Sauts!\r\n");
    ASSERT_EQ(p.Count(), 3);
    EXPECT_EQ(NomsGroupes(p), (Strings{"_Toutes_", "Bits", "Octets", "Sauts"}));
    EXPECT_EQ(Masque(p, "Octets"), 1u);
    EXPECT_EQ(Masque(p, "Bits"), 2u);
    EXPECT_EQ(Masque(p, "Sauts"), 4u);
    EXPECT_EQ(Masque(p, "_Toutes_"), 8u);
    EXPECT_EQ(p.Instruction(0).Groupes, 1u | 8u);
    EXPECT_EQ(p.Instruction(1).Groupes, 2u | 8u);
    EXPECT_EQ(p.Instruction(2).Groupes, 4u | 8u);
    EXPECT_EQ(p.Instruction(1).Description, "Met un bit \xE0 0");
}

TEST(ProcGroupes, AGroupOfEveryInstructionIsRenamedWithNoGroupAdded)
{
    // The group every instruction lists is the first one added; the others
    // keep their names.
    const TProcesseur p = Lit("ADDWF\t\r\n;Additionne~Tout~Octets!\r\n"
                              "BCF\t\r\n;Bit~Tout!\r\n"
                              "GOTO\t\r\n;Saute~tout~Sauts!\r\n");
    EXPECT_EQ(NomsGroupes(p), (Strings{"_Toutes_", "Octets", "Sauts"}));
    EXPECT_EQ(Masque(p, "_Toutes_"), 1u);
    for (const TInstruction& i : p.Instructions())
        EXPECT_EQ(i.Groupes & 1u, 1u) << i.Mnemo;
    EXPECT_EQ(p.Instruction(1).Groupes, 1u);
}

TEST(ProcGroupes, InstructionsWithoutGroupsStillGetTheWholeSetGroup)
{
    const TProcesseur p = Lit("NOP\t\r\n;Rien!\r\nSLEEP\t\r\n");
    EXPECT_EQ(NomsGroupes(p), (Strings{"_Toutes_"}));
    EXPECT_EQ(Masque(p, "_Toutes_"), 1u);
    EXPECT_EQ(p.Instruction(0).Groupes, 1u);
    EXPECT_EQ(p.Instruction(1).Groupes, 1u);
    EXPECT_EQ(p.Instruction(1).Description, "");

    EXPECT_TRUE(Lit("").Groupes().empty());
    EXPECT_TRUE(Lit("; rien que des remarques!\r\n").Groupes().empty());
}

TEST(ProcGroupes, NamesPastTheThirtyFirstShareItsBit)
{
    std::string bloc7;
    for (int n = 1; n <= 33; ++n)
        bloc7 += "I" + std::to_string(n) + "\t\r\n;Instruction~name" + std::to_string(n) + "!\r\n";
    // Names already spelled in the shared group's name are not repeated,
    // whichever part of it they are and whatever their case.
    bloc7 += "J1\t\r\n;Encore~NAME32~name31~name33!\r\n";
    const TProcesseur p = Lit(bloc7);
    ASSERT_EQ(p.Count(), 34);
    ASSERT_EQ(p.Groupes().size(), 32u);
    EXPECT_EQ(p.IndexOfGroupe("name32"), -1);
    EXPECT_EQ(Masque(p, "name31, name32, name33"), 1u << 30);
    EXPECT_EQ(Masque(p, "name30"), 1u << 29);
    EXPECT_EQ(Masque(p, "name1"), 1u);
    // Bits 0 to 30 are taken: the whole set takes bit 31.
    EXPECT_EQ(Masque(p, "_Toutes_"), 1u << 31);
    EXPECT_EQ(p.Instruction(31).Groupes, (1u << 30) | (1u << 31));
    EXPECT_EQ(p.Instruction(32).Groupes, (1u << 30) | (1u << 31));
    EXPECT_EQ(p.Instruction(33).Groupes, (1u << 30) | (1u << 31));
}

TEST(ProcGroupes, LookupIgnoresCaseAccentedLettersIncluded)
{
    const TProcesseur p = Lit("ADDWF\t\r\n;Additionne~Arithm\xE9tique~Octets!\r\n"
                              "ADDLW\t\r\n;Additionne k~ARITHM\xC9TIQUE~OCTETS!\r\n"
                              "GOTO\t\r\n;Saute~Sauts!\r\n");
    EXPECT_EQ(NomsGroupes(p), (Strings{"_Toutes_", "Arithm\xE9tique", "Octets", "Sauts"}));
    EXPECT_EQ(p.Instruction(0).Groupes, p.Instruction(1).Groupes);
    EXPECT_EQ(p.IndexOfGroupe("octets"), p.IndexOfGroupe("OCTETS"));
}

TEST(ProcGroupes, SortedByLetterWithAccentsAndCaseAside)
{
    const TProcesseur p = Lit("A\t\r\n;a~sauts~\xC9" "changes~Bits~Arithm\xE9tique~Zorro!\r\n"
                              "B\t\r\n;b~Octets!\r\n");
    EXPECT_EQ(NomsGroupes(p),
              (Strings{"_Toutes_", "Arithm\xE9tique", "Bits", "\xC9" "changes", "Octets", "sauts", "Zorro"}));
}

TEST(ProcDescriptions, TextBetweenSemicolonAndBangSplitAtTildes)
{
    const TProcesseur p = Lit("MOVLW\tk\r\n"
                              ";Charge k dans W!~Pas~Un~Groupe\r\n"
                              "RETLW\tk\r\n"
                              ";Retour~Sauts~~Transferts~!2 cycles\r\n"
                              "CLRW\t\r\n"
                              "; une remarque sans point d'exclamation~Faux\r\n");
    ASSERT_EQ(p.Count(), 3);
    EXPECT_EQ(p.Instruction(0).Description, "Charge k dans W");
    EXPECT_EQ(p.Instruction(1).Description, "Retour");
    EXPECT_EQ(p.Instruction(2).Description, "");
    // Empty pieces name no group; the "~Pas~Un~Groupe" after "!" none either.
    EXPECT_EQ(NomsGroupes(p), (Strings{"_Toutes_", "Sauts", "Transferts"}));
    EXPECT_EQ(p.Instruction(0).Groupes, Masque(p, "_Toutes_"));
}

TEST(ProcDescriptions, WithoutTildeAllIsDescription)
{
    const TProcesseur p = Lit("NOP\t\r\n; Aucune op\xE9ration, 1 cycle!\r\n");
    ASSERT_EQ(p.Count(), 1);
    EXPECT_EQ(p.Instruction(0).Description, " Aucune op\xE9ration, 1 cycle");
    EXPECT_EQ(p.Instruction(0).Groupes, Masque(p, "_Toutes_"));
    EXPECT_EQ(p.Groupes().size(), 1u);
}

TEST(ProcDescriptions, OnlyTheLatestInstructionIsDescribed)
{
    const TProcesseur p = Lit(";Avant toute instruction~Fant\xF4me!\r\n"
                              "ADDWF\t\r\n"
                              "BCF\t\r\n"
                              ";Met un bit \xE0 0~Bits!\r\n"
                              ";Deuxi\xE8me ligne~Octets!\r\n");
    ASSERT_EQ(p.Count(), 2);
    EXPECT_EQ(p.Instruction(0).Description, "");
    EXPECT_EQ(p.Instruction(0).Groupes, Masque(p, "_Toutes_"));
    // The last description line wins; the groups of both count.
    EXPECT_EQ(p.Instruction(1).Description, "Deuxi\xE8me ligne");
    EXPECT_EQ(p.Instruction(1).Groupes, Masque(p, "Bits") | Masque(p, "Octets") | Masque(p, "_Toutes_"));
    EXPECT_EQ(p.IndexOfGroupe("Fant\xF4me"), -1);
}

TEST(ProcBlocs, InstructionLinesNeedATabAfterTheirFirstCharacter)
{
    const TProcesseur p = Lit("ADDWF\tf,d\t00 0111\r\n"
                              "SANS_TAB f,d\r\n"
                              "\tTABULATION_EN_TETE\r\n"
                              "X\t\r\n"
                              "   \tESPACES\r\n"
                              "SUBWF  \tf,d\r\n");
    EXPECT_EQ(Mnemos(p), (Strings{"ADDWF", "X", "   ", "SUBWF  "}));
}

TEST(ProcBlocs, ContinuedLinesOfBlocks2And6BelongToTheirBlock)
{
    // Block 2 ends its first entry with ":" and continues on an empty line,
    // then a trimmed line ending with ":" continues once more. Block 6 the
    // same. Taken for block ends, these lines would shift every block.
    const std::string entete = "OPTIONS\r\n"
                               "B1\tA;B\r\n\r\n"
                               "B2\tC=0:\r\n"
                               "\r\n"
                               "B2b\tZ=2:\r\n"
                               "   DC=1 :  \r\n"
                               "\r\n"
                               "B2c\tX=1\r\n\r\n"
                               "B3\tlibre\r\n\r\n"
                               "B4\t4\r\n\r\n"
                               "B5\t0004\r\n\r\n"
                               "B6\tW;F:\r\n"
                               "\r\n"
                               "B6b\tX\r\n\r\n";
    const TProcesseur p = Lit("ADDWF\t\r\n;Additionne~Octets!\r\n", entete);
    EXPECT_EQ(Mnemos(p), (Strings{"ADDWF"}));
    EXPECT_EQ(p.Instruction(0).Description, "Additionne");
}

TEST(ProcBlocs, OtherBlocksEndAtTheirEmptyLineEvenAfterAColon)
{
    // Block 1 has no continued lines: its ":" is only a character.
    const std::string entete = "OPTIONS\r\n"
                               "B1\tA;B:\r\n\r\n"
                               "B2\tC=0\r\n\r\n"
                               "B3\tlibre:\r\n\r\n"
                               "B4\t4\r\n\r\n"
                               "B5\t0004\r\n\r\n"
                               "B6\tW;F\r\n\r\n";
    EXPECT_EQ(Mnemos(Lit("NOP\t\r\n", entete)), (Strings{"NOP"}));
}

TEST(ProcBlocs, ALineOfSpacesIsNotAnEmptyLine)
{
    const std::string entete = "OPTIONS\r\n"
                               "B1\tA\r\n"
                               "   \r\n"
                               "B1b\tB\r\n\r\n"
                               "B2\tC=0\r\n\r\n"
                               "B3\tlibre\r\n\r\n"
                               "B4\t4\r\n\r\n"
                               "B5\t0004\r\n\r\n"
                               "B6\tW;F\r\n\r\n";
    EXPECT_EQ(Mnemos(Lit("NOP\t\r\n", entete)), (Strings{"NOP"}));
    // In block 7 too: the instructions go on after it.
    EXPECT_EQ(Mnemos(Lit("NOP\t\r\n  \r\nSLEEP\t\r\n")), (Strings{"NOP", "SLEEP"}));
}

TEST(ProcBlocs, Block7EndsAtItsEmptyLine)
{
    EXPECT_EQ(Mnemos(Lit("NOP\t\r\n\r\nB8\tapr\xE8s le bloc 7\r\n")), (Strings{"NOP"}));
}

TEST(ProcBlocs, AnyLineEndWillDo)
{
    std::string lf = Entete + "ADDWF\t\r\n;Additionne~Octets!\r\nBCF\t\r\n;Bit~Bits!";
    std::string cr = lf;
    for (std::size_t i = lf.find("\r\n"); i != std::string::npos; i = lf.find("\r\n", i))
        lf.erase(i, 1);
    for (std::size_t i = cr.find("\r\n"); i != std::string::npos; i = cr.find("\r\n", i))
        cr.erase(i + 1, 1);
    for (const std::string& text : {lf, cr}) {
        TProcesseur p;
        p.LoadFromBytes(text);
        EXPECT_EQ(Mnemos(p), (Strings{"ADDWF", "BCF"}));
        EXPECT_EQ(NomsGroupes(p), (Strings{"_Toutes_", "Bits", "Octets"}));
    }
    // A file cut before block 7 has nothing to read.
    TProcesseur court;
    court.LoadFromBytes("OPTIONS\r\nB1\tA\r\n\r\nB2\tC=0:");
    EXPECT_EQ(court.Count(), 0);
    EXPECT_TRUE(court.Groupes().empty());
}

TEST(ProcLoad, MissingFileGivesAnErrorNamingItAndEmptyLists)
{
    TTestDir dir;
    TProcesseur p;
    p.LoadFromBytes(Entete + "NOP\t\r\n");
    ASSERT_EQ(p.Count(), 1);
    std::string error;
    EXPECT_FALSE(p.Load(dir.Path("absent.s"), &error));
    EXPECT_NE(error.find(dir.Path("absent.s")), std::string::npos) << error;
    EXPECT_EQ(p.Count(), 0);
    EXPECT_TRUE(p.Groupes().empty());

    const std::string path = dir.Write("p.s", Entete + "GOTO\tk\r\n;Saute~Sauts!\r\nNOP\t\r\n");
    EXPECT_TRUE(p.Load(path, &error));
    EXPECT_EQ(Mnemos(p), (Strings{"GOTO", "NOP"}));
    EXPECT_EQ(NomsGroupes(p), (Strings{"_Toutes_", "Sauts"}));
}

TEST(ProcDemo, TheDemoDescriptionMatchesItsTable)
{
    TProcesseur p;
    std::string error;
    ASSERT_TRUE(p.Load(KEP_SOURCE_DIR "/examples/processors/p16.s", &error)) << error;
    TTabFile tab;
    ASSERT_TRUE(tab.Load(KEP_TABLES_DIR "/p16.tab", &error)) << error;
    ASSERT_EQ(p.Count(), 35);
    EXPECT_EQ(Mnemos(p), tab.Mnemonics());
    const std::uint32_t toutes = Masque(p, "_Toutes_");
    for (const TInstruction& i : p.Instructions()) {
        EXPECT_FALSE(i.Description.empty()) << i.Mnemo;
        EXPECT_TRUE(i.Groupes & toutes) << i.Mnemo;
        EXPECT_NE(i.Groupes, toutes) << i.Mnemo << " has no group of its own";
    }
    EXPECT_EQ(NomsGroupes(p), (Strings{"_Toutes_", "Arithm\xE9tique", "Bits", "Litt\xE9raux et contr\xF4le", "Logique",
                                       "Octets", "Sauts", "Transferts"}));
    // Octets and Bits split the set; Sauts crosses them.
    const std::uint32_t octets = Masque(p, "Octets"), bits = Masque(p, "Bits"), sauts = Masque(p, "Sauts");
    int nOctets = 0, nBits = 0, nSautsBits = 0;
    for (const TInstruction& i : p.Instructions()) {
        nOctets += (i.Groupes & octets) != 0;
        nBits += (i.Groupes & bits) != 0;
        nSautsBits += (i.Groupes & (bits | sauts)) == (bits | sauts);
    }
    EXPECT_EQ(nOctets, 18);
    EXPECT_EQ(nBits, 4);
    EXPECT_EQ(nSautsBits, 2); // BTFSC, BTFSS
}
