#include "platform/FolderOps.h"

#include "platform/FileIo.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <filesystem>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace kep {

namespace {

void SetError(std::string* error, const std::string& what)
{
    if (error)
        *error = what + " : " + std::strerror(errno);
}

void SetMessage(std::string* error, const std::string& what)
{
    if (error)
        *error = what;
}

// "/a/b/" and "/a/b" name the same item; "/" stays "/".
std::string StripTrailingSlashes(std::string path)
{
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    return path;
}

std::string Absolute(const std::string& path)
{
    std::filesystem::path p(path);
    if (p.is_relative()) {
        std::error_code ec;
        const auto cwd = std::filesystem::current_path(ec);
        if (!ec)
            p = cwd / p;
    }
    return StripTrailingSlashes(p.lexically_normal().string());
}

std::string ParentOf(const std::string& path)
{
    const auto slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? std::string("/") : path.substr(0, slash);
}

std::string BaseName(const std::string& path)
{
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string Canonical(const std::string& path)
{
    char* real = realpath(path.c_str(), nullptr);
    if (!real)
        return std::string();
    std::string out(real);
    std::free(real);
    return out;
}

// The canonical form of a path that may not exist yet: its nearest existing
// ancestor resolved, the missing rest appended as written.
std::string CanonicalOfMaybeMissing(const std::string& absPath)
{
    std::string existing = absPath;
    std::string rest;
    struct stat st{};
    while (lstat(existing.c_str(), &st) != 0 && existing != "/") {
        const std::string base = BaseName(existing);
        rest = rest.empty() ? base : base + "/" + rest;
        existing = ParentOf(existing);
    }
    std::string canon = Canonical(existing);
    if (canon.empty())
        canon = existing;
    if (rest.empty())
        return canon;
    return canon == "/" ? "/" + rest : canon + "/" + rest;
}

bool IsSameOrInside(const std::string& path, const std::string& folder)
{
    if (path == folder)
        return true;
    if (folder == "/")
        return !path.empty() && path[0] == '/';
    return path.size() > folder.size() && path.compare(0, folder.size(), folder) == 0 && path[folder.size()] == '/';
}

// Entry names of a folder, "." and ".." left out.
bool ListFolder(const std::string& dir, std::vector<std::string>& names)
{
    DIR* d = opendir(dir.c_str());
    if (!d)
        return false;
    errno = 0;
    while (dirent* e = readdir(d)) {
        if (std::strcmp(e->d_name, ".") != 0 && std::strcmp(e->d_name, "..") != 0)
            names.emplace_back(e->d_name);
        errno = 0;
    }
    const int readErr = errno;
    closedir(d);
    errno = readErr;
    return readErr == 0;
}

// Removes a tree this process made, read-only folders included.
void RemoveTree(const std::string& path)
{
    struct stat st{};
    if (lstat(path.c_str(), &st) != 0)
        return;
    if (!S_ISDIR(st.st_mode)) {
        ::unlink(path.c_str());
        return;
    }
    ::chmod(path.c_str(), S_IRWXU);
    std::vector<std::string> names;
    ListFolder(path, names);
    for (const auto& name : names)
        RemoveTree(path + "/" + name);
    ::rmdir(path.c_str());
}

struct TCopy {
    // The source as given and as resolved: an absolute link may name either.
    std::string SourceAbs;
    std::string SourceCanon;
    std::string Destination;
    std::string* Error = nullptr;
    std::vector<char> Buffer;
};

bool CopyTree(TCopy& c, const std::string& src, const std::string& dst);

bool CopyRegularFile(TCopy& c, const std::string& src, const std::string& dst, const struct stat& st,
                     bool replacing)
{
    int in = ::open(src.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (in < 0) {
        SetError(c.Error, "Impossible de lire " + src);
        return false;
    }
    // The temporary name leaves the final one out: a name near the length
    // limit would not leave room for it.
    const std::string dir = ParentOf(dst);
    std::string tmp = dir + "/.kepXXXXXX";
    int out = mkostemp(tmp.data(), O_CLOEXEC);
    if (out < 0) {
        SetError(c.Error, "Impossible de créer un fichier temporaire dans " + dir);
        ::close(in);
        return false;
    }
    bool ok = true;
    for (;;) {
        ssize_t n = ::read(in, c.Buffer.data(), c.Buffer.size());
        if (n < 0) {
            if (errno == EINTR)
                continue;
            SetError(c.Error, "Impossible de lire " + src);
            ok = false;
            break;
        }
        if (n == 0)
            break;
        if (!WriteAll(out, std::string_view(c.Buffer.data(), static_cast<size_t>(n)))) {
            SetError(c.Error, "Erreur d'écriture de " + dst);
            ok = false;
            break;
        }
    }
    ::close(in);
    // Only a replaced file has an older version worth protecting from a
    // crash; a fresh copy can simply be made again.
    if (ok && replacing && fsync(out) != 0) {
        SetError(c.Error, "Erreur d'écriture de " + dst);
        ok = false;
    }
    if (ok && fchmod(out, st.st_mode & 07777) != 0) {
        SetError(c.Error, "Impossible de fixer les droits de " + dst);
        ok = false;
    }
    const struct timespec times[2] = {st.st_atim, st.st_mtim};
    if (ok && futimens(out, times) != 0) {
        SetError(c.Error, "Impossible de fixer la date de " + dst);
        ok = false;
    }
    if (::close(out) != 0 && ok) {
        SetError(c.Error, "Erreur d'écriture de " + dst);
        ok = false;
    }
    if (ok && ::rename(tmp.c_str(), dst.c_str()) != 0) {
        SetError(c.Error, "Impossible de remplacer " + dst);
        ok = false;
    }
    if (!ok)
        ::unlink(tmp.c_str());
    return ok;
}

bool ReadLink(const std::string& path, off_t sizeHint, std::string& target)
{
    std::vector<char> buf(static_cast<size_t>(sizeHint > 0 ? sizeHint : 0) + 64);
    for (;;) {
        ssize_t n = ::readlink(path.c_str(), buf.data(), buf.size());
        if (n < 0)
            return false;
        if (static_cast<size_t>(n) < buf.size()) {
            target.assign(buf.data(), static_cast<size_t>(n));
            return true;
        }
        // The link grew since lstat: try again with more room.
        buf.resize(buf.size() * 2);
    }
}

// An absolute target inside the source would point back into the original
// once the copy is moved or the original is archived; it is made to point
// at the same place inside the copy.
std::string RetargetLink(const TCopy& c, const std::string& target)
{
    if (target.empty() || target[0] != '/')
        return target;
    const std::string norm = StripTrailingSlashes(std::filesystem::path(target).lexically_normal().string());
    for (const std::string* root : {&c.SourceAbs, &c.SourceCanon}) {
        if (!root->empty() && IsSameOrInside(norm, *root))
            return c.Destination + norm.substr(root->size() == 1 ? 0 : root->size());
    }
    return target;
}

bool CopyLink(TCopy& c, const std::string& src, const std::string& dst, const struct stat& st)
{
    std::string target;
    if (!ReadLink(src, st.st_size, target)) {
        SetError(c.Error, "Impossible de lire le lien " + src);
        return false;
    }
    target = RetargetLink(c, target);
    // Made under a free name beside the final one and renamed over it, so
    // that whatever stands there now is replaced in one step.
    const std::string stem = ParentOf(dst) + "/.kep";
    std::string tmp;
    for (unsigned n = 0;; ++n) {
        tmp = stem + std::to_string(getpid()) + "_" + std::to_string(n);
        if (::symlink(target.c_str(), tmp.c_str()) == 0)
            break;
        if (errno != EEXIST || n >= 1000) {
            SetError(c.Error, "Impossible de créer le lien " + dst);
            return false;
        }
    }
    const struct timespec times[2] = {st.st_atim, st.st_mtim};
    if (utimensat(AT_FDCWD, tmp.c_str(), times, AT_SYMLINK_NOFOLLOW) != 0) {
        SetError(c.Error, "Impossible de fixer la date de " + dst);
        ::unlink(tmp.c_str());
        return false;
    }
    if (::rename(tmp.c_str(), dst.c_str()) != 0) {
        SetError(c.Error, "Impossible de remplacer " + dst);
        ::unlink(tmp.c_str());
        return false;
    }
    return true;
}

// Copies one folder into `dst`, which `created` says this call just made.
// Its own bits and times are set last: filling it changes its mtime, and
// a read-only source folder would refuse the filling.
bool CopyFolderInto(TCopy& c, const std::string& src, const std::string& dst, const struct stat& st, bool created)
{
    struct stat dstSt{};
    if (!created && stat(dst.c_str(), &dstSt) != 0) {
        SetError(c.Error, "Impossible de lire le dossier " + dst);
        return false;
    }
    // An existing folder we may not write is opened for the filling and
    // given its old bits back should the copy fail.
    const bool opened = !created && (dstSt.st_mode & S_IRWXU) != S_IRWXU;
    if (opened && ::chmod(dst.c_str(), (dstSt.st_mode & 07777) | S_IRWXU) != 0) {
        SetError(c.Error, "Impossible de fixer les droits de " + dst);
        return false;
    }
    if (!CopyTree(c, src, dst)) {
        if (opened)
            ::chmod(dst.c_str(), dstSt.st_mode & 07777);
        return false;
    }
    if (::chmod(dst.c_str(), st.st_mode & 07777) != 0) {
        SetError(c.Error, "Impossible de fixer les droits de " + dst);
        return false;
    }
    const struct timespec times[2] = {st.st_atim, st.st_mtim};
    if (utimensat(AT_FDCWD, dst.c_str(), times, 0) != 0) {
        SetError(c.Error, "Impossible de fixer la date de " + dst);
        return false;
    }
    return true;
}

bool CopyTree(TCopy& c, const std::string& src, const std::string& dst)
{
    std::vector<std::string> names;
    if (!ListFolder(src, names)) {
        SetError(c.Error, "Impossible de lire le dossier " + src);
        return false;
    }
    for (const auto& name : names) {
        const std::string from = src + "/" + name;
        const std::string to = dst + "/" + name;
        struct stat st{};
        if (lstat(from.c_str(), &st) != 0) {
            SetError(c.Error, "Impossible de lire " + from);
            return false;
        }
        if (!S_ISDIR(st.st_mode) && !S_ISREG(st.st_mode) && !S_ISLNK(st.st_mode))
            continue; // fifos, sockets and devices are no project files
        struct stat old{};
        const bool exists = lstat(to.c_str(), &old) == 0;
        if (exists && S_ISDIR(st.st_mode) != S_ISDIR(old.st_mode)) {
            SetMessage(c.Error, S_ISDIR(st.st_mode)
                                    ? "Impossible de copier le dossier " + from + " : " + to + " existe et n'est pas un dossier."
                                    : "Impossible de copier " + from + " : " + to + " est un dossier.");
            return false;
        }
        bool ok;
        if (S_ISDIR(st.st_mode)) {
            if (!exists && ::mkdir(to.c_str(), S_IRWXU) != 0) {
                SetError(c.Error, "Impossible de créer le dossier " + to);
                return false;
            }
            ok = CopyFolderInto(c, from, to, st, !exists);
        } else if (S_ISREG(st.st_mode)) {
            ok = CopyRegularFile(c, from, to, st, exists);
        } else {
            ok = CopyLink(c, from, to, st);
        }
        if (!ok)
            return false;
    }
    return true;
}

// Creates `path` and its missing parents; `topCreated` gets the outermost
// folder made here (empty when the path existed), the one to remove on failure.
bool MakeFolders(const std::string& path, mode_t lastMode, std::string& topCreated, std::string* error)
{
    std::vector<std::string> missing;
    std::string p = path;
    struct stat st{};
    while (p != "/" && lstat(p.c_str(), &st) != 0) {
        if (errno != ENOENT) {
            SetError(error, "Impossible de lire " + p);
            return false;
        }
        missing.push_back(p);
        p = ParentOf(p);
    }
    for (auto it = missing.rbegin(); it != missing.rend(); ++it) {
        const mode_t mode = *it == path ? lastMode : mode_t(0777);
        if (::mkdir(it->c_str(), mode) != 0) {
            SetError(error, "Impossible de créer le dossier " + *it);
            if (!topCreated.empty())
                RemoveTree(topCreated);
            topCreated.clear();
            return false;
        }
        if (topCreated.empty())
            topCreated = *it;
    }
    return true;
}

// ---- Trash ----

std::string PercentEncode(const std::string& path)
{
    static const char hex[] = "0123456789ABCDEF";
    std::string out;
    for (unsigned char ch : path) {
        if ((ch >= 'A' && ch <= 'Z') || (ch >= 'a' && ch <= 'z') || (ch >= '0' && ch <= '9') || ch == '-'
            || ch == '.' || ch == '_' || ch == '~' || ch == '/') {
            out += static_cast<char>(ch);
        } else {
            out += '%';
            out += hex[ch >> 4];
            out += hex[ch & 15];
        }
    }
    return out;
}

std::string HomeFolder()
{
    const char* home = std::getenv("HOME");
    if (home && *home)
        return home;
    if (const passwd* pw = getpwuid(getuid()))
        return pw->pw_dir;
    return std::string();
}

std::string HomeTrashPath()
{
    // A relative XDG_DATA_HOME is invalid and ignored.
    const char* data = std::getenv("XDG_DATA_HOME");
    if (data && data[0] == '/')
        return StripTrailingSlashes(data) + "/Trash";
    const std::string home = HomeFolder();
    if (home.empty())
        return std::string();
    return StripTrailingSlashes(home) + "/.local/share/Trash";
}

bool DeviceOfNearestExisting(std::string path, dev_t& dev)
{
    struct stat st{};
    for (;;) {
        if (stat(path.c_str(), &st) == 0) {
            dev = st.st_dev;
            return true;
        }
        if (path == "/" || path.empty())
            return false;
        path = ParentOf(path);
    }
}

// A private folder owned by us and not a link, made when missing.
bool EnsurePrivateFolder(const std::string& path)
{
    if (::mkdir(path.c_str(), S_IRWXU) == 0)
        return true;
    if (errno != EEXIST)
        return false;
    struct stat st{};
    if (lstat(path.c_str(), &st) != 0)
        return false;
    if (!S_ISDIR(st.st_mode) || st.st_uid != getuid()) {
        errno = ENOTDIR;
        return false;
    }
    return true;
}

bool PrepareTrash(const std::string& trash)
{
    return EnsurePrivateFolder(trash) && EnsurePrivateFolder(trash + "/files") && EnsurePrivateFolder(trash + "/info");
}

// The trash folder of the top folder `topdir`, prepared; empty when neither
// the administrator's nor our own can be used.
std::string TopFolderTrash(const std::string& topdir)
{
    const std::string base = topdir == "/" ? std::string() : topdir;
    const std::string uid = std::to_string(getuid());
    struct stat st{};
    // A shared .Trash counts only when it is a real sticky folder: otherwise
    // anyone could read or swap another user's trash.
    const std::string shared = base + "/.Trash";
    if (lstat(shared.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && (st.st_mode & S_ISVTX)) {
        if (PrepareTrash(shared + "/" + uid))
            return shared + "/" + uid;
    }
    const std::string own = base + "/.Trash-" + uid;
    if (PrepareTrash(own))
        return own;
    return std::string();
}

// The top folder of the file system holding `parent`'s entries on `dev`.
std::string TopFolderOf(std::string dir, dev_t dev)
{
    while (dir != "/") {
        const std::string up = ParentOf(dir);
        struct stat st{};
        if (stat(up.c_str(), &st) != 0 || st.st_dev != dev)
            break;
        dir = up;
    }
    return dir;
}

std::string DeletionDate()
{
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char buf[32];
    std::strftime(buf, sizeof buf, "%Y-%m-%dT%H:%M:%S", &local);
    return buf;
}

bool RenameNoReplace(const std::string& from, const std::string& to)
{
#ifdef RENAME_NOREPLACE
    if (renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0)
        return true;
    if (errno != EINVAL && errno != ENOSYS)
        return false;
#endif
    return ::rename(from.c_str(), to.c_str()) == 0;
}

} // namespace

bool CopyFolder(const std::string& source, const std::string& destination, std::string* error)
{
    if (source.empty() || destination.empty()) {
        SetMessage(error, "Aucun dossier n'est indiqué pour la copie.");
        return false;
    }
    TCopy c;
    c.Error = error;
    c.SourceAbs = Absolute(source);
    c.Destination = Absolute(destination);
    struct stat srcSt{};
    if (stat(c.SourceAbs.c_str(), &srcSt) != 0) {
        if (errno == ENOENT || errno == ENOTDIR)
            SetMessage(error, "Le dossier " + source + " n'existe pas.");
        else
            SetError(error, "Impossible de lire le dossier " + source);
        return false;
    }
    if (!S_ISDIR(srcSt.st_mode)) {
        SetMessage(error, source + " n'est pas un dossier.");
        return false;
    }
    c.SourceCanon = Canonical(c.SourceAbs);
    if (c.SourceCanon.empty()) {
        SetError(error, "Impossible de lire le dossier " + source);
        return false;
    }
    if (IsSameOrInside(CanonicalOfMaybeMissing(c.Destination), c.SourceCanon)) {
        SetMessage(error, "Impossible de copier le dossier " + source + " dans lui-même (" + destination + ").");
        return false;
    }

    struct stat dstSt{};
    const bool existed = stat(c.Destination.c_str(), &dstSt) == 0;
    if (existed && !S_ISDIR(dstSt.st_mode)) {
        SetMessage(error, "Impossible de copier vers " + destination + " : ce n'est pas un dossier.");
        return false;
    }
    std::string topCreated;
    if (!existed && !MakeFolders(c.Destination, S_IRWXU, topCreated, error))
        return false;

    c.Buffer.resize(1 << 20);
    if (CopyFolderInto(c, c.SourceAbs, c.Destination, srcSt, !existed))
        return true;
    if (!topCreated.empty()) {
        const int saved = errno;
        RemoveTree(topCreated);
        errno = saved;
    }
    return false;
}

bool MoveToTrash(const std::string& path, std::string* error)
{
    if (path.empty()) {
        SetMessage(error, "Aucun élément n'est indiqué pour la corbeille.");
        return false;
    }
    const std::string abs = Absolute(path);
    const std::string name = BaseName(abs);
    if (abs == "/" || name == "." || name == "..") {
        SetMessage(error, "Impossible de mettre " + path + " à la corbeille.");
        return false;
    }
    struct stat st{};
    if (lstat(abs.c_str(), &st) != 0) {
        if (errno == ENOENT || errno == ENOTDIR)
            SetMessage(error, "L'élément " + path + " n'existe pas.");
        else
            SetError(error, "Impossible de lire " + path);
        return false;
    }
    // The recorded path is the real one, so that a restore finds its place
    // even when the item was named through a link.
    const std::string parent = Canonical(ParentOf(abs));
    if (parent.empty()) {
        SetError(error, "Impossible de lire " + ParentOf(abs));
        return false;
    }
    const std::string item = parent == "/" ? "/" + name : parent + "/" + name;

    std::string trash;
    std::string recorded;
    const std::string home = HomeTrashPath();
    dev_t homeDev{};
    if (!home.empty() && DeviceOfNearestExisting(home, homeDev) && homeDev == st.st_dev) {
        std::string unused;
        if (!MakeFolders(ParentOf(home), S_IRWXU, unused, error))
            return false;
        if (!PrepareTrash(home)) {
            SetError(error, "Impossible de préparer la corbeille " + home);
            return false;
        }
        trash = home;
        recorded = item;
    } else {
        struct stat parentSt{};
        if (stat(parent.c_str(), &parentSt) != 0 || parentSt.st_dev != st.st_dev) {
            SetMessage(error, "Impossible de mettre " + path + " à la corbeille : c'est un point de montage.");
            return false;
        }
        const std::string top = TopFolderOf(parent, st.st_dev);
        trash = TopFolderTrash(top);
        if (trash.empty()) {
            SetMessage(error, "Impossible de mettre " + path + " à la corbeille : aucune corbeille n'est utilisable sur "
                                  + top + ".");
            return false;
        }
        recorded = top == "/" ? item.substr(1) : item.substr(top.size() + 1);
    }

    // The info file reserves the name: created exclusively, so that two
    // deletions never pick the same one. A name already taken in "files"
    // (an info file lost) is passed over too.
    // The name in the trash need not be the item's (Path keeps that one), so
    // a long one is shortened to leave room for ".trashinfo" and a number.
    std::string stem = name;
    const size_t room = 255 - std::strlen(".trashinfo") - 8;
    if (stem.size() > room) {
        stem.resize(room);
        while (!stem.empty() && (static_cast<unsigned char>(stem.back()) & 0xC0) == 0x80)
            stem.pop_back();
        if (!stem.empty() && static_cast<unsigned char>(stem.back()) >= 0xC0)
            stem.pop_back();
    }
    std::string infoPath;
    std::string trashed;
    int fd = -1;
    for (unsigned n = 1; fd < 0; ++n) {
        const std::string candidate = n == 1 ? stem : stem + "." + std::to_string(n);
        infoPath = trash + "/info/" + candidate + ".trashinfo";
        trashed = trash + "/files/" + candidate;
        fd = ::open(infoPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, S_IRUSR | S_IWUSR);
        if (fd < 0) {
            if (errno != EEXIST || n >= 100000) {
                SetError(error, "Impossible de créer " + infoPath);
                return false;
            }
            continue;
        }
        struct stat taken{};
        if (lstat(trashed.c_str(), &taken) == 0) {
            ::close(fd);
            ::unlink(infoPath.c_str());
            fd = -1;
        }
    }
    const std::string info = "[Trash Info]\nPath=" + PercentEncode(recorded) + "\nDeletionDate=" + DeletionDate() + "\n";
    bool ok = WriteAll(fd, info);
    if (!ok)
        SetError(error, "Erreur d'écriture de " + infoPath);
    if (::close(fd) != 0 && ok) {
        SetError(error, "Erreur d'écriture de " + infoPath);
        ok = false;
    }
    if (ok && !RenameNoReplace(item, trashed)) {
        SetError(error, "Impossible de mettre " + path + " à la corbeille");
        ok = false;
    }
    if (!ok) {
        const int saved = errno;
        ::unlink(infoPath.c_str());
        errno = saved;
    }
    return ok;
}

} // namespace kep
