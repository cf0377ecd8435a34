// An example product that keeps itself up to date with update.exe. It checks
// for updates when it starts and again when the user presses its button, shows
// what the updater reports, and closes itself when a newer version was found,
// so that the updater can replace the product's files, this program included:
// Windows lets nobody replace the program file of a running program.
//
//   example_host.exe [/trace:FILE] [updater arguments...]
//
// Put example_host.exe beside update.exe and its configuration package
// (update.bin). Arguments other than /trace: are passed on to the updater when
// the product starts; "/OP:CheckVer" makes that first run a check only.
// /trace:FILE is a diagnostic trace: the program appends a line to FILE for
// each step it takes and each message the updater posts ("2023 3 0").
#include <windows.h>

#include <commctrl.h>
#include <shellapi.h>

#include <cstdarg>
#include <cstdio>
#include <cwchar>
#include <string>

#include "updater.h"

namespace {

// Set this to false when an update never replaces a file the running product
// holds (say it only refreshes data files in another folder): the product
// then stays open and shows the download progress until the updater ends.
constexpr bool kCloseWhenNewVersionFound = true;

enum ControlId { kStatusText = 100, kDetailText, kFileBar, kOverallBar, kCheckButton };

struct Host {
    HWND window = nullptr;
    HWND status = nullptr;      // what the last result means to the user
    HWND detail = nullptr;      // bytes of the file being downloaded
    HWND fileBar = nullptr;     // percent of the file being downloaded
    HWND overallBar = nullptr;  // progress over all items
    HWND button = nullptr;
    std::wstring startArguments;  // for the run at start-up
    bool checkOnly = false;       // the current run only checks, it installs nothing
    std::wstring tracePath;
};
Host g_host;

// ---- The diagnostic trace ------------------------------------------------

// Appends one line. The file is opened for each line and closed again, so
// that it is complete at every moment and the product holds nothing open
// while the updater works.
void Trace(const char* format, ...)
{
    if (g_host.tracePath.empty()) return;
    char line[1024];
    va_list arguments;
    va_start(arguments, format);
    int length = std::vsnprintf(line, sizeof line - 2, format, arguments);
    va_end(arguments);
    if (length < 0) return;
    if (length > static_cast<int>(sizeof line) - 3) length = sizeof line - 3;
    line[length++] = '\r';
    line[length++] = '\n';
    HANDLE file = ::CreateFileW(g_host.tracePath.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    DWORD written = 0;
    ::WriteFile(file, line, static_cast<DWORD>(length), &written, nullptr);
    ::CloseHandle(file);
}

// Writes down a message of the updater: "message wParam lParam", the code of a
// result as the signed number it is.
void TraceUpdaterMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == example::kResultMessage)
        Trace("%u %d %ld", message, example::ResultCode(wParam), static_cast<long>(lParam));
    else
        Trace("%u %lu %ld", message, static_cast<unsigned long>(wParam), static_cast<long>(lParam));
}

std::string Utf8(const std::wstring& text)
{
    int size = ::WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string out(size > 0 ? size : 1, '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, &out[0], size, nullptr, nullptr);
    out.resize(out.size() - 1);
    return out;
}

// ---- Starting the updater ------------------------------------------------

void SetStatus(const wchar_t* text) { ::SetWindowTextW(g_host.status, text); }

void ResetProgress()
{
    ::SetWindowTextW(g_host.detail, L"");
    ::SendMessageW(g_host.fileBar, PBM_SETPOS, 0, 0);
    ::SendMessageW(g_host.overallBar, PBM_SETPOS, 0, 0);
}

// The updater reads its switches without regard to case; so does this.
bool ChecksOnly(std::wstring arguments)
{
    ::CharLowerBuffW(&arguments[0], static_cast<DWORD>(arguments.size()));
    return arguments.find(L"/op:checkver") != std::wstring::npos;
}

void CheckForUpdates(const std::wstring& arguments)
{
    g_host.checkOnly = ChecksOnly(arguments);
    std::wstring commandLine = example::UpdaterCommandLine(g_host.window, arguments);
    ResetProgress();
    if (!example::StartUpdater(commandLine)) {
        Trace("start failed %lu %s", ::GetLastError(), Utf8(commandLine).c_str());
        SetStatus(L"找不到更新程序 update.exe，或无法启动它。");  // update.exe is missing or does not start
        return;
    }
    Trace("start %s", Utf8(commandLine).c_str());
    // One run at a time: the button comes back with code 4.
    ::EnableWindow(g_host.button, FALSE);
    SetStatus(L"正在检查更新……");  // checking for updates
}

// ---- What the updater reports -------------------------------------------

void ShowFileBytes(WPARAM size, LPARAM done)
{
    std::wstring text = std::to_wstring(static_cast<unsigned long long>(done) / 1024) + L" KB / " +
                        std::to_wstring(static_cast<unsigned long long>(size) / 1024) + L" KB";
    ::SetWindowTextW(g_host.detail, text.c_str());
}

void ShowResult(int code)
{
    switch (static_cast<example::UpdaterResult>(code)) {
    case example::UpdaterResult::NoNetwork:
        SetStatus(L"无法连接更新服务器，请检查网络后再试。");  // no server: check the network
        break;
    case example::UpdaterResult::BadSkin:
        SetStatus(L"更新程序的界面配置有误，请与软件发布者联系。");  // the updater's skin is broken
        break;
    case example::UpdaterResult::NothingNew:
        SetStatus(L"已是最新版本。");  // up to date
        break;
    case example::UpdaterResult::NewVersionFound:
        if (g_host.checkOnly) {
            SetStatus(L"发现新版本，点击“检查更新”即可升级。");  // a newer version: press the button to update
        } else if (kCloseWhenNewVersionFound) {
            // The updater now downloads and then replaces the product's files.
            // A real product saves the user's work here, then ends, releasing
            // its program file and every file it has open. (Left running, it
            // would be ended by the updater, with no chance to save.) The
            // publisher can have the updater start the product again
            // afterwards (runme or run_after in the server configuration).
            Trace("close for update");
            ::DestroyWindow(g_host.window);
        } else {
            SetStatus(L"发现新版本，正在下载……");  // a newer version: downloading
        }
        break;
    case example::UpdaterResult::Updated:
        SetStatus(L"更新完成。");  // updated
        break;
    case example::UpdaterResult::LeftBeforeDownload:
        SetStatus(L"已取消更新。");  // the user cancelled before the download
        break;
    case example::UpdaterResult::DownloadFailed:
        SetStatus(L"下载未完成，更新已取消。");  // the download failed or was cancelled
        break;
    case example::UpdaterResult::LeftAfterDownload:
        SetStatus(L"已下载，但没有安装更新。");  // downloaded, the user did not install
        break;
    case example::UpdaterResult::Ended:
        // Always the last message of a run: the status keeps the result.
        ::EnableWindow(g_host.button, TRUE);
        break;
    default:
        // A code this product does not know yet, from a newer updater.
        SetStatus((L"更新程序报告：" + std::to_wstring(code)).c_str());  // the updater reports: n
        break;
    }
}

// ---- The window ----------------------------------------------------------

HWND MakeControl(HWND parent, const wchar_t* className, const wchar_t* text, DWORD style, int id, int x, int y,
                 int width, int height)
{
    HWND control = ::CreateWindowExW(0, className, text, WS_CHILD | WS_VISIBLE | style, x, y, width, height, parent,
                                     reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), nullptr, nullptr);
    ::SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(::GetStockObject(DEFAULT_GUI_FONT)), FALSE);
    return control;
}

void MakeControls(HWND window)
{
    g_host.status = MakeControl(window, L"STATIC", L"", SS_LEFT, kStatusText, 12, 12, 336, 32);
    g_host.fileBar = MakeControl(window, PROGRESS_CLASSW, L"", 0, kFileBar, 12, 50, 336, 16);
    g_host.detail = MakeControl(window, L"STATIC", L"", SS_LEFT, kDetailText, 12, 70, 336, 16);
    g_host.overallBar = MakeControl(window, PROGRESS_CLASSW, L"", 0, kOverallBar, 12, 92, 336, 16);
    g_host.button = MakeControl(window, L"BUTTON", L"检查更新(&C)", BS_PUSHBUTTON | WS_TABSTOP, kCheckButton,  // check for updates
                                236, 120, 112, 26);
}

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CREATE:
        MakeControls(window);
        return 0;
    case WM_COMMAND:
        // The button starts a full run: the updater asks, downloads and installs.
        if (LOWORD(wParam) == kCheckButton) CheckForUpdates(L"");
        return 0;
    case example::kFilePercentMessage:
        TraceUpdaterMessage(message, wParam, lParam);
        ::SendMessageW(g_host.fileBar, PBM_SETRANGE32, 0, static_cast<LPARAM>(wParam));
        ::SendMessageW(g_host.fileBar, PBM_SETPOS, static_cast<WPARAM>(lParam), 0);
        SetStatus(L"正在下载更新……");  // downloading the update
        return 0;
    case example::kFileBytesMessage:
        TraceUpdaterMessage(message, wParam, lParam);
        ShowFileBytes(wParam, lParam);
        return 0;
    case example::kOverallMessage:
        TraceUpdaterMessage(message, wParam, lParam);
        ::SendMessageW(g_host.overallBar, PBM_SETRANGE32, 0, static_cast<LPARAM>(wParam));
        ::SendMessageW(g_host.overallBar, PBM_SETPOS, static_cast<WPARAM>(lParam), 0);
        return 0;
    case example::kResultMessage:
        TraceUpdaterMessage(message, wParam, lParam);
        ShowResult(example::ResultCode(wParam));
        return 0;
    case WM_CLOSE:
        Trace("close asked");
        ::DestroyWindow(window);
        return 0;
    case WM_DESTROY:
        ::PostQuitMessage(0);
        return 0;
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
}

// Reads /trace:FILE and keeps every other argument for the updater, quoted
// again when it holds a blank.
void ReadArguments()
{
    int count = 0;
    LPWSTR* words = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    if (!words) return;
    const wchar_t traceSwitch[] = L"/trace:";
    const size_t traceSwitchLength = std::wcslen(traceSwitch);
    for (int i = 1; i < count; ++i) {
        std::wstring word = words[i];
        if (::_wcsnicmp(word.c_str(), traceSwitch, traceSwitchLength) == 0) {
            g_host.tracePath = word.substr(traceSwitchLength);
            continue;
        }
        if (word.find(L' ') != std::wstring::npos) word = L"\"" + word + L"\"";
        g_host.startArguments += (g_host.startArguments.empty() ? L"" : L" ") + word;
    }
    ::LocalFree(words);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show)
{
    ReadArguments();
    Trace("example_host %lu", ::GetCurrentProcessId());  // a tool can close this very process by its id

    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_PROGRESS_CLASS};
    ::InitCommonControlsEx(&controls);

    WNDCLASSW windowClass = {};
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = ::LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = L"ExampleProductWindow";
    ::RegisterClassW(&windowClass);

    // A small fixed window, like a dialog box.
    const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
    RECT frame = {0, 0, 360, 158};
    ::AdjustWindowRect(&frame, style, FALSE);
    g_host.window = ::CreateWindowExW(0, windowClass.lpszClassName, L"示例产品", style, CW_USEDEFAULT,  // example product
                                      CW_USEDEFAULT, frame.right - frame.left, frame.bottom - frame.top, nullptr,
                                      nullptr, instance, nullptr);
    if (!g_host.window) return 1;
    ::ShowWindow(g_host.window, show);

    // Check at start-up; the updater decides from its configuration whether it
    // asks the user, shows its wizard or works silently.
    CheckForUpdates(g_host.startArguments);

    MSG message;
    while (::GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (::IsDialogMessageW(g_host.window, &message)) continue;  // Tab and Alt+C reach the button
        ::TranslateMessage(&message);
        ::DispatchMessageW(&message);
    }
    Trace("end");
    return static_cast<int>(message.wParam);
}
