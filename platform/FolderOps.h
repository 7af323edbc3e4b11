#pragma once
// Whole-folder operations of the shell: a copy that keeps times and
// permissions, and a delete that goes to the user's trash, laid out as
// freedesktop desktops keep it, never for good.
#include <string>

namespace kep {

// Copies the tree `source` to `destination`. When `destination` does not
// exist it becomes the copy; when it does, the tree is merged into it and
// files of the same name are replaced (each through a temporary file and a
// rename, so none is ever left half-written). Files keep their permission
// bits and modification times, folders their permission bits. A symbolic
// link is copied as a link, never followed; an absolute link that points
// inside `source` is made to point at the same place inside the copy.
// Fifos, sockets and devices are left out. A destination inside the source
// (or the source itself) is refused. On failure the folders this call
// created are removed again, `error` gets a French reason naming the file,
// and false is returned.
bool CopyFolder(const std::string& source, const std::string& destination, std::string* error = nullptr);

// Moves a file or folder to the trash: the home trash
// ($XDG_DATA_HOME/Trash, default ~/.local/share/Trash) when it lies on the
// same file system, otherwise the top folder's ".Trash/UID" (when the
// administrator made it, sticky and not a link) or ".Trash-UID". A
// ".trashinfo" file with the original path and the deletion time goes to
// "info", the item to "files" under a name no other item uses. Nothing is
// ever copied or deleted: when no trash on the item's file system can be
// used, the item stays where it is and false is returned with a French
// reason in `error`.
bool MoveToTrash(const std::string& path, std::string* error = nullptr);

} // namespace kep
