#pragma once
// One run of the make tool through the console launcher: environment,
// process, live output, exit code. It runs on the calling thread and keeps
// the program's events flowing until the launcher has ended.
#include "build/U_ConsoleLines.h"
#include "platform/SortieTube.h"

#include <QObject>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

class QProcess;
class QFile;

class TMakeThread : public QObject {
    Q_OBJECT
public:
    TMakeThread();
    ~TMakeThread() override;

    // What to run, without the launcher: program, make file, parameters.
    std::string CmdLine;
    // Receives each line of output (and the runner's own lines).
    std::function<void(std::string_view line)> Memo;
    // The launcher could be started.
    bool Started = false;
    // The tool's exit code as the launcher passes it on (127: the tool could
    // not be started; 128 + n: ended by signal n); 0 when none was obtained.
    std::uint32_t ExitCode = 0;
    // The run was stopped (Stop, or the launcher itself ended abnormally):
    // its exit code says nothing about the build.
    bool Interrompu = false;

    // Taken when Execute starts.
    std::string PipesExe;   // the launcher
    std::string ProgMake;   // its folder goes first in PATH
    std::string TabPath;    // given to the tool as VRELI
    bool AffInfos = true;   // write the environment lines
    std::string LogFile;    // when set, every output line goes there too
    std::string WorkDir;    // empty: the current folder

    // Runs to the end of the launcher.
    void Execute();
    // Ends the launcher and everything it started (the whole process group);
    // Execute then returns.
    void Stop();
    bool Running() const;

private:
    void Info(std::string_view line);
    void Line(std::string_view line);
    void ReadOutput();

    std::unique_ptr<QProcess> Process_;
    std::unique_ptr<QFile> Log_;
    kep::TConsoleLines Splitter_;
    kep::TSortieTube Tube_;
    bool Stopping_ = false;
};
