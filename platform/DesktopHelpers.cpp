#include "platform/DesktopHelpers.h"

#include "platform/ProcessGroup.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QPointer>
#include <QProcess>
#include <QTimer>

namespace kep {

namespace {

QString FromUtf8(const std::string& s)
{
    return QString::fromUtf8(s.data(), qsizetype(s.size()));
}

} // namespace

TAssistantsBureau& TAssistantsBureau::Instance()
{
    static QPointer<TAssistantsBureau> instance;
    if (!instance)
        instance = new TAssistantsBureau(QCoreApplication::instance());
    return *instance;
}

TAssistantsBureau::TAssistantsBureau(QObject* parent) : QObject(parent), Minuteur_(new QTimer(this))
{
    Minuteur_->setSingleShot(true);
    connect(Minuteur_, &QTimer::timeout, this, &TAssistantsBureau::Arrete);
}

TAssistantsBureau::~TAssistantsBureau()
{
    // Nothing of ours outlives the program.
    File_.clear();
    if (Courant_ && Courant_->state() != QProcess::NotRunning) {
        Courant_->disconnect(this);
        StopProcessGroup(Courant_->processId(), true);
        Courant_->waitForFinished(1000);
    }
}

void TAssistantsBureau::Lance(TAssistants assistants)
{
    for (auto& a : assistants)
        if (!a.Args.empty())
            File_.push_back(std::move(a));
    Suivant();
}

bool TAssistantsBureau::Occupe() const
{
    return Courant_ || !File_.empty();
}

void TAssistantsBureau::Suivant()
{
    if (Courant_ || File_.empty())
        return;
    const TAssistantBureau a = std::move(File_.front());
    File_.pop_front();
    auto* p = new QProcess(this);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const std::string& e : a.Env) {
        const auto eq = e.find('=');
        if (eq != std::string::npos)
            env.insert(FromUtf8(e.substr(0, eq)), FromUtf8(e.substr(eq + 1)));
    }
    p->setProcessEnvironment(env);
    p->setProgram(FromUtf8(a.Args.front()));
    QStringList args;
    for (std::size_t i = 1; i < a.Args.size(); ++i)
        args << FromUtf8(a.Args[i]);
    p->setArguments(args);
    p->setStandardInputFile(QProcess::nullDevice());
    p->setStandardOutputFile(QProcess::nullDevice());
    p->setStandardErrorFile(QProcess::nullDevice());
    // What it starts in turn is stopped with it.
    OwnProcessGroup(*p);
    connect(p, &QProcess::finished, this, &TAssistantsBureau::Fin);
    connect(p, &QProcess::errorOccurred, this, [this](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart)
            Fin();
    });
    Courant_ = p;
    Minuteur_->start(Delai);
    p->start();
}

void TAssistantsBureau::Fin()
{
    if (!Courant_)
        return;
    Minuteur_->stop();
    Courant_->deleteLater();
    Courant_ = nullptr;
    Suivant();
}

void TAssistantsBureau::Arrete()
{
    if (!Courant_)
        return;
    emit SansReponse(QFileInfo(Courant_->program()).fileName());
    // The end comes as for any other: the next one starts then.
    StopProcessGroup(Courant_->processId(), true);
}

} // namespace kep
