#include "download/target_file.h"

namespace quibo {

TargetFile::TargetFile(OpenFileRegistry& registry, const std::string& path)
    : registry_(registry),
      handle_(::CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr))
{
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
