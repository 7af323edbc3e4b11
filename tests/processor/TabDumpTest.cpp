// keptool's table listing, the program itself, and the PIC16 example table.
#include "TabFixture.h"
#include "support/TestDir.h"
#include "tools/TabDump.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <sys/wait.h>

using namespace kep;
using namespace kep::test;
using Strings = std::vector<std::string>;

namespace {

struct TRun {
    int Status = -1;
    std::string Out, Err;
};

// Runs keptool with its output and error caught in files of `dir`.
TRun Keptool(const TTestDir& dir, const std::string& args)
{
    const std::string out = dir.Path("stdout"), err = dir.Path("stderr");
    const std::string command = std::string("'") + KEPTOOL_PATH + "' " + args + " >'" + out + "' 2>'" + err + "'";
    TRun r;
    int raw = std::system(command.c_str());
    r.Status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    ReadWholeFile(out, r.Out);
    ReadWholeFile(err, r.Err);
    std::remove(out.c_str());
    std::remove(err.c_str());
    return r;
}

std::string Quote(const std::string& path)
{
    return "'" + path + "'";
}

const std::string P16Dir = std::string(KEP_SOURCE_DIR) + "/examples/processors/";

} // namespace

TEST(TabDump, SmallTableListing)
{
    TTabFile tab;
    LoadTable(tab, TableBytes("small.tabdesc"));
    EXPECT_EQ(DumpTab(tab), ReadFixture("small.dump"));
}

TEST(TabDump, AnsiTextBecomesUtf8)
{
    EXPECT_EQ(AnsiToUtf8("Inh\xE9rent \xAB\x80\xBB"), "Inh\xC3\xA9rent \xC2\xAB\xE2\x82\xAC\xC2\xBB");
}

TEST(Keptool, MakeThenDump)
{
    TTestDir dir;
    const std::string tab = dir.Path("small.tab");
    TRun make = Keptool(dir, "tab-make " + Quote(FixturePath("small.tabdesc")) + " " + Quote(tab));
    EXPECT_EQ(make.Status, 0) << make.Err;
    EXPECT_TRUE(make.Err.empty()) << make.Err;
    std::string written;
    ASSERT_TRUE(ReadWholeFile(tab, written));
    EXPECT_EQ(written, TableBytes("small.tabdesc"));

    TRun dump = Keptool(dir, "tab-dump " + Quote(tab));
    EXPECT_EQ(dump.Status, 0) << dump.Err;
    EXPECT_EQ(dump.Out, ReadFixture("small.dump"));

    // A damaged table is refused with the reader's reason.
    ASSERT_TRUE(WriteFileAtomic(tab, written.substr(0, written.size() - 1)));
    dump = Keptool(dir, "tab-dump " + Quote(tab));
    EXPECT_EQ(dump.Status, 1);
    EXPECT_TRUE(dump.Out.empty());
    EXPECT_NE(dump.Err.find("invalide : la table OD est tronquée"), std::string::npos) << dump.Err;
}

TEST(Keptool, ErrorsAreReportedWithAStatus)
{
    TTestDir dir;
    const std::string desc = dir.Path("bad.tabdesc"), tab = dir.Path("bad.tab");
    ASSERT_TRUE(WriteFileAtomic(desc, "keywords A\nmnemonic M\n  encoding 01 : kw Q\n"));
    TRun r = Keptool(dir, "tab-make " + Quote(desc) + " " + Quote(tab));
    EXPECT_EQ(r.Status, 1);
    EXPECT_EQ(r.Err, desc + " : Ligne 3 : mot clé « Q » inconnu.\n");
    EXPECT_FALSE(FileExists(tab));
    std::remove(desc.c_str());

    r = Keptool(dir, "tab-make " + Quote(desc) + " " + Quote(tab));
    EXPECT_EQ(r.Status, 1);
    EXPECT_NE(r.Err.find("impossible de lire"), std::string::npos) << r.Err;

    r = Keptool(dir, "tab-dump");
    EXPECT_EQ(r.Status, 2);
    EXPECT_NE(r.Err.find("Usage : keptool tab-dump FICHIER.tab"), std::string::npos) << r.Err;

    r = Keptool(dir, "tab-mangle x");
    EXPECT_EQ(r.Status, 2);
    EXPECT_NE(r.Err.find("commande inconnue « tab-mangle »"), std::string::npos) << r.Err;
    EXPECT_NE(r.Err.find("tab-make"), std::string::npos) << r.Err;
}

// What the build puts beside kep is what the parser and the writer make of
// each description.
TEST(ShippedTables, EachIsTheBuildOfItsDescription)
{
    int tables = 0;
    for (const auto& e : std::filesystem::directory_iterator(P16Dir)) {
        if (e.path().extension() != ".tabdesc")
            continue;
        const std::string name = e.path().stem().string();
        std::string text, shipped;
        ASSERT_TRUE(ReadWholeFile(e.path().string(), text));
        ASSERT_TRUE(ReadWholeFile(std::string(KEP_TABLES_DIR) + "/" + name + ".tab", shipped)) << name;
        EXPECT_EQ(TableFromText(text), shipped) << name;
        ++tables;
    }
    EXPECT_GE(tables, 1);
}

TEST(P16Table, MidRangeInstructionSet)
{
    TTabFile tab;
    std::string error;
    ASSERT_TRUE(tab.Load(KEP_TABLES_DIR "/p16.tab", &error)) << error;
    Strings expected{"ADDWF", "ANDWF",  "CLRF",  "CLRW",   "COMF",  "DECF",  "DECFSZ", "INCF",  "INCFSZ",
                     "IORWF", "MOVF",   "MOVWF", "NOP",    "RLF",   "RRF",   "SUBWF",  "SWAPF", "XORWF",
                     "BCF",   "BSF",    "BTFSC", "BTFSS",  "ADDLW", "ANDLW", "CALL",   "CLRWDT", "GOTO",
                     "IORLW", "MOVLW",  "RETFIE", "RETLW", "RETURN", "SLEEP", "SUBLW", "XORLW"};
    Strings mnemonics = tab.Mnemonics();
    std::sort(expected.begin(), expected.end());
    std::sort(mnemonics.begin(), mnemonics.end());
    EXPECT_EQ(mnemonics, expected);
    for (const char* k : {"W", "F", "STATUS", "PORTA", "PORTB", "TRISA", "TRISB", "INTCON", "OPTION_REG"})
        EXPECT_NE(std::find(tab.Keywords().begin(), tab.Keywords().end(), k), tab.Keywords().end()) << k;

    TDescription d = Describe(tab, "addwf");
    EXPECT_EQ(d.Lines, (Strings{"00 07  : d7,W|F", "80 07  : d7"}));
    EXPECT_EQ(d.Types, Strings{"d7=00..7F (9)"});
    d = Describe(tab, "BSF");
    EXPECT_EQ(d.Lines, Strings{"00 14  : d7,d3"});
    EXPECT_EQ(d.Types, (Strings{"d7=00..7F (9)", "d3=0..7 (5)"}));
    EXPECT_EQ(Describe(tab, "GOTO").Lines, Strings{"00 28  : d11"});
    EXPECT_EQ(Describe(tab, "MOVLW").Types, Strings{"d8=00..FF (1)"});
    EXPECT_EQ(Describe(tab, "SLEEP").Lines, Strings{"63 00  : " + Inherent});
}
