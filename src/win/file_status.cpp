#include "win/file_status.h"

#include <tlhelp32.h>

#include "win/scoped_handle.h"

namespace quibo {

bool FileExistsNonEmpty(const std::string& path)
{
    if (path.empty()) return false;
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!::GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return false;
    return data.nFileSizeHigh != 0 || data.nFileSizeLow != 0;
}

bool IsFileWritable(const std::string& path)
{
    UniqueFileHandle file(::CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                        FILE_ATTRIBUTE_NORMAL, nullptr));
    return static_cast<bool>(file);
}

bool FlushFileToDisk(const std::string& path)
{
    UniqueFileHandle file(::CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                        OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    return file && ::FlushFileBuffers(file.Get());
}

DWORD FindProcessByName(const std::string& fileName)
{
    UniqueFileHandle snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot) return 0;
    const DWORD self = ::GetCurrentProcessId();
    PROCESSENTRY32 entry = {sizeof entry};
    for (BOOL more = ::Process32First(snapshot.Get(), &entry); more;
         more = ::Process32Next(snapshot.Get(), &entry)) {
        // lstrcmpiA compares by the user's locale, so code page 936 names fold correctly.
        if (entry.th32ProcessID != self && ::lstrcmpiA(entry.szExeFile, fileName.c_str()) == 0)
            return entry.th32ProcessID;
    }
    return 0;
}

}  // namespace quibo
