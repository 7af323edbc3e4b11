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
#include <fstream>
#include <functional>
#include <map>
#include <random>
#include <thread>

using namespace kep;

namespace {

bool WaitUntil(const std::function<bool()>& done, int ms = 10000)
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
void Settle(int ms = 300)
{
    QTest::qWait(ms);
}

std::string RandomBytes(std::size_t n, unsigned seed)
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

std::size_t FirstDifference(const std::string& a, const std::string& b)
{
    const std::size_t n = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < n; ++i)
        if (a[i] != b[i])
            return i;
    return n;
}

// The termios of our end, read through a descriptor of its own (root
// passes TIOCEXCL; anyone else skips the check).
bool DeviceTermios(const std::string& path, termios& t)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_NOCTTY | O_NONBLOCK);
    if (fd < 0)
        return false;
    const bool ok = ::tcgetattr(fd, &t) == 0;
    ::close(fd);
    return ok;
}

std::string ThrownBy(const std::function<void()>& f, int* code = nullptr)
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

} // namespace

// ---- Messages and helpers

TEST(ComPortBasics, MessagesCarryTheCode)
{
    const EComPort e("Unable to open com port. Err %d", 2);
    EXPECT_STREQ(e.what(), "Unable to open com port. Err 2");
    EXPECT_EQ(e.Code(), 2);
    EXPECT_STREQ(EComPort("Unable to set com state. Err %d", 22).what(), "Unable to set com state. Err 22");
    const EComPort plain("Cannot set SyncMethod while connected", 0);
    EXPECT_STREQ(plain.what(), "Cannot set SyncMethod while connected");
}

TEST(ComPortBasics, BaudTable)
{
    const int expected[] = {110,   300,   600,   1200,  2400,   4800,   9600,  14400,
                            19200, 38400, 56000, 57600, 115200, 128000, 256000};
    for (int i = 0; i <= int(br256000); ++i)
        EXPECT_EQ(BaudValue(TBaudRate(i)), expected[i]) << i;
}

TEST(ComPortBasics, DeliveryOrder)
{
    const std::vector<TEvent> all = {evRxChar, evTxEmpty, evBreak, evRing,  evCTS,
                                     evDSR,    evRxFlag,  evRLSD,  evError, evRx80Full};
    EXPECT_EQ(TComPort::DeliveryOrder(AllEvents), all);
    const std::vector<TEvent> some = {evRxChar, evBreak, evRxFlag, evRx80Full};
    EXPECT_EQ(TComPort::DeliveryOrder(EventBit(evRx80Full) | EventBit(evRxFlag) | EventBit(evBreak)
                                      | EventBit(evRxChar)),
              some);
    EXPECT_TRUE(TComPort::DeliveryOrder(0).empty());
}

TEST(ComPortBasics, DefaultsAndStoredSettings)
{
    TComPort port;
    EXPECT_FALSE(port.Connected());
    EXPECT_EQ(port.BaudRate(), br9600);
    EXPECT_EQ(port.Port(), 1);
    EXPECT_EQ(port.Events(), AllEvents);
    EXPECT_EQ(port.InputCount(), 0);
    EXPECT_EQ(port.OutputCount(), 0);
    TComTimeouts t;
    t.ReadInterval = 7;
    port.SetTimeouts(t);
    EXPECT_EQ(port.Timeouts().ReadInterval, 7);
    port.SetSyncMethod(smDirectEventsCall);
    EXPECT_EQ(port.SyncMethod(), smDirectEventsCall);
    port.SetBufSizes(4096, 2048);
    EXPECT_EQ(port.ReadBufSize(), 4096);
    EXPECT_EQ(port.WriteBufSize(), 2048);
    char c = 0;
    EXPECT_EQ(port.Write("x", 1), 0); // nothing is queued on a closed port
    EXPECT_EQ(port.Read(&c, 1), 0);
}

// ---- Opening and closing

TEST_F(ComPortTest, OpensAndCloses)
{
    TComPort port;
    Watch(port);
    EXPECT_EQ(port.DevicePath(), Pair.Ours());
    port.SetEvents(RxOnly);
    port.Open();
    EXPECT_TRUE(port.Connected());
    port.Close();
    EXPECT_FALSE(port.Connected());
    port.Close();
    EXPECT_EQ(Log, (std::vector<std::string>{"open", SignalRefused, "close"}));
}

TEST_F(ComPortTest, OpenWhileOpenClosesFirst)
{
    TComPort port;
    port.SetEvents(RxOnly);
    Watch(port);
    port.Open();
    port.Open();
    EXPECT_TRUE(port.Connected());
    EXPECT_EQ(Log, (std::vector<std::string>{"open", SignalRefused, "close", "open", SignalRefused}));
}

TEST_F(ComPortTest, MissingDeviceRefused)
{
    MapPorts({{1, Pair.Ours()}, {3, Dir + "/no-such-device"}});
    TComPort port;
    Watch(port);
    port.SetPort(3);
    int code = 0;
    EXPECT_EQ(ThrownBy([&] { port.Open(); }, &code), "Unable to open com port. Err 2");
    EXPECT_EQ(code, ENOENT);
    EXPECT_FALSE(port.Connected());
    EXPECT_TRUE(Log.empty());
}

TEST_F(ComPortTest, NoDeviceMappedRefused)
{
    TComPort port;
    port.SetPort(9); // no such name: no device
    EXPECT_TRUE(port.DevicePath().empty());
    EXPECT_EQ(ThrownBy([&] { port.Open(); }), "Unable to open com port. Err 2");
    EXPECT_FALSE(port.Connected());
}

TEST_F(ComPortTest, DeviceAlreadyOpenRefused)
{
    // COM2 names the same device by its real path.
    char* real = ::realpath(Pair.Ours().c_str(), nullptr);
    ASSERT_NE(real, nullptr);
    MapPorts({{1, Pair.Ours()}, {2, real}});
    std::free(real);

    TComPort first, second;
    first.SetEvents(RxOnly);
    second.SetEvents(RxOnly);
    first.Open();
    int code = 0;
    EXPECT_EQ(ThrownBy([&] { second.Open(); }, &code), "Unable to open com port. Err " + std::to_string(EBUSY));
    EXPECT_FALSE(second.Connected());
    second.SetPort(2);
    EXPECT_EQ(ThrownBy([&] { second.Open(); }), "Unable to open com port. Err " + std::to_string(EBUSY));
    EXPECT_FALSE(second.Connected());
    EXPECT_TRUE(first.Connected());

    // Once the first lets go, the device is free again.
    first.Close();
    second.Open();
    EXPECT_TRUE(second.Connected());
    second.SetPort(1);
    EXPECT_TRUE(second.Connected());
}

TEST_F(ComPortTest, DestructorLetsTheDeviceGo)
{
    bool closedHandler = false;
    {
        TComPort gone;
        gone.SetEvents(RxOnly);
        gone.OnClose = [&](TComPort&) { closedHandler = true; };
        gone.Open();
    }
    EXPECT_FALSE(closedHandler); // the owner is going away too
    TComPort port;
    port.SetEvents(RxOnly);
    port.Open();
    EXPECT_TRUE(port.Connected());
}

TEST_F(ComPortTest, FailedLineStateClosesTheDevice)
{
    TComPort port;
    Watch(port);
    port.SetStopBits(sbOne5StopBits);
    int code = 0;
    EXPECT_EQ(ThrownBy([&] { port.Open(); }, &code), "Unable to set com state. Err 22");
    EXPECT_EQ(code, EINVAL);
    EXPECT_FALSE(port.Connected());
    EXPECT_TRUE(Log.empty());
    // Not held: another port opens it.
    TComPort other;
    other.SetEvents(RxOnly);
    other.Open();
    EXPECT_TRUE(other.Connected());
}

TEST_F(ComPortTest, RefusedSettingWhileConnectedKeepsThePort)
{
    TComPort port;
    port.SetEvents(RxOnly);
    port.Open();
    EXPECT_EQ(ThrownBy([&] { port.SetStopBits(sbOne5StopBits); }), "Unable to set com state. Err 22");
    EXPECT_TRUE(port.Connected());
    port.SetStopBits(sbOneStopBit);
    EXPECT_EQ(port.WriteStr("ok"), 2);
    EXPECT_EQ(Pair.BoardRead(2, 5000), "ok");
}

TEST_F(ComPortTest, SyncMethodOnlyWhileClosed)
{
    TComPort port;
    port.SetEvents(RxOnly);
    port.Open();
    int code = -1;
    EXPECT_EQ(ThrownBy([&] { port.SetSyncMethod(smSendMessages); }, &code), "Cannot set SyncMethod while connected");
    EXPECT_EQ(code, 0);
    EXPECT_EQ(port.SyncMethod(), smUseThreadSync);
    port.Close();
    port.SetSyncMethod(smSendMessages);
    EXPECT_EQ(port.SyncMethod(), smSendMessages);
}

TEST_F(ComPortTest, SetPortWhileConnectedMoves)
{
    TPtyPair other;
    ASSERT_TRUE(other.Ok());
    MapPorts({{1, Pair.Ours()}, {2, other.Ours()}});
    TComPort port;
    port.SetEvents(RxOnly);
    Watch(port);
    port.Open();
    Log.clear();
    port.SetPort(2);
    EXPECT_EQ(port.Port(), 2);
    EXPECT_TRUE(port.Connected());
    EXPECT_EQ(port.DevicePath(), other.Ours());
    EXPECT_EQ(Log, (std::vector<std::string>{"close", "open", SignalRefused}));
    port.WriteStr("moved");
    EXPECT_EQ(other.BoardRead(5, 5000), "moved");
    EXPECT_EQ(Pair.BoardRead(1, 200), "");
    // The first device is free.
    TComPort first;
    first.SetEvents(RxOnly);
    first.Open();
    EXPECT_TRUE(first.Connected());
}

TEST_F(ComPortTest, SetPortWhileClosedOnlyStores)
{
    TComPort port;
    Watch(port);
    port.SetPort(5);
    EXPECT_EQ(port.Port(), 5);
    EXPECT_FALSE(port.Connected());
    EXPECT_TRUE(Log.empty());
}

// ---- The line state

TEST_F(ComPortTest, BaudRateAppliedAtOnceWhileConnected)
{
    TComPort port;
    port.SetEvents(RxOnly);
    port.SetBaudRate(br19200);
    port.Open();
    termios t{};
    if (!DeviceTermios(Pair.Ours(), t))
        GTEST_SKIP() << "our end cannot be opened twice here";
    EXPECT_EQ(cfgetospeed(&t), speed_t(B19200));
    port.SetBaudRate(br115200);
    EXPECT_EQ(port.BaudRate(), br115200);
    ASSERT_TRUE(DeviceTermios(Pair.Ours(), t));
    EXPECT_EQ(cfgetospeed(&t), speed_t(B115200));
    EXPECT_EQ(cfgetispeed(&t), speed_t(B115200));
    // Changing the speed keeps the unmarked fast path.
    EXPECT_FALSE(t.c_iflag & PARMRK);
    EXPECT_TRUE(t.c_iflag & IGNBRK);
}

TEST_F(ComPortTest, SettingsWhileClosedOnlyStored)
{
    TComPort port;
    port.SetEvents(RxOnly);
    port.SetBaudRate(br2400);
    port.Open();
    port.Close();
    termios before{};
    if (!DeviceTermios(Pair.Ours(), before))
        GTEST_SKIP() << "our end cannot be opened here";
    port.SetBaudRate(br57600);
    port.SetStopBits(sbTwoStopBits);
    EXPECT_EQ(port.BaudRate(), br57600);
    EXPECT_EQ(port.StopBits(), sbTwoStopBits);
    termios after{};
    ASSERT_TRUE(DeviceTermios(Pair.Ours(), after));
    EXPECT_EQ(cfgetospeed(&after), cfgetospeed(&before));
    EXPECT_EQ(after.c_cflag & CSTOPB, before.c_cflag & CSTOPB);
    port.Open();
    ASSERT_TRUE(DeviceTermios(Pair.Ours(), after));
    EXPECT_EQ(cfgetospeed(&after), speed_t(B57600));
    EXPECT_TRUE(after.c_cflag & CSTOPB);
}

TEST_F(ComPortTest, FramingAndFlowReachTheDevice)
{
    TComPort port;
    port.SetEvents(RxOnly);
    port.Open();
    termios t{};
    if (!DeviceTermios(Pair.Ours(), t))
        GTEST_SKIP() << "our end cannot be opened twice here";
    // Defaults: 8N1, no flow, no marks (breaks kept out of the data).
    EXPECT_EQ(t.c_cflag & CSIZE, tcflag_t(CS8));
    EXPECT_FALSE(t.c_cflag & (PARENB | PARODD | CMSPAR | CSTOPB | CRTSCTS));
    EXPECT_FALSE(t.c_iflag & PARMRK);
    EXPECT_TRUE(t.c_iflag & IGNBRK);
    EXPECT_FALSE(t.c_iflag & (BRKINT | INPCK | IXON | IXOFF | ISTRIP));

    // Checking without parity still marks framing errors.
    TParity p;
    p.Check = true;
    port.SetParity(p);
    port.SetStopBits(sbTwoStopBits);
    ASSERT_TRUE(DeviceTermios(Pair.Ours(), t));
    EXPECT_TRUE(t.c_cflag & CSTOPB);
    EXPECT_TRUE(t.c_iflag & INPCK);
    EXPECT_FALSE(t.c_iflag & IGNPAR);
    EXPECT_TRUE(t.c_iflag & PARMRK);
    EXPECT_FALSE(t.c_iflag & IGNBRK);
    EXPECT_EQ(t.c_cflag & CSIZE, tcflag_t(CS8));
    p.Check = false;
    port.SetParity(p);
    port.SetStopBits(sbOneStopBit);
    ASSERT_TRUE(DeviceTermios(Pair.Ours(), t));
    EXPECT_FALSE(t.c_cflag & CSTOPB);
    EXPECT_FALSE(t.c_iflag & INPCK);
    EXPECT_FALSE(t.c_iflag & PARMRK);
    EXPECT_TRUE(t.c_iflag & IGNBRK);

    TFlowControl f;
    f.XonXoffOut = true;
    port.SetFlowControl(f);
    ASSERT_TRUE(DeviceTermios(Pair.Ours(), t));
    EXPECT_TRUE(t.c_iflag & IXON);
    EXPECT_FALSE(t.c_iflag & IXOFF);
    EXPECT_EQ(t.c_cc[VSTART], 0x11);
    EXPECT_EQ(t.c_cc[VSTOP], 0x13);
    f.XonXoffOut = false;
    f.XonXoffIn = true;
    f.OutCtsFlow = true;
    port.SetFlowControl(f);
    ASSERT_TRUE(DeviceTermios(Pair.Ours(), t));
    EXPECT_FALSE(t.c_iflag & IXON);
    EXPECT_TRUE(t.c_iflag & IXOFF);
    EXPECT_TRUE(t.c_cflag & CRTSCTS);
    f.OutCtsFlow = false;
    f.ControlRts = rtsHandshake;
    port.SetFlowControl(f);
    ASSERT_TRUE(DeviceTermios(Pair.Ours(), t));
    EXPECT_TRUE(t.c_cflag & CRTSCTS);
    f.ControlRts = rtsDisable;
    port.SetFlowControl(f);
    ASSERT_TRUE(DeviceTermios(Pair.Ours(), t));
    EXPECT_FALSE(t.c_cflag & CRTSCTS);
    EXPECT_EQ(port.FlowControl(), f);
}

TEST_F(ComPortTest, EverySpeedOpens)
{
    TComPort port;
    port.SetEvents(RxOnly);
    for (int rate = br110; rate <= br256000; ++rate) {
        port.SetBaudRate(TBaudRate(rate));
        EXPECT_NO_THROW(port.Open()) << BaudValue(TBaudRate(rate));
        EXPECT_TRUE(port.Connected());
    }
    // And each applies while connected.
    for (int rate = br110; rate <= br256000; ++rate)
        EXPECT_NO_THROW(port.SetBaudRate(TBaudRate(rate))) << BaudValue(TBaudRate(rate));
}

// A pseudo-terminal only does 8 bits without parity: anything else is
// refused, whatever else changes in the same call.
TEST_F(ComPortTest, FramingTheDeviceCannotDoIsRefused)
{
    TComPort port;
    port.SetEvents(RxOnly);
    for (int bits = dbFive; bits <= dbSeven; ++bits) {
        port.SetDataBits(TDataBits(bits));
        EXPECT_EQ(ThrownBy([&] { port.Open(); }), "Unable to set com state. Err 22") << bits;
        EXPECT_FALSE(port.Connected());
    }
    port.SetDataBits(dbEight);
    for (int parity = prOdd; parity <= prSpace; ++parity) {
        port.SetParity(TParity{TParityBits(parity), false, false, 0});
        EXPECT_EQ(ThrownBy([&] { port.Open(); }), "Unable to set com state. Err 22") << parity;
        EXPECT_FALSE(port.Connected());
    }
    port.SetParity(TParity{});
    port.Open();
    // While connected the refusal leaves the port open.
    for (int twice = 0; twice < 2; ++twice) {
        EXPECT_EQ(ThrownBy([&] { port.SetParity(TParity{prEven, false, false, 0}); }),
                  "Unable to set com state. Err 22");
        EXPECT_EQ(ThrownBy([&] { port.SetDataBits(dbSeven); }), "Unable to set com state. Err 22");
        EXPECT_TRUE(port.Connected());
    }
}

// ---- Transfers

TEST_F(ComPortTest, NoEventsStillTransfers)
{
    TComPort port;
    port.SetEvents(0);
    bool rx = false;
    port.OnRxChar = [&](TComPort&, int) { rx = true; };
    port.Open();
    EXPECT_TRUE(Faults.empty());
    EXPECT_EQ(port.WriteStr("abc"), 3);
    EXPECT_EQ(Pair.BoardRead(3, 5000), "abc");
    ASSERT_TRUE(Pair.BoardWrite("xyz"));
    ASSERT_TRUE(WaitUntil([&] { return port.InputCount() == 3; }));
    char buf[8] = {};
    EXPECT_EQ(port.Read(buf, 8), 3);
    EXPECT_EQ(std::string(buf, 3), "xyz");
    EXPECT_FALSE(rx);
}

TEST_F(ComPortTest, OneMegabyteEachWayAtOnce)
{
    const std::string toBoard = RandomBytes(1 << 20, 1);
    const std::string toUs = RandomBytes(1 << 20, 2);
    TComPort port;
    port.SetEvents(RxOnly);
    Collect(port);
    port.Open();

    std::string boardGot;
    bool written = false;
    TBoard reader(Pair, [&] { boardGot = Pair.BoardRead(toBoard.size(), 10000); });
    TBoard writer(Pair, [&] { written = Pair.BoardWrite(toUs); });
    EXPECT_EQ(port.Write(toBoard.data(), int(toBoard.size())), int(toBoard.size()));
    const bool all = WaitUntil([&] { return Got.size() >= toUs.size(); }, 60000);
    const bool sent = port.WaitWritten(60000);
    writer.Join();
    reader.Join();
    EXPECT_TRUE(all);
    EXPECT_TRUE(sent);
    EXPECT_TRUE(written);
    EXPECT_EQ(Got.size(), toUs.size());
    EXPECT_TRUE(Got == toUs) << "first difference at " << FirstDifference(Got, toUs);
    EXPECT_EQ(boardGot.size(), toBoard.size());
    EXPECT_TRUE(boardGot == toBoard) << "first difference at " << FirstDifference(boardGot, toBoard);
    EXPECT_EQ(port.InputCount(), 0);
    EXPECT_EQ(port.OutputCount(), 0);
}

TEST_F(ComPortTest, MarkLookalikesAreData)
{
    // What looks like a break or an error mark, sent as data, is data.
    TComPort port;
    int breaks = 0, errors = 0;
    port.OnBreak = [&](TComPort&) { ++breaks; };
    port.OnError = [&](TComPort&) { ++errors; };
    Collect(port);
    port.Open();
    const std::string bytes = {char(0xFF), 0, 0, char(0xFF), 0, 'x', char(0xFF), char(0xFF), 'y', char(0xFF)};
    ASSERT_TRUE(Pair.BoardWrite(bytes));
    ASSERT_TRUE(WaitUntil([&] { return Got.size() >= bytes.size(); }));
    Settle(100);
    EXPECT_TRUE(Got == bytes);
    // The same through the marked path, with errors checked: the driver
    // doubles each real 0xFF and the decoder undoes it.
    TParity p;
    p.Check = true;
    port.SetParity(p);
    Got.clear();
    ASSERT_TRUE(Pair.BoardWrite(bytes));
    ASSERT_TRUE(WaitUntil([&] { return Got.size() >= bytes.size(); }));
    Settle(100);
    EXPECT_TRUE(Got == bytes);
    EXPECT_EQ(breaks, 0);
    EXPECT_EQ(errors, 0);
}

TEST_F(ComPortTest, DiscardNullDropsZeros)
{
    TComPort port;
    port.SetEvents(RxOnly);
    port.SetDiscardNull(true);
    Collect(port);
    port.Open();
    ASSERT_TRUE(Pair.BoardWrite(std::string("a\0b\0\0c", 6)));
    ASSERT_TRUE(WaitUntil([&] { return Got.size() >= 3; }));
    Settle(100);
    EXPECT_EQ(Got, "abc");
}

TEST_F(ComPortTest, EventCharGivesRxFlagAfterRxChar)
{
    TComPort port;
    std::vector<std::string> seen;
    port.SetEventChar('\r');
    port.OnRxChar = [&](TComPort& p, int count) {
        seen.push_back("rx");
        std::string buf(std::size_t(count), '\0');
        Got.append(buf.data(), std::size_t(p.Read(buf.data(), count)));
    };
    port.OnRxFlag = [&](TComPort&) { seen.push_back("flag"); };
    port.Open();
    ASSERT_TRUE(Pair.BoardWrite("no flag"));
    ASSERT_TRUE(WaitUntil([&] { return Got.size() >= 7; }));
    EXPECT_EQ(std::count(seen.begin(), seen.end(), "flag"), 0);
    seen.clear();
    ASSERT_TRUE(Pair.BoardWrite("line\r"));
    ASSERT_TRUE(WaitUntil([&] { return !seen.empty() && seen.back() == "flag"; }));
    ASSERT_GE(seen.size(), 2u);
    EXPECT_EQ(seen[seen.size() - 2], "rx");
    EXPECT_EQ(std::count(seen.begin(), seen.end(), "flag"), 1);
}

TEST_F(ComPortTest, OnlyWatchedEventsDelivered)
{
    TComPort port;
    port.SetEvents(EventBit(evRxFlag));
    port.SetEventChar('!');
    int rx = 0, flags = 0;
    port.OnRxChar = [&](TComPort&, int) { ++rx; };
    port.OnRxFlag = [&](TComPort&) { ++flags; };
    port.Open();
    ASSERT_TRUE(Pair.BoardWrite("hey!"));
    ASSERT_TRUE(WaitUntil([&] { return flags == 1; }));
    EXPECT_EQ(rx, 0);
    EXPECT_EQ(port.InputCount(), 4);
}

TEST_F(ComPortTest, RxCountIsWhatIsWaitingAndReadsTakeFromTheFront)
{
    TComPort port;
    port.SetEvents(RxOnly);
    std::vector<int> counts;
    port.OnRxChar = [&](TComPort& p, int count) {
        counts.push_back(count);
        EXPECT_EQ(count, p.InputCount());
    };
    port.Open();
    ASSERT_TRUE(Pair.BoardWrite("0123456789"));
    ASSERT_TRUE(WaitUntil([&] { return port.InputCount() == 10; }));
    ASSERT_FALSE(counts.empty());
    EXPECT_EQ(counts.back(), 10);
    char buf[16] = {};
    EXPECT_EQ(port.Read(buf, 3), 3);
    EXPECT_EQ(std::string(buf, 3), "012");
    EXPECT_EQ(port.InputCount(), 7);
    ASSERT_TRUE(Pair.BoardWrite("ab"));
    ASSERT_TRUE(WaitUntil([&] { return port.InputCount() == 9; }));
    EXPECT_EQ(counts.back(), 9);
    EXPECT_EQ(port.Read(buf, 16), 9);
    EXPECT_EQ(std::string(buf, 9), "3456789ab");
    EXPECT_EQ(port.InputCount(), 0);
    EXPECT_EQ(port.Read(buf, 16), 0);
}

TEST_F(ComPortTest, ReadsAcrossManyWakeUpsKeepOrder)
{
    // Reading a little at a time while more keeps coming.
    TComPort port;
    port.SetEvents(RxOnly);
    port.OnRxChar = [&](TComPort& p, int) {
        char buf[7];
        Got.append(buf, std::size_t(p.Read(buf, 7)));
    };
    port.Open();
    const std::string bytes = RandomBytes(200000, 3);
    TBoard writer(Pair, [&] {
        for (std::size_t at = 0; at < bytes.size(); at += 1000)
            Pair.BoardWrite(bytes.substr(at, 1000));
    });
    int turn = 0;
    const bool all = WaitUntil(
        [&] {
            // Now and then a bigger read between the handler's small ones.
            char buf[4096];
            if (++turn % 3 == 0)
                Got.append(buf, std::size_t(port.Read(buf, int(sizeof buf))));
            return Got.size() >= bytes.size();
        },
        60000);
    writer.Join();
    EXPECT_TRUE(all);
    EXPECT_TRUE(Got == bytes) << "first difference at " << FirstDifference(Got, bytes);
}

TEST_F(ComPortTest, TxEmptyWhenAllSent)
{
    TComPort port;
    int empty = 0;
    port.OnTxEmpty = [&](TComPort& p) {
        ++empty;
        EXPECT_EQ(p.OutputCount(), 0);
    };
    port.Open();
    const std::string bytes(20000, 'k');
    std::string boardGot;
    TBoard reader(Pair, [&] { boardGot = Pair.BoardRead(bytes.size(), 10000); });
    EXPECT_EQ(port.WriteStr(bytes), int(bytes.size()));
    EXPECT_TRUE(port.WaitWritten(10000));
    EXPECT_EQ(port.OutputCount(), 0);
    EXPECT_TRUE(WaitUntil([&] { return empty > 0; }));
    reader.Join();
    EXPECT_EQ(boardGot, bytes);
}

TEST_F(ComPortTest, Rx80FullAtFourFifths)
{
    TComPort port;
    port.SetBufSizes(100, 100);
    int full = 0;
    port.OnRx80Full = [&](TComPort&) { ++full; };
    port.Open();
    ASSERT_TRUE(Pair.BoardWrite(std::string(79, 'a')));
    ASSERT_TRUE(WaitUntil([&] { return port.InputCount() == 79; }));
    Settle(100);
    EXPECT_EQ(full, 0);
    ASSERT_TRUE(Pair.BoardWrite("b"));
    ASSERT_TRUE(WaitUntil([&] { return full == 1; }));
    EXPECT_EQ(port.InputCount(), 80);
}

TEST_F(ComPortTest, LaterHandlersSeeWhatEarlierOnesLeft)
{
    TComPort port;
    port.SetBufSizes(10, 10);
    std::vector<int> seen;
    port.OnRxChar = [&](TComPort& p, int count) {
        std::string buf(std::size_t(count), '\0');
        p.Read(buf.data(), count);
    };
    port.OnRx80Full = [&](TComPort& p) { seen.push_back(p.InputCount()); };
    port.Open();
    ASSERT_TRUE(Pair.BoardWrite(std::string(50, 'z')));
    ASSERT_TRUE(WaitUntil([&] { return !seen.empty(); }));
    for (int n : seen)
        EXPECT_EQ(n, 0);
}

TEST_F(ComPortTest, ClosePurgesWhatWasReceived)
{
    TComPort port;
    port.SetEvents(RxOnly);
    port.Open();
    ASSERT_TRUE(Pair.BoardWrite("left over"));
    ASSERT_TRUE(WaitUntil([&] { return port.InputCount() == 9; }));
    port.Close();
    EXPECT_EQ(port.InputCount(), 0);
    port.Open();
    EXPECT_EQ(port.InputCount(), 0);
}

// ---- Lines a pseudo-terminal does not have

TEST_F(ComPortTest, RefusedSignalsReportedOncePortStaysOpen)
{
    TComPort port;
    port.SetEvents(RxOnly);
    Watch(port);
    TFlowControl f;
    f.ControlDtr = dtrEnable;
    f.ControlRts = rtsEnable;
    port.SetFlowControl(f);
    port.Open();
    EXPECT_TRUE(port.Connected());
    Settle(200);
    EXPECT_EQ(Faults, std::vector<std::string>{SignalRefused});
    port.WriteStr("still here");
    EXPECT_EQ(Pair.BoardRead(10, 5000), "still here");
}

TEST_F(ComPortTest, HandshakeLinesLeftToTheDriver)
{
    // Nothing is set by hand, so a pseudo-terminal has nothing to refuse.
    TComPort port;
    port.SetEvents(RxOnly);
    Watch(port);
    TFlowControl f;
    f.ControlDtr = dtrHandshake;
    f.ControlRts = rtsToggle;
    f.OutDsrFlow = true;
    port.SetFlowControl(f);
    port.Open();
    EXPECT_TRUE(port.Connected());
    EXPECT_TRUE(Faults.empty());
    EXPECT_EQ(port.FlowControl(), f);
}

TEST_F(ComPortTest, SignalsThrowWhenRefused)
{
    TComPort port;
    port.SetEvents(RxOnly);
    port.Open();
    int code = 0;
    EXPECT_EQ(ThrownBy([&] { port.SetDTR(true); }, &code), SignalRefused);
    EXPECT_EQ(code, ENOTTY);
    EXPECT_EQ(ThrownBy([&] { port.SetRTS(false); }), SignalRefused);
    EXPECT_EQ(ThrownBy([&] { port.CTS(); }, &code), StatusRefused);
    EXPECT_EQ(code, ENOTTY);
    EXPECT_EQ(ThrownBy([&] { port.DSR(); }), StatusRefused);
    EXPECT_EQ(ThrownBy([&] { port.RLSD(); }), StatusRefused);
    EXPECT_EQ(ThrownBy([&] { port.Ring(); }), StatusRefused);
    EXPECT_TRUE(port.Connected());
}

TEST_F(ComPortTest, LinesOfAClosedPortThrow)
{
    TComPort port;
    EXPECT_EQ(ThrownBy([&] { port.CTS(); }), "Unable to read com status. Err " + std::to_string(EBADF));
    EXPECT_EQ(ThrownBy([&] { port.SetDTR(true); }), "Unable to set signal. Err " + std::to_string(EBADF));
}

TEST_F(ComPortTest, UnreadableLinesReportedOnceThenNotPolled)
{
    TComPort port;
    port.SetEvents(AllEvents);
    Watch(port);
    port.Open();
    Settle(400);
    EXPECT_EQ(std::count(Faults.begin(), Faults.end(), StatusRefused), 1);
    // Watching them again on the same connection does not ask again.
    port.SetEvents(RxOnly);
    port.SetEvents(EventBit(evCTS));
    Settle(200);
    EXPECT_EQ(std::count(Faults.begin(), Faults.end(), StatusRefused), 1);
    // A new connection tries again.
    port.Open();
    EXPECT_EQ(std::count(Faults.begin(), Faults.end(), StatusRefused), 2);
}

TEST_F(ComPortTest, LinesNotQueriedUnlessWatched)
{
    TComPort port;
    port.SetEvents(RxOnly | EventBit(evBreak));
    Watch(port);
    port.Open();
    Settle(200);
    EXPECT_EQ(std::count(Faults.begin(), Faults.end(), StatusRefused), 0);
    port.SetEvents(EventBit(evRing));
    EXPECT_EQ(std::count(Faults.begin(), Faults.end(), StatusRefused), 1);
}

// ---- The device vanishing

TEST_F(ComPortTest, PeerGoneClosesThenOneFault)
{
    TComPort port;
    port.SetEvents(RxOnly);
    Watch(port);
    Collect(port);
    port.Open();
    Log.clear();
    Pair.Kill();
    ASSERT_TRUE(WaitUntil([&] { return !port.Connected(); }));
    Settle(300);
    EXPECT_EQ(Log, (std::vector<std::string>{"close", "Operation failed. Err 5"}));
    EXPECT_FALSE(port.Connected());

    ASSERT_TRUE(Pair.Restart());
    Log.clear();
    port.Open();
    EXPECT_TRUE(port.Connected());
    port.WriteStr("again");
    EXPECT_EQ(Pair.BoardRead(5, 5000), "again");
    ASSERT_TRUE(Pair.BoardWrite("back"));
    ASSERT_TRUE(WaitUntil([&] { return Got == "back"; }));
}

TEST_F(ComPortTest, PeerGoneWhileWritingIsOneFault)
{
    TComPort port;
    port.SetEvents(RxOnly | EventBit(evTxEmpty));
    Watch(port);
    port.Open();
    Faults.clear();
    const std::string bytes(1 << 20, 'w'); // more than the line holds
    port.WriteStr(bytes);
    QTest::qWait(20);
    Pair.Kill();
    ASSERT_TRUE(WaitUntil([&] { return !port.Connected(); }));
    Settle(300);
    ASSERT_EQ(Faults.size(), 1u);
    EXPECT_EQ(Faults[0].rfind("Operation failed. Err ", 0), 0u) << Faults[0];
    EXPECT_EQ(port.OutputCount(), 0);
}

TEST_F(ComPortTest, TxEmptyComesAfterWriteReturns)
{
    // A handler that writes again from TxEmpty must not nest inside Write.
    TComPort port;
    port.SetEvents(EventBit(evTxEmpty));
    int depth = 0, deepest = 0, rounds = 0;
    port.OnTxEmpty = [&](TComPort& p) {
        ++depth;
        deepest = std::max(deepest, depth);
        if (++rounds < 50)
            p.WriteStr("chunk");
        --depth;
    };
    port.Open();
    bool inWrite = true;
    int duringWrite = 0;
    auto counted = port.OnTxEmpty;
    port.OnTxEmpty = [&](TComPort& p) {
        if (inWrite)
            ++duringWrite;
        counted(p);
    };
    port.WriteStr("start");
    inWrite = false;
    TBoard reader(Pair, [&] { Pair.BoardRead(5 * 50, 10000); });
    ASSERT_TRUE(WaitUntil([&] { return rounds >= 50; }));
    reader.Join();
    EXPECT_EQ(duringWrite, 0);
    EXPECT_EQ(deepest, 1);
}
