// The build's command line as the launcher will split it, and the PATH the
// tool gets.
#include "build/U_MakeCmd.h"
#include "launcher/CommandLine.h"

#include <gtest/gtest.h>

using namespace kep;

TEST(MakeCmd, PathsWithSpacesAndQuotesSurviveTheLaunchersSplitting)
{
    const std::string prog = "/opt/my tools/kepmake";
    const std::string mke = "/home/jo/l'atelier/demo projet.mke";
    const std::string line = MakeCmdLine(prog, mke, "-a -j2");
    const std::vector<std::string> words = SplitCommandLine(line);
    ASSERT_EQ(words.size(), 4u) << line;
    EXPECT_EQ(words[0], prog);
    EXPECT_EQ(words[1], mke);
    EXPECT_EQ(words[2], "-a");
    EXPECT_EQ(words[3], "-j2");
    // Plain paths go as they are, and no parameters means no trailing space.
    EXPECT_EQ(MakeCmdLine("/usr/bin/kepmake", "/p/demo.mke", ""), "/usr/bin/kepmake /p/demo.mke");
    EXPECT_EQ(SplitCommandLine(MakeCmdLine("a", "", "")).size(), 2u);
    for (const char* odd : {"a\\b", "tab\there", "dq\"x", "$HOME", "*.mke"}) {
        const auto w = SplitCommandLine(QuoteForLauncher(odd));
        ASSERT_EQ(w.size(), 1u) << odd;
        EXPECT_EQ(w[0], odd);
    }
}

TEST(MakeCmd, ThePathOfTheToolStartsWithTheMakeProgramsFolder)
{
    EXPECT_EQ(DossierProgramme("/usr/local/bin/kepmake"), "/usr/local/bin/");
    EXPECT_EQ(DossierProgramme("kepmake"), "");
    EXPECT_EQ(PathPourMake("/opt/kep/kepmake", "/usr/bin:/bin"), "/opt/kep/:/usr/bin:/bin");
    // No empty element, which would put the current folder in the search.
    EXPECT_EQ(PathPourMake("kepmake", "/usr/bin"), "/usr/bin");
    EXPECT_EQ(PathPourMake("/opt/kep/kepmake", ""), "/opt/kep/");
}

TEST(MakeCmd, Messages)
{
    EXPECT_EQ(MessageProgrammeIntrouvable("/x/make"), "Programme \"/x/make\" introuvable.");
    EXPECT_EQ(MessageFichierMakeIntrouvable("/p/a.mke"), "Fichier Make \"/p/a.mke\" introuvable.");
    EXPECT_EQ(MessageEchecLancement(4294967295u), "Echec de \"CreateProcess\", Erreur : 4294967295");
    EXPECT_EQ(MessageExitCode(0), "Exit code = 0");
    EXPECT_EQ(LigneSeparation.size(), 29u);
}

TEST(MakeCmd, TheEndOfABuildTellsSuccessFromFailure)
{
    EXPECT_EQ(MessageFinConstruction(0, false, 0), "Construction réussie.");
    EXPECT_EQ(MessageFinConstruction(2, false, 0), "Construction échouée (code 2).");
    EXPECT_EQ(MessageFinConstruction(2, false, 1), "Construction échouée (code 2, 1 erreur).");
    EXPECT_EQ(MessageFinConstruction(127, false, 3), "Construction échouée (code 127, 3 erreurs).");
    EXPECT_EQ(MessageFinConstruction(0, true, 0), "Construction interrompue.");
}
