#include "install/archive_extract.h"

#include <windows.h>

#include <exception>
#include <optional>
#include <vector>

#include "core/log/run_log.h"
#include "core/text/code_page.h"
#include "core/zip/zip_archive.h"
#include "core/zip/zip_exception.h"
#include "core/zip/zip_name.h"
#include "install/own_files.h"
#include "win/file_status.h"
#include "win/system_code_page.h"

namespace quibo {

namespace {

struct MemberTarget {
    int index = 0;
    std::string path;   // full path in the system code page
    std::string shown;  // the member's name for the log
    bool folder = false;
};

// A UTF-8 name in the system code page; nothing when a character has no
// exact form there (the "A" file functions could not reach the file).
std::optional<std::string> FromUtf8(const std::string& utf8)
{
    if (utf8.empty()) return std::string();
    const int size = static_cast<int>(utf8.size());
    int n = ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), size, nullptr, 0);
    if (n <= 0) return std::nullopt;
    std::wstring wide(static_cast<size_t>(n), L'\0');
    ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), size, &wide[0], n);
    BOOL lossy = FALSE;
    int m = ::WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(), n, nullptr, 0, nullptr, &lossy);
    if (m <= 0 || lossy) return std::nullopt;
    std::string bytes(static_cast<size_t>(m), '\0');
    ::WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(), n, &bytes[0], m, nullptr, &lossy);
    if (lossy) return std::nullopt;
    return bytes;
}

bool IsLinkOrMissing(const std::string& path, bool& missing)
{
    const DWORD attributes = ::GetFileAttributesA(path.c_str());
    missing = attributes == INVALID_FILE_ATTRIBUTES;
    return !missing && (attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

// Where member `index` lands below `folder` (ending in "\"); nothing for a
// name that would leave it.
std::optional<MemberTarget> TargetOf(const CZipArchive& zip, int index, const std::string& folder)
{
    const CZipFileHeader& header = zip.GetMemberInfo(index);
    const bool utf8 = header.IsUtf8Name();
    std::vector<std::string> parts;
    try {
        parts = SafeMemberPath(header.name, !utf8);
    } catch (const CZipException&) {
        return std::nullopt;
    }
    MemberTarget target{index, folder, header.name, header.IsDirectory()};
    if (utf8) {
        std::optional<std::string> shown = FromUtf8(header.name);
        if (!shown) return std::nullopt;
        target.shown = *shown;
    }
    for (size_t i = 0; i < parts.size(); ++i) {
        std::optional<std::string> part = utf8 ? FromUtf8(parts[i]) : std::optional<std::string>(parts[i]);
        if (!part || part->empty()) return std::nullopt;
        target.path += *part;
        // A link below the folder would carry the member somewhere else.
        bool missing = false;
        if (IsLinkOrMissing(target.path, missing)) return std::nullopt;
        if (i + 1 < parts.size()) target.path += "\\";
    }
    return target;
}

// Journals every folder between `folder` and `path` that does not exist yet
// (the member's own folder too, for a folder member), outermost first.
bool AnnounceFolders(InstallTransaction& transaction, const std::string& folder, const MemberTarget& member)
{
    const LeadByteRule rule = SystemLeadBytes();
    const std::string& path = member.path;
    for (size_t i = folder.size(); i < path.size(); i = NextCharPos(path, i, rule)) {
        if (path[i] != '\\') continue;
        const std::string parent = path.substr(0, i);
        bool missing = false;
        IsLinkOrMissing(parent, missing);
        if (missing && !transaction.WillMakeFolder(parent)) return false;
    }
    bool missing = false;
    IsLinkOrMissing(path, missing);
    return !member.folder || !missing || transaction.WillMakeFolder(path);
}

// The backup rule for one member; false (reported) when unpacking must stop.
bool BackUp(InstallTransaction& transaction, InstallView& view, const std::string& path)
{
    switch (transaction.Backup(path)) {
    case InstallTransaction::BackupResult::Made:
        WriteLog("将文件：" + path + "备份为" + path + ".ebk");
        return true;
    case InstallTransaction::BackupResult::NotNeeded: return true;
    case InstallTransaction::BackupResult::Locked:
        WriteLog("文件：" + path + "读写违例！");
        view.ShowInfo("文件：" + path + "读写违例！");
        return false;
    case InstallTransaction::BackupResult::Failed:
        WriteLog("文件：" + path + "备份失败！");
        view.ShowInfo("文件：" + path + "备份失败！");
        return false;
    case InstallTransaction::BackupResult::Refused: break;
    }
    WriteLog("文件：" + path + "与备份文件重名，拒绝解压！");
    return false;
}

bool Unpack(CZipArchive& zip, const std::vector<MemberTarget>& members, const std::string& folder,
            const std::string& targetFolder, InstallTransaction& transaction, InstallView& view)
{
    for (const MemberTarget& member : members) {
        if (!AnnounceFolders(transaction, folder, member)) return false;
        if (!member.folder && !BackUp(transaction, view, member.path)) return false;
        WriteLog("解压文件：" + member.shown + " 到 " + targetFolder);
        if (!member.folder && !transaction.WillWrite(member.path)) {
            WriteLog("文件：" + member.path + "与备份文件重名，拒绝解压！");
            return false;
        }
        try {
            zip.ExtractMember(member.index, folder);
        } catch (const std::exception&) {  // the component's, or the file system's below it
            return false;
        }
        if (member.folder) continue;
        // The unpacked bytes reach the disk before the journal says they are
        // there. A member unpacked read-only is left to the system's own writing.
        FlushFileToDisk(member.path);
        if (!transaction.Wrote(member.path)) return false;
    }
    return true;
}

}  // namespace

bool ExtractArchive(const std::string& packagePath, const std::string& targetFolder,
                    InstallTransaction& transaction, InstallView& view)
{
    const std::string folder =
        EndsWithChar(targetFolder, '\\', SystemLeadBytes()) ? targetFolder : targetFolder + "\\";
    CZipArchive zip;
    std::vector<MemberTarget> members;
    try {
        zip.Open(packagePath);
        for (int i = 0; i < zip.GetCount(); ++i) {
            std::optional<MemberTarget> target = TargetOf(zip, i, folder);
            if (!target) {
                // Checked for every member before any file is touched.
                WriteLog("压缩包中的文件：" + zip.GetMemberInfo(i).name + "的路径不在解压目录中，拒绝解压！");
                return false;
            }
            if (RefuseOwnFile(target->path)) return false;
            members.push_back(*target);
        }
    } catch (const std::exception&) {
        WriteLog("压缩包：" + packagePath + "无法读取！");
        return false;
    }
    const bool ok = Unpack(zip, members, folder, targetFolder, transaction, view);
    try {
        zip.Close();
    } catch (const std::exception&) {
    }
    return ok;
}

}  // namespace quibo
