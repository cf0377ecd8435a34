#include "download/http_download.h"

#include "core/log/run_log.h"
#include "core/transfer/range_answer.h"
#include "download/free_space.h"
#include "download/http_body.h"
#include "download/http_session.h"
#include "download/http_status.h"
#include "download/progress_report.h"
#include "download/same_size.h"
#include "download/target_file.h"
#include "download/transfer_meter.h"

namespace quibo {

namespace {

// The answer's body of `length` bytes into `localPath`, after the `kept`
// bytes already there (0: the file is written from its start).
bool ReadInto(TransferControl& control, TransferView& view, HttpRequest& http, std::uint64_t length,
              const std::string& localPath, int row, std::uint64_t kept, const SizeCap& cap)
{
    const std::uint64_t total = kept + length;
    // Not a byte of an answer that announces more than the signed size.
    if (!cap.Allows(total)) return false;
    AppendSizeSuffix(view, row, total);
    if (kept == 0) {
        view.SetFileProgress(0);
        if (SkipSameSizeFile(control, view, localPath, length, row)) return true;
    }
    if (!HasRoomFor(view, localPath, length)) return false;

    TargetFile file(control.Files(), localPath, kept);
    if (!file.IsOpen()) return false;
    TransferMeter meter(control, view, total, row, SpeedUnit::KiloBytes, kept);
    bool whole = ReadHttpBody(
        http, length,
        [&](const char* data, DWORD size) {
            if (control.stop || !file.Write(data, size)) return false;
            meter.Add(size);
            control.WaitIfPaused();
            return !control.stop;
        },
        // The body goes on past its announced end; when that end is the
        // signed size, the body is longer than the file may be.
        [&] { cap.Fitting(total, 1); });
    http.Close();
    bool closed = file.Close();
    if (!whole || !closed || control.stop) return false;
    meter.Finish();
    view.SetStatus("OK!");
    return true;
}

}  // namespace

bool HttpDownload(TransferControl& control, TransferView& view, const std::string& url,
                  const std::string& localPath, int row, const HttpLimits& limits, const SizeCap& cap)
{
    HttpRequest http(limits);
    // An error page is not the file, even when it arrives with a length.
    std::string message;
    if (!CheckHttpUrl(http, url, message)) return false;
    return HttpDownload(control, view, http, localPath, row, cap);
}

bool HttpDownload(TransferControl& control, TransferView& view, HttpRequest& http, const std::string& localPath,
                  int row, const SizeCap& cap)
{
    // Without a length a cut-off body could not be told from a whole one.
    const std::uint64_t length = http.AnnouncedLength();
    if (length == 0) return false;
    return ReadInto(control, view, http, length, localPath, row, 0, cap);
}

bool ResumeHttpDownload(TransferControl& control, TransferView& view, const std::string& url,
                        const std::string& localPath, int row, const HttpLimits& limits, std::uint64_t& kept,
                        const SizeCap& cap)
{
    kept = 0;
    std::uint64_t from = 0;
    LocalFileSize(localPath, from);
    if (from == 0) return HttpDownload(control, view, url, localPath, row, limits, cap);

    HttpRequest http(limits);
    http.AskFrom(from);
    if (!http.Open(url)) return false;
    DWORD status = 0;
    if (!http.QueryNumber(HTTP_QUERY_STATUS_CODE, status)) return false;
    const std::uint64_t length = http.AnnouncedLength();
    switch (JudgeRangeAnswer(status, http.QueryText(HTTP_QUERY_CONTENT_RANGE), from, length)) {
    case RangeAnswer::Append:
        WriteLog("断点续传：从第" + std::to_string(from) + "字节继续下载");
        kept = from;
        break;
    case RangeAnswer::Afresh:
        // The answer is the whole file: the old bytes go, and the skip rule
        // must not take them for it.
        WriteLog("服务器不支持断点续传，重新下载。");
        ::DeleteFileA(localPath.c_str());
        break;
    case RangeAnswer::Refetch:
        WriteLog("无法从第" + std::to_string(from) + "字节续传，重新下载。");
        http.Close();
        ::DeleteFileA(localPath.c_str());
        return HttpDownload(control, view, url, localPath, row, limits, cap);
    case RangeAnswer::Fail: return false;
    }
    // An error page is not the file, even when it arrives with a length.
    if (status < 200 || status >= 300 || length == 0) return false;
    return ReadInto(control, view, http, length, localPath, row, kept, cap);
}

}  // namespace quibo
