#include "editor/UF_CfgFich.h"

#include "controls/Nommage.h"
#include "editor/SystemColours.h"
#include "editor/UC_DessinStyles.h"
#include "platform/Help.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QFontDatabase>
#include <QGridLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QSpinBox>
#include <QVBoxLayout>

#include <algorithm>
#include <cstdlib>

namespace kep {

namespace {

// The sizes offered for a font that scales to any size.
constexpr int TaillesStandard[] = {8, 9, 10, 11, 12, 14, 16, 18, 20, 22, 24, 26, 28, 36, 48, 72};
// Space left of the style names; the selection bar fills it.
constexpr int MargeStyle = 8;

QString Texte(std::string_view s)
{
    return QString::fromUtf8(s.data(), qsizetype(s.size()));
}

std::string Octets(const QString& s)
{
    return s.toUtf8().toStdString();
}

// Hidden controls keep their place so that the others do not move while
// the user clicks the boxes that hide them.
void GardePlace(QWidget* w)
{
    QSizePolicy p = w->sizePolicy();
    p.setRetainSizeWhenHidden(true);
    w->setSizePolicy(p);
}


// The fixed-pitch families of the screen, each name once: Qt lists a family
// once per foundry ("Name [Foundry]") when foundries share it.
QStringList FamillesFixes()
{
    QStringList noms;
    for (const QString& f : QFontDatabase::families()) {
        if (QFontDatabase::isPrivateFamily(f) || !QFontDatabase::isFixedPitch(f))
            continue;
        QString nom = f;
        const qsizetype crochet = nom.indexOf(QLatin1String(" ["));
        if (crochet > 0 && nom.endsWith(QLatin1Char(']')))
            nom.truncate(crochet);
        if (!noms.contains(nom, Qt::CaseInsensitive))
            noms << nom;
    }
    noms.sort(Qt::CaseInsensitive);
    return noms;
}

// The sizes to offer for a family, in points, ascending. A family the
// database does not know (an alias the system resolves, such as "Courier
// New") is taken as scalable.
// A scalable font also offers `courante` when the list lacks it, so that a
// file at 13 points keeps its size when the dialog is only looked at.
QList<int> TaillesDe(const QString& famille, int courante)
{
    QList<int> tailles;
    if (!famille.isEmpty() && QFontDatabase::families().contains(famille, Qt::CaseInsensitive)
        && !QFontDatabase::isScalable(famille))
        tailles = QFontDatabase::pointSizes(famille);
    if (tailles.isEmpty()) {
        tailles = QList<int>(std::begin(TaillesStandard), std::end(TaillesStandard));
        if (courante > 0 && courante <= 200 && !tailles.contains(courante)) {
            tailles.append(courante);
            std::sort(tailles.begin(), tailles.end());
        }
    }
    return tailles;
}

} // namespace

TEcrParamFich::TEcrParamFich(QWidget* parent) : QDialog(parent), Styles_(DefaultStyles())
{
    setObjectName(QStringLiteral("EcrParamFich"));
    setWindowTitle(QStringLiteral("Paramètres de fichier"));

    // Name, font and tab stops.
    lblNom = Nomme(new QLabel(QStringLiteral("&Nom :"), this), "lblNom");
    edNom = Nomme(new QLineEdit(this), "edNom");
    lblNom->setBuddy(edNom);
    lblExt = Nomme(new QLabel(QStringLiteral("&Extension :"), this), "lblExt");
    edExt = Nomme(new QLineEdit(this), "edExt");
    edExt->setMaximumWidth(90);
    lblExt->setBuddy(edExt);
    auto* lblPolice = Nomme(new QLabel(QStringLiteral("&Police :"), this), "lblPolice");
    Police = Nomme(new QComboBox(this), "Police");
    Police->setMaxVisibleItems(16);
    lblPolice->setBuddy(Police);
    auto* lblTaille = Nomme(new QLabel(QStringLiteral("&Taille :"), this), "lblTaille");
    cbTaillePolice = Nomme(new QComboBox(this), "cbTaillePolice");
    cbTaillePolice->setMaxVisibleItems(16);
    lblTaille->setBuddy(cbTaillePolice);
    auto* lblTabs = Nomme(new QLabel(QStringLiteral("Ta&bulations :"), this), "lblTabs");
    edTabs = Nomme(new QLineEdit(this), "edTabs");
    edTabs->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9+,]*")), edTabs));
    lblTabs->setBuddy(edTabs);
    rbTabsAbs = Nomme(new QRadioButton(QStringLiteral("Abs."), this), "rbTabsAbs");
    rbTabsRel = Nomme(new QRadioButton(QStringLiteral("Rel."), this), "rbTabsRel");
    rbTabsAbs->setChecked(true);
    auto* modeTabs = new QButtonGroup(this);
    modeTabs->addButton(rbTabsAbs);
    modeTabs->addButton(rbTabsRel);
    BtnDefAsm = Bouton(this, "BtnDefAsm", QStringLiteral("Tabs asm usine"));
    btnDefTxt = Bouton(this, "btnDefTxt", QStringLiteral("Tabs texte usine"));

    auto* champs = new QGridLayout;
    champs->setColumnStretch(1, 1);
    champs->addWidget(lblNom, 0, 0);
    champs->addWidget(edNom, 0, 1);
    champs->addWidget(lblExt, 0, 2, Qt::AlignRight);
    champs->addWidget(edExt, 0, 3);
    champs->addWidget(lblPolice, 1, 0);
    champs->addWidget(Police, 1, 1);
    champs->addWidget(lblTaille, 1, 2, Qt::AlignRight);
    champs->addWidget(cbTaillePolice, 1, 3);
    champs->addWidget(lblTabs, 2, 0);
    auto* ligneTabs = new QHBoxLayout;
    ligneTabs->addWidget(edTabs, 1);
    ligneTabs->addWidget(rbTabsAbs);
    ligneTabs->addWidget(rbTabsRel);
    ligneTabs->addSpacing(6);
    ligneTabs->addWidget(BtnDefAsm);
    ligneTabs->addWidget(btnDefTxt);
    champs->addLayout(ligneTabs, 2, 1, 1, 3);

    // File options and backups.
    ConvDos = Nomme(new QCheckBox(QStringLiteral("Convertir caractères accentués DOS"), this), "ConvDos");
    Autosave = Nomme(new QCheckBox(QStringLiteral("AutoSave (sauvegarde automatique avant assemblage si modifié)"), this),
                     "Autosave");
    Autoload = Nomme(new QCheckBox(QStringLiteral("Autoload (rechargement automatique si modifié par assemblage)"), this),
                     "Autoload");
    ReadOnly = Nomme(new QCheckBox(QStringLiteral("Toujours ouvert en 'lecture seule'"), this), "ReadOnly");
    ClrEol = Nomme(new QCheckBox(QStringLiteral("Ote espaces et tabs en fin de lignes"), this), "ClrEol");
    auto* lblNbrBak1 = Nomme(new QLabel(QStringLiteral("Nombre de"), this), "lblNbrBak1");
    auto* lblNbrBak2 = Nomme(new QLabel(QStringLiteral("sauvegardes :"), this), "lblNbrBak2");
    edNbrBak = Nomme(new QSpinBox(this), "edNbrBak");
    edNbrBak->setRange(0, MaxBackups);
    lblNbrBak2->setBuddy(edNbrBak);

    auto* boites = new QVBoxLayout;
    boites->setSpacing(2);
    for (QCheckBox* c : {ConvDos, Autosave, Autoload, ReadOnly, ClrEol})
        boites->addWidget(c);
    auto* sauvegardes = new QGridLayout;
    sauvegardes->setVerticalSpacing(0);
    sauvegardes->addWidget(lblNbrBak1, 0, 0);
    sauvegardes->addWidget(lblNbrBak2, 1, 0);
    sauvegardes->addWidget(edNbrBak, 1, 1);
    sauvegardes->setRowStretch(2, 1);
    auto* options = new QHBoxLayout;
    options->addLayout(boites, 1);
    options->addSpacing(12);
    options->addLayout(sauvegardes);

    // Colours.
    gbCouleurs = Nomme(new QGroupBox(QStringLiteral(" Couleurs d'affichage "), this), "gbCouleurs");
    ListeStyles = Nomme(new QListWidget(gbCouleurs), "ListeStyles");
    ListeStyles->setSelectionMode(QAbstractItemView::SingleSelection);
    ListeStyles->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    ListeStyles->setItemDelegate(new TDessinStyles(Styles_, MargeStyle, ListeStyles));
    for (int i = 0; i < StyleCount; ++i)
        ListeStyles->addItem(Texte(StyleLabel(TStyleType(i))));
    {
        // Every style in sight, and the widest name clear of the frame.
        const int cadre = 2 * ListeStyles->frameWidth();
        const QSize item = ListeStyles->sizeHintForIndex(ListeStyles->model()->index(0, 0));
        ListeStyles->setMinimumHeight(StyleCount * item.height() + cadre);
        ListeStyles->setMinimumWidth(ListeStyles->sizeHintForColumn(0) + cadre + 8);
    }

    gbAttributs = Nomme(new QGroupBox(QStringLiteral(" Attributs du texte "), gbCouleurs), "gbAttributs");
    cbTxtSntx = Nomme(new QCheckBox(QStringLiteral("Fournis par syntaxe"), gbAttributs), "cbTxtSntx");
    btnTextPerso = Bouton(gbAttributs, "btnTextPerso", QStringLiteral("Autre couleur de texte"));
    cbGras = Nomme(new QCheckBox(QStringLiteral("Gras"), gbAttributs), "cbGras");
    cbBarre = Nomme(new QCheckBox(QStringLiteral("Barré"), gbAttributs), "cbBarre");
    cbItal = Nomme(new QCheckBox(QStringLiteral("Italique"), gbAttributs), "cbItal");
    cbSouligne = Nomme(new QCheckBox(QStringLiteral("Souligné"), gbAttributs), "cbSouligne");
    auto* attributs = new QGridLayout(gbAttributs);
    attributs->setVerticalSpacing(3);
    attributs->addWidget(cbTxtSntx, 0, 0, 1, 2);
    attributs->addWidget(btnTextPerso, 1, 0, 1, 2);
    attributs->addWidget(cbGras, 2, 0);
    attributs->addWidget(cbItal, 2, 1);
    attributs->addWidget(cbSouligne, 3, 0);
    attributs->addWidget(cbBarre, 3, 1);

    gbFond = Nomme(new QGroupBox(QStringLiteral(" Couleur du fond "), gbCouleurs), "gbFond");
    cbFondCtx = Nomme(new QCheckBox(QStringLiteral("Fournie par contexte"), gbFond), "cbFondCtx");
    btnFondPerso = Bouton(gbFond, "btnFondPerso", QStringLiteral("Autre couleur de fond "));
    auto* fond = new QVBoxLayout(gbFond);
    fond->setSpacing(3);
    fond->addWidget(cbFondCtx);
    fond->addWidget(btnFondPerso);

    for (QWidget* w : std::initializer_list<QWidget*>{btnTextPerso, cbGras, cbBarre, cbItal, cbSouligne, btnFondPerso})
        GardePlace(w);

    btnClair = Bouton(gbCouleurs, "btnClair", QStringLiteral("Plus clair"));
    btnFonce = Bouton(gbCouleurs, "btnFonce", QStringLiteral("Plus foncé"));
    btnCoulsStd = Bouton(gbCouleurs, "btnCoulsStd", QStringLiteral("Couleurs usine"));
    btnApplStyles = Bouton(gbCouleurs, "btnApplStyles",
                           QStringLiteral("Appliquer\nces couleurs\nà tous\nles fichiers\nde ce style\ndéjà ouverts"));
    btnApplStyles->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Expanding);
    btnApplStyles->hide();

    // The list sets the height: the attributes beside it, the commands on
    // the whole table in a column of their own.
    auto* reglages = new QVBoxLayout;
    reglages->addWidget(gbAttributs);
    reglages->addWidget(gbFond);
    reglages->addStretch(1);
    auto* commandes = new QVBoxLayout;
    commandes->addWidget(btnClair);
    commandes->addWidget(btnFonce);
    commandes->addWidget(btnCoulsStd);
    commandes->addSpacing(6);
    commandes->addWidget(btnApplStyles, 1);
    commandes->addStretch(0);
    auto* couleurs = new QHBoxLayout(gbCouleurs);
    couleurs->addWidget(ListeStyles, 1);
    couleurs->addLayout(reglages);
    couleurs->addLayout(commandes);

    // Closing.
    btnAide = Bouton(this, "btnAide", QStringLiteral("Aide"));
    btnCeFich = Bouton(this, "btnCeFich", QStringLiteral("Ok"));
    btnCeFich->setDefault(true);
    BtnAnuler = Bouton(this, "BtnAnuler", QStringLiteral("&Annuler"));
    auto* fin = new QHBoxLayout;
    fin->addWidget(btnAide);
    fin->addStretch(1);
    fin->addWidget(btnCeFich);
    fin->addWidget(BtnAnuler);

    auto* tout = new QVBoxLayout(this);
    tout->addLayout(champs);
    tout->addSpacing(4);
    tout->addLayout(options);
    tout->addSpacing(4);
    tout->addWidget(gbCouleurs, 1);
    tout->addLayout(fin);

    connect(Police, &QComboBox::currentIndexChanged, this, [this] {
        if (!Remplissage_)
            RemplitTailles();
    });
    connect(cbTaillePolice, &QComboBox::currentIndexChanged, this, [this] {
        if (Remplissage_)
            return;
        bool ok = false;
        const int t = cbTaillePolice->currentText().trimmed().toInt(&ok);
        if (ok)
            Taille_ = t;
    });
    connect(qGuiApp, &QGuiApplication::fontDatabaseChanged, this, &TEcrParamFich::RemplitPolices);
    connect(rbTabsAbs, &QRadioButton::toggled, this, [this] { MontreTabs(LitTabs(Octets(edTabs->text()))); });
    connect(BtnDefAsm, &QPushButton::clicked, this, [this] { MontreTabs(TabsAsmUsine); });
    connect(btnDefTxt, &QPushButton::clicked, this, [this] { MontreTabs(TabsTexteUsine); });
    connect(edExt, &QLineEdit::textChanged, this, &TEcrParamFich::ExtChange);
    connect(ListeStyles, &QListWidget::currentRowChanged, this, &TEcrParamFich::MontreStyle);
    for (QCheckBox* c : {cbTxtSntx, cbGras, cbBarre, cbItal, cbSouligne, cbFondCtx})
        connect(c, &QCheckBox::clicked, this, &TEcrParamFich::StockeAttributs);
    connect(btnTextPerso, &QPushButton::clicked, this, [this] { ChoisitCouleur(false); });
    connect(btnFondPerso, &QPushButton::clicked, this, [this] { ChoisitCouleur(true); });
    connect(btnClair, &QPushButton::clicked, this, [this] { Nuance(PourCentPlusClair); });
    connect(btnFonce, &QPushButton::clicked, this, [this] { Nuance(PourCentPlusFonce); });
    connect(btnCoulsStd, &QPushButton::clicked, this, [this] {
        Styles_ = DefaultStyles();
        StylesChanges();
    });
    connect(btnApplStyles, &QPushButton::clicked, this, [this] {
        if (OnApplStyles)
            OnApplStyles(NormaliseExt(Octets(edExt->text())), Styles_);
    });
    connect(btnAide, &QPushButton::clicked, this, [this] {
        if (Aide)
            Aide();
    });
    connect(btnCeFich, &QPushButton::clicked, this, &QDialog::accept);
    connect(BtnAnuler, &QPushButton::clicked, this, &QDialog::reject);

    AskColor = [this](const QColor& start) -> std::optional<QColor> {
        // The first styles' text colours at hand among the custom colours.
        for (int i = 0; i < 4; ++i)
            QColorDialog::setCustomColor(i, ResolveColour(Styles_[std::size_t(i)].Fore));
        const QColor c = QColorDialog::getColor(start, this);
        if (!c.isValid())
            return std::nullopt;
        return c;
    };
    Aide = [this] { ShowHelpContext(QStringLiteral("Kep.hlp"), 11100, this); };

    RemplitPolices();
    Remplit(TInfosFich{});
    resize(sizeHint().expandedTo(QSize(560, 460)));
}

void TEcrParamFich::Remplit(const TInfosFich& f)
{
    Remplissage_ = true;
    edNom->setText(Texte(f.Nom));
    edExt->setText(Texte(f.Ext));
    ChoisitPolice(Texte(f.Police));
    Taille_ = f.Taille;
    Remplissage_ = false;
    RemplitTailles();

    MontreTabs(f.Tabs);
    ConvDos->setChecked(f.Opts & optConvDos);
    Autosave->setChecked(f.Opts & optAutoSave);
    Autoload->setChecked(f.Opts & optAutoLoad);
    ReadOnly->setChecked(f.Opts & optReadOnly);
    ClrEol->setChecked(f.Opts & optClrEol);
    OptsGardes_ = f.Opts & ~(optConvDos | optAutoSave | optAutoLoad | optReadOnly | optClrEol);
    edNbrBak->setValue(f.Backup);

    Styles_ = f.Styles;
    if (ListeStyles->currentRow() < 0)
        ListeStyles->setCurrentRow(0);
    StylesChanges();
}

TInfosFich TEcrParamFich::Resultat() const
{
    TInfosFich f;
    f.Nom = Octets(edNom->text());
    f.Ext = NormaliseExt(Octets(edExt->text()));
    f.Police = Octets(Police->currentText());
    bool ok = false;
    const int taille = cbTaillePolice->currentText().trimmed().toInt(&ok);
    f.Taille = ok ? taille : Taille_;
    f.Styles = Styles_;
    f.Tabs = LitTabs(Octets(edTabs->text()));
    f.Opts = OptsGardes_;
    if (ConvDos->isChecked())
        f.Opts |= optConvDos;
    if (Autosave->isChecked())
        f.Opts |= optAutoSave;
    if (Autoload->isChecked())
        f.Opts |= optAutoLoad;
    if (ReadOnly->isChecked())
        f.Opts |= optReadOnly;
    if (ClrEol->isChecked())
        f.Opts |= optClrEol;
    f.Backup = edNbrBak->value();
    return f;
}

void TEcrParamFich::ModeFichier()
{
    lblExt->hide();
    edExt->hide();
    edNom->setReadOnly(true);
    QPalette pal = edNom->palette();
    pal.setColor(QPalette::Base, pal.color(QPalette::Button));
    edNom->setPalette(pal);
    // Nothing to type there: the font comes first.
    edNom->setFocusPolicy(Qt::NoFocus);
    ReadOnly->setText(QStringLiteral("Lecture seule"));
}

void TEcrParamFich::showEvent(QShowEvent* e)
{
    // Callers may set the callback any time before showing the dialog.
    btnApplStyles->setVisible(bool(OnApplStyles));
    QDialog::showEvent(e);
}

// ---------------------------------------------------------------------------
// Font and size

void TEcrParamFich::RemplitPolices()
{
    const QString courante = Police->currentText();
    const bool etait = Remplissage_;
    Remplissage_ = true;
    Police->clear();
    Police->addItems(FamillesFixes());
    ChoisitPolice(courante);
    Remplissage_ = etait;
    if (!etait)
        RemplitTailles();
}

void TEcrParamFich::ChoisitPolice(const QString& nom)
{
    if (nom.isEmpty()) {
        Police->setCurrentIndex(-1);
        return;
    }
    int i = Police->findText(nom, Qt::MatchFixedString);
    if (i < 0) {
        // A name the screen does not list (an alias, or a font of another
        // machine) is kept: the editor resolves it when it opens the file.
        i = 0;
        while (i < Police->count() && Police->itemText(i).compare(nom, Qt::CaseInsensitive) < 0)
            ++i;
        Police->insertItem(i, nom);
    }
    Police->setCurrentIndex(i);
}

void TEcrParamFich::RemplitTailles()
{
    const bool etait = Remplissage_;
    Remplissage_ = true;
    cbTaillePolice->clear();
    int proche = -1, ecart = 0;
    const QList<int> tailles = TaillesDe(Police->currentText(), Taille_);
    for (int t : tailles) {
        cbTaillePolice->addItem(QStringLiteral("%1").arg(t, 2));
        const int d = std::abs(t - Taille_);
        if (proche < 0 || d < ecart) {
            proche = cbTaillePolice->count() - 1;
            ecart = d;
        }
    }
    cbTaillePolice->setCurrentIndex(proche);
    Remplissage_ = etait;
}

// ---------------------------------------------------------------------------
// Tab stops and extension

void TEcrParamFich::MontreTabs(const TTabStops& tabs)
{
    edTabs->setText(Texte(TexteTabs(tabs, rbTabsRel->isChecked())));
}

void TEcrParamFich::ExtChange(const QString& text)
{
    const QString norme = Texte(NormaliseExt(Octets(text)));
    if (norme == text)
        return;
    // The caret stays after what was typed, past the dot put in front.
    const int curseur = edExt->cursorPosition() + int(norme.size() - text.size());
    edExt->setText(norme);
    edExt->setCursorPosition(curseur);
}

// ---------------------------------------------------------------------------
// Styles

int TEcrParamFich::StyleCourant() const
{
    const int i = ListeStyles->currentRow();
    return i >= 0 && i < StyleCount ? i : -1;
}

void TEcrParamFich::MontreStyle()
{
    const int i = StyleCourant();
    if (i < 0)
        return;
    const TStyleEntry& e = Styles_[std::size_t(i)];
    // Only the context backgrounds take their text attributes from the
    // token; only the others take their background from the context.
    const bool contexte = i >= stMacro;
    cbTxtSntx->setEnabled(contexte);
    cbTxtSntx->setChecked(contexte && e.TxtSntx);
    cbFondCtx->setEnabled(!contexte);
    cbFondCtx->setChecked(!contexte && e.FondCtx);
    cbGras->setChecked(e.Style & fsBold);
    cbItal->setChecked(e.Style & fsItalic);
    cbSouligne->setChecked(e.Style & fsUnderline);
    cbBarre->setChecked(e.Style & fsStrikeOut);
    MontreOuCache();
}

void TEcrParamFich::MontreOuCache()
{
    const bool syntaxe = cbTxtSntx->isChecked();
    for (QWidget* w : std::initializer_list<QWidget*>{cbGras, cbBarre, cbItal, cbSouligne, btnTextPerso})
        w->setHidden(syntaxe);
    btnFondPerso->setHidden(cbFondCtx->isChecked());
}

void TEcrParamFich::StockeAttributs()
{
    const int i = StyleCourant();
    if (i < 0)
        return;
    TStyleEntry& e = Styles_[std::size_t(i)];
    std::uint8_t style = e.Style & ~(fsBold | fsItalic | fsUnderline | fsStrikeOut);
    if (cbGras->isChecked())
        style |= fsBold;
    if (cbItal->isChecked())
        style |= fsItalic;
    if (cbSouligne->isChecked())
        style |= fsUnderline;
    if (cbBarre->isChecked())
        style |= fsStrikeOut;
    e.Style = style;
    // A disabled box means nothing for this style: its flag stays as read.
    if (cbTxtSntx->isEnabled())
        e.TxtSntx = cbTxtSntx->isChecked();
    if (cbFondCtx->isEnabled())
        e.FondCtx = cbFondCtx->isChecked();
    MontreOuCache();
    ListeStyles->viewport()->update();
}

void TEcrParamFich::ChoisitCouleur(bool fond)
{
    const int i = StyleCourant();
    if (i < 0 || !AskColor)
        return;
    TColor& c = fond ? Styles_[std::size_t(i)].Back : Styles_[std::size_t(i)].Fore;
    const std::optional<QColor> choisie = AskColor(ResolveColour(c));
    if (!choisie || !choisie->isValid())
        return;
    c = RGBColor(unsigned(choisie->red()), unsigned(choisie->green()), unsigned(choisie->blue()));
    ListeStyles->viewport()->update();
}

void TEcrParamFich::Nuance(int pourCent)
{
    NuanceStyles(Styles_, pourCent, ResolveToRGB);
    StylesChanges();
}

void TEcrParamFich::StylesChanges()
{
    MontreStyle();
    ListeStyles->viewport()->update();
}

} // namespace kep
