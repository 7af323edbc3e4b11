// Archiving without windows: the names proposed, the options kept in the
// project file, and the zip / mark / copy run of "Ok".
#include "support/TestDir.h"

#include "platform/IniFile.h"
#include "project/U_Archivage.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include <unistd.h>

namespace {

using namespace kep;

std::vector<std::string> ZipNames(const std::string& archive)
{
    std::vector<std::string> names;
    FILE* p = popen(("unzip -Z1 '" + archive + "' 2>/dev/null").c_str(), "r");
    if (!p)
        return names;
    char line[4096];
    while (std::fgets(line, sizeof line, p)) {
        std::string s(line);
        while (!s.empty() && (s.back() == '\n' || s.back() == '\r'))
            s.pop_back();
        names.push_back(s);
    }
    pclose(p);
    std::sort(names.begin(), names.end());
    return names;
}

std::string ZipEntry(const std::string& archive, const std::string& name)
{
    std::string out;
    FILE* p = popen(("unzip -p '" + archive + "' '" + name + "' 2>/dev/null").c_str(), "r");
    if (!p)
        return out;
    char buf[4096];
    std::size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, p)) > 0)
        out.append(buf, n);
    pclose(p);
    return out;
}

TEST(Archivage, NamesProposedForTheNextVersionAndTheZipFile)
{
    EXPECT_EQ(NouvelleVersion("/travail/MOTEUR"), "/travail/MOTEUR1");
    EXPECT_EQ(NouvelleVersion("/travail/MOTEUR1"), "/travail/MOTEUR2");
    EXPECT_EQ(NouvelleVersion("/travail/V09"), "/travail/V10");
    EXPECT_EQ(NouvelleVersion("/travail/ESSAI7"), "/travail/ESSAI8");
    EXPECT_EQ(NouvelleVersion("/travail/V001"), "/travail/V002");
    EXPECT_EQ(NouvelleVersion("/travail/V99"), "/travail/V100");
    EXPECT_EQ(NouvelleVersion("/travail/2024"), "/travail/2025");
    // Digits of a parent folder are not the version.
    EXPECT_EQ(NouvelleVersion("/travail7/MOTEUR"), "/travail7/MOTEUR1");
    EXPECT_EQ(NouvelleVersion("/p/X99999999999999999999999"), "/p/X100000000000000000000000");

    EXPECT_EQ(NomZipDefaut("/travail/MOTEUR"), "/travail/MOTEUR.zip");
    EXPECT_EQ(NomZipDefaut("/travail/moteur.v2"), "/travail/moteur.zip");
    EXPECT_EQ(NomZipDefaut("/tra.vail/MOTEUR"), "/tra.vail/MOTEUR.zip");
    EXPECT_EQ(NomZipDefaut("/travail/.cache"), "/travail/.cache.zip");

    EXPECT_EQ(DossierProjet("/travail/MOTEUR/moteur.pja"), "/travail/MOTEUR");
    EXPECT_EQ(ProjetDansCopie("/travail/MOTEUR1", "/travail/MOTEUR/moteur.pja"), "/travail/MOTEUR1/moteur.pja");
    EXPECT_EQ(ProjetDansCopie("/travail/MOTEUR1/", "/travail/MOTEUR/moteur.pja"), "/travail/MOTEUR1/moteur.pja");

    const TDossierDecoupe d = DecoupeDossier("/travail/MOTEUR1");
    EXPECT_EQ(d.Parent, "/travail");
    EXPECT_EQ(d.Nom, "MOTEUR1");
    EXPECT_EQ(DecoupeDossier("/MOTEUR1").Parent, "/");
    EXPECT_EQ(DecoupeDossier("MOTEUR1").Parent, "");
    EXPECT_EQ(DecoupeDossier("MOTEUR1").Nom, "MOTEUR1");
}

TEST(Archivage, OptionsKeptInTheProjectFileButNeverTheMark)
{
    TTestDir dir;
    const std::string p = dir.Write("p/demo.pja", "[Global]\r\nNbrEdit=0\r\n");
    {
        TIniFile ini(p);
        const TOptArchivage o = LitOptArchivage(ini);
        EXPECT_FALSE(o.CreeZip);
        EXPECT_EQ(o.OptChemin, 0);
        EXPECT_TRUE(o.Archive);
        EXPECT_TRUE(o.CreeCopie);
        EXPECT_EQ(o.OptSuite, 0);
        EXPECT_FALSE(o.SupOrigine);
    }
    {
        TIniFile ini(p);
        TOptArchivage o;
        o.CreeZip = true;
        o.OptChemin = 2;
        o.Archive = true;
        o.CreeCopie = false;
        o.OptSuite = 1;
        o.SupOrigine = true;
        ASSERT_TRUE(EcritOptArchivage(ini, o));
    }
    const std::string text = dir.Read("p/demo.pja");
    EXPECT_NE(text.find("CreeZip=1"), std::string::npos);
    EXPECT_NE(text.find("OptChemin=2"), std::string::npos);
    EXPECT_NE(text.find("CreeCopie=0"), std::string::npos);
    EXPECT_NE(text.find("OptSuite=1"), std::string::npos);
    EXPECT_NE(text.find("SupOrigine=1"), std::string::npos);
    // Writing the options does not archive the project.
    EXPECT_EQ(text.find("Archive="), std::string::npos);
    {
        TIniFile ini(p);
        EXPECT_FALSE(EstArchive(ini));
        const TOptArchivage o = LitOptArchivage(ini);
        EXPECT_TRUE(o.CreeZip);
        EXPECT_EQ(o.OptChemin, 2);
        EXPECT_FALSE(o.CreeCopie);
        EXPECT_EQ(o.OptSuite, 1);
        EXPECT_TRUE(o.SupOrigine);
    }
    // Every key of its own: the complement read back.
    {
        TIniFile ini(p);
        TOptArchivage o;
        o.CreeZip = false;
        o.OptChemin = 1;
        o.CreeCopie = true;
        o.OptSuite = 2;
        o.SupOrigine = true;
        ASSERT_TRUE(EcritOptArchivage(ini, o));
        o.SupOrigine = false;
        o.CreeZip = true;
        o.CreeCopie = false;
        const TOptArchivage r = LitOptArchivage(TIniFile(p));
        EXPECT_FALSE(r.CreeZip);
        EXPECT_EQ(r.OptChemin, 1);
        EXPECT_TRUE(r.CreeCopie);
        EXPECT_EQ(r.OptSuite, 2);
        EXPECT_TRUE(r.SupOrigine);
        ASSERT_TRUE(EcritOptArchivage(ini, o));
        const TOptArchivage r2 = LitOptArchivage(TIniFile(p));
        EXPECT_TRUE(r2.CreeZip);
        EXPECT_FALSE(r2.CreeCopie);
        EXPECT_FALSE(r2.SupOrigine);
    }
    // Numbers out of range.
    dir.Write("p/b.pja", "[Archivage]\r\nOptChemin=3\r\nOptSuite=-1\r\nArchive=0\r\n");
    {
        TIniFile ini(dir.Path("p/b.pja"));
        const TOptArchivage o = LitOptArchivage(ini);
        EXPECT_EQ(o.OptChemin, 0);
        EXPECT_EQ(o.OptSuite, 0);
        EXPECT_FALSE(o.Archive);
    }
    // The mark: set, then cleared by removing the key.
    ASSERT_TRUE(MarqueArchive(p, true));
    EXPECT_TRUE(EstArchive(TIniFile(p)));
    EXPECT_NE(dir.Read("p/demo.pja").find("Archive=1"), std::string::npos);
    ASSERT_TRUE(MarqueArchive(p, false));
    EXPECT_FALSE(EstArchive(TIniFile(p)));
    EXPECT_TRUE(LitOptArchivage(TIniFile(p)).Archive);
    EXPECT_TRUE(MarqueArchive(p, false));
}

TEST(Archivage, TheMarkOptionUncheckedIsRememberedWithoutTouchingAMark)
{
    TTestDir dir;
    const std::string p = dir.Write("p/demo.pja", "[Global]\r\nNbrEdit=0\r\n");
    TOptArchivage o;
    o.Archive = false;
    {
        TIniFile ini(p);
        ASSERT_TRUE(EcritOptArchivage(ini, o));
    }
    EXPECT_FALSE(LitOptArchivage(TIniFile(p)).Archive);
    EXPECT_FALSE(EstArchive(TIniFile(p)));
    // Checked again: back to the default, and still not archived.
    o.Archive = true;
    {
        TIniFile ini(p);
        ASSERT_TRUE(EcritOptArchivage(ini, o));
    }
    EXPECT_TRUE(LitOptArchivage(TIniFile(p)).Archive);
    EXPECT_FALSE(EstArchive(TIniFile(p)));
    // An archived project keeps its mark whatever the option.
    ASSERT_TRUE(MarqueArchive(p, true));
    o.Archive = false;
    {
        TIniFile ini(p);
        ASSERT_TRUE(EcritOptArchivage(ini, o));
    }
    EXPECT_TRUE(EstArchive(TIniFile(p)));
}

class ArchivageRun : public ::testing::Test {
protected:
    void SetUp() override
    {
        Projet = Dir.Write("MOTEUR/moteur.pja", "[Global]\r\nNbrEdit=1\r\n[Edit0]\r\nNom=main.asm\r\n");
        Dir.Write("MOTEUR/main.asm", "        nop\r\n");
        Dir.Write("MOTEUR/LIB/IO.INC", "; io\r\n");
        Demande.NomProjet = Projet;
        Demande.NomZip = Dir.Path("MOTEUR.zip");
        Demande.NomCopie = Dir.Path("MOTEUR1");
    }
    TTestDir Dir;
    std::string Projet;
    TDemandeArchivage Demande;
};

TEST_F(ArchivageRun, ZipHoldsTheUnmarkedProjectAndTheCopyLosesTheMark)
{
    Demande.Opts.CreeZip = true;
    const TResultatArchivage r = ExecuteArchivage(Demande);
    EXPECT_TRUE(r.Messages.empty()) << (r.Messages.empty() ? "" : r.Messages.front());
    EXPECT_TRUE(r.Fait);
    EXPECT_TRUE(r.ZipFait);
    EXPECT_TRUE(r.CopieFaite);
    EXPECT_EQ(r.ProjetCopie, Dir.Path("MOTEUR1/moteur.pja"));

    EXPECT_EQ(ZipNames(Demande.NomZip), (std::vector<std::string>{"LIB/IO.INC", "main.asm", "moteur.pja"}));
    EXPECT_EQ(ZipEntry(Demande.NomZip, "moteur.pja").find("Archive"), std::string::npos);
    EXPECT_TRUE(EstArchive(TIniFile(Projet)));
    EXPECT_EQ(Dir.Read("MOTEUR1/LIB/IO.INC"), "; io\r\n");
    EXPECT_FALSE(EstArchive(TIniFile(r.ProjetCopie)));
}

TEST_F(ArchivageRun, NameFormsOfTheZipFile)
{
    Demande.Opts.CreeZip = true;
    Demande.Opts.Archive = false;
    Demande.Opts.CreeCopie = false;
    Demande.Opts.OptChemin = 1;
    ASSERT_TRUE(ExecuteArchivage(Demande).ZipFait);
    EXPECT_EQ(ZipNames(Demande.NomZip),
              (std::vector<std::string>{"MOTEUR/LIB/IO.INC", "MOTEUR/main.asm", "MOTEUR/moteur.pja"}));
    Demande.Opts.OptChemin = 2;
    ASSERT_TRUE(ExecuteArchivage(Demande).ZipFait);
    const std::string full = Dir.Path("MOTEUR/LIB/IO.INC").substr(1);
    const std::vector<std::string> names = ZipNames(Demande.NomZip);
    EXPECT_NE(std::find(names.begin(), names.end(), full), names.end());
    EXPECT_EQ(names.size(), 3u);
    // The copy alone is enough for Fait.
    Demande.Opts.CreeZip = false;
    Demande.Opts.CreeCopie = true;
    TResultatArchivage copie = ExecuteArchivage(Demande);
    EXPECT_TRUE(copie.Fait);
    EXPECT_FALSE(copie.ZipFait);
    EXPECT_TRUE(copie.CopieFaite);
    std::filesystem::remove_all(Dir.Path("MOTEUR1"));
    // Nothing asked: nothing made, nothing marked.
    Demande.Opts.CreeCopie = false;
    const TResultatArchivage r = ExecuteArchivage(Demande);
    EXPECT_FALSE(r.Fait);
    EXPECT_FALSE(EstArchive(TIniFile(Projet)));
    EXPECT_FALSE(Dir.Exists("MOTEUR1/moteur.pja"));
}

TEST_F(ArchivageRun, FailuresAreToldAndOnlyWhatWasMadeCounts)
{
    // A zip file in a missing folder, and a copy into the project itself.
    Demande.Opts.CreeZip = true;
    Demande.NomZip = Dir.Path("absent/MOTEUR.zip");
    Demande.NomCopie = Dir.Path("MOTEUR/V2");
    TResultatArchivage r = ExecuteArchivage(Demande);
    EXPECT_FALSE(r.Fait);
    EXPECT_FALSE(r.ZipFait);
    EXPECT_FALSE(r.CopieFaite);
    ASSERT_EQ(r.Messages.size(), 2u);
    EXPECT_EQ(r.Messages[0].rfind("Error opening " + Demande.NomZip, 0), 0u) << r.Messages[0];
    EXPECT_NE(r.Messages[1].find("La copie du projet dans " + Demande.NomCopie + " a échoué."), std::string::npos);
    EXPECT_FALSE(Dir.Exists("MOTEUR/V2/moteur.pja"));
    // The mark is written all the same.
    EXPECT_TRUE(EstArchive(TIniFile(Projet)));

    // The zip alone is enough for Fait.
    Demande.NomZip = Dir.Path("MOTEUR.zip");
    r = ExecuteArchivage(Demande);
    EXPECT_TRUE(r.Fait);
    EXPECT_TRUE(r.ZipFait);
    EXPECT_FALSE(r.CopieFaite);
    EXPECT_EQ(r.Messages.size(), 1u);

    // A file that cannot be read: the rest is archived, the archive is told
    // incomplete and counts for nothing (the old folder would hold the
    // only whole version).
    Demande.Opts.CreeCopie = false;
    Demande.Zip.Read = [](int fd, char* buf, std::size_t size) -> ssize_t {
        char link[64], path[4096];
        std::snprintf(link, sizeof link, "/proc/self/fd/%d", fd);
        const ssize_t n = readlink(link, path, sizeof path - 1);
        if (n > 0 && std::string(path, std::size_t(n)).ends_with("/IO.INC"))
            return errno = EIO, -1;
        return read(fd, buf, size);
    };
    r = ExecuteArchivage(Demande);
    EXPECT_FALSE(r.Fait);
    EXPECT_FALSE(r.ZipFait);
    ASSERT_EQ(r.Messages.size(), 1u);
    EXPECT_EQ(r.Messages[0], "L'archive " + Demande.NomZip + " a été créée, mais elle n'est pas complète : ce qui suit "
                             "n'a pu être lu et n'y est pas :\n  " + Dir.Path("MOTEUR/LIB/IO.INC")
                             + " : erreur d'entrée-sortie du disque");
    EXPECT_EQ(ZipNames(Demande.NomZip), (std::vector<std::string>{"main.asm", "moteur.pja"}));
}

TEST(Archivage, ZipNamesThatCannotBeAFileAreRefused)
{
    TTestDir dir;
    dir.Write("P/a.asm", "a");
    EXPECT_EQ(VerifieNomZip(""), "Le nom du fichier ZIP est vide : indiquez le fichier à créer.");
    EXPECT_EQ(VerifieNomZip(dir.Path("P")),
              "Le nom du fichier ZIP " + dir.Path("P") + " est celui d'un dossier : choisissez le nom d'un fichier.");
    EXPECT_EQ(VerifieNomZip(dir.Path("Q/")),
              "Le nom du fichier ZIP " + dir.Path("Q/") + " est celui d'un dossier : choisissez le nom d'un fichier.");
    EXPECT_EQ(VerifieNomZip(dir.Path("absent/p.zip")),
              "Le dossier du fichier ZIP " + dir.Path("absent/p.zip") + " n'existe pas.");
    EXPECT_EQ(VerifieNomZip(dir.Path("p.zip")), "");
}

TEST(Archivage, ShellOperations)
{
    TTestDir dir;
    dir.Write("A/x.asm", "x");
    std::string why;
    ASSERT_TRUE(CopieShell(dir.Path("A"), dir.Path("B"), foCopie, &why)) << why;
    EXPECT_EQ(dir.Read("B/x.asm"), "x");

    const std::string data = dir.Path("data");
    const char* old = std::getenv("XDG_DATA_HOME");
    const std::string saved = old ? old : "";
    setenv("XDG_DATA_HOME", data.c_str(), 1);
    const bool trashed = CopieShell(dir.Path("A"), std::string(), foSupprime, &why);
    if (old)
        setenv("XDG_DATA_HOME", saved.c_str(), 1);
    else
        unsetenv("XDG_DATA_HOME");
    ASSERT_TRUE(trashed) << why;
    EXPECT_FALSE(std::filesystem::exists(dir.Path("A")));
    EXPECT_EQ(dir.Read("data/Trash/files/A/x.asm"), "x");

    EXPECT_FALSE(CopieShell(dir.Path("B"), dir.Path("C"), 4, &why));
    EXPECT_FALSE(why.empty());
    EXPECT_FALSE(std::filesystem::exists(dir.Path("C")));
}

} // namespace
