// The port itself: its messages and settings, opening and closing, and
// the line state the device is given.
#include "serial/ComPortFixture.h"
#include "serial/DeviceHolder.h"

#include <sys/file.h>
#include <sys/time.h>

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

// Held by another program, whichever way it holds it: refused. Once open,
// the port holds the device the same way, until it closes.
TEST_F(ComPortTest, DeviceHeldElsewhereRefusedAndOursHeldUntilClosed)
{
    TComPort port;
    port.SetEvents(RxOnly);
    Watch(port);
    const std::string busy = "Unable to open com port. Err " + std::to_string(EBUSY);
    auto lockable = [&] {
        const int fd = ::open(Pair.Ours().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
        const bool ok = fd >= 0 && ::flock(fd, LOCK_EX | LOCK_NB) == 0;
        ::close(fd);
        return ok;
    };
    {
        TDeviceHolder picocom(Pair.Ours());
        ASSERT_TRUE(picocom.Ok());
        int code = 0;
        EXPECT_EQ(ThrownBy([&] { port.Open(); }, &code), busy);
        EXPECT_EQ(code, EBUSY);
        EXPECT_FALSE(port.Connected());
        EXPECT_FALSE(TComPort::CanOpen(Pair.Ours()));
    }
    EXPECT_TRUE(TComPort::CanOpen(Pair.Ours()));
    port.Open();
    EXPECT_FALSE(lockable());
    port.Close();
    EXPECT_TRUE(lockable());

    // A UUCP lock file naming a live process (minicom's kind), older than
    // the half minute after which QSerialPort takes one for stale.
    char* real = ::realpath(Pair.Ours().c_str(), nullptr);
    ASSERT_NE(real, nullptr);
    std::string name = std::string(real).substr(5); // below /dev/
    std::free(real);
    std::replace(name.begin(), name.end(), '/', '_');
    const std::string lockFile = "/run/lock/LCK.." + name;
    TDeviceHolder minicom;
    ASSERT_TRUE(minicom.Ok());
    struct TRemoved {
        std::string Path;
        ~TRemoved()
        {
            std::error_code ec;
            std::filesystem::remove(Path, ec);
        }
    } removed{lockFile};
    char pid[16];
    std::snprintf(pid, sizeof pid, "%10d\n", int(minicom.Pid()));
    if (!(std::ofstream(lockFile) << pid))
        GTEST_SKIP() << "no lock folder to write in";
    const timeval hourAgo[2] = {{::time(nullptr) - 3600, 0}, {::time(nullptr) - 3600, 0}};
    ::utimes(lockFile.c_str(), hourAgo);
    EXPECT_EQ(ThrownBy([&] { port.Open(); }), busy);
    EXPECT_TRUE(std::filesystem::exists(lockFile));
    minicom.Stop(); // its lock holds nothing now
    port.Open();
    EXPECT_TRUE(port.Connected());
    EXPECT_EQ(Log, (std::vector<std::string>{"open", SignalRefused, "close", "open", SignalRefused}));
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
