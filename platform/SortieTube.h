#pragma once
// The pipe a child writes its console output to, read by us rather than by
// QProcess: QProcess wakes up and reads for every few kilobytes the child
// writes, and for a flooding tool those wake-ups cost more than the lines.
// Here, once a read finds a flood, reading pauses a moment and the pipe
// (1 MB) gathers the next large chunk; slow output is read at once.
#include <QObject>
#include <QTimer>

#include <functional>
#include <memory>
#include <string>
#include <string_view>

class QProcess;
class QSocketNotifier;

namespace kep {

class TSortieTube : public QObject {
    Q_OBJECT
public:
    using TLecture = std::function<void(std::string_view bytes)>;

    TSortieTube();
    ~TSortieTube() override;

    // Before process.start(): makes the pipe the child's standard output
    // (and error, with merged channels). False when no pipe could be made:
    // the process then keeps its own channel.
    bool Branche(QProcess& process);
    // After the start: closes our copy of the writing end and starts
    // handing what arrives to `lecture`.
    void Demarre(TLecture lecture);
    // Everything already in the pipe, without waiting for more (a program
    // the tool started may hold the pipe open long after it ended).
    void Vide();
    void Ferme();
    bool Ouvert() const { return Lit_ >= 0; }

private:
    void Lit();

    int Lit_ = -1;
    int Ecrit_ = -1;
    std::unique_ptr<QSocketNotifier> Notifier_;
    QTimer Pause_;
    TLecture Lecture_;
    std::string Tampon_;
};

} // namespace kep
