#include "win/file_replace.h"

#include <windows.h>

#include "win/file_status.h"

namespace quibo {

namespace {

constexpr DWORD kMoveFlags = MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH;

bool Move(const std::string& from, const std::string& to)
{
    return ::MoveFileExA(from.c_str(), to.c_str(), kMoveFlags) != 0;
}

}  // namespace

bool ReplaceFileDurably(const std::string& written, const std::string& target)
{
    if (!FlushFileToDisk(written)) return false;
    const DWORD attributes = ::GetFileAttributesA(target.c_str());
    const bool readOnly = attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0;
    if (!readOnly) return Move(written, target);

    // Windows will not rename over a read-only file; moving the old one aside
    // instead would leave a moment without it.
    if (!::SetFileAttributesA(target.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY)) return false;
    if (!Move(written, target)) {
        ::SetFileAttributesA(target.c_str(), attributes);
        return false;
    }
    const DWORD now = ::GetFileAttributesA(target.c_str());
    ::SetFileAttributesA(target.c_str(), (now == INVALID_FILE_ATTRIBUTES ? 0 : now) | FILE_ATTRIBUTE_READONLY);
    return true;
}

}  // namespace quibo
