#include "win/folder_path.h"

#include <windows.h>

#include "core/text/code_page.h"
#include "win/system_code_page.h"

namespace quibo {

bool IsFolder(const std::string& path)
{
    DWORD attributes = ::GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool CreateFolderPath(const std::string& folder)
{
    // The path goes to the "A" functions, which read it in the system code page.
    const LeadByteRule rule = SystemLeadBytes();
    std::string path = folder;
    if (EndsWithChar(path, '\\', rule) || EndsWithChar(path, '/', rule)) path.pop_back();
    if (path.empty() || IsFolder(path)) return !path.empty();
    // Each parent in turn; the drive, the share and folders that are already
    // there simply refuse, and only the end result counts.
    for (size_t pos = 0; pos < path.size(); pos = NextCharPos(path, pos, rule)) {
        if (pos > 0 && (path[pos] == '\\' || path[pos] == '/'))
            ::CreateDirectoryA(path.substr(0, pos).c_str(), nullptr);
    }
    ::CreateDirectoryA(path.c_str(), nullptr);
    return IsFolder(path);
}

}  // namespace quibo
