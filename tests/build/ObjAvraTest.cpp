// The code look-up of avra projects, through the object file avra writes
// beside each source: checked against avra's own listing of a real build,
// then over damaged files.
#include "build/U_ListingGpasm.h"
#include "build/U_ObjAvra.h"
#include "build/U_ScanObj.h"
#include "tests/support/TestDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <map>
#include <sstream>
#include <string>
#include <vector>

using namespace kep;

namespace {

const std::string Aucun(PasDeCodeTrouve);

std::string Majuscules(std::string s)
{
    for (char& c : s)
        if (c >= 'a' && c <= 'f')
            c = char(c - 'a' + 'A');
    return s;
}

// The words avra's listing shows for `n` words from `adresse`: the 4-digit
// groups of its "C:" lines (a two-word instruction on one line, a macro's
// expansion one line per instruction).
std::vector<std::string> MotsDuListing(const std::string& lst, std::uint32_t adresse, std::size_t n)
{
    std::map<std::uint32_t, std::string> mots;
    std::istringstream in(lst);
    for (std::string l; std::getline(in, l);) {
        if (l.rfind("C:", 0) != 0 || l.size() < 9 || l.find_first_not_of("0123456789abcdefABCDEF", 2) != 8)
            continue;
        std::uint32_t a = std::uint32_t(std::stoul(l.substr(2, 6), nullptr, 16));
        std::istringstream champ(l.substr(9, 10));
        for (std::string g; champ >> g && g.size() == 4 && g.find_first_not_of("0123456789abcdef") == g.npos; ++a)
            mots[a] = Majuscules(g);
    }
    std::vector<std::string> v;
    for (std::uint32_t a = adresse; a < adresse + n && mots.count(a); ++a)
        v.push_back(mots[a]);
    return v;
}

// A hand-made object file: records {address, value, file, line}, the names.
std::string Obj(const std::vector<std::array<unsigned, 4>>& enregs, const std::vector<std::string>& noms)
{
    auto be = [](std::string& s, unsigned v, int n) {
        for (int i = n - 1; i >= 0; --i)
            s += char((v >> (8 * i)) & 0xFF);
    };
    std::string o;
    be(o, unsigned(26 + 9 * enregs.size()), 4);
    be(o, 26, 4);
    o += char(9);
    o += char(noms.size());
    o += std::string("AVR Object File\0", 16);
    for (const auto& e : enregs) {
        be(o, e[0], 3);
        be(o, e[1], 2);
        be(o, e[2], 1);
        be(o, e[3], 2);
        o += '\0';
    }
    for (const std::string& n : noms)
        o += n + '\0';
    return o + '\0';
}

void Ecrit(std::string& o, std::size_t at, unsigned v)
{
    for (int i = 0; i < 4; ++i)
        o[at + std::size_t(i)] = char((v >> (8 * (3 - i))) & 0xFF);
}

} // namespace

TEST(ObjAvra, LookUpOfARealBuildMatchesAvrasListing)
{
    if (std::system("command -v avra >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "avra absent (/usr/bin/avra): le paquet avra n'est pas installé";
    TTestDir dir;
    dir.Write("prj.inc", "; macros et sous-programme du projet\n"
                         ".macro CHARGE\n"
                         "\tldi @0, @1\n"
                         "\tnop\n"
                         ".endmacro\n"
                         ".macro DOUBLE\n"
                         "\tCHARGE r16, 5\n"
                         "\tlds r17, @0\n"
                         ".endmacro\n"
                         "sousprog:\n"
                         "\tinc r20\n" // 11
                         "\tret\n");
    dir.Write("main.asm", ".include \"m328Pdef.inc\"\n"
                          ".dseg\n"
                          "var: .byte 2\n"
                          ".cseg\n"
                          ".org 0\n"
                          "\trjmp debut\n" // 6
                          ".org 0x30\n"
                          ".include \"prj.inc\"\n"
                          ".org 0x34\n"
                          "debut:\n"
                          "\tldi r16, 1\n"
                          "\tlds r17, var\n"   // 12
                          "\tCHARGE r18, 3\n"  // 13
                          "\n"
                          "\tDOUBLE var\n"     // 15: a macro invoking another
                          "\tcall sousprog\n"  // 16
                          "table: .db 1,2,3\n" // 17
                          "mots: .dw 0x1234, 0x5678\n"
                          ".eseg\n"
                          "ee: .db 9\n" // 20
                          ".cseg\n"
                          "\tsts var, r16\n"
                          "fin: rjmp fin\n");
    // The make file names the main source; avra's map (symbols only) is not
    // the vendor map the look-up reads first.
    dir.Write("projet.mke", "all:\n\tavra -l main.lst -m main.map main.asm\n");
    ASSERT_EQ(std::system(("cd '" + dir.Dir() + "' && avra -l main.lst -m main.map main.asm >/dev/null 2>&1").c_str()), 0);
    ASSERT_TRUE(dir.Exists("main.obj"));
    ASSERT_TRUE(dir.Exists("main.map"));
    const std::string lst = dir.Read("main.lst");
    const TFichiersScan disque = FichiersDisque(dir.Dir());

    EXPECT_EQ(TrouveCode(disque, "main.mke", "main.asm", 11), "'CODE' $00000035 (2 mots) : 9110 0100");
    EXPECT_EQ(MotsDuListing(lst, 0x35, 2), (std::vector<std::string>{"9110", "0100"}));
    struct TCas {
        const char* Source;
        int Ligne;
        std::uint32_t Adresse;
        std::size_t Mots;
    };
    for (const TCas& c : {TCas{"main.asm", 6, 0x00, 1}, TCas{"main.asm", 13, 0x37, 2}, TCas{"main.asm", 15, 0x39, 4},
                          TCas{"main.asm", 16, 0x3D, 2}, TCas{"main.asm", 22, 0x43, 2}, TCas{"Main.ASM", 23, 0x45, 1},
                          TCas{"prj.inc", 11, 0x30, 1}, TCas{"prj.inc", 12, 0x31, 1}}) {
        const std::vector<std::string> attendus = MotsDuListing(lst, c.Adresse, c.Mots);
        ASSERT_EQ(attendus.size(), c.Mots) << c.Source << ":" << c.Ligne;
        const std::string texte = TexteCode("CODE", c.Adresse, false, attendus);
        // The include through the make file's source; without map then with avra's.
        EXPECT_EQ(TrouveCode(disque, "projet.mke", c.Source, c.Ligne - 1), texte) << c.Source << ":" << c.Ligne;
        EXPECT_EQ(TrouveCode(disque, "main.mke", c.Source, c.Ligne - 1), texte) << c.Source << ":" << c.Ligne;
    }
    // Data in program memory: the listing shows bytes (01020300) and only the
    // first word of a .dw; the look-up gives every word.
    EXPECT_EQ(TrouveCode(disque, "projet.mke", "main.asm", 16), "'CODE' $0000003F (2 mots) : 0201 0003");
    EXPECT_EQ(TrouveCode(disque, "projet.mke", "main.asm", 17), "'CODE' $00000041 (2 mots) : 1234 5678");
    // Include, .dseg, .org, label, blank line, .eseg data; a macro's body;
    // the device file avra opened.
    for (int ligne : {1, 3, 5, 10, 14, 20})
        EXPECT_EQ(TrouveCode(disque, "projet.mke", "main.asm", ligne - 1), Aucun) << ligne;
    for (int ligne : {3, 7, 8, 10})
        EXPECT_EQ(TrouveCode(disque, "projet.mke", "prj.inc", ligne - 1), Aucun) << ligne;
    EXPECT_EQ(CodeParObjAvra(disque, "projet.mke", "m328Pdef.inc", 40), Aucun);
    // A file the build did not read.
    EXPECT_EQ(CodeParObjAvra(disque, "projet.mke", "autre.inc", 0), std::nullopt);
}

TEST(ObjAvra, DamagedFilesGiveFewerRecordsNeverWrongOnes)
{
    const std::vector<std::string> noms{"main.asm", "inc/x.inc", "x.inc"};
    // Line 7: a macro whose body moves on with .org.
    const std::string bon = Obj({{0x10, 0x940E, 0, 5}, {0x11, 0x0030, 0, 5}, {0x20, 0x1111, 1, 1}, {0x30, 0x2222, 2, 1},
                                 {0x40, 0x0000, 0, 7}, {0x50, 0xCFFF, 0, 7}},
                                noms);
    auto code = [](const std::string& obj, const char* source, int ligne) {
        return CodeParObjAvra(FichiersMemoire("/p", {{"/p/main.obj", obj}}), "main.mke", source, ligne - 1);
    };
    EXPECT_EQ(code(bon, "main.asm", 5), "'CODE' $00000010 (2 mots) : 940E 0030");
    // The entry that is the file itself wins over one of the same name.
    EXPECT_EQ(code(bon, "x.inc", 1), "'CODE' $00000030 (1 mot) : 2222");
    EXPECT_EQ(code(bon, "main.asm", 7), "'CODE' $00000040 (1 mot) : 0000");

    // Cut anywhere: whole records only, whole names only.
    for (std::size_t n = 0; n <= bon.size(); ++n) {
        const TObjAvra o = LitObjAvra(std::string_view(bon).substr(0, n));
        EXPECT_EQ(o.Enregs.size(), n < 26 ? 0 : std::min<std::size_t>(6, (n - 26) / 9)) << n;
        for (const std::string& f : o.Fichiers)
            EXPECT_NE(std::find(noms.begin(), noms.end(), f), noms.end()) << n << " " << f;
    }
    std::string faux = bon;
    Ecrit(faux, 0, 26 + 9 + 4); // names inside the second record: records stop there, names are noise
    EXPECT_EQ(LitObjAvra(faux).Enregs.size(), 1u);
    EXPECT_EQ(code(faux, "main.asm", 5), std::nullopt);
    faux = bon;
    Ecrit(faux, 0, 0xFFFFFFFF); // no name table: no file to look in
    EXPECT_EQ(code(faux, "main.asm", 5), std::nullopt);
    faux = bon;
    Ecrit(faux, 4, 0xFFFFFFF0); // no records
    EXPECT_EQ(code(faux, "main.asm", 5), Aucun);
    faux = bon;
    Ecrit(faux, 4, 3); // records inside the header
    EXPECT_EQ(code(faux, "main.asm", 5), Aucun);
    faux = bon;
    faux[8] = 0; // records of no size
    EXPECT_EQ(code(faux, "main.asm", 5), Aucun);
    faux = bon;
    faux[10] = 'a'; // another object format
    EXPECT_EQ(code(faux, "main.asm", 5), std::nullopt);
}
