// The terminal's files: a log of what is received, and a file sent to the
// board at the line's pace.
#include "serial/UF_Comms.h"

#include "serial/ComPort.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>

namespace kep {

namespace {

QString Octets(std::int64_t n)
{
    return QString::number(n) + (n > 1 ? QStringLiteral(" octets") : QStringLiteral(" octet"));
}

} // namespace

void TEcrComms::RelieFichiers()
{
    EnvoiTimer_ = new QTimer(this);
    EnvoiTimer_->setInterval(10);
    connect(EnvoiTimer_, &QTimer::timeout, this, &TEcrComms::ReprendEnvoi);
    connect(btnAnnulerEnvoi, &QPushButton::clicked, this, &TEcrComms::AnnuleEnvoi);
    connect(PM_Journal, &QAction::triggered, this, [this] {
        if (Journal_) {
            ArreteJournal();
            return;
        }
        const QString nom = AskLogName ? AskLogName()
                                       : QFileDialog::getSaveFileName(this, QStringLiteral("Enregistrer la réception"),
                                                                      QString(), QStringLiteral("Journaux (*.log *.txt);;Tous les fichiers (*)"));
        if (!nom.isEmpty())
            DebuteJournal(nom);
    });
    connect(PM_EnvoiFichier, &QAction::triggered, this, [this] {
        const QString nom = AskSendName ? AskSendName()
                                        : QFileDialog::getOpenFileName(this, QStringLiteral("Envoyer un fichier"));
        if (!nom.isEmpty())
            EnvoieFichier(nom);
    });
}

bool TEcrComms::DebuteJournal(const QString& path)
{
    ArreteJournal();
    auto f = std::make_unique<QFile>(path);
    if (!f->open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        Etat(QStringLiteral("Enregistrement impossible dans ") + QDir::toNativeSeparators(path) + QStringLiteral(" : ") +
             f->errorString());
        return false;
    }
    Journal_ = std::move(f);
    PM_Journal->setText(QStringLiteral("Arrêter l'en&registrement"));
    Etat(QStringLiteral("Enregistrement de la réception dans ") + QDir::toNativeSeparators(path));
    return true;
}

void TEcrComms::ArreteJournal()
{
    if (!Journal_)
        return;
    Journal_->close();
    Journal_.reset();
    PM_Journal->setText(QStringLiteral("Enregistrer la &réception..."));
    Etat(QStringLiteral("Enregistrement arrêté"));
}

bool TEcrComms::EnvoieFichier(const QString& path)
{
    if (Envoi_ || !Com->Connected())
        return false;
    auto f = std::make_unique<QFile>(path);
    if (!f->open(QIODevice::ReadOnly)) {
        Etat(QStringLiteral("Lecture impossible de ") + QDir::toNativeSeparators(path) + QStringLiteral(" : ") +
             f->errorString());
        return false;
    }
    EnvoiTaille_ = f->size();
    EnvoiFait_ = 0;
    Envoi_ = std::move(f);
    BarreEnvoi->setRange(0, 1000);
    BarreEnvoi->setValue(0);
    BarreEnvoi->show();
    btnAnnulerEnvoi->show();
    PM_EnvoiFichier->setEnabled(false);
    EnvoiTimer_->start();
    ReprendEnvoi();
    return true;
}

void TEcrComms::ReprendEnvoi()
{
    if (!Envoi_)
        return;
    if (!Com->Connected()) {
        FinEnvoi(QStringLiteral("Envoi interrompu après ") + Octets(EnvoiFait_));
        return;
    }
    // About 50 ms of the line's time waits in the queue: the bar shows what
    // really left, and cancelling stops the flow at once.
    const int parSeconde = BaudValue(Com->BaudRate()) / 10;
    const int file = std::max(64, parSeconde / 20);
    int place = file - Com->OutputCount();
    char buffer[4096];
    while (place > 0) {
        const qint64 n = Envoi_->read(buffer, std::min<qint64>(place, qint64(sizeof buffer)));
        if (n < 0) {
            FinEnvoi(QStringLiteral("Envoi interrompu, lecture impossible : ") + Envoi_->errorString());
            return;
        }
        if (n == 0)
            break;
        try {
            Com->Write(buffer, int(n));
        } catch (const EComPort& e) {
            FinEnvoi(QStringLiteral("Envoi interrompu : ") + QString::fromStdString(e.what()));
            return;
        }
        EnvoiFait_ += n;
        place -= int(n);
    }
    BarreEnvoi->setValue(EnvoiTaille_ > 0 ? int(EnvoiFait_ * 1000 / std::max<std::int64_t>(EnvoiTaille_, EnvoiFait_)) : 1000);
    if (Envoi_->atEnd() && Com->OutputCount() == 0)
        FinEnvoi(QStringLiteral("Fichier ") + QFileInfo(Envoi_->fileName()).fileName() + QStringLiteral(" envoyé (") +
                 Octets(EnvoiFait_) + QLatin1Char(')'));
}

void TEcrComms::AnnuleEnvoi()
{
    if (Envoi_)
        FinEnvoi(QStringLiteral("Envoi interrompu après ") + Octets(EnvoiFait_));
}

void TEcrComms::FinEnvoi(const QString& etat)
{
    EnvoiTimer_->stop();
    Envoi_.reset();
    BarreEnvoi->hide();
    btnAnnulerEnvoi->hide();
    PM_EnvoiFichier->setEnabled(Com->Connected());
    Etat(etat);
}

} // namespace kep
