#include "print/UF_Print.h"

#include "controls/Nommage.h"
#include "editor/U_Edit.h"
#include "platform/Paths.h"
#include "platform/QtText.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QFontMetricsF>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QPageSetupDialog>
#include <QPrinter>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

namespace kep {

std::function<std::vector<TPrinterDesc>()> TEcrImprim::Enumeration = ImprimantesInstallees;

namespace {

QDoubleSpinBox* ChampMarge(QWidget* parent, const char* name)
{
    auto* f = Nomme(new QDoubleSpinBox(parent), name);
    f->setDecimals(1);
    f->setRange(0, 1000);
    f->setSingleStep(1);
    f->setKeyboardTracking(false);
    return f;
}

QString Utf8(const std::string& s)
{
    return QString::fromUtf8(s.data(), qsizetype(s.size()));
}

} // namespace

TEcrImprim::TEcrImprim(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("EcrImprim"));
    setWindowTitle(QStringLiteral("KEP - Impression"));
    ShowMessage = [this](const QString& text) { QMessageBox::information(this, QStringLiteral("KEP"), text); };
    ExecDialog = [](QDialog& d) { return d.exec() == QDialog::Accepted; };
    CreeControles();

    Printers_ = Enumeration ? Enumeration() : std::vector<TPrinterDesc>{};
    if (Printers_.empty()) {
        // Told when first shown: the caller's message hook is not set yet.
        setEnabled(false);
        return;
    }
    const QString def = ImprimanteParDefaut();
    int index = 0;
    for (std::size_t i = 0; i < Printers_.size(); ++i) {
        PrnList->addItem(Printers_[i].Nom);
        if (Printers_[i].Nom == def && !def.isEmpty())
            index = int(i);
    }
    PrnList->setCurrentIndex(index);
    ChoisitImprimante();
    Connecte();
}

TEcrImprim::~TEcrImprim() = default;

void TEcrImprim::CreeControles()
{
    auto* top = new QHBoxLayout(this);
    auto* gauche = new QVBoxLayout;
    top->addLayout(gauche);

    // Printer.
    auto* gImpr = Nomme(new QGroupBox(QStringLiteral(" Imprimante "), this), "gbImprimante");
    auto* li = new QGridLayout(gImpr);
    PrnList = Nomme(new QComboBox(gImpr), "PrnList");
    btnProprietes = Bouton(gImpr, "btnProprietes", QStringLiteral("Propriétés"));
    lblEtat = Nomme(new QLabel(gImpr), "lblEtat");
    lblPort = Nomme(new QLabel(gImpr), "lblPort");
    lblPilote = Nomme(new QLabel(gImpr), "lblPilote");
    lblPapier = Nomme(new QLabel(gImpr), "lblPapier");
    rbPortrait = Nomme(new QRadioButton(QStringLiteral("Portrait"), gImpr), "rbPortrait");
    rbPaysage = Nomme(new QRadioButton(QStringLiteral("Paysage"), gImpr), "rbPaysage");
    rbPortrait->setChecked(true);
    li->addWidget(new QLabel(QStringLiteral("Nom :"), gImpr), 0, 0);
    li->addWidget(PrnList, 0, 1);
    li->addWidget(btnProprietes, 0, 2);
    const std::pair<const char*, QLabel*> lignes[] = {
        {"Etat :", lblEtat}, {"Port :", lblPort}, {"Pilote :", lblPilote}, {"Papier :", lblPapier}};
    int row = 1;
    for (const auto& [caption, label] : lignes) {
        li->addWidget(new QLabel(QString::fromUtf8(caption), gImpr), row, 0);
        li->addWidget(label, row++, 1, 1, 2);
    }
    auto* orient = new QHBoxLayout;
    orient->addWidget(rbPortrait);
    orient->addWidget(rbPaysage);
    orient->addStretch();
    li->addLayout(orient, row, 0, 1, 3);
    li->setColumnStretch(1, 1);
    gauche->addWidget(gImpr);

    // Range.
    auto* gPlage = Nomme(new QGroupBox(QStringLiteral(" Imprimer "), this), "gbImprimer");
    auto* lp = new QGridLayout(gPlage);
    rbTout = Nomme(new QRadioButton(QStringLiteral("Tout"), gPlage), "rbTout");
    rbSelection = Nomme(new QRadioButton(QStringLiteral("Lignes sélectionnées"), gPlage), "rbSelection");
    rbLignes = Nomme(new QRadioButton(QStringLiteral("Lignes de :"), gPlage), "rbLignes");
    rbVue = Nomme(new QRadioButton(QStringLiteral("Vue"), gPlage), "rbVue");
    rbGroupe = Nomme(new QRadioButton(QStringLiteral("Un groupe des fichiers ouverts"), gPlage), "rbGroupe");
    rbTout->setChecked(true);
    LigDeb = Nomme(new QSpinBox(gPlage), "LigDeb");
    LigFin = Nomme(new QSpinBox(gPlage), "LigFin");
    for (QSpinBox* s : {LigDeb, LigFin}) {
        s->setRange(0, 999999999);
        s->setKeyboardTracking(false);
        s->setEnabled(false);
    }
    auto* group = new QButtonGroup(this);
    for (QRadioButton* rb : {rbTout, rbSelection, rbLignes, rbVue, rbGroupe})
        group->addButton(rb);
    lp->addWidget(rbTout, 0, 0, 1, 4);
    lp->addWidget(rbSelection, 1, 0, 1, 4);
    lp->addWidget(rbLignes, 2, 0);
    lp->addWidget(LigDeb, 2, 1);
    lp->addWidget(new QLabel(QStringLiteral("à :"), gPlage), 2, 2);
    lp->addWidget(LigFin, 2, 3);
    lp->addWidget(rbVue, 3, 0, 1, 4);
    lp->addWidget(rbGroupe, 4, 0, 1, 4);
    gauche->addWidget(gPlage);

    // Options.
    auto* gOpt = Nomme(new QGroupBox(QStringLiteral(" Options "), this), "gbOptions");
    auto* lo = new QGridLayout(gOpt);
    Copies = Nomme(new QSpinBox(gOpt), "Copies");
    Copies->setRange(1, 100);
    TaillePolice = Nomme(new QSpinBox(gOpt), "TaillePolice");
    TaillePolice->setRange(1, 400);
    TaillePolice->setValue(10);
    TaillePolice->setKeyboardTracking(false);
    cbAjustePolice = Nomme(new QCheckBox(QStringLiteral("Ajuster à la largeur de la page"), gOpt), "cbAjustePolice");
    cbTriPages = Nomme(new QCheckBox(QStringLiteral("Pages triées"), gOpt), "cbTriPages");
    cbNumLignes = Nomme(new QCheckBox(QStringLiteral("Numérote les lignes"), gOpt), "cbNumLignes");
    cbNumPages = Nomme(new QCheckBox(QStringLiteral("Numérote les pages"), gOpt), "cbNumPages");
    cbNumPages->setChecked(true);
    lo->addWidget(new QLabel(QStringLiteral("Nombre de copies :"), gOpt), 0, 0);
    lo->addWidget(Copies, 0, 1);
    lo->addWidget(new QLabel(QStringLiteral("Taille de la police :"), gOpt), 1, 0);
    lo->addWidget(TaillePolice, 1, 1);
    lo->addWidget(cbAjustePolice, 2, 0, 1, 2);
    lo->addWidget(cbTriPages, 3, 0, 1, 2);
    lo->addWidget(cbNumLignes, 4, 0, 1, 2);
    lo->addWidget(cbNumPages, 5, 0, 1, 2);
    gauche->addWidget(gOpt);

    // Margins.
    auto* gMarges = Nomme(new QGroupBox(QStringLiteral(" Marges (mm) "), this), "gbMarges");
    auto* lm = new QGridLayout(gMarges);
    MargeG = ChampMarge(gMarges, "MargeG");
    MargeD = ChampMarge(gMarges, "MargeD");
    MargeB = ChampMarge(gMarges, "MargeB");
    MargeH = ChampMarge(gMarges, "MargeH");
    lm->addWidget(new QLabel(QStringLiteral("Gauche :"), gMarges), 0, 0);
    lm->addWidget(MargeG, 0, 1);
    lm->addWidget(new QLabel(QStringLiteral("Droite :"), gMarges), 0, 2);
    lm->addWidget(MargeD, 0, 3);
    lm->addWidget(new QLabel(QStringLiteral("Basse :"), gMarges), 1, 0);
    lm->addWidget(MargeB, 1, 1);
    lm->addWidget(new QLabel(QStringLiteral("Haute :"), gMarges), 1, 2);
    lm->addWidget(MargeH, 1, 3);
    gauche->addWidget(gMarges);

    // Expected pages and buttons.
    auto* bas = new QHBoxLayout;
    lblPrevu = Nomme(new QLabel(QStringLiteral("Prévu : "), this), "lblPrevu");
    lblPages = Nomme(new QLabel(this), "lblPages");
    btnImprime = Bouton(this, "btnImprime", QStringLiteral("Imprimer"));
    btnAnnuler = Bouton(this, "btnAnnuler", QStringLiteral("Annuler"));
    btnAide = Bouton(this, "btnAide", QStringLiteral("Aide"));
    btnImprime->setDefault(true);
    bas->addWidget(lblPrevu);
    bas->addWidget(lblPages);
    bas->addStretch();
    bas->addWidget(btnImprime);
    bas->addWidget(btnAnnuler);
    bas->addWidget(btnAide);
    gauche->addLayout(bas);

    // The open files, shown for a group only.
    PanneauFichiers = Nomme(new QWidget(this), "PanneauFichiers");
    auto* lf = new QVBoxLayout(PanneauFichiers);
    lf->setContentsMargins(0, 0, 0, 0);
    ListeFichiers = Nomme(new QListWidget(PanneauFichiers), "ListeFichiers");
    auto* boutons = new QHBoxLayout;
    btnTous = Bouton(PanneauFichiers, "btnTous", QStringLiteral("Tous"));
    btnAucun = Bouton(PanneauFichiers, "btnAucun", QStringLiteral("Aucun"));
    btnInverse = Bouton(PanneauFichiers, "btnInverse", QStringLiteral("Inverse"));
    boutons->addWidget(btnTous);
    boutons->addWidget(btnAucun);
    boutons->addWidget(btnInverse);
    lf->addWidget(ListeFichiers);
    lf->addLayout(boutons);
    PanneauFichiers->setMinimumWidth(220);
    PanneauFichiers->hide();
    top->addWidget(PanneauFichiers);
    top->setSizeConstraint(QLayout::SetFixedSize);
}

void TEcrImprim::Connecte()
{
    connect(PrnList, &QComboBox::currentIndexChanged, this, [this] {
        ChoisitImprimante();
        AjusteTaillePolice();
        MajNombrePages();
    });
    connect(btnProprietes, &QPushButton::clicked, this, &TEcrImprim::Proprietes);
    connect(rbPaysage, &QRadioButton::toggled, this, &TEcrImprim::ChangeOrientation);
    for (QRadioButton* rb : {rbTout, rbSelection, rbLignes, rbVue, rbGroupe})
        connect(rb, &QRadioButton::toggled, this, [this](bool on) {
            if (!on)
                return;
            MajNumLignes();
            AjusteTaillePolice();
            MajNombrePages();
        });
    for (QSpinBox* s : {LigDeb, LigFin})
        connect(s, &QSpinBox::valueChanged, this, [this] {
            AjusteTaillePolice();
            MajNombrePages();
        });
    connect(Copies, &QSpinBox::valueChanged, this, [this](int n) {
        if (Imprimante_)
            Imprimante_->SetCopies(n);
    });
    connect(cbTriPages, &QCheckBox::toggled, this, [this](bool on) {
        if (Imprimante_)
            Imprimante_->SetTri(on);
    });
    connect(TaillePolice, &QSpinBox::valueChanged, this, [this] {
        if (!Ajustement_)
            cbAjustePolice->setChecked(false);
        MajNombrePages();
    });
    for (QCheckBox* c : {cbAjustePolice, cbNumLignes, cbNumPages})
        connect(c, &QCheckBox::toggled, this, [this] {
            AjusteTaillePolice();
            MajNombrePages();
        });
    for (QDoubleSpinBox* m : {MargeG, MargeD, MargeB, MargeH})
        connect(m, &QDoubleSpinBox::editingFinished, this, &TEcrImprim::MargeQuittee);
    connect(btnImprime, &QPushButton::clicked, this, [this] { Imprime(); });
    connect(btnAnnuler, &QPushButton::clicked, this, &QDialog::reject);
    connect(btnAide, &QPushButton::clicked, this, [this] {
        if (ShowHelp)
            ShowHelp(rbGroupe->isChecked() ? 12001 : 12000);
    });
    connect(btnTous, &QPushButton::clicked, this, [this] { CocheTout(1); });
    connect(btnAucun, &QPushButton::clicked, this, [this] { CocheTout(0); });
    connect(btnInverse, &QPushButton::clicked, this, [this] { CocheTout(2); });
    connect(ListeFichiers, &QListWidget::itemChanged, this, [this] {
        AjusteTaillePolice();
        MajNombrePages();
    });
}

// ---------------------------------------------------------------------------
// Files

void TEcrImprim::VideFichiers()
{
    const QSignalBlocker block(ListeFichiers);
    ListeFichiers->clear();
}

void TEcrImprim::AjouteFichier(TEditeur* ed, bool checked)
{
    const QSignalBlocker block(ListeFichiers);
    auto* item = new QListWidgetItem(PathToQString(FileNameOf(ed->FileName)), ListeFichiers);
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
    item->setCheckState(checked ? Qt::Checked : Qt::Unchecked);
    item->setData(Qt::UserRole, QVariant::fromValue(static_cast<void*>(ed)));
    item->setToolTip(PathToQString(ed->FileName));
}

std::vector<TEditeur*> TEcrImprim::FichiersCoches() const
{
    std::vector<TEditeur*> r;
    for (int i = 0; i < ListeFichiers->count(); ++i) {
        const QListWidgetItem* item = ListeFichiers->item(i);
        if (item->checkState() == Qt::Checked)
            r.push_back(static_cast<TEditeur*>(item->data(Qt::UserRole).value<void*>()));
    }
    return r;
}

void TEcrImprim::CocheTout(int how)
{
    {
        const QSignalBlocker block(ListeFichiers);
        for (int i = 0; i < ListeFichiers->count(); ++i) {
            QListWidgetItem* item = ListeFichiers->item(i);
            const bool on = how == 2 ? item->checkState() != Qt::Checked : how == 1;
            item->setCheckState(on ? Qt::Checked : Qt::Unchecked);
        }
    }
    AjusteTaillePolice();
    MajNombrePages();
}

// ---------------------------------------------------------------------------
// Printer

void TEcrImprim::ChoisitImprimante()
{
    const int i = PrnList->currentIndex();
    if (i < 0 || std::size_t(i) >= Printers_.size())
        return;
    const TPrinterDesc& desc = Printers_[std::size_t(i)];
    lblPilote->setText(desc.Pilote);
    lblPort->setText(desc.Port);
    if (!Imprimante_ || Imprimante_->Desc().Nom != desc.Nom)
        Imprimante_ = std::make_unique<TImprimante>(desc);
    lblEtat->setText(Utf8(LibelleEtat(Imprimante_->Etat())));

    {
        const QSignalBlocker b1(rbPortrait), b2(rbPaysage), b3(Copies), b4(cbTriPages);
        rbPortrait->setEnabled(Imprimante_->OrientationPossible());
        rbPaysage->setEnabled(Imprimante_->OrientationPossible());
        (Imprimante_->Paysage() ? rbPaysage : rbPortrait)->setChecked(true);
        Copies->setEnabled(Imprimante_->CopiesPossibles());
        if (Imprimante_->CopiesPossibles())
            Copies->setValue(std::clamp(Imprimante_->Copies(), 1, 100));
        cbTriPages->setEnabled(Imprimante_->TriPossible());
        cbTriPages->setChecked(Imprimante_->TriPossible() && Imprimante_->Tri());
    }

    Metriques_ = Imprimante_->Metriques();
    lblPapier->setText(Utf8(TextePapier(Metriques_)));
    MargesMin_ = MargesMinimales(Metriques_);
    MontreMarges(MargesMin_);
}

void TEcrImprim::Proprietes()
{
    if (!Imprimante_)
        return;
    QPageSetupDialog dlg(&Imprimante_->Printer(), this);
    dlg.setObjectName(QStringLiteral("ProprietesImprimante"));
    ExecDialog(dlg);
    ChoisitImprimante();
    AjusteTaillePolice();
    MajNombrePages();
}

void TEcrImprim::ChangeOrientation()
{
    if (!Imprimante_)
        return;
    Imprimante_->SetPaysage(rbPaysage->isChecked());
    ChoisitImprimante();
    AjusteTaillePolice();
    MajNombrePages();
}

// ---------------------------------------------------------------------------
// Margins, range, font, pages

TMargesMm TEcrImprim::Marges() const
{
    TMargesMm m;
    m.Gauche = MargeG->value();
    m.Droite = MargeD->value();
    m.Haute = MargeH->value();
    m.Basse = MargeB->value();
    return m;
}

void TEcrImprim::MontreMarges(const TMargesMm& m)
{
    const QSignalBlocker b1(MargeG), b2(MargeD), b3(MargeH), b4(MargeB);
    MargeG->setValue(m.Gauche);
    MargeD->setValue(m.Droite);
    MargeH->setValue(m.Haute);
    MargeB->setValue(m.Basse);
}

void TEcrImprim::MargeQuittee()
{
    TMargesMm m = Marges();
    // The fields show tenths: a minimum of 4.23 mm reads 4.2.
    TMargesMm shown = MargesMin_;
    for (double* v : {&shown.Gauche, &shown.Droite, &shown.Haute, &shown.Basse})
        *v = std::round(*v * 10) / 10;
    if (ContraintMarges(m, shown))
        MontreMarges(m);
    AjusteTaillePolice();
    MajNombrePages();
}

TPlageLignes TEcrImprim::Plage() const
{
    TPlageLignes p;
    p.Debut = LigDeb->value();
    p.Fin = LigFin->value();
    return p;
}

void TEcrImprim::Prepare()
{
    if (!Utilisable()) {
        ShowMessage(QStringLiteral("Aucune imprimante installée"));
        return;
    }
    const TTextBuffer* b = Editeur_ ? &Editeur_->Buffer() : nullptr;
    const bool selection = b && b->HasSelection();
    const bool vues = b && b->ViewCount() > 1;
    if (selection && rbTout->isChecked())
        rbSelection->setChecked(true);
    if ((!selection && rbSelection->isChecked()) || (!vues && rbVue->isChecked()))
        rbTout->setChecked(true);
    rbSelection->setEnabled(selection);
    rbVue->setEnabled(vues);
    MajNumLignes();
    AjusteTaillePolice();
    MajNombrePages();
}

void TEcrImprim::MajNumLignes()
{
    const bool groupe = rbGroupe->isChecked();
    PanneauFichiers->setVisible(groupe);
    const bool libre = rbLignes->isChecked();
    LigDeb->setEnabled(libre);
    LigFin->setEnabled(libre);
    if (!Editeur_ || libre || groupe)
        return;
    const TTextBuffer& b = Editeur_->Buffer();
    std::int32_t debut = 1, fin = b.LineCount();
    if (rbVue->isChecked()) {
        debut = b.ViewMinLine() + 1;
        fin = b.ViewMaxLine() + 1;
    } else if (rbSelection->isChecked() && b.HasSelection()) {
        debut = b.GetSelStart().Line + 1;
        fin = b.GetSelEnd().Line + 1;
    }
    const QSignalBlocker b1(LigDeb), b2(LigFin);
    LigDeb->setValue(debut);
    LigFin->setValue(fin);
}

QFont TEcrImprim::PolicePour(int size) const
{
    QFont f = Editeur_ ? Editeur_->EditorFont() : QFont(QStringLiteral("monospace"));
    f.setPointSize(std::max(size, 1));
    f.setBold(false);
    f.setItalic(false);
    f.setUnderline(false);
    return f;
}

void TEcrImprim::AjusteTaillePolice()
{
    if (!cbAjustePolice->isChecked() || !Imprimante_ || !Metriques_.Valide() || !Editeur_)
        return;
    // 1. The lines of the range in cells, with the line numbers; for a
    // group, every checked file, since one size prints them all.
    const auto plageDe = [this](const TEditeur* ed, std::int64_t debut, std::int64_t fin) {
        const TTextBuffer& b = ed->Buffer();
        TLargeursPlage p;
        p.NumLignes = cbNumLignes->isChecked() ? LargeurNumLignes(b.LineCount()) + 1 : 0;
        const int cell = std::max(b.Metrics().CharWidth, 1);
        for (std::int64_t i = std::max<std::int64_t>(debut, 0); i <= std::min<std::int64_t>(fin, b.LineCount() - 1); ++i)
            p.Cellules.push_back(b.LineWidth(b.GetLine(std::int32_t(i))) / cell);
        return p;
    };
    std::vector<TLargeursPlage> plages;
    if (rbGroupe->isChecked()) {
        for (const TEditeur* ed : FichiersCoches())
            plages.push_back(plageDe(ed, 0, ed->Buffer().LineCount() - 1));
    } else {
        plages.push_back(plageDe(Editeur_, LigDeb->value() - 1, LigFin->value() - 1));
    }
    const bool numPages = cbNumPages->isChecked();
    // The page numbers sit beside the first line of each page, so the
    // columns depend on the lines a page holds at each size.
    const TRectImpr rect = RectangleImpression(Metriques_, Marges());
    QPrinter* printer = &Imprimante_->Printer();
    const auto colonnes = [&](int size) {
        const int parPage = numPages ? kep::LignesParPage(rect, int(std::ceil(QFontMetricsF(PolicePour(size), printer).height()))) : 0;
        int c = 0;
        for (const TLargeursPlage& p : plages)
            c = std::max(c, ColonnesAjustement(p, numPages, parPage));
        return c;
    };
    if (colonnes(TaillePolice->value()) <= 0)
        return;
    // 2., 3. The whole line against the width between the margins.
    const double largeur = CibleCellule(Metriques_, Marges(), 1);
    const int taille = AjusteTaille(largeur, TaillePolice->value(), [&](int size) {
        return QFontMetricsF(PolicePour(size), printer).horizontalAdvance(QLatin1Char('W')) * colonnes(size);
    });
    Ajustement_ = true;
    TaillePolice->setValue(taille);
    Ajustement_ = false;
}

void TEcrImprim::MajNombrePages()
{
    LignesParPage_ = 0;
    PagesPrevues_ = -1;
    if (Imprimante_ && Metriques_.Valide() && Editeur_) {
        const QFontMetricsF fm(PolicePour(TaillePolice->value()), &Imprimante_->Printer());
        LignesParPage_ = kep::LignesParPage(RectangleImpression(Metriques_, Marges()), int(std::ceil(fm.height())));
    }
    if (LignesParPage_ > 0) {
        std::int64_t pages = 0;
        if (rbGroupe->isChecked()) {
            for (TEditeur* ed : FichiersCoches())
                pages += NombrePages(ed->Buffer().LineCount(), LignesParPage_);
        } else {
            pages = NombrePages(Plage().Compte(Editeur_->Buffer().LineCount()), LignesParPage_);
        }
        PagesPrevues_ = pages;
        lblPages->setText(Utf8(TextePages(pages)));
    }
    lblPrevu->setVisible(PagesPrevues_ >= 0);
    lblPages->setVisible(PagesPrevues_ >= 0);
}

} // namespace kep
