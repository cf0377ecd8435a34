#include "install/target_folder.h"

#include <windows.h>

#include "core/text/path_text.h"
#include "core/text/trim.h"
#include "win/system_code_page.h"

namespace quibo {

namespace {

bool IsFolder(const std::string& path)
{
    const DWORD attributes = ::GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// Creates `folder` and every missing folder above it, walking the path one
// character at a time so that only real separators split it.
bool MakeFolders(const std::string& folder, LeadByteRule rule)
{
    if (IsFolder(folder)) return true;
    // The first component a folder can be made below: past "C:\" or "\\server\share\".
    size_t start = 0;
    if (folder.compare(0, 2, "\\\\") == 0) {
        int separators = 0;
        for (start = 2; start < folder.size() && separators < 2; start = NextCharPos(folder, start, rule))
            if (folder[start] == '\\') ++separators;
    }
    for (size_t i = start; i < folder.size(); i = NextCharPos(folder, i, rule)) {
        if (folder[i] != '\\' || i == 0 || folder[i - 1] == ':') continue;
        const std::string part = folder.substr(0, i);
        if (!IsFolder(part)) ::CreateDirectoryA(part.c_str(), nullptr);
    }
    ::CreateDirectoryA(folder.c_str(), nullptr);
    return IsFolder(folder);
}

}  // namespace

std::string ResolveTargetFolder(const std::string& path, const std::string& subfolder,
                                const std::string& programFolder)
{
    const LeadByteRule rule = SystemLeadBytes();
    std::string p;
    if (!Trim(path).empty()) {
        p = EnsureTrailingBackslash(path, rule);
        if (FindText(p, ":", 0, rule) == std::string::npos) {
            if (p[0] == '\\') p.erase(0, 1);  // relative: below the program folder
            p = programFolder + p;
        }
    } else {
        p = programFolder;
    }
    if (!subfolder.empty()) p += subfolder + "\\";
    p = ReplaceAll(p, "/", "\\", std::string::npos, rule);
    const std::string folder(StripTrailingBackslash(p, rule));
    if (folder.empty() || !MakeFolders(folder, rule)) return {};
    return folder + "\\";
}

}  // namespace quibo
