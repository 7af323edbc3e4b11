#pragma once
// Another program on a serial device: a child process that opens it and
// holds flock(LOCK_EX) on it as picocom does, until the object goes. With
// no path it holds nothing and only lives, a process that a lock file may
// name.
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <string>
#include <sys/file.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

class TDeviceHolder {
public:
    explicit TDeviceHolder(const std::string& path = {})
    {
        int ready[2];
        if (::pipe(ready) < 0)
            return;
        const pid_t parent = ::getpid();
        const pid_t pid = ::fork();
        if (pid == 0) {
            // Only what is safe after fork in a threaded program.
            ::prctl(PR_SET_PDEATHSIG, SIGKILL);
            if (::getppid() != parent)
                ::_exit(1);
            ::close(ready[0]);
            char ok = '1';
            if (!path.empty()) {
                const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
                if (fd < 0 || ::flock(fd, LOCK_EX | LOCK_NB) < 0)
                    ok = '0';
            }
            (void)!::write(ready[1], &ok, 1);
            for (;;)
                ::pause();
        }
        ::close(ready[1]);
        if (pid < 0) {
            ::close(ready[0]);
            return;
        }
        Pid_ = pid;
        pollfd p{ready[0], POLLIN, 0};
        char ok = '0';
        if (::poll(&p, 1, 10000) == 1 && ::read(ready[0], &ok, 1) == 1)
            Ok_ = ok == '1';
        ::close(ready[0]);
    }
    ~TDeviceHolder() { Stop(); }
    TDeviceHolder(const TDeviceHolder&) = delete;
    TDeviceHolder& operator=(const TDeviceHolder&) = delete;

    bool Ok() const { return Ok_; }
    pid_t Pid() const { return Pid_; }
    // The program ends, and its hold with it.
    void Stop()
    {
        if (Pid_ > 0) {
            ::kill(Pid_, SIGKILL);
            int st = 0;
            while (::waitpid(Pid_, &st, 0) < 0 && errno == EINTR) {
            }
        }
        Pid_ = -1;
        Ok_ = false;
    }

private:
    pid_t Pid_ = -1;
    bool Ok_ = false;
};
