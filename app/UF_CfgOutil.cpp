#include "app/UF_CfgOutil.h"

#include "app/UF_SelDir.h"
#include "controls/Nommage.h"
#include "platform/Help.h"
#include "platform/QtText.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPushButton>
#include <QStandardPaths>
#include <QVBoxLayout>

#include <utility>

namespace kep {

namespace {

constexpr int AideOutil = 11200;

const QString TousLesFichiers = QStringLiteral("Tous les fichiers (*)");
// Linux programs rarely have an extension: every file is offered by default.
const QString FiltreProgrammes = QStringLiteral("Exécutables (*.exe *.com *.bat *.sh);;") + TousLesFichiers;

QCheckBox* Inactive(QWidget* parent, const char* name, const QString& caption)
{
    auto* c = Nomme(new QCheckBox(caption, parent), name);
    c->setEnabled(false);
    return c;
}

// A keyword label: drawn as a link while it can be clicked.
class TMotCle : public QLabel {
public:
    TMotCle(const QString& text, QWidget* parent, std::function<void()> clic)
        : QLabel(text, parent), Clic_(std::move(clic))
    {
        QPalette pal = palette();
        for (QPalette::ColorGroup g : {QPalette::Active, QPalette::Inactive})
            pal.setColor(g, QPalette::WindowText, pal.color(g, QPalette::Link));
        setPalette(pal);
    }

protected:
    void changeEvent(QEvent* e) override
    {
        if (e->type() == QEvent::EnabledChange) {
            if (isEnabled())
                setCursor(Qt::PointingHandCursor);
            else
                unsetCursor();
        }
        QLabel::changeEvent(e);
    }

    void mousePressEvent(QMouseEvent* e) override
    {
        if (e->button() == Qt::LeftButton)
            e->accept();
        else
            QLabel::mousePressEvent(e);
    }

    void mouseReleaseEvent(QMouseEvent* e) override
    {
        // Like a button: the click counts when released over the label.
        if (e->button() == Qt::LeftButton && rect().contains(e->position().toPoint()) && Clic_) {
            e->accept();
            Clic_();
            return;
        }
        QLabel::mouseReleaseEvent(e);
    }

private:
    std::function<void()> Clic_;
};

} // namespace

TEcrOutil::TEcrOutil(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("EcrOutil"));
    setWindowTitle(QStringLiteral("Configuration de programme outil"));

    auto* lblNom = Nomme(new QLabel(QStringLiteral("Nom dans le menu :"), this), "lblNom");
    EdNom = Nomme(new QLineEdit(this), "EdNom");
    lblNom->setBuddy(EdNom);
    OutilLocal = Inactive(this, "OutilLocal", QStringLiteral("Pour ce projet seulement"));
    auto* lblProg = Nomme(new QLabel(QStringLiteral("Programme :"), this), "lblProg");
    EdProg = Nomme(new QLineEdit(this), "EdProg");
    lblProg->setBuddy(EdProg);
    BtnParcourProg = Bouton(this, "BtnParcourProg", QStringLiteral("&Parcourir"));
    auto* lblRep = Nomme(new QLabel(QStringLiteral("Répertoire de travail :"), this), "lblRep");
    EdRep = Nomme(new QLineEdit(this), "EdRep");
    lblRep->setBuddy(EdRep);
    btnParcoursRep = Bouton(this, "btnParcoursRep", QStringLiteral("&Parcourir"));
    auto* lblParams = Nomme(new QLabel(QStringLiteral("Paramètres :"), this), "lblParams");
    EdParams = Nomme(new QLineEdit(this), "EdParams");
    lblParams->setBuddy(EdParams);
    UneInstance = Inactive(this, "UneInstance", QStringLiteral("Une seule instance"));
    FermeEnQuittant = Inactive(this, "FermeEnQuittant", QStringLiteral("Fermer en quittant KEP"));

    auto* champs = new QGridLayout;
    champs->setColumnStretch(1, 1);
    champs->setColumnMinimumWidth(1, 300);
    champs->addWidget(lblNom, 0, 0);
    champs->addWidget(EdNom, 0, 1);
    champs->addWidget(OutilLocal, 0, 2);
    champs->addWidget(lblProg, 1, 0);
    champs->addWidget(EdProg, 1, 1);
    champs->addWidget(BtnParcourProg, 1, 2, Qt::AlignLeft);
    champs->addWidget(lblRep, 2, 0);
    champs->addWidget(EdRep, 2, 1);
    champs->addWidget(btnParcoursRep, 2, 2, Qt::AlignLeft);
    champs->addWidget(lblParams, 3, 0);
    champs->addWidget(EdParams, 3, 1, 1, 2);
    auto* instances = new QHBoxLayout;
    instances->addWidget(UneInstance);
    instances->addSpacing(16);
    instances->addWidget(FermeEnQuittant);
    instances->addStretch(1);
    champs->addLayout(instances, 4, 1, 1, 2);

    gbInfos = Nomme(new QGroupBox(QStringLiteral(" Les mots-clé suivants sont remplacés : "), this), "gbInfos");
    auto* infos = new QVBoxLayout(gbInfos);
    infos->setSpacing(2);
    static const char* const Libelles[] = {
        "%ProjName : Nom du projet (sans extension)",
        "%ProjPath : dossier du projet (sans \\final)",
        "%EditName : nom du fichier affiché dans l'éditeur",
        "%EditPath : dossier du fichier affiché dans l'éditeur",
        "%EditExt : extension du fichier affiché dans l'éditeur",
        "%Date : JJ.MM.AAAA",
    };
    for (const char* l : Libelles) {
        const QString libelle = QString::fromUtf8(l);
        auto* mot = new TMotCle(libelle, gbInfos, [this, libelle] { InsereMotCle(libelle); });
        mot->setObjectName(QStringLiteral("MotCle") + libelle.section(QLatin1Char(' '), 0, 0).mid(1));
        mot->setEnabled(false);
        infos->addWidget(mot);
        MotsCles.push_back(mot);
    }

    btnAide = Bouton(this, "btnAide", QStringLiteral("Aide"));
    BtnOk = Bouton(this, "BtnOk", QStringLiteral("Ok"));
    BtnOk->setDefault(true);
    BtnAnuller = Bouton(this, "BtnAnuller", QStringLiteral("&Annuler"));
    auto* fin = new QHBoxLayout;
    fin->addWidget(btnAide);
    fin->addStretch(1);
    fin->addWidget(BtnOk);
    fin->addWidget(BtnAnuller);

    auto* tout = new QVBoxLayout(this);
    tout->addLayout(champs);
    tout->addSpacing(6);
    tout->addWidget(gbInfos);
    tout->addStretch(1);
    tout->addSpacing(6);
    tout->addLayout(fin);

    setTabOrder(EdNom, OutilLocal);
    setTabOrder(OutilLocal, EdProg);
    setTabOrder(EdProg, BtnParcourProg);
    setTabOrder(BtnParcourProg, EdRep);
    setTabOrder(EdRep, btnParcoursRep);
    setTabOrder(btnParcoursRep, EdParams);
    setTabOrder(EdParams, UneInstance);
    setTabOrder(UneInstance, FermeEnQuittant);
    setTabOrder(FermeEnQuittant, BtnOk);
    setTabOrder(BtnOk, BtnAnuller);
    setTabOrder(BtnAnuller, btnAide);

    for (QLineEdit* e : {EdNom, EdProg, EdRep, EdParams})
        e->installEventFilter(this);

    AskProgram = [this](const QString& start) {
        // Opens on the current program, even one named bare and found on the PATH.
        QString depart = start;
        if (!QFileInfo(depart).isFile() && !depart.contains(QLatin1Char('/')) && !depart.isEmpty())
            depart = QStandardPaths::findExecutable(depart);
        if (!QFileInfo(depart).isFile())
            depart.clear();
        QString filtre = TousLesFichiers;
        return QFileDialog::getOpenFileName(this, QStringLiteral("Ouvrir"), depart, FiltreProgrammes, &filtre);
    };
    AskFolder = [this](const QString& start) {
        TEcrSelDir choix(this);
        choix.setWindowTitle(QStringLiteral("Choisir le répertoire..."));
        if (QFileInfo(start).isDir())
            choix.SetFolder(start);
        return choix.exec() == QDialog::Accepted ? choix.Folder() : QString();
    };
    ShowMessage = [this](const QString& text) {
        QMessageBox box(QMessageBox::NoIcon, QCoreApplication::applicationName(), text, QMessageBox::Ok, this);
        box.exec();
    };
    ShowHelp = [this](int context) { ShowHelpContext(QStringLiteral("Kep.hlp"), context, this); };

    connect(BtnParcourProg, &QPushButton::clicked, this, [this] {
        if (!AskProgram)
            return;
        const QString choisi = AskProgram(EdProg->text());
        if (!choisi.isEmpty())
            EdProg->setText(choisi);
    });
    connect(btnParcoursRep, &QPushButton::clicked, this, [this] {
        if (!AskFolder)
            return;
        const QString choisi = AskFolder(EdRep->text());
        if (!choisi.isEmpty())
            EdRep->setText(choisi);
    });
    connect(BtnOk, &QPushButton::clicked, this, &TEcrOutil::BtnOkClick);
    connect(BtnAnuller, &QPushButton::clicked, this, &QDialog::reject);
    connect(btnAide, &QPushButton::clicked, this, [this] {
        if (ShowHelp)
            ShowHelp(AideOutil);
    });

    resize(sizeHint());
}

void TEcrOutil::Remplit(const TInfoOutils& outil)
{
    EdNom->setText(AnsiToQString(outil.Nom));
    EdProg->setText(AnsiToQString(outil.Cmde));
    EdRep->setText(AnsiToQString(outil.Rep));
    EdParams->setText(AnsiToQString(outil.Parm));
    UneInstance->setChecked(outil.Unique);
    OutilLocal->setChecked(outil.OutilLocal);
}

void TEcrOutil::Lit(TInfoOutils& outil) const
{
    outil.Nom = QStringToAnsi(EdNom->text());
    outil.Cmde = QStringToAnsi(EdProg->text());
    outil.Rep = QStringToAnsi(EdRep->text());
    outil.Parm = QStringToAnsi(EdParams->text());
    outil.Unique = UneInstance->isChecked();
    outil.OutilLocal = OutilLocal->isChecked();
}

void TEcrOutil::SetListe(const std::vector<TInfoOutils>* outils, int selection)
{
    Outils_ = outils;
    Selection_ = selection;
}

bool TEcrOutil::ProgrammeExiste(const QString& prog)
{
    if (prog.isEmpty())
        return false;
    if (QFileInfo(prog).isFile())
        return true;
    // A bare name is what a shell would find on the PATH.
    return !prog.contains(QLatin1Char('/')) && !QStandardPaths::findExecutable(prog).isEmpty();
}

bool TEcrOutil::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::FocusIn)
        for (QLineEdit* e : {EdNom, EdProg, EdRep, EdParams})
            if (watched == e)
                ChoisitChamp(e);
    return QDialog::eventFilter(watched, event);
}

void TEcrOutil::ChoisitChamp(QLineEdit* champ)
{
    Champ_ = champ;
    const bool motsCles = champ == EdRep || champ == EdParams;
    for (QLabel* l : MotsCles)
        l->setEnabled(motsCles);
}

void TEcrOutil::InsereMotCle(const QString& libelle)
{
    if (!Champ_)
        return;
    Champ_->insert(libelle.section(QLatin1Char(' '), 0, 0));
    Champ_->setFocus(Qt::OtherFocusReason);
}

void TEcrOutil::Refuse(QLineEdit* champ, const QString& message)
{
    champ->setFocus(Qt::OtherFocusReason);
    if (ShowMessage)
        ShowMessage(message);
}

void TEcrOutil::BtnOkClick()
{
    const QString nom = EdNom->text();
    if (nom.isEmpty()) {
        Refuse(EdNom, QStringLiteral("Il faut donner un nom... merci !"));
        return;
    }
    if (Outils_)
        for (std::size_t i = 0; i < Outils_->size(); ++i)
            if (int(i) != Selection_ && AnsiToQString((*Outils_)[i].Nom) == nom) {
                Refuse(EdNom, QStringLiteral("Ce nom est déjà utilisé !"));
                return;
            }
    if (!ProgrammeExiste(EdProg->text())) {
        Refuse(EdProg, QStringLiteral("le programme n'existe pas !"));
        return;
    }
    accept();
}

} // namespace kep
