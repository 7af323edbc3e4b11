// KepPipes: runs the one command line it is given with its own standard
// handles, waits for it and always ends with 0. The build runner reads the
// child's output through the pipes it gave the launcher; the launcher itself
// writes nothing.
#include "launcher/CommandLine.h"

#include <cerrno>
#include <spawn.h>
#include <sys/wait.h>
#include <vector>

extern char** environ;

int main(int argc, char** argv)
{
    if (argc < 2)
        return 0;
    std::vector<std::string> words = kep::SplitCommandLine(argv[1]);
    if (words.empty() || words[0].empty())
        return 0;

    std::vector<char*> args;
    args.reserve(words.size() + 1);
    for (auto& w : words)
        args.push_back(w.data());
    args.push_back(nullptr);

    // posix_spawnp reports a missing program here rather than in a child.
    pid_t pid = 0;
    if (posix_spawnp(&pid, args[0], nullptr, nullptr, args.data(), environ) != 0)
        return 0;

    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    return 0;
}
