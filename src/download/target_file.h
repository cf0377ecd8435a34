// The local file a transfer writes: created empty (an old copy is
// truncated) or continued after the bytes it already holds, and known to the page's open-file registry while open, so that
// the end of the download can close it and no write reaches it afterwards.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "download/open_file_registry.h"

namespace quibo {

class TargetFile {
public:
    // With `keep` above 0 the existing file is opened and written on from
    // that many bytes (anything after them is cut off); it is not open when
    // the file is missing or shorter.
    TargetFile(OpenFileRegistry& registry, const std::string& path, std::uint64_t keep = 0);
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
