#include "ui/info_page.h"

#include <commctrl.h>

#include "core/config/start_list.h"
#include "core/log/run_log.h"
#include "ui/system_tray.h"
#include "win/system_code_page.h"
#include "../../res/resource.h"

namespace quibo {

InfoPage::InfoPage(WizardState& state, PageIndex index, int templateId, CancelReport cancel)
    : WizardPage(state, index, templateId), cancel_(cancel)
{
}

void InfoPage::OnInitDialog()
{
    ApplyPageSkin();
    int page = ToInt(index_);
    ApplyButtonSkin(IDOK, skin_.buttons[page][0], false);
    ApplyButtonSkin(IDC_CANCEL, skin_.buttons[page][1], false);
    ApplyControlSkin();
    if (state_.runMode != RunMode::Preview) ::PostMessageA(Window(), kPageStart, 0, 0);
}

INT_PTR InfoPage::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case kPageStart:
        OnStart();
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK) {  // Next, or Enter
            Finish(false);
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
    }
    return WizardPage::HandleMessage(message, wParam, lParam);
}

void InfoPage::OnCancel()
{
    if (Finishing() || !AskCancel()) return;
    if (state_.runMode != RunMode::Preview) {
        HostNotify(state_.hostWindow, cancel_.hostCode);
        WriteLog(cancel_.logLine);
    }
    Finish(true);
}

StartPage::StartPage(WizardState& state)
    : InfoPage(state, PageIndex::Start, IDD_START_PAGE,
               {HostCode::LeftBeforeDownload, "下载前强制退出升级过程。"})
{
}

INT_PTR StartPage::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NOTIFY) {
        const NMHDR& header = *reinterpret_cast<const NMHDR*>(lParam);
        LRESULT result = 0;
        if (header.hwndFrom == list_.Window() && list_.OnNotify(header, result)) return Answer(Window(), result);
    }
    if (message == WM_SYSCOLORCHANGE) list_.OnSysColorChange();
    return InfoPage::HandleMessage(message, wParam, lParam);
}

void StartPage::ApplyControlSkin()
{
    const ControlSkin& skin = skin_.lists[0];
    list_.Attach(Control(IDC_ITEM_LIST));
    ShowControl(IDC_ITEM_LIST, skin.show);
    MoveControl(IDC_ITEM_LIST, skin.rect);
    HWND list = list_.Window();
    ListView_SetExtendedListViewStyle(list, LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT);
    // Three equal columns that fill the list without a horizontal scroll bar.
    RECT client = {};
    ::GetClientRect(list, &client);
    int width = client.right / 3;
    const char* titles[] = {"文件（夹）", "最新版本", "描述"};
    for (int column = 0; column < 3; ++column) list_.InsertColumn(column, titles[column], width);
    list_.SetRowHeight(20);
}

void StartPage::OnStart()
{
    int row = 0;
    for (const StartListRow& item : NewItemRows(state_.config, SystemLeadBytes())) {
        if (list_.InsertItem(row, item.name) < 0) continue;  // the next item takes the same row
        list_.SetItemText(row, 1, item.version);
        list_.SetItemText(row, 2, item.describe);
        ++row;
    }
    if (!::IsWindowVisible(Window())) Finish(false);
}

FinishedPage::FinishedPage(WizardState& state)
    : InfoPage(state, PageIndex::Finished, IDD_FINISHED_PAGE,
               {HostCode::LeftAfterDownload, "下载完成后强制退出升级过程。"})
{
}

void FinishedPage::OnStart()
{
    if (!state_.NormalDisplay()) {
        Finish(false);
        return;
    }
    if (!::IsWindowVisible(Window())) CSystemTray::RestoreFromTray(::GetParent(Window()));
}

}  // namespace quibo
