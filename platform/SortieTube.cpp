#include "platform/SortieTube.h"

#include <QFile>
#include <QProcess>
#include <QSocketNotifier>

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace kep {

namespace {

// What a pipe holds at most, and the read that counts as a flood: the tool
// wrote faster than we woke up.
constexpr int kTube = 1 << 20;
constexpr std::size_t kFlot = 64 * 1024;
// A flooding tool fills a fifth of the pipe in this time: it never waits
// for us, and we read it in a few hundred chunks instead of thousands.
constexpr int kPauseMs = 2;

} // namespace

TSortieTube::TSortieTube()
{
    Pause_.setSingleShot(true);
    Pause_.setInterval(kPauseMs);
    Pause_.setTimerType(Qt::PreciseTimer);
    connect(&Pause_, &QTimer::timeout, this, [this] {
        if (Notifier_)
            Notifier_->setEnabled(true);
        Lit();
    });
}

TSortieTube::~TSortieTube()
{
    Ferme();
}

bool TSortieTube::Branche(QProcess& process)
{
    Ferme();
    int fd[2];
    if (::pipe2(fd, O_CLOEXEC) != 0)
        return false;
    ::fcntl(fd[0], F_SETFL, ::fcntl(fd[0], F_GETFL) | O_NONBLOCK);
    ::fcntl(fd[0], F_SETPIPE_SZ, kTube);
    Lit_ = fd[0];
    Ecrit_ = fd[1];
    // QProcess opens the name for the child: it gets a descriptor of this
    // same pipe, and ours stays out of it.
    const QString nom = QStringLiteral("/proc/self/fd/%1").arg(Ecrit_);
    if (::access(QFile::encodeName(nom).constData(), W_OK) != 0) {
        Ferme();
        return false;
    }
    process.setStandardOutputFile(nom);
    return true;
}

void TSortieTube::Demarre(TLecture lecture)
{
    Lecture_ = std::move(lecture);
    if (Ecrit_ >= 0) {
        ::close(Ecrit_);
        Ecrit_ = -1;
    }
    if (Lit_ < 0)
        return;
    Notifier_ = std::make_unique<QSocketNotifier>(Lit_, QSocketNotifier::Read);
    connect(Notifier_.get(), &QSocketNotifier::activated, this, &TSortieTube::Lit);
}

void TSortieTube::Lit()
{
    if (Lit_ < 0)
        return;
    Tampon_.resize(kTube);
    std::size_t total = 0;
    for (;;) {
        const ssize_t n = ::read(Lit_, Tampon_.data(), Tampon_.size());
        if (n > 0) {
            total += std::size_t(n);
            if (Lecture_)
                Lecture_(std::string_view(Tampon_.data(), std::size_t(n)));
            if (std::size_t(n) < Tampon_.size())
                break; // the pipe is empty for now
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n == 0 && Notifier_) // every writer gone: nothing more will come
            Notifier_->setEnabled(false);
        break;
    }
    if (total >= kFlot && Notifier_ && Notifier_->isEnabled()) {
        Notifier_->setEnabled(false);
        Pause_.start();
    }
}

void TSortieTube::Vide()
{
    Pause_.stop();
    Lit();
}

void TSortieTube::Ferme()
{
    Pause_.stop();
    Notifier_.reset();
    if (Lit_ >= 0)
        ::close(Lit_);
    if (Ecrit_ >= 0)
        ::close(Ecrit_);
    Lit_ = Ecrit_ = -1;
}

} // namespace kep
