// Copying a file into place, the way the installation puts new files and
// restores old ones: all or nothing, even across a crash.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

namespace quibo {

// Writes the bytes of `source` beside `target` under CopyTempPath(target),
// flushes them to the disk, and renames that file over `target`. The copy
// keeps the source's modification time. False on any failure; the target is
// then as it was and no temporary file is left. `beforeReplace` runs once the
// bytes are on disk, just before the rename (the installation counts it as a
// step of its own).
bool CopyFileInto(const std::string& source, const std::string& target,
                  const std::function<void()>& beforeReplace = {});
// The same from a file the caller holds open for reading, from its first
// byte (the handle's position is moved).
bool CopyFileInto(HANDLE source, const std::string& target, const std::function<void()>& beforeReplace = {});

// Read-only files can be neither replaced nor deleted. True when the file
// carried the mark (it is cleared now); false when it did not or is missing.
bool ClearReadOnly(const std::string& path);
// Puts the mark (back) on an existing file.
void MarkReadOnly(const std::string& path);

}  // namespace quibo
