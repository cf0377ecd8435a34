// Result codes for the host program: message 2023, the code in wParam. They
// are posted, never sent, so a host that does not pump messages never blocks
// the updater. Nothing is posted, and nothing logged, without a host window.
#pragma once

#include <windows.h>

constexpr UINT kHostResultMessage = 2023;

enum HostCode : int {
    kHostNoNetwork = -5,
    kHostLeftAfterDownload = -4,
    kHostDownloadFailed = -3,
    kHostLeftBeforeDownload = -2,
    kHostConfigError = -1,
    kHostUpdated = 1,
    kHostNothingNew = 2,
    kHostNewVersion = 3,
    kHostExiting = 4,
};

// Posts `code` to `host` and writes its log line.
void HostNotify(HWND host, int code);
