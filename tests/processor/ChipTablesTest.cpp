// Every shipped processor table against the real assembler. From the
// description (examples/processors/NAME.tabdesc) and its "field" lines, one
// source line per form and test value is written, assembled by gpasm or avra
// in one run per table and assembler mode, and each line's bytes in the HEX
// file must be the opcode bytes with the operand fields placed. The table
// built beside kep must describe the same opcodes, so what was checked is
// what ships.
#include "build/U_ImageHex.h"
#include "platform/FileIo.h"
#include "processor/U_TabFile.h"
#include "support/TestDir.h"
#include "tools/TabDesc.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <sstream>
#include <string>
#include <vector>

using namespace kep;

namespace {

enum class TAssembler { Gpasm, Avra };

struct TMode {
    const char* Tag;     // a "needs" tag of the description
    const char* Options; // the assembler's options for the forms that need it
};

struct TChipTable {
    const char* Name;
    TAssembler Assembler;
    const char* Options; // the main check chip, for forms with no "needs"
    std::uint64_t Origin; // in the assembler's address unit
    unsigned HexBytesPerAddress; // 2 where addresses count words
    const char* Prelude;  // lines before the origin
    std::vector<TMode> Modes;
};

// Which assembler and chip check each table. avra with no ".device" takes
// its default device, which has every instruction. The origins leave room
// for the most negative branch.
const std::vector<TChipTable> CheckedTables = {
    {"p16", TAssembler::Gpasm, "-p 16f628a", 0, 2, "", {}},
    {"p12", TAssembler::Gpasm, "-p 16f57", 0, 2, "", {{"enhanced", "-p 16f527"}}},
    {"p16e", TAssembler::Gpasm, "-p 16f1939", 0x200, 2, " include <p16f1939.inc>\n", {}},
    {"p18", TAssembler::Gpasm, "-p 18f4550", 0x1000, 1, " include <p18f4550.inc>\n", {{"extended", "-p 18f4550 -y"}}},
    {"avr", TAssembler::Avra, "", 0x1000, 2, "", {}},
};

void PrintTo(const TChipTable& t, std::ostream* os)
{
    *os << t.Name;
}

const std::string ProcessorsDir = std::string(KEP_SOURCE_DIR) + "/examples/processors/";

std::string Hex(std::uint64_t v)
{
    char b[24];
    std::snprintf(b, sizeof b, "0x%llX", static_cast<unsigned long long>(v));
    return b;
}

std::string Number(long long v)
{
    return v < 0 ? "-" + Hex(static_cast<std::uint64_t>(-v)) : Hex(static_cast<std::uint64_t>(v));
}

std::string HexBytes(const std::string& bytes)
{
    std::string s;
    for (unsigned char c : bytes) {
        char b[4];
        std::snprintf(b, sizeof b, "%s%02X", s.empty() ? "" : " ", c);
        s += b;
    }
    return s;
}

bool Have(const char* program)
{
    return std::system(("command -v " + std::string(program) + " >/dev/null 2>&1").c_str()) == 0;
}

// The operand value v in the field's bits.
std::uint64_t PlaceIn(const std::vector<std::pair<unsigned, unsigned>>& bits, std::uint64_t raw)
{
    std::uint64_t out = 0;
    for (auto it = bits.rbegin(); it != bits.rend(); ++it) {
        const unsigned n = it->first - it->second + 1;
        out |= (raw & ((std::uint64_t(1) << n) - 1)) << it->second;
        raw >>= n;
    }
    return out;
}

std::uint64_t Place(const TTabDesc::TField& f, long long v)
{
    const unsigned width = f.Width();
    std::uint64_t raw = static_cast<std::uint64_t>(v);
    if (f.Invert)
        raw = ~raw;
    if (width < 64)
        raw &= (std::uint64_t(1) << width) - 1;
    return PlaceIn(f.Bits, raw) | PlaceIn(f.Also, raw);
}

// The values each field is tried at besides 0: largest, alternating bits,
// most negative.
std::vector<long long> TestValues(const TTabDesc::TField& f)
{
    const unsigned w = f.Width();
    std::vector<long long> v;
    auto add = [&](long long x) {
        if (x != 0 && std::find(v.begin(), v.end(), x) == v.end())
            v.push_back(x);
    };
    if (f.Signed) {
        const long long top = (1LL << (w - 1)) - 1;
        add(f.HasMax ? static_cast<long long>(f.Max) : top);
        long long pattern = 0;
        for (unsigned b = 0; b < w; ++b)
            if ((w - 1 - b) % 2 == 0)
                pattern |= 1LL << b;
        add(pattern - (1LL << w)); // 1010...: negative
        add(-(1LL << (w - 1)));
    } else {
        const std::uint64_t top = f.HasMax ? f.Max : (w >= 63 ? (std::uint64_t(1) << 62) : (std::uint64_t(1) << w) - 1);
        add(static_cast<long long>(top));
        unsigned len = 0;
        while (len < 63 && (top >> len))
            ++len;
        std::uint64_t pattern = 0;
        for (unsigned b = 0; b < len; ++b)
            if ((len - 1 - b) % 2 == 0)
                pattern |= std::uint64_t(1) << b;
        while (pattern > top)
            pattern >>= 1;
        add(static_cast<long long>(pattern));
    }
    return v;
}

// One source line and the bytes it must assemble to.
struct TCheckLine {
    std::string Mnemonic;
    std::string Source;
    std::string Expected;
    std::uint64_t Address = 0; // in the assembler's unit, from the origin on
    int DescLine = 0;
};

class TChipCheck {
public:
    TChipCheck(const TChipTable& chip, const TTabDesc& desc) : Chip(chip), Desc(desc) {}

    // Lines per mode tag ("" for the main chip), addresses from the origin.
    std::map<std::string, std::vector<TCheckLine>> Lines;

    void AddForms()
    {
        for (const TTabDesc::TMnemonic& m : Desc.Mnemonics) {
            if (m.Needs.size() > 1)
                ADD_FAILURE() << Chip.Name << " " << m.Name << " : plusieurs modes « needs », un seul est vérifiable";
            const std::string tag = m.Needs.empty() ? "" : m.Needs[0];
            auto next = Next.emplace(tag, Chip.Origin).first;
            for (const TTabDesc::TVariant& v : m.Variants)
                AddVariant(m.Name, v, Lines[tag], next->second);
        }
    }

private:
    struct TSlot {
        std::string Text;                  // fixed text
        const TTabDesc::TField* Field = nullptr;
        bool IsNumber = false;
        std::vector<std::string> Choices;  // alternatives
    };

    std::string KeywordText(unsigned k) const
    {
        std::string s = k >= 1 && k <= Desc.Keywords.size() ? Desc.Keywords[k - 1] : "?";
        if (!s.empty() && (s.back() == '~' || s.back() == '\\'))
            s.pop_back();
        return s;
    }
    std::vector<std::string> Alternatives(unsigned g) const
    {
        std::vector<std::string> out;
        if (g < 1 || g > Desc.Alternatives.size())
            return out;
        const std::string& b = Desc.Alternatives[g - 1];
        for (std::size_t i = 1; i + 1 < b.size(); i += 2)
            out.push_back(KeywordText(static_cast<unsigned char>(b[i])));
        return out;
    }
    static const TTabDesc::TField* FieldOf(const std::map<unsigned, TTabDesc::TField>& m, unsigned i)
    {
        auto it = m.find(i);
        return it == m.end() ? nullptr : &it->second;
    }

    bool Slots(const std::string& mnemonic, const TTabDesc::TVariant& v, std::vector<TSlot>& slots) const
    {
        using S = TTabDesc::TSyntaxItem;
        for (const S& s : v.Syntax) {
            TSlot slot;
            if (s.Kind == S::Keyword || s.Kind == S::QuotedKeyword) {
                slot.Text = KeywordText(s.Index);
            } else if (s.Kind == S::Comma) {
                slot.Text = ",";
            } else if (s.Kind == S::Alternative) {
                slot.Choices = Alternatives(s.Index);
                slot.Field = FieldOf(Desc.AlternativeFields, s.Index);
            } else if (s.Kind == S::Item && s.Index >= 1 && s.Index <= Desc.Items.size()) {
                const std::string& b = Desc.Items[s.Index - 1];
                const unsigned char kind = b.empty() ? 0 : static_cast<unsigned char>(b[0]);
                slot.Field = FieldOf(Desc.ItemFields, s.Index);
                if (kind == 0x80 || kind == 0x81)
                    slot.IsNumber = true;
                else if (kind == 0xC0 && b.size() > 1)
                    slot.Choices = Alternatives(static_cast<unsigned char>(b[1]));
                else if (kind == 0x40 && b.size() > 1)
                    slot.Text = KeywordText(static_cast<unsigned char>(b[1]));
                else
                    return Refuse(mnemonic, v, "élément d'opérande que la vérification ne sait pas écrire");
            } else {
                return Refuse(mnemonic, v, "élément de syntaxe que la vérification ne sait pas écrire");
            }
            if (slot.Field)
                for (auto [hi, lo] : slot.Field->Bits)
                    if (hi >= v.Opcode.size() * 8)
                        return Refuse(mnemonic, v, "champ hors des octets du code (bit " + std::to_string(hi) + ")");
            slots.push_back(slot);
        }
        return true;
    }
    bool Refuse(const std::string& mnemonic, const TTabDesc::TVariant& v, const std::string& why) const
    {
        ADD_FAILURE() << Chip.Name << " " << mnemonic << " (ligne " << v.Line << " de la description) : " << why;
        return false;
    }

    void AddVariant(const std::string& mnemonic, const TTabDesc::TVariant& v, std::vector<TCheckLine>& out,
                    std::uint64_t& next)
    {
        std::vector<TSlot> slots;
        if (v.Opcode.empty() || v.Opcode.size() > 8 || v.Opcode.size() % Chip.HexBytesPerAddress) {
            Refuse(mnemonic, v, "longueur du code " + std::to_string(v.Opcode.size()));
            return;
        }
        if (!Slots(mnemonic, v, slots))
            return;
        // Every operand at 0, then one operand at a time at its test values.
        std::vector<std::vector<long long>> cases{std::vector<long long>(slots.size(), 0)};
        for (std::size_t i = 0; i < slots.size(); ++i) {
            std::vector<long long> values;
            if (!slots[i].Choices.empty())
                for (std::size_t k = 1; k < slots[i].Choices.size(); ++k)
                    values.push_back(static_cast<long long>(k));
            else if (slots[i].IsNumber && slots[i].Field)
                values = TestValues(*slots[i].Field);
            for (long long x : values) {
                cases.push_back(std::vector<long long>(slots.size(), 0));
                cases.back()[i] = x;
            }
        }
        std::uint64_t opcode = 0;
        for (std::size_t b = 0; b < v.Opcode.size(); ++b)
            opcode |= std::uint64_t(static_cast<unsigned char>(v.Opcode[b])) << (8 * b);
        for (const std::vector<long long>& c : cases) {
            TCheckLine line;
            line.Mnemonic = mnemonic;
            line.DescLine = v.Line;
            line.Address = next;
            std::uint64_t word = opcode;
            std::string operands;
            for (std::size_t i = 0; i < slots.size(); ++i) {
                const TSlot& s = slots[i];
                if (s.Field)
                    word |= Place(*s.Field, c[i]);
                if (!s.Choices.empty()) {
                    operands += s.Choices[static_cast<std::size_t>(c[i])];
                } else if (s.IsNumber && s.Field && s.Field->Rel) {
                    const long long a = static_cast<long long>(line.Address);
                    operands += Number(a + s.Field->RelOffset + c[i] * s.Field->RelScale);
                } else if (s.IsNumber) {
                    operands += Number(c[i] * (s.Field ? s.Field->Scale : 1));
                } else {
                    operands += s.Text;
                }
            }
            line.Source = mnemonic + (operands.empty() ? "" : " " + operands);
            for (std::size_t b = 0; b < v.Opcode.size(); ++b)
                line.Expected += static_cast<char>(word >> (8 * b) & 0xFF);
            next += v.Opcode.size() / Chip.HexBytesPerAddress;
            out.push_back(line);
        }
    }

    const TChipTable& Chip;
    const TTabDesc& Desc;
    std::map<std::string, std::uint64_t> Next; // per mode tag, address of its next line
};

// Assembles the lines in one file with the given options and compares every
// line's bytes. Returns the number of faults.
int Assemble(const TChipTable& chip, const std::string& options, const std::string& mode,
             const std::vector<TCheckLine>& lines)
{
    TTestDir dir;
    const bool gpasm = chip.Assembler == TAssembler::Gpasm;
    std::string text = chip.Prelude;
    text += std::string(gpasm ? " org " : " .org ") + Hex(chip.Origin) + "\n";
    const int first = 1 + static_cast<int>(std::count(text.begin(), text.end(), '\n'));
    for (const TCheckLine& l : lines)
        text += " " + l.Source + "\n";
    if (gpasm)
        text += " end\n";
    dir.Write("check.asm", text);
    const std::string command = "cd '" + dir.Dir() + "' && timeout 120 " + (gpasm ? "gpasm " + options : "avra") +
                                " check.asm >check.out 2>&1";
    const int status = std::system(command.c_str());
    const std::string where = std::string(chip.Name) + (mode.empty() ? "" : " (mode " + mode + ")");

    int faults = 0;
    std::istringstream out(dir.Read("check.out"));
    std::string msg;
    while (std::getline(out, msg)) {
        if (msg.find("Error") == std::string::npos)
            continue;
        ++faults;
        // gpasm: "check.asm:12:Error[..]", avra: "check.asm(12) : Error".
        std::size_t at = msg.find("check.asm");
        int n = at == std::string::npos ? 0 : std::atoi(msg.c_str() + at + 10);
        const int k = n - first;
        if (k >= 0 && k < static_cast<int>(lines.size()))
            ADD_FAILURE() << where << " " << lines[k].Mnemonic << " « " << lines[k].Source << " » (ligne "
                          << lines[k].DescLine << " de la description) refusé : " << msg;
        else
            ADD_FAILURE() << where << " : " << msg;
    }
    if (faults)
        return faults;
    if (status != 0) {
        ADD_FAILURE() << where << " : l'assembleur a échoué (" << status << ") :\n" << dir.Read("check.out");
        return 1;
    }
    const TLectureHex hex = LitImageHex(dir.Read("check.hex"));
    if (hex.Fautes || !hex.Fin) {
        ADD_FAILURE() << where << " : fichier HEX illisible";
        return 1;
    }
    std::map<std::uint64_t, char> image;
    for (const TBlocHex& b : hex.Blocs)
        for (std::size_t i = 0; i < b.Octets.size(); ++i)
            image[b.Adresse + i] = b.Octets[i];
    for (const TCheckLine& l : lines) {
        std::string actual;
        bool missing = false;
        const std::uint64_t at = l.Address * chip.HexBytesPerAddress;
        for (std::size_t i = 0; i < l.Expected.size(); ++i) {
            auto it = image.find(at + i);
            missing = missing || it == image.end();
            actual += it == image.end() ? '\0' : it->second;
        }
        if (missing || actual != l.Expected) {
            if (++faults <= 40)
                ADD_FAILURE() << where << " " << l.Mnemonic << " « " << l.Source << " » (ligne " << l.DescLine
                              << " de la description) : attendu " << HexBytes(l.Expected) << ", assemblé "
                              << (missing ? "(rien)" : HexBytes(actual));
        }
    }
    if (faults > 40)
        ADD_FAILURE() << where << " : " << faults << " lignes fausses en tout";
    return faults;
}

class ChipTables : public testing::TestWithParam<TChipTable> {};

TEST_P(ChipTables, AssembleAsDescribed)
{
    const TChipTable& chip = GetParam();
    std::string text, error;
    if (!ReadWholeFile(ProcessorsDir + chip.Name + ".tabdesc", text))
        GTEST_SKIP() << "pas de table " << chip.Name << " (examples/processors/" << chip.Name << ".tabdesc)";
    const char* program = chip.Assembler == TAssembler::Gpasm ? "gpasm" : "avra";
    if (!Have(program))
        GTEST_SKIP() << program << " absent : la table " << chip.Name << " n'est pas vérifiée";
    TTabDesc desc;
    ASSERT_TRUE(ParseTabDesc(text, desc, &error)) << chip.Name << " : " << error;

    // The shipped table holds the same opcodes, variant for variant.
    TTabFile tab;
    ASSERT_TRUE(tab.Load(std::string(KEP_TABLES_DIR) + "/" + chip.Name + ".tab", &error)) << error;
    for (const TTabDesc::TMnemonic& m : desc.Mnemonics) {
        std::vector<std::string> shown, types, written;
        tab.Describe(m.Name, shown, types);
        for (std::string& s : shown)
            s = s.substr(0, s.find("  : "));
        for (const TTabDesc::TVariant& v : m.Variants)
            written.push_back(HexBytes(v.Opcode));
        EXPECT_EQ(shown, written) << chip.Name << " " << m.Name;
    }

    TChipCheck check(chip, desc);
    check.AddForms();
    for (const auto& [tag, lines] : check.Lines) {
        std::string options = chip.Options;
        if (!tag.empty()) {
            auto mode = std::find_if(chip.Modes.begin(), chip.Modes.end(),
                                     [&](const TMode& m) { return tag == m.Tag; });
            if (mode == chip.Modes.end()) {
                ADD_FAILURE() << chip.Name << " : pas d'assembleur pour le mode « " << tag << " »";
                continue;
            }
            options = mode->Options;
        }
        Assemble(chip, options, tag, lines);
    }
}

INSTANTIATE_TEST_SUITE_P(Shipped, ChipTables, testing::ValuesIn(CheckedTables),
                         [](const testing::TestParamInfo<TChipTable>& i) { return std::string(i.param.Name); });

} // namespace
