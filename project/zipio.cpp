#include "project/zipio.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace kep::zipio {

// umask() can only be read by changing it, which would race with other
// threads creating files; the kernel shows it in /proc since Linux 4.7.
mode_t CurrentUmask()
{
    if (std::FILE* f = std::fopen("/proc/self/status", "re")) {
        char line[256];
        while (std::fgets(line, sizeof line, f)) {
            if (std::strncmp(line, "Umask:", 6) == 0) {
                std::fclose(f);
                return static_cast<mode_t>(std::strtoul(line + 6, nullptr, 8));
            }
        }
        std::fclose(f);
    }
    const mode_t mask = umask(0);
    umask(mask);
    return mask;
}

void TArchiveFile::Note()
{
    if (Error == 0)
        Error = errno != 0 ? errno : EIO;
}

namespace {

voidpf ArchiveOpen(voidpf opaque, const void*, int)
{
    auto* a = static_cast<TArchiveFile*>(opaque);
    a->File = fdopen(a->Fd, "w+b");
    if (!a->File) {
        a->Note();
        return nullptr;
    }
    // Larger than the default so that a run of small entries' headers goes
    // out in few writes.
    std::setvbuf(a->File, nullptr, _IOFBF, 64 * 1024);
    return a->File;
}

uLong ArchiveRead(voidpf opaque, voidpf stream, void* buf, uLong size)
{
    const std::size_t n = std::fread(buf, 1, size, static_cast<std::FILE*>(stream));
    if (n != size && std::ferror(static_cast<std::FILE*>(stream)))
        static_cast<TArchiveFile*>(opaque)->Note();
    return static_cast<uLong>(n);
}

uLong ArchiveWrite(voidpf opaque, voidpf stream, const void* buf, uLong size)
{
    const std::size_t n = std::fwrite(buf, 1, size, static_cast<std::FILE*>(stream));
    if (n != size)
        static_cast<TArchiveFile*>(opaque)->Note();
    return static_cast<uLong>(n);
}

ZPOS64_T ArchiveTell(voidpf, voidpf stream)
{
    const off_t pos = ftello(static_cast<std::FILE*>(stream));
    return pos < 0 ? static_cast<ZPOS64_T>(-1) : static_cast<ZPOS64_T>(pos);
}

long ArchiveSeek(voidpf opaque, voidpf stream, ZPOS64_T offset, int origin)
{
    int whence = SEEK_SET;
    if (origin == ZLIB_FILEFUNC_SEEK_CUR)
        whence = SEEK_CUR;
    else if (origin == ZLIB_FILEFUNC_SEEK_END)
        whence = SEEK_END;
    // fseeko flushes the buffer first: a failed write often shows here.
    if (fseeko(static_cast<std::FILE*>(stream), static_cast<off_t>(offset), whence) != 0) {
        static_cast<TArchiveFile*>(opaque)->Note();
        return -1;
    }
    return 0;
}

int ArchiveClose(voidpf opaque, voidpf stream)
{
    auto* a = static_cast<TArchiveFile*>(opaque);
    a->File = nullptr;
    a->Fd = -1;
    if (std::fclose(static_cast<std::FILE*>(stream)) != 0) {
        a->Note();
        return -1;
    }
    return 0;
}

int ArchiveError(voidpf, voidpf stream)
{
    return std::ferror(static_cast<std::FILE*>(stream));
}

void PutLe(unsigned char* p, std::uint64_t v, int n)
{
    for (int i = 0; i < n; ++i, v >>= 8)
        p[i] = static_cast<unsigned char>(v);
}

std::uint64_t GetLe(const unsigned char* p, int n)
{
    std::uint64_t v = 0;
    for (int i = n - 1; i >= 0; --i)
        v = (v << 8) | p[i];
    return v;
}

} // namespace

zlib_filefunc64_def Functions(TArchiveFile* file)
{
    zlib_filefunc64_def io{};
    io.zopen64_file = ArchiveOpen;
    io.zread_file = ArchiveRead;
    io.zwrite_file = ArchiveWrite;
    io.ztell64_file = ArchiveTell;
    io.zseek64_file = ArchiveSeek;
    io.zclose_file = ArchiveClose;
    io.zerror_file = ArchiveError;
    io.opaque = file;
    return io;
}

// minizip 1.1 writes the zip64 end records only when the central directory
// starts past 4 GiB; with 65,535 entries or more and a smaller archive the
// end record's count is stuck at 0xFFFF and readers see too few entries.
// The records are then put in before the end record, as later minizip
// versions do. 0 or an errno.
int AddZip64End(const std::string& path, std::uint64_t entries)
{
    const int fd = ::open(path.c_str(), O_RDWR | O_CLOEXEC);
    if (fd < 0)
        return errno;
    struct stat st{};
    unsigned char tail[42];
    int error = 0;
    if (fstat(fd, &st) != 0)
        error = errno;
    else if (st.st_size < 42 || pread(fd, tail, 42, st.st_size - 42) != 42)
        error = errno != 0 ? errno : EIO;
    const unsigned char* end = tail + 20;
    if (error == 0 && GetLe(end, 4) == 0x06054b50 && GetLe(tail, 4) != 0x07064b50) {
        const std::uint64_t cdSize = GetLe(end + 12, 4);
        const std::uint64_t cdPos = GetLe(end + 16, 4);
        const auto recordPos = static_cast<std::uint64_t>(st.st_size) - 22;
        unsigned char out[56 + 20 + 22] = {};
        unsigned char* r = out;
        PutLe(r, 0x06064b50, 4);
        PutLe(r + 4, 44, 8);
        PutLe(r + 12, 45, 2); // made by
        PutLe(r + 14, 45, 2); // needed
        PutLe(r + 24, entries, 8);
        PutLe(r + 32, entries, 8);
        PutLe(r + 40, cdSize, 8);
        PutLe(r + 48, cdPos, 8);
        unsigned char* l = out + 56;
        PutLe(l, 0x07064b50, 4);
        PutLe(l + 8, recordPos, 8);
        PutLe(l + 16, 1, 4);
        std::memcpy(out + 76, end, 22);
        PutLe(out + 76 + 8, 0xFFFF, 2);
        PutLe(out + 76 + 10, 0xFFFF, 2);
        if (pwrite(fd, out, sizeof out, static_cast<off_t>(recordPos)) != static_cast<ssize_t>(sizeof out))
            error = errno != 0 ? errno : EIO;
    }
    if (::close(fd) != 0 && error == 0)
        error = errno;
    return error;
}

} // namespace kep::zipio
