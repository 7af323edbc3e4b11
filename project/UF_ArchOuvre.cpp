#include "project/UF_ArchOuvre.h"

#include "controls/Nommage.h"
#include "platform/FileIo.h"
#include "platform/Help.h"
#include "platform/Paths.h"
#include "platform/QtText.h"
#include "project/UF_Archiver.h"
#include "project/UF_Proj.h"
#include "project/U_Archivage.h"

#include <QApplication>
#include <QFileInfo>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QStyle>
#include <QVBoxLayout>

namespace kep {

TEcrOuvreArchive::TEcrOuvreArchive(const std::string& nomProjet, QWidget* parent)
    : QDialog(parent), NomProjet_(nomProjet)
{
    setWindowTitle(QStringLiteral("Ouverture d'une archive"));

    auto* icone = new QLabel(this);
    icone->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxWarning).pixmap(32, 32));
    lblTexte = Nomme(new QLabel(QStringLiteral("Le projet que vous voulez ouvrir a été archivé."), this), "lblTexte");
    panNomProj = Nomme(new QLabel(PathToQString(NomProjet_), this), "panNomProj");
    panNomProj->setFrameShape(QFrame::Panel);
    panNomProj->setFrameShadow(QFrame::Sunken);
    panNomProj->setTextInteractionFlags(Qt::TextSelectableByMouse);
    panNomProj->setMargin(4);

    auto* choix = new QGroupBox(QStringLiteral(" Que préférez vous ? "), this);
    rbLecture = Nomme(new QRadioButton(QStringLiteral("L'ouvrir en lecture seulement"), choix), "rbLecture");
    rbCopie = Nomme(new QRadioButton(QStringLiteral("En créer une copie (puis l'ouvrir) dans le dossier :"), choix),
                    "rbCopie");
    edNouvNom = Nomme(new QLineEdit(choix), "edNouvNom");
    btnRepertCopie = Bouton(choix, "btnRepertCopie", QStringLiteral("Parcourir"));
    rbQuitter =
        Nomme(new QRadioButton(QStringLiteral("Quitter KEP et laisser cette archive tranquille."), choix), "rbQuitter");
    rbLecture->setChecked(true);
    auto* gc = new QVBoxLayout(choix);
    gc->addWidget(rbLecture);
    gc->addWidget(rbCopie);
    auto* nouv = new QHBoxLayout;
    nouv->addSpacing(18);
    nouv->addWidget(edNouvNom, 1);
    nouv->addWidget(btnRepertCopie);
    gc->addLayout(nouv);
    gc->addWidget(rbQuitter);

    btnOk = Bouton(this, "btnOk", QStringLiteral("Ok"));
    btnOk->setDefault(true);
    btnQuitter = Bouton(this, "btnQuitter", QStringLiteral("Quitter"));
    btnAide = Bouton(this, "btnAide", QStringLiteral("Aide"));

    auto* entete = new QHBoxLayout;
    entete->addWidget(icone);
    entete->addWidget(lblTexte, 1);
    auto* boutons = new QHBoxLayout;
    boutons->addStretch(1);
    boutons->addWidget(btnOk);
    boutons->addWidget(btnQuitter);
    boutons->addWidget(btnAide);
    auto* top = new QVBoxLayout(this);
    top->addLayout(entete);
    top->addWidget(panNomProj);
    top->addWidget(choix);
    top->addLayout(boutons);
    resize(480, sizeHint().height());

    AskOkCancel = [this](const QString& text) { return DemandeOkAnnuler(this, text); };
    ShowMessage = [this](const QString& text) { MontreMessage(this, text); };
    AskFolder = [this](const QString& start, const QString& name) { return ChoisitDossierNouveau(this, start, name); };
    ShowHelp = [this](int context) { ShowHelpContext(QStringLiteral("Kep.hlp"), context, this); };

    edNouvNom->setText(PathToQString(NouvelleVersion(DossierProjet(NomProjet_))));
    MajEtats();
    connect(rbCopie, &QRadioButton::toggled, this, &TEcrOuvreArchive::MajEtats);
    connect(btnRepertCopie, &QPushButton::clicked, this, [this] { ChoisitDossier(edNouvNom, AskFolder); });
    connect(btnOk, &QPushButton::clicked, this, &TEcrOuvreArchive::btnOkClick);
    connect(btnQuitter, &QPushButton::clicked, this, [this] { done(mrCancel); });
    connect(btnAide, &QPushButton::clicked, this, [this] {
        if (ShowHelp)
            ShowHelp(AideArchivage);
    });
}

void TEcrOuvreArchive::MajEtats()
{
    edNouvNom->setEnabled(rbCopie->isChecked());
    btnRepertCopie->setEnabled(rbCopie->isChecked());
}

void TEcrOuvreArchive::btnOkClick()
{
    if (rbCopie->isChecked()) {
        if (Copie())
            done(mrOk);
    } else if (rbLecture->isChecked()) {
        done(mrIgnore);
    } else {
        done(mrNo);
    }
}

bool TEcrOuvreArchive::Copie()
{
    const QString dossier = edNouvNom->text();
    if (QFileInfo::exists(dossier)
        && !AskOkCancel(QStringLiteral("Le dossier ") + dossier + QStringLiteral(" existe,\r continuer et écraser ?")))
        return false;
    std::string why;
    {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        const bool ok = CopieShell(DossierProjet(NomProjet_), QStringToPath(dossier), foCopie, &why);
        QApplication::restoreOverrideCursor();
        if (!ok) {
            ShowMessage(QStringLiteral("La copie du projet dans ") + dossier + QStringLiteral(" a échoué.\n")
                        + QString::fromStdString(why));
            return false;
        }
    }
    const std::string copie = ProjetDansCopie(QStringToPath(dossier), NomProjet_);
    {
        TEcrProj liste(NomProjet_, this);
        liste.ShowMessage = ShowMessage;
        liste.AjouteCopie(copie, NomProjet_);
    }
    NomProjet_ = copie;
    if (!MarqueArchive(copie, false, &why))
        ShowMessage(QStringLiteral("La copie garde la marque d'archive.\n") + QString::fromStdString(why));
    return true;
}

} // namespace kep
