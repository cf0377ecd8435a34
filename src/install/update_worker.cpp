#include "install/update_worker.h"

#include <cassert>
#include <vector>

#include "core/checksum/md5.h"
#include "core/config/client_config.h"
#include "core/signing/hex_text.h"
#include "core/text/case_fold.h"
#include "core/transfer/signed_content.h"
#include "core/install/target_folder.h"
#include "core/log/run_log.h"
#include "core/package/package.h"
#include "install/archive_extract.h"
#include "install/install_recovery.h"
#include "install/install_transaction.h"
#include "install/own_files.h"
#include "install/process_closer.h"
#include "install/configured_programs.h"
#include "install/target_folder.h"
#include "win/file_replace.h"
#include "win/cng_crypto.h"
#include "win/file_status.h"
#include "win/scoped_handle.h"
#include "win/host_messages.h"

namespace quibo {

namespace {

constexpr char kClientMember[] = "client.dat";
constexpr char kPackagePassword[] = "";

// Progress positions of the stages: backups of file items from 0 and of
// folder items from 20, placing of file items from 30 and of folder items
// from 50, done at 60.
constexpr int kFileBackups = 0;
constexpr int kDirBackups = 20;
constexpr int kFilePlacing = 30;
constexpr int kDirPlacing = 50;
constexpr int kDone = 60;

// Milliseconds a closed program may still hold its files.
constexpr DWORD kAfterClosingPause = 500;

// The MD5 text of what is left to read in `file`; false when a read fails.
bool Md5OfHandle(HANDLE file, std::string& digest)
{
    std::vector<char> block(1 << 16);
    Md5 md5;
    for (;;) {
        DWORD got = 0;
        if (!::ReadFile(file, block.data(), static_cast<DWORD>(block.size()), &got, nullptr)) return false;
        if (got == 0) break;
        md5.Update(block.data(), got);
    }
    digest = Md5Hex(md5.Final());
    return true;
}

class Installer {
public:
    Installer(const InstallJob& job, InstallView& view)
        : job_(job),
          config_(*job.config),
          view_(view),
          transaction_(InstallJournalPath(job.programFolder + job.packageName), view, job.stepHook)
    {
        if (job.failRecord) transaction_.FailFirstRecordForTesting(*job.failRecord);
    }

    InstallOutcome Run()
    {
        view_.SetStatus("正在关闭相关的应用程序");
        if (config_.closeProcesses && !CloseRelatedPrograms(ClosingStageOf(), closeWarned_, view_)) {
            outcome_.end = InstallEnd::ClosingFailed;
            return outcome_;
        }
        ::Sleep(kAfterClosingPause);
        RunBeforeHook();

        view_.SetStatus("开始更新...");
        view_.SetProgressRange(kDone);
        view_.SetStatus("正在备份旧文件...");
        view_.SetTrayStage("正在备份旧文件...");
        if (!transaction_.Begin(ClosingRecords())) {  // it has logged why
            view_.SetStatus("更新失败！");
            return outcome_;
        }
        begun_ = true;
        if (!BackUpAll() || !PlaceAll()) return Fail();
        // From here on a killed run is finished, not undone: the journal
        // holds the versions still to be written and the programs to run.
        const std::vector<Version> versions = VersionsToWrite();
        for (const Version& version : versions)
            if (!transaction_.RecordVersion(version.section, version.value)) return Fail();
        if (config_.release && !transaction_.RecordSequence(config_.release->sequence)) return Fail();
        const std::vector<PendingProgram> programs = ProgramsAfterwards();
        for (const PendingProgram& program : programs)
            if (!transaction_.RecordProgram(program.command, program.wait)) return Fail();
        if (!transaction_.MarkPlaced()) return Fail();
        placed_ = true;

        view_.SetProgress(kDone);
        view_.SetStatus("正在更新配置文件");
        view_.SetTrayStage("正在更新配置文件");
        const bool versionsWritten = WriteVersions(versions);

        transaction_.DeleteBackups();
        if (!versionsWritten) {
            WriteLog("更新记录文件保留，下次启动时再写入版本号。");
            transaction_.Leave();
        } else if (!programs.empty()) {
            outcome_.pendingJournal = InstallJournalPath(job_.programFolder + job_.packageName);
            transaction_.Leave();
        } else {
            transaction_.End();
        }
        view_.SetStatus("更新完成！");
        HostNotify(job_.hostWindow, HostCode::Updated);
        view_.SetTrayStage("更新完成");
        outcome_.end = InstallEnd::Succeeded;
        return outcome_;
    }

    // Run() threw (memory ran out, a library failed): a run that had not
    // placed every file is undone now, while the product is still closed.
    // Once every file is in place the journal finishes it at the next start;
    // and should the undoing throw too, the journal is still there for that.
    void UndoAfterThrow() noexcept
    {
        if (!begun_ || placed_) return;
        try {
            Fail();
        } catch (...) {
        }
    }

private:
    struct Target {
        ItemKind kind;
        int index;
        const DownloadRecord* record;
    };

    const std::vector<DownloadRecord>& RecordsOf(ItemKind kind, int index) const
    {
        return job_.records->Of(kind, index);
    }

    std::string TargetFolderOf(const UpdateItem& item, const DownloadRecord& record) const
    {
        return TargetFolderPath(item.path, record.subfolder, job_.programFolder, job_.rule);
    }

    // The files the backups look at in item k: a file item's first record
    // (an item has one; an archive's members are backed up as they are
    // unpacked), every record of a folder item.
    template <typename Visit>
    bool ForEachBackupTarget(ItemKind kind, int k, Visit visit) const
    {
        const UpdateItem& item = config_.Item(kind, k);
        const std::vector<DownloadRecord>& records = RecordsOf(kind, k);
        if (!item.isNew || records.empty()) return true;
        const size_t last = kind == ItemKind::File ? 1 : records.size();
        for (size_t r = 0; r < last; ++r)
            if (!visit(TargetFolderOf(item, records[r]) + records[r].targetName)) return false;
        return true;
    }

    static int CountOf(ItemKind kind) { return kind == ItemKind::File ? kFileItemCount : kDirItemCount; }

    ClosingStage ClosingStageOf() const
    {
        ClosingStage stage;
        stage.byExecutable = config_.system.closeProc1;
        stage.byTitle = config_.system.closeProc2;
        stage.byClass = config_.system.closeProc3;
        stage.warn = config_.pages.closeWin != 0;
        stage.warning = config_.pages.closeWinMsg;
        for (ItemKind kind : {ItemKind::File, ItemKind::Dir}) {
            for (int k = 0; k < CountOf(kind); ++k) {
                ForEachBackupTarget(kind, k, [&](const std::string& target) {
                    stage.lockedTargets.push_back(target);  // the stage looks at programs and libraries only
                    return true;
                });
            }
        }
        return stage;
    }

    // What the closing stage closes, for the journal: a recovery closes it
    // again before it restores anything.
    std::vector<JournalRecord> ClosingRecords() const
    {
        std::vector<JournalRecord> records;
        if (IsSilent(config_.showType)) records.push_back({JournalTag::Silent, {}, {}});
        if (!config_.closeProcesses) return records;
        const ClosingStage stage = ClosingStageOf();
        const std::pair<JournalTag, const std::vector<std::string>*> lists[] = {
            {JournalTag::CloseExe, &stage.byExecutable},
            {JournalTag::CloseTitle, &stage.byTitle},
            {JournalTag::CloseClass, &stage.byClass},
            {JournalTag::Held, &stage.lockedTargets},
        };
        for (const auto& [tag, entries] : lists)
            for (const std::string& entry : *entries)
                if (!entry.empty()) records.push_back({tag, entry, {}});
        if (stage.warn && !stage.warning.empty()) records.push_back({JournalTag::Warn, stage.warning, {}});
        return records;
    }

    // The programs the finishing step runs after a successful installation.
    std::vector<PendingProgram> ProgramsAfterwards() const
    {
        std::vector<PendingProgram> programs;
        for (int k = 0; k < kFileItemCount; ++k) {
            const UpdateItem& item = config_.files[k];
            const std::string& path = outcome_.runPaths[k];
            if (!item.isNew || !item.runme || path.empty()) continue;
            programs.push_back({item.runmeParam.empty() ? path : path + " " + item.runmeParam, item.runmePause});
        }
        if (!config_.system.runUdafters.empty()) programs.push_back({config_.system.runUdafters, false});
        return programs;
    }

    void RunBeforeHook()
    {
        RunConfiguredProgram(ConfiguredProgram::UpdateBefore, config_.system);
    }

    bool BackUpAll()
    {
        for (ItemKind kind : {ItemKind::File, ItemKind::Dir}) {
            const int base = kind == ItemKind::File ? kFileBackups : kDirBackups;
            if (kind == ItemKind::Dir) view_.SetProgress(base);
            for (int k = 0; k < CountOf(kind); ++k) {
                view_.SetProgress(base + k);
                if (!ForEachBackupTarget(kind, k, [this](const std::string& target) { return BackUp(target); }))
                    return false;
            }
        }
        return true;
    }

    bool BackUp(const std::string& target)
    {
        if (RefuseOwnFile(target)) return false;  // before anything touches it
        if (!FileExistsNonEmpty(target)) {
            // An empty file is not copied; the transaction still notes it,
            // so that a rollback puts it back.
            return transaction_.Backup(target) != InstallTransaction::BackupResult::Failed;
        }
        WriteLog("备份文件：" + target);
        WriteLog("将文件：" + target + " 备份为 " + target + ".ebk");
        switch (transaction_.Backup(target)) {
        case InstallTransaction::BackupResult::Made:
        case InstallTransaction::BackupResult::NotNeeded:
            return true;
        case InstallTransaction::BackupResult::Locked:
            return Locked(target);
        case InstallTransaction::BackupResult::Refused:
            WriteLog("错误：此文件是另一文件的备份，不能覆盖：" + target);
            [[fallthrough]];
        case InstallTransaction::BackupResult::Failed:
            break;
        }
        view_.SetStatus("备份失败！");
        view_.ShowInfo("文件：" + target + "备份失败！");
        return false;
    }

    bool Locked(const std::string& target)
    {
        const std::string text = "文件：" + target + "读写违例！";
        WriteLog(text);
        view_.ShowInfo(text);
        return false;
    }

    bool PlaceAll()
    {
        view_.SetProgress(kFilePlacing);
        view_.SetStatus("正在更新文件...");
        view_.SetTrayStage("正在更新文件...");
        for (int k = 0; k < kFileItemCount; ++k) {
            view_.SetProgress(kFilePlacing + k);
            if (!PlaceItem(ItemKind::File, k)) return false;
        }
        view_.SetProgress(kDirPlacing);
        for (int k = 0; k < kDirItemCount; ++k) {
            view_.SetProgress(kDirPlacing + k);
            if (!PlaceItem(ItemKind::Dir, k)) return false;
        }
        return true;
    }

    bool PlaceItem(ItemKind kind, int k)
    {
        const UpdateItem& item = config_.Item(kind, k);
        if (!item.isNew) return true;
        const std::string source = job_.downloadFolder + (kind == ItemKind::File ? "file" : "dir") +
                                   std::to_string(k) + "\\";
        for (const DownloadRecord& record : RecordsOf(kind, k)) {
            view_.SetStatus("更新文件：" + record.targetName);
            const std::string folder = ResolveTargetFolder(item.path, record.subfolder, job_.programFolder,
                                                           &transaction_);
            const std::string target = (folder.empty() ? TargetFolderOf(item, record) : folder) + record.targetName;
            const std::string from = source + record.tempName;
            WriteLog("复制文件：" + from + " 到 " + target);
            // One open from the check to the copy, which lets nobody write,
            // rename or delete the file in between.
            UniqueFileHandle downloaded(::CreateFileA(from.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                                      OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
            if (folder.empty() || !downloaded ||
                !StillTheDownloadedFile(item, kind, record, from, downloaded.Get()) ||
                !transaction_.CopyIn(downloaded.Get(), target)) {
                view_.SetStatus("更新失败！");
                view_.ShowInfo("文件：" + target + "更新失败！");
                return false;
            }
            if (kind == ItemKind::File && item.uncompress && !Unpack(target, folder)) return false;
            if (kind == ItemKind::File && item.runme) outcome_.runPaths[k] = target;
        }
        return true;
    }

    // Time has passed since the download: a file with a signed SHA-256 (or
    // a file item with an md5) is checked again on the handle it is then
    // copied from.
    bool StillTheDownloadedFile(const UpdateItem& item, ItemKind kind, const DownloadRecord& record,
                                const std::string& path, HANDLE source) const
    {
        if (record.content) {
            CngCrypto crypto;
            Sha256Digest digest{};
            std::uint64_t size = 0;
            if (!Sha256OfHandle(source, crypto, digest, size)) {
                WriteLog("错误：无法读取待更新文件：" + path);
                return false;
            }
            const std::string got = ToHex(digest);
            if (size == record.content->size && EqualsNoCase(got, record.content->sha256, job_.rule)) return true;
            WriteLog(WrongInstallSha256Text(path, got, record.content->sha256));
            return false;
        }
        if (kind != ItemKind::File || item.md5.empty()) return true;
        std::string digest;
        if (Md5OfHandle(source, digest) && EqualsNoCase(digest, item.md5, job_.rule)) return true;
        WriteLog("错误：待更新文件的MD5值为：" + digest + "，不等于服务器中原始文件的MD5=" + item.md5);
        return false;
    }

    bool Unpack(const std::string& package, const std::string& folder)
    {
        WriteLog("压缩包：" + package + " 解压到 " + folder);
        if (!ExtractArchive(package, folder, transaction_, view_)) {
            WriteLog("解压失败！");
            view_.ShowInfo("文件：" + package + "解压失败！");
            return false;
        }
        // The package was only copied in to be unpacked.
        if (!::DeleteFileA(package.c_str())) {
            WriteLog("错误：无法删除压缩包：" + package);
            return true;
        }
        return transaction_.Forget(package);
    }

    struct Version {
        std::string section;
        std::string value;
    };

    // A new configuration package installed in this run carries its own
    // versions (none to write); otherwise every new item whose "modify_ver"
    // is on gets its server version.
    bool InstallsNewPackage() const
    {
        const int package = config_.packageIndex;
        return package >= 0 && package < kFileItemCount && config_.files[package].isNew &&
               !RecordsOf(ItemKind::File, package).empty();
    }

    std::vector<Version> VersionsToWrite() const
    {
        std::vector<Version> versions;
        if (InstallsNewPackage()) return versions;
        for (ItemKind kind : {ItemKind::File, ItemKind::Dir}) {
            for (int k = 0; k < CountOf(kind); ++k) {
                const UpdateItem& item = config_.Item(kind, k);
                if (item.isNew && item.modifyVer) versions.push_back({ItemSection(kind, k), item.serverVersion});
            }
        }
        return versions;
    }

    // False when the versions could not be written into the package. The
    // release's sequence goes with them, into a newly installed package too.
    bool WriteVersions(const std::vector<Version>& versions)
    {
        const std::string packagePath = job_.programFolder + job_.packageName;
        auto writeClient = [&](const CConfigIni& client, bool loaded) {
            if (loaded && WritePackageMember(client.ToText(), packagePath, kClientMember, kPackagePassword,
                                             ReplaceFileDurably))
                return true;
            WriteLog("本地配置文件（" + job_.packageName + "）无法修改！");
            return false;
        };
        if (InstallsNewPackage()) {
            view_.SetStatus("发现有新的本地配置文件，替换旧的本地配置文件！");
            if (!config_.release) return true;
            CConfigIni placed;
            const bool loaded = placed.LoadText(ReadPackageMember(packagePath, kClientMember, kPackagePassword));
            if (loaded && !RaiseClientSequence(placed, config_.release->sequence)) return true;
            return writeClient(placed, loaded);
        }
        size_t next = 0;
        for (ItemKind kind : {ItemKind::File, ItemKind::Dir}) {
            for (int k = 0; k < CountOf(kind); ++k) {
                if (!config_.Item(kind, k).isNew) continue;
                const std::string section = ItemSection(kind, k);
                if (next == versions.size() || versions[next].section != section) {
                    WriteLog("[" + section + "]项中ver的值不修改");
                    continue;
                }
                config_.client.WriteString(section, "ver", versions[next].value);
                WriteLog("将[" + section + "]项中ver的值置为" + versions[next].value);
                ++next;
            }
        }
        const bool raised = config_.release && RaiseClientSequence(config_.client, config_.release->sequence);
        if (versions.empty() && !raised) return true;
        return writeClient(config_.client, true);
    }

    InstallOutcome Fail()
    {
        transaction_.RollBack();
        transaction_.End();
        outcome_ = {};
        outcome_.end = InstallEnd::Failed;
        return outcome_;
    }

    const InstallJob& job_;
    UpdateConfig& config_;
    InstallView& view_;
    InstallTransaction transaction_;
    InstallOutcome outcome_;
    bool closeWarned_ = false;
    bool begun_ = false;   // the journal exists
    bool placed_ = false;  // every file is in place: a recovery finishes the run
};

}  // namespace

InstallOutcome RunInstall(const InstallJob& job, InstallView& view)
{
    assert(job.config && job.records);
    Installer installer(job, view);
    try {
        return installer.Run();
    } catch (...) {
        installer.UndoAfterThrow();
        throw;  // the thread's edge logs it and ends the stage
    }
}

void ProgramsRan(InstallOutcome& outcome)
{
    if (outcome.pendingJournal.empty()) return;
    ::DeleteFileA(outcome.pendingJournal.c_str());
    outcome.pendingJournal.clear();
}

}  // namespace quibo
