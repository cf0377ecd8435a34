// A stand-in for the product that hosts the updater: it owns a window, starts
// the updater with that window's handle, and prints every result message the
// updater posts to it (2020 to 2023), in order, as "message wParam lParam".
//
//   host.exe UPDATER [ARGUMENTS]
//
// "{hwnd}" in ARGUMENTS is replaced by the window handle in decimal, so the
// caller decides where "/HWND:" goes (or leaves it out). The exit code is the
// updater's; 255 when it could not be started.
#include <windows.h>

#include <cstdio>
#include <string>

namespace {

bool IsHostMessage(UINT message) { return message >= 2020 && message <= 2023; }

void PrintMessage(const MSG& msg)
{
    std::printf("%u %ld %ld\n", msg.message, static_cast<long>(msg.wParam), static_cast<long>(msg.lParam));
    std::fflush(stdout);
}

std::string Quote(const std::string& s) { return "\"" + s + "\""; }

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: host UPDATER [ARGUMENTS]\n");
        return 255;
    }

    WNDCLASSA wc = {};
    wc.lpfnWndProc = ::DefWindowProcA;
    wc.hInstance = ::GetModuleHandleA(nullptr);
    wc.lpszClassName = "UpdaterTestHost";
    ::RegisterClassA(&wc);
    HWND window = ::CreateWindowA(wc.lpszClassName, "Updater test host", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100,
                                  nullptr, nullptr, wc.hInstance, nullptr);
    if (!window) return 255;

    std::string arguments = argc > 2 ? argv[2] : "";
    const std::string placeholder = "{hwnd}";
    std::string handle = std::to_string(reinterpret_cast<UINT_PTR>(window));
    for (size_t at; (at = arguments.find(placeholder)) != std::string::npos;)
        arguments.replace(at, placeholder.size(), handle);

    std::string commandLine = Quote(argv[1]) + (arguments.empty() ? "" : " " + arguments);
    STARTUPINFOA si = {sizeof si};
    PROCESS_INFORMATION pi = {};
    if (!::CreateProcessA(argv[1], &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
        std::fprintf(stderr, "host: cannot start %s (error %lu)\n", argv[1], ::GetLastError());
        return 255;
    }
    ::CloseHandle(pi.hThread);

    // Pump until the updater ends, then drain what it posted just before.
    MSG msg;
    for (;;) {
        DWORD wait = ::MsgWaitForMultipleObjects(1, &pi.hProcess, FALSE, INFINITE, QS_ALLINPUT);
        while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (IsHostMessage(msg.message)) PrintMessage(msg);
            ::DispatchMessageA(&msg);
        }
        if (wait == WAIT_OBJECT_0) break;
    }
    while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
        if (IsHostMessage(msg.message)) PrintMessage(msg);

    DWORD code = 255;
    ::GetExitCodeProcess(pi.hProcess, &code);
    ::CloseHandle(pi.hProcess);
    ::DestroyWindow(window);
    return static_cast<int>(code);
}
