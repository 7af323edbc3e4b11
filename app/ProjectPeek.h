#pragma once
// Just enough of a project file to show its first source until the main
// window reads whole sessions.
#include <string>

namespace kep {

// Value of key in section of INI text: names compared ignoring ASCII case,
// first match wins, blanks around the value trimmed; empty when absent.
std::string IniValue(const std::string& text, const std::string& section, const std::string& key);

// A name read from a project (possibly written on Windows: backslashes,
// upper case) made into an existing path under folder when one matches
// ignoring case; otherwise the name as written, joined to folder.
std::string ResolveProjectName(const std::string& folder, const std::string& name);

} // namespace kep
