// The build menu: running the make tool on the project's make file, the
// output window, the make file and the programmer driver.
#include "app/UE_Prin.h"

#include "build/UF_Make.h"
#include "build/U_ErrAssembleur.h"
#include "build/U_MakeCmd.h"
#include "build/U_MakeThread.h"
#include "config/U_KepFile.h"
#include "editor/UC_Sources.h"
#include "editor/U_Edit.h"
#include "platform/FileIo.h"
#include "platform/KepPipesFile.h"
#include "platform/QtText.h"
#include "platform/ShellLaunch.h"

#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QMenu>
#include <QTimer>

using kep::NomProjet;

TEcrMake* TEcrPrin::EcrMake() const
{
    return EcrMake_;
}

void TEcrPrin::DefautConstruire(QAction* item)
{
    if (!item)
        return;
    M_Construire->setDefaultAction(item);
    for (const char* name : {"MM_Make", "MM_MakeTout"})
        if (QAction* a = Action(name)) {
            QFont f = a->font();
            f.setBold(a == item);
            a->setFont(f);
        }
}

void TEcrPrin::MM_MakeClick(QAction* sender)
{
    // The output is read while events flow: a second build must wait.
    if (MakeEnCours) {
        SetPanel(3, QStringLiteral("Construction en cours."));
        return;
    }
    SetPanel(3, QString());
    if (NomMakeFile.empty() && !ChoisitMakeFile())
        return;
    for (int i = 0; i < Sources_->Count(); ++i) {
        TEditeur* ed = Sources_->Entry(i)->Editor;
        if (ed->Buffer().Modified() && ed->AutoSave)
            SauvePage(i);
    }
    const kep::TOptionsKep& o = Cfg_->Data;
    const std::string params = sender == Action("MM_Make") ? o.ParamMake : o.ParamMakeTout;

    MakeEnCours = true;
    std::uint32_t code = 0;
    bool interrompu = false;
    if (LanceMake(o.ProgMake, NomMakeFile, params, &code, &interrompu)) {
        const bool echec = code != 0 || interrompu;
        // The new error file is read afresh; the files the tool rewrote come back.
        const std::string err = CheminFichErr();
        for (int i = Sources_->Count() - 1; i >= 0; --i) {
            TEditeur* ed = Sources_->Entry(i)->Editor;
            if (kep::SameFile(ed->FileName, err))
                FermePage(i, false);
            else if (ed->AutoLoad)
                ed->ReloadAfterBuild(AskReload);
        }
        // The blocks F6 would stop on decide, with the exit code: a clean
        // build whose error file holds only the tools' notes (gplink's
        // "message:", avra's banner) is a success.
        const kep::TErrCompte compte = CompteErreursFichErr();
        const auto fin = [&] {
            return QString::fromStdString(kep::MessageFinConstruction(code, interrompu, compte.Erreurs));
        };
        if (compte.Erreurs + compte.Avertissements > 0 && OuvreFichErr()) {
            MC_ErrSuivClick();
            // The first block, when one could be shown, speaks for the build.
            if (Panel(3).isEmpty())
                SetPanel(3, fin());
            if (Cfg_->Data.MakeLog) {
                const std::string log = kep::QStringToPath(QDir::current().absoluteFilePath(QStringLiteral("MakeLog.txt")));
                int first = -1, last = -1;
                if (Sources_->FindFile(log, first, last)) {
                    TEditeur* ed = Sources_->Entry(first)->Editor;
                    if (!ed->Buffer().Modified() && kep::FileModTimeNs(log) > ed->FileDate)
                        ed->Load();
                    ChoisitPage(first);
                } else {
                    OuvreFichier(log);
                }
            }
            if (EcrMake_) {
                EcrMake_->raise();
                EcrMake_->activateWindow();
                EcrMake_->setFocus();
            }
        } else if (echec) {
            // A failure no block explains: the window, which holds the
            // tool's own words, stays for them to be read, and an error file
            // the layout does not read is shown as it is.
            OuvreFichErr();
            SetPanel(3, fin());
            if (EcrMake_) {
                EcrMake_->raise();
                EcrMake_->activateWindow();
            }
        } else {
            SetPanel(3, fin());
            if (EcrMake_ && !Cfg_->Data.MakeLog && Cfg_->Data.FermeConsole)
                EcrMake_->close();
            DefautConstruire(Action("MM_Make"));
        }
        EffaceRestesAssembleur();
    } else if (EcrMake_ && EcrMake_->Lignes().Count() > 0) {
        // Why nothing ran, as the window says it.
        const kep::TConsoleStore& l = EcrMake_->Lignes();
        SetPanel(3, QString::fromUtf8(l.Line(l.Count() - 1)));
    }
    MakeEnCours = false;
    QTimer::singleShot(0, this, &TEcrPrin::VerifDatesFichiers);
    if (FermeApresMake_) {
        FermeApresMake_ = false;
        QTimer::singleShot(0, this, &QWidget::close);
    }
}

kep::TErrCompte TEcrPrin::CompteErreursFichErr() const
{
    // Read from disk: the build has just rewritten it.
    const std::string path = CheminFichErr();
    std::string texte;
    if (path.empty() || kep::FileSize(path) > (64u << 20) || !kep::ReadWholeFile(path, texte))
        return {};
    return kep::CompteErreursTexte(texte, Cfg_->Data.Err);
}

bool TEcrPrin::LanceMake(const std::string& prog, const std::string& makeFile, const std::string& params,
                         std::uint32_t* code, bool* interrompu)
{
    // Parented for its lifetime only: it is a window of its own.
    auto* ecr = new TEcrMake(this);
    EcrMake_ = ecr;
    connect(ecr, &TEcrMake::Fermee, this, [this] { ArreteMake(); });
    connect(ecr, &TEcrMake::LigneChoisie, this, [this](std::size_t i) { MontreErreurConsole(i); });
    ecr->show();

    if (!kep::FileExists(prog)) {
        ecr->AjouteLigne(kep::MessageProgrammeIntrouvable(prog));
        ecr->Rafraichit();
        return false;
    }
    if (!QFileInfo(kep::PathToQString(prog)).isExecutable() || QFileInfo(kep::PathToQString(prog)).isDir()) {
        ecr->AjouteLigne(kep::MessageProgrammeNonExecutable(prog));
        ecr->Rafraichit();
        return false;
    }
    if (!kep::FileExists(makeFile)) {
        ecr->AjouteLigne(kep::MessageFichierMakeIntrouvable(makeFile));
        ecr->Rafraichit();
        return false;
    }

    QString pipesError;
    const QString pipes = kep::EnsureKepPipes(&pipesError);
    if (pipes.isEmpty())
        ecr->AjouteLigne(pipesError.toStdString());

    TMakeThread run;
    run.CmdLine = kep::MakeCmdLine(prog, makeFile, params);
    QPointer<TEcrMake> memo = ecr;
    run.Memo = [memo](std::string_view line) {
        if (memo)
            memo->AjouteLigne(line);
    };
    const kep::TOptionsKep& o = Cfg_->Data;
    run.PipesExe = kep::QStringToPath(pipes);
    run.ProgMake = prog;
    run.TabPath = o.TabPath;
    run.AffInfos = o.AfficheInfos;
    if (o.MakeLog)
        run.LogFile = kep::QStringToPath(QDir::current().absoluteFilePath(QStringLiteral("MakeLog.txt")));
    Run_ = &run;
    run.Execute();
    Run_ = nullptr;
    if (memo)
        memo->Rafraichit();
    if (code)
        *code = run.ExitCode;
    if (interrompu)
        *interrompu = run.Interrompu;
    return run.Started;
}

void TEcrPrin::ArreteMake()
{
    if (Run_)
        Run_->Stop();
}

void TEcrPrin::EffaceRestesAssembleur()
{
    QDir tmp(QDir::tempPath());
    const QStringList names =
        tmp.entryList({QStringLiteral("As$*")}, QDir::Files | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    for (const QString& n : names)
        tmp.remove(n);
}

bool TEcrPrin::ChoisitMakeFile()
{
    const bool memeDossier =
        !NomMakeFile.empty() && kep::SamePath(kep::FolderOf(NomMakeFile), kep::FolderOf(NomProjet));
    const QString chosen = AskOpenFile(QStringLiteral("Ouvrir un fichier de construction"),
                                       QStringLiteral("Desc. de construction (*.mke);;Tous les fichiers (*)"),
                                       memeDossier ? kep::PathToQString(NomMakeFile) : QString());
    if (chosen.isEmpty())
        return false;
    const std::string name = kep::QStringToPath(QFileInfo(chosen).absoluteFilePath());
    if (!kep::SamePath(name, NomMakeFile)) {
        NomMakeFile = name;
        SuitProjetPourTables();
        QAction* nom = Action("MM_MakeFile");
        nom->setText(kep::PathToQString(kep::FileNameOf(NomMakeFile)));
        nom->setVisible(true);
        DefautConstruire(Action("MM_MakeTout"));
    }
    return true;
}

void TEcrPrin::MM_EditMakeFileClick()
{
    if (NomMakeFile.empty() && !ChoisitMakeFile())
        return;
    for (int i = 0; i < Sources_->Count(); ++i)
        if (kep::SameFile(Sources_->Entry(i)->Editor->FileName, NomMakeFile)) {
            ChoisitPage(i);
            return;
        }
    OuvreFichier(NomMakeFile);
}

void TEcrPrin::M_ProgrammeClick()
{
    if (NomProgFile.empty())
        MPr_ChangeProgFileClick();
    if (NomProgFile.empty())
        return;
    const int code = kep::ShellOpen(kep::PathToQString(NomProgFile));
    if (code <= 32) {
        const QString text = kep::ShellErrorText(code);
        if (!text.isEmpty())
            ShowMessage(text);
    }
}

void TEcrPrin::MPr_ChangeProgFileClick()
{
    const QString chosen = AskOpenFile(
        QStringLiteral("Pilote du programmeur"),
        QStringLiteral("Exécutables (*.exe *.com *.bat);;Tous les fichiers (*)"), kep::PathToQString(NomProgFile));
    if (!chosen.isEmpty())
        NomProgFile = kep::QStringToPath(chosen);
}
