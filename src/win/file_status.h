// Small questions about files and processes: asked at start-up and before
// the installation touches a file.
#pragma once

#include <windows.h>

#include <string>

namespace quibo {

// True when `path` is non-empty and names a file whose size is above 0.
bool FileExistsNonEmpty(const std::string& path);

// True when the file opens for reading and writing (it is then closed at
// once): a file that a running program holds cannot be replaced.
bool IsFileWritable(const std::string& path);

// Pushes what was written to `path` out to the disk, so that a rename that
// puts it in place can never expose a file whose bytes were lost. False when
// the file cannot be opened for writing (a read-only file among them).
bool FlushFileToDisk(const std::string& path);

// Id of the first running process, other than this one, whose image file name
// equals `fileName` (without regard to case); 0 when there is none.
DWORD FindProcessByName(const std::string& fileName);

}  // namespace quibo
