#include "download/ftp_download.h"

#include "core/log/run_log.h"
#include "core/text/code_page.h"
#include "download/free_space.h"
#include "download/ftp_read.h"
#include "download/progress_report.h"
#include "download/same_size.h"
#include "download/target_file.h"
#include "download/transfer_meter.h"
#include "win/folder_path.h"

namespace quibo {

namespace {

// The size of `name` in the current folder from a listing; false when the
// server does not list it.
bool FindRemoteSize(HINTERNET connection, const std::string& name, std::uint32_t& size)
{
    WIN32_FIND_DATAA found{};
    // Closed at once: the connection serves one transfer or listing at a time.
    UniqueInternetHandle find(
        ::FtpFindFirstFileA(connection, name.c_str(), &found, INTERNET_FLAG_EXISTING_CONNECT, 0));
    if (!find) return false;
    size = found.nFileSizeLow;
    return true;
}

}  // namespace

bool FtpDownloadFile(FtpConnection& ftp, TransferControl& control, TransferView& view,
                     const std::string& objectPath, const std::string& localPath, std::uint32_t knownSize,
                     int row, const SizeCap& cap)
{
    size_t backslash = FindLastChar(localPath, '\\');
    if (backslash != std::string::npos) CreateFolderPath(localPath.substr(0, backslash));

    FtpPath remote = SplitFtpPath(objectPath);
    if (!ftp.EnterFolder(remote.folder)) {
        WriteLog("错误：无法在Ftp服务器中设置当前目录：" + remote.folder);
        return false;
    }

    std::uint32_t size = knownSize;
    const bool sized = size != 0 || FindRemoteSize(ftp.Handle(), remote.name, size);
    if (!sized) WriteLog("错误：无法取得文件长度！");
    if (sized && !cap.Allows(size)) return false;
    if (size != 0) AppendSizeSuffix(view, row, size);
    view.SetFileProgress(0);
    if (size != 0 && SkipSameSizeFile(control, view, localPath, size, row)) return true;

    UniqueInternetHandle remoteFile = OpenFtpFile(ftp.Handle(), remote.name);
    if (!remoteFile) {
        WriteLog("错误：无法在Ftp服务器中打开文件：" + remote.name);
        return false;
    }
    // A data connection that ends early ends the file like a complete one:
    // without the size nothing tells a cut-off file from a whole one.
    if (!sized) {
        WriteLog("错误：服务器没有给出文件长度，无法确认文件是否完整：" + remote.name);
        return false;
    }
    if (!HasRoomFor(view, localPath, size)) return false;
    TargetFile file(control.Files(), localPath);
    if (!file.IsOpen()) {
        WriteLog("错误：无法在本地创建文件：" + localPath);
        return false;
    }

    TransferMeter meter(control, view, size, row, SpeedUnit::KiloBytes);
    bool ended = ReadFtpFile(remoteFile.Get(), [&](const char* data, DWORD got) {
        // Written through the registry: once the end of the download has
        // closed the file, nothing more reaches it.
        // A file that grows past its signed size is cut off there.
        const DWORD fitting = cap.Fitting(meter.Done(), got);
        if (control.stop || !file.Write(data, fitting)) return false;
        meter.Add(fitting);
        if (fitting < got) return false;
        control.WaitIfPaused();
        return !control.stop;
    });
    bool closed = file.Close();
    remoteFile.Reset();
    // A listing's size that was not reached means the connection broke off.
    if (!ended || !closed || control.stop || meter.Done() < size) return false;
    meter.Finish();
    view.SetStatus("OK!");
    return true;
}

}  // namespace quibo
