// Unpacking an item's zip package into its target folder, as part of an
// installation: every member's old file is backed up and every file is
// journalled before it is written, so a failure or a crash can be undone.
#pragma once

#include <string>

#include "install/install_transaction.h"
#include "install/install_view.h"

namespace quibo {

// Unpacks every member of `packagePath` below `targetFolder`. Every member's
// target is checked before anything is written: a name that would leave the
// folder (or pass through a link below it) fails the whole package. Folder
// members are made, not recorded as written files. False when any member
// could not be unpacked; the caller then rolls `transaction` back, which
// also removes what was unpacked. A locked target, a failed backup or a
// refused name is reported here (log line, and a box for the first two).
bool ExtractArchive(const std::string& packagePath, const std::string& targetFolder,
                    InstallTransaction& transaction, InstallView& view);

}  // namespace quibo
