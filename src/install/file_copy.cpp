#include "install/file_copy.h"

#include <windows.h>

#include <vector>

#include "core/install/install_names.h"
#include "win/scoped_handle.h"

namespace quibo {

namespace {

// Large enough that the disk, not the calls, sets the pace; the same block
// is used for every file, so memory stays flat however much is copied.
constexpr DWORD kBlock = 1024 * 1024;

bool CopyBytes(HANDLE from, HANDLE to)
{
    // One block per thread for all its copies: fresh memory for every file
    // costs more than the copy itself when the files are small.
    thread_local std::vector<char> block(kBlock);
    for (;;) {
        DWORD got = 0;
        if (!::ReadFile(from, block.data(), kBlock, &got, nullptr)) return false;
        if (got == 0) return true;
        DWORD put = 0;
        if (!::WriteFile(to, block.data(), got, &put, nullptr) || put != got) return false;
    }
}

bool WriteTemporary(HANDLE from, const std::string& temp)
{
    LARGE_INTEGER start{};
    if (!::SetFilePointerEx(from, start, nullptr, FILE_BEGIN)) return false;
    UniqueFileHandle to(::CreateFileA(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                      FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!to) return false;
    if (!CopyBytes(from, to.Get())) return false;
    FILETIME written{};
    if (::GetFileTime(from, nullptr, nullptr, &written)) ::SetFileTime(to.Get(), nullptr, nullptr, &written);
    return ::FlushFileBuffers(to.Get()) != 0;
}

}  // namespace

bool CopyFileInto(const std::string& source, const std::string& target, const std::function<void()>& beforeReplace)
{
    UniqueFileHandle from(::CreateFileA(source.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                        FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!from) return false;
    return CopyFileInto(from.Get(), target, beforeReplace);
}

bool CopyFileInto(HANDLE source, const std::string& target, const std::function<void()>& beforeReplace)
{
    const std::string temp = CopyTempPath(target);
    if (!WriteTemporary(source, temp)) {
        ::DeleteFileA(temp.c_str());
        return false;
    }
    if (beforeReplace) beforeReplace();
    if (!::MoveFileExA(temp.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        ::DeleteFileA(temp.c_str());
        return false;
    }
    return true;
}

bool ClearReadOnly(const std::string& path)
{
    const DWORD attributes = ::GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_READONLY)) return false;
    DWORD cleared = attributes & ~static_cast<DWORD>(FILE_ATTRIBUTE_READONLY);
    return ::SetFileAttributesA(path.c_str(), cleared ? cleared : FILE_ATTRIBUTE_NORMAL) != 0;
}

void MarkReadOnly(const std::string& path)
{
    const DWORD attributes = ::GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY)) return;
    ::SetFileAttributesA(path.c_str(), (attributes & ~static_cast<DWORD>(FILE_ATTRIBUTE_NORMAL)) |
                                           FILE_ATTRIBUTE_READONLY);
}

}  // namespace quibo
