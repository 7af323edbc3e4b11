#include "project/UF_ProjVers.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QPointer>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace kep {

namespace {

QPushButton* Button(QWidget* parent, const char* name, const QString& caption)
{
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setAutoDefault(false);
    return b;
}

} // namespace

TEcrProjVers::TEcrProjVers(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("EcrProjVers"));
    Versions = new QTreeWidget(this);
    Versions->setObjectName(QStringLiteral("Versions"));
    Versions->setHeaderHidden(true);
    Versions->setColumnCount(1);

    auto* version = new QGroupBox(QStringLiteral(" Version "), this);
    btnAjoute = Button(version, "btnAjoute", QStringLiteral("Ajoute"));
    btnRenomme = Button(version, "btnRenomme", QStringLiteral("Renomme"));
    btnSupprime = Button(version, "btnSupprime", QStringLiteral("Supprime"));
    auto* vl = new QVBoxLayout(version);
    vl->addWidget(btnAjoute);
    vl->addWidget(btnRenomme);
    vl->addWidget(btnSupprime);

    auto* defines = new QGroupBox(QStringLiteral(" Defines "), this);
    btnAjouteDef = Button(defines, "btnAjouteDef", QStringLiteral("Ajoute"));
    btnSupprimeDef = Button(defines, "btnSupprimeDef", QStringLiteral("Supprime"));
    auto* dl = new QVBoxLayout(defines);
    dl->addWidget(btnAjouteDef);
    dl->addWidget(btnSupprimeDef);

    btnOk = Button(this, "btnOk", QStringLiteral("Ok"));
    btnOk->setDefault(true);
    btnAnnuler = Button(this, "btnAnnuler", QStringLiteral("&Annuler"));

    auto* side = new QVBoxLayout;
    side->addWidget(version);
    side->addWidget(defines);
    side->addStretch(1);
    side->addWidget(btnOk);
    side->addWidget(btnAnnuler);
    auto* top = new QHBoxLayout(this);
    top->addWidget(Versions, 1);
    top->addLayout(side);
    resize(420, 300);

    AddVersion(QStringLiteral("Standard"));
    connect(btnAjoute, &QPushButton::clicked, this, [this] { Versions->setCurrentItem(AddVersion(QStringLiteral("Nouvelle"))); });
    connect(btnOk, &QPushButton::clicked, this, &QDialog::accept);
    connect(btnAnnuler, &QPushButton::clicked, this, &QDialog::reject);
}

QTreeWidgetItem* TEcrProjVers::AddVersion(const QString& name)
{
    auto* node = new QTreeWidgetItem(Versions, {name});
    new QTreeWidgetItem(node, {QStringLiteral("Make")});
    new QTreeWidgetItem(node, {QStringLiteral("Defines")});
    node->setExpanded(true);
    return node;
}

TEcrProjVers& TEcrProjVers::Instance(QWidget* parent)
{
    static QPointer<TEcrProjVers> dialog;
    if (!dialog)
        dialog = new TEcrProjVers(parent);
    return *dialog;
}

} // namespace kep
