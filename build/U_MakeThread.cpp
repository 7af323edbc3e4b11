#include "build/U_MakeThread.h"

#include "build/U_MakeCmd.h"
#include "platform/ProcessGroup.h"

#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>

#include <cerrno>

TMakeThread::TMakeThread() = default;
TMakeThread::~TMakeThread()
{
    if (Running()) {
        kep::StopProcessGroup(Process_->processId(), true);
        Process_->waitForFinished(2000);
    }
}

void TMakeThread::Line(std::string_view line)
{
    if (Memo)
        Memo(line);
    if (Log_) {
        Log_->write(line.data(), qint64(line.size()));
        Log_->write("\n", 1);
    }
}

void TMakeThread::Info(std::string_view line)
{
    if (AffInfos)
        Line(line);
}

bool TMakeThread::Running() const
{
    return Process_ && Process_->state() != QProcess::NotRunning;
}

void TMakeThread::ReadOutput()
{
    // Through a pipe of our own the process has no output channel.
    if (Process_->isReadable()) {
        const QByteArray bytes = Process_->readAllStandardOutput();
        Splitter_.Feed(std::string_view(bytes.constData(), std::size_t(bytes.size())),
                       [this](std::string_view l) { Line(l); });
    }
    Tube_.Vide();
}

namespace {

// The errno-like code of a launcher that could not be started.
unsigned LaunchError(const std::string& exe)
{
    const QFileInfo fi(QString::fromStdString(exe));
    if (exe.empty() || !fi.exists())
        return ENOENT;
    if (!fi.isFile() || !fi.isExecutable())
        return EACCES;
    return ENOEXEC;
}

} // namespace

void TMakeThread::Execute()
{
    Started = false;
    ExitCode = 0;
    Interrompu = false;
    Stopping_ = false;

    if (!LogFile.empty()) {
        Log_ = std::make_unique<QFile>(QString::fromStdString(LogFile));
        if (!Log_->open(QIODevice::WriteOnly | QIODevice::Truncate)) {
            const std::string why = Log_->errorString().toStdString();
            Log_.reset();
            Line("Le journal " + LogFile + " n'a pu être écrit : " + why);
        }
    }

    // The environment goes to the child only; the program's own stays as it is.
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("VRELI"), QString::fromStdString(TabPath));
    Info("SET VRELI=" + TabPath);
    const std::string saved = env.value(QStringLiteral("PATH")).toStdString();
    const std::string path = kep::PathPourMake(ProgMake, saved);
    env.insert(QStringLiteral("PATH"), QString::fromStdString(path));
    Info("SET PATH=" + path);
    Info(CmdLine);
    Info(kep::LigneSeparation);

    Process_ = std::make_unique<QProcess>();
    Process_->setProcessEnvironment(env);
    Process_->setProcessChannelMode(QProcess::MergedChannels);
    Process_->setInputChannelMode(QProcess::ManagedInputChannel);
    if (!WorkDir.empty())
        Process_->setWorkingDirectory(QString::fromStdString(WorkDir));
    kep::OwnProcessGroup(*Process_);
    connect(Process_.get(), &QProcess::readyReadStandardOutput, this, &TMakeThread::ReadOutput);
    // The output comes through a pipe of our own where one can be made.
    Tube_.Branche(*Process_);

    QEventLoop loop;
    connect(Process_.get(), &QProcess::finished, &loop, &QEventLoop::quit);
    connect(Process_.get(), &QProcess::errorOccurred, &loop, [&loop](QProcess::ProcessError e) {
        if (e == QProcess::FailedToStart)
            loop.quit();
    });

    Process_->start(QString::fromStdString(PipesExe), {QString::fromStdString(CmdLine)});
    // The tool's standard input is an open pipe nobody writes to.
    if (Process_->waitForStarted(-1)) {
        Started = true;
        Tube_.Demarre([this](std::string_view b) { Splitter_.Feed(b, [this](std::string_view l) { Line(l); }); });
        if (Process_->state() != QProcess::NotRunning)
            loop.exec();
        // The loop also ends when the program quits: the tool must not outlive it.
        if (Process_->state() != QProcess::NotRunning)
            kep::StopProcessGroup(Process_->processId(), true);
        Process_->waitForFinished(5000);
        // What came between the last read and the end.
        ReadOutput();
        Splitter_.Finish([this](std::string_view l) { Line(l); });
        if (Process_->exitStatus() == QProcess::NormalExit)
            ExitCode = std::uint32_t(Process_->exitCode());
        Interrompu = Stopping_ || Process_->exitStatus() != QProcess::NormalExit;
        Info(kep::LigneSeparation);
        // A failure is told even without the information lines.
        if (ExitCode != 0 && !AffInfos)
            Line(kep::MessageExitCode(ExitCode));
        else
            Info(kep::MessageExitCode(ExitCode));
    } else {
        Line(kep::MessageEchecLancement(LaunchError(PipesExe)));
    }
    Tube_.Ferme();
    Process_->disconnect(this);
    Process_.reset();

    Info("SET VRELI=");
    Info("SET PATH=" + saved);
    Log_.reset();
}

void TMakeThread::Stop()
{
    if (!Running() || Stopping_)
        return;
    Stopping_ = true;
    // The launcher ends at once and this object soon after; a tool that
    // ignores the polite stop is killed later all the same.
    kep::EndProcessGroup(Process_->processId());
}
