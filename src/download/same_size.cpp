#include "download/same_size.h"

#include <windows.h>

#include "core/log/run_log.h"

namespace quibo {

bool LocalFileSize(const std::string& path, std::uint64_t& size)
{
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!::GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return false;
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return false;
    size = (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    return true;
}

bool IsSameSizeFile(const std::string& path, std::uint64_t size)
{
    std::uint64_t length = 0;
    return LocalFileSize(path, length) && length == size;
}

bool SkipSameSizeFile(TransferControl& control, TransferView& view, const std::string& path,
                      std::uint64_t size, int row)
{
    if (!IsSameSizeFile(path, size)) return false;
    view.SetFileProgress(100);
    if (!view.IsFolderRow(row)) view.SetRowProgress(row, 100);
    WriteLog("此文件以前下载过，不用再下载了。");
    control.WaitIfPaused();
    return true;
}

}  // namespace quibo
