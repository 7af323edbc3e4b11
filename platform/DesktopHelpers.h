#pragma once
// The desktop's helpers (update-desktop-database, gio...) run in the
// background, one at a time: one stuck on a missing session bus must
// neither hold the window nor live on, so each gets a few seconds and is
// then stopped, which is told.
#include "platform/DesktopIntegration.h"

#include <QObject>
#include <QString>

#include <deque>

class QProcess;
class QTimer;

namespace kep {

class TAssistantsBureau : public QObject {
    Q_OBJECT
public:
    // The program's own, which outlives the dialogs that hand it work.
    static TAssistantsBureau& Instance();
    explicit TAssistantsBureau(QObject* parent = nullptr);
    ~TAssistantsBureau() override;

    // Queued after those still waiting.
    void Lance(TAssistants assistants);
    bool Occupe() const;

    // How long one may run before it is stopped, in milliseconds.
    int Delai = 5000;

signals:
    // The helper of that file name did not end in time and was stopped.
    void SansReponse(const QString& nom);

private:
    void Suivant();
    void Fin();
    void Arrete();

    std::deque<TAssistantBureau> File_;
    QProcess* Courant_ = nullptr;
    QTimer* Minuteur_ = nullptr;
};

} // namespace kep
