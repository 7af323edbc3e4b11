// The main window's archiving: "&Archiver..." of the menu Projet, the
// dialog shown when an archived project is opened, and the end of the
// program that both may ask for.
#include "app/UE_Prin.h"

#include "config/U_KepFile.h"
#include "editor/UC_Sources.h"
#include "editor/U_Edit.h"
#include "platform/QtText.h"
#include "project/UF_ArchOuvre.h"
#include "project/UF_Archiver.h"
#include "project/U_Archivage.h"

#include <QRadioButton>
#include <QTimer>

using kep::NomProjet;

int TEcrPrin::OuvreArchive()
{
    kep::TEcrOuvreArchive dlg(NomProjet, this);
    if (ShowHelp)
        dlg.ShowHelp = ShowHelp;
    ExecDialog(dlg);
    const int r = dlg.result();
    if (r == kep::TEcrOuvreArchive::mrOk)
        NomProjet = dlg.NomProjet();
    return r;
}

void TEcrPrin::TermineProgramme()
{
    FermeFenetresRecherche();
    FermeComms();
    FermeAides();
    Termine_ = true;
    // Closed from the event loop, once the command that asked has returned.
    QTimer::singleShot(0, this, &QWidget::close);
}

void TEcrPrin::MP_ArchiverClick()
{
    // 1. The documents and the session as they are now go into the archive.
    if (!DemandeSauveModifies())
        return;
    SauveProjet();
    // 2.
    kep::TEcrArchiver dlg(NomProjet, this);
    dlg.ShowMessage = ShowMessage;
    if (ShowHelp)
        dlg.ShowHelp = ShowHelp;
    dlg.OnProgress = [this](const std::string& path) {
        SetPanel(3, QStringLiteral("Archivage : ") + kep::PathToQString(path));
    };
    const bool ok = ExecDialog(dlg) && dlg.result() == QDialog::Accepted;
    SetPanel(3, QString());
    if (!ok) {
        dlg.EcritOptions();
        return;
    }
    // 3.
    const std::string ancien = kep::DossierProjet(NomProjet);
    const kep::TOptArchivage opts = dlg.Options();
    bool surCopie = false, quitte = false;
    // 4.
    if (dlg.rbNouvDossier->isChecked()) {
        if (!dlg.Resultat.CopieFaite) {
            ShowMessage(QStringLiteral("La copie n'a pas été faite : le travail continue sur le projet actuel."));
        } else {
            if (ProjetProtege) {
                FermeTout();
            } else if (!FermeProjet()) {
                dlg.EcritOptions();
                return;
            }
            const std::string original = NomProjet;
            NomProjet = dlg.Resultat.ProjetCopie;
            if (ChargeProjet()) {
                surCopie = true;
            } else if (!Termine_) {
                // The window is not left without a project.
                NomProjet = original;
                ChargeProjet();
            }
        }
    } else if (dlg.rbLectureSeule->isChecked()) {
        ProjetProtege = true;
        MasqueProtege(false);
        // Nothing is asked or written on closing a protected project: its
        // documents must not take edits that would then be lost.
        for (int i = 0; i < Sources_->Count(); ++i)
            Sources_->Entry(i)->Editor->Buffer().ReadOnly = true;
        Sources_->viewport()->update();
        ModifiedToggled();
    } else if (dlg.rbFermerProjet->isChecked()) {
        quitte = true;
    }
    // 6. The options go to the project now current, before its old folder
    // may leave.
    dlg.EcritOptions();
    if (quitte)
        TermineProgramme();
    // 5. The old folder goes to the trash only when something was made of
    // it and the window no longer works on it.
    if (dlg.Fait && opts.SupOrigine && !Termine_ && !surCopie) {
        ShowMessage(QStringLiteral("Le projet reste ouvert : son dossier ") + kep::PathToQString(ancien)
                    + QStringLiteral(" n'a pas été supprimé."));
    } else if (dlg.Fait && opts.SupOrigine) {
        std::string why;
        if (!kep::CopieShell(ancien, std::string(), kep::foSupprime, &why))
            ShowError(QStringLiteral("Le dossier ") + kep::PathToQString(ancien)
                      + QStringLiteral(" n'a pu être mis à la corbeille.\n") + QString::fromStdString(why));
    }
}
