#include "download/target_file.h"

namespace quibo {

namespace {

// Places the file's end after its first `keep` bytes; false when it holds fewer.
bool KeepFirst(HANDLE handle, std::uint64_t keep)
{
    LARGE_INTEGER size;
    if (!::GetFileSizeEx(handle, &size) || static_cast<std::uint64_t>(size.QuadPart) < keep) return false;
    LARGE_INTEGER offset;
    offset.QuadPart = static_cast<LONGLONG>(keep);
    return ::SetFilePointerEx(handle, offset, nullptr, FILE_BEGIN) && ::SetEndOfFile(handle);
}

}  // namespace

TargetFile::TargetFile(OpenFileRegistry& registry, const std::string& path, std::uint64_t keep)
    : registry_(registry),
      handle_(::CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                            keep > 0 ? OPEN_EXISTING : CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr))
{
    if (IsOpen() && keep > 0 && !KeepFirst(handle_, keep)) {
        ::CloseHandle(handle_);
        handle_ = INVALID_HANDLE_VALUE;
    }
    if (IsOpen()) registry_.Add(handle_);
}

bool TargetFile::Close()
{
    if (!IsOpen()) return false;
    HANDLE handle = handle_;
    handle_ = INVALID_HANDLE_VALUE;
    if (!registry_.Remove(handle)) return false;
    return ::CloseHandle(handle) != FALSE;
}

}  // namespace quibo
