#include <windows.h>

#include <cstdint>
#include <cstdlib>
#include <ctime>
#include <optional>

#include "core/config/client_config.h"
#include "core/log/run_log.h"
#include "download/download_worker.h"
#include "download/file_fetch.h"
#include "win/file_replace.h"
#include "win/file_status.h"

namespace quibo {

namespace {

// Writes the package item's new version into the downloaded package, then
// puts it in the place of the configuration package in one rename, once its
// bytes are on the disk: the old package stays whole until the new one is.
bool SwapPackage(const std::string& downloaded, const std::string& package, int index,
                 const std::string& version, const std::optional<ReleaseMeta>& release)
{
    // The new package never records an older release than the one it came in.
    std::optional<std::uint64_t> sequence;
    if (release) sequence = release->sequence;
    if (!WriteClientVersion(downloaded, "file" + std::to_string(index), version, {}, sequence)) {
        WriteLog("错误：无法写入下载的配置包：" + downloaded);
        return false;
    }
    if (!ReplaceFileDurably(downloaded, package)) {
        WriteLog("错误：无法替换配置包：" + package);
        return false;
    }
    return true;
}

class SelfUpdate {
public:
    SelfUpdate(const SelfUpdateJob& job, TransferControl& control, DownloadView& view, DownloadSession& session)
        : job_(job),
          config_(*job.config),
          context_{control, view, session, job.httpLimits, job.ftpLimits},
          programCopy_(job.programFolder + job.programFileName + ".exe"),
          downloadedPackage_(job.programFolder + job.packageName + ".ubk")
    {
    }

    DownloadEnd Run()
    {
        // A copy or package left by an earlier run that failed is never taken
        // for this run's download.
        Discard();
        DownloadEnd end = Fetch();
        context_.session.Close();
        // Nothing half-fetched may be taken for a new program or package.
        if (end != DownloadEnd::Done) Discard();
        return end;
    }

private:
    void Discard()
    {
        ::DeleteFileA(programCopy_.c_str());
        ::DeleteFileA(downloadedPackage_.c_str());
    }

    DownloadEnd Fetch()
    {
        DownloadView& view = context_.view;
        view.SetTotalRange(10);
        const int indexes[2] = {config_.selfUpdateIndex, config_.packageIndex};
        const std::string* locals[2] = {&programCopy_, &downloadedPackage_};
        for (int u = 0; u < 2; ++u) {
            if (indexes[u] < 0 || indexes[u] >= kFileItemCount) continue;
            if (context_.control.stop) return DownloadEnd::Stopped;
            view.SetTotalProgress(u * 3);
            UpdateItem& item = config_.files[indexes[u]];
            view.SetStatus("正在下载：" + item.name);
            FetchEnd end = FetchFileItem(context_, item, *locals[u], 0, FetchStyle::SelfUpdate, job_.showType);
            if (context_.control.stop) return DownloadEnd::Stopped;
            if (end != FetchEnd::Done) return DownloadEnd::Failed;
            // A share or an FTP server may hand over an empty file with no size
            // or md5 to tell it from a good one; it can replace nothing.
            if (!FileExistsNonEmpty(*locals[u])) {
                WriteLog("错误：下载的文件为空：" + item.name);
                return DownloadEnd::Failed;
            }
        }
        view.SetTotalProgress(10);
        view.SetStatus("下载完成，正在进行更新...");
        if (config_.packageIndex >= 0 && config_.packageIndex < kFileItemCount &&
            FileExistsNonEmpty(downloadedPackage_) &&
            !SwapPackage(downloadedPackage_, job_.programFolder + job_.packageName, config_.packageIndex,
                         config_.files[config_.packageIndex].serverVersion, config_.release))
            return DownloadEnd::Failed;
        return DownloadEnd::Done;
    }

    const SelfUpdateJob& job_;
    UpdateConfig& config_;
    FetchContext context_;
    std::string programCopy_;
    std::string downloadedPackage_;
};

}  // namespace

DownloadEnd RunSelfUpdateDownload(const SelfUpdateJob& job, TransferControl& control, DownloadView& view)
{
    std::srand(static_cast<unsigned>(std::time(nullptr)));
    DownloadSession own;
    return SelfUpdate(job, control, view, job.session ? *job.session : own).Run();
}

}  // namespace quibo
