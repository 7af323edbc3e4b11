#include "serial/ComPortVerrou.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace kep {

namespace {

// Where serial programs put their lock files; QSerialPort looks in the same
// places. On most systems /var/lock leads to /run/lock.
constexpr const char* LockFolders[] = {"/run/lock",        "/var/lock",       "/var/lock/lockdev", "/var/spool/locks",
                                       "/var/spool/uucp", "/etc/locks",      "/tmp",              "/var/tmp"};

// "LCK.." and the device's name below /dev, a '/' as '_': "LCK..ttyUSB0",
// and for a device named by another path, that path ("LCK.._tmp_board").
std::string LockName(const std::string& path)
{
    std::string name = path.rfind("/dev/", 0) == 0 ? path.substr(5) : path;
    for (char& c : name)
        if (c == '/')
            c = '_';
    return "LCK.." + name;
}

// Ten ASCII digits padded with spaces (HDB UUCP, and QLockFile's first
// line), or the older binary int.
pid_t LockFilePid(const char* text, std::size_t size)
{
    const auto digitOrSpace = [](char c) { return c == ' ' || c == '\n' || (c >= '0' && c <= '9'); };
    if (size == sizeof(int) && !std::all_of(text, text + size, digitOrSpace)) {
        int pid = 0;
        std::memcpy(&pid, text, sizeof pid);
        return pid > 0 ? pid_t(pid) : 0;
    }
    const std::string first(text, size);
    char* end = nullptr;
    const long pid = std::strtol(first.c_str(), &end, 10);
    return end != first.c_str() && pid > 0 ? pid_t(pid) : 0;
}

pid_t HolderOf(const std::string& lockFile)
{
    const int fd = ::open(lockFile.c_str(), O_RDONLY | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return 0;
    char text[64];
    ssize_t n;
    do
        n = ::read(fd, text, sizeof text);
    while (n < 0 && errno == EINTR);
    ::close(fd);
    if (n <= 0)
        return 0;
    const pid_t pid = LockFilePid(text, std::size_t(n));
    if (pid <= 0 || pid == ::getpid())
        return 0;
    // Alive, though perhaps another user's (which kill may not signal).
    return ::kill(pid, 0) == 0 || errno == EPERM ? pid : 0;
}

} // namespace

int OpenLocked(const std::string& path, int& err)
{
    err = 0;
    int fd;
    do
        fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    while (fd < 0 && errno == EINTR);
    if (fd < 0) {
        err = errno;
        return -1;
    }
    int r;
    do
        r = ::flock(fd, LOCK_EX | LOCK_NB);
    while (r < 0 && errno == EINTR);
    // A device whose file system keeps no such locks still opens.
    if (r < 0 && errno == EWOULDBLOCK) {
        ::close(fd);
        err = EBUSY;
        return -1;
    }
    return fd;
}

pid_t UucpHolder(const std::string& path)
{
    std::string names[2] = {LockName(path), {}};
    if (char* real = ::realpath(path.c_str(), nullptr)) {
        names[1] = LockName(real);
        std::free(real);
    }
    for (const char* folder : LockFolders)
        for (const std::string& name : names)
            if (!name.empty())
                if (const pid_t pid = HolderOf(std::string(folder) + "/" + name))
                    return pid;
    return 0;
}

} // namespace kep
