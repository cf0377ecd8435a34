#include <windows.h>

#include <cstdlib>
#include <ctime>

#include "core/config/config_ini.h"
#include "core/log/run_log.h"
#include "core/package/package.h"
#include "download/download_worker.h"
#include "download/file_fetch.h"

namespace quibo {

namespace {

constexpr char kClientMember[] = "client.dat";
constexpr char kPackagePassword[] = "";

bool IsNonEmptyFile(const std::string& path)
{
    WIN32_FILE_ATTRIBUTE_DATA data;
    return ::GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data) &&
           !(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && (data.nFileSizeLow | data.nFileSizeHigh) != 0;
}

// Writes the package item's new version into the downloaded package, then
// puts it in the place of the configuration package in one rename, so the
// old package stays whole until the new one is complete.
bool SwapPackage(const std::string& downloaded, const std::string& package, int index,
                 const std::string& version)
{
    CConfigIni ini;
    if (!ini.LoadText(ReadPackageMember(downloaded, kClientMember, kPackagePassword)) ||
        !ini.WriteString("file" + std::to_string(index), "ver", version) ||
        !WritePackageMember(ini.ToText(), downloaded, kClientMember, kPackagePassword)) {
        WriteLog("错误：无法写入下载的配置包：" + downloaded);
        return false;
    }
    if (!::MoveFileExA(downloaded.c_str(), package.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
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
        DownloadEnd end = Fetch();
        context_.session.Close();
        if (end != DownloadEnd::Done) {
            // Nothing half-fetched may be taken for a new program or package.
            ::DeleteFileA(programCopy_.c_str());
            ::DeleteFileA(downloadedPackage_.c_str());
        }
        return end;
    }

private:
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
        }
        view.SetTotalProgress(10);
        view.SetStatus("下载完成，正在进行更新...");
        if (config_.packageIndex >= 0 && config_.packageIndex < kFileItemCount &&
            IsNonEmptyFile(downloadedPackage_) &&
            !SwapPackage(downloadedPackage_, job_.programFolder + job_.packageName, config_.packageIndex,
                         config_.files[config_.packageIndex].serverVersion))
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
