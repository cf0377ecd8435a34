// Removing a download folder: after an update, and before a download
// when something else stands at its place.
#pragma once

#include <string>

namespace quibo {

enum class ReadOnlyFiles { Stay, Removed };

// Deletes the folder `path` (system code page, no trailing "\" needed) with
// all its files and subfolders, depth first, and returns whether the folder
// itself was removed. Files that cannot be deleted (in use, and read-only
// ones unless `readOnly` says Removed) stay, and so do the folders above them. A junction or symbolic link inside is
// removed as a link: what it points to is never entered. Refuses an empty
// path and the root of a drive or share. Paths of any length.
bool DeleteFolderTree(const std::string& path, ReadOnlyFiles readOnly = ReadOnlyFiles::Stay);

}  // namespace quibo
