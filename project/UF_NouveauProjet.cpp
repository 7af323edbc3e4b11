#include "project/UF_NouveauProjet.h"

#include "controls/Nommage.h"
#include "platform/Paths.h"
#include "platform/QtText.h"

#include <QComboBox>
#include <QCompleter>
#include <QDir>
#include <QFileDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QStandardItemModel>
#include <QVBoxLayout>

namespace kep {

namespace {

constexpr TChaine Chaines[] = {TChaine::Gplink, TChaine::Gpasm, TChaine::Avra};

QString Utf8(std::string_view s)
{
    return QString::fromUtf8(s.data(), qsizetype(s.size()));
}

} // namespace

TEcrNouveauProjet::TEcrNouveauProjet(QWidget* parent, const TCataloguePuces* puces)
    : QDialog(parent), Puces_(puces ? *puces : TCataloguePuces::Systeme())
{
    setObjectName(QStringLiteral("EcrNouveauProjet"));
    setWindowTitle(QStringLiteral("Nouveau projet"));

    edNom = Nomme(new QLineEdit(this), "edNom");
    edDossier = Nomme(new QLineEdit(this), "edDossier");
    btnDossier = Bouton(this, "btnDossier", QStringLiteral("..."));
    btnDossier->setToolTip(QStringLiteral("Choisir le dossier du projet"));
    cbPuce = Nomme(new QComboBox(this), "cbPuce");
    cbPuce->setEditable(true);
    cbPuce->setInsertPolicy(QComboBox::NoInsert);
    QStringList noms;
    for (const std::string& n : Puces_.Noms())
        noms << QString::fromStdString(n);
    cbPuce->addItems(noms);
    cbPuce->setCurrentIndex(-1);
    auto* completer = new QCompleter(noms, cbPuce);
    completer->setCaseSensitivity(Qt::CaseInsensitive);
    completer->setFilterMode(Qt::MatchContains);
    cbPuce->setCompleter(completer);
    cbChaine = Nomme(new QComboBox(this), "cbChaine");
    for (TChaine c : Chaines)
        cbChaine->addItem(Utf8(LibelleChaine(c)));
    lblInfo = Nomme(new QLabel(this), "lblInfo");
    lblInfo->setWordWrap(true);
    lblInfo->setMinimumHeight(3 * fontMetrics().height());
    BtnCree = Nomme(new QPushButton(QStringLiteral("&Créer"), this), "BtnCree");
    BtnCree->setDefault(true);
    BtnAnnule = Bouton(this, "BtnAnnule", QStringLiteral("&Annuler"));

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("&Nom du projet :"), edNom);
    auto* ligneDossier = new QHBoxLayout;
    ligneDossier->addWidget(edDossier, 1);
    ligneDossier->addWidget(btnDossier);
    form->addRow(QStringLiteral("&Dossier :"), ligneDossier);
    form->addRow(QStringLiteral("&Puce :"), cbPuce);
    form->addRow(QStringLiteral("&Chaîne d'outils :"), cbChaine);
    // The labels' shortcuts reach their fields.
    for (int r = 0; r < form->rowCount(); ++r)
        if (auto* l = qobject_cast<QLabel*>(form->itemAt(r, QFormLayout::LabelRole)->widget()))
            if (QLayoutItem* f = form->itemAt(r, QFormLayout::FieldRole); f && f->widget())
                l->setBuddy(f->widget());
    if (auto* l = qobject_cast<QLabel*>(form->labelForField(ligneDossier)))
        l->setBuddy(edDossier);
    auto* boutons = new QHBoxLayout;
    boutons->addStretch();
    boutons->addWidget(BtnCree);
    boutons->addWidget(BtnAnnule);
    auto* v = new QVBoxLayout(this);
    v->addLayout(form);
    v->addWidget(lblInfo);
    v->addLayout(boutons);
    resize(520, sizeHint().height());

    AskReplace = [this](const QString& question) {
        return QMessageBox::question(this, QStringLiteral("Confirmation"), question, QMessageBox::Yes | QMessageBox::No,
                                     QMessageBox::No) == QMessageBox::Yes;
    };
    AskFolder = [this](const QString& start) {
        return QFileDialog::getExistingDirectory(this, QStringLiteral("Dossier du projet"), start);
    };

    SetDossierParent(QDir::homePath());
    connect(edNom, &QLineEdit::textChanged, this, [this] {
        if (!DossierChoisi_)
            edDossier->setText(QDir(Parent_).filePath(edNom->text().trimmed()));
        MajInfo();
    });
    connect(edDossier, &QLineEdit::textEdited, this, [this] {
        DossierChoisi_ = true;
        MajInfo();
    });
    connect(btnDossier, &QPushButton::clicked, this, [this] {
        const QString d = AskFolder ? AskFolder(edDossier->text()) : QString();
        if (d.isEmpty())
            return;
        DossierChoisi_ = true;
        edDossier->setText(QDir::cleanPath(d));
        MajInfo();
    });
    connect(cbPuce, &QComboBox::currentTextChanged, this, [this] {
        MajChaine();
        MajInfo();
    });
    connect(cbChaine, &QComboBox::currentIndexChanged, this, [this] { MajInfo(); });
    connect(BtnCree, &QPushButton::clicked, this, [this] {
        if (Cree())
            accept();
    });
    connect(BtnAnnule, &QPushButton::clicked, this, &QDialog::reject);
    MajInfo();
}

void TEcrNouveauProjet::SetDossierParent(const QString& folder)
{
    Parent_ = folder;
    if (!DossierChoisi_)
        edDossier->setText(QDir(Parent_).filePath(edNom->text().trimmed()));
}

TNouveauProjet TEcrNouveauProjet::Demande() const
{
    TNouveauProjet p;
    p.Nom = edNom->text().trimmed().toStdString();
    const QString dossier = edDossier->text().trimmed();
    p.Dossier = dossier.isEmpty() ? std::string() : QStringToPath(QDir::cleanPath(QDir::current().absoluteFilePath(dossier)));
    p.Puce = cbPuce->currentText().trimmed().toStdString();
    const int i = cbChaine->currentIndex();
    p.Chaine = Chaines[i >= 0 && i < 3 ? i : 0];
    return p;
}

void TEcrNouveauProjet::MajChaine()
{
    // Only the chains that build the chip can be chosen.
    const TFamille f = Puces_.Famille(cbPuce->currentText().trimmed().toStdString());
    auto* model = qobject_cast<QStandardItemModel*>(cbChaine->model());
    if (!model)
        return;
    for (int i = 0; i < 3; ++i) {
        const bool avra = Chaines[i] == TChaine::Avra;
        const bool ok = f == TFamille::Aucune || (f == TFamille::Avr) == avra;
        QStandardItem* it = model->item(i);
        it->setFlags(ok ? it->flags() | Qt::ItemIsEnabled : it->flags() & ~Qt::ItemIsEnabled);
    }
    const int i = cbChaine->currentIndex();
    if (f != TFamille::Aucune && i >= 0 && (f == TFamille::Avr) != (Chaines[i] == TChaine::Avra))
        cbChaine->setCurrentIndex(f == TFamille::Avr ? 2 : 0);
}

void TEcrNouveauProjet::MajInfo()
{
    const TPlanProjet plan = PrepareNouveauProjet(Demande(), Puces_, Options);
    BtnCree->setEnabled(plan.Erreur.empty());
    if (!plan.Erreur.empty()) {
        lblInfo->setText(Utf8(plan.Erreur));
        return;
    }
    QStringList noms;
    for (const TFichierNouveau& f : plan.Fichiers)
        noms << PathToQString(FileNameOf(f.Chemin));
    lblInfo->setText(QStringLiteral("Fichiers créés dans %1 : %2.")
                         .arg(PathToQString(FolderOf(plan.Projet)), noms.join(QStringLiteral(", "))));
}

bool TEcrNouveauProjet::Cree()
{
    const TPlanProjet plan = PrepareNouveauProjet(Demande(), Puces_, Options);
    if (!plan.Erreur.empty()) {
        lblInfo->setText(Utf8(plan.Erreur));
        return false;
    }
    const std::vector<std::string> la = FichiersExistants(plan);
    bool remplacer = false;
    if (!la.empty()) {
        QStringList noms;
        for (const std::string& f : la)
            noms << PathToQString(f);
        const QString q = (la.size() > 1 ? QStringLiteral("Ces fichiers existent déjà :\n%1\n\nLes remplacer ?")
                                         : QStringLiteral("Le fichier %1 existe déjà.\n\nLe remplacer ?"))
                              .arg(noms.join(QLatin1Char('\n')));
        if (!AskReplace || !AskReplace(q))
            return false;
        remplacer = true;
    }
    std::string erreur;
    if (!EcritNouveauProjet(plan, remplacer, &erreur)) {
        lblInfo->setText(Utf8(erreur));
        return false;
    }
    Plan_ = plan;
    return true;
}

} // namespace kep
