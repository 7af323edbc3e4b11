#include "project/zip.h"

#include "project/zipio.h"

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
#include <map>
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
constexpr uLong UnixHost = 3u << 8;
constexpr uLong DosReadOnly = 0x01;
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

    zipio::TArchiveFile File;
    // Files whose reading failed half-way in an earlier run, and their errno.
    std::map<std::string, int> FailedBefore;
    // Set when this run stopped on such a file.
    std::pair<std::string, int> FailedMidway;

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
    void Omit(const std::string& path, int error, bool folder)
    {
        Report_.Unreadable.push_back({path, error != 0 ? error : EIO, folder});
    }

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
            if (!root) {
                Omit(dir, e, true);
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
            if (root) {
                Fail("Error reading folder " + dir, Reason("Lecture impossible du dossier " + dir, readError));
                return false;
            }
            // What was listed is packed; the folder is told as not whole.
            Omit(dir, readError, true);
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
                    Omit(path, errno, false);
                    continue;
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
        if (const auto f = FailedBefore.find(path); f != FailedBefore.end()) {
            Omit(path, f->second, false);
            return true;
        }
        // O_NONBLOCK: a fifo slipped in since the listing must not block.
        const int fd = ::open(source.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
        if (fd < 0) {
            if (errno == ENOENT || errno == ELOOP) {
                Skip(path);
                return true;
            }
            Omit(path, errno, false);
            return true;
        }
        struct stat st{};
        if (fstat(fd, &st) != 0) {
            const int e = errno;
            ::close(fd);
            Omit(path, e, false);
            return true;
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
        // The first piece is read before the entry is opened, so that a file
        // that cannot be read at all is left out without a trace.
        ssize_t n = ReadPiece(fd);
        if (n < 0) {
            Omit(path, errno, false);
            return true;
        }

        zip_fileinfo info{};
        info.dosDate = DosDateTime(st.st_mtime);
        // Made on Unix, with the file's mode: Info-ZIP's unzip takes the
        // names of entries made on FAT for OEM text and garbles UTF-8 ones,
        // and leaves files extracted from such entries without their mode.
        info.external_fa = (static_cast<uLong>(S_IFREG | (st.st_mode & 07777)) << 16)
            | ((st.st_mode & 0222) == 0 ? DosReadOnly : 0);
        const uLong flags = HasHighBytes(name) && IsUtf8(name) ? Utf8Flag : 0;
        const int zip64 = static_cast<std::uint64_t>(st.st_size) >= 0xFFFFFFFFu ? 1 : 0;
        const uLong madeBy = UnixHost | (zip64 ? 45u : 30u);
        // Deflated here and handed over raw: minizip would otherwise copy
        // zlib's text-or-binary guess into the internal attributes, which
        // must stay 0. The level still gives the header its flag bits.
        int err = zipOpenNewFileInZip4_64(Zip_, name.c_str(), &info, nullptr, 0, nullptr, 0, nullptr, Z_DEFLATED, 9, 1,
                                          -MAX_WBITS, 8, Z_DEFAULT_STRATEGY, nullptr, 0, madeBy, flags, zip64);
        if (err == ZIP_OK && !StartDeflate())
            err = ZIP_INTERNALERROR;
        if (err != ZIP_OK) {
            Fail("error in opening " + path + " in zipfile", ArchiveReason(err));
            return false;
        }

        uLong crc = crc32(0, nullptr, 0);
        std::uint64_t done = 0;
        std::uint64_t nextProgress = ProgressStep;
        for (;; n = ReadPiece(fd)) {
            if (n < 0) {
                // Part of it is in the archive already, which minizip cannot
                // take back: the archive is made again without it.
                const int e = errno != 0 ? errno : EIO;
                FailedMidway = {path, e};
                Fail("Error in writing " + path + " in the zipfile", Reason("Lecture impossible de " + path, e));
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

    ssize_t ReadPiece(int fd)
    {
        for (;;) {
            const ssize_t n = Options_.Read ? Options_.Read(fd, Buffer_.get(), ReadBufferSize)
                                            : ::read(fd, Buffer_.get(), ReadBufferSize);
            if (n >= 0 || errno != EINTR)
                return n;
        }
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

// Why a file could not be read, for the user.
std::string RaisonFrancaise(int error)
{
    switch (error) {
    case EACCES:
    case EPERM:
        return "lecture non permise (droits insuffisants)";
    case EIO:
        return "erreur d'entrée-sortie du disque";
    case ENXIO:
    case ENODEV:
        return "périphérique absent";
    case ESTALE:
        return "fichier réseau qui n'existe plus";
    case EOVERFLOW:
    case EFBIG:
        return "fichier trop grand";
    case ENAMETOOLONG:
        return "chemin trop long";
    case ENOMEM:
        return "mémoire insuffisante";
    default:
        return std::strerror(error);
    }
}

std::string TexteIncomplet(const std::string& archive, const std::vector<TZipOmission>& omis)
{
    std::string t = "L'archive " + archive + " a été créée, mais elle n'est pas complète : ";
    t += omis.size() == 1 ? std::string("ce qui suit n'a pu être lu et n'y est pas :")
                          : "ces " + std::to_string(omis.size()) + " éléments n'ont pu être lus et n'y sont pas :";
    for (const TZipOmission& o : omis)
        t += "\n  " + o.Path + (o.Folder ? " (dossier)" : "") + " : " + RaisonFrancaise(o.Error);
    return t;
}

// One attempt: the archive under a temporary name, renamed when whole.
// `midway` names a file whose reading failed after part of it was packed.
void PackOnce(const std::string& root, const std::string& realRoot, const std::string& archive, std::size_t start,
              const TZipOptions& options, const std::map<std::string, int>& failed, TZipReport& report,
              std::pair<std::string, int>& midway)
{
    const auto slash = archive.rfind('/');
    const std::string dir = slash == std::string::npos ? std::string(".") : archive.substr(0, slash == 0 ? 1 : slash);
    const std::string base = slash == std::string::npos ? archive : archive.substr(slash + 1);
    std::string tmp = dir + "/." + base + ".XXXXXX";
    const int fd = mkostemp(tmp.data(), O_CLOEXEC);
    if (fd < 0) {
        report.Message = "Error opening " + archive + "\n" + Reason("Création impossible de l'archive " + archive, errno);
        return;
    }

    TFileId temp, old;
    struct stat st{};
    if (fstat(fd, &st) == 0)
        temp = {st.st_dev, st.st_ino, true};
    if (stat(archive.c_str(), &st) == 0 && S_ISREG(st.st_mode))
        old = {st.st_dev, st.st_ino, true};

    TPacker packer(archive, start, options, report);
    packer.File.Fd = fd;
    packer.FailedBefore = failed;
    zlib_filefunc64_def io = zipio::Functions(&packer.File);

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
        return;
    }

    const bool walked = packer.Run(zip, root, realRoot, temp, old);
    midway = packer.FailedMidway;
    if (walked)
        fchmod(fd, 0666 & ~zipio::CurrentUmask());
    // Closed even after a failure: minizip frees its state there.
    const int closed = zipClose(zip, nullptr);
    if (!walked) {
        ::unlink(tmp.c_str());
        return;
    }
    if (closed != ZIP_OK) {
        const int e = packer.File.Error != 0 ? packer.File.Error : EIO;
        ::unlink(tmp.c_str());
        report.Message = "Error while closing " + archive + "\n" + Reason("Écriture impossible de l'archive " + archive, e)
            + "\nL'archive " + archive + " n'a pas été créée.";
        return;
    }
    if (report.Entries >= 0xFFFF) {
        if (const int e = zipio::AddZip64End(tmp, report.Entries)) {
            ::unlink(tmp.c_str());
            report.Message = "Error while closing " + archive + "\n"
                + Reason("Écriture impossible de l'archive " + archive, e) + "\nL'archive " + archive
                + " n'a pas été créée.";
            return;
        }
    }
    if (::rename(tmp.c_str(), archive.c_str()) != 0) {
        const int e = errno;
        ::unlink(tmp.c_str());
        report.Message = "Error while closing " + archive + "\n"
            + Reason("Impossible de remplacer " + archive + " par " + tmp, e) + "\nL'archive " + archive
            + " n'a pas été créée.";
        return;
    }
    report.Created = true;
}

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

    // The archive's name is checked before anything is packed.
    const auto slash = archive.rfind('/');
    const std::string base = slash == std::string::npos ? archive : archive.substr(slash + 1);
    struct stat st{};
    if (base.empty() || base == "." || base == "..") {
        report.Message = "Error opening " + archive + "\n"
            + (archive.empty() ? std::string("Le nom de l'archive est vide.")
                               : "Le nom de l'archive " + archive + " ne nomme pas de fichier.");
        return report;
    }
    if (stat(archive.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) {
        report.Message = "Error opening " + archive + "\nL'archive ne peut pas prendre le nom du dossier existant "
            + archive + ".";
        return report;
    }

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

    // A file whose reading fails half-way is already partly in the archive:
    // the archive is then made again without it. Each new run leaves out
    // one more file, so this ends.
    std::map<std::string, int> failed;
    for (;;) {
        report = TZipReport{};
        std::pair<std::string, int> midway;
        PackOnce(root, realBuf, archive, start, options, failed, report, midway);
        if (midway.first.empty() || failed.count(midway.first) != 0)
            break;
        failed.insert(midway);
    }
    if (report.Created && !report.Unreadable.empty())
        report.Message = TexteIncomplet(archive, report.Unreadable);
    report.Ok = report.Created && report.Unreadable.empty();
    return report;
}

} // namespace kep
