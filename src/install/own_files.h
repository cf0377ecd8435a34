// The updater's own files in its program folder: its program, its
// configuration package, the run log and the installation journal. Only the
// self-update may replace the first two; nothing an item brings may replace
// any of them, however its target path is written.
#pragma once

#include <string>

namespace quibo {

// True, after a log line, when `target` names one of the running updater's own
// files; the caller then fails the item.
bool RefuseOwnFile(const std::string& target);

}  // namespace quibo
