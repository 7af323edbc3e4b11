// One run of a tool through the real launcher: what reaches the output, the
// environment the tool sees, and stopping a tool that hangs.
#include "build/U_MakeCmd.h"
#include "build/U_MakeThread.h"
#include "platform/SortieTube.h"
#include "support/ProcessGroups.h"
#include "support/TestDir.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QTimer>

#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <unistd.h>

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
        "Exit code = 3", // the tool's, passed on by the launcher
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

TEST_F(MakeThreadTest, AFloodArrivesWholeAndInOrderUpToTheToolsLastByte)
{
    // Several times the pipe's megabyte, then the tool ends at once: the
    // reading that paused for the flood must still take the tail.
    const std::string tool = Script("tool", "awk 'BEGIN { for (i = 0; i < 300000; i++) printf \"%07d ligne\\n\", i;"
                                            " printf \"fin sans retour\" }'\n");
    const std::vector<std::string> lines = Run(tool, "x");
    ASSERT_EQ(lines.size(), 300001u);
    std::size_t wrong = 0;
    char want[32];
    for (std::size_t i = 0; i < 300000; ++i) {
        std::snprintf(want, sizeof want, "%07zu ligne", i);
        wrong += lines[i] != want;
    }
    EXPECT_EQ(wrong, 0u);
    EXPECT_EQ(lines.back(), "fin sans retour");
}

TEST(SortieTube, WhatTheToolWroteBeforeItEndedIsAllThereAfterIt)
{
    // No event loop runs: everything must come from the last look at the
    // pipe, standard error merged in.
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    kep::TSortieTube tube;
    ASSERT_TRUE(tube.Branche(p));
    p.start(QStringLiteral("/bin/sh"),
            {QStringLiteral("-c"), QStringLiteral("head -c 700000 /dev/zero; echo erreur >&2")});
    ASSERT_TRUE(p.waitForStarted());
    std::string got;
    tube.Demarre([&got](std::string_view b) { got.append(b); });
    ASSERT_TRUE(p.waitForFinished());
    EXPECT_TRUE(got.empty());
    tube.Vide();
    ASSERT_EQ(got.size(), 700000u + 7u);
    EXPECT_EQ(got.substr(700000), "erreur\n");
}

// Make runs a shell that ignores the polite stop and a background child that
// inherits that; the run is stopped as soon as the tool has said its pid.
// Returns the tool's group (0 if it never got there).
pid_t StopAToolThatIgnoresTheStop(const TTestDir& dir, TGroupGuard& guard)
{
    const std::string pidFile = dir.Path("pid");
    const std::string mk = dir.Write("build.mke", "all:\n\t@sh -c 'trap \"\" TERM; sleep 60 & echo $$$$ > " + pidFile +
                                                      "; echo parti; wait'\n\t@echo jamais\n");
    pid_t group = 0;
    TMakeThread t;
    t.CmdLine = "make -f '" + mk + "'";
    t.PipesExe = Launcher;
    t.AffInfos = false;
    t.Memo = [&](std::string_view l) {
        if (l != "parti")
            return;
        std::ifstream in(pidFile);
        pid_t pid = 0;
        in >> pid;
        group = guard.Group = GroupOf(pid);
        QTimer::singleShot(50, [&t] { t.Stop(); });
    };
    t.Execute();
    return group;
}

TEST_F(MakeThreadTest, StoppingEndsAToolThatIgnoresItOnceTheRunnerIsGone)
{
    TGroupGuard guard;
    const pid_t group = StopAToolThatIgnoresTheStop(Dir, guard);
    ASSERT_GT(group, 1);
    // The launcher died at once; the runner went with it. Within two seconds
    // nothing of the group is left.
    EXPECT_TRUE(WaitGroupGone(group, 2000, [] { QCoreApplication::processEvents(QEventLoop::AllEvents, 20); }));
}

// Run by the next test in a process of its own, which ends as soon as the
// stopped run has returned.
TEST_F(MakeThreadTest, StopThenQuitHelper)
{
    if (qEnvironmentVariableIsEmpty("KEP_STOP_THEN_QUIT"))
        GTEST_SKIP() << "helper";
    TGroupGuard guard;
    const pid_t group = StopAToolThatIgnoresTheStop(Dir, guard);
    guard.Group = 0;
    std::printf("group %d\n", int(group));
    std::fflush(stdout);
    std::error_code ec;
    std::filesystem::remove_all(Dir.Dir(), ec); // no destructor runs past exit
    std::exit(0);
}

TEST_F(MakeThreadTest, QuittingRightAfterAStopLeavesNothingOfTheTool)
{
    QProcess helper;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("KEP_STOP_THEN_QUIT"), QStringLiteral("1"));
    helper.setProcessEnvironment(env);
    helper.start(QCoreApplication::applicationFilePath(),
                 {QStringLiteral("--gtest_filter=MakeThreadTest.StopThenQuitHelper")});
    ASSERT_TRUE(helper.waitForFinished(20000));
    const QByteArray out = helper.readAllStandardOutput();
    const qsizetype at = out.indexOf("group ");
    ASSERT_GE(at, 0) << out.toStdString();
    TGroupGuard guard(pid_t(out.mid(at + 6).split('\n').value(0).toInt()));
    ASSERT_GT(guard.Group, 1);
    EXPECT_TRUE(WaitGroupGone(guard.Group, 300, [] { usleep(10000); }));
}

} // namespace
