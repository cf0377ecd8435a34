// The files that transfers are writing. When the download ends early, the
// page closes whatever is still open; a transfer that is between its stop test
// and its next write then finds its file gone instead of writing to a closed
// (and possibly reused) handle. Every write goes through the registry for that.
#pragma once

#include <windows.h>

#include <mutex>
#include <vector>

namespace quibo {

class OpenFileRegistry {
public:
    OpenFileRegistry() = default;
    OpenFileRegistry(const OpenFileRegistry&) = delete;
    OpenFileRegistry& operator=(const OpenFileRegistry&) = delete;
    ~OpenFileRegistry() { CloseAll(); }

    void Add(HANDLE file);
    // Takes the file back from the registry; false when CloseAll closed it.
    bool Remove(HANDLE file);
    // Writes all of `data` to a registered file; false when it is no longer
    // registered or the write fails.
    bool Write(HANDLE file, const void* data, DWORD size);
    // Closes every registered file (end of download).
    void CloseAll();

private:
    std::mutex mutex_;
    std::vector<HANDLE> files_;
};

}  // namespace quibo
