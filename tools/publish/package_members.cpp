#include "publish/package_members.h"

#include <exception>

#include "core/zip/zip_archive.h"

namespace quibo::publish {

bool ReadPackageMembers(const std::string& packagePath, std::vector<PackageMember>& members)
{
    members.clear();
    try {
        CZipArchive archive;
        archive.Open(packagePath);
        for (int i = 0; i < archive.GetCount(); ++i)
            members.push_back({archive.GetMemberInfo(i).name, archive.ReadMember(i)});
        archive.Close();
        return true;
    } catch (const std::exception&) {
        members.clear();
        return false;
    }
}

}  // namespace quibo::publish
