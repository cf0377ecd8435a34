// How a product talks to the updater: it starts update.exe from its own
// folder with "/HWND:" and the handle of one of its windows, and update.exe
// posts its progress and its results to that window as the messages below.
// Copy this file and updater.cpp into your product as they are.
#pragma once

#include <windows.h>

#include <string>

namespace example {

// Progress of the file being downloaded: wParam its size in bytes, lParam the
// bytes done. Posted once per whole percent, right after kFilePercentMessage.
constexpr UINT kFileBytesMessage = 2020;
// The same progress as a percentage: wParam 100, lParam the percent.
constexpr UINT kFilePercentMessage = 2021;
// Progress over all items of the update: wParam the item count x 100,
// lParam how much of that is done.
constexpr UINT kOverallMessage = 2022;
// A result of the run: wParam one of the codes below, lParam 0.
constexpr UINT kResultMessage = 2023;

enum class UpdaterResult : int {
    NoNetwork = -5,           // no server could be reached; the updater ends
    LeftAfterDownload = -4,   // the user quit after the download
    DownloadFailed = -3,      // the download failed or the user cancelled it
    LeftBeforeDownload = -2,  // the user quit before the download
    BadSkin = -1,             // the updater's own look (ui.dat) did not read; it ends
    Updated = 1,              // the new files are in place
    NothingNew = 2,           // the product is up to date
    NewVersionFound = 3,      // something is newer; an update follows unless only checking
    Ended = 4,                // the updater is ending: always the last message of a run
};

// The code of a kResultMessage. Negative codes arrive as a signed int stored
// in the unsigned, pointer-sized wParam; this takes the int back.
inline int ResultCode(WPARAM wParam) { return static_cast<int>(wParam); }

// The command line that starts update.exe from this program's folder and
// has it report to `window`; `extraArguments` follow (such as
// "/OP:CheckVer" for a check that never installs anything).
std::wstring UpdaterCommandLine(HWND window, const std::wstring& extraArguments);

// Starts that command line without waiting for it: the messages say how the
// run goes. It is started in the product's folder, as the updater's own
// files are there. False when it could not start
// (update.exe missing, for instance); GetLastError tells why.
bool StartUpdater(const std::wstring& commandLine);

}  // namespace example
