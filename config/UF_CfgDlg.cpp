// The configuration dialog: its pages, and the options in and out of them.
#include "config/UF_CfgDlg.h"

#include "app/UF_SelDir.h"
#include "build/U_ErrPresets.h"
#include "controls/Nommage.h"
#include "editor/UC_DessinStyles.h"
#include "platform/DesktopHelpers.h"
#include "platform/Help.h"
#include "platform/QtText.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QRadioButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QVBoxLayout>

namespace kep {

namespace {

QLineEdit* Champ(QWidget* parent, const char* name, bool lectureSeule = false)
{
    auto* e = Nomme(new QLineEdit(parent), name);
    if (lectureSeule) {
        e->setReadOnly(true);
        e->setFocusPolicy(Qt::NoFocus);
    }
    return e;
}

// A box that shows a setting without letting the user change it here.
QCheckBox* Temoin(QWidget* parent, const char* name, const QString& caption)
{
    auto* c = Nomme(new QCheckBox(caption, parent), name);
    c->setAttribute(Qt::WA_TransparentForMouseEvents);
    c->setFocusPolicy(Qt::NoFocus);
    return c;
}

QSpinBox* Nombre(QWidget* parent, const char* name, int min, int max)
{
    auto* s = Nomme(new QSpinBox(parent), name);
    s->setRange(min, max);
    return s;
}

QSpinBox* PositionLigne(QWidget* parent, const char* name)
{
    QSpinBox* s = Nombre(parent, name, 0, 20);
    s->setToolTip(QStringLiteral("Position de la ligne dans le bloc"));
    return s;
}

} // namespace

TEcrCfgDlg::TEcrCfgDlg(TEcrCfg& cfg, QWidget* parent) : QDialog(parent), Cfg_(cfg)
{
    setObjectName(QStringLiteral("EcrCfg"));
    setWindowTitle(QStringLiteral("Configuration de KEP et du projet"));
    Xdg = TXdgDirs::FromEnvironment();

    auto* top = new QVBoxLayout(this);
    Pages = Nomme(new QTabWidget(this), "Pages");
    top->addWidget(Pages);
    const char* noms[NbPages] = {"Styles", "Editeur", "Construction", "Erreurs", "Outils", "Facilités"};
    QWidget* page[NbPages];
    for (int i = 0; i < NbPages; ++i) {
        page[i] = new QWidget(Pages);
        Pages->addTab(page[i], QString::fromUtf8(noms[i]));
    }
    CreeStyles(page[pgStyles]);
    CreeEditeur(page[pgEditeur]);
    CreeConstruction(page[pgConstruction]);
    CreeErreurs(page[pgErreurs]);
    CreeOutils(page[pgOutils]);
    CreeFacilites(page[pgFacilites]);

    auto* boutons = new QHBoxLayout;
    btnOk = Bouton(this, "btnOk", QStringLiteral("Ok"));
    btnOk->setDefault(true);
    btnAnnuler = Bouton(this, "btnAnnuler", QStringLiteral("&Annuler"));
    btnAide = Bouton(this, "btnAide", QStringLiteral("Aide"));
    boutons->addStretch();
    boutons->addWidget(btnOk);
    boutons->addWidget(btnAnnuler);
    boutons->addWidget(btnAide);
    top->addLayout(boutons);

    connect(btnOk, &QPushButton::clicked, this, [this] {
        Valide();
        accept();
    });
    connect(btnAnnuler, &QPushButton::clicked, this, &QDialog::reject);
    connect(btnAide, &QPushButton::clicked, this, [this] {
        if (ShowHelp)
            ShowHelp(AideBase + Pages->currentIndex());
    });
    // Escape and the title bar's close reload as "&Annuler" does.
    connect(this, &QDialog::rejected, this, [this] { Cfg_.ChargeOptionsKEP(); });

    ExecDialog = [](QDialog& dlg) { return dlg.exec() == QDialog::Accepted; };
    AskFolder = [this](const QString& title, const QString& start) {
        TEcrSelDir chooser(this);
        chooser.setWindowTitle(title);
        chooser.SetFolder(start);
        return chooser.exec() == QDialog::Accepted ? chooser.Folder() : QString();
    };
    ShowHelp = [this](int context) { ShowHelpContext(QStringLiteral("Kep.hlp"), context, this); };
    ShowError = [this](const QString& text) {
        QMessageBox box(QMessageBox::Warning, QStringLiteral("Erreur"), text, QMessageBox::Ok, this);
        box.exec();
    };
    resize(640, 470);
    Charge();
}

void TEcrCfgDlg::CreeStyles(QWidget* page)
{
    auto* lay = new QHBoxLayout(page);
    gbTypes = Nomme(new QGroupBox(QStringLiteral(" Pour ces fichiers : "), page), "gbTypes");
    auto* g = new QGridLayout(gbTypes);
    ListeTypesFich = Nomme(new QComboBox(gbTypes), "ListeTypesFich");
    g->addWidget(ListeTypesFich, 0, 0, 1, 4);
    btnModifType = Bouton(gbTypes, "btnModifType", QStringLiteral("&Modifier"));
    btnAjoutType = Bouton(gbTypes, "btnAjoutType", QStringLiteral("&Ajouter"));
    btnSupprType = Bouton(gbTypes, "btnSupprType", QStringLiteral("&Supprimer"));
    auto* bl = new QHBoxLayout;
    bl->addWidget(btnModifType);
    bl->addWidget(btnAjoutType);
    bl->addWidget(btnSupprType);
    g->addLayout(bl, 1, 0, 1, 4);

    int row = 2;
    auto ligne = [&](const QString& label, QWidget* a, QWidget* b = nullptr) {
        g->addWidget(new QLabel(label, gbTypes), row, 0);
        g->addWidget(a, row, 1, 1, b ? 2 : 3);
        if (b)
            g->addWidget(b, row, 3);
        ++row;
    };
    edExt = Champ(gbTypes, "edExt", true);
    ligne(QStringLiteral("Extension :"), edExt);
    edNbrBak = Champ(gbTypes, "edNbrBak", true);
    ligne(QStringLiteral("Sauvegardes :"), edNbrBak);
    edPolice = Champ(gbTypes, "edPolice", true);
    edTaillePolice = Champ(gbTypes, "edTaillePolice", true);
    edTaillePolice->setMaximumWidth(48);
    ligne(QStringLiteral("Police :"), edPolice, edTaillePolice);
    auto* tabs = new QHBoxLayout;
    for (int i = 0; i < 6; ++i) {
        const std::string nom = "Tab" + std::to_string(i);
        Tab[i] = Champ(gbTypes, nom.c_str(), true);
        Tab[i]->setMaximumWidth(40);
        tabs->addWidget(Tab[i]);
    }
    g->addWidget(new QLabel(QStringLiteral("Tabuls :"), gbTypes), row, 0);
    g->addLayout(tabs, row++, 1, 1, 3);
    ConvDos = Temoin(gbTypes, "ConvDos", QStringLiteral("Convertir caractères accentués DOS"));
    ClrEol = Temoin(gbTypes, "ClrEol", QStringLiteral("Ote espaces et tabs en fin de lignes"));
    ReadOnly = Temoin(gbTypes, "ReadOnly", QStringLiteral("Toujours ouvert en 'lecture seule'"));
    Autosave = Temoin(gbTypes, "Autosave",
                      QStringLiteral("AutoSave (sauvegarde automatique avant assemblage si modifié)"));
    Autoload = Temoin(gbTypes, "Autoload",
                      QStringLiteral("Autoload (rechargement automatique si modifié par assemblage)"));
    for (QCheckBox* c : {ConvDos, ClrEol, ReadOnly, Autosave, Autoload})
        g->addWidget(c, row++, 0, 1, 4);
    g->setRowStretch(row, 1);
    lay->addWidget(gbTypes, 3);

    DemoStyles = Nomme(new QListWidget(page), "DemoStyles");
    DemoStyles->setSelectionMode(QAbstractItemView::NoSelection);
    DemoStyles->setFocusPolicy(Qt::NoFocus);
    for (int st = 0; st < StyleCount; ++st) {
        const std::string_view nom = StyleLabel(TStyleType(st));
        DemoStyles->addItem(QString::fromUtf8(nom.data(), qsizetype(nom.size())));
    }
    DemoStyles->setItemDelegate(new TDessinStyles(StylesDemo_, 2, DemoStyles));
    // Every sample whole, bold ones included, without a scroll bar.
    DemoStyles->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    DemoStyles->setMinimumWidth(DemoStyles->sizeHintForColumn(0) + 2 * DemoStyles->frameWidth() + 4);
    lay->addWidget(DemoStyles, 2);

    connect(ListeTypesFich, &QComboBox::currentIndexChanged, this, [this] {
        if (!Remplissage_)
            MontreType();
    });
    connect(btnModifType, &QPushButton::clicked, this, [this] { EditeType(false); });
    connect(btnAjoutType, &QPushButton::clicked, this, [this] { EditeType(true); });
    connect(btnSupprType, &QPushButton::clicked, this, &TEcrCfgDlg::SupprimeType);
}

void TEcrCfgDlg::CreeEditeur(QWidget* page)
{
    auto* g = new QGridLayout(page);
    SymbRem = Champ(page, "SymbRem");
    SymbRem->setMaximumWidth(60);
    g->addWidget(new QLabel(QStringLiteral("Symbole de début de remarque :"), page), 0, 0);
    g->addWidget(SymbRem, 0, 1);
    g->setColumnStretch(2, 1);
    g->setRowStretch(1, 1);
}

void TEcrCfgDlg::CreeConstruction(QWidget* page)
{
    auto* v = new QVBoxLayout(page);
    auto* gbTab = new QGroupBox(QStringLiteral(" Emplacement des fichiers processeurs (.s, .tab) "), page);
    auto* ht = new QHBoxLayout(gbTab);
    TabPath = Champ(gbTab, "TabPath");
    btnTabPath = Bouton(gbTab, "btnTabPath", QStringLiteral("..."));
    btnTabPath->setMaximumWidth(32);
    ht->addWidget(TabPath);
    ht->addWidget(btnTabPath);
    v->addWidget(gbTab);

    auto* gbMake = new QGroupBox(QStringLiteral(" Assemblage (Make) "), page);
    auto* gm = new QGridLayout(gbMake);
    ProgMake = Champ(gbMake, "ProgMake");
    ParamMake = Champ(gbMake, "ParamMake");
    ParamMakeTout = Champ(gbMake, "ParamMakeTout");
    gm->addWidget(new QLabel(QStringLiteral("Programe 'Make'"), gbMake), 0, 0);
    gm->addWidget(ProgMake, 0, 1);
    gm->addWidget(new QLabel(QStringLiteral("Paramètres \"Construire\""), gbMake), 1, 0);
    gm->addWidget(ParamMake, 1, 1);
    gm->addWidget(new QLabel(QStringLiteral("Paramètres \"Tout reconstruire\""), gbMake), 2, 0);
    gm->addWidget(ParamMakeTout, 2, 1);
    v->addWidget(gbMake);

    auto* gbAff = new QGroupBox(QStringLiteral(" Affichage pendant Make "), page);
    auto* va = new QVBoxLayout(gbAff);
    rbAffConsole = Nomme(new QRadioButton(QStringLiteral("Afficher la console pendant la construction"), gbAff),
                         "rbAffConsole");
    cbAfficheInfos = Nomme(new QCheckBox(QStringLiteral("Afficher les informations d'environnement"), gbAff),
                           "cbAfficheInfos");
    cbFermeConsole = Nomme(
        new QCheckBox(QStringLiteral("Fermer automatiquement la console en fin de construction sans erreur"), gbAff),
        "cbFermeConsole");
    rbMakeLog = Nomme(
        new QRadioButton(QStringLiteral("Rediriger les sorties consoles vers le fichier 'MakeLog.txt'"), gbAff),
        "rbMakeLog");
    va->addWidget(rbAffConsole);
    for (QCheckBox* c : {cbAfficheInfos, cbFermeConsole}) {
        auto* h = new QHBoxLayout;
        h->addSpacing(20);
        h->addWidget(c);
        va->addLayout(h);
    }
    va->addWidget(rbMakeLog);
    v->addWidget(gbAff);
    v->addStretch();

    connect(TabPath, &QLineEdit::editingFinished, this, &TEcrCfgDlg::FinTabPath);
    connect(btnTabPath, &QPushButton::clicked, this, &TEcrCfgDlg::ChoisitTabPath);
    connect(rbAffConsole, &QRadioButton::toggled, this, &TEcrCfgDlg::MajConsole);
}

void TEcrCfgDlg::CreeErreurs(QWidget* page)
{
    auto* v = new QVBoxLayout(page);
    auto* hp = new QHBoxLayout;
    hp->addWidget(new QLabel(QStringLiteral("Assembleur :"), page));
    cbAssembleur = Nomme(new QComboBox(page), "cbAssembleur");
    for (const TErrPreset& p : ErrPresets())
        cbAssembleur->addItem(AnsiToQString(p.Nom));
    cbAssembleur->addItem(QStringLiteral("Personnalisé"));
    hp->addWidget(cbAssembleur);
    hp->addStretch();
    v->addLayout(hp);
    lblAssembleur = Nomme(new QLabel(page), "lblAssembleur");
    lblAssembleur->setWordWrap(true);
    v->addWidget(lblAssembleur);

    auto* gb = new QGroupBox(QStringLiteral(" Localisation des erreurs "), page);
    auto* g = new QGridLayout(gb);
    FichErr = Champ(gb, "FichErr");
    NbrLigErr = Nombre(gb, "NbrLigErr", 1, 1000);
    MarqErr = Champ(gb, "MarqErr");
    LigMarqErr = PositionLigne(gb, "LigMarqErr");
    MarqErr2 = Champ(gb, "MarqErr2");
    LigMarqErr2 = PositionLigne(gb, "LigMarqErr2");
    DebNomFich = Champ(gb, "DebNomFich");
    FinNomFich = Champ(gb, "FinNomFich");
    LigNomFich = PositionLigne(gb, "LigNomFich");
    DebNumLig = Champ(gb, "DebNumLig");
    FinNumLig = Champ(gb, "FinNumLig");
    LigNumLig = PositionLigne(gb, "LigNumLig");
    for (QLineEdit* e : {MarqErr, MarqErr2})
        e->setToolTip(QStringLiteral("Texte apparaissant uniquement dans le bloc décrivant l'erreur"));
    for (QLineEdit* e : {DebNomFich, DebNumLig})
        e->setToolTip(QStringLiteral("Texte précédent ou #Numéro du premier caractère"));
    for (QLineEdit* e : {FinNomFich, FinNumLig})
        e->setToolTip(QStringLiteral("Texte suivant ou #Numéro du dernier caractère"));

    g->addWidget(new QLabel(QStringLiteral("Fichier erreurs"), gb), 0, 0);
    g->addWidget(FichErr, 0, 1, 1, 2);
    g->addWidget(new QLabel(QStringLiteral("Nombre de lignes du bloc erreur"), gb), 1, 0);
    g->addWidget(NbrLigErr, 1, 3);
    g->addWidget(new QLabel(QStringLiteral("Marqueur du bloc erreur"), gb), 2, 0);
    g->addWidget(MarqErr, 2, 1, 1, 2);
    g->addWidget(LigMarqErr, 2, 3);
    g->addWidget(MarqErr2, 3, 1, 1, 2);
    g->addWidget(LigMarqErr2, 3, 3);
    g->addWidget(new QLabel(QStringLiteral("Marqueurs nom du fichier source"), gb), 4, 0);
    g->addWidget(DebNomFich, 4, 1);
    g->addWidget(FinNomFich, 4, 2);
    g->addWidget(LigNomFich, 4, 3);
    g->addWidget(new QLabel(QStringLiteral("Marqueurs numéro de ligne de l'erreur"), gb), 5, 0);
    g->addWidget(DebNumLig, 5, 1);
    g->addWidget(FinNumLig, 5, 2);
    g->addWidget(LigNumLig, 5, 3);
    v->addWidget(gb);

    auto* hb = new QHBoxLayout;
    btnDefautErr = Bouton(page, "btnDefautErr", QStringLiteral("Définir comme paramètres par défaut"));
    btnChargeErr = Bouton(page, "btnChargeErr", QStringLiteral("Charger paramètres par défaut"));
    hb->addWidget(btnDefautErr);
    hb->addWidget(btnChargeErr);
    v->addLayout(hb);
    v->addStretch();

    connect(cbAssembleur, &QComboBox::activated, this, &TEcrCfgDlg::ChoisitPreset);
    connect(cbAssembleur, &QComboBox::activated, this, [this](int index) {
        // An assembler's preset names the project's assembler too.
        if (index >= 0 && index < int(ErrPresets().size()))
            if (const auto a = LitAssembleur(ErrPresets()[std::size_t(index)].Nom))
                AssembleurChoisi_ = a;
    });
    for (QLineEdit* e : {FichErr, MarqErr, MarqErr2, DebNomFich, FinNomFich, DebNumLig, FinNumLig})
        connect(e, &QLineEdit::textChanged, this, &TEcrCfgDlg::MajPreset);
    for (QSpinBox* s : {NbrLigErr, LigMarqErr, LigMarqErr2, LigNomFich, LigNumLig})
        connect(s, &QSpinBox::valueChanged, this, &TEcrCfgDlg::MajPreset);
    connect(btnDefautErr, &QPushButton::clicked, this, [this] { Cfg_.SauveErrDefaults(LitErr()); });
    connect(btnChargeErr, &QPushButton::clicked, this, [this] {
        TErrDefaults err = LitErr();
        Cfg_.ChargeErrDefaults(err);
        MontreErr(err);
    });
}

void TEcrCfgDlg::CreeOutils(QWidget* page)
{
    auto* h = new QHBoxLayout(page);
    ListeOutils = Nomme(new QListWidget(page), "ListeOutils");
    h->addWidget(ListeOutils, 1);
    auto* v = new QVBoxLayout;
    btnAjoutOutil = Bouton(page, "btnAjoutOutil", QStringLiteral("&Ajouter"));
    btnSupprOutil = Bouton(page, "btnSupprOutil", QStringLiteral("&Supprimer"));
    btnModifOutil = Bouton(page, "btnModifOutil", QStringLiteral("&Modifier"));
    BtnHaut = Bouton(page, "BtnHaut", QStringLiteral("▲"));
    BtnHaut->setToolTip(QStringLiteral("Monter l'outil dans le menu"));
    BtnBas = Bouton(page, "BtnBas", QStringLiteral("▼"));
    BtnBas->setToolTip(QStringLiteral("Descendre l'outil dans le menu"));
    for (QPushButton* b : {btnAjoutOutil, btnSupprOutil, btnModifOutil})
        v->addWidget(b);
    v->addSpacing(16);
    v->addWidget(BtnHaut);
    v->addWidget(BtnBas);
    v->addStretch();
    h->addLayout(v);

    connect(ListeOutils, &QListWidget::currentRowChanged, this, &TEcrCfgDlg::MajBoutonsOutils);
    connect(ListeOutils, &QListWidget::itemDoubleClicked, this, [this] { EditeOutil(false); });
    connect(btnAjoutOutil, &QPushButton::clicked, this, [this] { EditeOutil(true); });
    connect(btnModifOutil, &QPushButton::clicked, this, [this] { EditeOutil(false); });
    connect(btnSupprOutil, &QPushButton::clicked, this, &TEcrCfgDlg::SupprimeOutil);
    connect(BtnHaut, &QPushButton::clicked, this, [this] { DeplaceOutil(-1); });
    connect(BtnBas, &QPushButton::clicked, this, [this] { DeplaceOutil(1); });
}

void TEcrCfgDlg::CreeFacilites(QWidget* page)
{
    auto* v = new QVBoxLayout(page);
    auto* gbAsso = new QGroupBox(QStringLiteral(" Associations et lancement "), page);
    auto* va = new QVBoxLayout(gbAsso);
    auto* attention =
        new QLabel(QStringLiteral("Attention : les actions dans ce cadre sont effectives immédiatement."), gbAsso);
    attention->setStyleSheet(QStringLiteral("color: #800000"));
    chkAssoPja =
        Nomme(new QCheckBox(QStringLiteral("Associer l'extention de fichier '.pja' à KEP"), gbAsso), "chkAssoPja");
    chkRaccourci =
        Nomme(new QCheckBox(QStringLiteral("Placer un raccourci vers KEP sur le bureau"), gbAsso), "chkRaccourci");
    va->addWidget(attention);
    va->addWidget(chkAssoPja);
    va->addWidget(chkRaccourci);
    lblAssistants = Nomme(new QLabel(gbAsso), "lblAssistants");
    lblAssistants->setWordWrap(true);
    lblAssistants->hide();
    va->addWidget(lblAssistants);
    v->addWidget(gbAsso);

    auto* gbBak = new QGroupBox(QStringLiteral(" Sauvegarde automatique "), page);
    auto* gb = new QGridLayout(gbBak);
    EnableBak = Nomme(new QCheckBox(QStringLiteral("Activée"), gbBak), "EnableBak");
    lblDelaiBak = Nomme(new QLabel(QStringLiteral("Toutes les"), gbBak), "lblDelaiBak");
    DelaiBak = Nombre(gbBak, "DelaiBak", DelaiBakMin, DelaiBakMax);
    lblDelaiBak->setBuddy(DelaiBak);
    gb->addWidget(EnableBak, 0, 0);
    gb->addWidget(lblDelaiBak, 0, 1, Qt::AlignRight);
    gb->addWidget(DelaiBak, 0, 2);
    gb->addWidget(new QLabel(QStringLiteral("minutes"), gbBak), 0, 3);
    gb->setColumnStretch(4, 1);
    gb->addWidget(new QLabel(QStringLiteral("(Les fichiers seront sauvés avec l'extension '.bak' ajoutée à leur nom)"),
                             gbBak),
                  1, 0, 1, 5);
    v->addWidget(gbBak);

    auto* gbNet = new QGroupBox(QStringLiteral(" Fichiers à effacer en quittant "), page);
    auto* gn = new QGridLayout(gbNet);
    NetPartiel = Champ(gbNet, "NetPartiel");
    NetComplet = Champ(gbNet, "NetComplet");
    gn->addWidget(new QLabel(QStringLiteral("Nettoyage partiel"), gbNet), 0, 0);
    gn->addWidget(NetPartiel, 0, 1);
    gn->addWidget(new QLabel(QStringLiteral("Nettoyage complet"), gbNet), 1, 0);
    gn->addWidget(NetComplet, 1, 1);
    gn->addWidget(
        new QLabel(QStringLiteral("(Séparer les noms des fichiers à supprimer par des points-virgules)"), gbNet), 2,
        0, 1, 2);
    v->addWidget(gbNet);
    v->addStretch();

    connect(EnableBak, &QCheckBox::toggled, this, &TEcrCfgDlg::MajDelaiBak);
    // Only the user's clicks act on the desktop, not the state shown on load.
    connect(chkAssoPja, &QCheckBox::clicked, this, &TEcrCfgDlg::AssocieClick);
    connect(chkRaccourci, &QCheckBox::clicked, this, &TEcrCfgDlg::RaccourciClick);
    connect(&TAssistantsBureau::Instance(), &TAssistantsBureau::SansReponse, this, [this](const QString& nom) {
        const QString ligne = QStringLiteral("« %1 » n'a pas répondu à temps et a été arrêté : le bureau ne verra "
                                             "peut-être le changement qu'après sa prochaine mise à jour.")
                                  .arg(nom);
        lblAssistants->setText(lblAssistants->text().isEmpty() ? ligne : lblAssistants->text() + u'\n' + ligne);
        lblAssistants->show();
    });
}

// ---- Options in and out -------------------------------------------------------

void TEcrCfgDlg::Charge()
{
    Cfg_.ChargeOptionsKEP();
    const TOptionsKep& o = Cfg_.Data;
    Remplissage_ = true;

    Types_ = o.TypesFich;
    const int sel = o.TypeFichSel >= 0 && o.TypeFichSel < int(Types_.size()) ? o.TypeFichSel : 0;
    RemplitTypes(Types_.empty() ? std::string() : Types_[std::size_t(sel)].Nom);

    SymbRem->setText(AnsiToQString(o.SymbRem));
    TabPath->setText(PathToQString(o.TabPath));
    ProgMake->setText(PathToQString(o.ProgMake));
    ParamMake->setText(AnsiToQString(o.ParamMake));
    ParamMakeTout->setText(AnsiToQString(o.ParamMakeTout));
    (o.MakeLog ? rbMakeLog : rbAffConsole)->setChecked(true);
    cbAfficheInfos->setChecked(o.AfficheInfos);
    cbFermeConsole->setChecked(o.FermeConsole);

    Outils_ = o.Outils;
    MontreOutils(Outils_.empty() ? -1 : 0);

    NetPartiel->setText(AnsiToQString(o.NetPartiel));
    NetComplet->setText(AnsiToQString(o.NetComplet));
    EnableBak->setChecked(o.EnableBak);
    DelaiBak->setValue(o.DelaiBak);

    Remplissage_ = false;
    MontreType();
    MajConsole();
    MajDelaiBak();
    MontreErr(o.Err);
    MontreEtatBureau();
}

void TEcrCfgDlg::Lit(TOptionsKep& o) const
{
    o.TypesFich = Types_;
    SortTypesFich(o.TypesFich);
    o.TypeFichSel = 0;
    if (const int t = TypeCourant(); t >= 0)
        for (std::size_t i = 0; i < o.TypesFich.size(); ++i)
            if (o.TypesFich[i] == Types_[std::size_t(t)])
                o.TypeFichSel = int(i);
    o.SymbRem = QStringToAnsi(SymbRem->text());
    o.TabPath = QStringToPath(TabPath->text());
    o.ProgMake = QStringToPath(ProgMake->text());
    o.ParamMake = QStringToAnsi(ParamMake->text());
    o.ParamMakeTout = QStringToAnsi(ParamMakeTout->text());
    o.MakeLog = rbMakeLog->isChecked();
    o.AfficheInfos = cbAfficheInfos->isChecked();
    o.FermeConsole = cbFermeConsole->isChecked();
    o.Outils = Outils_;
    o.OutilSel = ListeOutils->currentRow();
    o.NetPartiel = QStringToAnsi(NetPartiel->text());
    o.NetComplet = QStringToAnsi(NetComplet->text());
    o.EnableBak = EnableBak->isChecked();
    o.DelaiBak = DelaiBak->value();
    o.Err = LitErr();
}

bool TEcrCfgDlg::Valide()
{
    FinTabPath(); // Enter may have ended the dialog without leaving the field
    Lit(Cfg_.Data);
    return Cfg_.SauveOptionsKEP();
}

bool TEcrCfgDlg::Exec(QDialog& dlg)
{
    return ExecDialog ? ExecDialog(dlg) : dlg.exec() == QDialog::Accepted;
}

void TEcrCfgDlg::Erreur(const QString& text)
{
    if (ShowError)
        ShowError(text);
}

} // namespace kep
