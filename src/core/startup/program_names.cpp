#include "core/startup/program_names.h"

#include "core/package/package.h"
#include "core/signing/hex_text.h"
#include "core/text/case_fold.h"

namespace quibo {

namespace {

constexpr std::string_view kCopySuffix = ".exe.exe";
constexpr std::string_view kExeSuffix = ".exe";

}  // namespace

ModulePathParts SplitModulePath(std::string_view modulePath, LeadByteRule rule)
{
    size_t cut = FindLastChar(modulePath, '\\', rule);
    size_t split = cut == std::string_view::npos ? 0 : cut + 1;
    return {std::string(modulePath.substr(0, split)), std::string(modulePath.substr(split))};
}

std::string PackageNameFor(std::string_view programFileName, LeadByteRule rule)
{
    std::string_view base = programFileName;
    if (EndsWithNoCase(base, kCopySuffix, rule))
        base.remove_suffix(kCopySuffix.size());
    else if (EndsWithNoCase(base, kExeSuffix, rule))
        base.remove_suffix(kExeSuffix.size());
    return std::string(base) + ".bin";
}

std::string ProgramNameForCopy(std::string_view copyFileName, LeadByteRule rule)
{
    if (copyFileName.size() <= kCopySuffix.size() || !EndsWithNoCase(copyFileName, kCopySuffix, rule)) return {};
    copyFileName.remove_suffix(kExeSuffix.size());
    return std::string(copyFileName);
}

std::vector<std::string> OwnFileNames(std::string_view programFileName, LeadByteRule rule)
{
    std::string program = ProgramNameForCopy(programFileName, rule);
    if (program.empty()) program = std::string(programFileName);
    const std::string package = PackageNameFor(programFileName, rule);
    return {program, package, "client.log", package + ".journal"};
}

std::vector<std::string> RewriteLeftoverNames(std::string_view programFileName, LeadByteRule rule)
{
    std::string program = ProgramNameForCopy(programFileName, rule);
    if (program.empty()) program = std::string(programFileName);
    const std::string package = PackageNameFor(programFileName, rule);
    // ".new" and ".old": the archive's own rewrite; ".~qbpkg": a package
    // changed beside the package (with the archive's own files beside it);
    // ".~qbver": a version record of earlier builds; ".~qbcopy": a file copied
    // into place.
    const std::string staged = StagedPackagePath(package);
    return {package + ".new", package + ".old", staged, staged + ".new", staged + ".old",
            package + ".~qbver", package + ".~qbcopy", program + ".~qbcopy"};
}

std::string MutexNameFor(std::string_view modulePath, LeadByteRule rule)
{
    std::string name = ReplaceAll(modulePath, "\\", "_", std::string_view::npos, rule);
    if (EndsWithNoCase(name, kCopySuffix, rule)) name.resize(name.size() - kExeSuffix.size());
    return name;
}

std::string DownloadRootFor(std::string_view tempFolder)
{
    return std::string(tempFolder) + "\\~quibo_tmp\\";
}

std::string DownloadFolderFor(std::string_view tempFolder, const Sha256Digest& folderDigest)
{
    return DownloadRootFor(tempFolder) + ToHex(folderDigest.data(), 8) + "\\";
}

}  // namespace quibo
