#include "platform/FileIo.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kep {

namespace {

void SetError(std::string* error, const std::string& what)
{
    if (error)
        *error = what + " : " + std::strerror(errno);
}

// The file a write must replace: the target of a symbolic link (so the link
// survives), else the path itself.
std::string ResolveWriteTarget(const std::string& path)
{
    struct stat st{};
    if (lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) {
        char buf[PATH_MAX];
        if (realpath(path.c_str(), buf))
            return buf;
        // A dangling link: write where it points.
        ssize_t n = readlink(path.c_str(), buf, sizeof buf - 1);
        if (n > 0) {
            std::string target(buf, static_cast<size_t>(n));
            if (!target.empty() && target[0] != '/') {
                auto slash = path.rfind('/');
                if (slash != std::string::npos)
                    target = path.substr(0, slash + 1) + target;
            }
            return target;
        }
    }
    return path;
}


} // namespace

bool WriteAll(int fd, std::string_view data)
{
    const char* p = data.data();
    size_t left = data.size();
    while (left > 0) {
        ssize_t n = ::write(fd, p, left);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        p += n;
        left -= static_cast<size_t>(n);
    }
    return true;
}

bool FileExists(const std::string& path)
{
    struct stat st{};
    return !path.empty() && stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool IsReadOnlyFile(const std::string& path)
{
    // No write bit at all counts as read-only even for root, who may write
    // anything: that is how the read-only attribute is kept here.
    struct stat st{};
    if (path.empty() || stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode))
        return false;
    return (st.st_mode & 0222) == 0 || access(path.c_str(), W_OK) != 0;
}

namespace {

// A descriptor on a file that can be read (not a folder), or -1.
int OpenForReading(const std::string& path, struct stat& st)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd >= 0 && (fstat(fd, &st) != 0 || S_ISDIR(st.st_mode))) {
        ::close(fd);
        return -1;
    }
    return fd;
}

// read() going on after interrupted calls.
ssize_t ReadSome(int fd, char* to, size_t size)
{
    for (;;) {
        const ssize_t n = ::read(fd, to, size);
        if (n >= 0 || errno != EINTR)
            return n;
    }
}

} // namespace

bool ReadWholeFile(const std::string& path, std::string& out)
{
    struct stat st{};
    const int fd = OpenForReading(path, st);
    if (fd < 0)
        return false;
    std::string data;
    data.resize(st.st_size > 0 ? static_cast<size_t>(st.st_size) : 0);
    size_t got = 0;
    for (;;) {
        if (got == data.size())
            data.resize(data.size() + 65536);
        const ssize_t n = ReadSome(fd, data.data() + got, data.size() - got);
        if (n < 0) {
            ::close(fd);
            return false;
        }
        if (n == 0)
            break;
        got += static_cast<size_t>(n);
    }
    ::close(fd);
    data.resize(got);
    out = std::move(data);
    return true;
}

bool ReadFileInPieces(const std::string& path, const std::function<void(std::string_view)>& sink)
{
    struct stat st{};
    const int fd = OpenForReading(path, st);
    if (fd < 0)
        return false;
    // A quarter of a megabyte: large enough for few calls, small enough to
    // stay in the second-level cache while the sink works on it.
    constexpr size_t Piece = 1 << 18;
    std::unique_ptr<char[]> buffer(new char[Piece]);
    for (;;) {
        const ssize_t n = ReadSome(fd, buffer.get(), Piece);
        if (n < 0) {
            ::close(fd);
            return false;
        }
        if (n == 0)
            break;
        sink(std::string_view(buffer.get(), static_cast<size_t>(n)));
    }
    ::close(fd);
    return true;
}

std::uint64_t FileSize(const std::string& path)
{
    struct stat st{};
    if (path.empty() || stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode))
        return 0;
    return static_cast<std::uint64_t>(st.st_size);
}

bool ReplaceFileContents(const std::string& target, std::string_view data, unsigned mode, std::string* error)
{
    const auto slash = target.rfind('/');
    const std::string dir = slash == std::string::npos ? std::string(".") : target.substr(0, slash == 0 ? 1 : slash);
    const std::string base = slash == std::string::npos ? target : target.substr(slash + 1);

    std::string tmp = dir + "/." + base + ".kepXXXXXX";
    int fd = mkstemp(tmp.data());
    if (fd < 0) {
        SetError(error, "Impossible de créer un fichier temporaire dans " + dir);
        return false;
    }
    bool ok = WriteAll(fd, data);
    if (!ok)
        SetError(error, "Erreur d'écriture de " + target);
    if (ok && fsync(fd) != 0) {
        SetError(error, "Erreur d'écriture de " + target);
        ok = false;
    }
    if (ok && fchmod(fd, mode_t(mode)) != 0) {
        SetError(error, "Impossible de fixer les droits de " + target);
        ok = false;
    }
    if (::close(fd) != 0 && ok) {
        SetError(error, "Erreur d'écriture de " + target);
        ok = false;
    }
    if (ok && ::rename(tmp.c_str(), target.c_str()) != 0) {
        SetError(error, "Impossible de remplacer " + target);
        ok = false;
    }
    if (!ok)
        ::unlink(tmp.c_str());
    return ok;
}

bool WriteFileAtomic(const std::string& path, std::string_view data, std::string* error)
{
    const std::string target = ResolveWriteTarget(path);
    // A file the user may not write stays as it is, as it would on a
    // system where the write opens the file itself.
    if (IsReadOnlyFile(target)) {
        errno = EACCES;
        SetError(error, "Accès refusé à " + target);
        return false;
    }
    // Keep the permissions of the file being replaced; a new file gets the
    // usual mode filtered by the umask.
    struct stat st{};
    mode_t mode;
    if (stat(target.c_str(), &st) == 0) {
        mode = st.st_mode & 07777;
    } else {
        mode_t mask = umask(0);
        umask(mask);
        mode = 0666 & ~mask;
    }
    return ReplaceFileContents(target, data, mode, error);
}

std::int64_t FileModTimeNs(const std::string& path)
{
    struct stat st{};
    if (stat(path.c_str(), &st) != 0)
        return 0;
    return static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1000000000LL + st.st_mtim.tv_nsec;
}

} // namespace kep
