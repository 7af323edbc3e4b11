#include "platform/ProcessList.h"

#include "platform/Paths.h"

#include <cctype>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>
#include <vector>

namespace kep {

namespace fs = std::filesystem;

namespace {

bool SameName(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

std::string BaseName(const std::string& path)
{
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string ReadSmall(const fs::path& file, std::size_t limit)
{
    std::ifstream in(file, std::ios::binary);
    std::string text;
    if (!in)
        return text;
    text.resize(limit);
    in.read(text.data(), std::streamsize(limit));
    text.resize(std::size_t(in.gcount()));
    return text;
}

// The program file a process runs; the kernel marks a replaced file.
std::string ExePath(const fs::path& dir)
{
    std::error_code ec;
    std::string exe = fs::read_symlink(dir / "exe", ec).string();
    constexpr std::string_view deleted = " (deleted)";
    if (exe.size() > deleted.size() && exe.compare(exe.size() - deleted.size(), deleted.size(), deleted) == 0)
        exe.resize(exe.size() - deleted.size());
    return exe;
}

// A script runs as its interpreter with the script as argument 1; any
// other program's argument 1 is just a file it works on.
bool IsInterpreter(const std::string& exe)
{
    static const char* const names[] = {"sh", "bash", "dash", "zsh", "ksh", "env", "python", "perl",
                                        "ruby", "tclsh", "wish", "lua", "node"};
    const std::string base = BaseName(exe);
    for (const char* n : names) {
        const std::string_view name(n);
        if (base.compare(0, name.size(), name) == 0 &&
            (base.size() == name.size() || std::isdigit(static_cast<unsigned char>(base[name.size()])) ||
             base[name.size()] == '.'))
            return true;
    }
    return false;
}

// Arguments 0 and 1, made absolute when given relative to the process's
// folder.
std::vector<std::string> FirstArgs(const fs::path& dir, const fs::path& cwd)
{
    const std::string raw = ReadSmall(dir / "cmdline", 8192);
    std::vector<std::string> args;
    std::size_t start = 0;
    while (start < raw.size() && args.size() < 2) {
        auto end = raw.find('\0', start);
        if (end == std::string::npos)
            end = raw.size();
        std::string a = raw.substr(start, end - start);
        if (!a.empty() && a[0] != '/' && a.find('/') != std::string::npos && !cwd.empty())
            a = (cwd / a).lexically_normal().string();
        args.push_back(std::move(a));
        start = end + 1;
    }
    return args;
}

} // namespace

bool ProgrammeEnCours(const std::string& program, const std::string& procRoot)
{
    if (program.empty())
        return false;
    const bool hasFolder = program.find('/') != std::string::npos;
    std::string wanted = program;
    if (hasFolder) {
        std::error_code ec;
        const fs::path abs = fs::absolute(program, ec);
        if (!ec)
            wanted = abs.lexically_normal().string();
    }
    // The kernel keeps 15 bytes of a process's name: a longer name cannot be
    // told apart from its namesakes there.
    const bool commWhole = program.size() <= 15;

    std::error_code ec;
    for (fs::directory_iterator it(procRoot, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string pid = it->path().filename().string();
        if (pid.empty() || !std::isdigit(static_cast<unsigned char>(pid[0])))
            continue;
        const fs::path dir = it->path();
        const std::string exe = ExePath(dir);
        std::error_code cwdErr;
        const fs::path cwd = fs::read_symlink(dir / "cwd", cwdErr);
        const std::vector<std::string> args = FirstArgs(dir, cwd);
        if (hasFolder) {
            if (!exe.empty() && SameName(exe, wanted))
                return true;
            if (!args.empty() && SameName(args[0], wanted))
                return true;
            if (args.size() > 1 && IsInterpreter(exe) && SameName(args[1], wanted))
                return true;
            continue;
        }
        if (!exe.empty() && SameName(BaseName(exe), program))
            return true;
        std::string name = ReadSmall(dir / "comm", 64);
        while (!name.empty() && (name.back() == '\n' || name.back() == '\0'))
            name.pop_back();
        if (commWhole && !name.empty() && SameName(name, program))
            return true;
        if (!args.empty() && SameName(BaseName(args[0]), program))
            return true;
        if (args.size() > 1 && IsInterpreter(exe) && SameName(BaseName(args[1]), program))
            return true;
    }
    return false;
}

} // namespace kep
