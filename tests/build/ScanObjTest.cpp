// The code look-up over map files, object modules and program images made
// by the fixture writer: what each record kind contributes to the answer,
// and damaged files ending the look-up without reading outside them.
#include "build/U_ImageCod.h"
#include "build/U_ScanObj.h"
#include "platform/FileIo.h"
#include "tests/support/TestDir.h"
#include "tests/build/ObjFixture.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <map>

using namespace kep;
using namespace kep::test;

namespace {

// A project in memory: folder /p, make file demo.mke, source demo.asm.
struct TProjet {
    std::map<std::string, std::string> Files;
    std::string Code(int line, const std::string& source = "demo.asm") const
    {
        return TrouveCode(FichiersMemoire("/p", Files), "demo.mke", source, line - 1);
    }
};

// One module of one section at 0x100, placed at 0x2000. Lines 10 to 13
// take 2, 1, 3 and 2 bytes; the follower covers 14 to 20.
TModuleObj ModuleSimple(int unit = 1)
{
    TModuleObj m;
    m.Nom = "demo";
    m.TailleUnite = unit;
    m.Table = {{{1, 1, 0}}};
    TSectionObj s;
    s.Base = 0x100;
    s.Segment = "CODE";
    s.LigneChunks = {Enregs({{0, 0, 10, 0x100, 0, 0, 0, 0, 14, "demo"}, {0, 4, 14, 0x108, 0, 0, 0, 0, 20, "demo"}})};
    s.TailleChunks = {Tailles({2, 1, 3, 2, 1, 1, 1, 1, 1, 1})};
    m.Sections = {s};
    return m;
}

TProjet ProjetSimple(int unit = 1)
{
    TProjet p;
    p.Files["/p/demo.map"] = MapFile({{"DEMO.OBJ", {"demo.asm", "demo.inc"}}}, {{"CODE", 0x2000, 0x20FF, "DEMO.OBJ", 1}});
    p.Files["/p/DEMO.OBJ"] = ObjModule(ModuleSimple(unit));
    p.Files["/p/demo.cod"] = ImageCod({{0x10, Bytes(4, 0xA0)}, {0x2000, Bytes(0x100)}});
    return p;
}

} // namespace

TEST(TrouveCode, MissingFilesAndSectionsAreNamedInTheResult)
{
    TProjet p;
    EXPECT_EQ(p.Code(12), "Fichier demo.MAP absent");
    p.Files["/p/DEMO.map"] = "Linker map\r\nSegment List\r\n--\r\n\r\n";
    EXPECT_EQ(p.Code(12), "Section \"Dependencies\" absente de DEMO.map") << "the spelling on disk is shown";
    p.Files["/p/DEMO.map"] = "Dependencies\r\n--\r\n\r\nDEMO.OBJ\r\n demo.asm\r\n\r\n";
    EXPECT_EQ(p.Code(12), "Section \"Segment List\" absente de DEMO.map");
    p.Files["/p/DEMO.map"] = MapFile({{"DEMO.OBJ", {"autre.asm"}}}, {});
    EXPECT_EQ(p.Code(12), "Pas de code trouvé");
}

TEST(TrouveCode, EachLineOfARecordGetsItsAddressSizeAndValues)
{
    const TProjet p = ProjetSimple();
    EXPECT_EQ(p.Code(10), "'CODE' $00002000 (2 octets) : 00 01");
    EXPECT_EQ(p.Code(11), "'CODE' $00002002 (1 octet) : 02");
    EXPECT_EQ(p.Code(12), "'CODE' $00002003 (3 octets) : 03 04 05");
    EXPECT_EQ(p.Code(13), "'CODE' $00002006 (2 octets) : 06 07");
    // The last line has no size of its own: the first record covering it wins.
    EXPECT_EQ(p.Code(14), "'CODE' $00002008 (0 octet) :");
    EXPECT_EQ(p.Code(9), "Pas de code trouvé");
    // The chain's last record has no follower to check it against.
    EXPECT_EQ(p.Code(15), "Pas de code trouvé");
    EXPECT_EQ(p.Code(21), "Pas de code trouvé");
}

TEST(TrouveCode, WordTargetsCountWordsAndShowFourDigitsFirstByteFirst)
{
    TProjet p = ProjetSimple(2);
    // Addresses in the module are bytes; the offset and the image are in
    // words: line 12 starts 3 words after the base.
    p.Files["/p/demo.cod"] = ImageCod({{0x4000, Bytes(0x40)}});
    EXPECT_EQ(p.Code(12), "'CODE' $00002003 (3 mots) : 0607 0809 0A0B");
    EXPECT_EQ(p.Code(11), "'CODE' $00002002 (1 mot) : 0405");
}

TEST(TrouveCode, TheImageSuffixFollowsTheSectionType)
{
    TProjet p = ProjetSimple();
    p.Files.erase("/p/demo.cod");
    EXPECT_EQ(p.Code(12), "'CODE' $00002003 (3 octets) ; Fichier demo.COD absent");
    for (std::uint8_t type : {0, 2, 3, 4, 6}) {
        TModuleObj m = ModuleSimple();
        m.Sections[0].Type = type;
        p.Files["/p/DEMO.OBJ"] = ObjModule(m);
        const bool values = type & 5;
        EXPECT_EQ(p.Code(12), values ? "'CODE' $00002003 (3 octets) ; Fichier demo.COD absent" : "'CODE' $00002003 (3 octets) ")
            << int(type);
    }
    // An address no record holds: nothing after the size.
    p = ProjetSimple();
    p.Files["/p/demo.cod"] = ImageCod({{0x10, Bytes(4)}});
    EXPECT_EQ(p.Code(12), "'CODE' $00002003 (3 octets) ");
}

TEST(TrouveCode, SegmentNamesReadInWindows1252AreShownInUtf8)
{
    TProjet p = ProjetSimple();
    TModuleObj m = ModuleSimple();
    m.Sections[0].Segment = "D\xC9""BUT\x80";
    p.Files["/p/DEMO.OBJ"] = ObjModule(m);
    EXPECT_EQ(p.Code(12), "'DÉBUT€' $00002003 (3 octets) : 03 04 05");
}

TEST(TrouveCode, AnIncludeFileIsLookedUpAsTheAsmOfItsName)
{
    const TProjet p = ProjetSimple();
    EXPECT_EQ(p.Code(12, "demo.inc"), "'CODE' $00002003 (3 octets) : 03 04 05");
    EXPECT_EQ(p.Code(12, "DEMO.Inc"), p.Code(12));
    EXPECT_EQ(p.Code(12, "demo"), p.Code(12));
}

TEST(TrouveCode, TheSourcesPositionInItsGroupSelectsTheTableEntries)
{
    TProjet p = ProjetSimple();
    // demo.asm second in its group: entries of position 1 are another file's.
    p.Files["/p/demo.map"] = MapFile({{"DEMO.OBJ", {"autre.asm", "sub/../demo.asm"}}}, {{"CODE", 0x2000, 0x20FF, "DEMO.OBJ", 1}});
    EXPECT_EQ(p.Code(12), "Pas de code trouvé");
    TModuleObj m = ModuleSimple();
    m.Table = {{{1, 1, 0}, {2, 5, 30}}};
    m.Sections[0].LigneChunks = {Enregs({{0, 0, 10, 0x100, 0, 1, 0, 0, 14, "d"}, {0, 4, 14, 0x108, 0, 1, 0, 0, 20, "d"}})};
    p.Files["/p/DEMO.OBJ"] = ObjModule(m);
    EXPECT_EQ(p.Code(12), "'CODE' $00002003 (3 octets) : 03 04 05");
    // The entry's last line is excluded; 0 is open-ended.
    EXPECT_EQ(p.Code(30), "Pas de code trouvé");
}

TEST(TrouveCode, TheLastCoveringEntryGivesTheSectionIndex)
{
    TProjet p = ProjetSimple();
    TModuleObj m = ModuleSimple();
    // Entries 0 and 2 cover line 12, across two chunks of the table; the
    // records of index 0 lead elsewhere.
    m.Table = {{{1, 1, 0}, {1, 40, 50}}, {{1, 11, 13}}};
    TSectionObj s = m.Sections[0];
    s.LigneChunks = {Enregs({{0, 0, 10, 0x100, 0, 0, 0, 0, 14, "zero"}, {0, 4, 14, 0x108, 0, 0, 0, 0, 20, "zero"},
                             {0, 0, 10, 0x180, 0, 2, 0, 0, 14, "deux"}, {0, 4, 14, 0x188, 0, 2, 0, 0, 20, "deux"}})};
    m.Sections = {s};
    p.Files["/p/DEMO.OBJ"] = ObjModule(m);
    EXPECT_EQ(p.Code(12), "'CODE' $00002083 (3 octets) : 83 84 85");
    EXPECT_EQ(p.Code(10), "'CODE' $00002000 (2 octets) : 00 01") << "only entry 0 covers line 10";
    EXPECT_EQ(p.Code(13), "'CODE' $00002006 (2 octets) : 06 07") << "an entry's last line is not its own";
}

TEST(TrouveCode, ASourceInTwoModulesIsFoundInTheFirstThatCoversTheLine)
{
    TProjet p = ProjetSimple();
    TModuleObj a = ModuleSimple();
    a.Table = {{{1, 100, 200}}};
    TModuleObj b = ModuleSimple();
    b.Sections[0].Segment = "B_CODE";
    p.Files["/p/A.OBJ"] = ObjModule(a);
    p.Files["/p/B.OBJ"] = ObjModule(b);
    p.Files["/p/demo.map"] =
        MapFile({{"MANQUE.OBJ", {"demo.asm"}}, {"A.OBJ", {"demo.asm"}}, {"B.OBJ", {"x.inc", "demo.asm"}}},
                {{"CODE", 0x1000, 0x10FF, "A.OBJ", 1}, {"B_CODE", 0x3000, 0x30FF, "B.OBJ", 1}});
    // B's table names position 1: demo.asm is its second file.
    b.Table = {{{2, 1, 0}}};
    p.Files["/p/B.OBJ"] = ObjModule(b);
    EXPECT_EQ(p.Code(12), "'B_CODE' $00003003 (3 octets) ") << "a missing module does not match; A does not cover 12";
    EXPECT_EQ(p.Code(150), "Pas de code trouvé") << "A covers 150 but has no record for it";
    // A header without its end byte: the module does not match.
    a.Table = {{{1, 1, 0}}};
    a.FinEntete = false;
    p.Files["/p/A.OBJ"] = ObjModule(a);
    EXPECT_EQ(p.Code(12), "'B_CODE' $00003003 (3 octets) ");
}

TEST(TrouveCode, SectionsAreCountedAndPlacedFromTheSegmentListInOrder)
{
    TProjet p = ProjetSimple();
    TModuleObj m = ModuleSimple();
    TSectionObj data;
    data.Segment = std::string("DATA\x02suite", 10);
    data.Type = 2;
    data.LigneChunks = {Enregs({{0, 0, 1, 0, 0, 0, 0, 0, 5, "x"}})}; // no follower
    m.Sections.insert(m.Sections.begin(), data);
    m.Sections[1].Base = 0x80;
    p.Files["/p/DEMO.OBJ"] = ObjModule(m);
    p.Files["/p/demo.map"] = MapFile({{"DEMO.OBJ", {"demo.asm"}}},
                                     {{"DATA", 0x50, 0x60, "DEMO.OBJ", 1},
                                      {"CODE", 0x7000, 0x70FF, "demo.obj", 2},
                                      {"CODE", 0x2000, 0x20FF, "DEMO.OBJ", 2}});
    // The module's name must be written exactly; offset from base 0x80.
    EXPECT_EQ(p.Code(12), "'CODE' $00002083 (3 octets) : 83 84 85");
    // The segment name stops before byte 0x02.
    m.Sections[0].LigneChunks = {Enregs({{0, 0, 1, 0, 0, 0, 0, 0, 5, "x"}, {0, 2, 5, 2, 0, 0, 0, 0, 9, "x"}})};
    m.Sections[0].TailleChunks = {Tailles({1, 1, 1, 1})};
    p.Files["/p/DEMO.OBJ"] = ObjModule(m);
    EXPECT_EQ(p.Code(2), "'DATA' $00000051 (1 octet) ");
    // The list is read on from where the last section left it: a section
    // placed above that point is not found again.
    TModuleObj twice = ModuleSimple();
    twice.Sections.push_back(twice.Sections[0]);
    p.Files["/p/DEMO.OBJ"] = ObjModule(twice);
    p.Files["/p/demo.map"] = MapFile({{"DEMO.OBJ", {"demo.asm"}}}, {{"CODE", 0x2000, 0x20FF, "DEMO.OBJ", 2}});
    EXPECT_EQ(p.Code(12), "Pas de code trouvé");
    // Nor is a line past the list's end.
    p.Files["/p/demo.map"] = "Dependencies\r\n--\r\n\r\nDEMO.OBJ\r\n demo.asm\r\n\r\nSegment List\r\n--\r\n--\r\n"
                             + LigneSegment({"CODE", 0x2000, 0x20FF, "DEMO.OBJ", 3}) + "\r\n\r\n"
                             + LigneSegment({"CODE", 0x4000, 0x40FF, "DEMO.OBJ", 2}) + "\r\n";
    EXPECT_EQ(p.Code(12), "Pas de code trouvé");
    p.Files["/p/demo.map"] = MapFile({{"DEMO.OBJ", {"demo.asm"}}}, {{"CODE", 0x2000, 0x20FF, "DEMO.OBJ", 1}});
    EXPECT_EQ(p.Code(12), "'CODE' $00002003 (3 octets) : 03 04 05");
}

TEST(TrouveCode, FollowersWithoutSizesAndIgnoredRecordsAreSkipped)
{
    TProjet p = ProjetSimple();
    TModuleObj m = ModuleSimple();
    // Ignored record (both low flag bits), then one whose follower starts at
    // the same place (no sizes), then one whose follower has offset 0.
    m.Sections[0].LigneChunks = {Enregs({{0, 0, 10, 0x500, 3, 0, 0, 0, 14, "i"},
                                         {0, 4, 10, 0x600, 0, 0, 0, 0, 14, "s"},
                                         {0, 4, 11, 0x610, 0, 0, 0, 0, 14, "z"},
                                         {0, 0, 10, 0x100, 0, 0, 0, 0, 14, "ok"},
                                         {0, 4, 14, 0x108, 0, 0, 0, 0, 20, "ok"}})};
    p.Files["/p/DEMO.OBJ"] = ObjModule(m);
    EXPECT_EQ(p.Code(12), "'CODE' $00002003 (3 octets) : 03 04 05");
    // A record whose chain ends before a follower: nothing.
    m.Sections[0].LigneChunks = {Enregs({{0, 0, 10, 0x100, 0, 0, 0, 0, 14, "seul"}})};
    p.Files["/p/DEMO.OBJ"] = ObjModule(m);
    EXPECT_EQ(p.Code(12), "Pas de code trouvé");
}

TEST(TrouveCode, SizeListsCrossChunksAndUseTheLongForm)
{
    TProjet p = ProjetSimple();
    TModuleObj m = ModuleSimple();
    // The record's sizes start in chunk 1 at offset 10 (after the 8 skipped
    // bytes and 2 of another record) and run into chunk 2.
    m.Sections[0].LigneChunks = {Enregs({{1, 10, 10, 0x100, 0, 0, 0, 0, 14, "a"}, {2, 9, 14, 0x400, 0, 0, 0, 0, 20, "b"}})};
    m.Sections[0].TailleChunks = {Tailles({9, 9, 9}), "\x07\x07" + Tailles({2, 0x100}), Tailles({3}, true) + Tailles({4})};
    p.Files["/p/DEMO.OBJ"] = ObjModule(m);
    p.Files["/p/demo.cod"] = ImageCod({{0x2000, Bytes(0x200)}});
    EXPECT_EQ(p.Code(10), "'CODE' $00002000 (2 octets) : 00 01");
    EXPECT_EQ(p.Code(11), "'CODE' $00002002 (256 octets) : " + [] {
        std::string s;
        for (int i = 0; i < 256; ++i) {
            char b[4];
            std::snprintf(b, sizeof b, "%02X", (2 + i) & 0xFF);
            s += (i ? " " : "") + std::string(b);
        }
        return s;
    }());
    EXPECT_EQ(p.Code(12), "'CODE' $00002102 (3 octets) : 02 03 04") << "the long form in the next chunk";
    EXPECT_EQ(p.Code(13), "'CODE' $00002105 (4 octets) : 05 06 07 08");
    // Sizes that run off the end of their chain: the section has nothing.
    m.Sections[0].TailleChunks.pop_back();
    p.Files["/p/DEMO.OBJ"] = ObjModule(m);
    EXPECT_EQ(p.Code(12), "Pas de code trouvé");
}

TEST(TrouveCode, TheLastLinesSizeCanComeFromTheRecordTheFollowerNames)
{
    TProjet p = ProjetSimple();
    TModuleObj m = ModuleSimple();
    // Record a (flag 0x80) ends at 14; its follower names, one chunk on, the
    // record 24 + 3 bytes into that chunk's data (after one record "abc").
    const std::string second = Enregs({{0, 0, 30, 0x900, 0, 5, 0, 0, 31, "abc"}, {0, 0, 40, 0x10C, 0, 5, 0, 0, 41, "t"}});
    m.Sections[0].LigneChunks = {Enregs({{0, 0, 10, 0x100, 0x80, 0, 0, 0, 14, "a"}, {0, 4, 14, 0x200, 0, 0, 1, 8 + 27, 20, "f"}}),
                                 second};
    p.Files["/p/DEMO.OBJ"] = ObjModule(m);
    EXPECT_EQ(p.Code(14), "'CODE' $00002008 (4 octets) : 08 09 0A 0B");
    EXPECT_EQ(p.Code(13), "'CODE' $00002006 (2 octets) : 06 07") << "other lines keep their sizes";
    // Without the flag the last line has none.
    m.Sections[0].LigneChunks[0] = Enregs({{0, 0, 10, 0x100, 0, 0, 0, 0, 14, "a"}, {0, 4, 14, 0x200, 0, 0, 1, 8 + 27, 20, "f"}});
    p.Files["/p/DEMO.OBJ"] = ObjModule(m);
    EXPECT_EQ(p.Code(14), "'CODE' $00002008 (0 octet) :");
    // A follower naming no record, or a chain too short: nothing.
    for (const auto& [chunks, offset] : std::vector<std::pair<int, int>>{{1, 0}, {5, 35}}) {
        m.Sections[0].LigneChunks[0] = Enregs(
            {{0, 0, 10, 0x100, 0x80, 0, 0, 0, 14, "a"}, {0, 4, 14, 0x200, 0, 0, std::uint32_t(chunks), std::uint16_t(offset), 20, "f"}});
        p.Files["/p/DEMO.OBJ"] = ObjModule(m);
        EXPECT_EQ(p.Code(14), "Pas de code trouvé") << chunks << " " << offset;
        EXPECT_EQ(p.Code(13), "'CODE' $00002006 (2 octets) : 06 07");
    }
}

TEST(TrouveCode, LineRecordsGoOnInTheFileAnIndirectionNames)
{
    TProjet p = ProjetSimple();
    TModuleObj m = ModuleSimple();
    const TSectionObj plain = m.Sections[0];
    m.Sections[0].FichierSuite = "LIGNES.DAT";
    m.Sections[0].Suite = ObjSuite(plain.LigneChunks, {Tailles({2, 1, 3, 2})});
    p.Files["/p/DEMO.OBJ"] = ObjModule(m);
    EXPECT_EQ(p.Code(12), "Pas de code trouvé") << "the other file is missing";
    p.Files["/p/lignes.dat"] = m.Sections[0].Suite.Bytes;
    EXPECT_EQ(p.Code(12), "'CODE' $00002003 (3 octets) : 03 04 05") << "the map's folder, not the one in the record";
}

TEST(TrouveCode, MapLinesMayEndWithCrLfOrEitherAlone)
{
    for (const std::string eol : {"\r\n", "\n", "\r"}) {
        TProjet p = ProjetSimple();
        p.Files["/p/demo.map"] = MapFile({{"DEMO.OBJ", {"demo.asm"}}}, {{"CODE", 0x2000, 0x20FF, "DEMO.OBJ", 1}}, eol);
        EXPECT_EQ(p.Code(12), "'CODE' $00002003 (3 octets) : 03 04 05");
    }
}

TEST(TrouveCode, DamagedModulesEndTheLookUpWithoutReadingOutsideThem)
{
    TProjet p = ProjetSimple();
    TPlanObj plan;
    const std::string good = ObjModule(ModuleSimple(), &plan);
    const std::string found = "'CODE' $00002003 (3 octets) : 03 04 05";
    // Every truncation: a known text, never a crash.
    for (std::size_t n = 0; n < good.size(); ++n) {
        p.Files["/p/DEMO.OBJ"] = good.substr(0, n);
        const std::string r = p.Code(12);
        EXPECT_TRUE(r == "Pas de code trouvé" || r == found) << n << ": " << r;
    }
    // Chains that loop: the table, the sections, the line records, the sizes.
    for (std::size_t at : {plan.Table[0], plan.Sections[0], plan.Lignes[0][0], plan.TaillesChunks[0][0]}) {
        std::string bad = good;
        Patch32(bad, at, static_cast<std::uint32_t>(at));
        Patch32(bad, at + 4, 40);
        p.Files["/p/DEMO.OBJ"] = bad;
        const std::string r = p.Code(12);
        EXPECT_TRUE(r == "Pas de code trouvé" || r == found) << at << ": " << r;
        EXPECT_EQ(p.Code(25), "Pas de code trouvé");
    }
    // Links past the end and huge lengths.
    for (std::uint32_t off : {0xFFFFFFF0u, std::uint32_t(good.size()), std::uint32_t(good.size() - 3)}) {
        std::string bad = good;
        Patch32(bad, plan.Sections[0], off);
        Patch32(bad, plan.Sections[0] + 4, 0x7FFFFFFF);
        p.Files["/p/DEMO.OBJ"] = bad;
        EXPECT_EQ(p.Code(12), found);
    }
    // A unit of zero bytes: the module cannot be used.
    TModuleObj zero = ModuleSimple(0);
    zero.AutresRecords = std::string("\x78\x00\x00\x00\x00", 5);
    p.Files["/p/DEMO.OBJ"] = ObjModule(zero);
    EXPECT_EQ(p.Code(12), "Pas de code trouvé");
}

TEST(ValeursImage, UnitsComeFromTheRecordHoldingTheAddressOnly)
{
    const std::string image = ImageCod({{0x100, Bytes(6, 0x10)}, {0x200, Bytes(4, 0x20)}});
    EXPECT_EQ(ValeursImage(image, 0x101, 2, 1), ": 11 12");
    EXPECT_EQ(ValeursImage(image, 0x104, 5, 1), ": 14 15") << "stops at the record's end";
    EXPECT_EQ(ValeursImage(image, 0x81, 2, 2), ": 1213 1415");
    EXPECT_EQ(ValeursImage(image, 0x100, 1, 2), ": 2021");
    EXPECT_EQ(ValeursImage(image, 0x106, 1, 1), "") << "between records";
    EXPECT_EQ(ValeursImage(image, 0x101, 0, 1), ":");
    // The end record stops the walk; a cut record is read as far as it goes.
    const std::string ended = ImageCod({{0x100, Bytes(2)}}) + ImageCod({{0x300, Bytes(2)}});
    EXPECT_EQ(ValeursImage(ended, 0x300, 1, 1), "");
    std::string cut = ImageCod({{0x100, Bytes(8)}}, false);
    cut.resize(cut.size() - 4);
    EXPECT_EQ(ValeursImage(cut, 0x102, 6, 1), ": 02 03");
    EXPECT_EQ(ValeursImage(cut.substr(0, 5), 0x100, 1, 1), "");
    EXPECT_EQ(ValeursImage(ImageCod({{0x101, Bytes(3)}}), 0x80, 2, 2), ": 0001") << "units counted from the record's start";
}

// keptool runs the same look-up and the same image listing from a shell.
TEST(Keptool, CodeAndCodDumpPrintWhatTheWindowsShow)
{
    TTestDir dir;
    const TProjet p = ProjetSimple();
    for (const auto& [path, bytes] : p.Files)
        dir.Write("p" + path.substr(2), bytes);
    const auto run = [](const std::string& args) {
        std::string out;
        if (FILE* f = popen((KEP_BINARY_DIR "/tools/keptool " + args + " 2>&1").c_str(), "r")) {
            char buf[512];
            while (const std::size_t n = fread(buf, 1, sizeof buf, f))
                out.append(buf, n);
            pclose(f);
        }
        return out;
    };
    EXPECT_EQ(run("code " + dir.Path("p/demo.mke") + " demo.asm 12"), p.Code(12) + "\n");
    EXPECT_EQ(run("code " + dir.Path("p/demo.mke") + " sub/DEMO.inc 11"), p.Code(11) + "\n");
    EXPECT_EQ(run("code " + dir.Path("p/autre.mke") + " demo.asm 12"), "Fichier autre.MAP absent\n");
    EXPECT_NE(run("code " + dir.Path("p/demo.mke") + " demo.asm 0").find("invalide"), std::string::npos);
    std::string image;
    ASSERT_TRUE(kep::ReadWholeFile(dir.Path("p/demo.cod"), image));
    EXPECT_EQ(run("cod-dump " + dir.Path("p/demo.cod")), ArbreCodTexte(ArbreCod(image, false)));
}
