// gpasm, gplink and avra messages read by what they say, from real runs of
// the installed tools.
#include "support/TestDir.h"
#include "build/U_ErrAssembleur.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

using namespace kep;

namespace {

bool HasProgram(const std::string& name)
{
    return std::system(("command -v " + name + " >/dev/null 2>&1").c_str()) == 0;
}

std::vector<std::string> SplitLines(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string l; std::getline(in, l);) {
        if (!l.empty() && l.back() == '\r')
            l.pop_back();
        lines.push_back(l);
    }
    return lines;
}

// Appends both output streams of `command`, run in `dir`, to the error
// file, as the make files do.
void RunInto(const TTestDir& dir, const std::string& command)
{
    (void)std::system(("cd '" + dir.Dir() + "' && " + command + " >>erreurs.err 2>&1").c_str());
}

TLineAt At(const std::vector<std::string>& lines)
{
    return [&lines](std::int32_t i) -> const std::string& { return lines.at(std::size_t(i)); };
}

// One block as F6 shows it: where it leads (for a linker error naming an
// object, the 1-based line LigneUtilisant finds there) and what it says.
struct TVu {
    std::string File;
    int Line = 0;
    std::string Status, Word;
    bool Warning = false;
    bool operator==(const TVu&) const = default;
};

std::ostream& operator<<(std::ostream& os, const TVu& v)
{
    return os << "\n  {" << v.File << ":" << v.Line << " [" << v.Status << "] word=" << v.Word
              << (v.Warning ? " warning" : "") << "}";
}

std::vector<TVu> Walk(const std::vector<std::string>& lines, TErrLecteur lecteur, const TTestDir& dir)
{
    std::vector<TVu> seen;
    std::int32_t from = 0;
    while (const auto b = NextAsmBlock(At(lines), std::int32_t(lines.size()), from, lecteur, dir.Dir())) {
        EXPECT_TRUE(b->HasLine);
        EXPECT_EQ(b->NextSearch, b->BlockStart + 1);
        TVu v{b->FileName, b->LineNumber, b->Status, b->Word, b->IsWarning};
        if (b->StatusOnly) {
            EXPECT_TRUE(b->FindWord.empty());
            v.File = "-";
        } else if (!b->FindWord.empty()) {
            EXPECT_EQ(b->LineNumber, 0);
            const auto src = SplitLines(dir.Read(b->FileName));
            v.Line = LigneUtilisant(At(src), std::int32_t(src.size()), b->FindWord) + 1;
        }
        seen.push_back(v);
        from = b->NextSearch;
    }
    return seen;
}

TErrDefaults PresetLayout(const char* nom)
{
    const TErrPreset* p = FindErrPreset(nom);
    EXPECT_TRUE(p) << nom;
    return p ? ApplyErrPreset(*p, TErrDefaults{}) : TErrDefaults{};
}

} // namespace

TEST(ErrAssembleur, GpasmAndGplinkMessagesShownWholeWithTheirWordAndSource)
{
    if (!HasProgram("gpasm") || !HasProgram("gplink"))
        GTEST_SKIP() << "gputils is not installed";
    TTestDir dir;
    dir.Write("main.asm", "\tprocessor 16f628a\n"
                          "\tinclude \"p16f628a.inc\"\n"
                          "PROG\tcode\n"
                          "\tgoto LOOP1\n"
                          "\tmovlw 300\n"
                          "\tbadop 1\n"
                          "\tinclude \"defs.inc\"\n"
                          "\tinclude \"absent.inc\"\n"
                          "\tend\n");
    dir.Write("defs.inc", "\tnop\n\tgoto NOWHERE\n");
    // For the linker: a symbol nobody defines, one defined twice, a chip
    // that is not the others', a data section too big for any bank.
    dir.Write("lien.asm", "\tprocessor 16f628a\n"
                          "\tinclude \"p16f628a.inc\"\n"
                          "\textern Inconnu      ; Inconnu\n"
                          "\tglobal Debut\n"
                          "PROG\tcode\n"
                          "Debut:\n"
                          "\tnop                 ; appelle Inconnu plus bas\n"
                          "\tcall Inconnu\n"
                          "\tend\n");
    dir.Write("dup.asm",
              "\tprocessor 16f628a\n\tinclude \"p16f628a.inc\"\n\tglobal Debut\nDUP\tcode\nDebut:\n\tnop\n\tend\n");
    dir.Write("autre.asm", "\tprocessor 16f84a\n\tinclude \"p16f84a.inc\"\nAUTRE\tcode\n\tnop\n\tend\n");
    dir.Write("ram.asm", "\tprocessor 16f628a\n\tinclude \"p16f628a.inc\"\n\tudata\nbuf\tres 0x200\n\tend\n");
    dir.Write("bad.lkr", "xx yy\n");
    for (const char* f : {"lien", "dup", "autre", "ram"})
        (void)std::system(("cd '" + dir.Dir() + "' && gpasm -c " + f + ".asm >/dev/null 2>&1").c_str());
    RunInto(dir, "gpasm -c main.asm");
    RunInto(dir, "gplink -o a.hex lien.o dup.o autre.o");
    RunInto(dir, "gplink -o b.hex ram.o");
    RunInto(dir, "gplink -s bad.lkr -o c.hex dup.o");
    const auto lines = SplitLines(dir.Read("erreurs.err"));

    const std::vector<TVu> expected{
        {"main.asm", 4, "Error[113] Symbol not previously defined: \"LOOP1\"", "LOOP1"},
        {"main.asm", 5, "Warning[202] Argument out of range. Least significant bits used. 768 (0x300) => 0 (0)", "",
         true},
        {"main.asm", 6, "Error[181] Unknown opcode: \"badop\"", "BADOP"},
        {"defs.inc", 2, "Error[113] Symbol not previously defined: \"NOWHERE\"", "NOWHERE"},
        // gpasm names the line after the include it cannot open.
        {"main.asm", 9, "Error[105] Cannot open file. Include file \"absent.inc\" not found.", "ABSENT.INC"},
        {"-", 0, "warning: Processor mismatch in \"autre.o\".", "AUTRE.O", true},
        {"lien.asm", 6, "error: Duplicate symbol \"Debut\" defined in \"lien.o\" and \"dup.o\".", "DEBUT"},
        {"lien.asm", 8, "error: Missing definition for symbol \"Inconnu\", required by \"lien.o\".", "INCONNU"},
        {"-", 0, "error: No target memory available for section \".udata\".", ".UDATA"},
        {"bad.lkr", 1, "Error invalid script command (xx)", "XX"},
    };
    std::string dump;
    for (const auto& l : lines)
        dump += "  " + l + "\n";
    EXPECT_EQ(Walk(lines, TErrLecteur::Gpasm, dir), expected) << "printed:\n" << dump;

    const TErrCompte n = CompteErreurs(At(lines), std::int32_t(lines.size()), PresetLayout("gpasm"));
    EXPECT_EQ(n.Erreurs, 8);
    EXPECT_EQ(n.Avertissements, 2);
}

TEST(ErrAssembleur, AvraMessagesShownWholeWithTheNameTheyComplainAbout)
{
    if (!HasProgram("avra"))
        GTEST_SKIP() << "avra is not installed";
    TTestDir dir;
    // The chip's include file brings avra's PRAGMA notes, which are no errors.
    dir.Write("main.asm", ".include \"m8def.inc\"\n"
                          ".include \"vdefs.inc\"\n"
                          "\trjmp Foo\n"
                          "\tldi r16, 300\n"
                          "\tmov R33, r1\n"
                          "\tldi r3, 1\n"
                          "\tsbi PORTB, 9\n");
    dir.Write("vdefs.inc", "\tnop\n\trjmp NOWHERE\n");
    // First-pass errors stop avra: files of their own.
    dir.Write("op.asm", ".device ATmega8\n\tnop\n\tldx r1\n.include \"absent.inc\"\n");
    dir.Write("dev.asm", ".device ATmega8\n.include \"m8def.inc\"\n\tnop\n");
    RunInto(dir, "avra -I /usr/share/avra main.asm");
    RunInto(dir, "avra op.asm");
    RunInto(dir, "avra -I /usr/share/avra dev.asm");
    const auto lines = SplitLines(dir.Read("erreurs.err"));
    std::string inc;
    for (const auto& l : lines)
        if (l.find("m8def.inc(") != std::string::npos && l.find("DEVICE") != std::string::npos)
            inc = l.substr(0, l.find('('));

    const std::vector<TVu> expected{
        {"vdefs.inc", 2, "Error : Found no label/variable/constant named NOWHERE", "NOWHERE"},
        {"main.asm", 3, "Error : Found no label/variable/constant named Foo", "FOO"},
        {"main.asm", 4, "Warning : Constant out of range (-128 <= k <= 255). Will be masked", "", true},
        {"main.asm", 5, "Error : R33 is not a valid register", "R33"},
        {"main.asm", 6, "Error : ldi can only use a high register (r16 - r31)", "LDI"},
        {"main.asm", 7, "Error : Operand out of range (0 <= s <= 7)", ""},
        {"op.asm", 3, "Error : Unknown mnemonic/macro: ldx", "LDX"},
        {"op.asm", 4, "Error : Cannot find include file: absent.inc", "ABSENT.INC"},
        {inc, 47, "Error : More than one .DEVICE definition", ".DEVICE"},
    };
    std::string dump;
    for (const auto& l : lines)
        dump += "  " + l + "\n";
    EXPECT_NE(dump.find("PRAGMA"), std::string::npos) << dump;
    EXPECT_TRUE(inc.ends_with("m8def.inc")) << dump;
    EXPECT_EQ(Walk(lines, TErrLecteur::Avra, dir), expected) << "printed:\n" << dump;

    const TErrCompte n = CompteErreurs(At(lines), std::int32_t(lines.size()), PresetLayout("avra"));
    EXPECT_EQ(n.Erreurs, 8);
    EXPECT_EQ(n.Avertissements, 1);
}

TEST(ErrAssembleur, ALinkerErrorWhoseSourceIsMissingOnlyShowsItsText)
{
    TTestDir dir;
    dir.Write("ici.asm", "");
    const std::string missing = "error: Missing definition for symbol \"A\", required by \"ailleurs.o\".";
    const auto b = AsmBlockOf(missing, TErrLecteur::Gpasm, dir.Dir());
    ASSERT_TRUE(b);
    EXPECT_TRUE(b->StatusOnly);
    EXPECT_FALSE(AsmBlockOf("message: Using default linker script \"x.lkr\".", TErrLecteur::Gpasm, dir.Dir()));
    const auto here = AsmBlockOf("error: Missing definition for symbol \"A\", required by \"ICI.o\".",
                                 TErrLecteur::Gpasm, dir.Dir());
    ASSERT_TRUE(here);
    EXPECT_FALSE(here->StatusOnly);
    EXPECT_EQ(here->FindWord, "A");
    // Not the layout's reader: the avra one does not know gplink.
    EXPECT_FALSE(AsmBlockOf(missing, TErrLecteur::Avra, dir.Dir()));
}

TEST(ErrAssembleur, TheUseOfASymbolIsFoundOutsideCommentsAndLinkDirectives)
{
    const std::vector<std::string> src{"; Inconnu est ailleurs", "\textern  Inconnu2, inconnu", "X\tglobal Inconnu",
                                       "\tcall InconnuBis ; Inconnu", "\tcall  Inconnu ; ici"};
    EXPECT_EQ(LigneUtilisant(At(src), 5, "Inconnu"), 4);
    EXPECT_EQ(LigneUtilisant(At(src), 3, "INCONNU"), 1) << "the extern line when nothing else uses it";
    EXPECT_EQ(LigneUtilisant(At(src), 5, "Absent"), -1);
}

TEST(ErrAssembleur, LayoutsThatAreNoPresetCountTheirTwoMarkers)
{
    const std::vector<std::string> lines{"PROG.ASM(27): as: undefined symbol 'LOOP1'", "rien",
                                         "PROG.ASM(30): Lyn: avertissement", "PROG.ASM(31): as: x"};
    EXPECT_EQ(ErrLecteurOf(TErrDefaults{}), TErrLecteur::Aucun);
    const TErrCompte n = CompteErreurs(At(lines), 4, TErrDefaults{});
    EXPECT_EQ(n.Erreurs, 2);
    EXPECT_EQ(n.Avertissements, 1);
    // A layout F6 cannot follow (no line number marker) still ends.
    TErrDefaults stuck;
    stuck.DebNumLig = "";
    EXPECT_EQ(CompteErreurs(At(lines), 4, stuck).Erreurs, 2);
}
