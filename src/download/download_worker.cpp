#include "download/download_worker.h"

#include <cstdlib>
#include <ctime>

#include "core/checksum/file_md5.h"
#include "core/log/run_log.h"
#include "core/transfer/download_names.h"
#include "core/transfer/signed_content.h"
#include "download/file_fetch.h"
#include "download/file_proof.h"
#include "download/ftp_download.h"
#include "download/ftp_listing.h"
#include "download/local_copy.h"
#include "download/local_listing.h"
#include "win/folder_path.h"
#include "win/host_messages.h"

namespace quibo {

namespace {

constexpr char kFailed[] = "文件下载失败!";

class Worker {
public:
    Worker(const DownloadJob& job, TransferControl& control, DownloadView& view, DownloadRecords& records,
           DownloadSession& session)
        : job_(job),
          config_(*job.config),
          records_(records),
          context_{control, view, session, job.httpLimits, job.ftpLimits}
    {
        for (const UpdateItem& item : config_.files) count_ += item.isNew ? 1 : 0;
        for (const UpdateItem& item : config_.dirs) count_ += item.isNew ? 1 : 0;
    }

    DownloadEnd Run()
    {
        DownloadView& view = context_.view;
        view.SetFileRange(100);
        view.SetTotalRange(count_ * 100);
        view.SetTotalProgress(0);
        for (int i = 0; i < kFileItemCount; ++i) {
            if (!config_.files[i].isNew) continue;
            if (DownloadEnd end = FileItem(i); end != DownloadEnd::Done) return end;
            ItemDone();
        }
        for (int i = 0; i < kDirItemCount; ++i) {
            if (!config_.dirs[i].isNew) continue;
            if (DownloadEnd end = DirItem(i); end != DownloadEnd::Done) return end;
            ItemDone();
        }
        context_.session.Close();
        view.SetInfoText("");
        view.SetStatus("下载完成！");
        view.SetTrayTip(job_.windowTitle + "\n下载完成！");
        return DownloadEnd::Done;
    }

private:
    static DownloadEnd EndOf(FetchEnd end)
    {
        return end == FetchEnd::Done ? DownloadEnd::Done
                                     : end == FetchEnd::Stopped ? DownloadEnd::Stopped : DownloadEnd::Failed;
    }

    DownloadEnd Stopped() const { return DownloadEnd::Stopped; }

    // A name from outside fails its item before anything is written.
    DownloadEnd Refuse(const std::string& reason)
    {
        WriteLog("错误：拒绝下载，" + reason);
        context_.view.SetStatus(kFailed);
        return DownloadEnd::Failed;
    }

    DownloadEnd FileItem(int index)
    {
        UpdateItem& item = config_.files[index];
        if (std::string reason = UnsafeNameReason(item.name); !reason.empty()) return Refuse(reason);
        const std::string folder = job_.downloadFolder + "file" + std::to_string(index) + "\\";
        CreateFolderPath(folder);
        const std::optional<SignedContent> content = SignedContentOf(item);
        records_.Of(ItemKind::File, index) = {DownloadRecord{"", item.name, item.name, 0, content}};
        context_.view.SetStatus("正在下载：" + item.name);

        // A file from an earlier run is kept only when it is proven to be
        // the new one; anything else in the folder could be stale. With a
        // checksum (the signed SHA-256, else an md5) the item's own file
        // stays all the same: a download that broke off goes on from it,
        // and the checksum proves the result.
        const std::string local = folder + item.name;
        std::string digest;
        if (content ? ProveDownloadedFile(local, *content, item.name, digest)
                    : !item.md5.empty() && Md5Matches(local, item.md5, digest)) {
            WriteLog("此文件以前下载过，不用再下载了。");
            return DownloadEnd::Done;
        }
        EmptyFolder(folder, content || !item.md5.empty() ? item.name : std::string());
        return EndOf(FetchFileItem(context_, item, local, row_, FetchStyle::Item));
    }

    DownloadEnd DirItem(int index)
    {
        UpdateItem& item = config_.dirs[index];
        const std::string folder = job_.downloadFolder + "dir" + std::to_string(index) + "\\";
        CreateFolderPath(folder);
        std::vector<DownloadRecord>& records = records_.Of(ItemKind::Dir, index);
        records.clear();
        while (!item.addresses.empty()) {
            if (context_.control.stop) return Stopped();
            TakenAddress taken = TakeAddress(item);
            // Each address starts afresh: its own listing, an empty folder.
            records.clear();
            EmptyFolder(folder);
            context_.view.SetRowProgress(row_, 0);
            const bool ftp = taken.parsed.service == UrlService::Ftp;
            if (!ftp && taken.parsed.service != UrlService::File) {
                // A web server lists no folder: such an address brings no
                // file, and an item with nothing brought is not installed.
                WriteLog("错误：文件夹只能从FTP服务器或本地文件夹下载，此地址没有下载任何文件：" +
                         taken.address.url);
                if (!taken.last) continue;
                context_.view.SetStatus(kFailed);
                return DownloadEnd::Failed;
            }
            if (ftp && !ConnectFor(context_, taken)) {
                if (context_.control.stop) return Stopped();
                if (taken.last) return DownloadEnd::Failed;
                continue;
            }
            context_.view.SetStatus("正在检索文件......");
            const std::string& root = taken.parsed.object;
            bool listed = ftp ? ListFtpFolder(context_.session.Ftp(), root, root, records, item.filter,
                                              item.isIncSubdir)
                              : ListLocalFolder(root, root, records, item.filter, item.isIncSubdir, job_.rule);
            if (context_.control.stop) return Stopped();
            if (!listed) {
                if (!taken.last) continue;
                context_.view.SetStatus(ftp ? "没有找到文件!" : "没有找到任何文件!");
                return DownloadEnd::Failed;
            }
            if (ftp) context_.session.Ftp().ForgetFolder();
            if (std::string reason = UnsafeReason(records); !reason.empty()) {
                records.clear();
                if (taken.last) return Refuse(reason);
                WriteLog("错误：拒绝下载，" + reason);
                continue;
            }
            // A signed folder brings exactly the files of its list.
            if (item.listed) {
                if (std::string odd = MatchListedFiles(records, *item.listed, job_.rule); !odd.empty()) {
                    records.clear();
                    WriteLog(UnlistedFileText(index, odd));
                    if (!taken.last) continue;
                    context_.view.SetStatus(kFailed);
                    return DownloadEnd::Failed;
                }
            }
            switch (Transfer(records, taken, folder)) {
            case Step::Done: return DownloadEnd::Done;
            case Step::Stopped: return Stopped();
            case Step::Retry:
                if (!taken.last) continue;
                context_.view.SetStatus(kFailed);
                return DownloadEnd::Failed;
            }
        }
        return DownloadEnd::Done;
    }

    enum class Step { Done, Retry, Stopped };

    // Why the first refused record of a listing is refused; empty when none is.
    static std::string UnsafeReason(const std::vector<DownloadRecord>& records)
    {
        for (const DownloadRecord& record : records)
            if (std::string reason = UnsafeRecordReason(record); !reason.empty()) return reason;
        return {};
    }

    Step Transfer(const std::vector<DownloadRecord>& records, const TakenAddress& taken, const std::string& folder)
    {
        const bool ftp = taken.parsed.service == UrlService::Ftp;
        const std::string separator = ftp ? "/" : "\\";
        const std::string& root = taken.parsed.object;
        const size_t total = records.size();
        for (size_t k = 0; k < total; ++k) {
            if (context_.control.stop) return Step::Stopped;
            const DownloadRecord& record = records[k];
            context_.view.SetStatus("正在下载：" + record.targetName);
            std::string source = root + separator;
            if (!record.subfolder.empty()) source += record.subfolder + separator;
            source += record.targetName;
            const std::string local = folder + record.tempName;
            WriteLog(source + "-->" + local);
            const std::string name = RelativeName(record);
            const SizeCap cap = record.content ? SizeCap(record.content->size, name) : SizeCap();
            bool ok = ftp ? FtpDownloadFile(context_.session.Ftp(), context_.control, context_.view, source, local,
                                            record.size, row_, cap)
                          : CopyLocalFile(context_.control, context_.view, source, local, row_, cap);
            if (ok && record.content) ok = Proven(local, *record.content, name, taken.last);
            if (!ok) ::DeleteFileA(local.c_str());  // no part of a file is kept
            if (context_.control.stop) return Step::Stopped;
            if (!ok) return Step::Retry;
            const int percent = static_cast<int>((k + 1) * 100 / total);
            context_.view.SetTotalProgress(done_ + percent);
            context_.view.SetRowProgress(row_, percent);
            PostItems(done_ + percent);
        }
        return Step::Done;
    }

    // A folder's file against its signed list: a mismatch fails the address.
    bool Proven(const std::string& local, const SignedContent& content, const std::string& name, bool last)
    {
        context_.view.SetStatus("正在验证文件的完整性...");
        std::string failure;
        if (ProveDownloadedFile(local, content, name, failure)) return true;
        if (last)
            context_.view.SetStatus(failure);
        else
            WriteLog(failure);
        return false;
    }

    void PostItems(int value) const
    {
        if (job_.hostWindow)
            ::PostMessageA(job_.hostWindow, kHostItemsMessage, static_cast<WPARAM>(count_ * 100), value);
    }

    void ItemDone()
    {
        context_.view.ItemDone(row_);
        done_ += 100;
        ++row_;
        PostItems(done_);
        context_.view.SetTotalProgress(done_);
    }

    const DownloadJob& job_;
    UpdateConfig& config_;
    DownloadRecords& records_;
    FetchContext context_;
    int count_ = 0;
    int row_ = 0;
    int done_ = 0;
};

}  // namespace

DownloadEnd RunDownloads(const DownloadJob& job, TransferControl& control, DownloadView& view,
                         DownloadRecords& records)
{
    std::srand(static_cast<unsigned>(std::time(nullptr)));
    DownloadSession own;
    DownloadSession& session = job.session ? *job.session : own;
    DownloadEnd end = Worker(job, control, view, records, session).Run();
    // A transfer that failed because the page stopped it is a stop.
    return end == DownloadEnd::Failed && control.stop ? DownloadEnd::Stopped : end;
}

}  // namespace quibo
