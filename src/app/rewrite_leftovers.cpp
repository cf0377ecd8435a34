#include "app/rewrite_leftovers.h"

#include <windows.h>

#include "core/startup/program_names.h"
#include "win/file_replace.h"
#include "win/file_status.h"
#include "win/system_code_page.h"

namespace quibo {

void RemoveRewriteLeftovers(const std::string& programFolder, const std::string& programFileName)
{
    const std::string package = programFolder + PackageNameFor(programFileName, SystemLeadBytes());
    const std::string aside = package + ".old";
    if (!FileExistsNonEmpty(package) && FileExistsNonEmpty(aside)) ReplaceFileDurably(aside, package);
    const bool packageWhole = FileExistsNonEmpty(package);
    for (const std::string& name : RewriteLeftoverNames(programFileName, SystemLeadBytes())) {
        const std::string path = programFolder + name;
        if (path == aside && !packageWhole) continue;  // the only copy left
        if (::GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES) continue;
        ::SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        ::DeleteFileA(path.c_str());
    }
}

}  // namespace quibo
