#include "install/install_recovery.h"

#include <windows.h>

#include <optional>

#include "core/config/client_config.h"
#include "core/config/config_ini.h"
#include "core/install/install_journal.h"
#include "core/install/install_names.h"
#include "core/log/run_log.h"
#include "core/package/package.h"
#include "core/text/decimal.h"
#include "install/file_copy.h"
#include "install/process_closer.h"
#include "install/program_runner.h"
#include "win/file_replace.h"
#include "win/message_boxes.h"
#include "win/scoped_handle.h"

namespace quibo {

namespace {

bool Exists(const std::string& path) { return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// Milliseconds a closed program may still hold its files.
constexpr DWORD kAfterClosingPause = 500;

// The recovery runs before any window: its texts go to the log, its boxes
// are the run's own (none when the interrupted run was silent).
class StartUpView : public InstallView {
public:
    explicit StartUpView(bool silent) : showType_(silent ? ShowType::Silent : ShowType::Normal) {}
    void SetStatus(const std::string& text) override { WriteLog(text); }
    void SetTrayStage(const std::string&) override {}
    void SetProgressRange(int) override {}
    void SetProgress(int) override {}
    void ShowInfo(const std::string& text) override { ShowInfoBox(text, nullptr, showType_, MB_TOPMOST); }
    bool AskRetry(const std::string& text) override { return ShowRetryBox(text, nullptr, showType_, MB_TOPMOST); }

private:
    ShowType showType_;
};

ClosingStage StageOf(const RecoveryClosing& closing)
{
    ClosingStage stage;
    stage.byExecutable = closing.byExecutable;
    stage.byTitle = closing.byTitle;
    stage.byClass = closing.byClass;
    stage.lockedTargets = closing.heldTargets;
    stage.warn = closing.warn;
    stage.warning = closing.warning;
    return stage;
}

bool HasPrograms(const RecoveryClosing& closing)
{
    return !closing.byExecutable.empty() || !closing.byTitle.empty() || !closing.byClass.empty() ||
           !closing.heldTargets.empty();
}

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

    // Deletes a file when it is there; `label` names it in the log. False
    // when it is still there.
    bool Remove(const std::string& label, const std::string& path)
    {
        Step();
        if (!Exists(path)) return true;
        const bool ok = ::DeleteFileA(path.c_str()) != 0;
        WriteLog(label + path + (ok ? "删除成功！" : "删除失败！"));
        return ok;
    }

    // A file the run wrote without old content.
    void RemoveWritten(const std::string& path)
    {
        ClearReadOnly(path);
        if (!Remove("新文件：", path)) left_ = true;
    }

    // The backup goes over the file: a backup that cannot be copied leaves
    // the new file, and the journal, for the next start.
    void RestoreBackup(const std::string& path)
    {
        Step();
        const std::string backup = BackupPath(path);
        ClearReadOnly(path);  // a file the run wrote
        if (Exists(backup) && CopyFileInto(backup, path, [this] { Step(); }) && journal_.Restored(path)) {
            WriteLog("文件：" + path + "恢复成功！");
            Remove("备份文件：", backup);
            return;
        }
        left_ = true;
        WriteLog("文件：" + path + "恢复失败！");
        if (Exists(backup))
            WriteLog("文件：" + path + "的原内容保留在" + backup + "中！");
        else
            WriteLog("错误：备份文件：" + backup + "不存在，文件：" + path + "保留为新文件！");
    }

    void RestoreEmpty(const std::string& path)
    {
        Step();
        ClearReadOnly(path);
        UniqueFileHandle file(::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                            FILE_ATTRIBUTE_NORMAL, nullptr));
        const bool ok = file && ::FlushFileBuffers(file.Get()) && journal_.Restored(path);
        if (!ok) left_ = true;
        WriteLog("文件：" + path + (ok ? "恢复成功！" : "恢复失败！"));
    }

    void RemoveFolder(const std::string& path)
    {
        Step();
        if (::RemoveDirectoryA(path.c_str())) WriteLog("新目录：" + path + "删除成功！");
    }

    void WriteVersions(const std::vector<std::pair<std::string, std::string>>& versions,
                       const std::string& sequence, const std::string& packagePath)
    {
        if (versions.empty() && sequence.empty()) return;
        Step();
        CConfigIni client;
        bool ok = client.LoadText(ReadPackageMember(packagePath, "client.dat", ""));
        bool changed = false;
        for (const auto& [section, version] : versions) {
            client.WriteString(section, "ver", version);
            WriteLog("将[" + section + "]项中ver的值置为" + version);
            changed = true;
        }
        std::uint64_t number = 0;
        if (ParseDigits(sequence, number)) changed = RaiseClientSequence(client, number) || changed;
        if (ok && !changed) return;
        ok = ok && WritePackageMember(client.ToText(), packagePath, "client.dat", "", ReplaceFileDurably);
        if (ok) return;
        WriteLog("本地配置文件（" + packagePath + "）无法修改！");
        left_ = true;
    }

    void RunPrograms(const std::vector<PendingProgram>& programs)
    {
        for (const PendingProgram& program : programs) {
            Step();
            WriteLog("执行更新后未执行的程序：" + program.command);
            WriteLog(RunProgram(program.command, program.wait ? 1 : 0));
        }
    }

    // Something is not as the journal wants it: the journal stays.
    bool Left() const { return left_; }

private:
    const std::function<void(int)>& hook_;
    JournalAppender& journal_;
    int step_ = 0;
    bool left_ = false;
};

void Carry(const RecoveryPlan& plan, const std::string& packagePath, Recovery& recovery)
{
    for (const std::string& path : plan.deleteTemporary) recovery.Remove("临时文件：", path);
    if (plan.finish) {
        recovery.WriteVersions(plan.versions, plan.sequence, packagePath);
    } else {
        for (const std::string& path : plan.deleteWritten) recovery.RemoveWritten(path);
        for (const std::string& path : plan.restoreBackups) recovery.RestoreBackup(path);
        for (const std::string& path : plan.restoreEmpty) recovery.RestoreEmpty(path);
    }
    for (const std::string& path : plan.readOnly) MarkReadOnly(path);
    for (const std::string& path : plan.deleteBackups) recovery.Remove("备份文件：", path);
    for (const std::string& path : plan.removeFolders) recovery.RemoveFolder(path);
    // The programs of a finished run start once its versions are written.
    if (plan.finish && !recovery.Left()) recovery.RunPrograms(plan.programs);
}

// The programs that held the run's files are running again (the product
// that started this run, most likely): they are closed before anything is
// restored. False when one could not be closed.
bool CloseHolders(const RecoveryPlan& plan, InstallView* view)
{
    if (plan.finish || !HasPrograms(plan.closing)) return true;
    StartUpView own(plan.closing.silent);
    bool warned = false;
    if (!CloseRelatedPrograms(StageOf(plan.closing), warned, view ? *view : own)) return false;
    ::Sleep(kAfterClosingPause);
    return true;
}

std::string AsidePath(const std::string& journalPath) { return journalPath + ".bad"; }

// While a journal kept aside is there, every start says so.
bool KeptAside(const std::string& journalPath)
{
    if (!Exists(AsidePath(journalPath))) return false;
    WriteLog("更新记录文件：" + AsidePath(journalPath) + "无法识别，需要人工检查，在此之前不进行更新！");
    return true;
}

}  // namespace

std::string InstallJournalPath(const std::string& packagePath) { return packagePath + ".journal"; }

bool InstallJournalPending(const std::string& journalPath)
{
    return Exists(journalPath) || Exists(AsidePath(journalPath));
}

RecoveryOutcome RecoverInstall(const std::string& journalPath, const std::string& packagePath,
                               const std::function<void(int step)>& stepHook, InstallView* view)
{
    const std::optional<std::string> text = ReadWhole(journalPath);
    if (!text) return KeptAside(journalPath) ? RecoveryOutcome::Unreadable : RecoveryOutcome::NoJournal;

    const ParsedJournal parsed = ParseJournal(*text);
    if (!parsed.ok) {
        // Acting on a record that may be wrong could delete the product's
        // files; the journal is kept for a person to read instead. An earlier
        // one kept aside is never replaced.
        const std::string aside = AsidePath(journalPath);
        const bool moved = ::MoveFileExA(journalPath.c_str(), aside.c_str(), MOVEFILE_WRITE_THROUGH) != 0;
        WriteLog("更新记录文件：" + journalPath + "无法识别（" + parsed.error + "），未做任何恢复" +
                 (moved ? "，已改名为：" + aside : "") + "！");
        KeptAside(journalPath);
        return RecoveryOutcome::Unreadable;
    }
    if (parsed.droppedLines > 0)
        WriteLog("更新记录文件：" + journalPath + "末尾有" + std::to_string(parsed.droppedLines) +
                 "行未写完整，已按此前的记录恢复。");

    const RecoveryPlan plan = PlanRecovery(parsed.records);
    WriteLog(plan.finish ? "发现未完成的更新，新文件已全部就位，正在完成更新……"
                         : "发现未完成的更新，正在恢复更新前状态……");
    if (!CloseHolders(plan, view)) {
        WriteLog("无法关闭相关的应用程序，未做任何恢复，保留更新记录文件：" + journalPath);
        return RecoveryOutcome::Incomplete;
    }
    JournalAppender journal(journalPath, parsed.validLength);
    Recovery recovery(stepHook, journal);
    Carry(plan, packagePath, recovery);
    journal.Close();
    recovery.Step();
    if (recovery.Left()) {
        WriteLog("上次未完成的更新没有完全恢复，保留更新记录文件：" + journalPath + "，下次启动时继续恢复！");
        return RecoveryOutcome::Incomplete;
    }
    ::DeleteFileA(journalPath.c_str());
    WriteLog(plan.finish ? "更新已完成，删除更新记录文件：" + journalPath
                         : "已恢复更新前状态，删除更新记录文件：" + journalPath);
    if (KeptAside(journalPath)) return RecoveryOutcome::Unreadable;
    return plan.finish ? RecoveryOutcome::Finished : RecoveryOutcome::RolledBack;
}

}  // namespace quibo
