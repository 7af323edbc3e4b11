#include "editor/UF_CfgVue.h"

#include "platform/Help.h"

#include <QButtonGroup>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include <limits>

namespace kep {

namespace {

struct TChoix {
    QRadioButton*& Button;
    const char* Name;
    QString Caption;
};

// One limit: its line field and its choices.
QGroupBox* LimitGroup(QWidget* parent, const QString& title, QSpinBox*& field, const char* fieldName,
                      std::initializer_list<TChoix> choix)
{
    auto* box = new QGroupBox(title, parent);
    auto* lay = new QVBoxLayout(box);
    field = new QSpinBox(box);
    field->setObjectName(QString::fromLatin1(fieldName));
    field->setRange(-1, std::numeric_limits<std::int32_t>::max());
    field->setMinimumWidth(110);
    lay->addWidget(field);
    // Exclusive by hand: a limit typed by the user may match no choice.
    auto* group = new QButtonGroup(box);
    group->setExclusive(false);
    for (const TChoix& c : choix) {
        c.Button = new QRadioButton(c.Caption, box);
        c.Button->setObjectName(QString::fromLatin1(c.Name));
        group->addButton(c.Button);
        lay->addWidget(c.Button);
    }
    return box;
}

} // namespace

TEcrEditVue::TEcrEditVue(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("EcrEditVue"));
    setWindowTitle(QStringLiteral("Propriétés de la vue"));

    NomFichier = new QLineEdit(this);
    NomFichier->setObjectName(QStringLiteral("NomFichier"));
    NomFichier->setReadOnly(true);
    NomFichier->setBackgroundRole(QPalette::Button);
    NomFichier->setFocusPolicy(Qt::NoFocus);
    NomVue = new QLineEdit(this);
    NomVue->setObjectName(QStringLiteral("NomVue"));

    QGroupBox* depuis = LimitGroup(this, QStringLiteral(" Depuis "), LigneDeb, "LigneDeb",
                                   {{DeCur, "DeCur", QStringLiteral("la ligne du curseur")},
                                    {DeDebSel, "DeDebSel", QStringLiteral("le début de sélection")},
                                    {DeFinSel, "DeFinSel", QStringLiteral("la fin de sélection")},
                                    {DeDebFich, "DeDebFich", QStringLiteral("le début du fichier")}});
    QGroupBox* jusqua = LimitGroup(this, QStringLiteral(" Jusqu'à "), LigneFin, "LigneFin",
                                   {{ACur, "ACur", QStringLiteral("la ligne du curseur")},
                                    {ADebSel, "ADebSel", QStringLiteral("le début de sélection")},
                                    {AFinSel, "AFinSel", QStringLiteral("la fin de sélection")},
                                    {AFinFich, "AFinFich", QStringLiteral("la fin du fichier")}});

    btnOk = new QPushButton(QStringLiteral("Ok"), this);
    btnOk->setObjectName(QStringLiteral("btnOk"));
    btnOk->setDefault(true);
    btnAbandon = new QPushButton(QStringLiteral("Abandonner"), this);
    btnAbandon->setObjectName(QStringLiteral("btnAbandon"));
    btnAide = new QPushButton(QStringLiteral("Aide"), this);
    btnAide->setObjectName(QStringLiteral("btnAide"));

    auto* grid = new QGridLayout;
    grid->addWidget(new QLabel(QStringLiteral("Fichier :"), this), 0, 0);
    grid->addWidget(NomFichier, 0, 1);
    grid->addWidget(new QLabel(QStringLiteral("Nom de la vue :"), this), 1, 0);
    grid->addWidget(NomVue, 1, 1);
    auto* groups = new QHBoxLayout;
    groups->addWidget(depuis);
    groups->addWidget(jusqua);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(btnOk);
    buttons->addWidget(btnAbandon);
    buttons->addWidget(btnAide);
    auto* top = new QVBoxLayout(this);
    top->addLayout(grid);
    top->addLayout(groups);
    top->addLayout(buttons);

    connect(btnOk, &QPushButton::clicked, this, &TEcrEditVue::accept);
    connect(btnAbandon, &QPushButton::clicked, this, &TEcrEditVue::reject);
    Aide = [this] { ShowHelpContext(QStringLiteral("Kep.hlp"), 1000008, this); };
    connect(btnAide, &QPushButton::clicked, this, [this] {
        if (Aide)
            Aide();
    });
    ShowMessage = [this](const QString& text) {
        QMessageBox box(QMessageBox::Warning, windowTitle(), text, QMessageBox::Ok, this);
        box.exec();
    };

    // A click puts its line in the field; the field then checks the choice.
    auto wire = [](QSpinBox* field, std::vector<std::pair<QRadioButton*, std::int32_t>>& choix) {
        for (auto& [r, line] : choix) {
            QRadioButton* button = r;
            const std::int32_t* value = &line;
            connect(button, &QRadioButton::clicked, field, [field, button, value, &choix] {
                field->setValue(*value);
                for (auto& c : choix)
                    c.first->setChecked(c.first == button);
            });
        }
        connect(field, &QSpinBox::valueChanged, field, [field, &choix] { MarqueChoix(field, choix); });
    };
    ChoixDeb_ = {{DeCur, 0}, {DeDebSel, 0}, {DeFinSel, 0}, {DeDebFich, -1}};
    ChoixFin_ = {{ACur, 0}, {ADebSel, 0}, {AFinSel, 0}, {AFinFich, TEditView::NoMaxLine}};
    wire(LigneDeb, ChoixDeb_);
    wire(LigneFin, ChoixFin_);
}

void TEcrEditVue::MarqueChoix(QSpinBox* field, const std::vector<std::pair<QRadioButton*, std::int32_t>>& choix)
{
    bool done = false;
    for (const auto& [r, line] : choix) {
        const bool on = !done && r->isEnabled() && line == field->value();
        r->setChecked(on);
        done = done || on;
    }
}

void TEcrEditVue::Remplit(const QString& nomFichier, const QString& nomVue, const TEditView& vue)
{
    NomFichier->setText(nomFichier);
    NomVue->setText(nomVue);
    const bool sel = vue.SelStart != vue.SelEnd;
    for (auto* choix : {&ChoixDeb_, &ChoixFin_}) {
        (*choix)[0].second = vue.Caret.Line;
        (*choix)[1].second = vue.SelStart.Line;
        (*choix)[2].second = vue.SelEnd.Line;
        (*choix)[1].first->setEnabled(sel);
        (*choix)[2].first->setEnabled(sel);
    }
    // Set the fields last: setting them checks the matching choice.
    LigneDeb->setValue(vue.ViewMinLine);
    LigneFin->setValue(vue.ViewMaxLine);
    MarqueChoix(LigneDeb, ChoixDeb_);
    MarqueChoix(LigneFin, ChoixFin_);
}

std::int32_t TEcrEditVue::Debut() const
{
    return LigneDeb->value();
}

std::int32_t TEcrEditVue::Fin() const
{
    return LigneFin->value();
}

QString TEcrEditVue::Nom() const
{
    return NomVue->text().trimmed();
}

void TEcrEditVue::accept()
{
    // A range that ends before it starts would show no line as the view's.
    if (Fin() < Debut()) {
        if (ShowMessage)
            ShowMessage(QStringLiteral("La dernière ligne de la vue précède sa première ligne."));
        return;
    }
    QDialog::accept();
}

} // namespace kep
