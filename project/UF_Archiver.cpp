#include "project/UF_Archiver.h"

#include "app/UF_SelDir.h"
#include "config/U_KepFile.h"
#include "config/U_WinBounds.h"
#include "controls/Nommage.h"
#include "platform/Help.h"
#include "platform/QtText.h"
#include "project/UF_Proj.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QMessageBox>
#include <QRadioButton>
#include <QVBoxLayout>

namespace kep {

namespace {

// Shown with line breaks; the texts keep their carriage returns.
QString Lignes(QString text)
{
    return text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
}

// Checks or clears a radio button of an exclusive group, which Qt would
// not let end up with no button checked.
void Coche(QButtonGroup* group, QRadioButton* rb, bool checked)
{
    if (rb->isChecked() == checked)
        return;
    group->setExclusive(false);
    rb->setChecked(checked);
    group->setExclusive(true);
}

class TCurseurAttente {
public:
    TCurseurAttente() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~TCurseurAttente() { QApplication::restoreOverrideCursor(); }
};

} // namespace

bool DemandeOkAnnuler(QWidget* parent, const QString& text)
{
    return QMessageBox::warning(parent, QStringLiteral("Avertissement"), Lignes(text),
                                QMessageBox::Ok | QMessageBox::Cancel, QMessageBox::Cancel)
           == QMessageBox::Ok;
}

void MontreMessage(QWidget* parent, const QString& text)
{
    QMessageBox box(QMessageBox::NoIcon, QCoreApplication::applicationName(), Lignes(text), QMessageBox::Ok, parent);
    box.exec();
}

QString ChoisitDossierNouveau(QWidget* parent, const QString& start, const QString& name)
{
    TEcrSelDir chooser(parent);
    chooser.setWindowTitle(QStringLiteral("Dossier pour la nouvelle version ?"));
    chooser.SetNewName(name);
    chooser.SetFolder(start.isEmpty() ? QStringLiteral("/") : start);
    return chooser.exec() == QDialog::Accepted ? chooser.Folder() : QString();
}

void ChoisitDossier(QLineEdit* field, const std::function<QString(const QString& parent, const QString& name)>& ask)
{
    const TDossierDecoupe d = DecoupeDossier(QStringToPath(field->text()));
    const QString chosen = ask(PathToQString(d.Parent), PathToQString(d.Nom));
    if (!chosen.isEmpty())
        field->setText(chosen);
}

TEcrArchiver::TEcrArchiver(const std::string& nomProjet, QWidget* parent) : QDialog(parent), NomProjet_(nomProjet)
{
    setWindowTitle(QStringLiteral("Archiver le projet ?"));

    auto* archivage = new QGroupBox(QStringLiteral(" Option d'archivage "), this);
    cbCreerZip = Nomme(new QCheckBox(QStringLiteral("Créer une archive ZIP"), archivage), "cbCreerZip");
    edNomZip = Nomme(new QLineEdit(archivage), "edNomZip");
    btnNouvZip = Bouton(archivage, "btnNouvZip", QStringLiteral("Parcourir"));
    rbCheminVide = Nomme(new QRadioButton(QStringLiteral("Pas de chemin"), archivage), "rbCheminVide");
    rbCheminNomProj =
        Nomme(new QRadioButton(QStringLiteral("Inclure le nom du dossier"), archivage), "rbCheminNomProj");
    rbCheminComplet =
        Nomme(new QRadioButton(QStringLiteral("Inclure chemin du projet"), archivage), "rbCheminComplet");
    cbMarqueArchive =
        Nomme(new QCheckBox(QStringLiteral("Marquer le projet comme archivé"), archivage), "cbMarqueArchive");
    cbCreerCopie = Nomme(new QCheckBox(QStringLiteral("Créer une copie du projet"), archivage), "cbCreerCopie");
    edNomCopie = Nomme(new QLineEdit(archivage), "edNomCopie");
    btnNouvProj = Bouton(archivage, "btnNouvProj", QStringLiteral("Parcourir"));
    Chemins_ = new QButtonGroup(this);
    Chemins_->addButton(rbCheminVide, 0);
    Chemins_->addButton(rbCheminNomProj, 1);
    Chemins_->addButton(rbCheminComplet, 2);

    auto* ga = new QGridLayout(archivage);
    ga->setColumnMinimumWidth(0, 18);
    ga->addWidget(cbCreerZip, 0, 0, 1, 3);
    ga->addWidget(edNomZip, 1, 1);
    ga->addWidget(btnNouvZip, 1, 2);
    auto* chemins = new QHBoxLayout;
    chemins->addWidget(rbCheminVide);
    chemins->addWidget(rbCheminNomProj);
    chemins->addWidget(rbCheminComplet);
    chemins->addStretch(1);
    ga->addLayout(chemins, 2, 1, 1, 2);
    ga->addWidget(cbMarqueArchive, 3, 0, 1, 3);
    ga->addWidget(cbCreerCopie, 4, 0, 1, 3);
    ga->addWidget(edNomCopie, 5, 1);
    ga->addWidget(btnNouvProj, 5, 2);
    ga->setColumnStretch(1, 1);

    auto* reouverture = new QGroupBox(QStringLiteral(" Options de réouverture "), this);
    rbNouvDossier =
        Nomme(new QRadioButton(QStringLiteral("Poursuivre le travail sur la copie"), reouverture), "rbNouvDossier");
    rbLectureSeule = Nomme(
        new QRadioButton(QStringLiteral("Continuer avec la version actuelle du projet, en lecture seulement"),
                         reouverture),
        "rbLectureSeule");
    rbFermerProjet = Nomme(new QRadioButton(QStringLiteral("Quitter le projet"), reouverture), "rbFermerProjet");
    Suites_ = new QButtonGroup(this);
    Suites_->addButton(rbNouvDossier, 0);
    Suites_->addButton(rbLectureSeule, 1);
    Suites_->addButton(rbFermerProjet, 2);
    auto* gr = new QVBoxLayout(reouverture);
    gr->addWidget(rbNouvDossier);
    gr->addWidget(rbLectureSeule);
    gr->addWidget(rbFermerProjet);

    auto* nettoyage = new QGroupBox(QStringLiteral(" Option de nettoyage "), this);
    cbNettoyer = Nomme(new QCheckBox(QStringLiteral("Supprimer le dossier du projet actuel, après archivage"), nettoyage),
                       "cbNettoyer");
    auto* gn = new QVBoxLayout(nettoyage);
    gn->addWidget(cbNettoyer);

    btnOk = Bouton(this, "btnOk", QStringLiteral("Ok"));
    btnOk->setDefault(true);
    btnAnnuler = Bouton(this, "btnAnnuler", QStringLiteral("Annuler"));
    btnAide = Bouton(this, "btnAide", QStringLiteral("Aide"));
    auto* boutons = new QHBoxLayout;
    boutons->addStretch(1);
    boutons->addWidget(btnOk);
    boutons->addWidget(btnAnnuler);
    boutons->addWidget(btnAide);

    auto* top = new QVBoxLayout(this);
    top->addWidget(archivage);
    top->addWidget(reouverture);
    top->addWidget(nettoyage);
    top->addStretch(1);
    top->addLayout(boutons);
    resize(520, sizeHint().height());

    AskOkCancel = [this](const QString& text) { return DemandeOkAnnuler(this, text); };
    ShowMessage = [this](const QString& text) { MontreMessage(this, text); };
    AskZipName = [this](const QString& start) {
        QFileDialog dlg(this, QStringLiteral("Nom du fichier ZIP ?"));
        dlg.setAcceptMode(QFileDialog::AcceptSave);
        dlg.setNameFilter(QStringLiteral("Archive ZIP (*.zip)"));
        dlg.setDefaultSuffix(QStringLiteral("zip"));
        const QFileInfo fi(start);
        dlg.setDirectory(fi.absolutePath());
        dlg.selectFile(fi.fileName());
        return dlg.exec() == QDialog::Accepted && !dlg.selectedFiles().isEmpty() ? dlg.selectedFiles().front()
                                                                                  : QString();
    };
    AskFolder = [this](const QString& start, const QString& name) { return ChoisitDossierNouveau(this, start, name); };
    ShowHelp = [this](int context) { ShowHelpContext(QStringLiteral("Kep.hlp"), context, this); };

    // 1. The names proposed.
    const std::string dossier = DossierProjet(NomProjet_);
    edNomZip->setText(PathToQString(NomZipDefaut(dossier)));
    edNomCopie->setText(PathToQString(NouvelleVersion(dossier)));
    // 2. Bounds and options.
    {
        TIniFilePlus ini(NomProjet_);
        try {
            RestoreBounds(ini, SectionArchivage, this, QRect(10, 10, width(), height()));
        } catch (const EConvertError&) {
            // A damaged position leaves the dialog where it is.
        }
        SetOptions(LitOptArchivage(ini));
    }

    for (QCheckBox* cb : {cbCreerZip, cbMarqueArchive, cbCreerCopie, cbNettoyer})
        connect(cb, &QCheckBox::toggled, this, &TEcrArchiver::MajEtats);
    for (QRadioButton* rb : {rbNouvDossier, rbLectureSeule, rbFermerProjet})
        connect(rb, &QRadioButton::toggled, this, &TEcrArchiver::MajEtats);
    connect(btnNouvZip, &QPushButton::clicked, this, [this] {
        const QString name = AskZipName(edNomZip->text());
        if (!name.isEmpty())
            edNomZip->setText(name);
    });
    connect(btnNouvProj, &QPushButton::clicked, this, [this] { ChoisitDossier(edNomCopie, AskFolder); });
    connect(btnOk, &QPushButton::clicked, this, &TEcrArchiver::btnOkClick);
    connect(btnAnnuler, &QPushButton::clicked, this, &QDialog::reject);
    connect(btnAide, &QPushButton::clicked, this, [this] {
        if (ShowHelp)
            ShowHelp(AideArchivage);
    });
}

TOptArchivage TEcrArchiver::Options() const
{
    TOptArchivage o;
    o.CreeZip = cbCreerZip->isChecked();
    o.OptChemin = std::max(0, Chemins_->checkedId());
    o.Archive = cbMarqueArchive->isChecked();
    o.CreeCopie = cbCreerCopie->isChecked();
    o.OptSuite = std::max(0, Suites_->checkedId());
    o.SupOrigine = cbNettoyer->isChecked();
    return o;
}

void TEcrArchiver::SetOptions(const TOptArchivage& o)
{
    Maj_ = true;
    Chemins_->button(o.OptChemin)->setChecked(true);
    Suites_->button(o.OptSuite)->setChecked(true);
    cbCreerZip->setChecked(o.CreeZip);
    cbMarqueArchive->setChecked(o.Archive);
    cbCreerCopie->setChecked(o.CreeCopie);
    cbNettoyer->setChecked(o.SupOrigine);
    Maj_ = false;
    MajEtats();
}

void TEcrArchiver::MajEtats()
{
    if (Maj_)
        return;
    Maj_ = true;
    const bool zip = cbCreerZip->isChecked();
    for (QWidget* w : std::initializer_list<QWidget*>{edNomZip, btnNouvZip, rbCheminVide, rbCheminNomProj, rbCheminComplet})
        w->setEnabled(zip);
    const bool copie = cbCreerCopie->isChecked();
    for (QWidget* w : std::initializer_list<QWidget*>{edNomCopie, btnNouvProj, rbNouvDossier})
        w->setEnabled(copie);
    if (!copie)
        Coche(Suites_, rbNouvDossier, false);
    if (!cbMarqueArchive->isChecked())
        Coche(Suites_, rbLectureSeule, false);
    cbNettoyer->setEnabled((zip || copie) && !rbLectureSeule->isChecked());
    rbLectureSeule->setEnabled(cbMarqueArchive->isChecked() && !(cbNettoyer->isEnabled() && cbNettoyer->isChecked()));
    Maj_ = false;
}

void TEcrArchiver::btnOkClick()
{
    const TOptArchivage o = Options();
    // A name the archive cannot take is told before anything is done.
    if (o.CreeZip) {
        const std::string refus = VerifieNomZip(QStringToPath(edNomZip->text()));
        if (!refus.empty()) {
            ShowMessage(QString::fromStdString(refus));
            edNomZip->setFocus();
            return;
        }
    }
    // 1. A copy over an existing folder is asked first.
    const QString copie = edNomCopie->text();
    if (o.CreeCopie && !copie.isEmpty() && QFileInfo(copie).exists()
        && !AskOkCancel(QStringLiteral("Le dossier ") + copie + QStringLiteral(" existe, continuer ?")))
        return;
    // 2 to 5.
    const TCurseurAttente attente;
    Fait = false;
    TDemandeArchivage d;
    d.NomProjet = NomProjet_;
    d.Opts = o;
    d.NomZip = QStringToPath(edNomZip->text());
    d.NomCopie = QStringToPath(copie);
    QElapsedTimer pas;
    pas.start();
    d.Zip.Progress = [this, &pas](const std::string& path, std::uint64_t) {
        // The window keeps painting while a large folder is packed.
        if (pas.elapsed() < 50)
            return;
        pas.restart();
        if (OnProgress)
            OnProgress(path);
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    };
    Resultat = ExecuteArchivage(d);
    Fait = Resultat.Fait;
    for (const std::string& m : Resultat.Messages)
        ShowMessage(QString::fromStdString(m));
    if (Resultat.CopieFaite) {
        // The copy joins the list of projects, checked in place of the
        // original when that was the checked one.
        TEcrProj liste(NomProjet_, this);
        liste.ShowMessage = ShowMessage;
        liste.AjouteCopie(Resultat.ProjetCopie, NomProjet_);
    }
    accept();
}

void TEcrArchiver::EcritOptions()
{
    TProjFile ini;
    ini.BeginUpdate();
    SaveBounds(ini, SectionArchivage, this);
    EcritOptArchivage(ini, Options());
    ini.EndUpdate();
}

} // namespace kep
