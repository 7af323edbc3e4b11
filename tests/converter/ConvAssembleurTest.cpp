// The converter in the syntax of gpasm and avra, against the assemblers
// themselves: every form it reads must mean to them what it means to the
// converter, every form it writes must assemble to its value; a click takes,
// and a value written replaces, the whole form; the project's assembler
// named by its make file.
#include "build/U_ImageHex.h"
#include "editor/U_Conv.h"
#include "platform/FileIo.h"
#include "editor/U_Assembleur.h"
#include "support/TestDir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <string>
#include <vector>

using kep::TAssembleur;
using kep::TPortee;

namespace {

bool Have(const char* program)
{
    return std::system(("command -v " + std::string(program) + " >/dev/null 2>&1").c_str()) == 0;
}

// One operand per line, assembled as "movlw" (gpasm, PIC16F628A) or
// "ldi r16," (avra); the 8-bit literal of each instruction from the HEX
// file, or nothing when the tool refused the source.
std::optional<std::vector<unsigned>> Literals(TAssembleur a, const std::string& prelude,
                                             const std::vector<std::string>& operands)
{
    const bool gpasm = a == TAssembleur::Gpasm;
    TTestDir dir;
    std::string text = prelude;
    for (const std::string& op : operands)
        text += (gpasm ? " movlw " : " ldi r16, ") + op + "\n";
    if (gpasm)
        text += " end\n";
    dir.Write("t.asm", text);
    const std::string command = "cd '" + dir.Dir() + "' && timeout 120 "
                                + (gpasm ? "gpasm -p 16f628a" : "avra") + " t.asm >t.out 2>&1";
    const int status = std::system(command.c_str());
    const std::string out = dir.Read("t.out");
    if (status != 0 || out.find("Error") != std::string::npos) {
        ADD_FAILURE() << out;
        return std::nullopt;
    }
    const kep::TLectureHex hex = kep::LitImageHex(dir.Read("t.hex"));
    std::map<std::uint64_t, unsigned char> image;
    for (const kep::TBlocHex& b : hex.Blocs)
        for (std::size_t i = 0; i < b.Octets.size(); ++i)
            image[b.Adresse + i] = static_cast<unsigned char>(b.Octets[i]);
    std::vector<unsigned> literals;
    for (std::size_t i = 0; i < operands.size(); ++i) {
        const unsigned word = image[2 * i] | unsigned(image[2 * i + 1]) << 8;
        // movlw: 11 0000 kkkk kkkk; ldi r16: 1110 kkkk 0000 kkkk.
        literals.push_back(gpasm ? (word & 0xFF) : ((word >> 4) & 0xF0) | (word & 0x0F));
        EXPECT_EQ(word & (gpasm ? 0xFF00u : 0xF0F0u), gpasm ? 0x3000u : 0xE000u) << operands[i];
    }
    return literals;
}

// The value of a word for the converter, read in the syntax.
std::optional<std::uint32_t> Read(const std::string& word, TAssembleur a, int unitDef)
{
    kep::TConversion c;
    if (!c.SetValue(word, a))
        return std::nullopt;
    return c.Value(unitDef);
}

// Each word read by the converter against what the tool makes of it.
void CheckReadForms(TAssembleur a, const std::string& prelude, int unitDef, const std::vector<std::string>& words)
{
    std::vector<std::uint32_t> values;
    for (const std::string& w : words) {
        const auto v = Read(w, a, unitDef);
        ASSERT_TRUE(v) << w;
        values.push_back(*v);
    }
    const auto literals = Literals(a, prelude, words);
    ASSERT_TRUE(literals);
    for (std::size_t i = 0; i < words.size(); ++i)
        EXPECT_EQ((*literals)[i], values[i] & 0xFF) << words[i];
}

// Every form written for each value: assembled, its four bytes must be the
// value's; taken by a click in the line, it reads back as the value.
void CheckWrittenForms(TAssembleur a, const std::string& prelude, int unitDef)
{
    std::vector<std::uint32_t> values;
    for (std::uint32_t v = 0; v < 256; ++v)
        values.push_back(v);
    for (std::uint32_t v : {0x100u, 0x1234u, 0x8000u, 0xFFFFu, 0x123456u, 0x7FFFFFFFu, 0x80000000u, 0xDEADBEEFu,
                            0xFFFFFF85u, 0xFFFFFFFFu})
        values.push_back(v);
    std::vector<std::string> operands;
    std::vector<unsigned> expected;
    std::vector<std::string> what;
    for (const std::uint32_t v : values) {
        for (const std::string& f : kep::FormesConversion(v, a)) {
            if (v < 256 || f[0] == '\'') {
                operands.push_back(f);
                expected.push_back(v & 0xFF);
                what.push_back(f);
            } else {
                // Shifts in 0x: gpasm's plain digits are hexadecimal.
                const char* shifts[] = {"0", "0x08", "0x10", "0x18"};
                for (int byte = 0; byte < 4; ++byte) {
                    operands.push_back("((" + f + ") >> " + shifts[byte] + ") & 0xFF");
                    expected.push_back((v >> (8 * byte)) & 0xFF);
                    what.push_back(f + " octet " + std::to_string(byte));
                }
            }
            if (f[0] == '-')
                continue; // a sign the words never carry
            const std::string line = " movlw " + f + " ; x";
            const std::string word = kep::MotConversion(line, 7 + f.size() / 2, a);
            EXPECT_EQ(word, f);
            EXPECT_EQ(Read(word, a, unitDef), v) << f;
        }
    }
    const auto literals = Literals(a, prelude, operands);
    ASSERT_TRUE(literals);
    for (std::size_t i = 0; i < operands.size(); ++i)
        EXPECT_EQ((*literals)[i], expected[i]) << what[i];
}

} // namespace

TEST(ConvAssembleur, GpasmTakesWhatTheConverterReadsAndWrites)
{
    if (!Have("gpasm"))
        GTEST_SKIP() << "gpasm absent";
    const std::string prelude = " list p=16f628a\n org 0\n";
    EXPECT_EQ(kep::FormesConversion(31, TAssembleur::Gpasm), (std::vector<std::string>{"b'00011111'", "0x1F", ".31"}));
    EXPECT_EQ(kep::FormesConversion(0xFFFFFF85, TAssembleur::Gpasm),
              (std::vector<std::string>{"b'11111111111111111111111110000101'", "0xFFFFFF85", ".4294967173", "-.123"}));
    EXPECT_EQ(kep::FormesConversion('\\', TAssembleur::Gpasm).back(), "'\\\\'");
    // gpasm's default radix is hexadecimal: so is the default unit here.
    CheckReadForms(TAssembleur::Gpasm, prelude, kep::udHexa,
                   {"0x1F", "0X1f", "h'1F'", "H'1f'", "1Fh", "01FH", "b'00011111'", "B'101'", "d'31'", "D'31'", ".31",
                    "o'37'", "O'37'", "q'37'", "Q'37'", "37o", "37Q", "a'c'", "A'c'", "'c'", "'\\n'", "'\\''", "'''",
                    "'\\\\'", "'\\\"'", "'\\x41'", "'\\0'", "'\xE9'", "1F", "10", "00011111b", "31d", "037"});
    // Under "list r=dec", the b and d ending plain digits are suffixes.
    CheckReadForms(TAssembleur::Gpasm, " list p=16f628a, r=dec\n org 0\n", kep::udDecimal,
                   {"00011111b", "31d", "31", "037", "1Fh", ".31"});
    CheckWrittenForms(TAssembleur::Gpasm, prelude, kep::udHexa);
    // A name is no number.
    for (const char* name : {"ADDWF", "decf", "h'1G'", "b'2'", "a'\\t'", "'ab'", "0x", "1Gh"})
        EXPECT_FALSE(Read(name, TAssembleur::Gpasm, kep::udHexa)) << name;
}

TEST(ConvAssembleur, AvraTakesWhatTheConverterReadsAndWrites)
{
    if (!Have("avra"))
        GTEST_SKIP() << "avra absent";
    const std::string prelude = ".device ATmega8\n";
    EXPECT_EQ(kep::FormesConversion(31, TAssembleur::Avra), (std::vector<std::string>{"0b00011111", "0x1F", "31"}));
    EXPECT_EQ(kep::FormesConversion(0xFFFFFF85, TAssembleur::Avra).back(), "-123");
    CheckReadForms(TAssembleur::Avra, prelude, kep::udDecimal,
                   {"0x1F", "0X1f", "$1F", "$1f", "0b00011111", "0B101", "31", "037", "'c'", "'''", "'\\'", "'\"'",
                    "';'", "'\xE9'", "0"});
    CheckWrittenForms(TAssembleur::Avra, prelude, kep::udDecimal);
    for (const char* name : {"r16", "ldi", "$", "$1G", "0b12", "'\\n'", "0x"})
        EXPECT_FALSE(Read(name, TAssembleur::Avra, kep::udDecimal)) << name;
}

TEST(ConvAssembleur, AClickTakesAndAValueReplacesTheWholeForm)
{
    auto word = [](const std::string& line, char at, TAssembleur a) {
        return kep::MotConversion(line, line.find(at), a);
    };
    const std::string g = "\tmovlw\th'1F'+.31-'\\n' ; c'est 12, 0x1F";
    for (const char at : {'h', '1', 'F'})
        EXPECT_EQ(word(g, at, TAssembleur::Gpasm), "h'1F'") << at;
    EXPECT_EQ(kep::MotConversion(g, g.find('\''), TAssembleur::Gpasm), "h'1F'");
    EXPECT_EQ(word(g, '3', TAssembleur::Gpasm), ".31");
    EXPECT_EQ(word(g, '.', TAssembleur::Gpasm), ".31");
    EXPECT_EQ(word(g, 'n', TAssembleur::Gpasm), "'\\n'");
    EXPECT_EQ(word(g, '2', TAssembleur::Gpasm), "12");
    EXPECT_EQ(word(g, 'x', TAssembleur::Gpasm), "0x1F");
    EXPECT_EQ(word(g, 'c', TAssembleur::Gpasm), "c"); // no form: read as a name, refused
    EXPECT_EQ(word(g, '+', TAssembleur::Gpasm), "");
    EXPECT_EQ(word(g, ' ', TAssembleur::Gpasm), "");
    // Without an assembler, the editor's word as before.
    EXPECT_EQ(word(g, 'h', TAssembleur::Inconnu), "h");
    EXPECT_EQ(word(g, '1', TAssembleur::Inconnu), "1F");
    EXPECT_EQ(word(g, '.', TAssembleur::Inconnu), "");

    const std::string a = " ldi r16, $1F ; '''+0b0101";
    EXPECT_EQ(kep::MotConversion(a, a.find("1F"), TAssembleur::Avra), "$1F");
    EXPECT_EQ(word(a, '$', TAssembleur::Avra), "$1F");
    EXPECT_EQ(kep::MotConversion(a, a.find("'''") + 1, TAssembleur::Avra), "'''");
    EXPECT_EQ(word(a, 'b', TAssembleur::Avra), "0b0101");
    EXPECT_EQ(word(a, 'r', TAssembleur::Avra), "r16");

    // What a double click selects (the word characters) widens to the form.
    auto replaced = [](const std::string& line, const std::string& selected, TAssembleur as) {
        const std::size_t at = line.rfind(selected);
        const TPortee p = kep::PorteeNombre(line, TPortee{at, at + selected.size()}, as);
        return line.substr(p.Debut, p.Fin - p.Debut);
    };
    EXPECT_EQ(replaced(" movlw h'1F'", "1F", TAssembleur::Gpasm), "h'1F'");
    EXPECT_EQ(replaced(" movlw b'0101',w", "b", TAssembleur::Gpasm), "b'0101'");
    EXPECT_EQ(replaced(" movlw .31", "31", TAssembleur::Gpasm), ".31");
    EXPECT_EQ(replaced(" movlw 'c'", "c", TAssembleur::Gpasm), "'c'");
    EXPECT_EQ(replaced(" movlw 'c'", "'c'", TAssembleur::Gpasm), "'c'");
    EXPECT_EQ(replaced(" movlw 0x1F", "1F", TAssembleur::Gpasm), "0x1F");
    EXPECT_EQ(replaced(" movlw $1F", "1F", TAssembleur::Gpasm), "1F"); // not gpasm's
    EXPECT_EQ(replaced(" db 'a', 'b'", "b", TAssembleur::Gpasm), "'b'");
    EXPECT_EQ(replaced(" movlw h'1G'", "1G", TAssembleur::Gpasm), "1G");
    EXPECT_EQ(replaced(" ldi r16, $1F", "1F", TAssembleur::Avra), "$1F");
    EXPECT_EQ(replaced(" ldi r16, h'1F'", "1F", TAssembleur::Avra), "1F");
    EXPECT_EQ(replaced(" ldi r16, $1F", "1F", TAssembleur::Inconnu), "$1F");
    EXPECT_EQ(replaced(" ldi r16, %01", "01", TAssembleur::Inconnu), "%01");
    EXPECT_EQ(replaced(" movlw h'1F'", "1F", TAssembleur::Inconnu), "1F");
}

TEST(ConvAssembleur, TheMakeFileNamesTheAssembler)
{
    std::string demo;
    ASSERT_TRUE(kep::ReadWholeFile(KEP_SOURCE_DIR "/examples/demo/demo.mke", demo));
    EXPECT_EQ(kep::DevineAssembleur(demo), TAssembleur::Gpasm);
    EXPECT_EQ(kep::DevineAssembleur("all: b.hex\nb.hex: b.asm\n\t/usr/bin/avra -I /usr/share/avra b.asm 2>b.err\n"),
              TAssembleur::Avra);
    EXPECT_EQ(kep::DevineAssembleur("LINK = gplink.exe -m\n"), TAssembleur::Gpasm);
    EXPECT_EQ(kep::DevineAssembleur("# avra\nFLAGS = -I/usr/share/avra\nx: ; cp a b\n"), TAssembleur::Inconnu);
    EXPECT_EQ(kep::DevineAssembleur("A = gpasm\nB = avra\n"), TAssembleur::Inconnu);
    EXPECT_EQ(kep::DevineAssembleur("\tgpasmx a.asm\n"), TAssembleur::Inconnu);

    EXPECT_EQ(kep::LitAssembleur(" AVRA "), TAssembleur::Avra);
    EXPECT_EQ(kep::NomAssembleur(TAssembleur::Gpasm), "gpasm");
    EXPECT_EQ(kep::NomAssembleur(TAssembleur::Inconnu), "");
    // A guess follows the make file and is not kept; a named one stays.
    kep::TAssembleurProjet p;
    p.Nomme(std::nullopt);
    p.Devine(demo);
    EXPECT_EQ(p.Valeur(), TAssembleur::Gpasm);
    EXPECT_EQ(p.Stocke(), std::nullopt);
    p.Devine("\tavra x.asm\n");
    EXPECT_EQ(p.Valeur(), TAssembleur::Avra);
    p.Nomme(TAssembleur::Gpasm);
    p.Devine("\tavra x.asm\n");
    EXPECT_EQ(p.Valeur(), TAssembleur::Gpasm);
    EXPECT_EQ(p.Stocke(), TAssembleur::Gpasm);
}
