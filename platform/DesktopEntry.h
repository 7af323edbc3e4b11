#pragma once
// The text of desktop entries: string escapes, ";" lists, the value of a key
// of a group, and the program an entry starts. ExecValue and ExecArgs, the
// public half of it, are declared in DesktopIntegration.h.
#include <string>
#include <string_view>
#include <vector>

namespace kep::desktop_detail {

// Without the spaces and tabs around it (and a "\r" left by a "\r\n" end).
std::string_view Trim(std::string_view s);
// The trimmed, non-empty items of a list separated by `sep`.
std::vector<std::string> SplitList(std::string_view s, char sep);
// The items separated by ";", with a final ";" when `trailing`.
std::string JoinList(const std::vector<std::string>& items, bool trailing);

// The escapes of string values ("\s", "\n", "\t", "\r", "\\") and back.
std::string EscapeString(std::string_view v);
std::string UnescapeString(std::string_view v);

// The raw value of a key of a group; false when it has none.
bool EntryValue(std::string_view text, std::string_view group, std::string_view key, std::string& value);
// The text of a regular file small enough to be an entry.
bool ReadEntry(const std::string& path, std::string& text);
// The entry's Exec starts this program (links resolved).
bool StartsProgram(const std::string& entryPath, const std::string& exePath);

// Another application's Exec value made to open one file as "%f".
std::string WithFileCode(std::string_view exec);

} // namespace kep::desktop_detail
