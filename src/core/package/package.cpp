#include "core/package/package.h"

#include <exception>

#include "core/zip/zip_archive.h"

namespace {

// Shorter passwords are not applied: the packages are plain zip archives.
void ApplyPassword(CZipArchive& archive, const std::string& password) {
    if (password.size() >= 2) archive.SetPassword(password);
}

std::string ReadNamedMember(CZipArchive& archive, const std::string& memberName,
                            const std::string& password) {
    ApplyPassword(archive, password);
    int index = archive.FindMember(memberName);
    std::string text = index < 0 ? std::string() : archive.ReadMember(index);
    archive.Close();
    return text;
}

}  // namespace

std::string ReadPackageMember(const std::string& packagePath, const std::string& memberName,
                              const std::string& password) {
    try {
        CZipArchive archive;
        archive.Open(packagePath);
        return ReadNamedMember(archive, memberName, password);
    } catch (const std::exception&) {
        return {};
    }
}

std::string ExtractPackageMember(std::string package, const std::string& memberName,
                                 const std::string& password) {
    try {
        CZipArchive archive;
        archive.OpenMemory(std::move(package));
        return ReadNamedMember(archive, memberName, password);
    } catch (const std::exception&) {
        return {};
    }
}

bool WritePackageMember(std::string_view content, const std::string& packagePath,
                        const std::string& memberName, const std::string& password) {
    if (content.empty()) return false;
    try {
        CZipArchive archive;
        archive.Open(packagePath);
        ApplyPassword(archive, password);
        int index = archive.FindMember(memberName);
        if (index >= 0) archive.DeleteMember(index);
        archive.AddMember(memberName, content);
        archive.Close();
        return true;
    } catch (const std::exception&) {
        return false;
    }
}
