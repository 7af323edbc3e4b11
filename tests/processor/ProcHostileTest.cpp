// Damaged description and topic files: the demo's files cut, flipped, with
// binary bytes and shuffled levels, a few thousand times each. Every result
// must hold together and stay within bounds; under the sanitizers, nothing
// may be read outside the data.
#include "processor/U_Proc.h"
#include "processor/U_SujetsAide.h"

#include "platform/FileIo.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <random>
#include <string>
#include <vector>

using namespace kep;

namespace {

constexpr int Rounds = 3000;

std::string Demo(const char* name)
{
    std::string bytes;
    EXPECT_TRUE(ReadWholeFile(std::string(KEP_SOURCE_DIR "/examples/") + name, bytes)) << name;
    return bytes;
}

// One to four damages of the kinds a bad copy, a bad disk or an editor
// gone wrong leave behind.
std::string Abime(std::string s, std::mt19937& rng, const std::string& marques)
{
    auto pos = [&](std::size_t n) { return n == 0 ? 0 : std::uniform_int_distribution<std::size_t>(0, n - 1)(rng); };
    const int n = 1 + int(rng() % 4);
    for (int k = 0; k < n; ++k) {
        switch (rng() % 7) {
        case 0: // cut
            s.resize(pos(s.size() + 1));
            break;
        case 1: // flipped bytes
            for (int i = 0; i < 8 && !s.empty(); ++i)
                s[pos(s.size())] ^= char(1u << (rng() % 8));
            break;
        case 2: // a run of NULs or binary
            s.insert(pos(s.size() + 1), std::string(1 + rng() % 16, rng() % 2 ? '\0' : char(rng())));
            break;
        case 3: // characters that mean something to the reader
            for (int i = 0; i < 6; ++i)
                s.insert(pos(s.size() + 1), 1, marques[rng() % marques.size()]);
            break;
        case 4: { // a line removed or doubled
            const std::size_t a = s.find('\n', pos(s.size() + 1));
            const std::size_t b = a == std::string::npos ? a : s.find('\n', a + 1);
            if (b != std::string::npos) {
                if (rng() % 2)
                    s.erase(a + 1, b - a);
                else
                    s.insert(a + 1, s.substr(a + 1, b - a));
            }
            break;
        }
        case 5: // one part moved elsewhere
            if (!s.empty()) {
                const std::size_t from = pos(s.size()), len = std::min<std::size_t>(1 + rng() % 200, s.size() - from);
                const std::string part = s.substr(from, len);
                s.erase(from, len);
                s.insert(pos(s.size() + 1), part);
            }
            break;
        default: // line ends changed
            for (char& c : s)
                if ((c == '\r' || c == '\n') && rng() % 4 == 0)
                    c = c == '\r' ? '\n' : '\r';
            break;
        }
    }
    return s;
}

void VerifieProc(const TProcesseur& p, const std::string& texte)
{
    // Each instruction needs a line of its own, and its name stays on it.
    std::size_t lignes = 1 + std::count(texte.begin(), texte.end(), '\n') + std::count(texte.begin(), texte.end(), '\r');
    ASSERT_LE(std::size_t(p.Count()), lignes);
    std::uint32_t tous = 0;
    for (const TGroupe& g : p.Groupes()) {
        ASSERT_EQ(std::popcount(g.Masque), 1) << g.Nom;
        ASSERT_LE(g.Nom.size(), texte.size());
        tous |= g.Masque;
    }
    ASSERT_LE(p.Groupes().size(), TProcesseur::MaxGroupes + 1);
    ASSERT_EQ(p.Groupes().empty(), p.Count() == 0);
    const int toutes = p.IndexOfGroupe(TProcesseur::NomToutes);
    if (p.Count() > 0) {
        ASSERT_GE(toutes, 0);
    }
    for (const TInstruction& i : p.Instructions()) {
        ASSERT_FALSE(i.Mnemo.empty());
        ASSERT_EQ(i.Mnemo.find_first_of("\t\r\n"), std::string::npos);
        ASSERT_EQ(i.Description.find_first_of("\r\n!"), std::string::npos);
        ASSERT_EQ(i.Groupes & ~tous, 0u) << i.Mnemo;
        ASSERT_NE(i.Groupes & p.Groupes()[std::size_t(toutes)].Masque, 0u) << i.Mnemo;
    }
}

void VerifieSujets(const std::vector<std::string>& lignes, const std::vector<TSujet>& sujets)
{
    ASSERT_LE(sujets.size(), std::min(lignes.size(), MaxSujets));
    std::vector<int> profondeur;
    for (std::size_t n = 0; n < sujets.size(); ++n) {
        const TSujet& s = sujets[n];
        ASSERT_GE(s.Parent, -1);
        ASSERT_LT(s.Parent, int(n));
        profondeur.push_back(s.Parent < 0 ? 1 : profondeur[std::size_t(s.Parent)] + 1);
        ASSERT_LE(profondeur.back(), 9);
        ASSERT_GE(s.Ligne, 1u);
        ASSERT_LE(s.Ligne, lignes.size());
        ASSERT_NE(lignes[s.Ligne - 1].find("$$"), std::string::npos);
        ASSERT_LE(s.Titre.size(), lignes[s.Ligne - 1].size());
        if (n > 0) {
            ASSERT_GT(s.Ligne, sujets[n - 1].Ligne);
        }
        const std::vector<std::string> texte = TexteSujet(lignes, s.Ligne);
        ASSERT_LE(s.Ligne + texte.size(), lignes.size());
    }
}

} // namespace

TEST(ProcHostile, DamagedDescriptionsGiveWhatCanBeRead)
{
    const std::string demo = Demo("processors/p16.s");
    ASSERT_FALSE(demo.empty());
    std::mt19937 rng(1802);
    for (int round = 0; round < Rounds; ++round) {
        const std::string texte = Abime(demo, rng, ";~!:\t\r\n \xC9");
        TProcesseur p;
        p.LoadFromBytes(texte);
        SCOPED_TRACE(round);
        VerifieProc(p, texte);
        if (HasFatalFailure())
            return;
    }
}

TEST(ProcHostile, EndlessGroupNamesKeepTheSharedNameBounded)
{
    std::string texte = "O\r\n\r\n\r\n\r\n\r\n\r\n\r\n";
    for (int n = 0; n < 20000; ++n)
        texte += "I" + std::to_string(n) + "\t\r\n;x~groupe" + std::to_string(n) + "~" + std::string(n % 300, 'g') + "!\r\n";
    TProcesseur p;
    p.LoadFromBytes(texte);
    ASSERT_EQ(p.Count(), 20000);
    ASSERT_EQ(p.Groupes().size(), 32u);
    for (const TGroupe& g : p.Groupes())
        EXPECT_LE(g.Nom.size(), 1000u);
    VerifieProc(p, texte);
}

TEST(ProcHostile, DamagedTopicFilesStayATree)
{
    const std::string demo = Demo("KepHlp.txt");
    ASSERT_FALSE(demo.empty());
    std::mt19937 rng(11400);
    for (int round = 0; round < Rounds; ++round) {
        std::string texte = Abime(demo, rng, "$$:0123456789\r\n");
        // Levels out of order: some topic levels swapped for others.
        for (std::size_t i = texte.find("$$"); i != std::string::npos; i = texte.find("$$", i + 2))
            if (i + 2 < texte.size() && rng() % 3 == 0)
                texte[i + 2] = "0123456789 :$\0A"[rng() % 15];
        const std::vector<std::string> lignes = LignesAide(texte);
        const std::vector<TSujet> sujets = ConstruitSujets(lignes);
        SCOPED_TRACE(round);
        VerifieSujets(lignes, sujets);
        if (HasFatalFailure())
            return;
    }
}

TEST(ProcHostile, LongFilesOfTopicsAndNothing)
{
    // Lines of markers alone, levels climbing and falling by the thousand.
    std::string texte;
    for (int n = 0; n < 100000; ++n)
        texte += n % 3 == 0 ? "$$\r\n" : "$$" + std::to_string(1 + (n * 7919) % 9) + "\r\n";
    const std::vector<std::string> lignes = LignesAide(texte);
    ASSERT_EQ(lignes.size(), 100000u);
    const std::vector<TSujet> sujets = ConstruitSujets(lignes);
    EXPECT_EQ(sujets.size(), MaxSujets);
    VerifieSujets(lignes, sujets);

    TProcesseur p;
    p.LoadFromBytes(std::string(1 << 20, '\n'));
    EXPECT_EQ(p.Count(), 0);
    p.LoadFromBytes(std::string(1 << 20, ':'));
    EXPECT_EQ(p.Count(), 0);
}
