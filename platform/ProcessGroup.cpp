#include "platform/ProcessGroup.h"

#include <QProcess>

#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace kep {

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

} // namespace kep
