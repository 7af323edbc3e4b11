// Runs the built KepPipes as the build runner does: one argument holding the
// whole command line, standard output and error on pipes.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <poll.h>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace fs = std::filesystem;

namespace {

struct Outcome {
    int exitCode = -1;
    std::string out;
    std::string err;
    double seconds = 0;
};

Outcome RunLauncher(const std::vector<std::string>& args)
{
    Outcome r;
    int outPipe[2], errPipe[2];
    if (pipe2(outPipe, O_CLOEXEC) != 0 || pipe2(errPipe, O_CLOEXEC) != 0)
        return r;
    posix_spawn_file_actions_t fa;
    posix_spawn_file_actions_init(&fa);
    posix_spawn_file_actions_adddup2(&fa, outPipe[1], 1);
    posix_spawn_file_actions_adddup2(&fa, errPipe[1], 2);
    posix_spawn_file_actions_addopen(&fa, 0, "/dev/null", O_RDONLY, 0);

    std::string exe = KEP_PIPES_EXE;
    std::vector<char*> argv{exe.data()};
    std::vector<std::string> copy = args;
    for (auto& a : copy)
        argv.push_back(a.data());
    argv.push_back(nullptr);

    const auto start = std::chrono::steady_clock::now();
    pid_t pid = 0;
    const int rc = posix_spawn(&pid, exe.c_str(), &fa, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&fa);
    close(outPipe[1]);
    close(errPipe[1]);
    if (rc != 0) {
        close(outPipe[0]);
        close(errPipe[0]);
        return r;
    }

    pollfd fds[2] = {{outPipe[0], POLLIN, 0}, {errPipe[0], POLLIN, 0}};
    std::string* sinks[2] = {&r.out, &r.err};
    int open = 2;
    while (open > 0) {
        if (poll(fds, 2, 10000) <= 0)
            break;
        for (int i = 0; i < 2; ++i) {
            if (fds[i].fd < 0 || !(fds[i].revents & (POLLIN | POLLHUP)))
                continue;
            char buf[4096];
            const ssize_t n = read(fds[i].fd, buf, sizeof buf);
            if (n > 0) {
                sinks[i]->append(buf, static_cast<size_t>(n));
            } else {
                close(fds[i].fd);
                fds[i].fd = -1;
                --open;
            }
        }
    }
    for (auto& f : fds)
        if (f.fd >= 0)
            close(f.fd);
    int status = 0;
    waitpid(pid, &status, 0);
    r.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    r.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 1000 + WTERMSIG(status);
    return r;
}

class KepPipes : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(fs::exists(KEP_PIPES_EXE)) << KEP_PIPES_EXE;
        char tmpl[] = "/tmp/keppipes dossier XXXXXX";
        ASSERT_NE(mkdtemp(tmpl), nullptr);
        dir = tmpl;
    }
    void TearDown() override
    {
        std::error_code ec;
        fs::remove_all(dir, ec);
    }
    // An executable shell script in the folder whose name has spaces.
    std::string Script(const std::string& name, const std::string& body)
    {
        const fs::path p = dir / name;
        std::ofstream(p) << "#!/bin/sh\n" << body;
        fs::permissions(p, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec);
        return p.string();
    }
    fs::path dir;
};

} // namespace

TEST_F(KepPipes, ChildOutputAndErrorReachTheLaunchersPipes)
{
    const std::string script = Script("sortie.sh",
        "echo \"ligne 1\"\n"
        "echo \"erreur 1\" >&2\n"
        "printf 'a\\r\\nb\\n'\n"
        "echo \"args=$#:$1:$2\"\n");
    const Outcome r = RunLauncher({"'" + script + "' 'un arg' deux"});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.out, "ligne 1\na\r\nb\nargs=2:un arg:deux\n");
    EXPECT_EQ(r.err, "erreur 1\n");
}

TEST_F(KepPipes, RunsAQuotedProgramPathWithSpacesAndFindsProgramsOnPath)
{
    const std::string script = Script("mon make.sh", "echo \"dans $(pwd)\"\n");
    const Outcome quoted = RunLauncher({"\"" + script + "\""});
    EXPECT_EQ(quoted.exitCode, 0);
    EXPECT_EQ(quoted.out.rfind("dans ", 0), 0u) << quoted.out;

    // The first word is looked up on PATH; the launcher's environment passes on.
    const Outcome onPath = RunLauncher({"printf %s:%s \"$HOME\" x"});
    EXPECT_EQ(onPath.out, "$HOME:x");
}

TEST_F(KepPipes, EndsAtOnceWith127AndSaysWhyWhenThereIsNothingToRun)
{
    for (const auto& args : std::vector<std::vector<std::string>>{
             {}, {""}, {"   "}, {"/nulle/part/introuvable arg"}, {(dir / "absent").string()},
             {dir.string()}}) {
        const Outcome r = RunLauncher(args);
        EXPECT_EQ(r.exitCode, 127) << (args.empty() ? "(none)" : args[0]);
        EXPECT_EQ(r.out, "");
        EXPECT_LT(r.seconds, 5.0);
        if (args.size() == 1 && args[0].find('/') != std::string::npos) {
            EXPECT_NE(r.err.find("KepPipes : impossible de lancer"), std::string::npos) << r.err;
        }
    }
    EXPECT_NE(RunLauncher({"/nulle/part/introuvable"}).err.find("programme introuvable"), std::string::npos);
}

TEST_F(KepPipes, WaitsForTheChildAndPassesItsExitCodeOn)
{
    const std::string marker = (dir / "fini").string();
    const std::string script = Script("lent.sh", "sleep 0.3\necho fin\ntouch \"$1\"\nexit 3\n");
    const Outcome r = RunLauncher({"'" + script + "' '" + marker + "'", "ignored extra argument"});
    EXPECT_EQ(r.exitCode, 3);
    EXPECT_EQ(r.out, "fin\n");
    EXPECT_TRUE(fs::exists(marker)) << "the launcher returned before its child ended";
    EXPECT_GE(r.seconds, 0.3);

    const std::string killed = Script("tue.sh", "kill -9 $$\n");
    EXPECT_EQ(RunLauncher({"'" + killed + "'"}).exitCode, 128 + 9);
    EXPECT_EQ(RunLauncher({"true"}).exitCode, 0);
}
