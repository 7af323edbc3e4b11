// The terminal window under load, side by side with the same load without
// it:
//  1. 115200 bit/s of text lines stream in for some seconds while keys are
//     typed: the time from a key to its byte at the board, and the longest
//     wait of the event loop, against the same measures with the line idle;
//  2. a flood at the pseudo-terminal's full speed, shown in the pane,
//     against a plain reader of the same bytes.
//   bench_comms_window [seconds]
#include "config/U_KepFile.h"
#include "serial/ComPort.h"
#include "serial/UF_Comms.h"
#include "tests/serial/PtyPair.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTimer>

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <mutex>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double Pct(std::vector<double> v, double p)
{
    if (v.empty())
        return 0;
    std::sort(v.begin(), v.end());
    return v[std::min(v.size() - 1, std::size_t(double(v.size()) * p))];
}

struct TMesure {
    std::vector<double> Touches; // ms from a key to its byte at the board
    qint64 Attente = 0;          // longest gap of a 5 ms timer
    std::size_t Recus = 0;
};

// Types a key every 50 ms for `secondes`, with or without text streaming in.
TMesure Mesure(kep::TEcrComms& w, TPtyPair& pty, int secondes, bool flux)
{
    TMesure m;
    std::atomic<bool> fin{false};
    std::mutex mu;
    std::vector<Clock::time_point> envois, arrivees;
    std::thread emetteur;
    if (flux)
        emetteur = std::thread([&] {
            // 11520 bytes a second, in 10 ms slices.
            const std::string ligne = "00001234 mesure ADC=0x3FF T=23.5C ok\r\n";
            std::string reste;
            auto next = Clock::now();
            while (!fin) {
                while (reste.size() < 116)
                    reste += ligne;
                pty.BoardWrite(reste.substr(0, 115));
                reste.erase(0, 115);
                next += std::chrono::milliseconds(10);
                std::this_thread::sleep_until(next);
            }
        });
    std::thread lecteur([&] {
        while (!fin) {
            const std::string got = pty.BoardRead(1, 50);
            if (!got.empty()) {
                std::lock_guard<std::mutex> l(mu);
                for (std::size_t i = 0; i < got.size(); ++i)
                    arrivees.push_back(Clock::now());
            }
        }
    });
    QElapsedTimer tick;
    QTimer sonde;
    sonde.setInterval(5);
    QObject::connect(&sonde, &QTimer::timeout, [&] { m.Attente = std::max(m.Attente, tick.restart()); });
    QTimer touche;
    touche.setInterval(50);
    QObject::connect(&touche, &QTimer::timeout, [&] {
        {
            std::lock_guard<std::mutex> l(mu);
            envois.push_back(Clock::now());
        }
        QCoreApplication::postEvent(w.Suivi, new QKeyEvent(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, QStringLiteral("a")));
    });
    tick.start();
    sonde.start();
    touche.start();
    QElapsedTimer t;
    t.start();
    const auto avant = w.TexteSuivi().size();
    while (t.elapsed() < secondes * 1000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    touche.stop();
    sonde.stop();
    QElapsedTimer drain;
    drain.start();
    while (drain.elapsed() < 300)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    fin = true;
    if (emetteur.joinable())
        emetteur.join();
    lecteur.join();
    m.Recus = std::size_t(w.TexteSuivi().size() - avant);
    for (std::size_t i = 0; i < std::min(envois.size(), arrivees.size()); ++i)
        m.Touches.push_back(std::chrono::duration<double, std::milli>(arrivees[i] - envois[i]).count());
    return m;
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int secondes = argc > 1 ? std::max(1, atoi(argv[1])) : 5;
    TPtyPair pty;
    if (!pty.Ok()) {
        std::fprintf(stderr, "socat absent\n");
        return 1;
    }
    QTemporaryDir dir;
    const std::string ini = dir.filePath(QStringLiteral("kep.ini")).toStdString();
    std::ofstream(ini) << "[Ports]\nCOM1=" << pty.Ours() << "\n";
    kep::NomFichOptions = ini;
    kep::NomProjet = dir.filePath(QStringLiteral("p.pja")).toStdString();
    std::ofstream(kep::NomProjet) << "[Comms]\nCom=COM1,115200,Aucune,8,1\n";

    auto* w = new kep::TEcrComms(nullptr);
    w->show();
    w->LitReglages(kep::TIniFilePlus(kep::NomProjet));
    if (!w->Connecte()) {
        std::fprintf(stderr, "port non ouvert\n");
        return 1;
    }
    w->optDistant->setChecked(true);

    const TMesure calme = Mesure(*w, pty, secondes, false);
    w->Efface();
    const TMesure charge = Mesure(*w, pty, secondes, true);
    std::printf("115200 bit/s streaming for %d s: %zu characters shown\n", secondes, charge.Recus);
    std::printf("key to board, median / p99 / max: idle %.2f / %.2f / %.2f ms, streaming %.2f / %.2f / %.2f ms\n",
                Pct(calme.Touches, 0.5), Pct(calme.Touches, 0.99), Pct(calme.Touches, 1.0), Pct(charge.Touches, 0.5),
                Pct(charge.Touches, 0.99), Pct(charge.Touches, 1.0));
    std::printf("longest event-loop wait: idle %lld ms, streaming %lld ms\n", (long long)calme.Attente,
                (long long)charge.Attente);

    // A flood at the pseudo-terminal's own speed, shown in the pane, then
    // the same bytes to a plain reader.
    const std::size_t taille = 4u << 20;
    std::string flot;
    while (flot.size() < taille)
        flot += "00001234 mesure ADC=0x3FF T=23.5C ok\r\n";
    flot.resize(taille);
    w->Efface();
    const std::uint64_t avantFlot = w->OctetsRecus();
    QElapsedTimer t;
    t.start();
    std::thread ecrit([&] { pty.BoardWrite(flot); });
    std::size_t vu = 0;
    while (vu < taille) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        vu = std::size_t(w->OctetsRecus() - avantFlot);
        if (t.elapsed() > 120000)
            break;
    }
    const double fenetre = double(t.nsecsElapsed()) / 1e9;
    ecrit.join();
    w->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

    // The plain reader: the other end opened raw, read to the last byte.
    const int fd = ::open(pty.Ours().c_str(), O_RDWR | O_NOCTTY);
    termios tio{};
    ::tcgetattr(fd, &tio);
    ::cfmakeraw(&tio);
    ::tcsetattr(fd, TCSANOW, &tio);
    t.restart();
    std::thread ecrit2([&] { pty.BoardWrite(flot); });
    std::size_t lu = 0;
    char buf[65536];
    while (lu < taille) {
        const ssize_t n = ::read(fd, buf, sizeof buf);
        if (n <= 0)
            break;
        lu += std::size_t(n);
    }
    const double seul = double(t.nsecsElapsed()) / 1e9;
    ecrit2.join();
    ::close(fd);
    std::printf("flood of %zu bytes: window %.2f MB/s, plain reader %.2f MB/s, ratio %.3f\n", taille,
                double(taille) / fenetre / 1e6, double(lu) / seul / 1e6, seul / fenetre);
    return 0;
}
