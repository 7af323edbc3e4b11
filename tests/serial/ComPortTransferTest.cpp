// What goes through the port: bytes each way and their events, the lines
// a pseudo-terminal lacks, and the device going away.
#include "serial/ComPortFixture.h"

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

// The receiver holds the line back (XOFF), then reads slower than the line:
// what is written waits, in order, and the port stays open.
TEST_F(ComPortTest, PausedOrFullLineWaitsAndKeepsOrder)
{
    TComPort port;
    port.SetEvents(RxOnly | EventBit(evTxEmpty));
    Watch(port);
    Collect(port);
    int empty = 0;
    port.OnTxEmpty = [&](TComPort&) { ++empty; };
    TFlowControl f;
    f.XonXoffOut = true;
    port.SetFlowControl(f);
    port.Open();
    Faults.clear();
    // The line discipline keeps XOFF for itself; the byte after it says it came.
    ASSERT_TRUE(Pair.BoardWrite("\x13M"));
    ASSERT_TRUE(WaitUntil([&] { return Got == "M"; }));
    const std::string bytes = RandomBytes(300000, 4); // far more than the line holds
    EXPECT_EQ(port.Write(bytes.data(), int(bytes.size())), int(bytes.size()));
    Settle();
    EXPECT_TRUE(port.Connected());
    EXPECT_TRUE(Faults.empty());
    EXPECT_EQ(Pair.BoardRead(1, 100), "");
    EXPECT_EQ(port.OutputCount(), int(bytes.size()));
    EXPECT_EQ(empty, 0);

    // XON. The board reads a little at a time; once more than half has gone,
    // more is written behind what still waits.
    ASSERT_TRUE(Pair.BoardWrite("\x11"));
    const std::string more = RandomBytes(50000, 5);
    std::string boardGot;
    auto readUpTo = [&](std::size_t total) {
        return WaitUntil(
            [&] {
                boardGot += Pair.BoardRead(std::min<std::size_t>(4096, total - boardGot.size()), 0);
                return boardGot.size() >= total || !port.Connected();
            },
            60000);
    };
    EXPECT_TRUE(readUpTo(bytes.size() * 6 / 10));
    EXPECT_GT(port.OutputCount(), 0);
    EXPECT_EQ(port.Write(more.data(), int(more.size())), int(more.size()));
    EXPECT_TRUE(readUpTo(bytes.size() + more.size()));
    EXPECT_TRUE(boardGot == bytes + more) << boardGot.size() << " bytes, first difference at "
                                          << FirstDifference(boardGot, bytes + more);
    EXPECT_TRUE(WaitUntil([&] { return empty > 0; }));
    EXPECT_EQ(empty, 1);
    EXPECT_TRUE(port.Connected());
    EXPECT_TRUE(Faults.empty());
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
