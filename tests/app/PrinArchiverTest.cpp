// Archiving from the main window, and opening an archived project.
#include "app/PrinFixture.h"

#include "platform/IniFile.h"
#include "project/UF_ArchOuvre.h"
#include "project/UF_Archiver.h"
#include "project/U_Archivage.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>

#include <filesystem>
#include <functional>

namespace {

using kep::TEcrArchiver;
using kep::TEcrOuvreArchive;

void Click(QAbstractButton* b)
{
    b->click();
}

class TPrinArchive : public TPrinFixture {
protected:
    void SetUp() override
    {
        TPrinFixture::SetUp();
        qputenv("XDG_DATA_HOME", QByteArray::fromStdString(Dir.Path("data")));
    }

    // The next archive dialog is answered by `act`, which clicks in it.
    template <class D>
    void Answer(std::function<void(D&)> act)
    {
        W->ExecDialog = [this, act](QDialog& dlg) {
            Dialogs << dlg.metaObject()->className();
            if (auto* d = qobject_cast<D*>(&dlg))
                act(*d);
            return dlg.result() == QDialog::Accepted;
        };
    }
    // Starts on an archived project of one source, the archive dialog
    // answered by `act`.
    bool StartArchived(std::function<void(TEcrOuvreArchive&)> act)
    {
        Source("a.asm");
        ProjectPath = Project("[Global]\r\nNbrEdit=1\r\n[Edit0]\r\nNom=a.asm\r\n[Archivage]\r\nArchive=1\r\n");
        W = Make({ProjectPath});
        Answer<TEcrOuvreArchive>(std::move(act));
        return W->FormCreate();
    }
    std::string Trashed(const std::string& name) const { return Dir.Path("data/Trash/files/" + name); }

    QStringList Dialogs;
};

TEST_F(TPrinArchive, ArchivedProjectOpensReadOnly)
{
    ASSERT_TRUE(StartArchived([](TEcrOuvreArchive& d) { Click(d.btnOk); }));
    EXPECT_EQ(Dialogs, QStringList{"kep::TEcrOuvreArchive"});
    EXPECT_TRUE(ProjetProtege);
    EXPECT_TRUE(Ed(0)->Buffer().ReadOnly);
    EXPECT_FALSE(W->Action("MF_Ouvre")->isVisible());
    EXPECT_FALSE(W->Action("MP_Archiver")->isVisible());
    EXPECT_TRUE(Messages.contains(QStringLiteral("Ce projet est protégé. Vous ne pouvez que le consulter")));
    const std::string before = Dir.Read("p/demo.pja");
    W->Action("MF_ToutEnreg")->trigger();
    EXPECT_TRUE(W->close());
    EXPECT_EQ(Dir.Read("p/demo.pja"), before);
}

TEST_F(TPrinArchive, ArchivedProjectCopiedThenTheCopyOpened)
{
    ASSERT_TRUE(StartArchived([](TEcrOuvreArchive& d) {
        Click(d.rbCopie);
        Click(d.btnOk);
    }));
    EXPECT_EQ(kep::NomProjet, Dir.Path("p1/demo.pja"));
    EXPECT_FALSE(ProjetProtege);
    ASSERT_EQ(S().Count(), 1);
    EXPECT_EQ(Ed(0)->FileName, Dir.Path("p1/a.asm"));
    EXPECT_FALSE(Ed(0)->Buffer().ReadOnly);
    EXPECT_TRUE(W->Action("MF_Ouvre")->isVisible());
    // Only the first opening asked.
    EXPECT_EQ(Dialogs.size(), 1);
    EXPECT_FALSE(kep::EstArchive(kep::TIniFile(Dir.Path("p1/demo.pja"))));
    EXPECT_TRUE(kep::EstArchive(kep::TIniFile(ProjectPath)));
    EXPECT_TRUE(W->close());
}

TEST_F(TPrinArchive, ArchivedProjectLeftAlone)
{
    ASSERT_FALSE(StartArchived([](TEcrOuvreArchive& d) {
        Click(d.rbQuitter);
        Click(d.btnOk);
    }));
    EXPECT_TRUE(W->Termine());
    W.reset();
    ASSERT_FALSE(StartArchived([](TEcrOuvreArchive& d) { Click(d.btnQuitter); }));
    EXPECT_FALSE(Dir.Exists("p1/demo.pja"));
}

TEST_F(TPrinArchive, SwitchingToAnArchivedProjectAndLeavingEndsTheProgram)
{
    ASSERT_TRUE(StartWith({"a.asm"}));
    Dir.Write("q/b.asm", "  nop\r\n");
    const std::string archived =
        Dir.Write("q/q.pja", "[Global]\r\nNbrEdit=1\r\n[Edit0]\r\nNom=b.asm\r\n[Archivage]\r\nArchive=1\r\n");
    W->ChoisitProjet = [&](std::string& chosen) {
        chosen = archived;
        return 1;
    };
    Answer<TEcrOuvreArchive>([](TEcrOuvreArchive& d) {
        Click(d.rbQuitter);
        Click(d.btnOk);
    });
    QSignalSpy ferme(W.get(), &TEcrPrin::Ferme);
    W->Action("MP_ChangeProj")->trigger();
    EXPECT_TRUE(W->Termine());
    // The program ends; the first project is not reloaded.
    EXPECT_EQ(S().Count(), 0);
    EXPECT_TRUE(ferme.wait(2000));
}

TEST_F(TPrinArchive, ArchiveZipCopyAndWorkOnTheCopy)
{
    ASSERT_TRUE(StartWith({"a.asm", "b.asm"}));
    Dir.Write("p/LIB/IO.INC", "; io\r\n");
    Ed(0)->Buffer().InsertText("; modifie ");
    ASSERT_TRUE(Ed(0)->Buffer().Modified());
    Answers = {TEcrPrin::rOui};
    Answer<TEcrArchiver>([](TEcrArchiver& d) {
        Click(d.cbCreerZip);
        Click(d.cbNettoyer);
        Click(d.btnOk);
    });
    W->Action("MP_Archiver")->trigger();
    EXPECT_EQ(Dialogs, QStringList{"kep::TEcrArchiver"});
    ASSERT_EQ(Asked.size(), 1);
    EXPECT_TRUE(Messages.isEmpty()) << Messages.join('|').toStdString();
    EXPECT_TRUE(Errors.isEmpty()) << Errors.join('|').toStdString();

    // The copy is the project now.
    EXPECT_EQ(kep::NomProjet, Dir.Path("p1/demo.pja"));
    ASSERT_EQ(S().Count(), 2);
    EXPECT_EQ(Ed(0)->FileName, Dir.Path("p1/a.asm"));
    EXPECT_FALSE(ProjetProtege);
    EXPECT_EQ(Dir.Read("p1/a.asm").rfind("; modifie ", 0), 0u);
    kep::TIniFile copie(Dir.Path("p1/demo.pja"));
    EXPECT_FALSE(kep::EstArchive(copie));
    // The options went to the copy's file, the project current at the end.
    EXPECT_TRUE(kep::LitOptArchivage(copie).CreeZip);
    EXPECT_TRUE(kep::LitOptArchivage(copie).SupOrigine);

    // The zip beside the folder, the old folder in the trash, marked.
    EXPECT_TRUE(Dir.Exists("p.zip"));
    EXPECT_FALSE(std::filesystem::exists(Dir.Path("p")));
    EXPECT_TRUE(kep::EstArchive(kep::TIniFile(Trashed("p/demo.pja"))));
    EXPECT_EQ(kep::FileNameOf(Trashed("p/LIB/IO.INC")), "IO.INC");
    EXPECT_TRUE(std::filesystem::exists(Trashed("p/LIB/IO.INC")));
    EXPECT_TRUE(W->close());
}

TEST_F(TPrinArchive, ArchiveThenGoOnReadOnly)
{
    ASSERT_TRUE(StartWith({"a.asm"}));
    Answer<TEcrArchiver>([](TEcrArchiver& d) {
        Click(d.cbCreerCopie);
        Click(d.rbLectureSeule);
        Click(d.btnOk);
    });
    W->Action("MP_Archiver")->trigger();
    EXPECT_EQ(kep::NomProjet, ProjectPath);
    EXPECT_TRUE(ProjetProtege);
    EXPECT_TRUE(Ed(0)->Buffer().ReadOnly);
    // The items a protected project hides stay shown.
    EXPECT_TRUE(W->Action("MF_Ouvre")->isVisible());
    EXPECT_TRUE(W->Action("MP_Archiver")->isVisible());
    EXPECT_TRUE(kep::EstArchive(kep::TIniFile(ProjectPath)));
    EXPECT_FALSE(std::filesystem::exists(Dir.Path("p1")));
    const std::string before = Dir.Read("p/demo.pja");
    EXPECT_TRUE(W->close());
    EXPECT_EQ(Dir.Read("p/demo.pja"), before);
}

TEST_F(TPrinArchive, ArchiveThenQuitPutsTheFolderInTheTrash)
{
    ASSERT_TRUE(StartWith({"a.asm"}));
    Answer<TEcrArchiver>([](TEcrArchiver& d) {
        Click(d.cbCreerZip);
        Click(d.cbCreerCopie);
        Click(d.rbFermerProjet);
        Click(d.cbNettoyer);
        Click(d.btnOk);
    });
    QSignalSpy ferme(W.get(), &TEcrPrin::Ferme);
    W->Action("MP_Archiver")->trigger();
    EXPECT_TRUE(W->Termine());
    EXPECT_TRUE(Dir.Exists("p.zip"));
    EXPECT_FALSE(std::filesystem::exists(Dir.Path("p")));
    EXPECT_TRUE(kep::EstArchive(kep::TIniFile(Trashed("p/demo.pja"))));
    EXPECT_TRUE(ferme.wait(2000));
    EXPECT_TRUE(Errors.isEmpty()) << Errors.join('|').toStdString();
}

TEST_F(TPrinArchive, NothingDeletedNorLoadedWhenTheWindowStaysOnTheProject)
{
    ASSERT_TRUE(StartWith({"a.asm"}));
    // Zip only, no mark, nothing chosen to go on: the folder stays.
    Answer<TEcrArchiver>([](TEcrArchiver& d) {
        Click(d.cbCreerZip);
        Click(d.cbCreerCopie);
        Click(d.cbMarqueArchive);
        Click(d.cbNettoyer);
        Click(d.btnOk);
    });
    W->Action("MP_Archiver")->trigger();
    EXPECT_TRUE(Dir.Exists("p.zip"));
    EXPECT_TRUE(Dir.Exists("p/demo.pja"));
    ASSERT_EQ(Messages.size(), 1);
    EXPECT_TRUE(Messages[0].startsWith(QStringLiteral("Le projet reste ouvert"))) << Messages[0].toStdString();
    EXPECT_FALSE(ProjetProtege);
    EXPECT_FALSE(W->Termine());

    // A failed copy: the work goes on where it was.
    Messages.clear();
    Answer<TEcrArchiver>([this](TEcrArchiver& d) {
        // The last run's options are back.
        EXPECT_TRUE(d.cbNettoyer->isChecked());
        d.cbCreerZip->setChecked(false);
        d.cbNettoyer->setChecked(false);
        d.cbCreerCopie->setChecked(true);
        d.rbNouvDossier->setChecked(true);
        d.edNomCopie->setText(QString::fromStdString(Dir.Path("p/dedans")));
        Click(d.btnOk);
    });
    W->Action("MP_Archiver")->trigger();
    EXPECT_EQ(kep::NomProjet, ProjectPath);
    ASSERT_EQ(Messages.size(), 2) << Messages.join('|').toStdString();
    EXPECT_TRUE(Messages[0].startsWith(QStringLiteral("La copie du projet dans ")));
    EXPECT_EQ(Messages[1], QStringLiteral("La copie n'a pas été faite : le travail continue sur le projet actuel."));
    EXPECT_EQ(S().Count(), 1);
    EXPECT_TRUE(Dir.Exists("p/demo.pja"));
    EXPECT_TRUE(W->close());
}

TEST_F(TPrinArchive, CancelledQuestionOrDialogChangesNothingButTheOptions)
{
    ASSERT_TRUE(StartWith({"a.asm"}));
    Ed(0)->Buffer().InsertText("x");
    Answers = {TEcrPrin::rAnnuler};
    Answer<TEcrArchiver>([](TEcrArchiver& d) { Click(d.btnOk); });
    W->Action("MP_Archiver")->trigger();
    EXPECT_TRUE(Dialogs.isEmpty());

    Answers = {TEcrPrin::rNon};
    Answer<TEcrArchiver>([](TEcrArchiver& d) {
        Click(d.cbCreerZip);
        Click(d.btnAnnuler);
    });
    W->Action("MP_Archiver")->trigger();
    EXPECT_EQ(Dialogs.size(), 1);
    EXPECT_FALSE(Dir.Exists("p.zip"));
    EXPECT_FALSE(std::filesystem::exists(Dir.Path("p1")));
    kep::TIniFile ini(ProjectPath);
    EXPECT_FALSE(kep::EstArchive(ini));
    EXPECT_TRUE(kep::LitOptArchivage(ini).CreeZip);
    EXPECT_TRUE(Ed(0)->Buffer().Modified());
}

} // namespace
