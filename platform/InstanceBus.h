#pragma once
// Messages between the running instances of KEP. Each instance listens on a
// local socket in the runtime folder; a broadcast reaches every listener,
// this instance included, with the sender's process and identity so that a
// receiver can tell its own messages from the others'.
#include <QObject>
#include <QString>

class QLocalServer;

namespace kep {

// $XDG_RUNTIME_DIR/kep, else a per-user folder in the temporary folder;
// created private to the user.
QString KepRuntimeFolder();

class TInstanceBus : public QObject {
    Q_OBJECT
public:
    // The bus of this program, listening from its first use.
    static TInstanceBus& Instance();

    // A bus listening in `folder` (the runtime folder when empty).
    explicit TInstanceBus(const QString& folder = QString(), QObject* parent = nullptr);
    ~TInstanceBus() override;

    bool IsListening() const;
    const QString& Folder() const { return Folder_; }

    // Sends the message to every instance; returns how many other instances
    // took it. `sender` identifies the sending object inside this process.
    int Broadcast(const QString& message, quint64 sender);

signals:
    // `pid` is the sending process; `local` is true when it is this one.
    void Received(const QString& message, qint64 pid, quint64 sender, bool local);

private:
    void OnConnection();

    QString Folder_;
    QLocalServer* Server_ = nullptr;
};

} // namespace kep
