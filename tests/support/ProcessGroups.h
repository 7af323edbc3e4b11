#pragma once
// What is left of a process group, and a guard that kills it whatever the
// test's outcome, so that no test leaves a process behind it.
#include <cstdio>
#include <cstring>
#include <csignal>
#include <chrono>
#include <dirent.h>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

// The living (not zombie) processes whose group (or, `byParent`, parent) is `id`.
inline std::vector<pid_t> LivingWhere(pid_t id, bool byParent)
{
    std::vector<pid_t> members;
    if (DIR* proc = opendir("/proc")) {
        while (const dirent* e = readdir(proc)) {
            if (e->d_name[0] < '1' || e->d_name[0] > '9')
                continue;
            std::ifstream in(std::string("/proc/") + e->d_name + "/stat");
            std::string line;
            std::getline(in, line);
            const std::size_t close = line.rfind(')');
            if (close == std::string::npos)
                continue;
            std::istringstream rest(line.substr(close + 1));
            char state = 0;
            long ppid = 0, pgrp = 0;
            if (rest >> state >> ppid >> pgrp && (byParent ? ppid : pgrp) == id && state != 'Z' && state != 'X')
                members.push_back(pid_t(std::atol(e->d_name)));
        }
        closedir(proc);
    }
    return members;
}

inline std::vector<pid_t> GroupMembers(pid_t pgid) { return LivingWhere(pgid, false); }
inline std::vector<pid_t> ChildrenOf(pid_t pid) { return LivingWhere(pid, true); }

// The group of a living process, 0 when it is gone.
inline pid_t GroupOf(pid_t pid)
{
    std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
    std::string line;
    std::getline(in, line);
    const std::size_t close = line.rfind(')');
    if (close == std::string::npos)
        return 0;
    std::istringstream rest(line.substr(close + 1));
    char state = 0;
    long ppid = 0, pgrp = 0;
    return rest >> state >> ppid >> pgrp ? pid_t(pgrp) : 0;
}

// The process runs (a zombie no longer does).
inline bool Living(pid_t pid)
{
    std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
    std::string line;
    std::getline(in, line);
    const std::size_t close = line.rfind(')');
    return close != std::string::npos && close + 2 < line.size() && line[close + 2] != 'Z' && line[close + 2] != 'X';
}

// Waits up to `ms` for the group to be gone; `pump` runs between looks.
template <class Pump>
bool WaitGroupGone(pid_t pgid, int ms, Pump pump)
{
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (!GroupMembers(pgid).empty()) {
        if (std::chrono::steady_clock::now() >= end)
            return false;
        pump();
    }
    return true;
}

class TGroupGuard {
public:
    explicit TGroupGuard(pid_t pgid = 0) : Group(pgid) {}
    ~TGroupGuard()
    {
        if (Group > 1)
            kill(-Group, SIGKILL);
    }
    TGroupGuard(const TGroupGuard&) = delete;
    TGroupGuard& operator=(const TGroupGuard&) = delete;
    pid_t Group;
};
