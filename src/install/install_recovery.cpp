#include "install/install_recovery.h"

#include <windows.h>

#include <optional>

#include "core/config/config_ini.h"
#include "core/install/install_journal.h"
#include "core/install/install_names.h"
#include "core/log/run_log.h"
#include "core/package/package.h"
#include "install/file_copy.h"
#include "win/file_replace.h"
#include "win/scoped_handle.h"

namespace quibo {

namespace {

bool Exists(const std::string& path) { return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// The whole file; nothing when it cannot be opened. A journal is small.
std::optional<std::string> ReadWhole(const std::string& path)
{
    UniqueFileHandle file(::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                        FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return std::nullopt;
    std::string text;
    char block[65536];
    DWORD got = 0;
    while (::ReadFile(file.Get(), block, sizeof block, &got, nullptr) && got > 0) text.append(block, got);
    return text;
}

// The journal of a recovery: further records go after its complete lines.
class JournalAppender {
public:
    JournalAppender(const std::string& path, size_t validLength)
        : file_(::CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr))
    {
        if (!file_) return;
        LARGE_INTEGER at{};
        at.QuadPart = static_cast<LONGLONG>(validLength);
        ::SetFilePointerEx(file_.Get(), at, nullptr, FILE_BEGIN);
        ::SetEndOfFile(file_.Get());  // a torn last line goes
        if (validLength == 0) Append(JournalHeader());
    }
    bool Restored(const std::string& path) { return Append(JournalLine({JournalTag::Restored, path, {}})); }
    void Close() { file_.Reset(); }

private:
    bool Append(const std::string& line)
    {
        DWORD put = 0;
        return file_ && ::WriteFile(file_.Get(), line.data(), static_cast<DWORD>(line.size()), &put, nullptr) &&
               put == line.size() && ::FlushFileBuffers(file_.Get());
    }
    UniqueFileHandle file_;
};

class Recovery {
public:
    Recovery(const std::function<void(int)>& hook, JournalAppender& journal) : hook_(hook), journal_(journal) {}

    void Step()
    {
        ++step_;
        if (hook_) hook_(step_);
    }

    // Deletes a file when it is there; `label` names it in the log.
    void Remove(const std::string& label, const std::string& path)
    {
        Step();
        if (!Exists(path)) return;
        WriteLog(label + path + (::DeleteFileA(path.c_str()) ? "删除成功！" : "删除失败！"));
    }

    void RestoreBackup(const std::string& path)
    {
        Step();
        const std::string backup = BackupPath(path);
        if (Exists(backup) && CopyFileInto(backup, path, [this] { Step(); }) && journal_.Restored(path)) {
            WriteLog("文件：" + path + "恢复成功！");
            Remove("备份文件：", backup);
            return;
        }
        WriteLog("文件：" + path + "恢复失败！");
        if (Exists(backup)) WriteLog("文件：" + path + "的原内容保留在" + backup + "中！");
    }

    void RestoreEmpty(const std::string& path)
    {
        Step();
        UniqueFileHandle file(::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                            FILE_ATTRIBUTE_NORMAL, nullptr));
        const bool ok = file && ::FlushFileBuffers(file.Get()) && journal_.Restored(path);
        WriteLog("文件：" + path + (ok ? "恢复成功！" : "恢复失败！"));
    }

    void RemoveFolder(const std::string& path)
    {
        Step();
        if (::RemoveDirectoryA(path.c_str())) WriteLog("新目录：" + path + "删除成功！");
    }

    void WriteVersions(const std::vector<std::pair<std::string, std::string>>& versions,
                       const std::string& packagePath)
    {
        if (versions.empty()) return;
        Step();
        CConfigIni client;
        bool ok = client.LoadText(ReadPackageMember(packagePath, "client.dat", ""));
        for (const auto& [section, version] : versions) {
            client.WriteString(section, "ver", version);
            WriteLog("将[" + section + "]项中ver的值置为" + version);
        }
        ok = ok && WritePackageMember(client.ToText(), packagePath, "client.dat", "", ReplaceFileDurably);
        if (!ok) WriteLog("本地配置文件（" + packagePath + "）无法修改！");
    }

private:
    const std::function<void(int)>& hook_;
    JournalAppender& journal_;
    int step_ = 0;
};

void Carry(const RecoveryPlan& plan, const std::string& packagePath, Recovery& recovery)
{
    for (const std::string& path : plan.deleteTemporary) recovery.Remove("临时文件：", path);
    if (plan.finish) {
        recovery.WriteVersions(plan.versions, packagePath);
    } else {
        for (const std::string& path : plan.deleteWritten) recovery.Remove("新文件：", path);
        for (const std::string& path : plan.restoreBackups) recovery.RestoreBackup(path);
        for (const std::string& path : plan.restoreEmpty) recovery.RestoreEmpty(path);
    }
    for (const std::string& path : plan.deleteBackups) recovery.Remove("备份文件：", path);
    for (const std::string& path : plan.removeFolders) recovery.RemoveFolder(path);
}

}  // namespace

std::string InstallJournalPath(const std::string& packagePath) { return packagePath + ".journal"; }

RecoveryOutcome RecoverInstall(const std::string& journalPath, const std::string& packagePath,
                               const std::function<void(int step)>& stepHook)
{
    const std::optional<std::string> text = ReadWhole(journalPath);
    if (!text) return RecoveryOutcome::NoJournal;

    const ParsedJournal parsed = ParseJournal(*text);
    if (!parsed.ok) {
        // Acting on a record that may be wrong could delete the product's
        // files; the journal is kept for a person to read instead.
        const std::string aside = journalPath + ".bad";
        const bool moved = ::MoveFileExA(journalPath.c_str(), aside.c_str(), MOVEFILE_REPLACE_EXISTING) != 0;
        WriteLog("更新记录文件：" + journalPath + "无法识别（" + parsed.error + "），未做任何恢复" +
                 (moved ? "，已改名为：" + aside : "") + "！");
        return RecoveryOutcome::Unreadable;
    }

    const RecoveryPlan plan = PlanRecovery(parsed.records);
    WriteLog(plan.finish ? "发现未完成的更新，新文件已全部就位，正在完成更新……"
                         : "发现未完成的更新，正在恢复更新前状态……");
    JournalAppender journal(journalPath, parsed.validLength);
    Recovery recovery(stepHook, journal);
    Carry(plan, packagePath, recovery);
    journal.Close();
    recovery.Step();
    ::DeleteFileA(journalPath.c_str());
    WriteLog(plan.finish ? "更新已完成，删除更新记录文件：" + journalPath
                         : "已恢复更新前状态，删除更新记录文件：" + journalPath);
    return plan.finish ? RecoveryOutcome::Finished : RecoveryOutcome::RolledBack;
}

}  // namespace quibo
