// The wizard's frame: a window with caption, system menu and minimise box,
// whose client area shows one page at a time. It decides whether it is seen
// at all (a semi-silent or silent run keeps it hidden, behind the tray icon
// when there is one), sizes itself to each page's skin rectangle, animates
// its icon while the download page is up, and moves from page to page on
// the pages' done messages: 0 start, 1 download, 2 download finished,
// 3 update. Pages 0 and 2 are opened only in a visible, manual run; pages 1
// and 3 always run, invisibly when the frame is hidden.
//
// The frame is modeless: RunWizard (wizard.h) runs its message loop.
#pragma once

#include <windows.h>

#include <memory>

#include "ui/wizard_page.h"
#include "ui/wizard_state.h"
#include "win/gdi_objects.h"
#include "win/thread_checker.h"

namespace quibo {

class CMainDlg {
public:
    explicit CMainDlg(WizardState& state);
    ~CMainDlg();
    CMainDlg(const CMainDlg&) = delete;
    CMainDlg& operator=(const CMainDlg&) = delete;

    bool Create();
    HWND Window() const { return window_; }
    HWND CurrentPageWindow() const { return page_ ? page_->Window() : nullptr; }
    bool Ended() const { return ended_; }
    // IDOK when the wizard went through, IDCANCEL when it was cancelled or failed.
    int Result() const { return result_; }

private:
    static INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void OnInitDialog();
    void OnTimer(UINT_PTR id);
    void StepIconAnimation();
    void OnPaint();
    bool OnSysCommand(WPARAM command);
    void OnClose();
    void OnShowMainWindow();
    void ShowPage(PageIndex index);
    void OpenPage(std::unique_ptr<WizardPage> page, const char* openingLine);
    void NextPage(WPARAM stop, HWND from);
    void ClosePage();
    void End(int result);
    bool VisibleFor(PageIndex index) const;

    WizardState& state_;
    HWND window_ = nullptr;
    HICON icon_ = nullptr;        // the window icon: the strip's first frame or the program's
    UniqueIcon animationIcon_;    // the frame the animation shows now, made by it
    int animationFrame_ = -1;
    bool animating_ = false;
    bool inTray_ = false;         // the user minimised the wizard into the tray
    PageIndex current_ = PageIndex::Start;
    std::unique_ptr<WizardPage> page_;
    int pageSize_[2] = {0, 0};
    bool ended_ = false;
    int result_ = IDCANCEL;
    ThreadChecker thread_;  // the frame, its pages and timers belong to the thread that made it
};

}  // namespace quibo
