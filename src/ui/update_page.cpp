#include "ui/update_page.h"

#include <commctrl.h>

#include "core/log/run_log.h"
#include "../../res/resource.h"

namespace quibo {

UpdatePage::UpdatePage(WizardState& state) : WizardPage(state, PageIndex::Update, IDD_UPDATE_PAGE) {}

void UpdatePage::OnInitDialog()
{
    // Files are being replaced: the frame's close command stays greyed from here on.
    HMENU system = ::GetSystemMenu(::GetParent(Window()), FALSE);
    if (system) ::EnableMenuItem(system, SC_CLOSE, MF_BYCOMMAND | MF_GRAYED);

    status_.Attach(Control(IDC_STATUS));
    status_.MakeTransparent(true);
    logBox_.Attach(Control(IDC_LOG_BOX));
    ApplyPageSkin();

    struct Placed {
        int id;
        const ControlSkin& skin;
    } const controls[] = {
        {IDC_LOG_BOX, skin_.richEdits[1]},
        {IDC_PROGRESS_FILE, skin_.progress[2]},
        {IDC_STATUS, skin_.status[2]},
    };
    for (const Placed& control : controls) {
        ShowControl(control.id, control.skin.show);
        MoveControl(control.id, control.skin.rect);
    }
    ::EnableWindow(Control(IDC_CANCEL), FALSE);
    if (!skin_.buttons[3][1].rect.Empty()) MoveControl(IDC_CANCEL, skin_.buttons[3][1].rect);
    logBox_.ChangeBackColor(RGB(250, 250, 250));

    ::PostMessageA(Window(), state_.runMode == RunMode::Preview ? kPageStartPreview : kPageStartUpdate, 0, 0);
}

INT_PTR UpdatePage::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case kPageStartPreview:
        ::SendMessageA(Control(IDC_PROGRESS_FILE), PBM_SETRANGE32, 0, kPreviewLastStep);
        preview_.Start(Window(), neverPaused_);
        return TRUE;
    case kPageStartUpdate:
        StartUpdate();
        return TRUE;
    case kPagePreviewStep:
        OnPreviewStep(wParam);
        return TRUE;
    case kPageWorkEnded:
        OnWorkEnded(wParam != 0);
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDC_CANCEL) {
            ::PostMessageA(Window(), kPageWorkEnded, succeeded_ ? 1 : 0, 0);
            return TRUE;
        }
        break;
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLOREDIT:
        if (reinterpret_cast<HWND>(lParam) == logBox_.Window()) {
            return reinterpret_cast<INT_PTR>(logBox_.OnCtlColor(reinterpret_cast<HDC>(wParam)));
        }
        break;
    }
    return WizardPage::HandleMessage(message, wParam, lParam);
}

void UpdatePage::SetStatus(const std::string& text)
{
    WriteLog(text);
    status_.ChangeText(text);
    logBox_.AppendLine(text, ControlHeight(IDC_LOG_BOX) / kLogLineHeight);
}

void UpdatePage::OnPreviewStep(WPARAM step)
{
    if (step != kPreviewDone) {
        ::SendMessageA(Control(IDC_PROGRESS_FILE), PBM_SETPOS, step, 0);
        return;
    }
    succeeded_ = true;
    SetControlText(IDC_CANCEL, "完成(&O)");
    ::EnableWindow(Control(IDC_CANCEL), TRUE);
}

void UpdatePage::StartUpdate()
{
    // The installation is run by the update worker; without one nothing is
    // installed, and the step ends as failed rather than as done.
    ::PostMessageA(Window(), kPageWorkEnded, 0, 0);
}

void UpdatePage::OnWorkEnded(bool success)
{
    if (endHandled_) return;
    endHandled_ = true;
    Finish(state_.runMode == RunMode::Preview ? false : !success);
}

}  // namespace quibo
