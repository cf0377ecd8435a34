// NativePath: the one place where an 8-bit path becomes a file-system path.
// Every file the component touches goes through it, so a name is converted
// the same way when a folder is made and when a file is opened inside it.
#pragma once

#include <filesystem>
#include <string>

namespace quibo {

// A path in the system's 8-bit code page, as the "A" functions of Windows
// take it (code page 936 on the systems the program is made for).
std::filesystem::path NativePath(const std::string& bytes);

// A name in UTF-8, as members flagged so carry it. Must be valid UTF-8.
std::filesystem::path NativePathFromUtf8(const std::string& utf8);

}  // namespace quibo
