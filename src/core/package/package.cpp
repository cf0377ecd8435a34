#include "core/package/package.h"

#include <algorithm>
#include <exception>
#include <fstream>
#include <system_error>
#include <vector>

#include "core/zip/zip_archive.h"
#include "core/zip/zip_name.h"
#include "core/zip/zip_native_path.h"

namespace quibo {

namespace {

// Shorter passwords are not applied: the packages are plain zip archives.
void ApplyPassword(CZipArchive& archive, const std::string& password)
{
    if (password.size() >= 2) archive.SetPassword(password);
}

// A name that two members share, compared the way FindMember compares.
// Sorting keeps this fast for an archive of many members from a server.
std::string DuplicateName(const CZipArchive& archive)
{
    std::vector<std::pair<std::string, int>> folded;
    folded.reserve(static_cast<std::size_t>(archive.GetCount()));
    for (int i = 0; i < archive.GetCount(); ++i) {
        const CZipFileHeader& h = archive.GetMemberInfo(i);
        folded.emplace_back(FoldNameCase(h.name, !h.IsUtf8Name()), i);
    }
    std::sort(folded.begin(), folded.end());
    for (std::size_t i = 1; i < folded.size(); ++i)
        if (folded[i].first == folded[i - 1].first) return archive.GetMemberInfo(folded[i].second).name;
    return {};
}

bool HoldsTwice(const CZipArchive& archive, const std::string& memberName)
{
    int count = 0;
    for (int i = 0; i < archive.GetCount(); ++i) {
        const CZipFileHeader& h = archive.GetMemberInfo(i);
        if (NamesEqualNoCase(h.name, memberName, !h.IsUtf8Name())) ++count;
    }
    return count > 1;
}

PackageRead ReadNamed(CZipArchive& archive, const std::string& memberName, const std::string& password,
                      std::uint32_t limit)
{
    PackageRead read;
    read.duplicate = DuplicateName(archive);
    ApplyPassword(archive, password);
    int index = archive.FindMember(memberName);
    if (index >= 0 && !HoldsTwice(archive, memberName)) read.text = archive.ReadMember(index, limit);
    archive.Close();
    return read;
}

// A plain copy of the bytes: a copy by the file system would carry a
// read-only attribute over, and the copy must be writable.
bool CopyBytes(const std::string& from, const std::string& to)
{
    std::ifstream in(NativePath(from), std::ios::binary);
    std::ofstream out(NativePath(to), std::ios::binary | std::ios::trunc);
    if (!in || !out) return false;
    out << in.rdbuf();
    out.close();
    return in.good() && !out.fail();
}

bool RewriteInPlace(std::string_view content, const std::string& packagePath, const std::string& memberName,
                    const std::string& password)
{
    try {
        CZipArchive archive;
        archive.Open(packagePath);
        if (!DuplicateName(archive).empty()) return false;
        ApplyPassword(archive, password);
        int index = archive.FindMember(memberName);
        if (index >= 0) archive.DeleteMember(index);
        archive.AddMember(memberName, content);
        archive.Close();
    } catch (const std::exception&) {
        return false;
    }
    return true;
}

}  // namespace

PackageRead ReadPackage(const std::string& packagePath, const std::string& memberName,
                        const std::string& password, std::uint32_t limit)
{
    try {
        CZipArchive archive;
        archive.Open(packagePath);
        return ReadNamed(archive, memberName, password, limit);
    } catch (const std::exception&) {
        return {};
    }
}

PackageRead ExtractPackage(std::string package, const std::string& memberName, const std::string& password,
                           std::uint32_t limit)
{
    try {
        CZipArchive archive;
        archive.OpenMemory(std::move(package));
        return ReadNamed(archive, memberName, password, limit);
    } catch (const std::exception&) {
        return {};
    }
}

PackageMembers ExtractAllMembers(std::string package, std::uint32_t memberLimit, std::uint64_t totalLimit)
{
    PackageMembers all;
    try {
        CZipArchive archive;
        archive.OpenMemory(std::move(package));
        all.duplicate = DuplicateName(archive);
        if (!all.duplicate.empty()) return all;
        std::uint64_t total = 0;
        for (int i = 0; i < archive.GetCount(); ++i) {
            const std::uint32_t size = archive.GetMemberInfo(i).uncompressedSize;
            if (size > memberLimit || size > totalLimit - total) return all;
            total += size;
        }
        all.members.reserve(static_cast<std::size_t>(archive.GetCount()));
        for (int i = 0; i < archive.GetCount(); ++i)
            all.members.push_back({archive.GetMemberInfo(i).name, archive.ReadMember(i, memberLimit)});
        all.read = true;
    } catch (const std::exception&) {
        all.members.clear();
    }
    return all;
}

std::string ReadPackageMember(const std::string& packagePath, const std::string& memberName,
                              const std::string& password)
{
    return ReadPackage(packagePath, memberName, password).text;
}

std::string ExtractPackageMember(std::string package, const std::string& memberName,
                                 const std::string& password)
{
    return ExtractPackage(std::move(package), memberName, password).text;
}

bool WritePackageMember(std::string_view content, const std::string& packagePath,
                        const std::string& memberName, const std::string& password, const FileReplacer& replace)
{
    if (content.empty()) return false;
    if (replace) {
        const std::string staged = StagedPackagePath(packagePath);
        if (!CopyBytes(packagePath, staged) || !RewriteInPlace(content, staged, memberName, password) ||
            !replace(staged, packagePath)) {
            std::error_code ignored;
            std::filesystem::remove(NativePath(staged), ignored);
            return false;
        }
    } else if (!RewriteInPlace(content, packagePath, memberName, password)) {
        return false;
    }
    // What a later run will read is what counts.
    PackageRead back = ReadPackage(packagePath, memberName, password, UINT32_MAX);
    return back.duplicate.empty() && back.text == content;
}

}  // namespace quibo
