#include "platform/ProcessGroup.h"

#include <QCoreApplication>
#include <QProcess>
#include <QTimer>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <string>
#include <unistd.h>
#include <vector>

namespace kep {

namespace {

using Clock = std::chrono::steady_clock;

struct TPending {
    pid_t Group;
    Clock::time_point Deadline;
};

// A member's state and group from /proc/<pid>/stat ("pid (comm) S ppid pgrp").
bool MemberOf(const char* pid, pid_t group)
{
    const std::string path = std::string("/proc/") + pid + "/stat";
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    char buf[512];
    const ssize_t n = ::read(fd, buf, sizeof buf - 1);
    ::close(fd);
    if (n <= 0)
        return false;
    buf[n] = 0;
    // The name may hold spaces and parentheses: the fields follow the last ')'.
    const char* p = std::strrchr(buf, ')');
    char state = 0;
    long ppid = 0, pgrp = 0;
    if (!p || std::sscanf(p + 1, " %c %ld %ld", &state, &ppid, &pgrp) != 3)
        return false;
    return pgrp == group && state != 'Z' && state != 'X';
}

// Groups waiting for their kill. Ending the program kills what is left.
class TReaper {
public:
    ~TReaper()
    {
        for (const TPending& p : Pending_) {
            while (ProcessGroupAlive(p.Group) && Clock::now() < p.Deadline)
                ::usleep(10000);
            if (ProcessGroupAlive(p.Group))
                ::kill(-p.Group, SIGKILL);
        }
    }

    void Add(pid_t group, int graceMs)
    {
        const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(graceMs);
        auto it = std::find_if(Pending_.begin(), Pending_.end(), [group](const TPending& p) { return p.Group == group; });
        if (it == Pending_.end())
            Pending_.push_back({group, deadline});
        else
            it->Deadline = std::min(it->Deadline, deadline);
        Schedule();
    }

private:
    // A group drops out as soon as it is gone, so that its number, free
    // again, is never signalled later.
    void Check()
    {
        Scheduled_ = false;
        const Clock::time_point now = Clock::now();
        std::erase_if(Pending_, [now](const TPending& p) {
            if (!ProcessGroupAlive(p.Group))
                return true;
            if (now < p.Deadline)
                return false;
            ::kill(-p.Group, SIGKILL);
            return true;
        });
        Schedule();
    }

    void Schedule()
    {
        QCoreApplication* app = QCoreApplication::instance();
        if (Pending_.empty() || Scheduled_ || !app)
            return;
        Scheduled_ = true;
        QTimer::singleShot(50, app, [this] { Check(); });
    }

    std::vector<TPending> Pending_;
    bool Scheduled_ = false;
};

TReaper& Reaper()
{
    static TReaper reaper;
    return reaper;
}

} // namespace

void OwnProcessGroup(QProcess& process)
{
    process.setChildProcessModifier([] {
        ::setpgid(0, 0);
        // A larger pipe lets a chatty tool run on while the window catches up.
        ::fcntl(STDOUT_FILENO, F_SETPIPE_SZ, 1 << 20);
    });
}

void StopProcessGroup(qint64 pid, bool hard)
{
    if (pid <= 0)
        return;
    ::kill(-pid_t(pid), hard ? SIGKILL : SIGTERM);
}

bool ProcessGroupAlive(qint64 pid)
{
    if (pid <= 0)
        return false;
    if (::kill(-pid_t(pid), 0) != 0 && errno != EPERM)
        return false;
    // Killed members wait for their parent as zombies: those do not count.
    DIR* proc = ::opendir("/proc");
    if (!proc)
        return true;
    bool alive = false;
    while (const dirent* e = ::readdir(proc)) {
        if (e->d_name[0] >= '1' && e->d_name[0] <= '9' && MemberOf(e->d_name, pid_t(pid))) {
            alive = true;
            break;
        }
    }
    ::closedir(proc);
    return alive;
}

void EndProcessGroup(qint64 pid, int graceMs)
{
    if (pid <= 0)
        return;
    ::kill(-pid_t(pid), SIGTERM);
    Reaper().Add(pid_t(pid), std::max(graceMs, 0));
}

} // namespace kep
