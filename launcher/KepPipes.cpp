// KepPipes: runs the one command line it is given with its own standard
// handles, waits for it and ends with its exit code, so that the build
// runner can tell a failed build from a good one: the child's own code,
// 128 + the signal that ended it, or 127 when it could not be started (the
// shell's convention), with one line on standard error saying why.
#include "launcher/CommandLine.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <spawn.h>
#include <sys/wait.h>
#include <vector>

extern char** environ;

namespace {

constexpr int PasLance = 127;

const char* Raison(int e)
{
    switch (e) {
    case ENOENT:
        return "programme introuvable";
    case EACCES:
        return "permission refusée";
    case ENOEXEC:
        return "ce n'est pas un programme";
    case ENOMEM:
        return "mémoire insuffisante";
    default:
        return std::strerror(e);
    }
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2)
        return PasLance;
    std::vector<std::string> words = kep::SplitCommandLine(argv[1]);
    if (words.empty() || words[0].empty()) {
        std::fprintf(stderr, "KepPipes : commande vide\n");
        return PasLance;
    }

    std::vector<char*> args;
    args.reserve(words.size() + 1);
    for (auto& w : words)
        args.push_back(w.data());
    args.push_back(nullptr);

    // posix_spawnp reports a missing program here rather than in a child.
    pid_t pid = 0;
    if (const int e = posix_spawnp(&pid, args[0], nullptr, nullptr, args.data(), environ); e != 0) {
        std::fprintf(stderr, "KepPipes : impossible de lancer \"%s\" : %s\n", args[0], Raison(e));
        return PasLance;
    }

    int status = 0;
    while (waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR)
            return PasLance;
    }
    if (WIFEXITED(status))
        return WEXITSTATUS(status);
    if (WIFSIGNALED(status))
        return 128 + WTERMSIG(status);
    return PasLance;
}
