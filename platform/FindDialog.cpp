#include "platform/FindDialog.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>

namespace kep {

namespace {

QPushButton* MakeButton(QWidget* parent, const QString& caption, const char* name)
{
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(QString::fromLatin1(name));
    return b;
}

QLineEdit* MakeField(QWidget* parent, const char* name)
{
    auto* f = new QLineEdit(parent);
    f->setObjectName(QString::fromLatin1(name));
    f->setMinimumWidth(220);
    return f;
}

} // namespace

TFindDialog::TFindDialog(TMode mode, QWidget* owner)
    : QDialog(owner, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      ChampRemplace(nullptr), btnRemplacer(nullptr), btnRemplacerTout(nullptr), Mode_(mode)
{
    const bool replace = mode == Replace;
    setObjectName(QStringLiteral("FindDialog"));
    setWindowTitle(replace ? QStringLiteral("Remplacer") : QStringLiteral("Rechercher"));
    // The owner keeps the window and shows it again: closing only hides it.
    setModal(false);

    auto* lblCherche = new QLabel(QStringLiteral("Rechercher :"), this);
    ChampCherche = MakeField(this, "ChampCherche");
    lblCherche->setBuddy(ChampCherche);
    auto* fields = new QGridLayout;
    fields->addWidget(lblCherche, 0, 0);
    fields->addWidget(ChampCherche, 0, 1);
    if (replace) {
        auto* lblRemplace = new QLabel(QStringLiteral("Remplacer par :"), this);
        ChampRemplace = MakeField(this, "ChampRemplace");
        lblRemplace->setBuddy(ChampRemplace);
        fields->addWidget(lblRemplace, 1, 0);
        fields->addWidget(ChampRemplace, 1, 1);
    }
    fields->setColumnStretch(1, 1);

    MotEntier = new QCheckBox(QStringLiteral("Mot entier uniquement"), this);
    MotEntier->setObjectName(QStringLiteral("MotEntier"));
    MemeCasse = new QCheckBox(QStringLiteral("Respecter la casse"), this);
    MemeCasse->setObjectName(QStringLiteral("MemeCasse"));

    // Enter anywhere in the window presses "Suivant", as in the common
    // dialog; the field needs no handler of its own.
    btnSuivant = MakeButton(this, QStringLiteral("&Suivant"), "btnSuivant");
    btnSuivant->setDefault(true);
    if (replace) {
        btnRemplacer = MakeButton(this, QStringLiteral("&Remplacer"), "btnRemplacer");
        btnRemplacerTout = MakeButton(this, QStringLiteral("Remplacer &tout"), "btnRemplacerTout");
    }
    btnAnnuler = MakeButton(this, QStringLiteral("Annuler"), "btnAnnuler");

    // One width for the column, with room around the longest caption.
    int buttonWidth = 0;
    for (QPushButton* b : {btnSuivant, btnRemplacer, btnRemplacerTout, btnAnnuler})
        if (b)
            buttonWidth = std::max(buttonWidth, b->sizeHint().width());
    for (QPushButton* b : {btnSuivant, btnRemplacer, btnRemplacerTout, btnAnnuler})
        if (b)
            b->setMinimumWidth(buttonWidth + 12);

    auto* left = new QVBoxLayout;
    left->addLayout(fields);
    left->addSpacing(6);
    left->addWidget(MotEntier);
    left->addWidget(MemeCasse);
    left->addStretch(1);
    auto* buttons = new QVBoxLayout;
    buttons->addWidget(btnSuivant);
    if (replace) {
        buttons->addWidget(btnRemplacer);
        buttons->addWidget(btnRemplacerTout);
    }
    buttons->addWidget(btnAnnuler);
    buttons->addStretch(1);
    auto* top = new QHBoxLayout(this);
    top->addLayout(left, 1);
    top->addLayout(buttons);
    top->setSizeConstraint(QLayout::SetFixedSize);

    auto follow = [this] {
        const bool any = !ChampCherche->text().isEmpty();
        for (QPushButton* b : {btnSuivant, btnRemplacer, btnRemplacerTout})
            if (b)
                b->setEnabled(any);
    };
    connect(ChampCherche, &QLineEdit::textChanged, this, follow);
    follow();

    connect(btnSuivant, &QPushButton::clicked, this, &TFindDialog::FindNext);
    if (replace) {
        connect(btnRemplacer, &QPushButton::clicked, this, [this] { emit ReplaceRequested(false); });
        connect(btnRemplacerTout, &QPushButton::clicked, this, [this] { emit ReplaceRequested(true); });
    }
    connect(btnAnnuler, &QPushButton::clicked, this, &TFindDialog::hide);
    adjustSize();
}

QString TFindDialog::FindText() const
{
    return ChampCherche->text();
}

void TFindDialog::SetFindText(const QString& text)
{
    ChampCherche->setText(text);
}

QString TFindDialog::ReplaceText() const
{
    return ChampRemplace ? ChampRemplace->text() : QString();
}

bool TFindDialog::MatchCase() const
{
    return MemeCasse->isChecked();
}

bool TFindDialog::WholeWord() const
{
    return MotEntier->isChecked();
}

} // namespace kep
