#include "core/startup/program_names.h"

#include "core/text/case_fold.h"
#include "core/text/code_page.h"

namespace {

constexpr std::string_view kCopySuffix = ".exe.exe";
constexpr std::string_view kExeSuffix = ".exe";

}  // namespace

ModulePathParts SplitModulePath(std::string_view modulePath)
{
    size_t cut = FindLastChar(modulePath, '\\');
    size_t split = cut == std::string_view::npos ? 0 : cut + 1;
    return {std::string(modulePath.substr(0, split)), std::string(modulePath.substr(split))};
}

std::string PackageNameFor(std::string_view programFileName)
{
    std::string_view base = programFileName;
    if (EndsWithNoCase(base, kCopySuffix))
        base.remove_suffix(kCopySuffix.size());
    else if (EndsWithNoCase(base, kExeSuffix))
        base.remove_suffix(kExeSuffix.size());
    return std::string(base) + ".bin";
}

std::string MutexNameFor(std::string_view modulePath)
{
    std::string name = ReplaceAll(modulePath, "\\", "_");
    if (EndsWithNoCase(name, kCopySuffix)) name.resize(name.size() - kExeSuffix.size());
    return name;
}

std::string DownloadFolderFor(std::string_view tempFolder) { return std::string(tempFolder) + "\\~quibo_tmp\\"; }
