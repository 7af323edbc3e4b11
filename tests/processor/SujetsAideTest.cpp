// The QDX topic file: its lines, the topic tree built from the levels, the
// text of a topic, the stand-in for a missing file, and the demo's file.
#include "processor/U_SujetsAide.h"

#include "platform/CodePage.h"
#include "support/TestDir.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace kep;

namespace {

using Strings = std::vector<std::string>;

std::vector<std::string> Titres(const std::vector<TSujet>& sujets)
{
    std::vector<std::string> t;
    for (const TSujet& s : sujets)
        t.push_back(s.Titre);
    return t;
}

std::vector<int> Parents(const std::vector<TSujet>& sujets)
{
    std::vector<int> p;
    for (const TSujet& s : sujets)
        p.push_back(s.Parent);
    return p;
}

} // namespace

TEST(SujetsLignes, SplitAtAnyLineEndAndConvertedFromOem)
{
    // 0x82 is "é" and 0xC4 a box line in code page 850.
    EXPECT_EQ(LignesAide("a\r\nb\nc\rd\r\n"), (Strings{"a", "b", "c", "d"}));
    EXPECT_EQ(LignesAide("\r\n\r\nx"), (Strings{"", "", "x"}));
    EXPECT_EQ(LignesAide("\n\r"), (Strings{"", ""}));
    EXPECT_TRUE(LignesAide("").empty());
    const Strings l = LignesAide("$$1:R\x82sum\x82\r\n\xC4\xC4\r\n");
    ASSERT_EQ(l.size(), 2u);
    EXPECT_EQ(l[0], "$$1:R\xE9sum\xE9");
    // The box line is kept as the byte the file conversion gives it, and
    // shows as itself again.
    EXPECT_EQ(TextToUtf16(l[1], true), u"\u2500\u2500");
}

TEST(SujetsArbre, LevelsOneTwoTwoOneGiveTwoTopsTheFirstWithTwoChildren)
{
    const Strings lignes = {"Introduction libre", "$$1:Directives", "texte", "$$2:ORG",    "$$2:END",
                            "fin du source",      "$$1:Instructions", "a", "b"};
    const std::vector<TSujet> s = ConstruitSujets(lignes);
    EXPECT_EQ(Titres(s), (Strings{"Directives", "ORG", "END", "Instructions"}));
    EXPECT_EQ(Parents(s), (std::vector<int>{-1, 0, 0, -1}));
    ASSERT_EQ(s.size(), 4u);
    EXPECT_EQ(s[0].Ligne, 2u);
    EXPECT_EQ(s[2].Ligne, 5u);
    EXPECT_EQ(s[3].Ligne, 7u);
}

TEST(SujetsArbre, SmallerLevelsGoUpOneParentPerLevel)
{
    const Strings lignes = {"$$1:A", "$$2:A1", "$$3:A1a", "$$3:A1b", "$$2:A2", "$$3:A2a", "$$1:B", "$$2:B1"};
    const std::vector<TSujet> s = ConstruitSujets(lignes);
    EXPECT_EQ(Parents(s), (std::vector<int>{-1, 0, 1, 1, 0, 4, -1, 6}));
}

TEST(SujetsArbre, LevelZeroEndsTheTree)
{
    const Strings lignes = {"$$1:Un", "texte", "$$0", "$$1:Apr\xE8s", "$$2:Encore"};
    EXPECT_EQ(Titres(ConstruitSujets(lignes)), (Strings{"Un"}));
    EXPECT_EQ(TexteSujet(lignes, 1), (Strings{"texte"}));
}

TEST(SujetsArbre, TitleAfterTheFirstColon)
{
    const Strings lignes = {"$$1:Directives : ORG", "$$2 :Espace", "note: $$2 x", "$$1:"};
    EXPECT_EQ(Titres(ConstruitSujets(lignes)), (Strings{"Directives : ORG", "Espace", " $$2 x", ""}));
}

TEST(SujetsArbre, DamagedLevelsStayATree)
{
    // A first topic at level 3, then level 1: both at the top.
    EXPECT_EQ(Parents(ConstruitSujets({"$$3:C", "$$1:A", "$$2:A1"})), (std::vector<int>{-1, -1, 1}));
    // Going up past the top stays at the top.
    EXPECT_EQ(Parents(ConstruitSujets({"$$2:B", "$$3:B1", "$$1:A", "$$1:A2"})), (std::vector<int>{-1, 0, -1, -1}));
    // A level that skips one: its children hang under the last topic, and
    // going up counts levels, not topics.
    EXPECT_EQ(Parents(ConstruitSujets({"$$1:A", "$$3:A1", "$$3:A2", "$$2:X"})), (std::vector<int>{-1, 0, 0, -1}));
    // No level character, a level that is not a digit: no topic; a line
    // without ":" takes its title after the level.
    const Strings lignes = {"$$1:A", "un", "$$", "deux", "$$x:Pas un sujet", "$$2 Sans deux-points", "trois"};
    const std::vector<TSujet> s = ConstruitSujets(lignes);
    EXPECT_EQ(Titres(s), (Strings{"A", " Sans deux-points"}));
    EXPECT_EQ(Parents(s), (std::vector<int>{-1, 0}));
    // The "$$" lines still end the text before them.
    EXPECT_EQ(TexteSujet(lignes, s[0].Ligne), (Strings{"un"}));
    EXPECT_EQ(TexteSujet(lignes, s[1].Ligne), (Strings{"trois"}));
}

TEST(SujetsTexte, UpToTheNextMarkedLineOrTheEnd)
{
    const Strings lignes = {"$$1:A", "ligne 1", "", "ligne 3", "$$2:B", "b", "voir $$ plus loin", "c"};
    EXPECT_EQ(TexteSujet(lignes, 1), (Strings{"ligne 1", "", "ligne 3"}));
    EXPECT_EQ(TexteSujet(lignes, 5), (Strings{"b"}));
    EXPECT_EQ(TexteSujet(lignes, 7), (Strings{"c"}));
    EXPECT_TRUE(TexteSujet(lignes, 4).empty());
    EXPECT_TRUE(TexteSujet(lignes, 8).empty());
    EXPECT_TRUE(TexteSujet(lignes, 1000).empty());
}

TEST(SujetsFichier, MissingFileGivesTheErrorTopic)
{
    TTestDir dir;
    const Strings lignes = LitAide(dir.Path("KepHlp.txt"));
    EXPECT_EQ(lignes, (Strings{"$$1:Erreur", "Fichier KepHlp.txt non trouv\xE9"}));
    const std::vector<TSujet> s = ConstruitSujets(lignes);
    ASSERT_EQ(Titres(s), (Strings{"Erreur"}));
    EXPECT_EQ(TexteSujet(lignes, s[0].Ligne), (Strings{"Fichier KepHlp.txt non trouv\xE9"}));

    // A file that is there is read as OEM text.
    const Strings lu = LitAide(dir.Write("KepHlp.txt", "$$1:D\x82mo\r\n\x82t\x82\r\n$$0\r\n"));
    EXPECT_EQ(lu, (Strings{"$$1:D\xE9mo", "\xE9t\xE9", "$$0"}));
}

TEST(SujetsFichier, TooManyTopicsAreLeftOut)
{
    Strings lignes(MaxSujets + 10, "$$1:x");
    EXPECT_EQ(ConstruitSujets(lignes).size(), MaxSujets);
}

TEST(SujetsDemo, TheDemoFileIsATreeOfTopicsWithText)
{
    const Strings lignes = LitAide(KEP_SOURCE_DIR "/examples/KepHlp.txt");
    const std::vector<TSujet> s = ConstruitSujets(lignes);
    Strings tops;
    std::size_t enfants = 0;
    for (const TSujet& sujet : s) {
        if (sujet.Parent < 0)
            tops.push_back(sujet.Titre);
        else
            ++enfants;
        EXPECT_FALSE(TexteSujet(lignes, sujet.Ligne).empty()) << sujet.Titre;
    }
    EXPECT_EQ(tops, (Strings{"Pr\xE9sentation", "Directives de gpasm", "Jeu d'instructions PIC16", "Registre STATUS",
                             "Le projet d\xE9mo"}));
    EXPECT_GE(enfants, 20u);
    // The topic list ends with its "$$0" line.
    std::size_t fin = 0;
    while (fin < lignes.size() && lignes[fin] != "$$0")
        ++fin;
    EXPECT_LT(fin, lignes.size());
    EXPECT_LT(s.back().Ligne, fin);

    // Its tables are drawn with the box characters of code page 850.
    bool boite = false;
    for (const std::string& l : lignes)
        boite = boite || TextToUtf16(l, true).find(u'\u253C') != std::u16string::npos;
    EXPECT_TRUE(boite);
}
