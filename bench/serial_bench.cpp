// Receiving through TComPort and the Qt event loop against a plain reader on
// the same socat pseudo-terminal pair (the floor), 4 MB each, in one run;
// sending through TComPort against a plain blocking writer on the pair, the
// board's end read by the same reader; and TRxDecoder alone on 16 MB.
// ratio_to_socat is the port's rate over the plain reader's (or writer's);
// ratio_to_marked over a reader that asks for the same marks as the port.
//   bench_serial [Google Benchmark options]
#include "config/U_KepFile.h"
#include "serial/ComPort.h"
#include "serial/PtyPair.h"
#include "serial/U_RxDecode.h"
#include "support/RatioMain.h"

#include <QCoreApplication>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <memory>
#include <random>
#include <string>
#include <thread>

namespace {

constexpr std::size_t Bytes = 4u << 20;

const std::string& Payload()
{
    static const std::string data = [] {
        std::mt19937 rng(42);
        std::string s(Bytes, '\0');
        for (char& c : s)
            c = char(rng() & 0xFF);
        return s;
    }();
    return data;
}

double SocatRate = 0;  // bytes/s of the floor, for the ratio
double MarkedRate = 0; // the same with the line discipline marking errors
double SocatSendRate = 0;

// The board's end read until the payload has come; false when it did not.
bool BoardTakesAll(const TPtyPair& pair)
{
    std::vector<char> buf(65536);
    std::size_t got = 0;
    while (got < Bytes) {
        pollfd p{pair.BoardFd(), POLLIN, 0};
        if (::poll(&p, 1, 10000) <= 0)
            return false;
        const ssize_t n = ::read(pair.BoardFd(), buf.data(), buf.size());
        if (n < 0 && (errno == EINTR || errno == EAGAIN))
            continue;
        if (n <= 0)
            return false;
        got += std::size_t(n);
    }
    return true;
}

// The port on our end of the pair, or none (the benchmark then says why).
std::unique_ptr<kep::TComPort> OpenPort(const TPtyPair& pair, benchmark::State& state)
{
    if (!pair.Ok()) {
        state.SkipWithError("socat pair unavailable");
        return nullptr;
    }
    const std::string ini = pair.Dir() + "/kep.ini";
    std::ofstream(ini) << "[Ports]\nCOM1=" << pair.Ours() << "\n";
    kep::NomFichOptions = ini;
    auto port = std::make_unique<kep::TComPort>();
    port->SetEvents(kep::EventBit(kep::evRxChar));
    port->SetBaudRate(kep::br115200);
    try {
        port->Open();
    } catch (const kep::EComPort& e) {
        state.SkipWithError(e.what());
        return nullptr;
    }
    return port;
}

// Arg 0: a plain raw reader; 1: the same asking for marks (PARMRK), as the
// port does, which takes the kernel off its fastest path and doubles 0xFF.
void Floor_SocatPty(benchmark::State& state)
{
    const bool marked = state.range(0) != 0;
    TPtyPair pair;
    const int fd = pair.Ok() ? ::open(pair.Ours().c_str(), O_RDWR | O_NOCTTY) : -1;
    if (fd < 0) {
        state.SkipWithError("socat pair unavailable");
        return;
    }
    termios t{};
    ::tcgetattr(fd, &t);
    ::cfmakeraw(&t);
    if (marked)
        t.c_iflag |= PARMRK;
    ::tcsetattr(fd, TCSANOW, &t);
    const std::size_t expected =
        Bytes + (marked ? std::size_t(std::count(Payload().begin(), Payload().end(), char(0xFF))) : 0);
    std::vector<char> buf(65536);
    double seconds = 0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        std::thread writer([&] { pair.BoardWrite(Payload()); });
        std::size_t got = 0;
        while (got < expected) {
            const ssize_t n = ::read(fd, buf.data(), buf.size());
            if (n <= 0)
                break;
            got += std::size_t(n);
        }
        writer.join();
        seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        if (got != expected)
            state.SkipWithError("bytes lost");
    }
    ::close(fd);
    state.SetBytesProcessed(std::int64_t(state.iterations() * Bytes));
    const double rate = seconds > 0 ? double(state.iterations() * Bytes) / seconds : 0;
    (marked ? MarkedRate : SocatRate) = rate;
    state.counters["bytes_per_s"] = rate;
}
BENCHMARK(Floor_SocatPty)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();

void ComPortReceive(benchmark::State& state)
{
    TPtyPair pair;
    const std::unique_ptr<kep::TComPort> opened = OpenPort(pair, state);
    if (!opened)
        return;
    kep::TComPort& port = *opened;
    std::size_t got = 0;
    std::vector<char> buf(65536);
    port.OnRxChar = [&](kep::TComPort& p, int) {
        while (const int n = p.Read(buf.data(), int(buf.size())))
            got += std::size_t(n);
    };
    double seconds = 0;
    for (auto _ : state) {
        got = 0;
        const auto start = std::chrono::steady_clock::now();
        std::thread writer([&] { pair.BoardWrite(Payload()); });
        while (got < Bytes && port.Connected())
            QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
        writer.join();
        seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        if (got != Bytes)
            state.SkipWithError("bytes lost");
    }
    port.Close();
    state.SetBytesProcessed(std::int64_t(state.iterations() * Bytes));
    const double rate = seconds > 0 ? double(state.iterations() * Bytes) / seconds : 0;
    state.counters["bytes_per_s"] = rate;
    if (SocatRate > 0)
        state.counters["ratio_to_socat"] = rate / SocatRate;
    if (MarkedRate > 0)
        state.counters["ratio_to_marked"] = rate / MarkedRate;
}
BENCHMARK(ComPortReceive)->Unit(benchmark::kMillisecond)->UseRealTime();

// The floor of sending: a plain blocking writer on our end.
void Floor_SocatPtySend(benchmark::State& state)
{
    TPtyPair pair;
    const int fd = pair.Ok() ? ::open(pair.Ours().c_str(), O_RDWR | O_NOCTTY) : -1;
    if (fd < 0) {
        state.SkipWithError("socat pair unavailable");
        return;
    }
    termios t{};
    ::tcgetattr(fd, &t);
    ::cfmakeraw(&t);
    ::tcsetattr(fd, TCSANOW, &t);
    double seconds = 0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        bool all = false;
        std::thread reader([&] { all = BoardTakesAll(pair); });
        std::size_t at = 0;
        while (at < Bytes) {
            const ssize_t n = ::write(fd, Payload().data() + at, Bytes - at);
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                break;
            at += std::size_t(n);
        }
        reader.join();
        seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        if (!all)
            state.SkipWithError("bytes lost");
    }
    ::close(fd);
    state.SetBytesProcessed(std::int64_t(state.iterations() * Bytes));
    SocatSendRate = seconds > 0 ? double(state.iterations() * Bytes) / seconds : 0;
    state.counters["bytes_per_s"] = SocatSendRate;
}
BENCHMARK(Floor_SocatPtySend)->Unit(benchmark::kMillisecond)->UseRealTime();

// The whole payload written at once; the event loop hands it to the driver
// as room comes.
void ComPortSend(benchmark::State& state)
{
    TPtyPair pair;
    const std::unique_ptr<kep::TComPort> port = OpenPort(pair, state);
    if (!port)
        return;
    double seconds = 0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        bool all = false;
        std::thread reader([&] { all = BoardTakesAll(pair); });
        port->Write(Payload().data(), int(Bytes));
        while (port->OutputCount() > 0 && port->Connected())
            QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
        reader.join();
        seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        if (!all)
            state.SkipWithError("bytes lost");
    }
    port->Close();
    state.SetBytesProcessed(std::int64_t(state.iterations() * Bytes));
    const double rate = seconds > 0 ? double(state.iterations() * Bytes) / seconds : 0;
    state.counters["bytes_per_s"] = rate;
    if (SocatSendRate > 0)
        state.counters["ratio_to_socat"] = rate / SocatSendRate;
}
BENCHMARK(ComPortSend)->Unit(benchmark::kMillisecond)->UseRealTime();

void RxDecode16MB(benchmark::State& state)
{
    std::mt19937 rng(7);
    std::string raw(16u << 20, '\0');
    for (char& c : raw)
        c = char(rng() & 0xFF);
    kep::TRxDecoder decoder;
    std::string out;
    out.reserve(raw.size());
    for (auto _ : state) {
        out.clear();
        benchmark::DoNotOptimize(decoder.Decode(raw, {}, out));
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(std::int64_t(state.iterations() * raw.size()));
}
BENCHMARK(RxDecode16MB)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    return kepbench::RunWithRatios(argc, argv, {{"ComPortReceive/real_time", "Floor_SocatPty/0/real_time"},
                                             {"ComPortReceive/real_time", "Floor_SocatPty/1/real_time"},
                                             {"ComPortSend/real_time", "Floor_SocatPtySend/real_time"}});
}
