#include "win/folder_path.h"

#include <windows.h>

#include "core/text/case_fold.h"
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

namespace {

bool RemoveEntry(const std::string& path, DWORD attributes)
{
    if (attributes & FILE_ATTRIBUTE_READONLY) ::SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) return ::DeleteFileA(path.c_str()) != FALSE;
    if (!(attributes & FILE_ATTRIBUTE_REPARSE_POINT)) EmptyFolder(path);
    return ::RemoveDirectoryA(path.c_str()) != FALSE;
}

}  // namespace

bool EmptyFolder(const std::string& folder, const std::string& keepFile)
{
    const LeadByteRule rule = SystemLeadBytes();
    const std::string base = EndsWithChar(folder, '\\', rule) ? folder : folder + "\\";
    bool empty = true;
    WIN32_FIND_DATAA found;
    HANDLE find = ::FindFirstFileA((base + "*").c_str(), &found);
    if (find == INVALID_HANDLE_VALUE) return IsFolder(folder);
    do {
        const std::string name = found.cFileName;
        if (name == "." || name == "..") continue;
        const bool isFile = !(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
        if (isFile && !keepFile.empty() && EqualsNoCase(name, keepFile, rule)) continue;
        if (!RemoveEntry(base + name, found.dwFileAttributes)) empty = false;
    } while (::FindNextFileA(find, &found));
    ::FindClose(find);
    return empty;
}

}  // namespace quibo
