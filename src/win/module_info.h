// Facts about the running program file: its path and its version resource.
#pragma once

#include <string>

namespace quibo {

// Full path of the running program file (code page 936), at most 260 bytes.
std::string GetModulePath();
// The program file's name without its extension ("update" for update.exe):
// the title of the program's own boxes and its Internet agent name.
std::string AppTitle();
// "ProductName" from the version resource of `path`; empty when there is none.
std::string GetProductName(const std::string& path);
// The file version of `path` as "major.minor"; empty when there is none.
std::string GetFileVersionText(const std::string& path);

}  // namespace quibo
