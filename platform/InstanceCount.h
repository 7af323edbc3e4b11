#pragma once
// How many instances of KEP run now: each holds a lock file of its own in a
// shared folder while it lives, so an instance that crashed is never
// counted (its lock went with it). Files written once for all instances
// (the launcher) are noted there too, and the last instance to leave
// removes them.
#include <string>

namespace kep {

class TInstanceCount {
public:
    // Joins the instances that share `folder` (created when missing).
    explicit TInstanceCount(std::string folder);
    ~TInstanceCount();
    TInstanceCount(const TInstanceCount&) = delete;
    TInstanceCount& operator=(const TInstanceCount&) = delete;

    // False when no lock file could be made: this instance is then never
    // counted, and never removes anything.
    bool Joined() const { return Fd_ >= 0; }
    // The instances running now, this one included while it is joined.
    int Count() const;
    // Leaves (once); when no other instance runs, removes the noted files.
    // True when this instance was the last.
    bool Leave();

private:
    std::string Folder_;
    std::string Own_;
    int Fd_ = -1;
};

// Notes a file written for every instance of `folder`: it is removed when
// the last of them leaves.
bool NoteSharedFile(const std::string& folder, const std::string& path);

} // namespace kep
