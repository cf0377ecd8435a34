#include "install/process_closer.h"

#include <utility>

namespace quibo {

namespace {

const char kNoAccess[] = "操作失败，可能是访问权限不够！";
const char kCannotEnd[] = "操作失败，此应用程序（模块）无法终止！";
const char kNotForNow[] = "此应用程序（模块）暂时无法终止！";

struct WindowSearch {
    DWORD processId;
    HWND found;
};

BOOL CALLBACK TakeFirstWindowOf(HWND window, LPARAM param)
{
    auto* search = reinterpret_cast<WindowSearch*>(param);
    DWORD owner = 0;
    ::GetWindowThreadProcessId(window, &owner);
    if (owner != search->processId) return TRUE;
    search->found = window;
    return FALSE;
}

// Top-level windows matching `className` and `title` (either may be null) in
// z-order, passing over this process's own.
DWORD FindOtherProcessWindow(const char* className, const char* title)
{
    const DWORD self = ::GetCurrentProcessId();
    for (HWND window = ::FindWindowExA(nullptr, nullptr, className, title); window;
         window = ::FindWindowExA(nullptr, window, className, title)) {
        DWORD owner = 0;
        ::GetWindowThreadProcessId(window, &owner);
        if (owner != 0 && owner != self) return owner;
    }
    return 0;
}

// Forced end, tried again while the process can still be opened: a few quiet
// tries, then the user decides. A run without boxes answers Cancel, so it
// ends after the quiet tries.
bool EndByForce(DWORD processId, UniqueHandle process, InstallView& view, const CloseLimits& limits,
                ProcessControl& control)
{
    int quietTries = 0;
    while (!control.Terminate(process.Get())) {
        // Ending a process that has just ended by itself fails; that is success.
        if (WaitForProcessEnd(process.Get(), 0)) return true;
        UniqueHandle again = control.Open(processId);
        if (!again) {
            view.SetStatus(kCannotEnd);
            return false;
        }
        process = std::move(again);
        if (++quietTries < limits.retryLimit) {
            ::Sleep(limits.retryPauseMs);
            continue;
        }
        if (!view.AskRetry(kNotForNow)) {
            view.SetStatus(kCannotEnd);
            return false;
        }
        quietTries = 0;
    }
    // Ending is not immediate: the files stay locked until the process is gone.
    WaitForProcessEnd(process.Get(), limits.endWaitMs);
    return true;
}

}  // namespace

HWND FindProcessWindow(DWORD processId)
{
    WindowSearch search{processId, nullptr};
    ::EnumWindows(TakeFirstWindowOf, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

DWORD FindProcessByWindowTitle(const std::string& title) { return FindOtherProcessWindow(nullptr, title.c_str()); }

DWORD FindProcessByWindowClass(const std::string& className)
{
    return FindOtherProcessWindow(className.c_str(), nullptr);
}

UniqueHandle ProcessControl::Open(DWORD processId)
{
    // Only what ending and waiting need: a program that may be ended but not
    // inspected is still closed.
    return UniqueHandle(::OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, processId));
}

HWND ProcessControl::WindowOf(DWORD processId) { return FindProcessWindow(processId); }

bool ProcessControl::PostQuit(HWND window) { return ::PostMessageA(window, WM_QUIT, 0, 0) != FALSE; }

bool ProcessControl::Terminate(HANDLE process) { return ::TerminateProcess(process, 0) != FALSE; }

bool WaitForProcessEnd(HANDLE process, DWORD ms) { return ::WaitForSingleObject(process, ms) == WAIT_OBJECT_0; }

bool CloseProcess(DWORD processId, InstallView& view, const CloseLimits& limits)
{
    ProcessControl control;
    return CloseProcess(processId, view, limits, control);
}

bool CloseProcess(DWORD processId, InstallView& view, const CloseLimits& limits, ProcessControl& control,
                  const std::function<void()>& whenOpened)
{
    // Ending the updater itself would stop the installation half-way.
    if (processId == 0 || processId == ::GetCurrentProcessId()) {
        view.SetStatus(kCannotEnd);
        return false;
    }
    // Held from here on, the handle keeps the id from going to another program.
    UniqueHandle process = control.Open(processId);
    if (!process) {
        view.ShowInfo(kNoAccess);
        view.SetStatus(kCannotEnd);
        return false;
    }
    if (whenOpened) whenOpened();
    // Looked for after the warning: the user may have closed the program meanwhile.
    HWND window = control.WindowOf(processId);
    if (window && control.PostQuit(window) && WaitForProcessEnd(process.Get(), limits.quitWaitMs)) return true;
    if (WaitForProcessEnd(process.Get(), 0)) return true;
    return EndByForce(processId, std::move(process), view, limits, control);
}

}  // namespace quibo
