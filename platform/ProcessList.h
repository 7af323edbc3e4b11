#pragma once
// Whether a program is already running, for the tools that must not start
// twice. Reads the process list of the system (/proc).
#include <string>

namespace kep {

// `program` is the tool's program text: a path (absolute, or relative to the
// current folder) matches a process running that file, either directly or
// as the script its interpreter runs; a bare name matches a process of that
// name. Names are compared ignoring ASCII case. `procRoot` serves the tests.
bool ProgrammeEnCours(const std::string& program, const std::string& procRoot = "/proc");

} // namespace kep
