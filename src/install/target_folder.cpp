#include "install/target_folder.h"

#include <windows.h>

#include <functional>

#include "core/install/target_folder.h"
#include "core/text/path_text.h"
#include "win/system_code_page.h"

namespace quibo {

namespace {

bool IsFolder(const std::string& path)
{
    const DWORD attributes = ::GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// Creates `folder` and every missing folder above it, walking the path one
// character at a time so that only real separators split it. `announce` is
// told of each folder before it is made; it may refuse.
bool MakeFolders(const std::string& folder, LeadByteRule rule, const std::function<bool(const std::string&)>& announce)
{
    if (IsFolder(folder)) return true;
    // The first component a folder can be made below: past "C:\" or "\\server\share\".
    size_t start = 0;
    if (folder.compare(0, 2, "\\\\") == 0) {
        int separators = 0;
        for (start = 2; start < folder.size() && separators < 2; start = NextCharPos(folder, start, rule))
            if (folder[start] == '\\') ++separators;
    }
    auto make = [&](const std::string& part) {
        if (IsFolder(part)) return true;
        if (announce && !announce(part)) return false;
        ::CreateDirectoryA(part.c_str(), nullptr);
        return true;
    };
    for (size_t i = start; i < folder.size(); i = NextCharPos(folder, i, rule)) {
        if (folder[i] != '\\' || i == 0 || folder[i - 1] == ':') continue;
        if (!make(folder.substr(0, i))) return false;
    }
    return make(folder) && IsFolder(folder);
}

}  // namespace

std::string ResolveTargetFolder(const std::string& path, const std::string& subfolder,
                                const std::string& programFolder, InstallTransaction* transaction)
{
    const LeadByteRule rule = SystemLeadBytes();
    const std::string folder(StripTrailingBackslash(TargetFolderPath(path, subfolder, programFolder, rule), rule));
    std::function<bool(const std::string&)> announce;
    if (transaction) announce = [transaction](const std::string& made) { return transaction->WillMakeFolder(made); };
    if (folder.empty() || !MakeFolders(folder, rule, announce)) return {};
    return folder + "\\";
}

}  // namespace quibo
