// A new project for one chip per family and each tool chain that builds it,
// with the real make, gputils and avra: it builds clean, the code look-up
// answers on an instruction line, a planted error is read back whole on its
// line, and "clean" leaves only what was created.
#include "build/U_ErrAssembleur.h"
#include "build/U_FichiersScan.h"
#include "build/U_ScanObj.h"
#include "config/U_IniFilePlus.h"
#include "config/U_Options.h"
#include "platform/CodePage.h"
#include "platform/AsciiText.h"
#include "platform/FileIo.h"
#include "project/U_NouveauProjet.h"
#include "support/TestDir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <regex>
#include <set>
#include <sys/wait.h>

namespace fs = std::filesystem;
using namespace kep;

namespace {

bool Outils()
{
    return std::system("command -v make gpasm gplink avra > /dev/null 2>&1") == 0;
}

int Make(const std::string& dossier, const std::string& mke, const std::string& cible = {})
{
    const std::string cmd = "cd '" + dossier + "' && make -s -f " + mke + " " + cible + " > sortie.txt 2>&1";
    const int r = std::system(cmd.c_str());
    return WIFEXITED(r) ? WEXITSTATUS(r) : -1;
}

std::vector<std::string> Lignes(const std::string& oem)
{
    std::vector<std::string> out;
    std::string l;
    for (char c : OemToAnsi(oem)) {
        if (c == '\n') {
            out.push_back(l);
            l.clear();
        } else if (c != '\r') {
            l += c;
        }
    }
    if (!l.empty())
        out.push_back(l);
    return out;
}

std::int32_t LigneOu(const std::vector<std::string>& lignes, const std::string& texte)
{
    for (std::size_t i = 0; i < lignes.size(); ++i)
        if (lignes[i].find(texte) != std::string::npos)
            return std::int32_t(i);
    return -1;
}

std::set<std::string> Contenu(const std::string& dossier)
{
    std::set<std::string> noms;
    for (const auto& e : fs::directory_iterator(dossier))
        noms.insert(e.path().filename().string());
    return noms;
}

struct TCas {
    const char* Puce;
    TChaine Chaine;
    const char* Saut;     // the reset vector's jump
    const char* Erreur;   // planted in the main loop
    const char* Message;  // part of what the assembler says
};

} // namespace

TEST(NouveauProjet, EachChipAndChainBuildsAtOnceAndReportsAPlantedError)
{
    if (!Outils())
        GTEST_SKIP() << "make, gpasm, gplink ou avra absent";
    const TCas cas[] = {
        {"PIC16F628A", TChaine::Gplink, "goto    Debut", "        goto    Inconnue", "Symbol not previously defined"},
        {"16f628a", TChaine::Gpasm, "goto    Debut", "        goto    Inconnue", "Symbol not previously defined"},
        {"p16f57", TChaine::Gpasm, "goto    Debut", "        goto    Inconnue", "Symbol not previously defined"},
        {"18F4550", TChaine::Gplink, "goto    Debut", "        goto    Inconnue", "Symbol not previously defined"},
        {"18f4550", TChaine::Gpasm, "goto    Debut", "        goto    Inconnue", "Symbol not previously defined"},
        {"atmega328p", TChaine::Avra, "rjmp    Debut", "        rjmp    Inconnue", "named Inconnue"},
    };
    TTestDir dir;
    int n = 0;
    for (const TCas& c : cas) {
        SCOPED_TRACE(std::string(c.Puce) + " " + std::string(NomChaine(c.Chaine)));
        const std::string dossier = dir.Path("p" + std::to_string(n++));
        const TPlanProjet plan = PrepareNouveauProjet({dossier, "essai", c.Puce, c.Chaine}, TCataloguePuces::Systeme());
        ASSERT_EQ(plan.Erreur, "");
        ASSERT_TRUE(EcritNouveauProjet(plan, false));
        const std::set<std::string> crees = Contenu(dossier);
        ASSERT_EQ(crees.size(), 3u);

        // The project file names the make file and the layout of the assembler's preset.
        const TIniFilePlus ini(plan.Projet);
        EXPECT_EQ(ini.ReadString("Global", "MakeFile", ""), "essai.mke");
        TErrDefaults err;
        ReadErrDefaults(ini, err);
        EXPECT_EQ(err.FichErr, "essai.err");
        EXPECT_EQ(ErrLecteurOf(err), c.Chaine == TChaine::Avra ? TErrLecteur::Avra : TErrLecteur::Gpasm);

        ASSERT_EQ(Make(dossier, "essai.mke"), 0) << dir.Read(fs::path(dossier).filename().string() + "/sortie.txt");
        std::string errs;
        ReadWholeFile(dossier + "/essai.err", errs);
        const TErrCompte clean = CompteErreursTexte(errs, err);
        EXPECT_EQ(clean.Erreurs + clean.Avertissements, 0) << errs;
        EXPECT_EQ(errs.find("Warning"), std::string::npos) << errs;

        // Ctrl+N on the reset vector's jump.
        std::string source;
        ASSERT_TRUE(ReadWholeFile(plan.Source, source));
        const std::vector<std::string> lignes = Lignes(source);
        const std::int32_t saut = LigneOu(lignes, c.Saut);
        ASSERT_GE(saut, 0);
        const std::string code = TrouveCode(FichiersDisque(dossier + "/"), "essai.mke", fs::path(plan.Source).filename().string(), saut);
        const bool deuxMots = c.Chaine != TChaine::Avra && std::string(c.Puce).find("18") != std::string::npos;
        EXPECT_TRUE(std::regex_match(code, std::regex(deuxMots ? "'[^']+' \\$00000000 \\(2 mots\\) : [0-9A-F]{4} [0-9A-F]{4}"
                                                              : "'[^']+' \\$00000000 \\(1 mot\\) : [0-9A-F]{4}")))
            << code;
        EXPECT_EQ(TrouveCode(FichiersDisque(dossier + "/"), "essai.mke", fs::path(plan.Source).filename().string(), 0),
                  "Pas de code trouvé");

        // A planted error, read back on its line with the assembler's whole message.
        std::vector<std::string> fausses = lignes;
        const std::int32_t boucle = LigneOu(lignes, "; travail de la boucle principale");
        ASSERT_GE(boucle, 0);
        fausses[std::size_t(boucle)] = c.Erreur;
        std::string texte;
        for (const std::string& l : fausses)
            texte += l + "\r\n";
        ASSERT_TRUE(WriteFileAtomic(plan.Source, AnsiToOem(texte)));
        EXPECT_NE(Make(dossier, "essai.mke"), 0);
        ReadWholeFile(dossier + "/essai.err", errs);
        const std::vector<std::string> errLignes = Lignes(errs);
        const auto bloc = NextAsmBlock([&](std::int32_t i) -> const std::string& { return errLignes[std::size_t(i)]; },
                                       std::int32_t(errLignes.size()), 0, ErrLecteurOf(err), dossier + "/");
        ASSERT_TRUE(bloc) << errs;
        EXPECT_EQ(fs::path(bloc->FileName).filename(), fs::path(plan.Source).filename());
        EXPECT_EQ(bloc->LineNumber, boucle + 1);
        EXPECT_NE(bloc->Status.find(c.Message), std::string::npos) << bloc->Status;
        EXPECT_EQ(UpperAscii(bloc->Word), "INCONNUE");
        EXPECT_FALSE(fs::exists(dossier + "/essai.hex")) << "a failed build leaves no program";

        // "clean" takes away everything the builds made.
        ASSERT_EQ(Make(dossier, "essai.mke", "clean"), 0);
        fs::remove(dossier + "/sortie.txt");
        EXPECT_EQ(Contenu(dossier), crees);
    }
}

TEST(NouveauProjet, BadRequestsAreRefusedAndNothingExistingIsReplaced)
{
    TCataloguePuces puces;
    puces.AjouteListeGpasm(TFamille::Pic14, "p16f628a p16f84a\n");
    puces.AjouteListeAvra(" ATmega328P   |      16384 | 0x0100 | 2048 | 1024 | 130\n");
    TTestDir dir;
    const std::string d = dir.Path("p");
    TOptionsNouveau opts;
    opts.DossierLkr = dir.Path("lkr/");
    fs::create_directories(opts.DossierLkr);
    std::ofstream(opts.DossierLkr + "16f628a_g.lkr") << "\n";

    const auto erreur = [&](TNouveauProjet p) { return PrepareNouveauProjet(p, puces, opts).Erreur; };
    EXPECT_EQ(erreur({d, "", "16f628a", TChaine::Gplink}), "Donnez un nom au projet.");
    EXPECT_NE(erreur({d, "mon projet", "16f628a", TChaine::Gplink}).find("ne convient pas"), std::string::npos);
    EXPECT_NE(erreur({d, "a/b", "16f628a", TChaine::Gplink}).find("ne convient pas"), std::string::npos);
    EXPECT_EQ(erreur({"", "x", "16f628a", TChaine::Gplink}), "Choisissez le dossier du projet.");
    EXPECT_EQ(erreur({d, "x", "16f999", TChaine::Gpasm}), "Puce « 16f999 » inconnue de gpasm et d'avra.");
    EXPECT_EQ(erreur({d, "x", "atmega328p", TChaine::Gpasm}), "La puce ATmega328P s'assemble avec avra, pas avec gpasm.");
    EXPECT_NE(erreur({d, "x", "16f628a", TChaine::Avra}).find("pas avec avra"), std::string::npos);
    EXPECT_NE(erreur({d, "x", "16f84a", TChaine::Gplink}).find("script"), std::string::npos);
    EXPECT_EQ(erreur({d, "x", "16f84a", TChaine::Gpasm}), "");

    // The main source of a linked project is named apart from the program.
    const TPlanProjet plan = PrepareNouveauProjet({d, "moteur", "PIC16F628A", TChaine::Gplink}, puces, opts);
    ASSERT_EQ(plan.Erreur, "");
    EXPECT_EQ(plan.Source, d + "/principal.asm");
    EXPECT_EQ(plan.Puce, "16f628a");
    EXPECT_EQ(plan.Fichiers.size(), 3u);

    fs::create_directories(d);
    std::ofstream(d + "/moteur.mke") << "à moi\n";
    std::string why;
    EXPECT_FALSE(EcritNouveauProjet(plan, false, &why));
    EXPECT_NE(why.find("moteur.mke existe déjà"), std::string::npos) << why;
    EXPECT_EQ(FichiersExistants(plan), std::vector<std::string>{d + "/moteur.mke"});
    EXPECT_EQ(dir.Read("p/moteur.mke"), "à moi\n");
    EXPECT_FALSE(fs::exists(d + "/principal.asm")) << "nothing is written when one file exists";
    EXPECT_TRUE(EcritNouveauProjet(plan, true, &why)) << why;
    EXPECT_NE(dir.Read("p/moteur.mke").find("gplink -m"), std::string::npos);
}
