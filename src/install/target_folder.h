// Where an item's files go.
#pragma once

#include <string>

namespace quibo {

// The absolute target folder of an item's `path` and a download record's
// `subfolder`, ending in "\", created with all its missing parents. A path
// without ":" is relative to `programFolder` (which ends in "\"); an empty
// path is the program folder; "/" is read as "\". Paths are in the system's
// code page, where the trail byte of a double-byte character may be 0x5C
// and is then no separator. Empty when the folder cannot be created.
std::string ResolveTargetFolder(const std::string& path, const std::string& subfolder,
                                const std::string& programFolder);

}  // namespace quibo
