#pragma once
// Whether another program holds a serial device, told the ways serial
// programs on this system tell one another: flock(LOCK_EX) on the device
// (picocom, and KEP itself) and UUCP lock files named after the device in
// the lock folders (minicom, and every Qt program through QSerialPort).
#include <string>
#include <sys/types.h>

namespace kep {

// Opens `path` for reading and writing, without becoming its controlling
// terminal and without waiting, and takes an exclusive flock on it. Returns
// the descriptor, which holds the lock until closed; or -1 with the system's
// code in `err` (EBUSY when another descriptor holds the lock).
int OpenLocked(const std::string& path, int& err);

// The live process, other than this one, that a UUCP lock file of `path`
// names (the file named after the path as given, or after the device it
// leads to); 0 when there is none. A lock left by a process that has ended
// holds nothing.
pid_t UucpHolder(const std::string& path);

} // namespace kep
