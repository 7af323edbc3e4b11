#pragma once
// The serial port over a pseudo-terminal pair: the test plays the board on
// the far end. A pseudo-terminal has no modem lines, which the port must
// survive; it does pass the line discipline's marks, which the port undoes.
#include "serial/ComPort.h"

#include "config/U_KepFile.h"
#include "serial/PtyPair.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QTest>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <random>
#include <thread>

using namespace kep;

inline bool WaitUntil(const std::function<bool()>& done, int ms = 10000)
{
    QDeadlineTimer deadline(ms);
    while (!done()) {
        if (deadline.hasExpired())
            return false;
        QTest::qWait(2);
    }
    return true;
}

// Runs the event loop for a while, for what must not happen.
inline void Settle(int ms = 300)
{
    QTest::qWait(ms);
}

inline std::string RandomBytes(std::size_t n, unsigned seed)
{
    std::mt19937 rng(seed);
    std::string s(n, '\0');
    for (char& c : s)
        c = char(rng() & 0xFF);
    // Make sure the bytes the line discipline treats specially are there.
    for (std::size_t i = 0; i + 3 < n; i += 997) {
        s[i] = char(0xFF);
        s[i + 1] = char(0xFF);
        s[i + 2] = 0;
    }
    return s;
}

inline std::size_t FirstDifference(const std::string& a, const std::string& b)
{
    const std::size_t n = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < n; ++i)
        if (a[i] != b[i])
            return i;
    return n;
}

// The termios of our end, read through a descriptor of its own (root
// passes TIOCEXCL; anyone else skips the check).
inline bool DeviceTermios(const std::string& path, termios& t)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_NOCTTY | O_NONBLOCK);
    if (fd < 0)
        return false;
    const bool ok = ::tcgetattr(fd, &t) == 0;
    ::close(fd);
    return ok;
}

inline std::string ThrownBy(const std::function<void()>& f, int* code = nullptr)
{
    try {
        f();
    } catch (const EComPort& e) {
        if (code)
            *code = e.Code();
        return e.what();
    }
    return "(nothing thrown)";
}

// A thread playing the board. Should the test end early, the line is cut so
// that the thread stops before the test's locals it uses go away.
class TBoard {
public:
    TBoard(TPtyPair& pair, std::function<void()> work) : Pair_(pair), Thread_(std::move(work)) {}
    ~TBoard()
    {
        if (Thread_.joinable()) {
            Pair_.Kill();
            Thread_.join();
        }
    }
    void Join() { Thread_.join(); }

private:
    TPtyPair& Pair_;
    std::thread Thread_;
};

class ComPortTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(Pair.Ok()) << "socat is needed for these tests";
        char tmpl[] = "/tmp/kep-comport-XXXXXX";
        ASSERT_NE(mkdtemp(tmpl), nullptr);
        Dir = tmpl;
        MapPorts({{1, Pair.Ours()}});
    }
    void TearDown() override
    {
        std::error_code ec;
        std::filesystem::remove_all(Dir, ec);
        NomFichOptions.clear();
    }
    void MapPorts(const std::map<int, std::string>& ports)
    {
        const std::string file = Dir + "/kep.ini";
        std::ofstream out(file, std::ios::binary | std::ios::trunc);
        out << "[Ports]\n";
        for (const auto& [n, path] : ports)
            out << "COM" << n << "=" << path << "\n";
        out.close();
        NomFichOptions = file;
    }
    // A port that records what happens to it.
    void Watch(TComPort& port)
    {
        port.OnOpen = [this](TComPort&) { Log.push_back("open"); };
        port.OnClose = [this](TComPort&) { Log.push_back("close"); };
        port.OnFault = [this](TComPort&, const std::string& m) { Faults.push_back(m); Log.push_back(m); };
    }
    // Reads every byte as it comes.
    void Collect(TComPort& port)
    {
        port.OnRxChar = [this](TComPort& p, int count) {
            std::string buf(std::size_t(std::max(count, 1)), '\0');
            const int n = p.Read(buf.data(), count);
            Got.append(buf.data(), std::size_t(n));
        };
    }

    TPtyPair Pair;
    std::string Dir;
    std::vector<std::string> Log, Faults;
    std::string Got;
};

constexpr TEvents RxOnly = EventBit(evRxChar);
const std::string SignalRefused = "Unable to set signal. Err 25";
const std::string StatusRefused = "Unable to read com status. Err 25";
