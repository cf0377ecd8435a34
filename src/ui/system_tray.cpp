#include "ui/system_tray.h"

#include <cassert>
#include <cstring>

#include "ui/tray_menu.h"
#include "ui/tray_tip.h"

namespace quibo {

namespace {

constexpr char kTrayClass[] = "QuiboTrayWindow";
constexpr char kParentClass[] = "QuiboTrayParent";

// The record in its version with state and balloon fields.
constexpr DWORD kRecordSize = NOTIFYICONDATAA_V2_SIZE;

const UINT kTaskbarCreated = ::RegisterWindowMessageA("TaskbarCreated");

bool RegisterClassOnce(const char* name, WNDPROC procedure)
{
    WNDCLASSA wc = {};
    HINSTANCE instance = ::GetModuleHandleA(nullptr);
    if (::GetClassInfoA(instance, name, &wc)) return true;
    wc.lpfnWndProc = procedure;
    wc.hInstance = instance;
    wc.lpszClassName = name;
    return ::RegisterClassA(&wc) != 0;
}

HWND g_trayParent = nullptr;  // process-wide, created on first use, never shown

UniqueIcon CopyOf(HICON icon) { return UniqueIcon(icon ? ::CopyIcon(icon) : nullptr); }

}  // namespace

CSystemTray::CSystemTray() { std::memset(&data_, 0, sizeof data_); }

CSystemTray::~CSystemTray()
{
    if (!window_) return;
    StopIconAnimation();
    RemoveTrayIcon();
    ::SetWindowLongPtrA(window_, GWLP_USERDATA, 0);
    ::DestroyWindow(window_);
}

bool CSystemTray::CreateTrayIcon(HWND owner, UINT callbackMessage, const std::string& tip, HICON icon,
                                 UINT id, bool hidden)
{
    assert(thread_.CalledOnValidThread());
    const DWORD version = ::GetVersion();
    if (LOBYTE(LOWORD(version)) < 4) {
        enabled_ = false;
        return false;
    }
    stateSupported_ = !(version & 0x80000000) && LOBYTE(LOWORD(version)) > 4;
    if (!window_) {
        if (!RegisterClassOnce(kTrayClass, WindowProc)) return false;
        window_ = ::CreateWindowExA(0, kTrayClass, "", WS_POPUP, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                                    CW_USEDEFAULT, nullptr, nullptr, ::GetModuleHandleA(nullptr), this);
        if (!window_) return false;
    }
    enabled_ = true;

    std::memset(&data_, 0, sizeof data_);
    data_.cbSize = kRecordSize;
    data_.hWnd = owner ? owner : window_;
    data_.uID = id;
    data_.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    data_.uCallbackMessage = callbackMessage;
    shown_ = CopyOf(icon);
    data_.hIcon = shown_.Get();
    StoreTip(tip);

    hidden_ = hidden;
    if (hidden && stateSupported_) {
        data_.uFlags |= NIF_STATE;
        data_.dwState = NIS_HIDDEN;
        data_.dwStateMask = NIS_HIDDEN;
    }
    savedFlags_ = data_.uFlags;
    if (hidden && !stateSupported_) return true;  // added when it is shown
    bool added = Shell(NIM_ADD);
    removed_ = hidden_ = readdPending_ = !added;
    if (added) hidden_ = hidden;
    return added;
}

bool CSystemTray::HideTrayIcon()
{
    assert(thread_.CalledOnValidThread());
    if (!enabled_ || removed_ || hidden_) return hidden_;
    if (stateSupported_) {
        data_.uFlags = NIF_STATE;
        data_.dwState = NIS_HIDDEN;
        data_.dwStateMask = NIS_HIDDEN;
        hidden_ = Shell(NIM_MODIFY);
    } else {
        RemoveTrayIcon();
    }
    return hidden_;
}

bool CSystemTray::ShowTrayIcon()
{
    assert(thread_.CalledOnValidThread());
    if (!enabled_) return false;
    if (removed_) AddTrayIcon();
    if (hidden_) {
        if (stateSupported_) {
            // The icon and tip stored while hidden go along, or the shell
            // would go on showing what it had before.
            data_.uFlags = NIF_STATE | NIF_ICON | NIF_TIP;
            data_.dwState = 0;
            data_.dwStateMask = NIS_HIDDEN;
            if (Shell(NIM_MODIFY))
                hidden_ = false;
            else
                AddTrayIcon();  // the shell lost it (it restarted meanwhile)
        } else {
            AddTrayIcon();
        }
    }
    return !hidden_;
}

void CSystemTray::AddTrayIcon()
{
    if (!removed_) RemoveTrayIcon();
    data_.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    data_.dwState = 0;
    if (Shell(NIM_ADD)) {
        hidden_ = removed_ = false;
    } else {
        readdPending_ = true;
    }
}

void CSystemTray::RemoveTrayIcon()
{
    assert(thread_.CalledOnValidThread());
    if (!enabled_) return;
    readdPending_ = false;
    if (removed_) return;
    data_.uFlags = 0;
    if (Shell(NIM_DELETE)) hidden_ = removed_ = true;
}

void CSystemTray::ReAdd()
{
    if (!readdPending_ || hidden_) return;
    data_.uFlags = savedFlags_;
    bool added = Shell(NIM_ADD);
    hidden_ = readdPending_ = !added;
    if (added) removed_ = false;
}

void CSystemTray::SetDefaultMenuItem(UINT item, bool byPosition)
{
    assert(thread_.CalledOnValidThread());
    if (!enabled_) return;
    menuDefaultItem_ = item;
    menuDefaultByPosition_ = byPosition;
}

void CSystemTray::SetCommandWindow(HWND window)
{
    assert(thread_.CalledOnValidThread());
    if (enabled_) commandWindow_ = window;
}

void CSystemTray::ChangeTrayIcon(HICON icon)
{
    assert(thread_.CalledOnValidThread());
    if (!enabled_) return;
    UniqueIcon copy = CopyOf(icon);
    data_.uFlags = NIF_ICON;
    data_.hIcon = copy.Get();
    if (!hidden_) Shell(NIM_MODIFY);
    shown_ = std::move(copy);  // the previous copy goes only now that the shell has the new one
}

void CSystemTray::SetTrayTip(const std::string& text)
{
    assert(thread_.CalledOnValidThread());
    if (!enabled_) return;
    StoreTip(text);
    data_.uFlags = NIF_TIP;
    if (!hidden_) Shell(NIM_MODIFY);
}

void CSystemTray::StoreTip(const std::string& text)
{
    std::string tip = TrayTipText(text);
    std::memset(data_.szTip, 0, sizeof data_.szTip);
    std::memcpy(data_.szTip, tip.data(), tip.size());
}

bool CSystemTray::SetAnimationIcons(const std::vector<HICON>& icons)
{
    assert(thread_.CalledOnValidThread());
    if (!enabled_) return false;
    std::vector<UniqueIcon> copies;
    for (HICON icon : icons) {
        if (!icon) continue;
        copies.push_back(CopyOf(icon));
        if (!copies.back()) {
            animation_.clear();
            return false;
        }
    }
    animation_ = std::move(copies);
    return true;
}

bool CSystemTray::StartIconAnimation(UINT stepMs, int durationSeconds)
{
    assert(thread_.CalledOnValidThread());
    if (!enabled_ || animation_.empty()) return false;
    StopIconAnimation();
    animationIndex_ = 0;
    animationStart_ = ::GetTickCount64();
    animationSeconds_ = durationSeconds;
    beforeAnimation_ = CopyOf(shown_.Get());
    animating_ = ::SetTimer(window_, kAnimationTimer, stepMs, nullptr) != 0;
    return animating_;
}

void CSystemTray::StopIconAnimation()
{
    assert(thread_.CalledOnValidThread());
    if (!enabled_) return;
    ::KillTimer(window_, kAnimationTimer);
    animating_ = false;
    if (!beforeAnimation_) return;
    UniqueIcon before = std::move(beforeAnimation_);
    ChangeTrayIcon(before.Get());
}

void CSystemTray::OnAnimationTimer()
{
    assert(thread_.CalledOnValidThread());
    if (animationSeconds_ > 0 &&
        (::GetTickCount64() - animationStart_) / 1000 > static_cast<ULONGLONG>(animationSeconds_)) {
        StopIconAnimation();
        return;
    }
    if (animation_.empty()) return;
    if (++animationIndex_ >= animation_.size()) animationIndex_ = 0;
    ChangeTrayIcon(animation_[animationIndex_].Get());
}

bool CSystemTray::Enabled() const
{
    assert(thread_.CalledOnValidThread());
    return enabled_;
}

bool CSystemTray::Hidden() const
{
    assert(thread_.CalledOnValidThread());
    return hidden_;
}

bool CSystemTray::Removed() const
{
    assert(thread_.CalledOnValidThread());
    return removed_;
}

bool CSystemTray::Animating() const
{
    assert(thread_.CalledOnValidThread());
    return animating_;
}

std::string CSystemTray::Tip() const
{
    assert(thread_.CalledOnValidThread());
    return std::string(data_.szTip, strnlen(data_.szTip, sizeof data_.szTip));
}

HICON CSystemTray::ShownIcon() const
{
    assert(thread_.CalledOnValidThread());
    return shown_.Get();
}

size_t CSystemTray::AnimationIconCount() const
{
    assert(thread_.CalledOnValidThread());
    return animation_.size();
}

bool CSystemTray::Shell(DWORD command) { return ::Shell_NotifyIconA(command, &data_) != FALSE; }

HWND CSystemTray::CommandWindow() const { return commandWindow_ ? commandWindow_ : data_.hWnd; }

void CSystemTray::OnMouse(UINT mouseMessage)
{
    if (mouseMessage != WM_RBUTTONUP && mouseMessage != WM_LBUTTONUP) return;
    UniqueMenu menu = LoadTrayMenu(::GetModuleHandleA(nullptr));
    HMENU popup = menu ? ::GetSubMenu(menu.Get(), 0) : nullptr;
    if (!popup) return;
    assert(thread_.CalledOnValidThread());
    const UINT item = menuDefaultItem_;
    const bool byPosition = menuDefaultByPosition_;
    const HWND target = CommandWindow();
    if (mouseMessage == WM_RBUTTONUP) {
        ::SetMenuDefaultItem(popup, item, byPosition);
        // A menu whose owner is not in the foreground would not close when
        // the user clicks elsewhere.
        ::SetForegroundWindow(target);
        POINT at = {};
        ::GetCursorPos(&at);
        ::TrackPopupMenu(popup, TPM_LEFTBUTTON, at.x, at.y, 0, target, nullptr);
        ::PostMessageA(target, WM_NULL, 0, 0);
        return;
    }
    UINT command = byPosition ? ::GetMenuItemID(popup, static_cast<int>(item)) : item;
    ::SetForegroundWindow(target);
    if (command != static_cast<UINT>(-1)) ::PostMessageA(target, WM_COMMAND, command, 0);
}

LRESULT CSystemTray::OnMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    assert(thread_.CalledOnValidThread());
    if (message == WM_TIMER) {
        if (wParam == kAnimationTimer) OnAnimationTimer();
        return 0;
    }
    if ((kTaskbarCreated != 0 && message == kTaskbarCreated) || (message == WM_SETTINGCHANGE && wParam == SPI_SETWORKAREA)) {
        if (!enabled_) return 0;
        if (message == kTaskbarCreated) {
            removed_ = true;  // the new taskbar holds none of the old icons
            readdPending_ = true;
        } else {
            readdPending_ = !hidden_;
        }
        ReAdd();
        return 0;
    }
    const UINT callback = data_.uCallbackMessage;
    if (enabled_ && callback != 0 && message == callback) {
        if (wParam == data_.uID) OnMouse(static_cast<UINT>(lParam));
        return 0;
    }
    return ::DefWindowProcA(window_, message, wParam, lParam);
}

LRESULT CALLBACK CSystemTray::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTA*>(lParam);
        ::SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* tray = reinterpret_cast<CSystemTray*>(::GetWindowLongPtrA(window, GWLP_USERDATA));
    if (!tray || !tray->window_) return ::DefWindowProcA(window, message, wParam, lParam);
    return tray->OnMessage(message, wParam, lParam);
}

HWND CSystemTray::TrayParentWindow() { return g_trayParent; }

void CSystemTray::HideToTray(HWND window)
{
    if (!g_trayParent && RegisterClassOnce(kParentClass, ::DefWindowProcA))
        g_trayParent = ::CreateWindowExA(0, kParentClass, "", 0, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                                         CW_USEDEFAULT, nullptr, nullptr, ::GetModuleHandleA(nullptr), nullptr);
    if (!window || !g_trayParent) return;
    ::SetParent(window, g_trayParent);
    ::SetWindowLongPtrA(window, GWL_STYLE, ::GetWindowLongPtrA(window, GWL_STYLE) & ~WS_VISIBLE);
}

void CSystemTray::RestoreFromTray(HWND window)
{
    if (!window) return;
    ::SetParent(window, nullptr);
    ::SetWindowLongPtrA(window, GWL_STYLE, ::GetWindowLongPtrA(window, GWL_STYLE) | WS_VISIBLE);
    ::RedrawWindow(window, nullptr, nullptr,
                   RDW_UPDATENOW | RDW_ALLCHILDREN | RDW_FRAME | RDW_INVALIDATE | RDW_ERASE);
    if (g_trayParent) ::SetActiveWindow(g_trayParent);
    ::SetActiveWindow(window);
    ::SetForegroundWindow(window);
}

}  // namespace quibo
