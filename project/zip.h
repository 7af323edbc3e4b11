#pragma once
// Packs a folder tree into a new zip archive: one entry per file, in the
// order the walk meets them, deflated at level 9. The archive is written
// under a temporary name beside its final name and renamed at the end, so a
// failed run never leaves a broken archive (nor removes an older one).
// Files that cannot be read are left out and told; the rest is archived.
// The archive's name is checked before anything is packed.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <sys/types.h>
#include <vector>

namespace kep {

// A file or folder that could not be read, and the errno that said so.
struct TZipOmission {
    std::string Path;
    int Error = 0;
    bool Folder = false;
};

struct TZipReport {
    // The archive was created, every file was added and it was closed.
    bool Ok = false;
    // The archive is in place, whole or without the files of Unreadable.
    bool Created = false;
    // For the user when !Ok. Not created: the packer's own English line
    // ("Error opening NAME", "Error while closing NAME"...) then, on the
    // next lines, in French, why and what is left. Created but incomplete:
    // in French, what is missing and why, one line each.
    std::string Message;
    std::size_t Entries = 0;   // files added
    std::uint64_t Bytes = 0;   // their bytes, uncompressed
    // Full paths the walk left out on purpose: symbolic links leading out
    // of the folder or to a folder, fifos, sockets, devices.
    // Also dangling links, and files or folders that vanished between the
    // listing of their folder and their opening.
    std::vector<std::string> Skipped;
    // Files and folders that could not be read: the archive holds the
    // rest, and Message lists them, in French, with why.
    std::vector<TZipOmission> Unreadable;
};

struct TZipOptions {
    // Called for each file before it is added and then every few megabytes
    // while it is read, so that a window can keep painting. Optional.
    std::function<void(const std::string& path, std::uint64_t bytesDone)> Progress;
    // Reads the next piece of an open file, as read(2) does. Empty: read(2).
    // Tests replace it to make a file fail half-way.
    std::function<ssize_t(int fd, char* buffer, std::size_t size)> Read;
};

// Writes `archive` with every file under `folder`. An entry's name is the
// file's full path from the 1-based position `start` on, with "/" between
// its parts. Names that are not plain ASCII are stored as UTF-8 with the
// format's UTF-8 flag; others as they are. Entries are marked as made on
// Unix and carry the file's mode. Entries keep the file's
// modification time (local time, DOS format, two-second steps, clamped to
// 1980..2107). Files of 4 GiB or more, and archives past 4 GiB or 65,535
// entries, use the zip64 extensions.
TZipReport ZipFolder(const std::string& folder, const std::string& archive, std::size_t start,
                     const TZipOptions& options = {});

// Start positions for the three name forms, for `folder` given without a
// final "/":
// "LIB/IO.INC": names relative to the folder;
std::size_t ZipStartRelative(const std::string& folder);
// "MOTEUR/LIB/IO.INC": names beginning with the folder's own name;
std::size_t ZipStartWithFolder(const std::string& folder);
// "home/jean/MOTEUR/LIB/IO.INC": the full path without its leading "/",
// which the zip format forbids.
std::size_t ZipStartFullPath(const std::string& folder);

// The DOS date (high word) and time (low word) of a time in seconds since
// the epoch, taken in local time.
std::uint32_t DosDateTime(std::int64_t unixSeconds);

} // namespace kep
