#include "core/log/run_log.h"
#include "core/package/package.h"
#include "download/config_fetch.h"

namespace quibo {

namespace {

constexpr char kServerMember[] = "server.dat";
// Server packages are plain zip archives, like the configuration package.
constexpr char kPackagePassword[] = "";

// A package naming a member twice is refused whole.
std::string ServerText(PackageRead read)
{
    if (read.duplicate.empty()) return std::move(read.text);
    WriteLog("错误：服务器端配置文件包中有重名的文件：" + read.duplicate + "！");
    return {};
}

}  // namespace

std::string ServerConfigFromPackage(std::string package)
{
    return ServerText(ExtractPackage(std::move(package), kServerMember, kPackagePassword));
}

std::string FetchConfigLocal(const std::string& path)
{
    return ServerText(ReadPackage(path, kServerMember, kPackagePassword));
}

}  // namespace quibo
