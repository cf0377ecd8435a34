#include <fstream>
#include <system_error>

#include "core/log/run_log.h"
#include "core/zip/zip_native_path.h"
#include "download/config_fetch.h"

namespace quibo {

std::string FetchConfigLocal(const std::string& path)
{
    std::error_code error;
    const std::uintmax_t size = std::filesystem::file_size(NativePath(path), error);
    if (error) return {};
    if (size > kMaxConfigPackage) {
        WriteLog("错误：服务器配置包太大：" + std::to_string(size) + "字节");
        return {};
    }
    std::ifstream in(NativePath(path), std::ios::binary);
    if (!in) return {};
    // Room for one byte more shows a file that changed since its size was taken.
    std::string package(static_cast<std::size_t>(size) + 1u, '\0');
    in.read(package.data(), static_cast<std::streamsize>(package.size()));
    if (in.bad() || static_cast<std::uintmax_t>(in.gcount()) != size) return {};
    package.resize(static_cast<std::size_t>(in.gcount()));
    return package;
}

}  // namespace quibo
