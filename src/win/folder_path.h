// Making sure a local folder exists before files are written into it.
#pragma once

#include <string>

namespace quibo {

// True when `path` names an existing folder.
bool IsFolder(const std::string& path);

// Creates `folder` with every missing parent ("\" or "/" separated, one
// trailing separator allowed); true when the folder exists afterwards.
bool CreateFolderPath(const std::string& folder);

}  // namespace quibo
