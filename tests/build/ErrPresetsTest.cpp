// Error layouts offered for known assemblers, checked against what the
// installed assemblers really print.
#include "support/TestDir.h"
#include "build/U_ErrNav.h"
#include "build/U_ErrPresets.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <set>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

using namespace kep;

namespace {

bool HasProgram(const std::string& name)
{
    return std::system(("command -v " + name + " >/dev/null 2>&1").c_str()) == 0;
}

// Runs `command` in `dir` with both output streams in one file, as a make
// file sending everything to the error file would, and returns its lines.
std::vector<std::string> RunCaptured(const TTestDir& dir, const std::string& command)
{
    const std::string full = "cd '" + dir.Dir() + "' && " + command + " >captured.err 2>&1";
    (void)std::system(full.c_str()); // the planted faults make it fail
    std::vector<std::string> lines;
    std::istringstream in(dir.Read("captured.err"));
    for (std::string l; std::getline(in, l);) {
        if (!l.empty() && l.back() == '\r')
            l.pop_back();
        lines.push_back(l);
    }
    return lines;
}

// 1-based number of the only line of `source` holding `planted`.
int LineOf(const std::string& source, const std::string& planted)
{
    std::istringstream in(source);
    int n = 0, found = 0;
    for (std::string l; std::getline(in, l);) {
        ++n;
        if (l.find(planted) != std::string::npos) {
            EXPECT_EQ(found, 0) << planted << " planted twice";
            found = n;
        }
    }
    EXPECT_NE(found, 0) << planted << " not planted";
    return found;
}

struct TFound {
    std::string File;
    int Line = 0;
    bool operator<(const TFound& o) const { return File != o.File ? File < o.File : Line < o.Line; }
    bool operator==(const TFound& o) const { return File == o.File && Line == o.Line; }
};

std::ostream& operator<<(std::ostream& os, const TFound& f)
{
    return os << f.File << ":" << f.Line;
}

// What pressing F6 until nothing moves reports, each block checked on the way.
std::set<TFound> WalkErrors(const std::vector<std::string>& lines, const TErrPreset& preset, const TTestDir& dir)
{
    const TErrLayout layout = ErrLayoutOf(ApplyErrPreset(preset, TErrDefaults{}));
    const TLineAt at = [&](std::int32_t i) -> const std::string& { return lines.at(std::size_t(i)); };
    std::set<TFound> found;
    std::int32_t from = 0;
    while (const auto b = NextErrorBlock(at, std::int32_t(lines.size()), from, layout)) {
        const std::string& text = lines[std::size_t(b->BlockStart)];
        EXPECT_TRUE(b->HasLine) << text;
        EXPECT_FALSE(b->IsMake) << text;
        EXPECT_FALSE(b->Status.empty()) << text;
        EXPECT_TRUE(std::filesystem::exists(dir.Path(b->FileName))) << b->FileName << " from " << text;
        found.insert({b->FileName, b->LineNumber});
        if (b->NextSearch <= from) {
            ADD_FAILURE() << "the search does not move past " << text;
            break;
        }
        from = b->NextSearch;
    }
    return found;
}

std::string Dump(const std::vector<std::string>& lines)
{
    std::string s;
    for (const auto& l : lines)
        s += "  " + l + "\n";
    return s;
}

// Every value but the error file's name.
auto LayoutPart(const TErrDefaults& e)
{
    return std::tie(e.MarqErr, e.LigMarqErr, e.MarqErr2, e.LigMarqErr2, e.NbrLigErr, e.DebNomFich, e.FinNomFich,
                    e.LigNomFich, e.DebNumLig, e.FinNumLig, e.LigNumLig);
}

const TErrPreset& Preset(const char* nom)
{
    const TErrPreset* p = FindErrPreset(nom);
    if (!p) {
        ADD_FAILURE() << "no preset " << nom;
        static const TErrPreset none;
        return none;
    }
    return *p;
}

} // namespace

TEST(ErrPresets, NamedDescribedAndLeavingTheErrorFileAlone)
{
    const auto& presets = ErrPresets();
    ASSERT_GE(presets.size(), 3u);
    std::set<std::string> names;
    for (const TErrPreset& p : presets) {
        EXPECT_TRUE(names.insert(p.Nom).second) << p.Nom;
        EXPECT_FALSE(p.Description.empty()) << p.Nom;
        EXPECT_EQ(p.Description.find('\n'), std::string::npos) << p.Nom;
        EXPECT_TRUE(p.Err.FichErr.empty()) << p.Nom;
        EXPECT_FALSE(p.Err.MarqErr.empty()) << p.Nom;
        EXPECT_EQ(FindErrPreset(p.Nom), &p);
    }
    EXPECT_EQ(FindErrPreset("GPASM"), FindErrPreset("gpasm"));
    EXPECT_EQ(FindErrPreset("kep (D\xE9" "FAUT)")->Nom, "KEP (d\xE9" "faut)");
    EXPECT_EQ(FindErrPreset("gpas"), nullptr);
    EXPECT_EQ(FindErrPreset(""), nullptr);
}

TEST(ErrPresets, DefaultPresetIsTheDialogsLayout)
{
    EXPECT_EQ(LayoutPart(Preset("KEP (d\xE9" "faut)").Err), LayoutPart(TErrDefaults{}));
}

TEST(ErrPresets, ApplyKeepsTheErrorFileAndReplacesEverythingElse)
{
    const TErrDefaults mine{"build/out.err", "x", 3, "y", 4, "7", "a", "b", 5, "c", "d", 6};
    const TErrPreset& p = Preset("avra");
    const TErrDefaults r = ApplyErrPreset(p, mine);
    EXPECT_EQ(r.FichErr, "build/out.err");
    EXPECT_EQ(LayoutPart(r), LayoutPart(p.Err));
}

TEST(ErrPresets, GpasmOutputLeadsToEveryPlantedFault)
{
    if (!HasProgram("gpasm"))
        FAIL() << "gpasm (gputils) is not installed: run scripts/deps";
    TTestDir dir;
    const std::string main = "\tprocessor 16f84a\n"
                             "\tinclude \"defs.inc\"\n"
                             "\tgoto LOOP1\n"
                             "\tmovlw 300\n"
                             "\tbadop 1\n"
                             "\tend\n";
    const std::string inc = "\tnop\n"
                            "\tgoto NOWHERE\n";
    dir.Write("src/main.asm", main);
    dir.Write("src/defs.inc", inc);
    const auto lines = RunCaptured(dir, "gpasm -I src src/main.asm");
    const std::set<TFound> expected{{"src/main.asm", LineOf(main, "LOOP1")},
                                    {"src/main.asm", LineOf(main, "300")},
                                    {"src/main.asm", LineOf(main, "badop")},
                                    {"src/defs.inc", LineOf(inc, "NOWHERE")}};
    EXPECT_EQ(WalkErrors(lines, Preset("gpasm"), dir), expected) << "gpasm printed:\n" << Dump(lines);
}

TEST(ErrPresets, AvraOutputLeadsToEveryPlantedFault)
{
    if (!HasProgram("avra"))
        FAIL() << "avra is not installed: run scripts/deps";
    TTestDir dir;
    const std::string main = ".device ATmega8\n"
                             ".include \"defs.inc\"\n"
                             "\trjmp LOOP1\n"
                             "\tldi r16, 300\n";
    const std::string inc = "\tnop\n"
                            "\trjmp NOWHERE\n";
    // An unknown mnemonic stops avra after its first pass: a file of its own.
    const std::string opcode = ".device ATmega8\n"
                               "\tnop\n"
                               "\tbadop r1\n";
    dir.Write("src/main.asm", main);
    dir.Write("src/defs.inc", inc);
    dir.Write("src/opcode.asm", opcode);

    const auto lines = RunCaptured(dir, "avra -I src src/main.asm");
    const std::set<TFound> expected{{"src/main.asm", LineOf(main, "LOOP1")},
                                    {"src/main.asm", LineOf(main, "300")},
                                    {"src/defs.inc", LineOf(inc, "NOWHERE")}};
    EXPECT_EQ(WalkErrors(lines, Preset("avra"), dir), expected) << "avra printed:\n" << Dump(lines);

    const auto lines2 = RunCaptured(dir, "avra src/opcode.asm");
    EXPECT_EQ(WalkErrors(lines2, Preset("avra"), dir), (std::set<TFound>{{"src/opcode.asm", LineOf(opcode, "badop")}}))
        << "avra printed:\n"
        << Dump(lines2);
}
