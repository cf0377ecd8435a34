#include "install/install_transaction.h"

#include <windows.h>

#include <algorithm>

#include "core/install/install_names.h"
#include "core/log/run_log.h"
#include "install/file_copy.h"
#include "install/path_key.h"
#include "win/file_status.h"

namespace quibo {

namespace {

void Erase(std::vector<std::string>& list, const std::string& item)
{
    list.erase(std::remove(list.begin(), list.end(), item), list.end());
}

// The file is gone: deleted now, or not there to begin with.
bool DeleteIfPresent(const std::string& path)
{
    if (::DeleteFileA(path.c_str())) return true;
    DWORD error = ::GetLastError();
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

void SetStage(InstallView& view, const std::string& text)
{
    view.SetStatus(text);
    view.SetTrayStage(text);
}

}  // namespace

InstallTransaction::InstallTransaction(std::string journalPath, InstallView& view,
                                       std::function<void(int step)> stepHook)
    : journalPath_(std::move(journalPath)), view_(view), stepHook_(std::move(stepHook))
{
}

void InstallTransaction::Step()
{
    ++step_;
    if (stepHook_) stepHook_(step_);
}

bool InstallTransaction::Journal(JournalTag tag, const std::string& path, const std::string& version)
{
    Step();
    const std::string line = JournalLine({tag, path, version});
    DWORD put = 0;
    const bool injected = failRecord_ == tag;
    if (injected) failRecord_.reset();
    const bool ok = !injected && journal_ &&
                    ::WriteFile(journal_.Get(), line.data(), static_cast<DWORD>(line.size()), &put, nullptr) &&
                    put == line.size() && (!IsFlushedOnItsOwn(tag) || ::FlushFileBuffers(journal_.Get()));
    if (!ok) {
        if (!journalFailed_) WriteLog("无法写入更新记录文件：" + journalPath_);
        journalFailed_ = true;
    }
    return ok;
}

const std::string& InstallTransaction::Spelling(const std::string& path)
{
    return spellings_.emplace(PathKey(path), path).first->second;
}

bool InstallTransaction::Begin(const std::vector<JournalRecord>& preamble)
{
    Step();
    // CREATE_NEW: a journal left by an earlier run is its only record.
    journal_.Reset(::CreateFileA(journalPath_.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_NEW,
                                 FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!journal_) {
        WriteLog("无法创建更新记录文件：" + journalPath_);
        return false;
    }
    std::string header = JournalHeader();
    for (const JournalRecord& record : preamble) header += JournalLine(record);
    DWORD put = 0;
    if (!::WriteFile(journal_.Get(), header.data(), static_cast<DWORD>(header.size()), &put, nullptr) ||
        put != header.size() || !::FlushFileBuffers(journal_.Get())) {
        WriteLog("无法写入更新记录文件：" + journalPath_);
        return false;
    }
    return true;
}

InstallTransaction::BackupResult InstallTransaction::Backup(const std::string& path)
{
    const std::string& p = Spelling(path);
    const std::wstring key = PathKey(p);
    // Once per run, and never after this run wrote the file: a second copy
    // would replace the old content with this run's own.
    if (everWritten_.count(key) || settled_.count(key)) return BackupResult::NotNeeded;
    // The backup would replace a file this run made, or another backup.
    if (liveBackups_.count(key) || everWritten_.count(PathKey(BackupPath(p)))) return BackupResult::Refused;

    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!::GetFileAttributesExA(p.c_str(), GetFileExInfoStandard, &data) ||
        (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
        return BackupResult::NotNeeded;
    if (data.nFileSizeHigh == 0 && data.nFileSizeLow == 0) {
        if (!Journal(JournalTag::Empty, p)) return BackupResult::Failed;
        empties_.push_back(p);
        settled_.insert(key);
        return BackupResult::NotNeeded;
    }
    const std::string backup = BackupPath(p);
    if (::GetFileAttributesA(backup.c_str()) != INVALID_FILE_ATTRIBUTES) {
        // Not this run's: the product's own file, or the only copy of what
        // an earlier run could not restore.
        WriteLog("错误：备份文件：" + backup + "已存在，不能覆盖！");
        return BackupResult::Failed;
    }
    if (data.dwFileAttributes & FILE_ATTRIBUTE_READONLY) {
        // The product's own mark: cleared only now that the file is backed
        // up, and put back once the run is over.
        if (!Journal(JournalTag::ReadOnly, p)) return BackupResult::Failed;
        ClearReadOnly(p);
        readOnly_.push_back(p);
    }
    if (!IsFileWritable(p)) return BackupResult::Locked;

    if (!Journal(JournalTag::BackupStart, p)) return BackupResult::Failed;
    Step();
    if (!CopyFileInto(p, backup, [this] { Step(); })) return BackupResult::Failed;
    backups_.push_back(p);
    liveBackups_.insert(PathKey(backup));
    settled_.insert(key);
    return Journal(JournalTag::Backup, p) ? BackupResult::Made : BackupResult::Failed;
}

bool InstallTransaction::WillWrite(const std::string& path)
{
    const std::string& p = Spelling(path);
    const std::wstring key = PathKey(p);
    if (liveBackups_.count(key)) return false;
    if (!Journal(JournalTag::Write, p)) return false;
    if (everWritten_.count(key)) ClearReadOnly(p);  // this run's own file, written again
    Erase(written_, p);
    written_.push_back(p);
    everWritten_.insert(key);
    return true;
}

bool InstallTransaction::Wrote(const std::string& path) { return Journal(JournalTag::Wrote, Spelling(path)); }

bool InstallTransaction::Forget(const std::string& path)
{
    const std::string& p = Spelling(path);
    if (!Journal(JournalTag::Forget, p)) return false;
    Erase(written_, p);
    return true;
}

bool InstallTransaction::WillMakeFolder(const std::string& path)
{
    if (!Journal(JournalTag::Folder, path)) return false;
    folders_.push_back(path);
    return true;
}

bool InstallTransaction::CopyIn(const std::string& source, const std::string& target)
{
    UniqueFileHandle from(::CreateFileA(source.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                        FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    return CopyIn(from.Get(), target);
}

bool InstallTransaction::CopyIn(HANDLE source, const std::string& target)
{
    if (!WillWrite(target)) return false;
    Step();
    if (source == INVALID_HANDLE_VALUE || !CopyFileInto(source, target, [this] { Step(); })) return false;
    return Wrote(target);
}

bool InstallTransaction::RecordVersion(const std::string& section, const std::string& version)
{
    return Journal(JournalTag::Version, section, version);
}

bool InstallTransaction::RecordSequence(std::uint64_t sequence)
{
    return Journal(JournalTag::Sequence, std::to_string(sequence));
}

bool InstallTransaction::RecordProgram(const std::string& command, bool wait)
{
    return Journal(JournalTag::Run, command, wait ? "1" : "0");
}

bool InstallTransaction::MarkPlaced() { return Journal(JournalTag::Placed); }

void InstallTransaction::DeleteWritten(const std::string& path)
{
    Step();
    ClearReadOnly(path);
    WriteLog("新文件：" + path + (DeleteIfPresent(path) ? "删除成功！" : "删除失败！"));
}

void InstallTransaction::Restore(const std::string& path)
{
    Step();
    ClearReadOnly(path);  // a file this run wrote
    // Without its record the backup is still needed: a later start restores
    // again from it.
    if (CopyFileInto(BackupPath(path), path, [this] { Step(); }) && Journal(JournalTag::Restored, path)) {
        view_.SetStatus("文件：" + path + "恢复成功！");
        return;
    }
    // The backup is now the only copy of the old content: it stays.
    view_.SetStatus("文件：" + path + "恢复失败！");
    WriteLog("文件：" + path + "的原内容保留在" + BackupPath(path) + "中！");
    kept_.insert(PathKey(path));
}

void InstallTransaction::PutBackEmpty(const std::string& path)
{
    Step();
    ClearReadOnly(path);
    UniqueFileHandle file(
        ::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    const bool ok = file && ::FlushFileBuffers(file.Get()) && Journal(JournalTag::Restored, path);
    file.Reset();
    view_.SetStatus("文件：" + path + (ok ? "恢复成功！" : "恢复失败！"));
}

void InstallTransaction::RemoveNewFolders()
{
    // Newest first: a folder made inside another goes before it. A folder
    // that still holds something stays.
    for (auto it = folders_.rbegin(); it != folders_.rend(); ++it) {
        Step();
        WriteLog("新目录：" + *it + (::RemoveDirectoryA(it->c_str()) ? "删除成功！" : "删除失败！"));
    }
    folders_.clear();
}

bool InstallTransaction::RollBack()
{
    SetStage(view_, "正在恢复更新前状态！");
    std::vector<std::string> emptied;
    std::set<std::wstring> replaced;  // old content goes over them: never deleted first
    for (const std::string& p : empties_) {
        if (!everWritten_.count(PathKey(p))) continue;
        emptied.push_back(p);
        replaced.insert(PathKey(p));
    }
    for (const std::string& p : backups_) replaced.insert(PathKey(p));
    // The files without old content go first, newest first across all items,
    // so that no restored file is deleted again by a later item's list.
    for (auto it = written_.rbegin(); it != written_.rend(); ++it)
        if (!replaced.count(PathKey(*it))) DeleteWritten(*it);
    written_.clear();
    for (const std::string& p : backups_) Restore(p);
    for (const std::string& p : emptied) PutBackEmpty(p);
    empties_.clear();
    RemoveNewFolders();
    const bool complete = kept_.empty() && !journalFailed_;
    DeleteBackups();
    return complete;
}

void InstallTransaction::DeleteBackups()
{
    SetStage(view_, "正在删除备份文件！");
    for (const std::string& p : backups_) {
        if (kept_.count(PathKey(p))) continue;
        Step();
        const std::string backup = BackupPath(p);
        WriteLog("备份文件：" + backup + (::DeleteFileA(backup.c_str()) ? "删除成功！" : "删除失败！"));
    }
    for (const std::string& p : readOnly_) MarkReadOnly(p);
    readOnly_.clear();
    backups_.clear();
    liveBackups_.clear();
}

void InstallTransaction::End()
{
    Step();
    journal_.Reset();
    if (kept_.empty() && !journalFailed_) {
        ::DeleteFileA(journalPath_.c_str());
    } else {
        // What a failed restore kept, or a step the journal may not show,
        // is left for the next start to finish.
        WriteLog("更新记录文件：" + journalPath_ + "保留，下次启动时继续恢复！");
    }
    Clear();
}

void InstallTransaction::Leave()
{
    Step();
    journal_.Reset();
    Clear();
}

void InstallTransaction::Clear()
{
    // The run is over: nothing it did may be undone by a later call.
    written_.clear();
    empties_.clear();
    folders_.clear();
    backups_.clear();
    liveBackups_.clear();
    readOnly_.clear();
}

}  // namespace quibo
