#include "ui/update_page.h"

#include <commctrl.h>

#include <cassert>

#include "core/log/run_log.h"
#include "core/startup/run_guard.h"
#include "install/download_folder.h"
#include "install/configured_programs.h"
#include "ui/system_tray.h"
#include "win/host_messages.h"
#include "win/message_boxes.h"
#include "win/system_code_page.h"
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
    case kPageInstallReports:
        ApplyReports();
        return TRUE;
    case kPageInstallEnded:
        OnInstallEnded();
        return TRUE;
    case kPageWorkEnded:
        FinishUpdate(wParam != 0);
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
    assert(OnPageThread());
    WriteLog(text);
    ShowStatus(text);
}

void UpdatePage::ShowStatus(const std::string& text) { ShowStatuses({text}); }

void UpdatePage::ShowStatuses(const std::vector<std::string>& texts) { ShowStatusLines(status_, logBox_, texts); }

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

void UpdatePage::StopWork()
{
    preview_.StopAndWait();
    install_.Wait();
}

void UpdatePage::StartUpdate()
{
    ::UpdateWindow(Window());
    InstallJob job;
    job.config = &state_.config;
    job.records = &state_.records;
    job.downloadFolder = state_.downloadFolder;
    job.programFolder = state_.programFolder;
    job.packageName = state_.packageName;
    job.hostWindow = state_.hostWindow;
    job.rule = SystemLeadBytes();
    job.stepHook = state_.installStepHook;
    view_ = std::make_unique<QueuedInstallView>(Window(), state_.config.showType);
    const HWND page = Window();
    bool started = install_.Start(
        [this, job, page](const StopSignal&) {
            outcome_ = RunInstall(job, *view_);
            ::PostMessageA(page, kPageInstallEnded, 0, 0);
        },
        [this, page] {
            // What was placed stays in the journal: the next start undoes it.
            outcome_ = InstallOutcome();
            RunCaught([this] { view_->SetStatus("更新失败！"); });
            ::PostMessageA(page, kPageInstallEnded, 0, 0);
        });
    if (!started) {
        WriteLog("错误：无法启动更新线程！");
        ::PostMessageA(Window(), kPageWorkEnded, 0, 0);
    }
}

void UpdatePage::ApplyReports()
{
    if (!view_) return;
    using Kind = InstallReport::Kind;
    // The status lines of a batch change the log box once.
    std::vector<std::string> statuses;
    for (InstallReport& report : view_->TakeAll()) {
        switch (report.kind) {
        case Kind::Status:
            statuses.push_back(std::move(report.text));
            break;
        case Kind::TrayStage:
            if (state_.tray) state_.tray->SetTrayTip(skin_.title + "\n" + report.text);
            break;
        case Kind::ProgressRange:
            ::SendMessageA(Control(IDC_PROGRESS_FILE), PBM_SETRANGE32, 0, report.value);
            break;
        case Kind::Progress:
            ::SendMessageA(Control(IDC_PROGRESS_FILE), PBM_SETPOS, report.value, 0);
            break;
        }
    }
    ShowStatuses(statuses);
}

void UpdatePage::OnInstallEnded()
{
    install_.Wait();
    ApplyReports();  // everything the installation said comes before its end
    if (outcome_.end != InstallEnd::Succeeded) {
        FinishUpdate(false);
        return;
    }
    succeeded_ = true;
    const PageSwitches& pages = state_.config.pages;
    const bool automatic = state_.config.opMode == OpMode::Automatic;
    if (!state_.Silent() && pages.endWin1 != 0 && automatic) ShowEndBox(pages.endWin1Msg);
    if (!automatic && FrameVisible()) {
        SetControlText(IDC_CANCEL, "完成(&O)");
        ::EnableWindow(Control(IDC_CANCEL), TRUE);
        return;
    }
    FinishUpdate(true);
}

void UpdatePage::ShowEndBox(const std::string& text)
{
    ::MessageBoxA(FrameVisible() ? Window() : nullptr, text.c_str(), kInfoCaption,
                  MB_OK | MB_ICONINFORMATION | MB_TOPMOST);
}

void UpdatePage::FinishUpdate(bool success)
{
    if (endHandled_) return;
    endHandled_ = true;
    if (state_.runMode == RunMode::Preview) {
        Finish(false);
        return;
    }
    if (succeeded_) {
        SetStatus("删除临时文件！");
        RemoveDownloadFolder(state_.downloadFolder);
    }
    if (state_.runMode != RunMode::SelfUpdate) {
        if (succeeded_) RunInstalledPrograms();
        RunAfterUpdateHook();
    }
    ProgramsRan(outcome_);  // a start after a kill before here runs them
    SetStatus("更新结束");
    if (!success && !state_.Silent() && state_.runMode != RunMode::SelfUpdate && state_.config.pages.endWin2 != 0)
        ShowEndBox(state_.config.pages.endWin2Msg);
    Finish(!success);
}

void UpdatePage::RunInstalledPrograms()
{
    for (int k = 0; k < kFileItemCount; ++k) {
        const UpdateItem& item = state_.config.files[k];
        std::string& path = outcome_.runPaths[k];
        if (!item.isNew || !item.runme || path.empty()) continue;
        RunInstalledFile(path, item.runmeParam, item.runmePause);
        path.clear();
    }
}

void UpdatePage::RunAfterUpdateHook()
{
    RunConfiguredProgram(succeeded_ ? ConfiguredProgram::UpdateSucceeded : ConfiguredProgram::UpdateFailed,
                         state_.config.system, [this](const std::string& line) { SetStatus(line); });
}

}  // namespace quibo
