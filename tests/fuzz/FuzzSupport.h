#pragma once
// Shared pieces of the fuzz targets: a scratch folder of the process's own
// and a check that stops the run with a message (a finding).
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <unistd.h>

namespace kep::fuzz {

// A folder for this process only, in memory when /dev/shm exists, so that
// writing the input to a file costs little and parallel runs do not meet.
inline const std::string& ScratchDir()
{
    static const std::string dir = [] {
        const char* base = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : (getenv("TMPDIR") ? getenv("TMPDIR") : "/tmp");
        std::string tmpl = std::string(base) + "/kep_fuzz_XXXXXX";
        if (!mkdtemp(tmpl.data())) {
            std::perror("mkdtemp");
            std::abort();
        }
        return tmpl;
    }();
    return dir;
}

inline std::string ScratchFile(const char* name)
{
    return ScratchDir() + "/" + name;
}

[[noreturn]] inline void Fail(const char* what, const char* file, int line)
{
    std::fprintf(stderr, "%s:%d: check failed: %s\n", file, line, what);
    std::abort();
}

// CR LF, lone CR and lone LF each become CR LF.
inline std::string NormaliseLineEnds(std::string_view s)
{
    std::string out;
    out.reserve(s.size() + s.size() / 8);
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '\r') {
            if (i + 1 < s.size() && s[i + 1] == '\n')
                ++i;
            out += "\r\n";
        } else if (s[i] == '\n') {
            out += "\r\n";
        } else {
            out += s[i];
        }
    }
    return out;
}

} // namespace kep::fuzz

#define KEP_FUZZ_CHECK(cond)                                                                                           \
    do {                                                                                                               \
        if (!(cond))                                                                                                   \
            ::kep::fuzz::Fail(#cond, __FILE__, __LINE__);                                                              \
    } while (0)
