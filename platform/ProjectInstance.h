#pragma once
// One instance per project: the instance that opened a project listens on a
// local socket named from the project's path; a second instance started on
// the same project asks the first to come to the front and exits.
#include <QObject>
#include <QString>

class QLocalServer;

namespace kep {

class TProjectInstance : public QObject {
    Q_OBJECT
public:
    // `folder`: where the sockets live (the runtime folder when empty).
    explicit TProjectInstance(const QString& folder = QString(), QObject* parent = nullptr);
    ~TProjectInstance() override;

    // The socket of a project: paths are compared ignoring ASCII case, as
    // the project's identity is its upper-case full path.
    QString ServerPath(const QString& projectPath) const;

    // True when another instance holds the project; it has been asked to
    // raise its window.
    bool RaiseOther(const QString& projectPath, int timeoutMs = 1000) const;
    // Holds the project for this instance (releasing any other one); false
    // when a live instance already holds it.
    bool Claim(const QString& projectPath);
    // Why the last Claim failed when no instance holds the project (the
    // socket could not be created); empty after a success or when the
    // project is held.
    const QString& ClaimError() const { return ClaimError_; }
    void Release();
    const QString& Claimed() const { return Claimed_; }

signals:
    // Another instance was started on our project.
    void RaiseRequested();

private:
    QString Folder_;
    QString Claimed_;
    QString ClaimError_;
    QLocalServer* Server_ = nullptr;
};

} // namespace kep
