#include "app/UF_SelDir.h"

#include "controls/UC_FolderTree.h"

#include <QDir>
#include <QLineEdit>
#include <QPushButton>

namespace kep {

namespace {

constexpr int ButtonWidth = 75, ButtonHeight = 25, EditHeight = 21, Margin = 8;

} // namespace

TEcrSelDir::TEcrSelDir(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Quel répertoire ?"));
    setSizeGripEnabled(true);
    FolderTree = new TFolderTree(this);
    FolderTree->setObjectName(QStringLiteral("FolderTree"));
    FolderPath = new QLineEdit(this);
    FolderPath->setObjectName(QStringLiteral("FolderPath"));
    btnOk = new QPushButton(QStringLiteral("Ok"), this);
    btnOk->setObjectName(QStringLiteral("btnOk"));
    btnOk->setDefault(true);
    btnAnnuler = new QPushButton(QStringLiteral("Annuler"), this);
    btnAnnuler->setObjectName(QStringLiteral("btnAnnuler"));
    setTabOrder(FolderTree, FolderPath);
    setTabOrder(FolderPath, btnOk);
    setTabOrder(btnOk, btnAnnuler);

    connect(FolderTree, &TFolderTree::FolderChanged, this, &TEcrSelDir::Show);
    connect(btnOk, &QPushButton::clicked, this, &QDialog::accept);
    connect(btnAnnuler, &QPushButton::clicked, this, &QDialog::reject);

    setMinimumSize(2 * ButtonWidth + 3 * Margin, 160);
    resize(330, 400);
    Place();
    SetFolder(QDir::homePath());
}

void TEcrSelDir::SetFolder(const QString& path)
{
    if (!FolderTree->SetSelectedFolder(path))
        Show(path);
}

void TEcrSelDir::SetNewName(const QString& name)
{
    NewName_ = name;
    Show(FolderTree->SelectedFolder());
}

void TEcrSelDir::Show(const QString& folder)
{
    if (NewName_.isEmpty())
        FolderPath->setText(folder);
    else if (folder.endsWith(QLatin1Char('/')))
        FolderPath->setText(folder + NewName_);
    else
        FolderPath->setText(folder + QLatin1Char('/') + NewName_);
}

QString TEcrSelDir::Folder() const
{
    return FolderPath->text();
}

void TEcrSelDir::resizeEvent(QResizeEvent* event)
{
    QDialog::resizeEvent(event);
    Place();
}

void TEcrSelDir::Place()
{
    const int w = width(), h = height();
    FolderTree->setGeometry(0, 0, w, std::max(h - 78, 0));
    FolderPath->setGeometry(Margin, h - 63, std::max(w - 16, 0), EditHeight);
    const int top = h - 30;
    btnAnnuler->setGeometry(w - Margin - ButtonWidth, top, ButtonWidth, ButtonHeight);
    btnOk->setGeometry(w - Margin - ButtonWidth - Margin - ButtonWidth, top, ButtonWidth, ButtonHeight);
}

} // namespace kep
