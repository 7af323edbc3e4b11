// Which table a source gets: the family of a chip as the assemblers
// themselves see it, the directives that name it, and the chip's names read
// from its include file.
#include "platform/FileIo.h"
#include "platform/SortieProgramme.h"
#include "processor/U_Puces.h"
#include "support/TestDir.h"

#include <gtest/gtest.h>

#include <string>

using namespace kep;

namespace {

bool Installed(const char* tool)
{
    std::string out;
    return CaptureSortie({"sh", "-c", std::string("command -v ") + tool}, out) && !out.empty();
}

// True when gpasm assembles the line for the chip without an error.
bool Gpasm(const TTestDir& dir, const std::string& chip, const std::string& line)
{
    dir.Write("probe.asm", "\t" + line + "\n\tend\n");
    std::string out;
    return CaptureSortie({"gpasm", "-q", "-p", chip, "-o", dir.Path("probe.hex"), dir.Path("probe.asm")}, out);
}

bool Avra(const TTestDir& dir, const std::string& chip)
{
    dir.Write("probe.asm", ".device " + chip + "\n\tnop\n");
    std::string out;
    return CaptureSortie({"avra", "-o", dir.Path("probe.hex"), dir.Path("probe.asm")}, out);
}

// The family the assemblers' own behaviour gives: only enhanced mid-range
// parts take brw, only PIC18 movff, baseline parts lack addlw.
TFamille Probe(const TTestDir& dir, const std::string& chip)
{
    if (Avra(dir, chip))
        return TFamille::Avr;
    if (!Gpasm(dir, chip, "nop"))
        return TFamille::Aucune;
    if (Gpasm(dir, chip, "movff 0x10, 0x20"))
        return TFamille::Pic18;
    if (Gpasm(dir, chip, "brw"))
        return TFamille::Pic14E;
    return Gpasm(dir, chip, "addlw 1") ? TFamille::Pic14 : TFamille::Pic12;
}

} // namespace

TEST(Puces, TheFamilyOfAChipIsWhatTheAssemblersAccept)
{
    if (!Installed("gpasm") || !Installed("avra"))
        GTEST_SKIP() << "gpasm ou avra absent : le choix de la famille n'est pas vérifiable ici";
    const TCataloguePuces& cat = TCataloguePuces::Systeme();
    TTestDir dir;
    TTestDir tables;
    for (const char* t : {"p12", "p16", "p16e", "p18", "avr"})
        tables.Write(std::string(t) + ".tab", "x");
    const char* chips[] = {
        "10f200", "10f222", "12f508", "12f509", "12f510", "16f54", "16f57", "16f59", "16f505", "16f527",
        "12f629", "12f675", "16f84a", "16f628a", "16f877a", "16f88", "16f690", "16f887",
        "12f1822", "12f1840", "16f1455", "16f1829", "16f1939", "16f1789", "16lf1847",
        "18f452", "18f2550", "18f4550", "18f25k22", "18f46k80", "18f14k22",
        "ATtiny13A", "ATtiny85", "ATtiny2313", "ATmega8", "ATmega328P", "ATmega2560"};
    for (const std::string chip : chips) {
        SCOPED_TRACE(chip);
        const TFamille seen = Probe(dir, chip);
        ASSERT_NE(seen, TFamille::Aucune) << "ni gpasm ni avra ne connaissent ce composant";
        EXPECT_EQ(cat.Famille(chip), seen);
        // As a source names it: in another case, through its directive.
        const bool avr = seen == TFamille::Avr;
        const std::string source = avr ? "; essai\n.device " + chip + "\n" : "\tLIST P=" + chip + ", R=DEC\n";
        const TChoixTable choix = ChoisitTable(source, TContexteTable{tables.Path(""), dir.Path(""), {}, {}}, &cat);
        EXPECT_EQ(choix.Table, tables.Path(std::string(TableDeFamille(seen)) + ".tab"));
        EXPECT_FALSE(choix.Include.empty()) << "pas de fichier d'inclusion pour ses noms";
    }
}

TEST(Puces, DirectivesAsSourcesWriteThem)
{
    struct TCase {
        const char* Source;
        const char* Puce;
        const char* Include;
    };
    const TCase cases[] = {
        {"\tlist p=16f628a\n", "16f628a", ""},
        {"\tLIST\tP = 16F628A , R = DEC ; commentaire\n", "16F628A", ""},
        {"debut list p=18f4550\n", "18f4550", ""},
        {"\tprocessor 18f4550\n", "18f4550", ""},
        {"#include <p16f1829.inc>\n", "", "p16f1829.inc"},
        {"\tinclude \"p12f509.inc\"\n", "", "p12f509.inc"},
        {".include \"m328Pdef.inc\"\n", "", "m328Pdef.inc"},
        {".DEVICE ATmega328P\n", "ATmega328P", ""},
        {"; list p=16f84 dans un commentaire\n", "", ""},
        {"\tmovlw 'list p=16f84'\n", "", ""},
        {"\tlist\n", "", ""},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Source);
        const std::vector<TDirectivePuce> ds = TrouveDirectivesPuce(c.Source);
        const std::string puce = ds.empty() ? "" : ds[0].Puce;
        const std::string include = ds.empty() ? "" : ds[0].Include;
        EXPECT_EQ(puce, c.Puce);
        EXPECT_EQ(include, c.Include);
    }
    // Beyond the lines looked through, nothing.
    EXPECT_TRUE(TrouveDirectivesPuce(std::string(100, '\n') + "\tlist p=16f84\n").empty());
}

TEST(Puces, ASourceThatNamesNothingTakesTheProjectsChip)
{
    TCataloguePuces cat;
    cat.AjouteListeGpasm(TFamille::Pic18, "p18f4550  p18f452\n");
    cat.AjouteListeGpasm(TFamille::Pic14, "p16f628a\n");
    cat.DossierGputils = "/nulle/part/";
    TTestDir d;
    d.Write("lib/p16.tab", "x");
    d.Write("lib/p18.tab", "x");
    const std::string main = d.Write("p/demo.asm", "; banniere\n\tprocessor 18f452\n");
    const std::string make = d.Write("p/demo.mke", "all:\n\tgpasm -c -p16f628a delai.asm\n");
    const TContexteTable ctx{d.Path("lib/"), d.Path("p/"), main, make};
    // A module's own directive first, then the main source's, then make's.
    EXPECT_EQ(ChoisitTable("\tlist p=16f628a\n", ctx, &cat).Table, d.Path("lib/p16.tab"));
    EXPECT_EQ(ChoisitTable("; delai\n\tnop\n", ctx, &cat).Puce, "18f452");
    EXPECT_EQ(ChoisitTable("; delai\n", TContexteTable{d.Path("lib/"), d.Path("p/"), "", make}, &cat).Table,
              d.Path("lib/p16.tab"));
    // A table named on line 0 stays first; the chip still gives the names.
    d.Write("lib/maison.tab", "x");
    const TChoixTable first = ChoisitTable("maison\n\tlist p=18f4550\n", ctx, &cat);
    EXPECT_EQ(first.Table, d.Path("lib/maison.tab"));
    EXPECT_EQ(first.Puce, "18f4550");
    // Line 0 written on Windows in another case; a table copied in since the
    // last look is found.
    EXPECT_EQ(ChoisitTable("MAISON\n", ctx, &cat).Table, d.Path("lib/maison.tab"));
    d.Write("lib/Neuve.tab", "x");
    EXPECT_EQ(ChoisitTable("neuve\n", ctx, &cat).Table, d.Path("lib/Neuve.tab"));
    // An unknown chip chooses nothing and says so; a one-word line says
    // nothing.
    const TChoixTable unknown = ChoisitTable("\tlist p=16f9999\n", ctx, &cat);
    EXPECT_TRUE(unknown.Table.empty());
    EXPECT_NE(unknown.Message.find("16f9999"), std::string::npos);
    const TChoixTable nop = ChoisitTable("nop\n", TContexteTable{d.Path("lib/"), d.Path("p/"), "", ""}, &cat);
    EXPECT_TRUE(nop.Table.empty());
    EXPECT_TRUE(nop.Message.empty());
}

TEST(Puces, TheChipsNamesComeFromItsIncludeAndBadOnesGiveNone)
{
    const std::vector<std::string> pic = LitNomsPuce("; P16F628A.INC\n"
                                                     "W                EQU  H'0000'\n"
                                                     "STATUS           EQU  H'0003'\n"
                                                     "_CP_OFF          EQU  H'3FFF' ; config\n"
                                                     "  __MAXRAM H'01FF'\n"
                                                     "STATUS EQU 3\n");
    EXPECT_EQ(pic, (std::vector<std::string>{"STATUS", "W", "_CP_OFF"}));
    const std::vector<std::string> avr = LitNomsPuce(".equ\tPORTB\t= 0x05\r\n.def\tXL\t= r26\r\n.equ SREG=0x3f\r\n"
                                                     ";.equ NON = 1\r\n.equ 9X = 1\r\n");
    EXPECT_EQ(avr, (std::vector<std::string>{"PORTB", "SREG", "XL"}));

    TTestDir d;
    // Bytes of every value, lines without end, a name of a megabyte.
    std::string junk;
    for (int i = 0; i < 200000; ++i)
        junk += char(i * 7919 % 256);
    junk += std::string(1 << 20, 'A') + " EQU 1\n";
    EXPECT_TRUE(NomsDuFichierPuce(d.Write("junk.inc", junk))->size() < 100);
    // Over the limit: not read at all.
    const std::string huge = d.Path("huge.inc");
    {
        std::string line = "NOM EQU 1\n";
        std::string big;
        while (big.size() < (9u << 20))
            big += line;
        d.Write("huge.inc", big);
    }
    EXPECT_TRUE(NomsDuFichierPuce(huge)->empty());
    EXPECT_TRUE(NomsDuFichierPuce(d.Path("absent.inc"))->empty());
    // Read once per date: the same list while the file stays as it is.
    const std::string inc = d.Write("p.inc", "PORTA EQU 5\n");
    EXPECT_EQ(NomsDuFichierPuce(inc), NomsDuFichierPuce(inc));
}
