// Making sure a local folder exists before files are written into it.
#pragma once

#include <string>

namespace quibo {

// True when `path` names an existing folder.
bool IsFolder(const std::string& path);

// Creates `folder` with every missing parent ("\" or "/" separated, one
// trailing separator allowed); true when the folder exists afterwards.
bool CreateFolderPath(const std::string& folder);

// Deletes everything inside `folder` (files and subfolders, read-only ones
// too), keeping the folder itself and, when `keepFile` is given, the file of
// that name (letters in any case). A link to a folder is removed, never
// followed. True when nothing else is left.
bool EmptyFolder(const std::string& folder, const std::string& keepFile = {});

}  // namespace quibo
