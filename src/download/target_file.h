// The local file a transfer writes: created empty (an old copy is
// truncated), and known to the page's open-file registry while open, so that
// the end of the download can close it and no write reaches it afterwards.
#pragma once

#include <windows.h>

#include <string>

#include "download/open_file_registry.h"

namespace quibo {

class TargetFile {
public:
    TargetFile(OpenFileRegistry& registry, const std::string& path);
    ~TargetFile() { Close(); }
    TargetFile(const TargetFile&) = delete;
    TargetFile& operator=(const TargetFile&) = delete;

    bool IsOpen() const { return handle_ != INVALID_HANDLE_VALUE; }
    // False when the write fails or the page has closed the file.
    bool Write(const void* data, DWORD size) { return registry_.Write(handle_, data, size); }
    // Takes the file out of the registry and closes it; false when the page
    // had closed it already.
    bool Close();

private:
    OpenFileRegistry& registry_;
    HANDLE handle_;
};

}  // namespace quibo
