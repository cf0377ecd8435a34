// The notification-area icons as another process sees them under Wine.
//
// What Wine 8 offers under Xvfb when no desktop tray (XEmbed) is running,
// found by trying it:
// - The icons live in Wine's explorer.exe process, drawn by the X11 driver:
//   one top-level window of class "__winex11_standalone_tray", titled "Wine
//   System Tray", visible at the screen's top left, and in it one child
//   window of class "__winex11_tray_icon" per visible icon (about 20 x 20).
//   An icon hidden with NIS_HIDDEN loses its window; showing it again makes
//   a new one.
// - The tip is held by a "tooltips_class32" window of explorer.exe (one per
//   icon, not shown until hovered) whose tool is the icon window itself
//   (TTF_IDISHWND). TTM_GETTEXTA, with the tool record and the text buffer
//   placed in explorer's memory, answers the tip in code page 936.
// - The picture can be read off the screen: the icon window shows a new icon
//   within 200 ms of NIM_MODIFY.
// - A click reaches the program: SendInput at the icon's centre delivers
//   WM_MOUSEMOVE, WM_LBUTTONDOWN and WM_LBUTTONUP as the callback message
//   (wParam the icon id), and so does a WM_LBUTTONUP / WM_RBUTTONUP posted to
//   the icon window.
// - The menu the program opens is a "#32768" window of the program's own
//   process; Wine keeps menus per process, so its items cannot be read from
//   here (the program's own tests read them in-process).
#pragma once

#include <windows.h>

#include <deque>
#include <string>
#include <vector>

#include "screen_image.h"

namespace host {

// Every icon window of Wine's stand-alone tray, left to right.
std::vector<HWND> TrayIconWindows();

// The tip of the icon (code page 936); empty when it cannot be read.
std::string TrayIconTip(HWND icon);

// The first icon whose tip is `tip`; null when none is shown.
HWND FindTrayIcon(const std::string& tip);

// What the icon shows now.
ScreenImage TrayIconImage(HWND icon);

// How many different pictures the icon shows within `milliseconds`, looked
// at every 20 ms.
int DistinctTrayImages(HWND icon, DWORD milliseconds);

}  // namespace host

namespace host {

// For --tray: records "tray<TAB>tip" whenever an icon of the tray shows a tip
// not recorded before, and "trayicon<TAB>n" whenever the first icon has shown
// more different pictures within one second than ever before.
class TrayRecorder {
public:
    void Poll();

private:
    struct Picture {
        DWORD at;
        std::vector<uint32_t> pixels;
    };
    std::vector<std::string> seen_;
    std::deque<Picture> pictures_;
    int mostDistinct_ = 0;
};

}  // namespace host
