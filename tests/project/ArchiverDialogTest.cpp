// The two archive dialogs driven with real clicks, on real folders.
#include "support/TestDir.h"
#include "app/UF_SelDir.h"
#include "config/U_KepFile.h"
#include "platform/IniFile.h"
#include "project/UF_ArchOuvre.h"
#include "project/UF_Archiver.h"
#include "project/U_Archivage.h"
#include "project/U_ProjList.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

using namespace kep;

namespace {

void Grab(QWidget& w, const char* name)
{
    if (const char* dir = std::getenv("KEP_GRAB_DIR"))
        w.grab().save(QString::fromLocal8Bit(dir) + QLatin1Char('/') + QLatin1String(name) + QStringLiteral(".png"));
}

void Click(QAbstractButton* b)
{
    QTest::mouseClick(b, Qt::LeftButton, {}, QPoint(8, b->height() / 2));
}

class TArchiveDialogs : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::filesystem::create_directories(Dir.Path("run"));
        std::filesystem::permissions(Dir.Path("run"), std::filesystem::perms::owner_all);
        qputenv("XDG_RUNTIME_DIR", QByteArray::fromStdString(Dir.Path("run")));
        qputenv("XDG_DATA_HOME", QByteArray::fromStdString(Dir.Path("data")));
        Projet = Dir.Write("MOTEUR/moteur.pja", "[Global]\r\nNbrEdit=0\r\n");
        Dir.Write("MOTEUR/main.asm", "        nop\r\n");
        Autre = Dir.Write("AUTRE/autre.pja", "[Global]\r\nMakeFile=a.mke\r\n");
        NomFichOptions =
            Dir.Write("kep.ini", "[Global]\r\nProjAct=1\r\n[Proj]\r\n0=" + Autre + "\r\n1=" + Projet + "\r\n");
        NomProjet = Projet;
    }
    void TearDown() override
    {
        NomFichOptions.clear();
        NomProjet.clear();
    }

    // A dialog shown, its boxes answered by recorders.
    template <class D>
    std::unique_ptr<D> Shown()
    {
        auto dlg = std::make_unique<D>(Projet);
        dlg->ShowMessage = [this](const QString& t) { Messages << t; };
        dlg->AskOkCancel = [this](const QString& t) {
            Asked << t;
            return Answer;
        };
        dlg->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(dlg.get()));
        return dlg;
    }
    std::unique_ptr<TEcrArchiver> Archiver() { return Shown<TEcrArchiver>(); }
    std::unique_ptr<TEcrOuvreArchive> Ouvre() { return Shown<TEcrOuvreArchive>(); }

    TTestDir Dir;
    std::string Projet, Autre;
    QStringList Messages, Asked;
    bool Answer = true;
};

TEST_F(TArchiveDialogs, ArchiverProposesNamesAndFollowsItsEnablingRules)
{
    auto dlg = Archiver();
    Grab(*dlg, "archiver");
    EXPECT_EQ(dlg->windowTitle(), QStringLiteral("Archiver le projet ?"));
    EXPECT_EQ(dlg->edNomZip->text().toStdString(), Dir.Path("MOTEUR.zip"));
    EXPECT_EQ(dlg->edNomCopie->text().toStdString(), Dir.Path("MOTEUR1"));
    // Defaults.
    EXPECT_FALSE(dlg->cbCreerZip->isChecked());
    EXPECT_TRUE(dlg->rbCheminVide->isChecked());
    EXPECT_TRUE(dlg->cbMarqueArchive->isChecked());
    EXPECT_TRUE(dlg->cbCreerCopie->isChecked());
    EXPECT_TRUE(dlg->rbNouvDossier->isChecked());
    EXPECT_FALSE(dlg->cbNettoyer->isChecked());
    EXPECT_FALSE(dlg->edNomZip->isEnabled());
    EXPECT_FALSE(dlg->btnNouvZip->isEnabled());
    EXPECT_FALSE(dlg->rbCheminComplet->isEnabled());

    Click(dlg->cbCreerZip);
    EXPECT_TRUE(dlg->edNomZip->isEnabled());
    EXPECT_TRUE(dlg->btnNouvZip->isEnabled());
    for (QRadioButton* rb : {dlg->rbCheminVide, dlg->rbCheminNomProj, dlg->rbCheminComplet})
        EXPECT_TRUE(rb->isEnabled());

    // Clearing the copy disables its field and clears "work on the copy".
    Click(dlg->cbCreerCopie);
    EXPECT_FALSE(dlg->edNomCopie->isEnabled());
    EXPECT_FALSE(dlg->btnNouvProj->isEnabled());
    EXPECT_FALSE(dlg->rbNouvDossier->isEnabled());
    EXPECT_FALSE(dlg->rbNouvDossier->isChecked());
    EXPECT_EQ(dlg->Options().CreeCopie, false);
    // Cleaning needs something made.
    EXPECT_TRUE(dlg->cbNettoyer->isEnabled());
    Click(dlg->cbCreerZip);
    EXPECT_FALSE(dlg->cbNettoyer->isEnabled());
    Click(dlg->cbCreerCopie);
    EXPECT_TRUE(dlg->cbNettoyer->isEnabled());
    EXPECT_TRUE(dlg->rbNouvDossier->isEnabled());

    // Read-only needs the mark, and excludes cleaning.
    Click(dlg->rbLectureSeule);
    EXPECT_TRUE(dlg->rbLectureSeule->isChecked());
    EXPECT_FALSE(dlg->cbNettoyer->isEnabled());
    Click(dlg->cbMarqueArchive);
    EXPECT_FALSE(dlg->rbLectureSeule->isEnabled());
    EXPECT_FALSE(dlg->rbLectureSeule->isChecked());
    EXPECT_TRUE(dlg->cbNettoyer->isEnabled());
    Click(dlg->cbMarqueArchive);
    EXPECT_TRUE(dlg->rbLectureSeule->isEnabled());
    Click(dlg->cbNettoyer);
    EXPECT_FALSE(dlg->rbLectureSeule->isEnabled());
    Click(dlg->cbNettoyer);
    EXPECT_TRUE(dlg->rbLectureSeule->isEnabled());
}

TEST_F(TArchiveDialogs, ArchiverOptionsAndBoundsComeFromAndGoToTheProjectFile)
{
    Dir.Write("MOTEUR/moteur.pja", "[Archivage]\r\nBounds=30,40,600,420\r\nCreeZip=1\r\nOptChemin=1\r\nCreeCopie=0\r\n"
                                   "OptSuite=2\r\nSupOrigine=1\r\n");
    {
        auto dlg = Archiver();
        EXPECT_TRUE(dlg->cbCreerZip->isChecked());
        EXPECT_TRUE(dlg->rbCheminNomProj->isChecked());
        EXPECT_FALSE(dlg->cbCreerCopie->isChecked());
        EXPECT_TRUE(dlg->rbFermerProjet->isChecked());
        EXPECT_TRUE(dlg->cbNettoyer->isChecked());
        EXPECT_FALSE(dlg->rbLectureSeule->isEnabled());
        EXPECT_EQ(dlg->width(), 600);
        Click(dlg->rbCheminComplet);
        Click(dlg->cbCreerCopie);
        Click(dlg->rbNouvDossier);
        EXPECT_TRUE(dlg->cbMarqueArchive->isChecked());
        Click(dlg->cbMarqueArchive);
        dlg->EcritOptions();
    }
    // The mark option unchecked comes back unchecked.
    EXPECT_FALSE(Archiver()->cbMarqueArchive->isChecked());
    TIniFile ini(Projet);
    const TOptArchivage o = LitOptArchivage(ini);
    EXPECT_EQ(o.OptChemin, 2);
    EXPECT_TRUE(o.CreeCopie);
    EXPECT_EQ(o.OptSuite, 0);
    EXPECT_FALSE(EstArchive(ini));
    EXPECT_FALSE(ini.ReadString("Archivage", "Bounds", "").empty());
}

TEST_F(TArchiveDialogs, ArchiverBrowsesForTheZipFileAndTheCopyFolder)
{
    auto dlg = Archiver();
    Click(dlg->cbCreerZip);
    QString startZip;
    dlg->AskZipName = [&](const QString& start) {
        startZip = start;
        return QStringLiteral("/ailleurs/x.zip");
    };
    Click(dlg->btnNouvZip);
    EXPECT_EQ(startZip.toStdString(), Dir.Path("MOTEUR.zip"));
    EXPECT_EQ(dlg->edNomZip->text(), QStringLiteral("/ailleurs/x.zip"));
    dlg->AskZipName = [](const QString&) { return QString(); };
    Click(dlg->btnNouvZip);
    EXPECT_EQ(dlg->edNomZip->text(), QStringLiteral("/ailleurs/x.zip"));

    QString parent, name;
    dlg->AskFolder = [&](const QString& p, const QString& n) {
        parent = p;
        name = n;
        return QStringLiteral("/autre/MOTEUR1");
    };
    Click(dlg->btnNouvProj);
    EXPECT_EQ(parent.toStdString(), Dir.Dir());
    EXPECT_EQ(name, QStringLiteral("MOTEUR1"));
    EXPECT_EQ(dlg->edNomCopie->text(), QStringLiteral("/autre/MOTEUR1"));

    // The chooser keeps the new folder's name after the selected folder.
    TEcrSelDir chooser;
    chooser.SetNewName(QStringLiteral("MOTEUR1"));
    chooser.SetFolder(QString::fromStdString(Dir.Path("MOTEUR")));
    EXPECT_EQ(chooser.Folder().toStdString(), Dir.Path("MOTEUR") + "/MOTEUR1");
    chooser.SetFolder(QString::fromStdString(Dir.Dir()));
    EXPECT_EQ(chooser.Folder().toStdString(), Dir.Dir() + "/MOTEUR1");
}

TEST_F(TArchiveDialogs, ArchiverOkMakesTheCopyAndMovesTheListCheckToIt)
{
    auto dlg = Archiver();
    Click(dlg->cbCreerZip);
    // An existing folder is asked about; declining leaves everything.
    std::filesystem::create_directories(Dir.Path("MOTEUR1"));
    Answer = false;
    Click(dlg->btnOk);
    ASSERT_EQ(Asked.size(), 1);
    EXPECT_EQ(Asked[0].toStdString(), "Le dossier " + Dir.Path("MOTEUR1") + " existe, continuer ?");
    EXPECT_TRUE(dlg->isVisible());
    EXPECT_FALSE(dlg->Fait);
    EXPECT_FALSE(Dir.Exists("MOTEUR.zip"));
    EXPECT_FALSE(EstArchive(TIniFile(Projet)));

    Answer = true;
    Click(dlg->btnOk);
    EXPECT_EQ(dlg->result(), QDialog::Accepted);
    EXPECT_TRUE(dlg->Fait);
    EXPECT_TRUE(Messages.isEmpty()) << Messages.join('|').toStdString();
    EXPECT_TRUE(Dir.Exists("MOTEUR.zip"));
    EXPECT_TRUE(EstArchive(TIniFile(Projet)));
    EXPECT_EQ(Dir.Read("MOTEUR1/main.asm"), "        nop\r\n");
    EXPECT_FALSE(EstArchive(TIniFile(Dir.Path("MOTEUR1/moteur.pja"))));
    const TProjList list = LoadProjList(TIniFile(NomFichOptions));
    ASSERT_EQ(list.Paths.size(), 3u);
    EXPECT_EQ(list.Paths[2], Dir.Path("MOTEUR1/moteur.pja"));
    EXPECT_EQ(list.Checked, 2);
}

TEST_F(TArchiveDialogs, ArchiverRefusesAZipNameThatCannotBeAFileBeforeAnything)
{
    auto dlg = Archiver();
    Click(dlg->cbCreerZip);
    std::filesystem::create_directories(Dir.Path("MOTEUR1"));
    for (const std::string& name : {std::string(), Dir.Path("MOTEUR")}) {
        dlg->edNomZip->setText(QString::fromStdString(name));
        Click(dlg->btnOk);
    }
    ASSERT_EQ(Messages.size(), 2);
    EXPECT_EQ(Messages[0].toStdString(), "Le nom du fichier ZIP est vide : indiquez le fichier à créer.");
    EXPECT_EQ(Messages[1].toStdString(),
              "Le nom du fichier ZIP " + Dir.Path("MOTEUR") + " est celui d'un dossier : choisissez le nom d'un fichier.");
    // Nothing asked, made or marked; the dialog stays for another name.
    EXPECT_TRUE(Asked.isEmpty());
    EXPECT_TRUE(dlg->isVisible());
    EXPECT_FALSE(dlg->Fait);
    EXPECT_FALSE(Dir.Exists("MOTEUR1/moteur.pja"));
    EXPECT_FALSE(EstArchive(TIniFile(Projet)));
}

TEST_F(TArchiveDialogs, ArchiverCopyKeepsTheCheckWhereItWas)
{
    Dir.Write("kep.ini", "[Global]\r\nProjAct=0\r\n[Proj]\r\n0=" + Autre + "\r\n1=" + Projet + "\r\n");
    auto dlg = Archiver();
    Click(dlg->btnOk);
    EXPECT_TRUE(dlg->Fait) << Messages.join('|').toStdString();
    const TProjList list = LoadProjList(TIniFile(NomFichOptions));
    ASSERT_EQ(list.Paths.size(), 3u);
    EXPECT_EQ(list.Checked, 0);
    // A failed copy is told and changes nothing.
    auto again = Archiver();
    again->edNomCopie->setText(QString::fromStdString(Dir.Path("MOTEUR/dedans")));
    Click(again->btnOk);
    EXPECT_FALSE(again->Fait);
    ASSERT_EQ(Messages.size(), 1);
    EXPECT_TRUE(Messages[0].startsWith(QStringLiteral("La copie du projet dans "))) << Messages[0].toStdString();
    EXPECT_EQ(LoadProjList(TIniFile(NomFichOptions)).Paths.size(), 3u);
}

TEST_F(TArchiveDialogs, OpenArchiveReadOnlyQuitOrCancel)
{
    {
        auto dlg = Ouvre();
        Grab(*dlg, "ouvre_archive");
        EXPECT_EQ(dlg->windowTitle(), QStringLiteral("Ouverture d'une archive"));
        EXPECT_EQ(dlg->lblTexte->text(), QStringLiteral("Le projet que vous voulez ouvrir a été archivé."));
        EXPECT_EQ(dlg->panNomProj->text().toStdString(), Projet);
        EXPECT_EQ(dlg->edNouvNom->text().toStdString(), Dir.Path("MOTEUR1"));
        EXPECT_TRUE(dlg->rbLecture->isChecked());
        EXPECT_FALSE(dlg->edNouvNom->isEnabled());
        EXPECT_FALSE(dlg->btnRepertCopie->isEnabled());
        Click(dlg->rbCopie);
        EXPECT_TRUE(dlg->edNouvNom->isEnabled());
        EXPECT_TRUE(dlg->btnRepertCopie->isEnabled());
        Click(dlg->rbLecture);
        EXPECT_FALSE(dlg->edNouvNom->isEnabled());
        Click(dlg->btnOk);
        EXPECT_EQ(dlg->result(), TEcrOuvreArchive::mrIgnore);
    }
    {
        auto dlg = Ouvre();
        Click(dlg->rbQuitter);
        Click(dlg->btnOk);
        EXPECT_EQ(dlg->result(), TEcrOuvreArchive::mrNo);
    }
    {
        auto dlg = Ouvre();
        Click(dlg->btnQuitter);
        EXPECT_EQ(dlg->result(), TEcrOuvreArchive::mrCancel);
    }
    EXPECT_FALSE(Dir.Exists("MOTEUR1/moteur.pja"));
}

TEST_F(TArchiveDialogs, OpenArchiveCopiesThenNamesTheCopy)
{
    MarqueArchive(Projet, true);
    auto dlg = Ouvre();
    Click(dlg->rbCopie);
    // Into the archive itself: refused, the dialog stays.
    dlg->edNouvNom->setText(QString::fromStdString(Dir.Path("MOTEUR/V2")));
    Click(dlg->btnOk);
    EXPECT_TRUE(dlg->isVisible());
    EXPECT_EQ(Messages.size(), 1);
    EXPECT_EQ(dlg->NomProjet(), Projet);

    std::filesystem::create_directories(Dir.Path("V3"));
    dlg->edNouvNom->setText(QString::fromStdString(Dir.Path("V3")));
    Answer = false;
    Click(dlg->btnOk);
    ASSERT_EQ(Asked.size(), 1);
    EXPECT_EQ(Asked[0].toStdString(), "Le dossier " + Dir.Path("V3") + " existe,\r continuer et écraser ?");
    EXPECT_TRUE(dlg->isVisible());
    EXPECT_FALSE(Dir.Exists("V3/moteur.pja"));

    Answer = true;
    Click(dlg->btnOk);
    EXPECT_EQ(dlg->result(), TEcrOuvreArchive::mrOk);
    EXPECT_EQ(dlg->NomProjet(), Dir.Path("V3/moteur.pja"));
    EXPECT_FALSE(EstArchive(TIniFile(Dir.Path("V3/moteur.pja"))));
    EXPECT_TRUE(EstArchive(TIniFile(Projet)));
    const TProjList list = LoadProjList(TIniFile(NomFichOptions));
    ASSERT_EQ(list.Paths.size(), 3u);
    EXPECT_EQ(list.Paths[2], Dir.Path("V3/moteur.pja"));
    EXPECT_EQ(list.Checked, 2);
}

} // namespace
