#include "core/config/dir_constants.h"

#include "core/text/code_page.h"
#include "core/text/path_text.h"

DirConstants ComputeDirConstants(std::string_view programFolder, const SystemFolders& folders)
{
    std::string_view parent = StripTrailingBackslash(programFolder);
    size_t cut = FindLastChar(parent, '\\');
    if (cut != std::string_view::npos && cut > 0) parent = parent.substr(0, cut);

    DirConstants dirs;
    dirs.values = {std::string(parent.substr(0, 2)),
                   std::string(parent),
                   std::string(StripTrailingBackslash(folders.windows)),
                   std::string(StripTrailingBackslash(folders.system)),
                   std::string(StripTrailingBackslash(folders.temp)),
                   std::string(StripTrailingBackslash(folders.programFiles)),
                   std::string(StripTrailingBackslash(folders.fonts)),
                   std::string(StripTrailingBackslash(folders.documents)),
                   std::string(StripTrailingBackslash(folders.desktop))};
    return dirs;
}

std::string ExpandDirConstants(std::string_view text, const DirConstants& dirs)
{
    std::string result(text);
    for (size_t i = 0; i < kDirConstantCount; ++i) {
        std::string_view placeholder = kDirPlaceholders[i];
        if (result.compare(0, placeholder.size(), placeholder) == 0)
            result = ReplaceAll(result, placeholder, dirs.values[i], kMaxExpandedLength);
    }
    if (result.size() > kMaxExpandedLength) result.resize(HeadWithin(result, kMaxExpandedLength).size());
    return result;
}
