// A second KEP instance for the tests: listens for or sends the change
// message, or asks for / claims a project.
//   kep_bus_helper listen FOLDER        prints READY, then GOT <msg> <pid> <sender> <local> and exits
//   kep_bus_helper send FOLDER SENDER   prints SENT <n>
//   kep_bus_helper raise FOLDER PROJECT prints RAISED or FREE
//   kep_bus_helper claim FOLDER PROJECT prints CLAIMED or BUSY
#include "platform/InstanceBus.h"
#include "platform/ProjectInstance.h"

#include <QCoreApplication>
#include <QTimer>

#include <cstdio>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 3)
        return 2;
    const QString mode = args[1], folder = args[2];
    if (mode == QLatin1String("listen")) {
        kep::TInstanceBus bus(folder);
        QObject::connect(&bus, &kep::TInstanceBus::Received, &app,
                         [](const QString& msg, qint64 pid, quint64 sender, bool local) {
                             std::printf("GOT %s %lld %llu %d\n", qPrintable(msg), static_cast<long long>(pid),
                                         static_cast<unsigned long long>(sender), local ? 1 : 0);
                             std::fflush(stdout);
                             QCoreApplication::exit(0);
                         });
        std::printf(bus.IsListening() ? "READY\n" : "NOTLISTENING\n");
        std::fflush(stdout);
        QTimer::singleShot(20000, &app, [] { QCoreApplication::exit(3); });
        return app.exec();
    }
    if (mode == QLatin1String("send") && args.size() > 3) {
        kep::TInstanceBus bus(folder);
        std::printf("SENT %d\n", bus.Broadcast(QStringLiteral("KEPProjListChange"), args[3].toULongLong()));
        return 0;
    }
    if (mode == QLatin1String("raise") && args.size() > 3) {
        kep::TProjectInstance inst(folder);
        std::printf(inst.RaiseOther(args[3]) ? "RAISED\n" : "FREE\n");
        return 0;
    }
    if (mode == QLatin1String("claim") && args.size() > 3) {
        kep::TProjectInstance inst(folder);
        std::printf(inst.Claim(args[3]) ? "CLAIMED\n" : "BUSY\n");
        return 0;
    }
    return 2;
}
