// One run of a tool through the real launcher: what reaches the output, the
// environment the tool sees, and stopping a tool that hangs.
#include "build/U_MakeCmd.h"
#include "build/U_MakeThread.h"
#include "support/TestDir.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <fstream>

namespace {

const std::string Launcher = KEP_BINARY_DIR "/launcher/KepPipes";

class MakeThreadTest : public ::testing::Test {
protected:
    // An executable shell script in the test folder.
    std::string Script(const std::string& name, const std::string& body)
    {
        const std::string p = Dir.Write(name, "#!/bin/sh\n" + body);
        std::filesystem::permissions(p, std::filesystem::perms::owner_all);
        return p;
    }
    std::vector<std::string> Run(const std::string& prog, const std::string& arg, bool infos = false)
    {
        TMakeThread t;
        t.CmdLine = kep::MakeCmdLine(prog, arg, "");
        t.PipesExe = Launcher;
        t.ProgMake = prog;
        t.TabPath = "/tables/";
        t.AffInfos = infos;
        t.WorkDir = Dir.Path("");
        std::vector<std::string> lines;
        t.Memo = [&](std::string_view l) { lines.emplace_back(l); };
        t.Execute();
        Started = t.Started;
        return lines;
    }
    TTestDir Dir;
    bool Started = false;
};

TEST_F(MakeThreadTest, LineEndsOfEveryKindAndALastLineWithoutEnd)
{
    const std::string tool = Script("tool", "printf 'a\\r\\nb\\n\\rc\\rpart'; sleep 0.2; printf ' two\\nfin'\n");
    EXPECT_EQ(Run(tool, "x"), (std::vector<std::string>{"a", "b", "", "c", "part two", "fin"}));
    EXPECT_TRUE(Started);
}

TEST_F(MakeThreadTest, InfoLinesTellTheEnvironmentAndTheToolSeesIt)
{
    // The helper beside the make program is found through PATH.
    Script("bin/helper", "echo \"helper sees VRELI=$VRELI\"\n");
    const std::string tool = Script("bin/tool", "helper; echo \"arg=$1\"; echo erreur >&2; exit 3\n");
    const char* before = std::getenv("PATH");
    const std::vector<std::string> lines = Run(tool, Dir.Path("mon projet.mke"), true);
    const std::string path = std::string(Dir.Path("bin/")) + ":" + before;
    const std::vector<std::string> expected = {
        "SET VRELI=/tables/",
        "SET PATH=" + path,
        kep::MakeCmdLine(tool, Dir.Path("mon projet.mke"), ""),
        "-----------------------------",
        "helper sees VRELI=/tables/",
        "arg=" + Dir.Path("mon projet.mke"),
        "erreur",
        "-----------------------------",
        "Exit code = 0", // the launcher's, not the tool's
        "SET VRELI=",
        "SET PATH=" + std::string(before),
    };
    EXPECT_EQ(lines, expected);
    // The program's own environment is left alone.
    EXPECT_EQ(std::getenv("VRELI"), nullptr);
    EXPECT_STREQ(std::getenv("PATH"), before);
}

TEST_F(MakeThreadTest, AMissingLauncherIsReportedAndNothingRuns)
{
    TMakeThread t;
    t.CmdLine = "true";
    t.PipesExe = Dir.Path("absent/KepPipes");
    t.AffInfos = false;
    std::vector<std::string> lines;
    t.Memo = [&](std::string_view l) { lines.emplace_back(l); };
    t.Execute();
    EXPECT_FALSE(t.Started);
    EXPECT_EQ(lines, (std::vector<std::string>{"Echec de \"CreateProcess\", Erreur : 2"}));
}

TEST_F(MakeThreadTest, TheLogFileGetsEveryLine)
{
    const std::string tool = Script("tool", "echo un; echo deux\n");
    TMakeThread t;
    t.CmdLine = tool;
    t.PipesExe = Launcher;
    t.AffInfos = false;
    t.LogFile = Dir.Path("MakeLog.txt");
    t.Execute();
    EXPECT_EQ(Dir.Read("MakeLog.txt"), "un\ndeux\n");

    // A log that cannot be written is said, and the build goes on.
    std::vector<std::string> lines;
    t.Memo = [&](std::string_view l) { lines.emplace_back(l); };
    t.LogFile = Dir.Path("absent/MakeLog.txt");
    t.Execute();
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0].rfind("Le journal " + Dir.Path("absent/MakeLog.txt") + " n'a pu être écrit : ", 0), 0u) << lines[0];
    EXPECT_EQ(lines[1], "un");
}

TEST_F(MakeThreadTest, StoppingEndsTheToolAndEverythingItStarted)
{
    const std::string pidFile = Dir.Path("pid");
    const std::string tool = Script("tool", "sleep 300 & echo $! > '" + pidFile + "'; echo parti; wait\n");
    TMakeThread t;
    t.CmdLine = tool;
    t.PipesExe = Launcher;
    t.AffInfos = false;
    std::vector<std::string> lines;
    t.Memo = [&](std::string_view l) {
        lines.emplace_back(l);
        if (l == "parti")
            QTimer::singleShot(50, [&t] { t.Stop(); });
    };
    QElapsedTimer clock;
    clock.start();
    t.Execute();
    EXPECT_LT(clock.elapsed(), 20000);
    EXPECT_EQ(lines, (std::vector<std::string>{"parti"}));
    std::ifstream in(pidFile);
    pid_t grandchild = 0;
    ASSERT_TRUE(in >> grandchild);
    // The sleeping grandchild is gone too (a zombie is reaped by init).
    QElapsedTimer wait;
    wait.start();
    while (::kill(grandchild, 0) == 0 && wait.elapsed() < 5000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    EXPECT_NE(::kill(grandchild, 0), 0);
}

} // namespace
