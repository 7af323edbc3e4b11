#pragma once
// A pseudo-terminal pair joined by socat: the program opens one end (Ours)
// as its serial device, the test plays the board on the other (BoardFd).
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <poll.h>
#include <sys/prctl.h>
#include <string>
#include <sys/wait.h>
#include <termios.h>
#include <thread>
#include <unistd.h>

class TPtyPair {
public:
    TPtyPair()
    {
        char tmpl[] = "/tmp/kep-pty-XXXXXX";
        if (char* d = mkdtemp(tmpl))
            Dir_ = d;
        Start();
    }
    ~TPtyPair()
    {
        Kill();
        std::error_code ec;
        std::filesystem::remove_all(Dir_, ec);
    }
    TPtyPair(const TPtyPair&) = delete;
    TPtyPair& operator=(const TPtyPair&) = delete;

    bool Ok() const { return Pid_ > 0 && Board_ >= 0; }
    std::string Ours() const { return Dir_ + "/kep"; }
    std::string BoardPath() const { return Dir_ + "/board"; }
    int BoardFd() const { return Board_; }
    const std::string& Dir() const { return Dir_; }

    // The peer vanishes: socat ends and both ends hang up.
    void Kill()
    {
        if (Board_ >= 0)
            ::close(Board_);
        Board_ = -1;
        if (Pid_ > 0) {
            ::kill(Pid_, SIGTERM);
            int st = 0;
            ::waitpid(Pid_, &st, 0);
        }
        Pid_ = -1;
        std::error_code ec;
        std::filesystem::remove(Ours(), ec);
        std::filesystem::remove(BoardPath(), ec);
    }
    // A new pair under the same names.
    bool Restart()
    {
        Kill();
        Start();
        return Ok();
    }

    // Writes everything to the board's end (blocking).
    bool BoardWrite(const std::string& bytes) const
    {
        std::size_t at = 0;
        while (at < bytes.size()) {
            const ssize_t n = ::write(Board_, bytes.data() + at, bytes.size() - at);
            if (n < 0) {
                if (errno == EINTR || errno == EAGAIN) {
                    pollfd p{Board_, POLLOUT, 0};
                    ::poll(&p, 1, 100);
                    continue;
                }
                return false;
            }
            at += std::size_t(n);
        }
        return true;
    }
    // Reads what the board receives until `count` bytes came or `ms` of
    // silence passed.
    std::string BoardRead(std::size_t count, int ms = 2000) const
    {
        std::string got;
        char buf[65536];
        while (got.size() < count) {
            pollfd p{Board_, POLLIN, 0};
            if (::poll(&p, 1, ms) <= 0)
                break;
            const ssize_t n = ::read(Board_, buf, std::min(sizeof buf, count - got.size()));
            if (n <= 0) {
                if (n < 0 && (errno == EINTR || errno == EAGAIN))
                    continue;
                break;
            }
            got.append(buf, std::size_t(n));
        }
        return got;
    }

private:
    void Start()
    {
        const std::string a = "pty,raw,echo=0,link=" + Ours();
        const std::string b = "pty,raw,echo=0,link=" + BoardPath();
        const char* argv[] = {"socat", a.c_str(), b.c_str(), nullptr};
        // socat must not outlive a test that dies, nor hold its output open
        // (a runner reading that output would wait for it forever).
        const pid_t parent = ::getpid();
        const pid_t pid = ::fork();
        if (pid < 0)
            return;
        if (pid == 0) {
            ::prctl(PR_SET_PDEATHSIG, SIGTERM);
            if (::getppid() != parent)
                ::_exit(1);
            const int nul = ::open("/dev/null", O_RDWR);
            ::dup2(nul, 0);
            ::dup2(nul, 1);
            ::dup2(nul, 2);
            ::execvp("socat", const_cast<char**>(argv));
            ::_exit(127);
        }
        Pid_ = pid;
        const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (std::chrono::steady_clock::now() < until) {
            if (std::filesystem::exists(Ours()) && std::filesystem::exists(BoardPath()))
                break;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        Board_ = ::open(BoardPath().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
        if (Board_ >= 0) {
            termios t{};
            ::tcgetattr(Board_, &t);
            ::cfmakeraw(&t);
            ::tcsetattr(Board_, TCSANOW, &t);
        }
    }

    std::string Dir_;
    pid_t Pid_ = -1;
    int Board_ = -1;
};
