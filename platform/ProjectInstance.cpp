#include "platform/ProjectInstance.h"

#include "platform/InstanceBus.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace kep {

namespace {

const QByteArray RaiseLine = "RAISE\n";
const QByteArray AckLine = "OK\n";

// Serialises the look-up and the claim between instances starting together.
class TFolderLock {
public:
    explicit TFolderLock(const QString& folder)
    {
        Fd_ = ::open(QFile::encodeName(folder + QStringLiteral("/projects.lock")).constData(),
                     O_RDWR | O_CREAT | O_CLOEXEC, 0600);
        if (Fd_ >= 0)
            ::flock(Fd_, LOCK_EX);
    }
    ~TFolderLock()
    {
        if (Fd_ >= 0)
            ::close(Fd_);
    }
    TFolderLock(const TFolderLock&) = delete;
    TFolderLock& operator=(const TFolderLock&) = delete;

private:
    int Fd_ = -1;
};

} // namespace

TProjectInstance::TProjectInstance(const QString& folder, QObject* parent)
    : QObject(parent), Folder_(folder.isEmpty() ? KepRuntimeFolder() : folder)
{
    QDir().mkpath(Folder_);
}

TProjectInstance::~TProjectInstance()
{
    Release();
}

QString TProjectInstance::ServerPath(const QString& projectPath) const
{
    QByteArray key = QFile::encodeName(QFileInfo(projectPath).absoluteFilePath());
    for (char& c : key)
        if (c >= 'a' && c <= 'z')
            c = char(c - 'a' + 'A');
    const QByteArray hash = QCryptographicHash::hash(key, QCryptographicHash::Sha1).toHex().left(20);
    return Folder_ + QStringLiteral("/proj-") + QString::fromLatin1(hash);
}

bool TProjectInstance::RaiseOther(const QString& projectPath, int timeoutMs) const
{
    const QString path = ServerPath(projectPath);
    if (path == Claimed_ && Server_)
        return false;
    QLocalSocket socket;
    socket.connectToServer(path);
    if (!socket.waitForConnected(timeoutMs))
        return false;
    socket.write(RaiseLine);
    socket.waitForBytesWritten(timeoutMs);
    // The holder answers once it took the request; a holder that does not
    // answer is hung, but it still holds the project.
    socket.waitForReadyRead(timeoutMs);
    socket.disconnectFromServer();
    return true;
}

bool TProjectInstance::Claim(const QString& projectPath)
{
    const QString path = ServerPath(projectPath);
    ClaimError_.clear();
    if (Server_ && Claimed_ == path)
        return true;
    TFolderLock lock(Folder_);
    {
        QLocalSocket probe;
        probe.connectToServer(path);
        if (probe.waitForConnected(300)) {
            probe.abort();
            return false;
        }
    }
    Release();
    QLocalServer::removeServer(path); // left by an instance that died
    Server_ = new QLocalServer(this);
    Server_->setSocketOptions(QLocalServer::UserAccessOption);
    if (!Server_->listen(path)) {
        ClaimError_ = Server_->errorString();
        if (ClaimError_.isEmpty())
            ClaimError_ = path;
        delete Server_;
        Server_ = nullptr;
        return false;
    }
    Claimed_ = path;
    connect(Server_, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* socket = Server_->nextPendingConnection()) {
            connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
            connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
                const QByteArray data = socket->read(64);
                if (data.contains("RAISE")) {
                    socket->write(AckLine);
                    emit RaiseRequested();
                } else {
                    socket->abort();
                }
            });
        }
    });
    return true;
}

void TProjectInstance::Release()
{
    if (Server_) {
        Server_->close();
        delete Server_;
        Server_ = nullptr;
    }
    Claimed_.clear();
}

} // namespace kep
