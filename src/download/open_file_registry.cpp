#include "download/open_file_registry.h"

#include <algorithm>

namespace quibo {

void OpenFileRegistry::Add(HANDLE file)
{
    std::lock_guard<std::mutex> lock(mutex_);
    files_.push_back(file);
}

bool OpenFileRegistry::Remove(HANDLE file)
{
    std::lock_guard<std::mutex> lock(mutex_);
    auto it = std::find(files_.begin(), files_.end(), file);
    if (it == files_.end()) return false;
    files_.erase(it);
    return true;
}

bool OpenFileRegistry::Write(HANDLE file, const void* data, DWORD size)
{
    // The lock is held through the write, so CloseAll cannot close the
    // handle under it; after CloseAll the handle is simply not found.
    std::lock_guard<std::mutex> lock(mutex_);
    if (std::find(files_.begin(), files_.end(), file) == files_.end()) return false;
    const char* p = static_cast<const char*>(data);
    while (size > 0) {
        DWORD written = 0;
        if (!::WriteFile(file, p, size, &written, nullptr) || written == 0) return false;
        p += written;
        size -= written;
    }
    return true;
}

void OpenFileRegistry::CloseAll()
{
    std::lock_guard<std::mutex> lock(mutex_);
    for (HANDLE file : files_) ::CloseHandle(file);
    files_.clear();
}

}  // namespace quibo
