#pragma once
// How the code look-ups reach their files: names relative to the current
// folder, existence and whole reads. The program uses the disk; tests and
// fuzzers hand in files held in memory.
#include <functional>
#include <map>
#include <string>

namespace kep {

struct TFichiersScan {
    // The full path of a name relative to the current folder (an absolute
    // name stays as it is). On disk a part spelt differently in case matches.
    std::function<std::string(const std::string& name)> Chemin;
    std::function<bool(const std::string& path)> Existe;
    // The whole file; false when it is missing or cannot be read.
    std::function<bool(const std::string& path, std::string& out)> Lit;
};

// The disk, relative to `folder`.
TFichiersScan FichiersDisque(const std::string& folder);
// Files held in memory, keyed by full path, relative to `folder` (names
// compared ignoring ASCII case, as on disk).
TFichiersScan FichiersMemoire(const std::string& folder, const std::map<std::string, std::string>& files);

} // namespace kep
