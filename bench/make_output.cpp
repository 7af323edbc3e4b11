// A tool that writes 50 MB of console output, run side by side in each
// round: to /dev/null, into a pipe that cat empties, then through the
// launcher into the build output window, with the longest wait of the event
// loop while the window fills. The ratios of each round compare runs made
// moments apart, so a busy machine slows all of them; the median of the
// window's ratio to the pipe must stay within the goal, else the last line
// says FAIL and the exit status is 1.
//   bench_make_output [megabytes] [rounds]
#include "build/UF_Make.h"
#include "build/U_MakeThread.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>

#include <sys/resource.h>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

// Processor time in ms of this process (the window's side) or of its
// waited-for children (the tool's side, launcher included).
double Cpu(int who)
{
    rusage u{};
    getrusage(who, &u);
    return (u.ru_utime.tv_sec + u.ru_stime.tv_sec) * 1e3 + (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e3;
}

double Median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int mb = argc > 1 ? std::max(1, atoi(argv[1])) : 50;
    const int rounds = argc > 2 ? std::max(1, atoi(argv[2])) : 5;
    constexpr double kGoal = 1.1;
    constexpr double kWaitGoal = 50;
    QTemporaryDir dir;
    // About 60 bytes a line, like a verbose build log.
    const QString tool = dir.filePath(QStringLiteral("tool.sh"));
    {
        QFile f(tool);
        f.open(QIODevice::WriteOnly);
        f.write(QStringLiteral("#!/bin/sh\nexec awk 'BEGIN { n = %1 * 1048576 / 60; "
                               "for (i = 0; i < n; i++) printf \"%%08d gpasm: ligne de journal de construction ...\\n\", i }'\n")
                    .arg(mb)
                    .toUtf8());
        f.close();
        f.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }

    std::vector<double> nul, kep, ratio, overPipe, worst, cpuShare;
    // The tool alone, and the tool writing into a pipe that a reader doing
    // nothing empties: what any reader of its output costs at the least.
    std::vector<double> piped;
    const auto alone = [&] {
        QElapsedTimer t;
        t.start();
        QProcess::execute(QStringLiteral("/bin/sh"), {QStringLiteral("-c"), tool + QStringLiteral(" > /dev/null")});
        nul.push_back(double(t.nsecsElapsed()) / 1e6);
        t.restart();
        QProcess::execute(QStringLiteral("/bin/sh"), {QStringLiteral("-c"), tool + QStringLiteral(" | cat > /dev/null")});
        piped.push_back(double(t.nsecsElapsed()) / 1e6);
    };
    for (int round = 0; round < rounds; ++round) {
        // Which run goes first alternates, so that neither side always
        // meets the machine as the other left it.
        if (round % 2 == 0)
            alone();
        QElapsedTimer t;

        auto* ecr = new TEcrMake;
        ecr->show();
        // The window's first paint (fonts, glyphs) is not the output's cost.
        QCoreApplication::processEvents();
        TMakeThread run;
        run.CmdLine = tool.toStdString();
        run.PipesExe = KEP_BINARY_DIR "/launcher/KepPipes";
        run.AffInfos = false;
        run.Memo = [ecr](std::string_view l) { ecr->AjouteLigne(l); };
        // The longest gap between two ticks of a 5 ms timer: how long an
        // event of the main window would have waited.
        QElapsedTimer tick;
        qint64 gap = 0;
        QTimer probe;
        probe.setInterval(5);
        QObject::connect(&probe, &QTimer::timeout, [&] {
            gap = std::max(gap, tick.restart());
        });
        tick.start();
        probe.start();
        const double self0 = Cpu(RUSAGE_SELF), child0 = Cpu(RUSAGE_CHILDREN);
        t.restart();
        run.Execute();
        ecr->Rafraichit();
        kep.push_back(double(t.nsecsElapsed()) / 1e6);
        // On a busy machine the two sides share the processors: the time the
        // window's side takes beside the tool's is what the ratio comes to.
        cpuShare.push_back((Cpu(RUSAGE_SELF) - self0) / std::max(1.0, Cpu(RUSAGE_CHILDREN) - child0));
        probe.stop();
        worst.push_back(double(gap));
        if (round % 2 != 0)
            alone();
        ratio.push_back(kep.back() / nul.back());
        overPipe.push_back(kep.back() / piped.back());
        std::printf("round %d: %7.1f ms alone, %7.1f ms into a pipe, %7.1f ms through the window, ratio %.2f (%.2f of the pipe's), "
                    "window's processor time %.0f %% of the tool's, lines %llu kept %zu\n",
                    round, nul.back(), piped.back(), kep.back(), ratio.back(), overPipe.back(), 100 * cpuShare.back(),
                    (unsigned long long)ecr->Lignes().Total(), ecr->Lignes().Count());
        delete ecr;
    }
    const double r = Median(ratio), rp = Median(overPipe), wait = Median(worst);
    std::printf("%d MB of output, median of %d rounds\n", mb, rounds);
    std::printf("  tool > /dev/null      %8.1f ms\n", Median(nul));
    std::printf("  tool | cat > /dev/null%8.1f ms   (ratio %.2f: any reader's least)\n", Median(piped),
                Median(piped) / Median(nul));
    std::printf("  through KEP's window  %8.1f ms\n", Median(kep));
    std::printf("  ratio to the tool     %8.2f\n", r);
    std::printf("  ratio to the pipe     %8.2f      (goal <= %.1f)\n", rp, kGoal);
    std::printf("  window's processor    %8.0f %%    of the tool's\n", 100 * Median(cpuShare));
    std::printf("  longest event wait    %8.1f ms   (goal < %.0f)\n", wait, kWaitGoal);
    // Writing into a pipe costs the tool more than writing to /dev/null
    // whoever reads it, so the window answers for what it adds beyond the
    // pipe: its time against the idle reader's.
    const bool ok = rp <= kGoal && wait < kWaitGoal;
    std::printf("%s\n", ok ? "PASS" : "FAIL: output through the window is too slow");
    return ok ? 0 : 1;
}
