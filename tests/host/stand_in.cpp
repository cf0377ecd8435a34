// A stand-in for the updater in the host program's own tests. It shows what
// the updater shows: a topmost Yes/No start question, a wizard frame (a dialog
// with a label of id 0xFFFF) whose pages are dialogs too, a list on the first
// page, a Next button that waits before it can be pressed, a last box. Then
// it hands over to a copy of itself and back, as a self-update does. It tells
// the host what happened through message 2023: the answer to the question,
// 10 for each press on the first page, 11 on the second, 4 at the very end.
// Answered with anything but Yes, the question ends it.
//
//   stand_in.exe /HWND:N [gen:2 | gen:3]
//
// The first process ends with exit code 3, the others with 0.
#include <windows.h>

#include <commctrl.h>

#include <cstdlib>
#include <cstring>
#include <string>

namespace {

constexpr int kNext = 1001;
constexpr int kList = 1010;
constexpr int kLabel = 0xFFFF;
constexpr COLORREF kPageColour = RGB(0, 128, 255);

HWND g_host = nullptr;
HWND g_frame = nullptr;
HWND g_page = nullptr;
int g_pageNumber = 1;
HBRUSH g_pageBrush = nullptr;

void Tell(int code)
{
    if (g_host) ::PostMessageA(g_host, 2023, static_cast<WPARAM>(code), 0);
}

std::string Self()
{
    char path[MAX_PATH] = {};
    ::GetModuleFileNameA(nullptr, path, MAX_PATH);
    return path;
}

bool Start(const std::string& program, const std::string& arguments)
{
    std::string commandLine = "\"" + program + "\" " + arguments;
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    if (!::CreateProcessA(program.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                          &pi))
        return false;
    ::CloseHandle(pi.hThread);
    ::CloseHandle(pi.hProcess);
    return true;
}

// An empty dialog template: the controls are made as windows afterwards.
struct alignas(4) EmptyDialog {
    DLGTEMPLATE dialog;
    WORD menu, windowClass, title;
};

HWND MakeDialog(DWORD style, short cx, short cy, HWND parent, DLGPROC proc)
{
    EmptyDialog t = {};
    t.dialog.style = style;
    t.dialog.cx = cx;
    t.dialog.cy = cy;
    return ::CreateDialogIndirectParamA(::GetModuleHandleA(nullptr), &t.dialog, parent, proc, 0);
}

HWND Child(const char* cls, const char* text, DWORD style, int x, int y, int w, int h, HWND parent, int id)
{
    return ::CreateWindowExA(0, cls, text, WS_CHILD | WS_VISIBLE | style, x, y, w, h, parent,
                             reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), ::GetModuleHandleA(nullptr),
                             nullptr);
}

void AddRow(HWND list, int row, const char* name, const char* version)
{
    LVITEMA item = {};
    item.mask = LVIF_TEXT;
    item.iItem = row;
    item.pszText = const_cast<char*>(name);
    ::SendMessageA(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
    item.iSubItem = 1;
    item.pszText = const_cast<char*>(version);
    ::SendMessageA(list, LVM_SETITEMTEXTA, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
}

INT_PTR CALLBACK PageProc(HWND, UINT message, WPARAM, LPARAM)
{
    if (message == WM_CTLCOLORDLG) return reinterpret_cast<INT_PTR>(g_pageBrush);
    return FALSE;
}

void ShowPage(int number)
{
    if (g_page) ::DestroyWindow(g_page);
    g_pageNumber = number;
    g_page = MakeDialog(WS_CHILD | WS_VISIBLE, 10, 10, g_frame, PageProc);
    ::MoveWindow(g_page, 0, 40, 400, 180, TRUE);
    Child("Static", number == 1 ? "以下文件将被更新：" : "说明：", 0, 10, 5, 300, 20, g_page, kLabel);
    HWND list = Child(WC_LISTVIEWA, "", LVS_REPORT, 10, 30, 380, 120, g_page, kList);
    const char* headings[] = {"名称", "版本"};
    for (int i = 0; i < 2; ++i) {
        LVCOLUMNA column = {};
        column.mask = LVCF_TEXT | LVCF_WIDTH;
        column.cx = 150;
        column.pszText = const_cast<char*>(headings[i]);
        ::SendMessageA(list, LVM_INSERTCOLUMNA, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&column));
    }
    if (number == 1) {
        AddRow(list, 0, "主程序", "1.2.0");
        AddRow(list, 1, "帮助文件", "1.0.1");
    } else {
        AddRow(list, 0, "说明", "2.0");
    }
}

INT_PTR CALLBACK FrameProc(HWND frame, UINT message, WPARAM wParam, LPARAM)
{
    switch (message) {
    case WM_TIMER:
        ::KillTimer(frame, wParam);
        if (wParam == 1) {
            // Next can be pressed only after a while, and then shows its real text.
            ::SetDlgItemTextA(frame, kNext, "下一步(&N)");
            ::EnableWindow(::GetDlgItem(frame, kNext), TRUE);
        } else {
            ShowPage(2);
        }
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) != kNext) return FALSE;
        if (g_pageNumber == 1) {
            // The next page comes a little later; Next stays as it is until then.
            Tell(10);
            ::SetTimer(frame, 2, 600, nullptr);
        } else {
            Tell(11);
            ::DestroyWindow(frame);
            ::PostQuitMessage(0);
        }
        return TRUE;
    }
    return FALSE;
}

void RunWizard()
{
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_LISTVIEW_CLASSES};
    ::InitCommonControlsEx(&controls);
    g_pageBrush = ::CreateSolidBrush(kPageColour);
    g_frame = MakeDialog(WS_POPUP | WS_CAPTION | WS_SYSMENU, 10, 10, nullptr, FrameProc);
    ::SetWindowTextA(g_frame, "快速升级");
    ::MoveWindow(g_frame, 100, 100, 420, 300, FALSE);
    Child("Static", "快速升级向导", 0, 10, 10, 300, 20, g_frame, kLabel);
    HWND next = Child("Button", "请稍候", BS_PUSHBUTTON, 300, 230, 100, 25, g_frame, kNext);
    ::EnableWindow(next, FALSE);
    ShowPage(1);
    ::ShowWindow(g_frame, SW_SHOW);
    ::SetTimer(g_frame, 1, 700, nullptr);

    MSG msg;
    while (::GetMessageA(&msg, nullptr, 0, 0) > 0) {
        if (::IsWindow(g_frame) && ::IsDialogMessageA(g_frame, &msg)) continue;
        ::TranslateMessage(&msg);
        ::DispatchMessageA(&msg);
    }
    ::DeleteObject(g_pageBrush);
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    const char* commandLine = ::GetCommandLineA();
    if (const char* hwnd = std::strstr(commandLine, "/HWND:"))
        g_host = reinterpret_cast<HWND>(static_cast<UINT_PTR>(std::strtoull(hwnd + 6, nullptr, 10)));
    std::string host = "/HWND:" + std::to_string(reinterpret_cast<UINT_PTR>(g_host));
    const std::string self = Self();

    if (std::strstr(commandLine, "gen:2")) {
        ::Sleep(300);
        Start(self.substr(0, self.size() - 4), host + " gen:3");  // "x.exe.exe" starts "x.exe"
        return 0;
    }
    if (std::strstr(commandLine, "gen:3")) {
        ::Sleep(300);
        ::MessageBoxA(nullptr, "升级完成。", "信息提示", MB_OK | MB_ICONINFORMATION);
        for (int i = 0; i < 50 && !::DeleteFileA((self + ".exe").c_str()); ++i) ::Sleep(100);
        Tell(4);
        return 0;
    }

    int answer = ::MessageBoxA(nullptr, "现在升级吗？", "信息提示", MB_YESNO | MB_ICONQUESTION | MB_TOPMOST);
    Tell(answer);
    if (answer != IDYES) return 3;
    RunWizard();
    ::CopyFileA(self.c_str(), (self + ".exe").c_str(), FALSE);
    Start(self + ".exe", host + " gen:2");
    return 3;
}
