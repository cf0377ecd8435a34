#include "ui/main_window.h"

#include <algorithm>
#include <cassert>

#include "core/log/run_log.h"
#include "ui/download_page.h"
#include "ui/icon_strip.h"
#include "ui/info_page.h"
#include "ui/skin_geometry.h"
#include "ui/system_tray.h"
#include "ui/update_page.h"
#include "../../res/resource.h"

namespace quibo {

CMainDlg::CMainDlg(WizardState& state) : state_(state) {}

CMainDlg::~CMainDlg()
{
    ClosePage();
    if (window_) ::DestroyWindow(window_);
}

bool CMainDlg::Create()
{
    assert(thread_.CalledOnValidThread());
    HWND made = ::CreateDialogParamA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_MAIN), nullptr, DialogProc,
                                     reinterpret_cast<LPARAM>(this));
    return made != nullptr && made == window_;
}

INT_PTR CALLBACK CMainDlg::DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    CMainDlg* frame = nullptr;
    if (message == WM_INITDIALOG) {
        frame = reinterpret_cast<CMainDlg*>(lParam);
        ::SetWindowLongPtrA(window, DWLP_USER, lParam);
        frame->window_ = window;
    } else {
        frame = reinterpret_cast<CMainDlg*>(::GetWindowLongPtrA(window, DWLP_USER));
    }
    if (!frame) return FALSE;
    assert(frame->thread_.CalledOnValidThread());
    INT_PTR result = frame->HandleMessage(message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        ::SetWindowLongPtrA(window, DWLP_USER, 0);
        frame->window_ = nullptr;
    }
    return result;
}

INT_PTR CMainDlg::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        OnInitDialog();
        return TRUE;
    case WM_PAINT:
        OnPaint();
        return TRUE;
    case WM_QUERYDRAGICON:
        return reinterpret_cast<INT_PTR>(icon_);
    case WM_TIMER:
        OnTimer(wParam);
        return TRUE;
    case WM_SYSCOMMAND:
        return OnSysCommand(wParam) ? TRUE : FALSE;
    case WM_CLOSE:
        OnClose();
        return TRUE;
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDM_SHOW_MAIN_WINDOW:
            OnShowMainWindow();
            break;
        case IDM_TRAY_EXIT:
            // "Exit" in the tray menu asks the current page, as the close box does.
            OnClose();
            break;
        }
        return TRUE;  // Enter and Escape on the frame itself end nothing
    case kPageDone:
        NextPage(wParam, reinterpret_cast<HWND>(lParam));
        return TRUE;
    }
    return FALSE;
}

void CMainDlg::OnInitDialog()
{
    std::string sysicon = state_.skin.sysicon;
    state_.icons.LoadFromSkin(sysicon, state_.packagePath, window_);
    const std::vector<HICON>& frames = state_.icons.Icons();
    if (state_.tray && state_.icons.FrameCount() > 0) {
        if (!frames.empty() && frames[0]) state_.tray->ChangeTrayIcon(frames[0]);
        state_.tray->SetAnimationIcons(frames);
    }
    icon_ = state_.icons.FrameCount() != 0 && !frames.empty() && frames[0]
                ? frames[0]
                : ::LoadIconA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDI_UPDATE));
    ::SendMessageA(window_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon_));

    if (state_.tray) {
        state_.tray->SetCommandWindow(window_);
        state_.tray->SetTrayTip(state_.skin.title);
    }
    if (!state_.skin.title.empty()) ::SetWindowTextA(window_, state_.skin.title.c_str());
    ::SetWindowPos(window_, nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    if (!state_.NormalDisplay()) {
        ::ShowWindow(window_, SW_HIDE);
        if (state_.tray) CSystemTray::HideToTray(window_);
    }
    ::SetTimer(window_, kTimerFirstPage, kFirstPageDelayMs, nullptr);
}

void CMainDlg::OnTimer(UINT_PTR id)
{
    if (id == kTimerFirstPage) {
        ::KillTimer(window_, kTimerFirstPage);
        ShowPage(PageIndex::Start);
    } else if (id == kTimerIconAnimation && animating_) {
        StepIconAnimation();
    }
}

void CMainDlg::StepIconAnimation()
{
    int frames = state_.icons.AnimationFrames();
    if (frames <= 0) return;
    animationFrame_ = (animationFrame_ + 1) % frames;
    UniqueIcon next = state_.icons.MakeIcon(animationFrame_);
    if (!next) return;
    // The icon it replaces is destroyed only when the animation made it.
    ::SendMessageA(window_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(next.Get()));
    animationIcon_ = std::move(next);
}

void CMainDlg::OnPaint()
{
    // Always validated: a hidden frame that left WM_PAINT unanswered would be
    // asked again and again.
    PAINTSTRUCT paint;
    HDC dc = ::BeginPaint(window_, &paint);
    if (!state_.NormalDisplay()) {
        ::ShowWindow(window_, SW_HIDE);
    } else if (::IsIconic(window_) && dc) {
        ::SendMessageA(window_, WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
        RECT client;
        ::GetClientRect(window_, &client);
        int x = (client.right - ::GetSystemMetrics(SM_CXICON) + 1) / 2;
        int y = (client.bottom - ::GetSystemMetrics(SM_CYICON) + 1) / 2;
        ::DrawIcon(dc, x, y, icon_);
    }
    ::EndPaint(window_, &paint);
}

bool CMainDlg::OnSysCommand(WPARAM command)
{
    if (state_.tray && (command & 0xFFF0) == SC_MINIMIZE) {
        // Into the tray instead of the taskbar; the tray command brings it back.
        CSystemTray::HideToTray(window_);
        state_.tray->SetDefaultMenuItem(IDM_SHOW_MAIN_WINDOW, false);
        inTray_ = true;
        return true;
    }
    return false;
}

void CMainDlg::OnClose()
{
    if (page_) {
        ::SendMessageA(page_->Window(), WM_CLOSE, 0, 0);
    } else {
        End(IDCANCEL);
    }
}

void CMainDlg::OnShowMainWindow()
{
    if (::IsWindowVisible(window_) && !inTray_) return;
    // From now on the run shows itself: boxes, and the pages whose skin shows them.
    state_.config.showType = ShowType::Normal;
    inTray_ = false;
    CSystemTray::RestoreFromTray(window_);
    if (::IsIconic(window_)) ::ShowWindow(window_, SW_RESTORE);
}

bool CMainDlg::VisibleFor(PageIndex index) const
{
    return state_.runMode != RunMode::SelfUpdate && state_.NormalDisplay() &&
           state_.skin.windows[ToInt(index)].show != 0;
}

void CMainDlg::ShowPage(PageIndex index)
{
    current_ = index;
    WindowPlace page = PlaceFor(state_.skin.windows[ToInt(index)].rect);
    pageSize_[0] = page.width;
    pageSize_[1] = page.height;

    // The frame's client area is exactly the page's skin rectangle, within the work area.
    RECT outer = {0, 0, page.width, page.height};
    DWORD style = static_cast<DWORD>(::GetWindowLongPtrA(window_, GWL_STYLE));
    DWORD exStyle = static_cast<DWORD>(::GetWindowLongPtrA(window_, GWL_EXSTYLE));
    ::AdjustWindowRectEx(&outer, style, FALSE, exStyle);
    SIZE work = WorkAreaSize();
    int width = std::min<int>(outer.right - outer.left, work.cx);
    int height = std::min<int>(outer.bottom - outer.top, work.cy);
    RECT area = {0, 0, work.cx, work.cy};
    ::SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0);
    int x = area.left + (work.cx - width) / 2;
    int y = area.top + (work.cy - height) / 2;

    bool visible = VisibleFor(index);
    if (!visible || index == PageIndex::Start) ::ShowWindow(window_, SW_HIDE);
    ::SetWindowPos(window_, nullptr, x, y, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
    // A wizard the user put into the tray stays there; the download-finished
    // page brings it back itself.
    if (visible && !inTray_) ::ShowWindow(window_, SW_SHOW);

    bool manual = state_.config.opMode == OpMode::Manual;
    switch (index) {
    case PageIndex::Start:
        if (visible && manual) {
            OpenPage(std::make_unique<StartPage>(state_), "★ 开启“下载前窗口”。");
        } else {
            WriteLog("★ 不开启“下载前窗口”。");
            ::PostMessageA(window_, kPageDone, 0, 0);
        }
        break;
    case PageIndex::Download:
        OpenPage(std::make_unique<DownloadPage>(state_), "★ 开启“下载窗口”。");
        animationFrame_ = -1;
        animating_ = ::SetTimer(window_, kTimerIconAnimation, kIconAnimationStepMs, nullptr) != 0;
        break;
    case PageIndex::Finished:
        if (visible && manual) {
            OpenPage(std::make_unique<FinishedPage>(state_), "★ 开启“下载后窗口”。");
        } else {
            WriteLog("★ 不开启“下载后窗口”。");
            ::PostMessageA(window_, kPageDone, 0, 0);
        }
        break;
    case PageIndex::Update:
        OpenPage(std::make_unique<UpdatePage>(state_), "★ 开启“更新窗口”。");
        break;
    }
}

void CMainDlg::OpenPage(std::unique_ptr<WizardPage> page, const char* openingLine)
{
    assert(!page_);
    WriteLog(openingLine);
    page_ = std::move(page);
    if (!page_->Create(window_)) {
        // Without its page the run cannot go on: it ends as cancelled.
        page_.reset();
        ::PostMessageA(window_, kPageDone, 1, 0);
        return;
    }
    ::MoveWindow(page_->Window(), 0, 0, pageSize_[0], pageSize_[1], TRUE);
    ::ShowWindow(page_->Window(), SW_SHOW);
}

void CMainDlg::NextPage(WPARAM stop, HWND from)
{
    // Only the page on show may end itself; a late message of one gone is dropped.
    if (ended_ || from != CurrentPageWindow()) return;
    if (page_ && page_->InHandler()) {
        page_->DeferDone(stop);
        return;
    }
    ClosePage();
    if (current_ == PageIndex::Download) {
        if (animating_) ::KillTimer(window_, kTimerIconAnimation);
        animating_ = false;
        if (state_.runMode == RunMode::SelfUpdate) {
            End(IDOK);
            return;
        }
    }
    if (stop != 0) {
        End(IDCANCEL);
    } else if (current_ != PageIndex::Update) {
        ShowPage(static_cast<PageIndex>(ToInt(current_) + 1));
    } else {
        End(IDOK);
    }
}

void CMainDlg::ClosePage()
{
    // Taken off show first: waiting for its worker dispatches messages, and a
    // late done message of this page must find it gone.
    std::unique_ptr<WizardPage> closing = std::move(page_);
    if (!closing) return;
    closing->StopWork();
    if (closing->Window()) ::DestroyWindow(closing->Window());
}

void CMainDlg::End(int result)
{
    if (ended_) return;
    ended_ = true;
    result_ = result;
    ::KillTimer(window_, kTimerFirstPage);
    if (animating_) ::KillTimer(window_, kTimerIconAnimation);
    animating_ = false;
    ::ShowWindow(window_, SW_HIDE);
}

}  // namespace quibo
