// The download step's work: every new item fetched into the download
// folder, from one address after another, verified, and recorded for the
// installation; and the download of the updater's own files.
#pragma once

#include <windows.h>

#include <string>

#include "core/config/show_type.h"
#include "core/config/update_config.h"
#include "core/text/code_page.h"
#include "core/transfer/download_records.h"
#include "download/download_session.h"
#include "download/download_view.h"
#include "download/transfer_control.h"
#include "download/transfer_limits.h"

namespace quibo {

enum class DownloadEnd { Done, Failed, Stopped };

struct DownloadJob {
    UpdateConfig* config;         // the worker consumes item address lists (an address is tried once)
    std::string downloadFolder;   // ends with "\"
    std::string windowTitle;      // for the tray tip "title\n下载完成！"
    HWND hostWindow = nullptr;    // 2022 is posted here
    LeadByteRule rule = kBuildCharset;  // the system's code page (SystemLeadBytes())
    // The page's, so that a stop can close the FTP connection under a
    // blocked call; the worker uses one of its own when null.
    DownloadSession* session = nullptr;
    HttpLimits httpLimits = kHttpLimits;
    FtpLimits ftpLimits = kFtpLimits;
};

// Every new item, files in slot order then folders, each on the list row
// of its position in that order. Done after "下载完成！"; Failed after the
// failure's texts; Stopped as soon as control.stop is seen. The page sets
// control.hostWindow for the transfers' 2020 and 2021.
DownloadEnd RunDownloads(const DownloadJob& job, TransferControl& control, DownloadView& view,
                         DownloadRecords& records);

// The updater's own files (run mode SelfUpdate): the new program as the
// copy "<program>.exe" and the new configuration package, in the program
// folder. The package arrives beside the old one as "<package>.ubk", gets
// its "client.dat" ver, and replaces the old one in one rename. A failed or
// stopped download leaves neither the copy nor the ".ubk" behind.
struct SelfUpdateJob {
    UpdateConfig* config;
    std::string programFolder;  // ends with "\"
    std::string programFileName;
    std::string packageName;
    HWND hostWindow = nullptr;
    LeadByteRule rule = kBuildCharset;
    ShowType showType = ShowType::Normal;
    DownloadSession* session = nullptr;
    HttpLimits httpLimits = kHttpLimits;
    FtpLimits ftpLimits = kFtpLimits;
};
DownloadEnd RunSelfUpdateDownload(const SelfUpdateJob& job, TransferControl& control, DownloadView& view);

}  // namespace quibo
