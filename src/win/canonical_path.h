// One spelling for every spelling of a local path. "C:\App\..\APP\Update.bin",
// "c:\app\update.bin" and a short name such as "C:\APP~1\UPDATE.BIN" name one
// file; the program must see that whenever it asks whether a target is one of
// its own files.
#pragma once

#include <string>

namespace quibo {

// The full path ("." and ".." resolved, relative paths taken from the current
// folder), every existing part in its long name, ASCII letters in lower case,
// and no trailing "\" (a drive's root keeps it). A path whose parts do not
// exist yet keeps those parts as written, folded the same way.
std::string CanonicalPath(const std::string& path);

// Whether two paths name the same file or folder by CanonicalPath.
bool SamePath(const std::string& a, const std::string& b);

}  // namespace quibo
