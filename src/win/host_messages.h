// The messages the updater posts to its host program, the window named by
// "/HWND:" on the command line. They are posted, never sent, so a host that
// does not pump messages never blocks the updater. Nothing is posted, and
// nothing logged, without a host window.
#pragma once

#include <windows.h>

namespace quibo {

// Download progress of the file being transferred: wParam total bytes,
// lParam bytes done. Posted once per whole percent, after kHostPercentMessage.
constexpr UINT kHostBytesMessage = 2020;
// The same progress as a percentage: wParam 100, lParam percent.
constexpr UINT kHostPercentMessage = 2021;
// Progress over all items: wParam item count x 100, lParam overall done.
constexpr UINT kHostItemsMessage = 2022;
// The run's result: wParam one of the HostCode values below, lParam 0.
constexpr UINT kHostResultMessage = 2023;

enum class HostCode : int {
    NoNetwork = -5,
    LeftAfterDownload = -4,
    DownloadFailed = -3,
    LeftBeforeDownload = -2,
    ConfigError = -1,
    Updated = 1,
    NothingNew = 2,
    NewVersion = 3,
    Exiting = 4,
};

// Posts `code` to `host` as kHostResultMessage and writes its log line.
void HostNotify(HWND host, HostCode code);

}  // namespace quibo
