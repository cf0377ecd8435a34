// Junctions for the tests: a folder made a mount point to another folder,
// as `mklink /J` makes it. Written with the reparse request itself, which
// Windows and Wine both carry out.
#pragma once

#include <windows.h>
#include <winioctl.h>

#include <cstring>
#include <string>
#include <vector>

namespace junctiontest {

inline std::wstring Wide(const std::string& text)
{
    std::wstring wide(text.size(), L'\0');
    int n = ::MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), &wide[0],
                                  static_cast<int>(wide.size()));
    wide.resize(static_cast<size_t>(n));
    return wide;
}

// Makes `link` (a full path where nothing stands) a junction to the folder
// `target` (a full path); false when the system refuses.
inline bool MakeJunction(const std::string& link, const std::string& target)
{
    if (!::CreateDirectoryA(link.c_str(), nullptr)) return false;
    const std::wstring print = Wide(target);
    const std::wstring substitute = L"\\??\\" + print;
    // The mount point layout: tag, data length, reserved; then the offsets
    // and lengths (bytes) of both names, and the names, each ending in 0.
    const size_t names = (substitute.size() + 1 + print.size() + 1) * sizeof(wchar_t);
    const size_t dataLength = 8 + names;
    std::vector<unsigned char> buffer(8 + dataLength, 0);
    auto put16 = [&](size_t at, size_t value) {
        const WORD word = static_cast<WORD>(value);
        std::memcpy(&buffer[at], &word, 2);
    };
    const DWORD tag = IO_REPARSE_TAG_MOUNT_POINT;
    std::memcpy(&buffer[0], &tag, 4);
    put16(4, dataLength);
    put16(8, 0);
    put16(10, substitute.size() * sizeof(wchar_t));
    put16(12, (substitute.size() + 1) * sizeof(wchar_t));
    put16(14, print.size() * sizeof(wchar_t));
    std::memcpy(&buffer[16], substitute.c_str(), substitute.size() * sizeof(wchar_t));
    std::memcpy(&buffer[16 + (substitute.size() + 1) * sizeof(wchar_t)], print.c_str(),
                print.size() * sizeof(wchar_t));
    HANDLE handle = ::CreateFileA(link.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                  FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        ::RemoveDirectoryA(link.c_str());
        return false;
    }
    DWORD returned = 0;
    const BOOL made = ::DeviceIoControl(handle, FSCTL_SET_REPARSE_POINT, buffer.data(),
                                        static_cast<DWORD>(buffer.size()), nullptr, 0, &returned, nullptr);
    ::CloseHandle(handle);
    const DWORD attributes = ::GetFileAttributesA(link.c_str());
    if (made && attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT)) return true;
    ::RemoveDirectoryA(link.c_str());
    return false;
}

}  // namespace junctiontest
