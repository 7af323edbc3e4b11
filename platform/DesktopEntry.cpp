#include "platform/DesktopEntry.h"

#include "platform/DesktopIntegration.h"
#include "platform/FileIo.h"

#include <climits>
#include <cstdlib>
#include <cstring>
#include <sys/stat.h>

namespace kep {

namespace desktop_detail {

namespace {

// Larger files on the desktop are no entries worth reading.
constexpr off_t TailleMaxEntree = 1024 * 1024;

// Both paths name the same file once links are resolved; paths that do not
// exist can only be compared as written.
bool SameProgram(const std::string& a, const std::string& b)
{
    char ra[PATH_MAX], rb[PATH_MAX];
    if (realpath(a.c_str(), ra) && realpath(b.c_str(), rb))
        return std::strcmp(ra, rb) == 0;
    return a == b;
}

// The program the entry starts; empty when it starts none.
std::string EntryProgram(const std::string& path)
{
    std::string text, exec;
    if (!ReadEntry(path, text) || !EntryValue(text, "Desktop Entry", "Exec", exec))
        return {};
    const auto args = ExecArgs(exec);
    return args.empty() ? std::string() : args.front();
}

} // namespace

std::string_view Trim(std::string_view s)
{
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r'))
        s.remove_suffix(1);
    return s;
}

std::vector<std::string> SplitList(std::string_view s, char sep)
{
    std::vector<std::string> out;
    while (!s.empty()) {
        const auto end = s.find(sep);
        const std::string_view item = Trim(s.substr(0, end));
        if (!item.empty())
            out.emplace_back(item);
        s.remove_prefix(end == std::string_view::npos ? s.size() : end + 1);
    }
    return out;
}

std::string JoinList(const std::vector<std::string>& items, bool trailing)
{
    std::string out;
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (i)
            out += ';';
        out += items[i];
    }
    if (trailing && !out.empty())
        out += ';';
    return out;
}

// The escapes of string values.
std::string EscapeString(std::string_view v)
{
    std::string out;
    for (std::size_t i = 0; i < v.size(); ++i) {
        switch (v[i]) {
        case '\\': out += "\\\\"; break;
        case '\n': out += "\\n"; break;
        case '\t': out += "\\t"; break;
        case '\r': out += "\\r"; break;
        case ' ': out += i == 0 ? "\\s" : " "; break;
        default: out += v[i]; break;
        }
    }
    return out;
}

std::string UnescapeString(std::string_view v)
{
    std::string out;
    for (std::size_t i = 0; i < v.size(); ++i) {
        if (v[i] != '\\' || i + 1 == v.size()) {
            out += v[i];
            continue;
        }
        switch (v[++i]) {
        case 's': out += ' '; break;
        case 'n': out += '\n'; break;
        case 't': out += '\t'; break;
        case 'r': out += '\r'; break;
        case '\\': out += '\\'; break;
        // Entries written by hand often escape quotes once only: let the
        // Exec rules see the backslash.
        default: out += '\\'; out += v[i]; break;
        }
    }
    return out;
}

// The raw value of a key of a group; false when it has none.
bool EntryValue(std::string_view text, std::string_view group, std::string_view key, std::string& value)
{
    bool inGroup = false;
    while (!text.empty()) {
        const auto eol = text.find('\n');
        const std::string_view line = Trim(text.substr(0, eol));
        text.remove_prefix(eol == std::string_view::npos ? text.size() : eol + 1);
        if (line.empty() || line.front() == '#')
            continue;
        if (line.front() == '[') {
            inGroup = line.size() == group.size() + 2 && line.substr(1, group.size()) == group && line.back() == ']';
            continue;
        }
        if (!inGroup)
            continue;
        const auto eq = line.find('=');
        if (eq != std::string_view::npos && Trim(line.substr(0, eq)) == key) {
            value = Trim(line.substr(eq + 1));
            return true;
        }
    }
    return false;
}

bool ReadEntry(const std::string& path, std::string& text)
{
    struct stat st{};
    return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && st.st_size <= TailleMaxEntree &&
        ReadWholeFile(path, text);
}

bool StartsProgram(const std::string& entryPath, const std::string& exePath)
{
    const std::string program = EntryProgram(entryPath);
    return !program.empty() && SameProgram(program, exePath);
}

// "%u", "%U" and "%F" become "%f", the codes without use for a file go,
// and a command without one gets " %f".
std::string WithFileCode(std::string_view exec)
{
    std::string out;
    bool hasFile = false;
    for (std::size_t i = 0; i < exec.size(); ++i) {
        if (exec[i] != '%' || i + 1 == exec.size()) {
            out += exec[i];
            continue;
        }
        const char code = exec[++i];
        if (code == '%') {
            out += "%%";
        } else if (std::strchr("fFuU", code)) {
            out += "%f";
            hasFile = true;
        } else if (!out.empty() && out.back() == ' ' && (i + 1 == exec.size() || exec[i + 1] == ' ')) {
            out.pop_back();
        }
    }
    while (!out.empty() && out.back() == ' ')
        out.pop_back();
    if (!hasFile)
        out += " %f";
    return out;
}

} // namespace desktop_detail

namespace {

bool IsFieldCode(std::string_view arg)
{
    return arg.size() == 2 && arg[0] == '%' && std::strchr("fFuUdDnNickvm", arg[1]) && arg[1] != '\0';
}

bool NeedsQuotes(std::string_view arg)
{
    if (arg.empty())
        return true;
    for (const char c : arg)
        if (std::strchr(" \t\n\"'\\><~|&;$*?#()`", c) || (static_cast<unsigned char>(c) < 0x20) || c == 0x7f)
            return true;
    return false;
}

} // namespace

std::string ExecValue(const std::vector<std::string>& args)
{
    std::string exec;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (i)
            exec += ' ';
        if (IsFieldCode(arg)) {
            exec += arg;
            continue;
        }
        const bool quote = NeedsQuotes(arg);
        if (quote)
            exec += '"';
        for (const char c : arg) {
            if (c == '%')
                exec += "%%";
            else if (quote && (c == '"' || c == '`' || c == '$' || c == '\\'))
                exec += {'\\', c};
            else
                exec += c;
        }
        if (quote)
            exec += '"';
    }
    return desktop_detail::EscapeString(exec);
}

std::vector<std::string> ExecArgs(std::string_view value)
{
    const std::string s = desktop_detail::UnescapeString(value);
    std::vector<std::string> args;
    std::string arg;
    bool inArg = false;
    // "%%" is one "%" wherever it stands; field codes stay.
    const auto percent = [&](std::size_t& i) {
        arg += '%';
        i += i + 1 < s.size() && s[i + 1] == '%' ? 2 : 1;
    };
    std::size_t i = 0;
    while (i < s.size()) {
        const char c = s[i];
        if (c == ' ' || c == '\t' || c == '\n') {
            if (inArg)
                args.push_back(std::move(arg));
            arg.clear();
            inArg = false;
            ++i;
            continue;
        }
        inArg = true;
        if (c == '"') {
            for (++i;; ) {
                if (i >= s.size())
                    return {};
                if (s[i] == '"') {
                    ++i;
                    break;
                }
                if (s[i] == '\\' && i + 1 < s.size() && std::strchr("\"`$\\", s[i + 1]) && s[i + 1] != '\0') {
                    arg += s[i + 1];
                    i += 2;
                } else if (s[i] == '%') {
                    percent(i);
                } else {
                    arg += s[i++];
                }
            }
        } else if (c == '\'') {
            // Not the entries' own syntax, but the shell's, which many follow.
            const auto end = s.find('\'', i + 1);
            if (end == std::string::npos)
                return {};
            for (++i; i < end;) {
                if (s[i] == '%')
                    percent(i);
                else
                    arg += s[i++];
            }
            i = end + 1;
        } else if (c == '\\' && i + 1 < s.size()) {
            arg += s[i + 1];
            i += 2;
        } else if (c == '%') {
            percent(i);
        } else {
            arg += c;
            ++i;
        }
    }
    if (inArg)
        args.push_back(std::move(arg));
    return args;
}

} // namespace kep
