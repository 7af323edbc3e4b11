// Whether a tool is already running: against a process list laid out by the
// test, and against real processes started here.
#include "platform/ProcessList.h"

#include "support/ProcessGroups.h"
#include "support/TestDir.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;
using kep::ProgrammeEnCours;

namespace {

// One entry of a fake /proc.
void FakeProcess(const TTestDir& dir, const std::string& pid, const std::string& exe, const std::string& comm,
                 const std::string& cmdline, const std::string& cwd = "/")
{
    const fs::path p = dir.Path("proc/" + pid);
    fs::create_directories(p);
    if (!exe.empty())
        fs::create_symlink(exe, p / "exe");
    fs::create_symlink(cwd, p / "cwd");
    dir.Write("proc/" + pid + "/comm", comm + "\n");
    dir.Write("proc/" + pid + "/cmdline", cmdline);
}

// A process leading a group of its own, killed with everything it started
// when the guard goes, whatever the test's outcome.
struct TStarted {
    explicit TStarted(const std::vector<std::string>& argv);
    ~TStarted() { Stop(); }
    void Stop();
    pid_t Pid = -1;
};

TStarted::TStarted(const std::vector<std::string>& argv)
{
    Pid = fork();
    if (Pid == 0) {
        setpgid(0, 0);
        std::vector<char*> args;
        for (const std::string& a : argv)
            args.push_back(const_cast<char*>(a.c_str()));
        args.push_back(nullptr);
        execv(args[0], args.data());
        _exit(127);
    }
    if (Pid > 0)
        setpgid(Pid, Pid); // in both, so the group exists before either side looks at it
}

void TStarted::Stop()
{
    if (Pid <= 0)
        return;
    kill(-Pid, SIGKILL);
    int status = 0;
    waitpid(Pid, &status, 0);
    Pid = -1;
}

} // namespace

TEST(ProcessList, NamesAndPathsInAProcessList)
{
    TTestDir dir;
    using namespace std::string_literals;
    FakeProcess(dir, "1", "/usr/bin/gedit", "gedit", "gedit\0notes.txt\0"s);
    FakeProcess(dir, "25", "/opt/tools/Programmeur-PIC-USB", "Programmeur-PIC",
                "/opt/tools/Programmeur-PIC-USB\0"s);
    // A script: its interpreter runs, the script is argument 1, relative to
    // the process's folder.
    FakeProcess(dir, "300", "/usr/bin/bash", "flash.sh", "/bin/bash\0outils/flash.sh\0-v\0"s, "/home/moi");
    // A replaced program file, and an editor working on a file named like a tool.
    FakeProcess(dir, "4000", "/usr/local/bin/kepterm (deleted)", "kepterm", "kepterm\0"s);
    FakeProcess(dir, "4001", "/usr/bin/vim", "vim", "vim\0/home/moi/outils/lance.sh\0"s);
    // Entries that are not processes, and a process whose details are hidden.
    fs::create_directories(dir.Path("proc/self_info"));
    dir.Write("proc/uptime", "1 2\n");
    fs::create_directories(dir.Path("proc/5000"));
    const std::string proc = dir.Path("proc");

    EXPECT_TRUE(ProgrammeEnCours("gedit", proc));
    EXPECT_TRUE(ProgrammeEnCours("GEDIT", proc));
    EXPECT_TRUE(ProgrammeEnCours("/usr/bin/gedit", proc));
    EXPECT_FALSE(ProgrammeEnCours("/usr/local/bin/gedit", proc));
    EXPECT_FALSE(ProgrammeEnCours("notes.txt", proc));
    // The kernel's name is cut at 15 bytes; the program file is whole.
    EXPECT_TRUE(ProgrammeEnCours("Programmeur-PIC-USB", proc));
    EXPECT_FALSE(ProgrammeEnCours("Programmeur-PIC-SER", proc));
    EXPECT_TRUE(ProgrammeEnCours("/home/moi/outils/flash.sh", proc));
    EXPECT_TRUE(ProgrammeEnCours("flash.sh", proc));
    EXPECT_FALSE(ProgrammeEnCours("/home/toi/outils/flash.sh", proc));
    EXPECT_TRUE(ProgrammeEnCours("/usr/local/bin/kepterm", proc));
    EXPECT_FALSE(ProgrammeEnCours("/home/moi/outils/lance.sh", proc));
    EXPECT_FALSE(ProgrammeEnCours("lance.sh", proc));
    EXPECT_FALSE(ProgrammeEnCours("", proc));
    EXPECT_FALSE(ProgrammeEnCours("gedit", dir.Path("no-proc")));
}

TEST(ProcessList, RealProcessesWhileTheyRun)
{
    TTestDir dir;
    const std::string prog = dir.Path("OutilTest");
    fs::copy_file("/bin/sleep", prog);
    fs::permissions(prog, fs::perms::owner_all);
    const std::string script = dir.Write("mon-outil.sh", "#!/bin/sh\n/bin/sleep 30\necho fin\n");
    fs::permissions(script, fs::perms::owner_all);

    EXPECT_FALSE(ProgrammeEnCours(prog));
    EXPECT_FALSE(ProgrammeEnCours("OutilTest"));
    TStarted a({prog, "30"});
    TStarted b({"/bin/sh", script});
    // Wait until both have replaced the forked copy of this test.
    for (int i = 0; i < 500 && !(ProgrammeEnCours(prog) && ProgrammeEnCours(script) && !ChildrenOf(b.Pid).empty()); ++i)
        usleep(10000);
    EXPECT_TRUE(ProgrammeEnCours(prog));
    EXPECT_TRUE(ProgrammeEnCours("outiltest"));
    EXPECT_TRUE(ProgrammeEnCours(script));
    EXPECT_TRUE(ProgrammeEnCours("mon-outil.sh"));
    // The script's own sleep goes with it: a test leaves nothing running.
    const std::vector<pid_t> sleeps = ChildrenOf(b.Pid);
    ASSERT_EQ(sleeps.size(), 1u);
    a.Stop();
    b.Stop();
    EXPECT_FALSE(ProgrammeEnCours(prog));
    EXPECT_FALSE(ProgrammeEnCours(script));
    for (int i = 0; i < 100 && Living(sleeps[0]); ++i)
        usleep(10000);
    EXPECT_FALSE(Living(sleeps[0])) << "the script's sleep outlived it";
}
