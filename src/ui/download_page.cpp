#include "ui/download_page.h"

#include <commctrl.h>

#include <cassert>

#include "core/config/start_list.h"
#include "core/log/run_log.h"
#include "install/configured_programs.h"
#include "install/download_folder.h"
#include "ui/system_tray.h"
#include "win/host_messages.h"
#include "win/message_boxes.h"
#include "win/system_code_page.h"
#include "../../res/resource.h"

namespace quibo {

namespace {

constexpr UINT kTrayAnimationStepMs = 150;
// To the page from its worker: the work ended; wParam the DownloadEnd.
constexpr UINT kPageWorkerEnded = WM_APP + 22;

}  // namespace

DownloadPage::DownloadPage(WizardState& state) : WizardPage(state, PageIndex::Download, IDD_DOWNLOAD_PAGE) {}

void DownloadPage::OnInitDialog()
{
    if (state_.tray) state_.tray->StartIconAnimation(kTrayAnimationStepMs, 0);
    ApplyPageSkin();
    ApplyControlSkin();
    UINT start = kPageStart;
    if (state_.runMode == RunMode::Preview) {
        start = kPageStartPreview;
    } else if (state_.selfUpdateDownload) {
        start = kPageStartSelfUpdate;
    }
    ::PostMessageA(Window(), start, 0, 0);
}

void DownloadPage::ApplyControlSkin()
{
    status_.Attach(Control(IDC_STATUS));
    info_.Attach(Control(IDC_INFO));
    status_.MakeTransparent(true);
    info_.MakeTransparent(true);
    list_.Attach(Control(IDC_ITEM_LIST));
    logBox_.Attach(Control(IDC_LOG_BOX));

    struct Placed {
        int id;
        const ControlSkin& skin;
    } const controls[] = {
        {IDC_ITEM_LIST, skin_.lists[1]},       {IDC_LOG_BOX, skin_.richEdits[0]},
        {IDC_PROGRESS_FILE, skin_.progress[0]}, {IDC_PROGRESS_TOTAL, skin_.progress[1]},
        {IDC_STATUS, skin_.status[0]},          {IDC_INFO, skin_.status[1]},
    };
    for (const Placed& control : controls) {
        ShowControl(control.id, control.skin.show);
        MoveControl(control.id, control.skin.rect);
    }
    ApplyButtonSkin(IDC_PAUSE, skin_.buttons[1][0], false);
    ApplyButtonSkin(IDC_CANCEL, skin_.buttons[1][1], false);

    HWND list = list_.Window();
    ListView_SetExtendedListViewStyle(list, LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT);
    list_.SetRowHeight(20);
    // Name, progress and speed in the proportions 10 : 6 : 5 of the room
    // left beside a vertical scroll bar, so the columns never need a
    // horizontal one.
    RECT client = {};
    ::GetClientRect(list, &client);
    int usable = client.right - ::GetSystemMetrics(SM_CXVSCROLL) - 2;
    struct Column {
        const char* title;
        int parts;
    } const columns[] = {{"文件（夹）", 10}, {"进度", 6}, {"速度", 5}};
    for (int i = 0; i < 3; ++i)
        list_.InsertColumn(i, columns[i].title, usable > 0 ? usable * columns[i].parts / 21 : 0);
    logBox_.ChangeBackColor(RGB(250, 250, 250));
    checkboxMessage_ = ::RegisterWindowMessageA("WM_XLISTCTRL_CHECKBOX_CLICKED");
}

INT_PTR DownloadPage::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case kPageStartPreview:
        StartPreview();
        return TRUE;
    case kPageStart:
        StartDownload();
        return TRUE;
    case kPageStartSelfUpdate:
        StartSelfUpdateDownload();
        return TRUE;
    case kPageReports:
        ApplyReports();
        return TRUE;
    case kPageWorkerEnded:
        OnWorkerEnded(static_cast<DownloadEnd>(wParam));
        return TRUE;
    case kPagePreviewStep:
        OnPreviewStep(wParam);
        return TRUE;
    case kPageWorkEnded:
        OnWorkEnded(wParam != 0);
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDC_PAUSE) {
            OnPauseButton();
            return TRUE;
        }
        if (LOWORD(wParam) == IDC_CANCEL) {
            OnCancel();
            return TRUE;
        }
        break;
    case WM_CLOSE:
        OnCancel();
        return TRUE;
    case WM_NOTIFY: {
        const NMHDR& header = *reinterpret_cast<const NMHDR*>(lParam);
        LRESULT result = 0;
        if (header.hwndFrom == list_.Window() && list_.OnNotify(header, result)) return Answer(Window(), result);
        break;
    }
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLOREDIT:
        if (reinterpret_cast<HWND>(lParam) == logBox_.Window()) {
            return reinterpret_cast<INT_PTR>(logBox_.OnCtlColor(reinterpret_cast<HDC>(wParam)));
        }
        break;
    case WM_SYSCOLORCHANGE:
        list_.OnSysColorChange();
        break;
    default:
        // A check box of the list is clicked: the page has none to offer.
        if (message == checkboxMessage_ && checkboxMessage_ != 0) {
            list_.SetCellCheck(static_cast<int>(wParam), static_cast<int>(lParam), 0);
            return TRUE;
        }
    }
    return WizardPage::HandleMessage(message, wParam, lParam);
}

void DownloadPage::StopWork()
{
    preview_.StopAndWait();
    worker_.StopAndWait();
}

void DownloadPage::SetStatus(const std::string& text)
{
    assert(OnPageThread());
    WriteLog(text);
    ShowStatus(text);
}

void DownloadPage::ShowStatus(const std::string& text) { ShowStatuses({text}); }

void DownloadPage::ShowStatuses(const std::vector<std::string>& texts) { ShowStatusLines(status_, logBox_, texts); }

void DownloadPage::StartPreview()
{
    previewRow_ = list_.InsertItem(0, "示例文件");
    if (previewRow_ >= 0) list_.MakeProgressCell(previewRow_, 1, true);
    ::SendMessageA(Control(IDC_PROGRESS_FILE), PBM_SETRANGE32, 0, kPreviewLastStep);
    ::SendMessageA(Control(IDC_PROGRESS_TOTAL), PBM_SETRANGE32, 0, kPreviewLastStep);
    preview_.Start(Window(), paused_);
}

void DownloadPage::OnPreviewStep(WPARAM step)
{
    if (step == kPreviewDone) {
        finished_ = true;
        SetControlText(IDC_PAUSE, "下一步(&N)");
        return;
    }
    ::SendMessageA(Control(IDC_PROGRESS_FILE), PBM_SETPOS, step, 0);
    ::SendMessageA(Control(IDC_PROGRESS_TOTAL), PBM_SETPOS, step, 0);
    if (previewRow_ >= 0) list_.SetProgressValue(previewRow_, 1, static_cast<int>(step) * 10);
}

bool DownloadPage::AddItemRows()
{
    std::vector<StartListRow> rows = NewItemRows(state_.config, SystemLeadBytes());
    std::vector<bool> folderRows;
    int fileRows = 0;
    for (const UpdateItem& file : state_.config.files) fileRows += file.isNew ? 1 : 0;
    for (size_t i = 0; i < rows.size(); ++i) {
        int row = list_.InsertItem(static_cast<int>(i), rows[i].name);
        list_.SetCellCheck(row, 0, 0);
        list_.MakeProgressCell(row, 1, true);
        folderRows.push_back(static_cast<int>(i) >= fileRows);
    }
    view_ = std::make_unique<QueuedDownloadView>(Window(), std::move(folderRows));
    return !rows.empty();
}

void DownloadPage::StartWorker(std::function<DownloadEnd()> work)
{
    control_.hostWindow = state_.hostWindow;
    // A stop raises the flag, wakes a paused transfer and closes the server
    // connection under a call that waits on it.
    worker_.SetStopHook([this] {
        control_.Stop();
        session_.Abort();
    });
    HWND page = Window();
    bool started = worker_.Start(
        [page, work](const StopSignal&) {
            DownloadEnd end = work();
            ::PostMessageA(page, kPageWorkerEnded, static_cast<WPARAM>(end), 0);
        },
        [page] { ::PostMessageA(page, kPageWorkerEnded, static_cast<WPARAM>(DownloadEnd::Failed), 0); });
    if (!started) ::PostMessageA(page, kPageWorkEnded, 0, 0);
}

void DownloadPage::StartDownload()
{
    SetStatus("开始下载...");
    if (!AddItemRows()) {
        SetStatus("没有新版本的文件需要下载！");
        ::PostMessageA(Window(), kPageWorkEnded, 0, 0);
        return;
    }
    RunConfiguredProgram(ConfiguredProgram::DownloadBefore, state_.config.system);
    DownloadJob job;
    job.config = &state_.config;
    job.downloadFolder = state_.downloadFolder;
    job.windowTitle = skin_.title;
    job.hostWindow = state_.hostWindow;
    job.rule = SystemLeadBytes();
    job.session = &session_;
    StartWorker([this, job] {
        // Made anew on the worker: removing what stood there may take long.
        if (!PrepareDownloadFolder(job.downloadFolder)) {
            WriteLog("错误：无法创建下载文件夹：" + job.downloadFolder);
            view_->SetStatus("文件下载失败!");
            return DownloadEnd::Failed;
        }
        return RunDownloads(job, control_, *view_, state_.records);
    });
}

void DownloadPage::StartSelfUpdateDownload()
{
    SetStatus("开始下载...");
    AddItemRows();
    SelfUpdateJob job;
    job.config = &state_.config;
    job.programFolder = state_.programFolder;
    job.programFileName = state_.programFileName;
    job.packageName = state_.packageName;
    job.hostWindow = state_.hostWindow;
    job.rule = SystemLeadBytes();
    job.showType = state_.config.showType;
    job.session = &session_;
    StartWorker([this, job] { return RunSelfUpdateDownload(job, control_, *view_); });
}

void DownloadPage::OnWorkerEnded(DownloadEnd end)
{
    if (end == DownloadEnd::Stopped) return;  // the page stopped it and ends itself
    if (end == DownloadEnd::Failed) {
        ::PostMessageA(Window(), kPageWorkEnded, 0, 0);
        return;
    }
    finished_ = true;
    if (state_.selfUpdateDownload) state_.selfUpdateFetched = true;
    bool waitForUser = state_.runMode != RunMode::SelfUpdate && state_.config.opMode == OpMode::Manual &&
                       FrameVisible();
    if (waitForUser) {
        SetControlText(IDC_PAUSE, "下一步(&N)");
    } else {
        ::PostMessageA(Window(), kPageWorkEnded, 1, 0);
    }
}

void DownloadPage::ApplyReports()
{
    if (!view_) return;
    // The status lines of a batch change the log box once; a box shows
    // only after the lines reported before it.
    std::vector<std::string> statuses;
    for (DownloadReport& report : view_->TakeAll()) {
        if (report.kind == DownloadReport::Kind::Status) {
            statuses.push_back(std::move(report.text));
            continue;
        }
        if (report.kind == DownloadReport::Kind::InfoBox) {
            ShowStatuses(statuses);
            statuses.clear();
        }
        Apply(report);
    }
    ShowStatuses(statuses);
}

void DownloadPage::Apply(const DownloadReport& report)
{
    using Kind = DownloadReport::Kind;
    switch (report.kind) {
    case Kind::FileProgress:
        ::SendMessageA(Control(IDC_PROGRESS_FILE), PBM_SETPOS, report.value, 0);
        break;
    case Kind::FileRange:
        ::SendMessageA(Control(IDC_PROGRESS_FILE), PBM_SETRANGE32, 0, report.value);
        break;
    case Kind::TotalRange:
        ::SendMessageA(Control(IDC_PROGRESS_TOTAL), PBM_SETRANGE32, 0, report.value);
        break;
    case Kind::TotalProgress:
        ::SendMessageA(Control(IDC_PROGRESS_TOTAL), PBM_SETPOS, report.value, 0);
        break;
    case Kind::RowNameSuffix: {
        char name[MAX_PATH * 2] = {};
        ListView_GetItemText(list_.Window(), report.row, 0, name, sizeof name);
        list_.SetItemText(report.row, 0, name + report.text);
        break;
    }
    case Kind::RowProgress:
        list_.SetProgressValue(report.row, 1, report.value);
        break;
    case Kind::RowSpeed:
        list_.SetItemText(report.row, 2, report.text);
        break;
    case Kind::ItemDone:
        list_.SetCellCheck(report.row, 0, 1);
        ListView_EnsureVisible(list_.Window(), report.row + 1 < list_.RowCount() ? report.row + 1 : report.row,
                               FALSE);
        break;
    case Kind::InfoText:
        info_.ChangeText(report.text);
        break;
    case Kind::TrayText:
        if (state_.tray) state_.tray->SetTrayTip(skin_.title + report.text);
        break;
    case Kind::TrayTip:
        if (state_.tray) state_.tray->SetTrayTip(report.text);
        break;
    case Kind::Status:
        ShowStatus(report.text);
        break;
    case Kind::InfoBox:
        ShowInfoBox(report.text, FrameVisible() ? Window() : nullptr, state_.config.showType);
        break;
    }
}

void DownloadPage::OnPauseButton()
{
    if (finished_) {
        ::PostMessageA(Window(), kPageWorkEnded, 1, 0);
        return;
    }
    bool nowPaused = !paused_.load();
    paused_.store(nowPaused);
    if (nowPaused) {
        control_.Pause();  // the transfer stops after its block
        SetControlText(IDC_PAUSE, "继续(&C)");
    } else {
        SetControlText(IDC_PAUSE, "暂停(&P)");
        control_.Continue();
        preview_.Resume();
    }
}

void DownloadPage::OnCancel()
{
    if (endHandled_) return;
    bool wasPaused = paused_.exchange(true);
    control_.Pause();
    if (!AskCancel()) {
        paused_.store(wasPaused);
        if (!wasPaused) {
            control_.Continue();
            preview_.Resume();
        }
        return;
    }
    userCancel_ = true;
    ::PostMessageA(Window(), kPageWorkEnded, 0, 0);
}

void DownloadPage::OnWorkEnded(bool success)
{
    if (endHandled_) return;
    endHandled_ = true;
    if (state_.runMode == RunMode::Preview) {
        if (state_.tray) state_.tray->StopIconAnimation();
        Finish(!success);
        return;
    }

    // The worker ends at its next block, or at once when a call waits on the
    // server; nothing it writes is used after this.
    paused_.store(true);
    worker_.StopAndWait();
    control_.Files().CloseAll();
    if (state_.tray) state_.tray->StopIconAnimation();
    if (!finished_) {
        HostNotify(state_.hostWindow, HostCode::DownloadFailed);
        WriteLog("下载失败或是强制退出下载过程！");
        const PageSwitches& pages = state_.config.pages;
        if (!userCancel_ && !state_.Silent() && state_.runMode != RunMode::SelfUpdate && pages.dlWin != 0) {
            ::MessageBoxA(FrameVisible() ? Window() : nullptr, pages.dlWinMsg.c_str(), kInfoCaption,
                          MB_OK | MB_ICONINFORMATION | MB_TOPMOST);
        }
    }
    if (state_.runMode != RunMode::SelfUpdate) RunAfterDownloadHook(success);
    Finish(!success);
}

void DownloadPage::RunAfterDownloadHook(bool success)
{
    RunConfiguredProgram(success ? ConfiguredProgram::DownloadSucceeded : ConfiguredProgram::DownloadFailed,
                         state_.config.system, [this](const std::string& line) { SetStatus(line); });
}

}  // namespace quibo
