#pragma once
// mimeapps.list files: edits that leave every other line byte for byte, and
// the default application of a type across the files of the user and of
// the system.
#include "platform/DesktopIntegration.h"

#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace kep::desktop_detail {

// The text with `id` first among the default and the added applications of
// `type`, and no longer among the removed ones.
std::string MimeappsWithDefault(std::string_view text, std::string_view type, std::string_view id);
// The text without `id` among the default and the added applications of
// `type`; a group only its lines made, at the end, goes with them.
std::string MimeappsWithoutApplication(std::string_view text, std::string_view type, std::string_view id);
// The text with `id` back among the removed applications of `type`.
std::string MimeappsWithRefused(std::string_view text, std::string_view type, std::string_view id);
// `id` is among the removed applications of `type`.
bool MimeappsRefuses(std::string_view text, std::string_view type, std::string_view id);
// The ids among the default and the added applications of `type`.
std::vector<std::string> MimeappsApplications(std::string_view text, std::string_view type);

// The installed file of a desktop id, empty when none is (a hidden entry
// hides those of lower folders too).
std::string InstalledEntry(const TXdgDirs& dirs, std::string_view id);

// The default application of a type: the first installed one that
// `accept` takes among the default ids of the mimeapps.list files, in their
// order of precedence. Its id and file, or empty ones.
std::pair<std::string, std::string> DefaultApplication(
    const TXdgDirs& dirs, std::string_view type,
    const std::function<bool(const std::string&, const std::string&)>& accept);

} // namespace kep::desktop_detail
