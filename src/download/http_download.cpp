#include "download/http_download.h"

#include "download/http_body.h"
#include "download/http_session.h"
#include "download/http_status.h"
#include "download/progress_report.h"
#include "download/same_size.h"
#include "download/target_file.h"
#include "download/transfer_meter.h"

namespace quibo {

bool HttpDownload(TransferControl& control, TransferView& view, const std::string& url,
                  const std::string& localPath, int row, const HttpLimits& limits)
{
    HttpRequest http(limits);
    // An error page is not the file, even when it arrives with a length.
    std::string message;
    if (!CheckHttpUrl(http, url, message)) return false;
    return HttpDownload(control, view, http, localPath, row);
}

bool HttpDownload(TransferControl& control, TransferView& view, HttpRequest& http, const std::string& localPath,
                  int row)
{
    // Without a length a cut-off body could not be told from a whole one.
    DWORD length = http.ContentLength();
    if (length == 0) return false;

    AppendSizeSuffix(view, row, length);
    view.SetFileProgress(0);
    if (SkipSameSizeFile(control, view, localPath, length, row)) return true;

    TargetFile file(control.Files(), localPath);
    if (!file.IsOpen()) return false;
    TransferMeter meter(control, view, length, row, SpeedUnit::KiloBytes);
    bool whole = ReadHttpBody(http, length, [&](const char* data, DWORD size) {
        if (control.stop || !file.Write(data, size)) return false;
        meter.Add(size);
        control.WaitIfPaused();
        return !control.stop;
    });
    http.Close();
    bool closed = file.Close();
    if (!whole || !closed || control.stop) return false;
    meter.Finish();
    view.SetStatus("OK!");
    return true;
}

}  // namespace quibo
