#include "project/zip.h"

#include <minizip/zip.h>
#include <zlib.h>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <memory>
#include <string_view>

namespace kep {

namespace {

// One buffer for every file: memory stays the same whatever the file size.
constexpr std::size_t ReadBufferSize = 256 * 1024;
constexpr std::uint64_t ProgressStep = 4 * 1024 * 1024;
// The format's name length field is 16 bits wide.
constexpr std::size_t MaxEntryName = 0xFFFF;
constexpr uLong Utf8Flag = 0x800;
constexpr uInt DeflateOutSize = 64 * 1024;

std::string Reason(const std::string& context, int error)
{
    return context + " : " + std::strerror(error);
}

std::string WithoutFinalSlash(const std::string& folder)
{
    std::string f = folder;
    while (f.size() > 1 && f.back() == '/')
        f.pop_back();
    return f;
}

// Strict UTF-8: no overlong forms, no surrogates, nothing past U+10FFFF.
bool IsUtf8(std::string_view s)
{
    std::size_t i = 0;
    while (i < s.size()) {
        const auto c = static_cast<unsigned char>(s[i]);
        std::size_t len;
        std::uint32_t cp;
        if (c < 0x80) {
            ++i;
            continue;
        } else if (c >= 0xC2 && c <= 0xDF) {
            len = 2;
            cp = c & 0x1F;
        } else if (c >= 0xE0 && c <= 0xEF) {
            len = 3;
            cp = c & 0x0F;
        } else if (c >= 0xF0 && c <= 0xF4) {
            len = 4;
            cp = c & 0x07;
        } else {
            return false;
        }
        if (i + len > s.size())
            return false;
        for (std::size_t k = 1; k < len; ++k) {
            const auto cc = static_cast<unsigned char>(s[i + k]);
            if ((cc & 0xC0) != 0x80)
                return false;
            cp = (cp << 6) | (cc & 0x3F);
        }
        if ((len == 3 && cp < 0x800) || (len == 4 && cp < 0x10000) || cp > 0x10FFFF
            || (cp >= 0xD800 && cp <= 0xDFFF))
            return false;
        i += len;
    }
    return true;
}

bool HasHighBytes(std::string_view s)
{
    for (char c : s)
        if (static_cast<unsigned char>(c) >= 0x80)
            return true;
    return false;
}

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

// The archive as minizip sees it: stdio over the temporary file's
// descriptor, keeping the first errno so that the message can say why
// minizip gave up (its return codes do not).
struct TArchiveFile {
    int Fd = -1;
    std::FILE* File = nullptr;
    int Error = 0;

    void Note()
    {
        if (Error == 0)
            Error = errno != 0 ? errno : EIO;
    }
};

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

struct TFileId {
    dev_t Dev = 0;
    ino_t Ino = 0;
    bool Set = false;

    bool Is(const struct stat& st) const { return Set && st.st_dev == Dev && st.st_ino == Ino; }
};

class TPacker {
public:
    TPacker(const std::string& archive, std::size_t start, const TZipOptions& options, TZipReport& report)
        : Archive_(archive), Start_(start == 0 ? 1 : start), Options_(options), Report_(report)
    {
    }

    ~TPacker()
    {
        if (DeflateReady_)
            deflateEnd(&Deflate_);
    }
    TPacker(const TPacker&) = delete;
    TPacker& operator=(const TPacker&) = delete;

    // False when the walk had to stop; Report_.Message then says why.
    bool Run(zipFile zip, const std::string& root, const std::string& realRoot, TFileId temp, TFileId old)
    {
        Zip_ = zip;
        RealRoot_ = realRoot;
        Temp_ = temp;
        Old_ = old;
        Buffer_.reset(new char[ReadBufferSize]);
        return WalkFolder(root, true);
    }

    TArchiveFile File;

private:
    void Fail(const std::string& english, const std::string& french)
    {
        Report_.Message = english + "\n" + french + "\nL'archive " + Archive_ + " n'a pas été créée.";
    }

    // Why minizip refused: the archive's write error when there was one.
    std::string ArchiveReason(int code) const
    {
        if (File.Error != 0)
            return Reason("Écriture impossible dans " + Archive_, File.Error);
        return "Erreur " + std::to_string(code) + " de la bibliothèque zip dans " + Archive_;
    }

    void Skip(const std::string& path) { Report_.Skipped.push_back(path); }

    bool WalkFolder(const std::string& dir, bool root)
    {
        // O_NOFOLLOW: a folder that became a link meanwhile is not walked.
        int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC | (root ? 0 : O_NOFOLLOW));
        DIR* d = fd >= 0 ? fdopendir(fd) : nullptr;
        if (!d) {
            const int e = errno;
            if (fd >= 0)
                ::close(fd);
            if (!root && (e == ENOENT || e == ELOOP || e == ENOTDIR)) {
                Skip(dir);
                return true;
            }
            Fail("Error reading folder " + dir, Reason("Lecture impossible du dossier " + dir, e));
            return false;
        }
        // The listing is read whole first so that only one folder is open
        // at a time, however deep the tree.
        struct TItem {
            std::string Name;
            unsigned char Type;
        };
        std::vector<TItem> items;
        for (;;) {
            errno = 0;
            const dirent* e = readdir(d);
            if (!e)
                break;
            if (std::strcmp(e->d_name, ".") == 0 || std::strcmp(e->d_name, "..") == 0)
                continue;
            items.push_back({e->d_name, e->d_type});
        }
        const int readError = errno;
        closedir(d);
        if (readError != 0) {
            Fail("Error reading folder " + dir, Reason("Lecture impossible du dossier " + dir, readError));
            return false;
        }
        for (const TItem& item : items) {
            const std::string path = dir + "/" + item.Name;
            unsigned char type = item.Type;
            if (type == DT_UNKNOWN) {
                struct stat st{};
                if (lstat(path.c_str(), &st) != 0) {
                    if (errno == ENOENT) {
                        Skip(path);
                        continue;
                    }
                    Fail("error in opening " + path + " in zipfile", Reason("Ouverture impossible de " + path, errno));
                    return false;
                }
                type = S_ISDIR(st.st_mode) ? DT_DIR : S_ISREG(st.st_mode) ? DT_REG : S_ISLNK(st.st_mode) ? DT_LNK : DT_FIFO;
            }
            bool ok = true;
            if (type == DT_DIR)
                ok = WalkFolder(path, false);
            else if (type == DT_REG)
                ok = AddFile(path, path);
            else if (type == DT_LNK)
                ok = AddLink(path);
            else
                Skip(path);
            if (!ok)
                return false;
        }
        return true;
    }

    // Only a link to a regular file that stays inside the folder is packed,
    // so that the archive never carries files from elsewhere.
    bool AddLink(const std::string& path)
    {
        struct stat st{};
        if (stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) {
            Skip(path);
            return true;
        }
        char buf[PATH_MAX];
        if (!realpath(path.c_str(), buf)) {
            Skip(path);
            return true;
        }
        const std::string real = buf;
        const bool inside = RealRoot_ == "/" ? true
                                             : real.size() > RealRoot_.size() && real.compare(0, RealRoot_.size(), RealRoot_) == 0
                                                   && real[RealRoot_.size()] == '/';
        if (!inside) {
            Skip(path);
            return true;
        }
        return AddFile(path, real);
    }

    // `path` gives the entry's name, `source` the file read.
    bool AddFile(const std::string& path, const std::string& source)
    {
        // O_NONBLOCK: a fifo slipped in since the listing must not block.
        const int fd = ::open(source.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
        if (fd < 0) {
            if (errno == ENOENT || errno == ELOOP) {
                Skip(path);
                return true;
            }
            Fail("error in opening " + path + " in zipfile", Reason("Ouverture impossible de " + path, errno));
            return false;
        }
        struct stat st{};
        if (fstat(fd, &st) != 0) {
            const int e = errno;
            ::close(fd);
            Fail("error in opening " + path + " in zipfile", Reason("Ouverture impossible de " + path, e));
            return false;
        }
        if (!S_ISREG(st.st_mode) || Temp_.Is(st) || Old_.Is(st)) {
            if (!S_ISREG(st.st_mode))
                Skip(path);
            ::close(fd);
            return true;
        }
        const bool ok = Pack(fd, path, st);
        ::close(fd);
        return ok;
    }

    bool Pack(int fd, const std::string& path, const struct stat& st)
    {
        const std::string name = Start_ - 1 < path.size() ? path.substr(Start_ - 1) : std::string();
        if (name.empty() || name.size() > MaxEntryName) {
            Fail("error in opening " + path + " in zipfile",
                 "Nom de " + std::to_string(name.size()) + " octets impossible dans une archive zip : " + path);
            return false;
        }
        if (Options_.Progress)
            Options_.Progress(path, 0);

        zip_fileinfo info{};
        info.dosDate = DosDateTime(st.st_mtime);
        const uLong flags = HasHighBytes(name) && IsUtf8(name) ? Utf8Flag : 0;
        const int zip64 = static_cast<std::uint64_t>(st.st_size) >= 0xFFFFFFFFu ? 1 : 0;
        // Deflated here and handed over raw: minizip would otherwise copy
        // zlib's text-or-binary guess into the internal attributes, which
        // must stay 0. The level still gives the header its flag bits.
        int err = zipOpenNewFileInZip4_64(Zip_, name.c_str(), &info, nullptr, 0, nullptr, 0, nullptr, Z_DEFLATED, 9, 1,
                                          -MAX_WBITS, 8, Z_DEFAULT_STRATEGY, nullptr, 0, 0, flags, zip64);
        if (err == ZIP_OK && !StartDeflate())
            err = ZIP_INTERNALERROR;
        if (err != ZIP_OK) {
            Fail("error in opening " + path + " in zipfile", ArchiveReason(err));
            return false;
        }

        uLong crc = crc32(0, nullptr, 0);
        std::uint64_t done = 0;
        std::uint64_t nextProgress = ProgressStep;
        for (;;) {
            const ssize_t n = Options_.Read ? Options_.Read(fd, Buffer_.get(), ReadBufferSize)
                                            : ::read(fd, Buffer_.get(), ReadBufferSize);
            if (n < 0) {
                if (errno == EINTR)
                    continue;
                Fail("Error in writing " + path + " in the zipfile", Reason("Lecture impossible de " + path, errno));
                return false;
            }
            if (n == 0)
                break;
            crc = crc32(crc, reinterpret_cast<const Bytef*>(Buffer_.get()), static_cast<uInt>(n));
            Deflate_.next_in = reinterpret_cast<Bytef*>(Buffer_.get());
            Deflate_.avail_in = static_cast<uInt>(n);
            err = Compress(Z_NO_FLUSH);
            if (err != ZIP_OK) {
                Fail("Error in writing " + path + " in the zipfile", ArchiveReason(err));
                return false;
            }
            done += static_cast<std::uint64_t>(n);
            if (Options_.Progress && done >= nextProgress) {
                Options_.Progress(path, done);
                nextProgress = done + ProgressStep;
            }
        }
        err = Compress(Z_FINISH);
        if (err != ZIP_OK) {
            Fail("Error in writing " + path + " in the zipfile", ArchiveReason(err));
            return false;
        }

        err = zipCloseFileInZipRaw64(Zip_, done, crc);
        if (err != ZIP_OK) {
            Fail("Error in closing " + path + " in the zipfile", ArchiveReason(err));
            return false;
        }
        ++Report_.Entries;
        Report_.Bytes += done;
        return true;
    }

    // One deflate state for the whole run: a fresh one per file would cost
    // its ~300 KiB of tables for every small source.
    bool StartDeflate()
    {
        if (DeflateReady_)
            return deflateReset(&Deflate_) == Z_OK;
        if (deflateInit2(&Deflate_, 9, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY) != Z_OK)
            return false;
        DeflateReady_ = true;
        if (!Out_)
            Out_.reset(new Bytef[DeflateOutSize]);
        return true;
    }

    // Deflates what is in Deflate_'s input and passes the output to minizip.
    int Compress(int flush)
    {
        for (;;) {
            Deflate_.next_out = Out_.get();
            Deflate_.avail_out = DeflateOutSize;
            const int r = deflate(&Deflate_, flush);
            if (r == Z_STREAM_ERROR)
                return ZIP_INTERNALERROR;
            const auto have = static_cast<unsigned>(DeflateOutSize - Deflate_.avail_out);
            if (have > 0) {
                const int err = zipWriteInFileInZip(Zip_, Out_.get(), have);
                if (err != ZIP_OK)
                    return err;
            }
            if (flush == Z_FINISH ? r == Z_STREAM_END : Deflate_.avail_out != 0)
                return ZIP_OK;
        }
    }

    std::string Archive_;
    std::size_t Start_;
    const TZipOptions& Options_;
    TZipReport& Report_;
    zipFile Zip_ = nullptr;
    z_stream Deflate_{};
    bool DeflateReady_ = false;
    std::unique_ptr<Bytef[]> Out_;
    std::string RealRoot_;
    TFileId Temp_;
    TFileId Old_;
    std::unique_ptr<char[]> Buffer_;
};

} // namespace

std::uint32_t DosDateTime(std::int64_t unixSeconds)
{
    constexpr std::uint32_t First = (1u << 21) | (1u << 16);
    constexpr std::uint32_t Last = (127u << 25) | (12u << 21) | (31u << 16) | (23u << 11) | (59u << 5) | 29u;
    const auto t = static_cast<std::time_t>(unixSeconds);
    std::tm tm{};
    if (!localtime_r(&t, &tm))
        return unixSeconds < 0 ? First : Last;
    const long year = static_cast<long>(tm.tm_year) + 1900;
    if (year < 1980)
        return First;
    if (year > 2107)
        return Last;
    return (static_cast<std::uint32_t>(year - 1980) << 25) | (static_cast<std::uint32_t>(tm.tm_mon + 1) << 21)
        | (static_cast<std::uint32_t>(tm.tm_mday) << 16) | (static_cast<std::uint32_t>(tm.tm_hour) << 11)
        | (static_cast<std::uint32_t>(tm.tm_min) << 5) | static_cast<std::uint32_t>(tm.tm_sec / 2);
}

std::size_t ZipStartRelative(const std::string& folder)
{
    return WithoutFinalSlash(folder).size() + 2;
}

std::size_t ZipStartWithFolder(const std::string& folder)
{
    const std::string f = WithoutFinalSlash(folder);
    const auto slash = f.rfind('/');
    return slash == std::string::npos ? 1 : slash + 2;
}

std::size_t ZipStartFullPath(const std::string& folder)
{
    // A relative folder has no leading "/" to skip.
    return !folder.empty() && folder[0] == '/' ? 2 : 1;
}

TZipReport ZipFolder(const std::string& folder, const std::string& archive, std::size_t start,
                     const TZipOptions& options)
{
    TZipReport report;
    const std::string root = WithoutFinalSlash(folder);
    // localtime_r need not look at TZ again by itself.
    tzset();

    char realBuf[PATH_MAX];
    struct stat rootSt{};
    int rootError = 0;
    if (stat(root.c_str(), &rootSt) != 0)
        rootError = errno;
    else if (!S_ISDIR(rootSt.st_mode))
        rootError = ENOTDIR;
    else if (!realpath(root.c_str(), realBuf))
        rootError = errno;
    if (rootError != 0) {
        const int e = rootError;
        report.Message = "Error reading folder " + root + "\n" + Reason("Lecture impossible du dossier " + root, e)
            + "\nL'archive " + archive + " n'a pas été créée.";
        return report;
    }

    const auto slash = archive.rfind('/');
    const std::string dir = slash == std::string::npos ? std::string(".") : archive.substr(0, slash == 0 ? 1 : slash);
    const std::string base = slash == std::string::npos ? archive : archive.substr(slash + 1);
    std::string tmp = dir + "/." + base + ".XXXXXX";
    const int fd = mkostemp(tmp.data(), O_CLOEXEC);
    if (fd < 0) {
        report.Message = "Error opening " + archive + "\n" + Reason("Création impossible de l'archive " + archive, errno);
        return report;
    }

    TFileId temp, old;
    struct stat st{};
    if (fstat(fd, &st) == 0)
        temp = {st.st_dev, st.st_ino, true};
    if (stat(archive.c_str(), &st) == 0 && S_ISREG(st.st_mode))
        old = {st.st_dev, st.st_ino, true};

    TPacker packer(archive, start, options, report);
    packer.File.Fd = fd;
    zlib_filefunc64_def io{};
    io.zopen64_file = ArchiveOpen;
    io.zread_file = ArchiveRead;
    io.zwrite_file = ArchiveWrite;
    io.ztell64_file = ArchiveTell;
    io.zseek64_file = ArchiveSeek;
    io.zclose_file = ArchiveClose;
    io.zerror_file = ArchiveError;
    io.opaque = &packer.File;

    zipFile zip = zipOpen2_64(tmp.c_str(), APPEND_STATUS_CREATE, nullptr, &io);
    if (!zip) {
        const int e = packer.File.Error != 0 ? packer.File.Error : EIO;
        // minizip closes the file itself when it fails after opening it.
        if (packer.File.File)
            std::fclose(packer.File.File);
        else if (packer.File.Fd >= 0)
            ::close(packer.File.Fd);
        ::unlink(tmp.c_str());
        report.Message = "Error opening " + archive + "\n" + Reason("Création impossible de l'archive " + archive, e);
        return report;
    }

    const bool walked = packer.Run(zip, root, realBuf, temp, old);
    if (walked)
        fchmod(fd, 0666 & ~CurrentUmask());
    // Closed even after a failure: minizip frees its state there.
    const int closed = zipClose(zip, nullptr);
    if (!walked) {
        ::unlink(tmp.c_str());
        return report;
    }
    if (closed != ZIP_OK) {
        const int e = packer.File.Error != 0 ? packer.File.Error : EIO;
        ::unlink(tmp.c_str());
        report.Message = "Error while closing " + archive + "\n" + Reason("Écriture impossible de l'archive " + archive, e)
            + "\nL'archive " + archive + " n'a pas été créée.";
        return report;
    }
    if (report.Entries >= 0xFFFF) {
        if (const int e = AddZip64End(tmp, report.Entries)) {
            ::unlink(tmp.c_str());
            report.Message = "Error while closing " + archive + "\n"
                + Reason("Écriture impossible de l'archive " + archive, e) + "\nL'archive " + archive
                + " n'a pas été créée.";
            return report;
        }
    }
    if (::rename(tmp.c_str(), archive.c_str()) != 0) {
        const int e = errno;
        ::unlink(tmp.c_str());
        report.Message = "Error while closing " + archive + "\n"
            + Reason("Impossible de remplacer " + archive + " par " + tmp, e) + "\nL'archive " + archive
            + " n'a pas été créée.";
        return report;
    }
    report.Ok = true;
    return report;
}

} // namespace kep
