// The updater's icon in the notification area: its tool tip, its animation
// through the icon strip, its small menu, and hiding the main window in it.
//
// The object owns a hidden pop-up window of its own class that receives the
// icon's notifications, the animation timer and the shell's "TaskbarCreated"
// message. Every icon it shows is its own copy, so whoever handed an icon in
// may destroy it at any time. Every operation belongs to the thread that made
// the object, which receives its window's messages; the workers' tips and
// stages reach it through their pages' report queues, so nothing is locked.
#pragma once

#include <windows.h>
#include <shellapi.h>

#include <string>
#include <vector>

#include "win/gdi_objects.h"
#include "win/thread_checker.h"

namespace quibo {

class CSystemTray {
public:
    static constexpr UINT kCallbackMessage = WM_APP + 10;
    static constexpr UINT kIconId = 139;
    static constexpr UINT_PTR kAnimationTimer = 4567;

    CSystemTray();
    ~CSystemTray();  // removes the icon and destroys the window
    CSystemTray(const CSystemTray&) = delete;
    CSystemTray& operator=(const CSystemTray&) = delete;

    // Creates the window and adds the icon (hidden from the start when asked).
    // Notifications go to `owner`, or to the tray's own window when it is null.
    bool CreateTrayIcon(HWND owner, UINT callbackMessage, const std::string& tip, HICON icon, UINT id,
                        bool hidden);
    bool HideTrayIcon();  // true when the icon is hidden afterwards
    bool ShowTrayIcon();  // true when the icon is visible afterwards
    void RemoveTrayIcon();

    void SetDefaultMenuItem(UINT item, bool byPosition);
    // Receives the menu's commands; when null, the window notifications go to.
    void SetCommandWindow(HWND window);

    void ChangeTrayIcon(HICON icon);
    // Copies the icons for the animation; null entries are skipped. False
    // (and no icons kept) when a copy cannot be made.
    bool SetAnimationIcons(const std::vector<HICON>& icons);
    // Steps through the icons every `stepMs`; after more than
    // `durationSeconds` whole seconds it stops by itself (0: never).
    bool StartIconAnimation(UINT stepMs, int durationSeconds);
    // Stops the animation and shows the icon shown before it started.
    void StopIconAnimation();
    // Cut to 127 bytes at a code page 936 character boundary.
    void SetTrayTip(const std::string& text);
    bool Enabled() const;

    // Hides `window` under an invisible parent, so that it also leaves the
    // taskbar; RestoreFromTray gives it back to the desktop and shows it.
    static void HideToTray(HWND window);
    static void RestoreFromTray(HWND window);
    // The invisible parent; null until HideToTray first needs it.
    static HWND TrayParentWindow();

    // What the icon is now, for tests and diagnostics.
    HWND Window() const { return window_; }
    bool Hidden() const;
    bool Removed() const;
    bool Animating() const;
    std::string Tip() const;
    HICON ShownIcon() const;  // the tray's own copy, valid while it is shown
    size_t AnimationIconCount() const;

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void OnMouse(UINT mouseMessage);
    void OnAnimationTimer();
    bool Shell(DWORD command);
    void AddTrayIcon();
    void ReAdd();
    void StoreTip(const std::string& text);
    HWND CommandWindow() const;

    ThreadChecker thread_;
    NOTIFYICONDATAA data_;
    HWND window_ = nullptr;
    bool enabled_ = false;
    bool hidden_ = true;
    bool removed_ = true;
    bool readdPending_ = false;
    bool stateSupported_ = false;
    UINT menuDefaultItem_ = 0;
    bool menuDefaultByPosition_ = false;
    HWND commandWindow_ = nullptr;
    UINT savedFlags_ = 0;
    UniqueIcon shown_;  // the icon in the record

    std::vector<UniqueIcon> animation_;
    size_t animationIndex_ = 0;
    ULONGLONG animationStart_ = 0;
    int animationSeconds_ = 0;
    bool animating_ = false;
    UniqueIcon beforeAnimation_;
};

}  // namespace quibo
