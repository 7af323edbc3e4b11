#include "platform/InstanceBus.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QLocalServer>
#include <QLocalSocket>
#include <QPointer>

#include <csignal>
#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

namespace kep {

namespace {

constexpr int TimeoutMs = 300;
// A message line is short; anything longer is not ours.
constexpr qint64 MaxLine = 1024;
const QString BusPrefix = QStringLiteral("bus-");

bool ProcessAlive(qint64 pid)
{
    return pid > 0 && (::kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM);
}

} // namespace

QString KepRuntimeFolder()
{
    QString base = qEnvironmentVariable("XDG_RUNTIME_DIR");
    QString folder = base.isEmpty() || !QDir(base).exists()
        ? QDir::tempPath() + QStringLiteral("/kep-") + QString::number(::getuid())
        : base + QStringLiteral("/kep");
    QDir().mkpath(folder);
    ::chmod(QFile::encodeName(folder).constData(), 0700);
    return folder;
}

TInstanceBus& TInstanceBus::Instance()
{
    static TInstanceBus* bus = new TInstanceBus(QString(), QCoreApplication::instance());
    return *bus;
}

TInstanceBus::TInstanceBus(const QString& folder, QObject* parent)
    : QObject(parent), Folder_(folder.isEmpty() ? KepRuntimeFolder() : folder)
{
    QDir().mkpath(Folder_);
    const QString name = Folder_ + QLatin1Char('/') + BusPrefix + QString::number(QCoreApplication::applicationPid());
    Server_ = new QLocalServer(this);
    Server_->setSocketOptions(QLocalServer::UserAccessOption);
    QLocalServer::removeServer(name); // left by an earlier process with our pid
    if (Server_->listen(name))
        connect(Server_, &QLocalServer::newConnection, this, &TInstanceBus::OnConnection);
}

TInstanceBus::~TInstanceBus()
{
    if (Server_)
        Server_->close();
}

bool TInstanceBus::IsListening() const
{
    return Server_ && Server_->isListening();
}

void TInstanceBus::OnConnection()
{
    while (QLocalSocket* socket = Server_->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
            while (socket->canReadLine()) {
                const QByteArray line = socket->readLine(MaxLine).trimmed();
                const QList<QByteArray> parts = line.split(' ');
                bool okPid = false, okSender = false;
                if (parts.size() != 3)
                    continue;
                const qint64 pid = parts[1].toLongLong(&okPid);
                const quint64 sender = parts[2].toULongLong(&okSender);
                if (okPid && okSender)
                    emit Received(QString::fromUtf8(parts[0]), pid, sender, false);
            }
            if (socket->bytesAvailable() > MaxLine)
                socket->abort();
        });
    }
}

int TInstanceBus::Broadcast(const QString& message, quint64 sender)
{
    const qint64 self = QCoreApplication::applicationPid();
    const QByteArray line = message.toUtf8() + ' ' + QByteArray::number(self) + ' ' + QByteArray::number(sender) + '\n';

    int reached = 0;
    const QDir dir(Folder_);
    for (const QString& entry : dir.entryList({BusPrefix + QLatin1Char('*')}, QDir::System | QDir::Files)) {
        bool ok = false;
        const qint64 pid = entry.mid(BusPrefix.size()).toLongLong(&ok);
        if (!ok || pid == self)
            continue;
        const QString path = dir.filePath(entry);
        QLocalSocket socket;
        socket.connectToServer(path);
        if (!socket.waitForConnected(TimeoutMs)) {
            if (!ProcessAlive(pid))
                QFile::remove(path);
            continue;
        }
        socket.write(line);
        if (socket.waitForBytesWritten(TimeoutMs))
            ++reached;
        socket.disconnectFromServer();
        if (socket.state() != QLocalSocket::UnconnectedState)
            socket.waitForDisconnected(TimeoutMs);
    }

    // This instance hears it too, from the event loop as the others do.
    QPointer<TInstanceBus> guard(this);
    QMetaObject::invokeMethod(
        this,
        [guard, message, self, sender] {
            if (guard)
                emit guard->Received(message, self, sender, true);
        },
        Qt::QueuedConnection);
    return reached;
}

} // namespace kep
