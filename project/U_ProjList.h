#pragma once
// The list of known projects kept in the option file ("Proj" and
// Global/ProjAct), and the search of a folder tree for project files.
#include "platform/IniFile.h"

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

namespace kep {

struct TProjList {
    std::vector<std::string> Paths; // existing project files, in file order
    int Checked = -1;               // index in Paths, or -1
};

// Entries whose file is missing are left out; ProjAct designates an entry
// by its position in the file, so the checked entry is found even when an
// earlier one was left out.
TProjList LoadProjList(const TIniFile& ini);
// Rewrites "Proj" and ProjAct in one write, then creates every listed file
// that does not exist as an empty file. False when the option file could
// not be written (`error`: the INI class's reason) or a project file could
// not be created (`notCreated`: its path).
bool SaveProjList(TIniFile& ini, const std::vector<std::string>& paths, int checked, std::string& error,
                  std::string& notCreated);

// Paths compared as the project list compares them: ASCII case ignored.
bool SameProjPath(const std::string& a, const std::string& b);
bool ContainsProjPath(const std::vector<std::string>& paths, const std::string& path);

// A project file: extension ".pja" in any case and the key "MakeFile" in its
// section "Global". Files too large to be a project are not read.
bool HasPjaExtension(const std::string& path);
bool IsProjectFile(const std::string& path);

// Walks a folder tree a few entries at a time so that the caller can keep
// its window alive between steps and stop at any moment. Symbolic links to
// folders are not followed (they could loop); unreadable folders are
// skipped.
class TProjSearch {
public:
    explicit TProjSearch(std::string root);
    ~TProjSearch();
    TProjSearch(const TProjSearch&) = delete;
    TProjSearch& operator=(const TProjSearch&) = delete;

    // Handles at most `entries` folder entries; false once the walk is over.
    bool Step(std::size_t entries);
    bool Done() const;
    // The folder being read, with a final "/".
    const std::string& CurrentFolder() const { return Current_; }
    // Project files found since the last call.
    std::vector<std::string> TakeFound();

private:
    struct TDir;
    std::vector<std::unique_ptr<TDir>> Stack_;
    std::string Current_;
    std::vector<std::string> Found_;
};

} // namespace kep
