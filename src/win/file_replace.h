// Putting a finished file in the place of another on the disk, for the files
// a power loss must never leave empty: the updater's configuration package.
#pragma once

#include <string>

namespace quibo {

// Flushes `written` to the disk, then renames it over `target` (the rename
// itself written through). A read-only target keeps its attribute: it is
// lifted only for the rename and the new file gets it, so `target` exists at
// every moment. False when it could not; `target` is then as it was and
// `written` is left for the caller.
bool ReplaceFileDurably(const std::string& written, const std::string& target);

}  // namespace quibo
