#pragma once
// Paths as the program identifies files: names compared ignoring ASCII case,
// and stored names (Windows separators and case allowed) resolved against the
// spelling on disk.
#include <string>
#include <string_view>

namespace kep {

bool SamePath(std::string_view a, std::string_view b);
// Whether two full paths name one file. Spelt alike but for case, they are
// one only when one of them does not exist as spelt (a name written on
// Windows, a file not saved yet) or both lead to the same file (a folder on
// a file system that ignores case): two files on disk are two files.
bool SameFile(const std::string& a, const std::string& b);
std::string FolderOf(const std::string& path);   // with its final "/"
std::string FileNameOf(const std::string& path); // without folder
// `path` relative to `folder` (with "../" when needed).
std::string RelativePath(const std::string& folder, const std::string& path);
// A stored name (Windows separators and case allowed) made into a path under
// `folder`, following the existing spelling of each part when one matches
// ignoring case.
std::string ExpandName(const std::string& folder, const std::string& name);

} // namespace kep
