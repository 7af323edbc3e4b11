#pragma once
// Links the desktop drops: a freedesktop ".desktop" entry of type Link
// pointing at a local file stands for that file, as a shortcut does.
#include <string>
#include <string_view>

namespace kep {

// The local path a desktop entry's text links to; empty when the text is no
// link entry or its URL is not a local file.
std::string DesktopLinkTarget(std::string_view entryText);
// The same for a file; empty when it cannot be read.
std::string DesktopLinkFileTarget(const std::string& path);
// True for a name ending in ".desktop" (ASCII case ignored).
bool IsDesktopFileName(std::string_view name);

} // namespace kep
