// Where an item's files are installed.
#pragma once

#include <string>
#include <string_view>

#include "core/text/code_page.h"

namespace quibo {

// The folder, ending in "\", for an item's `path` and a record's
// `subfolder`: the path trimmed; a path without ":" is relative to
// `programFolder` (one leading "\" dropped, so "\\server\share" becomes
// program folder + "\server\share\"); an empty path is the program folder
// itself; "/" becomes "\". `programFolder` ends in "\".
std::string TargetFolderPath(std::string_view path, std::string_view subfolder, std::string_view programFolder,
                             LeadByteRule rule = kBuildCharset);

}  // namespace quibo
