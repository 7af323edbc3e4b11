// A tool that writes 50 MB of console output, run three ways side by side:
// to /dev/null, through the launcher into the build output window, and the
// longest wait of the event loop while the window fills.
//   bench_make_output [megabytes]
#include "build/UF_Make.h"
#include "build/U_MakeThread.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

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

    std::vector<double> nul, kep, worst;
    for (int round = 0; round < 3; ++round) {
        QElapsedTimer t;
        t.start();
        QProcess::execute(QStringLiteral("/bin/sh"), {QStringLiteral("-c"), tool + QStringLiteral(" > /dev/null")});
        nul.push_back(double(t.nsecsElapsed()) / 1e6);

        auto* ecr = new TEcrMake;
        ecr->show();
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
        t.restart();
        run.Execute();
        ecr->Rafraichit();
        kep.push_back(double(t.nsecsElapsed()) / 1e6);
        probe.stop();
        worst.push_back(double(gap));
        std::printf("round %d: lines %llu kept %zu\n", round, (unsigned long long)ecr->Lignes().Total(),
                    ecr->Lignes().Count());
        delete ecr;
    }
    const double n = Median(nul), k = Median(kep);
    std::printf("%d MB of output, median of 3 runs\n", mb);
    std::printf("  tool > /dev/null      %8.1f ms\n", n);
    std::printf("  through KEP's window  %8.1f ms   ratio %.2f (goal <= 1.1)\n", k, k / n);
    std::printf("  longest event wait    %8.1f ms   (goal < 50)\n", Median(worst));
    return 0;
}
