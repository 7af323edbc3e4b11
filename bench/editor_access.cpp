// A typed key with accessibility on: at the end of a 1,000,000-line file
// against a 10-line file, side by side in one process. The accessibility
// bridge is the real one: the program starts itself again on a virtual X
// display with its own session bus and accessibility bus, and
// QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1, so that every key sends its text and
// caret events over the bus. After each key a client reads the caret's line
// and offset as a screen reader does. Without those tools it says so and
// sends the events to an in-process client instead.
//
//   bench_editor_access [lines]
#include "editor/SrcEdit.h"

#include <QAccessible>
#include <QApplication>
#include <QElapsedTimer>
#include <QKeyEvent>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <unistd.h>

namespace {

void Generate(const std::string& path, int lines)
{
    std::ofstream f(path, std::ios::binary);
    for (int i = 0; i < lines; ++i) {
        f << (i % 50 == 0 ? "label" + std::to_string(i) + ":" : std::string()) << "\tmovlw\t0x" << (i % 97)
          << ",F\t; step " << (i % 1000);
        if (i + 1 < lines)
            f << "\r\n";
    }
}

// What a screen reader asks after a key: the caret and the line under it.
int ReadCaretLine(QAccessibleTextInterface* t)
{
    int from = 0, to = 0;
    const int caret = t->cursorPosition();
    return t->textAtOffset(caret, QAccessible::LineBoundary, &from, &to).size() + t->characterCount() % 2;
}

struct TEditor {
    TEditor(const std::string& file)
    {
        w.resize(1280, 1024);
        w.Buffer().LoadFromFile(file);
        w.show();
        w.setFocus();
        QApplication::processEvents();
        iface = QAccessible::queryAccessibleInterface(&w);
        w.Buffer().SetCaret({w.Buffer().LineCount() - 1, 1 << 30});
        w.Buffer().BringCaretIntoView();
        QApplication::processEvents();
    }
    // Milliseconds per key over `keys` keys, the repaint included.
    double Type(int keys)
    {
        QElapsedTimer t;
        t.start();
        int sink = 0;
        for (int i = 0; i < keys; ++i) {
            const bool erase = i % 2;
            QKeyEvent press(QEvent::KeyPress, erase ? Qt::Key_Backspace : Qt::Key_X, Qt::NoModifier,
                            erase ? QString() : QStringLiteral("x"));
            QApplication::sendEvent(&w, &press);
            sink += ReadCaretLine(iface->textInterface());
            QApplication::processEvents();
        }
        Sink += sink;
        return double(t.nsecsElapsed()) / 1e6 / keys;
    }
    TSrcEdit w;
    QAccessibleInterface* iface = nullptr;
    long Sink = 0;
};

int Child(int argc, char** argv, int lines, bool bridge)
{
    QApplication app(argc, argv);
    if (bridge) {
        // The bridge finds the accessibility bus asynchronously.
        QElapsedTimer wait;
        wait.start();
        while (!QAccessible::isActive() && wait.elapsed() < 5000)
            app.processEvents(QEventLoop::AllEvents, 50);
    }
    const bool active = QAccessible::isActive();
    long inProcess = 0;
    if (!active)
        TSrcEdit::SetAccessibleEventHook([&inProcess](QAccessibleEvent* e) { inProcess += int(e->type()); });
    const std::string small = "/tmp/kep-bench-access-small-" + std::to_string(getpid()) + ".asm";
    const std::string big = "/tmp/kep-bench-access-big-" + std::to_string(getpid()) + ".asm";
    Generate(small, 10);
    Generate(big, lines);
    TEditor a(small), b(big);
    unlink(small.c_str());
    unlink(big.c_str());
    // Best of five rounds, the two editors interleaved.
    double bestSmall = 1e9, bestBig = 1e9;
    for (int round = 0; round < 5; ++round) {
        bestSmall = std::min(bestSmall, a.Type(200));
        bestBig = std::min(bestBig, b.Type(200));
    }
    std::printf("accessibility: %s\n", active ? "the platform bridge on the accessibility bus"
                                              : "no accessibility bus here: events to an in-process client");
    std::printf("%-28s %12s\n", "editor", "ms per key");
    std::printf("%-28s %12.4f\n", "10 lines", bestSmall);
    std::printf("%-28s %12.4f\n", (std::to_string(lines) + " lines").c_str(), bestBig);
    std::printf("ratio large / small: %.2f\n", bestBig / bestSmall);
    return 0;
}

bool HaveTool(const char* path)
{
    return access(path, X_OK) == 0;
}

} // namespace

int main(int argc, char** argv)
{
    const int lines = argc >= 2 && argv[1][0] != '-' ? std::atoi(argv[1]) : 1000000;
    if (argc >= 2 && std::string(argv[argc - 1]) == "--child")
        return Child(argc, argv, lines, true);
    const char* launcher = "/usr/libexec/at-spi-bus-launcher";
    if (HaveTool("/usr/bin/xvfb-run") && HaveTool("/usr/bin/dbus-run-session") && HaveTool(launcher)) {
        // A display, a session bus, the accessibility bus on it, then this
        // program again in that world.
        const std::string cmd = std::string("xvfb-run -a dbus-run-session -- sh -c '") + launcher +
                                " --launch-immediately & sleep 1; QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 "
                                "QT_QPA_PLATFORM=xcb \"$0\" " +
                                std::to_string(lines) + " --child; r=$?; kill $! 2>/dev/null; exit $r' '" +
                                argv[0] + "' 2>/dev/null";
        return std::system(cmd.c_str()) == 0 ? 0 : 1;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    return Child(argc, argv, lines, false);
}
