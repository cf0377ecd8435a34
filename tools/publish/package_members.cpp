#include "publish/package_members.h"

#include <fstream>
#include <iterator>

#include "core/package/package.h"
#include "core/signing/server_package.h"

namespace quibo::publish {

bool ReadPackageMembers(const std::string& packagePath, std::vector<PackageMember>& members)
{
    members.clear();
    std::ifstream in(packagePath, std::ios::binary);
    if (!in) return false;
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad()) return false;
    // Read as a client reads it, within the client's limits.
    PackageMembers all = ExtractAllMembers(std::move(bytes), kMaxSignedMember, kMaxSignedMembers);
    if (!all.read) return false;
    members = std::move(all.members);
    return true;
}

}  // namespace quibo::publish
