#include "core/install/target_folder.h"

#include "core/text/path_text.h"
#include "core/text/trim.h"

namespace quibo {

std::string TargetFolderPath(std::string_view path, std::string_view subfolder, std::string_view programFolder,
                             LeadByteRule rule)
{
    std::string folder;
    if (path.empty()) {
        folder = programFolder;
    } else {
        folder = EnsureTrailingBackslash(Trim(path), rule);
        if (folder.find(':') == std::string::npos) {
            // ":" and "\" are never trail bytes of code page 936 at the start.
            if (!folder.empty() && folder.front() == '\\') folder.erase(0, 1);
            folder.insert(0, programFolder);
        }
    }
    if (!subfolder.empty()) {
        folder += subfolder;
        folder += '\\';
    }
    // "/" is below every trail byte of code page 936, so a byte test will do.
    for (char& c : folder)
        if (c == '/') c = '\\';
    return folder;
}

}  // namespace quibo
