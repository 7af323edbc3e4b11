// Checks of zip archives shared by the packer's tests: unzip -t, Python's
// zipfile and a reading of the raw headers.
#pragma once
#include "project/zip.h"
#include "support/TestDir.h"
#include <gtest/gtest.h>
#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/fsuid.h>
#include <sys/wait.h>
#include <unistd.h>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <map>
#include <optional>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace zipcheck {

using namespace kep;


inline std::string ShellQuote(const std::string& s)
{
    std::string q = "'";
    for (char c : s) {
        if (c == '\'')
            q += "'\\''";
        else
            q += c;
    }
    return q + "'";
}

// Runs a shell command; its exit status, and its standard output in *out.
inline int Shell(const std::string& command, std::string* out = nullptr)
{
    std::FILE* p = popen(command.c_str(), "r");
    if (!p)
        return -1;
    std::string text;
    char buf[65536];
    for (std::size_t n; (n = std::fread(buf, 1, sizeof buf, p)) > 0;)
        text.append(buf, n);
    const int status = pclose(p);
    if (out)
        *out = std::move(text);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

inline std::string Unhex(const std::string& h)
{
    std::string s;
    for (std::size_t i = 0; i + 1 < h.size(); i += 2)
        s += static_cast<char>(std::stoi(h.substr(i, 2), nullptr, 16));
    return s;
}

// An entry as Python's zipfile reads it back (content checked against its
// CRC by zipfile itself).
struct TPyEntry {
    std::string Content; // whole content up to 1 MiB
    std::uint64_t Size = 0;
    std::uint32_t Crc = 0;
    int Time[6] = {};
};

inline const char* PyScript = R"(
import sys, zipfile, zlib
z = zipfile.ZipFile(sys.argv[1])
for i in z.infolist():
    raw = i.filename.encode("utf-8" if i.flag_bits & 0x800 else "cp437")
    crc, size, keep = 0, 0, []
    with z.open(i) as f:
        while True:
            b = f.read(1 << 20)
            if not b:
                break
            crc = zlib.crc32(b, crc)
            size += len(b)
            if size <= (1 << 20):
                keep.append(b)
    content = b"".join(keep).hex() if size <= (1 << 20) else "-"
    print(raw.hex(), size, crc, content or "=", *i.date_time)
)";

inline std::map<std::string, TPyEntry> PyRead(const std::string& archive, bool* ok)
{
    std::string out;
    *ok = Shell("python3 -c " + ShellQuote(PyScript) + " " + ShellQuote(archive) + " 2>&1", &out) == 0;
    std::map<std::string, TPyEntry> entries;
    std::istringstream lines(out);
    std::string line;
    while (std::getline(lines, line)) {
        std::istringstream f(line);
        std::string name, content;
        TPyEntry e;
        f >> name >> e.Size >> e.Crc >> content;
        for (int& t : e.Time)
            f >> t;
        if (!f) {
            ADD_FAILURE() << "python: " << line;
            *ok = false;
            continue;
        }
        e.Content = content == "=" ? std::string() : Unhex(content);
        entries[Unhex(name)] = e;
    }
    if (!*ok)
        ADD_FAILURE() << out.substr(0, 2000);
    return entries;
}

// The names of the files under `dir`, as bytes, relative to it.
inline std::set<std::string> FilesUnder(const std::string& dir)
{
    std::set<std::string> names;
    for (const auto& e : std::filesystem::recursive_directory_iterator(dir))
        if (e.is_regular_file())
            names.insert(e.path().string().substr(dir.size() + 1));
    return names;
}

inline bool UnzipTest(const std::string& archive)
{
    return Shell("unzip -t -qq " + ShellQuote(archive) + " >/dev/null 2>&1") == 0;
}

// Headers read from the bytes, local and central side by side.
struct TRawEntry {
    std::string Name;
    std::uint16_t MadeBy = 0, NeededC = 0, FlagC = 0, MethodC = 0, ExtraC = 0, CommentC = 0, Internal = 0;
    std::uint32_t DosC = 0, CrcC = 0, External = 0;
    std::uint64_t CompC = 0, SizeC = 0, Offset = 0;
    std::uint16_t NeededL = 0, FlagL = 0, MethodL = 0, ExtraL = 0;
    std::uint32_t DosL = 0, CrcL = 0, CompL = 0, SizeL = 0;
    std::string NameL;
    bool Zip64 = false;
};

struct TRawArchive {
    bool Valid = false;
    bool HasZip64End = false;
    std::uint64_t Count = 0;
    std::uint16_t EndCount = 0;
    std::vector<TRawEntry> Entries;
};

inline std::uint64_t Le(const unsigned char* p, int n)
{
    std::uint64_t v = 0;
    for (int i = n - 1; i >= 0; --i)
        v = (v << 8) | p[i];
    return v;
}

inline TRawArchive ReadRaw(const std::string& archive)
{
    TRawArchive a;
    std::FILE* f = std::fopen(archive.c_str(), "rb");
    if (!f)
        return a;
    // Reads `size` bytes at `pos`; F(offset, width) then gives a field.
    std::string b;
    auto at = [&](std::uint64_t pos, std::size_t size) {
        b.assign(size, '\0');
        return fseeko(f, static_cast<off_t>(pos), SEEK_SET) == 0 && std::fread(b.data(), 1, size, f) == size;
    };
    auto F = [&](std::size_t off, int width) { return Le(reinterpret_cast<const unsigned char*>(b.data()) + off, width); };
    fseeko(f, 0, SEEK_END);
    const auto fileSize = static_cast<std::uint64_t>(ftello(f));
    // No archive comment is written, so the end record closes the file.
    bool ok = fileSize >= 22 && at(fileSize - 22, 22) && F(0, 4) == 0x06054b50;
    a.Count = a.EndCount = static_cast<std::uint16_t>(ok ? F(10, 2) : 0);
    std::uint64_t cdPos = ok ? F(16, 4) : 0;
    if (ok && fileSize >= 42 && at(fileSize - 42, 20) && F(0, 4) == 0x07064b50 && at(F(8, 8), 56)
        && F(0, 4) == 0x06064b50) {
        a.HasZip64End = true;
        a.Count = F(32, 8);
        cdPos = F(48, 8);
    }
    for (std::uint64_t i = 0, p = cdPos; ok && i < a.Count; ++i) {
        TRawEntry e;
        ok = at(p, 46) && F(0, 4) == 0x02014b50;
        if (!ok)
            break;
        e.MadeBy = F(4, 2), e.NeededC = F(6, 2), e.FlagC = F(8, 2), e.MethodC = F(10, 2), e.DosC = F(12, 4);
        e.CrcC = F(16, 4), e.CompC = F(20, 4), e.SizeC = F(24, 4), e.ExtraC = F(30, 2), e.CommentC = F(32, 2);
        e.Internal = F(36, 2), e.External = F(38, 4), e.Offset = F(42, 4);
        const std::size_t n = F(28, 2);
        at(p + 46, n + e.ExtraC);
        e.Name = b.substr(0, n);
        // The zip64 extra holds, in order, the fields left at all ones.
        for (std::size_t x = n; x + 4 <= b.size(); x += 4 + F(x + 2, 2)) {
            if (F(x, 2) != 1)
                continue;
            e.Zip64 = true;
            std::size_t q = x + 4;
            for (std::uint64_t* v : {&e.SizeC, &e.CompC, &e.Offset})
                if (*v == 0xFFFFFFFF)
                    *v = F(q, 8), q += 8;
        }
        p += 46 + n + e.ExtraC + e.CommentC;
        ok = at(e.Offset, 30) && F(0, 4) == 0x04034b50;
        if (!ok)
            break;
        e.NeededL = F(4, 2), e.FlagL = F(6, 2), e.MethodL = F(8, 2), e.DosL = F(10, 4), e.CrcL = F(14, 4);
        e.CompL = F(18, 4), e.SizeL = F(22, 4), e.ExtraL = F(28, 2);
        const std::size_t ln = F(26, 2);
        at(e.Offset + 30, ln);
        e.NameL = b;
        a.Entries.push_back(e);
    }
    std::fclose(f);
    a.Valid = ok;
    return a;
}

inline bool NonAscii(const std::string& s)
{
    for (unsigned char c : s)
        if (c >= 0x80)
            return true;
    return false;
}

// The header fields every entry of ours has, zip64 ones aside.
inline void CheckHeaders(const TRawArchive& raw)
{
    ASSERT_TRUE(raw.Valid);
    EXPECT_EQ(raw.Entries.size(), raw.Count);
    for (const TRawEntry& e : raw.Entries) {
        SCOPED_TRACE(e.Name);
        const std::uint16_t flag = 2 | (NonAscii(e.Name) ? 0x800 : 0);
        EXPECT_EQ(e.NameL, e.Name);
        EXPECT_EQ(e.FlagL, flag);
        EXPECT_EQ(e.FlagC, flag);
        EXPECT_EQ(e.MethodL, 8);
        EXPECT_EQ(e.MethodC, 8);
        EXPECT_EQ(e.DosL, e.DosC);
        EXPECT_EQ(e.CrcL, e.CrcC);
        EXPECT_EQ(e.CommentC, 0);
        EXPECT_EQ(e.Internal, 0);
        // Made on Unix: a regular file's mode in the high half.
        EXPECT_EQ(e.MadeBy, e.Zip64 ? 0x32D : 0x31E);
        EXPECT_EQ((e.External >> 16) & S_IFMT, unsigned(S_IFREG));
        EXPECT_EQ(e.External & 0xFFFE, 0u);
        if (!e.Zip64) {
            EXPECT_EQ(e.NeededL, 20);
            EXPECT_EQ(e.NeededC, 20);
            EXPECT_EQ(e.ExtraL, 0);
            EXPECT_EQ(e.ExtraC, 0);
            EXPECT_EQ(e.CompL, e.CompC);
            EXPECT_EQ(e.SizeL, e.SizeC);
        }
    }
}

// The DOS date and time, worked out apart from the code under test.
inline std::uint32_t LocalDos(std::time_t t)
{
    std::tm tm{};
    localtime_r(&t, &tm);
    return (std::uint32_t(tm.tm_year - 80) << 25) | (std::uint32_t(tm.tm_mon + 1) << 21) | (std::uint32_t(tm.tm_mday) << 16)
        | (std::uint32_t(tm.tm_hour) << 11) | (std::uint32_t(tm.tm_min) << 5) | std::uint32_t(tm.tm_sec / 2);
}

inline std::time_t MTime(const std::string& path)
{
    struct stat st{};
    stat(path.c_str(), &st);
    return st.st_mtime;
}

// The archive holds exactly `expected` (name -> content), readable by unzip
// and Python, with our header fields; `sources` (name -> file) gives the
// times each entry must carry.
inline void CheckArchive(const std::string& archive, const std::map<std::string, std::string>& expected,
                  const std::map<std::string, std::string>& sources = {})
{
    EXPECT_TRUE(UnzipTest(archive)) << archive;
    bool ok = false;
    const auto read = PyRead(archive, &ok);
    ASSERT_TRUE(ok);
    std::map<std::string, std::string> contents;
    for (const auto& [name, e] : read)
        contents[name] = e.Content;
    EXPECT_EQ(contents, expected);
    const TRawArchive raw = ReadRaw(archive);
    CheckHeaders(raw);
    EXPECT_EQ(raw.Entries.size(), expected.size());
    for (const TRawEntry& e : raw.Entries) {
        auto src = sources.find(e.Name);
        if (src == sources.end())
            continue;
        const std::uint32_t dos = LocalDos(MTime(src->second));
        EXPECT_EQ(e.DosC, dos) << e.Name;
        const TPyEntry& py = read.at(e.Name);
        EXPECT_EQ(py.Time[0], int(dos >> 25) + 1980);
        EXPECT_EQ(py.Time[5], int(dos & 31) * 2);
    }
}

// Names starting with "." in a folder: where a temporary archive would be.
inline std::vector<std::string> Hidden(const std::string& dir)
{
    std::vector<std::string> found;
    for (const auto& e : std::filesystem::directory_iterator(dir))
        if (e.path().filename().string()[0] == '.')
            found.push_back(e.path().filename().string());
    return found;
}

inline void Touch(const std::string& path, std::time_t t)
{
    timespec times[2] = {{t, 0}, {t, 0}};
    utimensat(AT_FDCWD, path.c_str(), times, 0);
}

// Sets an environment variable for a while (TZ taking effect at once).
struct TEnvVar {
    std::string Name;
    std::optional<std::string> Old;
    TEnvVar(const char* name, const char* value) : Name(name)
    {
        if (const char* o = std::getenv(name))
            Old = o;
        setenv(name, value, 1);
        tzset();
    }
    ~TEnvVar()
    {
        Old ? setenv(Name.c_str(), Old->c_str(), 1) : unsetenv(Name.c_str());
        tzset();
    }
};

} // namespace zipcheck
