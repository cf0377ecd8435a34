// Where an item's files go.
#pragma once

#include <string>

#include "install/install_transaction.h"

namespace quibo {

// The absolute target folder of an item's `path` and a download record's
// `subfolder` (see TargetFolderPath), ending in "\", created with all its
// missing parents. With a `transaction`, each folder is journalled before it
// is made, so undoing the run removes it again. Paths are in the system's code
// page. Empty when the folder cannot be created.
std::string ResolveTargetFolder(const std::string& path, const std::string& subfolder,
                                const std::string& programFolder, InstallTransaction* transaction = nullptr);

}  // namespace quibo
