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

// Records that must be on the disk before the step after them starts. The
// others only confirm a step ("wrote", "backup", "forget") or come before a
// flushed record that guards the next change ("empty" and "backup" before
// "write", "ver" before "placed"): the next flush carries them along.
bool MustFlush(JournalTag tag)
{
    switch (tag) {
    case JournalTag::Wrote:
    case JournalTag::Backup:
    case JournalTag::Empty:
    case JournalTag::Forget:
    case JournalTag::Version: return false;
    default: return true;
    }
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
    if (!journal_) return false;
    const std::string line = JournalLine({tag, path, version});
    DWORD put = 0;
    return ::WriteFile(journal_.Get(), line.data(), static_cast<DWORD>(line.size()), &put, nullptr) &&
           put == line.size() && (!MustFlush(tag) || ::FlushFileBuffers(journal_.Get()));
}

const std::string& InstallTransaction::Spelling(const std::string& path)
{
    return spellings_.emplace(PathKey(path), path).first->second;
}

bool InstallTransaction::Begin()
{
    Step();
    // CREATE_NEW: a journal left by an earlier run is its only record.
    journal_.Reset(::CreateFileA(journalPath_.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_NEW,
                                 FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!journal_) {
        WriteLog("无法创建更新记录文件：" + journalPath_);
        return false;
    }
    const std::string header = JournalHeader();
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
    if (!IsFileWritable(p)) return BackupResult::Locked;

    if (!Journal(JournalTag::BackupStart, p)) return BackupResult::Failed;
    Step();
    if (!CopyFileInto(p, BackupPath(p), [this] { Step(); })) return BackupResult::Failed;
    backups_.push_back(p);
    liveBackups_.insert(PathKey(BackupPath(p)));
    settled_.insert(key);
    return Journal(JournalTag::Backup, p) ? BackupResult::Made : BackupResult::Failed;
}

bool InstallTransaction::WillWrite(const std::string& path)
{
    const std::string& p = Spelling(path);
    const std::wstring key = PathKey(p);
    if (liveBackups_.count(key)) return false;
    if (!Journal(JournalTag::Write, p)) return false;
    Erase(written_, p);
    written_.push_back(p);
    everWritten_.insert(key);
    return true;
}

void InstallTransaction::Wrote(const std::string& path) { Journal(JournalTag::Wrote, Spelling(path)); }

void InstallTransaction::Forget(const std::string& path)
{
    const std::string& p = Spelling(path);
    Journal(JournalTag::Forget, p);
    Erase(written_, p);
}

bool InstallTransaction::WillMakeFolder(const std::string& path)
{
    if (!Journal(JournalTag::Folder, path)) return false;
    folders_.push_back(path);
    return true;
}

bool InstallTransaction::CopyIn(const std::string& source, const std::string& target)
{
    if (!WillWrite(target)) return false;
    Step();
    if (!CopyFileInto(source, target, [this] { Step(); })) return false;
    Wrote(target);
    return true;
}

void InstallTransaction::RecordVersion(const std::string& section, const std::string& version)
{
    Journal(JournalTag::Version, section, version);
}

void InstallTransaction::MarkPlaced() { Journal(JournalTag::Placed); }

void InstallTransaction::DeleteWritten(const std::string& path)
{
    Step();
    WriteLog("新文件：" + path + (DeleteIfPresent(path) ? "删除成功！" : "删除失败！"));
}

void InstallTransaction::Restore(const std::string& path)
{
    Step();
    if (CopyFileInto(BackupPath(path), path, [this] { Step(); })) {
        Journal(JournalTag::Restored, path);
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
    UniqueFileHandle file(
        ::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    const bool ok = static_cast<bool>(file);
    file.Reset();
    if (ok) Journal(JournalTag::Restored, path);
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

void InstallTransaction::RollBack()
{
    SetStage(view_, "正在恢复更新前状态！");
    std::vector<std::string> emptied;
    for (const std::string& p : empties_)
        if (everWritten_.count(PathKey(p))) emptied.push_back(p);
    // Everything written goes first, newest first across all items, so that
    // no restored file is deleted again by a later item's list.
    for (auto it = written_.rbegin(); it != written_.rend(); ++it) DeleteWritten(*it);
    written_.clear();
    for (const std::string& p : backups_) Restore(p);
    for (const std::string& p : emptied) PutBackEmpty(p);
    empties_.clear();
    RemoveNewFolders();
    DeleteBackups();
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
    backups_.clear();
    liveBackups_.clear();
}

void InstallTransaction::End()
{
    Step();
    journal_.Reset();
    ::DeleteFileA(journalPath_.c_str());
    // The run is over: nothing it did may be undone by a later call.
    written_.clear();
    empties_.clear();
    folders_.clear();
    backups_.clear();
    liveBackups_.clear();
}

}  // namespace quibo
