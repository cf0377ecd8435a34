// Two spellings of one path: Windows file names ignore case, and "/" is read
// as "\".
#pragma once

#include <string>

namespace quibo {

// `path` (system code page) in upper case, with "\" for "/": equal keys name
// the same file.
std::wstring PathKey(const std::string& path);

}  // namespace quibo
