#include "core/package/package.h"
#include "download/config_fetch.h"

namespace {

constexpr char kServerMember[] = "server.dat";
// Server packages are plain zip archives, like the configuration package.
constexpr char kPackagePassword[] = "";

}  // namespace

std::string ServerConfigFromPackage(std::string package)
{
    return ExtractPackageMember(std::move(package), kServerMember, kPackagePassword);
}

std::string FetchConfigLocal(const std::string& path)
{
    return ReadPackageMember(path, kServerMember, kPackagePassword);
}
