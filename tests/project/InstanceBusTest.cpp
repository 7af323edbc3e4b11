// Two processes exchanging the change message and the project claim.
#include "support/TestDir.h"
#include "platform/InstanceBus.h"
#include "platform/ProjectInstance.h"

#include <QCoreApplication>
#include <QLocalSocket>
#include <QProcess>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

using namespace kep;

namespace {

const QString Helper = QStringLiteral(KEP_BINARY_DIR "/tests/project/kep_bus_helper");

QString Q(const std::string& s)
{
    return QString::fromStdString(s);
}

QByteArray RunHelper(const QStringList& args)
{
    QProcess p;
    p.start(Helper, args);
    EXPECT_TRUE(p.waitForFinished(10000));
    return p.readAllStandardOutput().trimmed();
}

} // namespace

TEST(InstanceBus, TwoProcessesExchangeTheChangeMessage)
{
    TTestDir dir;
    const QString folder = Q(dir.Dir());
    TInstanceBus bus(folder);
    ASSERT_TRUE(bus.IsListening());

    // This process to another one.
    QProcess listener;
    listener.start(Helper, {QStringLiteral("listen"), folder});
    ASSERT_TRUE(listener.waitForReadyRead(10000));
    ASSERT_EQ(listener.readLine().trimmed(), QByteArray("READY"));
    QSignalSpy own(&bus, &TInstanceBus::Received);
    EXPECT_EQ(bus.Broadcast(QStringLiteral("KEPProjListChange"), 4242), 1);
    ASSERT_TRUE(listener.waitForFinished(10000));
    EXPECT_EQ(listener.readAllStandardOutput().trimmed(),
              "GOT KEPProjListChange " + QByteArray::number(QCoreApplication::applicationPid()) + " 4242 0");
    // The sender hears its own message, marked as its own.
    ASSERT_TRUE(own.wait(5000));
    EXPECT_EQ(own.at(0).at(2).toULongLong(), 4242u);
    EXPECT_TRUE(own.at(0).at(3).toBool());

    // Another process to this one.
    QSignalSpy spy(&bus, &TInstanceBus::Received);
    QProcess sender;
    sender.start(Helper, {QStringLiteral("send"), folder, QStringLiteral("77")});
    ASSERT_TRUE(sender.waitForStarted(10000));
    const qint64 senderPid = sender.processId();
    ASSERT_TRUE(sender.waitForFinished(10000));
    EXPECT_EQ(sender.readAllStandardOutput().trimmed(), QByteArray("SENT 1"));
    ASSERT_TRUE(spy.count() > 0 || spy.wait(5000));
    EXPECT_EQ(spy.at(0).at(0).toString(), QStringLiteral("KEPProjListChange"));
    EXPECT_EQ(spy.at(0).at(1).toLongLong(), senderPid);
    EXPECT_EQ(spy.at(0).at(2).toULongLong(), 77u);
    EXPECT_FALSE(spy.at(0).at(3).toBool());
}

TEST(InstanceBus, DeadListenersAndGarbageAreHarmless)
{
    TTestDir dir;
    const QString folder = Q(dir.Dir());
    // A socket file of a process that no longer runs, and a plain file.
    dir.Write("bus-999999999", "");
    dir.Write("bus-pasunnombre", "");
    TInstanceBus bus(folder);
    QSignalSpy own(&bus, &TInstanceBus::Received);
    EXPECT_EQ(bus.Broadcast(QStringLiteral("KEPProjListChange"), 1), 0);
    EXPECT_FALSE(FileExists(dir.Path("bus-999999999")));
    ASSERT_TRUE(own.count() > 0 || own.wait(5000)); // our own, heard from the event loop

    QSignalSpy spy(&bus, &TInstanceBus::Received);
    const QString path = folder + QStringLiteral("/bus-") + QString::number(QCoreApplication::applicationPid());
    QLocalSocket flood, lines;
    flood.connectToServer(path);
    lines.connectToServer(path);
    ASSERT_TRUE(flood.waitForConnected(2000));
    ASSERT_TRUE(lines.waitForConnected(2000));
    flood.write(QByteArray(100000, '\xff'));
    flood.flush();
    lines.write("KEPProjListChange pas un nombre\n\n x y z\nKEPProjListChange 1\n\xff\xfe 1 2 3\n");
    lines.write("KEPProjListChange 12 34\n");
    lines.flush();
    // The well-formed line comes last: once it is heard, every line before it
    // has been read. A loaded machine may take its time.
    EXPECT_TRUE(QTest::qWaitFor([&] { return spy.count() > 0 && flood.state() == QLocalSocket::UnconnectedState; },
                                10000));
    // Only the one well-formed line is taken; the flooding client is cut off.
    ASSERT_EQ(spy.count(), 1);
    EXPECT_EQ(spy.at(0).at(1).toLongLong(), 12);
    EXPECT_EQ(spy.at(0).at(2).toULongLong(), 34u);
    EXPECT_EQ(flood.state(), QLocalSocket::UnconnectedState);
}

TEST(ProjectInstance, SecondInstanceRaisesTheFirstInsteadOfOpening)
{
    TTestDir dir;
    const QString folder = Q(dir.Dir());
    const QString project = Q(dir.Write("Projets/Demo.pja", "[Global]\r\nMakeFile=a\r\n"));
    TProjectInstance first(folder);
    EXPECT_EQ(RunHelper({QStringLiteral("raise"), folder, project}), QByteArray("FREE"));
    ASSERT_TRUE(first.Claim(project));

    QSignalSpy raised(&first, &TProjectInstance::RaiseRequested);
    QProcess second;
    second.start(Helper, {QStringLiteral("raise"), folder, Q(dir.Path("projets/DEMO.PJA"))});
    ASSERT_TRUE(raised.wait(10000));
    ASSERT_TRUE(second.waitForFinished(10000));
    EXPECT_EQ(second.readAllStandardOutput().trimmed(), QByteArray("RAISED"));
    EXPECT_EQ(RunHelper({QStringLiteral("claim"), folder, project}), QByteArray("BUSY"));

    first.Release();
    EXPECT_EQ(RunHelper({QStringLiteral("claim"), folder, project}), QByteArray("CLAIMED"));
    // The helper has gone: its socket is stale and a new claim succeeds.
    EXPECT_TRUE(first.Claim(project));
}
