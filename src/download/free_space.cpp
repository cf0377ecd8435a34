#include "download/free_space.h"

#include <windows.h>

#include "core/text/code_page.h"

namespace quibo {

bool HasRoomFor(TransferView& view, const std::string& localPath, std::uint64_t bytes)
{
    const size_t backslash = FindLastChar(localPath, '\\');
    const std::string folder = backslash == std::string::npos ? std::string() : localPath.substr(0, backslash + 1);
    ULARGE_INTEGER available{};
    // A disk that cannot tell its free space is left to the writes to find out.
    if (!::GetDiskFreeSpaceExA(folder.empty() ? nullptr : folder.c_str(), &available, nullptr, nullptr))
        return true;
    if (available.QuadPart >= bytes) return true;
    view.SetStatus("错误：磁盘空间不足，下载此文件需要" + std::to_string(bytes) + "字节，" + folder + "只有" +
                   std::to_string(available.QuadPart) + "字节可用！");
    return false;
}

}  // namespace quibo
