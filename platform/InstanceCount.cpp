#include "platform/InstanceCount.h"

#include "platform/FileIo.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <dirent.h>
#include <fcntl.h>
#include <sstream>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace kep {

namespace {

const char kPrefix[] = "instance-";
const char kSuffix[] = ".lock";
const char kGuard[] = "instances.lock";
const char kShared[] = "shared-files";

// Joining, counting and leaving take turns, so that the last instance never
// removes a file while another one joins.
class TGuard {
public:
    explicit TGuard(const std::string& folder)
        : Fd_(::open((folder + "/" + kGuard).c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600))
    {
        if (Fd_ >= 0)
            while (::flock(Fd_, LOCK_EX) != 0 && errno == EINTR) {
            }
    }
    ~TGuard()
    {
        if (Fd_ >= 0)
            ::close(Fd_); // releases the lock
    }
    TGuard(const TGuard&) = delete;
    TGuard& operator=(const TGuard&) = delete;

private:
    int Fd_;
};

bool IsLockName(const std::string& name)
{
    const std::size_t p = sizeof kPrefix - 1, s = sizeof kSuffix - 1;
    return name.size() > p + s && name.compare(0, p, kPrefix) == 0 && name.compare(name.size() - s, s, kSuffix) == 0;
}

// Lock files still held; those nobody holds are an ended instance's and go.
int CountHeld(const std::string& folder)
{
    DIR* dir = ::opendir(folder.c_str());
    if (!dir)
        return 0;
    int held = 0;
    while (const dirent* e = ::readdir(dir)) {
        const std::string name = e->d_name;
        if (!IsLockName(name))
            continue;
        const std::string path = folder + "/" + name;
        const int fd = ::open(path.c_str(), O_RDWR | O_CLOEXEC | O_NOFOLLOW);
        if (fd < 0)
            continue;
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0)
            ::unlink(path.c_str());
        else if (errno == EWOULDBLOCK)
            ++held;
        ::close(fd);
    }
    ::closedir(dir);
    return held;
}

std::vector<std::string> SharedFiles(const std::string& folder)
{
    std::string text;
    ReadWholeFile(folder + "/" + kShared, text);
    std::vector<std::string> files;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        if (!line.empty())
            files.push_back(line);
    return files;
}

} // namespace

TInstanceCount::TInstanceCount(std::string folder)
    : Folder_(std::move(folder))
{
    ::mkdir(Folder_.c_str(), 0700);
    TGuard guard(Folder_);
    // The pid alone could be an earlier process's that left its file behind.
    const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
    Own_ = Folder_ + "/" + kPrefix + std::to_string(::getpid()) + "-" + std::to_string(stamp) + kSuffix;
    Fd_ = ::open(Own_.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (Fd_ >= 0 && ::flock(Fd_, LOCK_EX | LOCK_NB) != 0) {
        ::close(Fd_);
        Fd_ = -1;
    }
    if (Fd_ < 0)
        ::unlink(Own_.c_str());
}

TInstanceCount::~TInstanceCount()
{
    Leave();
}

int TInstanceCount::Count() const
{
    TGuard guard(Folder_);
    return CountHeld(Folder_);
}

bool TInstanceCount::Leave()
{
    if (Fd_ < 0)
        return false;
    TGuard guard(Folder_);
    ::unlink(Own_.c_str());
    ::close(Fd_);
    Fd_ = -1;
    if (CountHeld(Folder_) > 0)
        return false;
    for (const std::string& file : SharedFiles(Folder_))
        ::unlink(file.c_str());
    ::unlink((Folder_ + "/" + kShared).c_str());
    return true;
}

bool NoteSharedFile(const std::string& folder, const std::string& path)
{
    if (path.empty() || path.find('\n') != std::string::npos)
        return false;
    ::mkdir(folder.c_str(), 0700);
    TGuard guard(folder);
    std::vector<std::string> files = SharedFiles(folder);
    if (std::find(files.begin(), files.end(), path) != files.end())
        return true;
    files.push_back(path);
    std::string text;
    for (const std::string& f : files)
        text += f + "\n";
    return WriteFileAtomic(folder + "/" + kShared, text);
}

} // namespace kep
