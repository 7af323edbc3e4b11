#include "editor/UF_ChRemp.h"

#include "config/U_IniFilePlus.h"
#include "config/U_Options.h"
#include "config/U_WinBounds.h"
#include "platform/QtText.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include <algorithm>
#include <utility>

namespace kep {

namespace {

QPushButton* MakeButton(QWidget* parent, const QString& caption, const char* name)
{
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(QString::fromLatin1(name));
    return b;
}

QRadioButton* MakeRadio(QWidget* parent, QVBoxLayout* lay, const QString& caption, const char* name)
{
    auto* r = new QRadioButton(caption, parent);
    r->setObjectName(QString::fromLatin1(name));
    lay->addWidget(r);
    return r;
}

QCheckBox* MakeCheck(QWidget* parent, const QString& caption, const char* name)
{
    auto* c = new QCheckBox(caption, parent);
    c->setObjectName(QString::fromLatin1(name));
    return c;
}

QComboBox* MakeCombo(QWidget* parent, const char* name)
{
    auto* c = new QComboBox(parent);
    c->setObjectName(QString::fromLatin1(name));
    c->setEditable(true);
    // The history is ours: Enter must run the search, not grow the list.
    c->setInsertPolicy(QComboBox::NoInsert);
    // A long entry of the history must not widen the window.
    c->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    c->setMinimumContentsLength(32);
    c->setMaxVisibleItems(int(TIniFilePlus::HistoryItems));
    return c;
}

// Replaces the drop-down list without touching what the user typed, and
// without it counting as an edit (that would drop the prepared search).
void FillCombo(QComboBox* combo, const std::vector<std::string>& history)
{
    const QSignalBlocker block(combo);
    const QString typed = combo->currentText();
    combo->clear();
    for (const std::string& item : history)
        combo->addItem(AnsiToQString(item));
    combo->setCurrentIndex(-1);
    combo->setEditText(typed);
}

} // namespace

TChRempDlg::TChRempDlg(QWidget* owner, bool replaceAllowed)
    : QDialog(owner, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      ReplaceAllowed_(replaceAllowed)
{
    setObjectName(QStringLiteral("ChRempDlg"));
    setWindowTitle(QStringLiteral("Chercher / Remplacer"));
    setModal(false);
    setAttribute(Qt::WA_DeleteOnClose);

    lblCherche = new QLabel(QStringLiteral("Chercher :"), this);
    lblCherche->setObjectName(QStringLiteral("lblCherche"));
    Cherche = MakeCombo(this, "Cherche");
    lblCherche->setBuddy(Cherche);
    lblRemplace = new QLabel(QStringLiteral("Remplacer par :"), this);
    lblRemplace->setObjectName(QStringLiteral("lblRemplace"));
    Remplace = MakeCombo(this, "Remplace");
    lblRemplace->setBuddy(Remplace);

    grpDans = new QGroupBox(QStringLiteral(" Dans quoi ? "), this);
    grpDans->setObjectName(QStringLiteral("grpDans"));
    auto* dansLay = new QVBoxLayout(grpDans);
    DansSelection = MakeRadio(grpDans, dansLay, QStringLiteral("Le texte sélectionné"), "DansSelection");
    DansTexte = MakeRadio(grpDans, dansLay, QStringLiteral("Tout le texte"), "DansTexte");
    DansOuverts = MakeRadio(grpDans, dansLay, QStringLiteral("Les fichiers ouverts"), "DansOuverts");
    DansProjet = MakeRadio(grpDans, dansLay, QStringLiteral("Les fichiers du projet"), "DansProjet");
    DansTexte->setChecked(true);

    grpDebut = new QGroupBox(QStringLiteral(" A partir de ? "), this);
    grpDebut->setObjectName(QStringLiteral("grpDebut"));
    auto* debutLay = new QVBoxLayout(grpDebut);
    DuDebut = MakeRadio(grpDebut, debutLay, QStringLiteral("Du début du texte"), "DuDebut");
    DuCurseur = MakeRadio(grpDebut, debutLay, QStringLiteral("Du curseur"), "DuCurseur");
    DeSelection = MakeRadio(grpDebut, debutLay, QStringLiteral("De la sélection"), "DeSelection");
    debutLay->addStretch(1);
    DuDebut->setChecked(true);

    optMemeCasse = MakeCheck(this, QStringLiteral("Même casse"), "optMemeCasse");
    optConfirme = MakeCheck(this, QStringLiteral("Confirmer rempl."), "optConfirme");
    optMotEntier = MakeCheck(this, QStringLiteral("Mot entier"), "optMotEntier");
    optMotEntier->setChecked(true);

    btnSuiv = MakeButton(this, QStringLiteral("&Suivant"), "btnSuiv");
    btnSuiv->setDefault(true);
    btnPrec = MakeButton(this, QStringLiteral("&Précédent"), "btnPrec");
    btnPrec->setEnabled(false); // the engine only searches forwards
    btnRempl = MakeButton(this, QStringLiteral("&Remplacer"), "btnRempl");
    btnRemplTout = MakeButton(this, QStringLiteral("&Tout remplacer"), "btnRemplTout");
    BtnAnnul = MakeButton(this, QStringLiteral("&Annuler"), "BtnAnnul");

    // One width for the column, with room around the longest caption.
    int buttonWidth = 0;
    for (QPushButton* b : {btnSuiv, btnPrec, btnRempl, btnRemplTout, BtnAnnul})
        buttonWidth = std::max(buttonWidth, b->sizeHint().width());
    for (QPushButton* b : {btnSuiv, btnPrec, btnRempl, btnRemplTout, BtnAnnul})
        b->setMinimumWidth(buttonWidth + 12);

    // The texts on top, where to search and the options below, the buttons
    // in a column on the right.
    auto* fields = new QGridLayout;
    fields->addWidget(lblCherche, 0, 0);
    fields->addWidget(Cherche, 0, 1);
    fields->addWidget(lblRemplace, 1, 0);
    fields->addWidget(Remplace, 1, 1);
    fields->setColumnStretch(1, 1);
    auto* groups = new QHBoxLayout;
    groups->addWidget(grpDans);
    groups->addWidget(grpDebut);
    auto* options = new QHBoxLayout;
    options->addWidget(optMemeCasse);
    options->addWidget(optMotEntier);
    options->addWidget(optConfirme);
    options->addStretch(1);
    auto* left = new QVBoxLayout;
    left->addLayout(fields);
    left->addLayout(groups);
    left->addLayout(options);
    left->addStretch(1);
    auto* buttons = new QVBoxLayout;
    buttons->addWidget(btnSuiv);
    buttons->addWidget(btnPrec);
    buttons->addWidget(btnRempl);
    buttons->addWidget(btnRemplTout);
    buttons->addStretch(1);
    buttons->addWidget(BtnAnnul);
    auto* top = new QHBoxLayout(this);
    top->addLayout(left, 1);
    top->addLayout(buttons);
    top->setSizeConstraint(QLayout::SetFixedSize);

    if (!ReplaceAllowed_) {
        for (QWidget* w : std::initializer_list<QWidget*>{Remplace, lblRemplace, btnRempl, btnRemplTout, optConfirme})
            w->hide();
    }

    for (QComboBox* c : {Cherche, Remplace}) {
        connect(c, &QComboBox::editTextChanged, this, [this] { TexteChange(); });
        c->installEventFilter(this);
        c->lineEdit()->installEventFilter(this);
    }
    for (QRadioButton* r : {DansSelection, DansTexte, DansOuverts, DansProjet})
        connect(r, &QRadioButton::toggled, this, [this](bool on) {
            if (on)
                DansChange();
        });
    // Any other change means the next click starts a new search.
    for (QAbstractButton* b : std::initializer_list<QAbstractButton*>{DuDebut, DuCurseur, DeSelection, optMemeCasse,
                                                                       optConfirme, optMotEntier})
        connect(b, &QAbstractButton::toggled, this, [this] { State_.Prepared = false; });

    connect(btnSuiv, &QPushButton::clicked, this, [this] { ButtonClick(cbSuivant); });
    connect(btnRempl, &QPushButton::clicked, this, [this] { ButtonClick(cbRemplace); });
    connect(btnRemplTout, &QPushButton::clicked, this, [this] { ButtonClick(cbRemplaceTout); });
    connect(BtnAnnul, &QPushButton::clicked, this, &TChRempDlg::close);

    TexteChange();
    adjustSize();
}

TChRempDlg::~TChRempDlg() = default;

void TChRempDlg::TexteChange()
{
    const bool any = !Cherche->currentText().isEmpty();
    btnSuiv->setEnabled(any);
    btnRempl->setEnabled(any);
    btnRemplTout->setEnabled(any);
    State_.Prepared = false;
}

void TChRempDlg::DansChange()
{
    // The start only means something within the current text; a selection
    // is searched from its start.
    grpDebut->setEnabled(DansTexte->isChecked());
    if (DansSelection->isChecked())
        DeSelection->setChecked(true);
    else
        DuDebut->setChecked(true);
    State_.Prepared = false;
}

void TChRempDlg::SetSearchText(const std::string& text)
{
    if (text.empty())
        return;
    Cherche->setEditText(AnsiToQString(text));
    // Even the same text restarts the search, as a typed one would.
    TexteChange();
}

void TChRempDlg::ButtonClick(int tag)
{
    if (!State_.Prepared) {
        const std::string cherche = QStringToAnsi(Cherche->currentText());
        const std::string remplace = QStringToAnsi(Remplace->currentText());
        if (!cherche.empty())
            AddToHistory(cherche, HistCherche_);
        if (!remplace.empty())
            AddToHistory(remplace, HistRemplace_);
        FillCombo(Cherche, HistCherche_);
        FillCombo(Remplace, HistRemplace_);

        unsigned checks = 0;
        if (optMemeCasse->isChecked())
            checks |= coMemeCasse;
        if (optConfirme->isChecked())
            checks |= coConfirme;
        if (optMotEntier->isChecked())
            checks |= coMotEntier;
        if (DansSelection->isChecked())
            checks |= coSelection;
        if (DansOuverts->isChecked() || DansProjet->isChecked()) {
            checks |= coMultiFich;
            State_.FileList.clear();
            const auto& list = DansOuverts->isChecked() ? OnListOpen : OnListProject;
            if (list)
                list(State_.FileList);
        }
        State_.From = DuCurseur->isChecked()     ? TChRempState::DuCurseur
                      : DeSelection->isChecked() ? TChRempState::DeSelection
                                                 : TChRempState::DuDebut;
        State_.Prepare(cherche, remplace, checks, tag);
    } else {
        // Same search, another action: the engine goes on where it stopped.
        State_.Options = (State_.Options & ~unsigned(coPrecedent | coSuivant | coRemplace | coRemplaceTout)) |
                         ButtonOptions(tag);
    }
    if (OnRun)
        OnRun();
}

void TChRempDlg::ReadSettings(const TIniFilePlus& ini)
{
    try {
        RestorePosition(ini, Section, this);
    } catch (const EConvertError&) {
        // A damaged position: the window stays where the system put it.
    }
    HistCherche_ = ini.ReadHistory(Section, "C");
    HistRemplace_ = ini.ReadHistory(Section, "R");
    FillCombo(Cherche, HistCherche_);
    FillCombo(Remplace, HistRemplace_);
}

void TChRempDlg::WriteSettings(TIniFilePlus& ini) const
{
    SaveBounds(ini, Section, this);
    ini.WriteHistory(Section, "C", HistCherche_);
    ini.WriteHistory(Section, "R", HistRemplace_);
}

void TChRempDlg::closeEvent(QCloseEvent* e)
{
    // A second close may come before the deferred deletion: the main window
    // must hear of it once.
    if (OnClosing) {
        const auto closing = std::move(OnClosing);
        OnClosing = nullptr;
        closing(*this);
    }
    e->accept();
}

void TChRempDlg::reject()
{
    // QDialog::reject would hide the window without a close event, and the
    // main window would never hear of it.
    close();
}

bool TChRempDlg::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
        close();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void TChRempDlg::changeEvent(QEvent* e)
{
    QDialog::changeEvent(e);
    if (e->type() == QEvent::WindowStateChange && (windowState() & (Qt::WindowMinimized | Qt::WindowMaximized))) {
        // A tool window has no business being minimised or maximised.
        setWindowState(Qt::WindowNoState);
        layout()->invalidate();
        layout()->activate();
        adjustSize();
    }
}

} // namespace kep
