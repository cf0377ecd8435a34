// The messages and timers between the frame, its pages and their workers.
// All are posted; a page's own messages go to the page itself.
#pragma once

#include <windows.h>

namespace quibo {

// To a page from itself: the second stage of its start (start page: fill the
// list; download-finished page: the visibility check; download page: start
// the download).
constexpr UINT kPageStart = 0x478;
// To the download page from itself: fetch the updater's own files.
constexpr UINT kPageStartSelfUpdate = 0x479;
// To the download or update page from itself: the preview animation.
constexpr UINT kPageStartPreview = 0x47A;
// To the update page from itself: start the installation.
constexpr UINT kPageStartUpdate = 0x47B;
// To the download or update page: its work ended; wParam 1 success, 0 not.
constexpr UINT kPageWorkEnded = 0x47C;
// To the frame from a page: the page is done; wParam 0 go on, 1 stop; lParam
// the page's window, so that a late message of a page already gone is ignored.
constexpr UINT kPageDone = 0x47D;

// The tray icon's notifications (wParam the icon id, lParam the mouse message).
constexpr UINT kTrayNotify = WM_APP + 10;
constexpr UINT kTrayIconId = 139;

// Page-internal reports of a worker (the preview animation): wParam the step.
constexpr UINT kPagePreviewStep = WM_APP + 20;

// The frame's timers: show the first page, step the window icon.
constexpr UINT_PTR kTimerFirstPage = 1;
constexpr UINT kFirstPageDelayMs = 500;
constexpr UINT_PTR kTimerIconAnimation = 2;
constexpr UINT kIconAnimationStepMs = 150;

enum class PageIndex : int { Start = 0, Download = 1, Finished = 2, Update = 3 };

constexpr int ToInt(PageIndex page) { return static_cast<int>(page); }

}  // namespace quibo
