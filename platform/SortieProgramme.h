#pragma once
// Runs a program (no shell) and collects what it writes on its standard
// output, for the tool chains' own lists (gpasm -l, avra --devices).
#include <cstddef>
#include <string>
#include <vector>

namespace kep {

// argv[0] is searched in PATH. Standard input is empty and standard error
// dropped. The program is killed with its group past `timeoutMs`, and its
// output is cut after `maxBytes`. True when it ran and exited with status 0.
bool CaptureSortie(const std::vector<std::string>& argv, std::string& out, int timeoutMs = 3000,
                   std::size_t maxBytes = 1 << 20);

} // namespace kep
