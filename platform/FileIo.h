#pragma once
// File access the editor and the stores rely on. Writes never leave a
// truncated file behind: they go to a temporary file beside the target that
// is then renamed over it.
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace kep {

bool FileExists(const std::string& path);
// Writes every byte to the descriptor, going on after interrupted calls.
bool WriteAll(int fd, std::string_view data);
// True when the file exists and the user may not write it.
bool IsReadOnlyFile(const std::string& path);
// Reads the whole file; false when it cannot be opened or read.
bool ReadWholeFile(const std::string& path, std::string& out);
// Hands the file to the sink in pieces of a reused buffer that stays in the
// cache, so that a large file is never held twice; false when it cannot be
// opened or a read fails (the sink may then have seen part of it).
bool ReadFileInPieces(const std::string& path, const std::function<void(std::string_view)>& sink);
// The size of a regular file, 0 when missing.
std::uint64_t FileSize(const std::string& path);
// Replaces the file's contents atomically. A symbolic link is followed so the
// link itself survives; an existing file keeps its permission bits. On any
// failure the original file is left untouched and false is returned, with a
// French reason in *error when given.
bool WriteFileAtomic(const std::string& path, std::string_view data, std::string* error = nullptr);
// The same without the checks: writes the data to a temporary file beside
// target with the given mode bits, then renames it over whatever is there.
bool ReplaceFileContents(const std::string& target, std::string_view data, unsigned mode, std::string* error = nullptr);
// Modification time in nanoseconds since the epoch, 0 when missing.
std::int64_t FileModTimeNs(const std::string& path);

} // namespace kep
