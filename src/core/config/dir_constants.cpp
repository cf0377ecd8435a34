#include "core/config/dir_constants.h"

#include "core/text/code_page.h"
#include "core/text/path_text.h"

namespace quibo {

DirConstants ComputeDirConstants(std::string_view programFolder, const SystemFolders& folders,
                                 LeadByteRule rule)
{
    std::string_view parent = StripTrailingBackslash(programFolder, rule);
    size_t cut = FindLastChar(parent, '\\', rule);
    if (cut != std::string_view::npos && cut > 0) parent = parent.substr(0, cut);

    auto folder = [rule](const std::string& path) { return std::string(StripTrailingBackslash(path, rule)); };
    DirConstants dirs;
    dirs[DirConstant::AppDrive] = std::string(parent.substr(0, 2));
    dirs[DirConstant::Parent] = std::string(parent);
    dirs[DirConstant::Windows] = folder(folders.windows);
    dirs[DirConstant::System] = folder(folders.system);
    dirs[DirConstant::Temp] = folder(folders.temp);
    dirs[DirConstant::ProgramFiles] = folder(folders.programFiles);
    dirs[DirConstant::Fonts] = folder(folders.fonts);
    dirs[DirConstant::Documents] = folder(folders.documents);
    dirs[DirConstant::Desktop] = folder(folders.desktop);
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

}  // namespace quibo
