// The running instances, counted by the lock files they hold: other real
// processes join, crash and leave; the last one out removes the launcher.
#include "platform/InstanceCount.h"

#include "support/TestDir.h"

#include <gtest/gtest.h>

#include <csignal>
#include <sys/wait.h>
#include <unistd.h>

using kep::TInstanceCount;

namespace {

// Another instance in a process of its own: it joins, notes `shared` when
// given, and leaves when its pipe closes (or dies when killed).
class TOther {
public:
    explicit TOther(const std::string& folder, const std::string& shared = "")
    {
        int ready[2], leave[2];
        if (pipe(ready) != 0 || pipe(leave) != 0)
            return;
        Pid_ = fork();
        if (Pid_ == 0) {
            close(ready[0]);
            close(leave[1]);
            TInstanceCount me(folder);
            if (!shared.empty())
                kep::NoteSharedFile(folder, shared);
            char c = me.Joined() ? 'j' : 'x';
            if (write(ready[1], &c, 1) != 1)
                _exit(3);
            while (read(leave[0], &c, 1) > 0) {
            }
            _exit(me.Leave() ? 1 : 0);
        }
        close(ready[1]);
        close(leave[0]);
        Leave_ = leave[1];
        char c = 0;
        Joined_ = read(ready[0], &c, 1) == 1 && c == 'j';
        close(ready[0]);
    }
    ~TOther() { Crash(); }
    bool Joined() const { return Joined_; }
    // Leaves as an instance ends; true when it was the last.
    bool Leave() { return Wait(false) == 1; }
    void Crash() { Wait(true); }

private:
    int Wait(bool kill)
    {
        if (Pid_ <= 0)
            return -1;
        if (kill)
            ::kill(Pid_, SIGKILL);
        close(Leave_);
        int status = 0;
        waitpid(Pid_, &status, 0);
        Pid_ = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    pid_t Pid_ = -1;
    int Leave_ = -1;
    bool Joined_ = false;
};

} // namespace

TEST(InstanceCount, OnlyLiveInstancesCountAndTheLastOutRemovesTheNotedFiles)
{
    TTestDir dir;
    const std::string run = dir.Path("run");
    const std::string launcher = dir.Write("bin/KepPipes", "image");
    const std::string shipped = dir.Write("bin/kepmake", "not noted");

    TInstanceCount me(run);
    ASSERT_TRUE(me.Joined());
    EXPECT_EQ(me.Count(), 1);
    {
        // An instance that crashed holds nothing and is never counted; the
        // launcher it wrote stays for the others.
        TOther crashed(run, launcher);
        ASSERT_TRUE(crashed.Joined());
        EXPECT_EQ(me.Count(), 2);
        crashed.Crash();
    }
    EXPECT_EQ(me.Count(), 1);
    TOther other(run);
    ASSERT_TRUE(other.Joined());
    EXPECT_EQ(me.Count(), 2);

    // Not the last: the launcher stays while the other one runs.
    EXPECT_FALSE(me.Leave());
    EXPECT_FALSE(me.Leave()) << "leaving twice";
    EXPECT_TRUE(kep::FileExists(launcher));
    EXPECT_TRUE(other.Leave());
    EXPECT_FALSE(kep::FileExists(launcher));
    EXPECT_TRUE(kep::FileExists(shipped));

    // Nothing is left behind but the folder's own lock.
    TInstanceCount next(run);
    EXPECT_EQ(next.Count(), 1);
    EXPECT_TRUE(next.Leave());
}

TEST(InstanceCount, AFolderThatCannotBeMadeCountsNobodyAndRemovesNothing)
{
    TTestDir dir;
    const std::string file = dir.Write("plain", "x");
    TInstanceCount me(file + "/run");
    EXPECT_FALSE(me.Joined());
    EXPECT_EQ(me.Count(), 0);
    EXPECT_FALSE(me.Leave());
    EXPECT_FALSE(kep::NoteSharedFile(file + "/run", file));
    EXPECT_TRUE(kep::FileExists(file));
}
