#include "app/UF_APropos.h"

#include "Version.h"
#include "config/UF_Cfg.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDesktopServices>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QUrl>
#include <QVBoxLayout>

namespace kep {

QString TEcrAPropos::ContactAddress()
{
    return QStringLiteral("kep-dev@example.org");
}

TEcrAPropos::TEcrAPropos(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("EcrAPropos"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("A propos de KEP"));
    setModal(false);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(24, 18, 24, 14);
    layout->setSpacing(8);
    LblProduit = new QLabel(this);
    QFont big = LblProduit->font();
    big.setPointSizeF(big.pointSizeF() * 1.6);
    big.setBold(true);
    LblProduit->setFont(big);
    LblVersion = new QLabel(this);
    LblCopyright = new QLabel(this);
    QFont link = LblCopyright->font();
    link.setUnderline(true);
    LblCopyright->setFont(link);
    LblCopyright->setCursor(Qt::PointingHandCursor);
    LblCopyright->setToolTip(ContactAddress());
    LblCopyright->installEventFilter(this);
    LblDate = new QLabel(this);
    auto* role = new QLabel(QStringLiteral("Environnement de développement en assembleur\npour microcontrôleurs"),
                            this);
    for (QLabel* l : {LblProduit, LblVersion, role, LblCopyright, LblDate}) {
        l->setAlignment(Qt::AlignHCenter);
        layout->addWidget(l);
    }
    layout->insertSpacing(3, 6);
    BtnOk = new QPushButton(QStringLiteral("OK"), this);
    BtnOk->setDefault(true);
    auto* row = new QHBoxLayout;
    row->addStretch();
    row->addWidget(BtnOk);
    row->addStretch();
    layout->addSpacing(6);
    layout->addLayout(row);
    connect(BtnOk, &QPushButton::clicked, this, &QWidget::close);
    OpenMail = [](const QString& address) { QDesktopServices::openUrl(QUrl(QStringLiteral("mailto:") + address)); };
}

void TEcrAPropos::showEvent(QShowEvent* event)
{
    // The version strings are compiled in; the date is the program file's own.
    LblProduit->setText(QStringLiteral("KEP"));
    LblVersion->setText(QStringLiteral("Version ") + QString::fromStdString(ProgramFileVersion()));
    LblCopyright->setText(QStringLiteral("© 2026 L'équipe KEP — ") + ContactAddress());
    const QFileInfo exe(QCoreApplication::applicationFilePath());
    const QDateTime built = exe.exists() ? exe.lastModified() : QDateTime();
    LblDate->setText(QStringLiteral("Compilation du ")
                     + (built.isValid() ? built.toString(QStringLiteral("dd/MM/yyyy HH:mm:ss"))
                                        : QStringLiteral(KEP_BUILD_DATE)));
    QDialog::showEvent(event);
}

bool TEcrAPropos::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == LblCopyright && event->type() == QEvent::MouseButtonRelease
        && static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        if (OpenMail)
            OpenMail(ContactAddress());
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

} // namespace kep
