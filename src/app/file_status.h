// Small questions about files and processes asked at start-up.
#pragma once

#include <windows.h>

#include <string>

namespace quibo {

// True when `path` is non-empty and names a file whose size is above 0.
bool FileExistsNonEmpty(const std::string& path);

// Id of the first running process, other than this one, whose image file name
// equals `fileName` (without regard to case); 0 when there is none.
DWORD FindProcessByName(const std::string& fileName);

}  // namespace quibo
