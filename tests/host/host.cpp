// A stand-in for the product that hosts the updater: it owns a window, starts
// the updater with that window's handle, and prints every result message the
// updater posts to it (2020 to 2023), in order, as "message wParam lParam".
// It also answers the updater's message boxes as a person would: each box is
// printed as "box<TAB>caption<TAB>text" (code page 936, line breaks as "|")
// and a button is pressed: the next of the --press ids given, or else OK
// (or Yes, or Cancel, whichever the box has).
//
//   host.exe UPDATER [ARGUMENTS] [--press=ID ...]
//
// "{hwnd}" in ARGUMENTS is replaced by the window handle in decimal, so the
// caller decides where "/HWND:" goes (or leaves it out). The exit code is the
// updater's; 255 when it could not be started.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

bool IsHostMessage(UINT message) { return message >= 2020 && message <= 2023; }

void PrintMessage(const MSG& msg)
{
    std::printf("%u %ld %ld\n", msg.message, static_cast<long>(msg.wParam), static_cast<long>(msg.lParam));
    std::fflush(stdout);
}

std::string Quote(const std::string& s) { return "\"" + s + "\""; }

std::string WindowText(HWND window)
{
    char text[2048] = {};
    ::GetWindowTextA(window, text, sizeof text);
    std::string s = text;
    for (char& c : s)
        if (c == '\r' || c == '\n') c = '|';
    return s;
}

struct BoxAnswers {
    DWORD processId;
    std::vector<int> presses;
    size_t next = 0;
    HWND answered = nullptr;  // pressed already; waiting for it to close
};

BOOL CALLBACK AnswerBox(HWND window, LPARAM param)
{
    auto* answers = reinterpret_cast<BoxAnswers*>(param);
    DWORD pid = 0;
    ::GetWindowThreadProcessId(window, &pid);
    char cls[64] = {};
    ::GetClassNameA(window, cls, sizeof cls);
    if (pid != answers->processId || std::string(cls) != "#32770" || !::IsWindowVisible(window)) return TRUE;
    if (window == answers->answered) return FALSE;

    HWND textControl = ::GetDlgItem(window, 0xFFFF);
    std::printf("box\t%s\t%s\n", WindowText(window).c_str(), textControl ? WindowText(textControl).c_str() : "");
    std::fflush(stdout);
    int id = 0;
    if (answers->next < answers->presses.size()) {
        id = answers->presses[answers->next++];
    } else {
        for (int candidate : {IDOK, IDYES, IDCANCEL})
            if (::GetDlgItem(window, candidate)) {
                id = candidate;
                break;
            }
    }
    HWND button = ::GetDlgItem(window, id);
    ::PostMessageA(window, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(button));
    answers->answered = window;
    return FALSE;
}

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

    std::string arguments;
    std::vector<int> presses;
    for (int i = 2; i < argc; ++i) {
        if (std::strncmp(argv[i], "--press=", 8) == 0)
            presses.push_back(std::atoi(argv[i] + 8));
        else
            arguments += (arguments.empty() ? "" : " ") + std::string(argv[i]);
    }
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
    BoxAnswers answers{pi.dwProcessId, presses};
    MSG msg;
    for (;;) {
        DWORD wait = ::MsgWaitForMultipleObjects(1, &pi.hProcess, FALSE, 100, QS_ALLINPUT);
        ::EnumWindows(AnswerBox, reinterpret_cast<LPARAM>(&answers));
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
