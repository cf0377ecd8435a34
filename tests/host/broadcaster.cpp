// A program that behaves as installers do when they change a setting: it
// broadcasts WM_SETTINGCHANGE to every top-level window and waits for them all.
// Then it asks each top-level window of the process that started it to
// answer a WM_NULL within a second, and writes what it found to its marker:
//
//   broadcaster.exe MARKER [TIMEOUT_MS]
//
//   broadcast=answered|timed-out   the broadcast, given TIMEOUT_MS (10000) per window
//   windows=N                      top-level windows of the starting process
//   answered=K                     how many of them answered within a second
//
// The marker is written beside and renamed into place, so a reader never
// sees half of it.
#include <windows.h>

#include <tlhelp32.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

constexpr UINT kProbeMs = 1000;

DWORD ParentProcessId()
{
    const DWORD self = ::GetCurrentProcessId();
    DWORD parent = 0;
    HANDLE snapshot = ::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return 0;
    PROCESSENTRY32 entry = {sizeof entry};
    for (BOOL more = ::Process32First(snapshot, &entry); more; more = ::Process32Next(snapshot, &entry)) {
        if (entry.th32ProcessID == self) parent = entry.th32ParentProcessID;
    }
    ::CloseHandle(snapshot);
    return parent;
}

struct Probe {
    DWORD process = 0;
    int windows = 0;
    int answered = 0;
};

BOOL CALLBACK ProbeWindow(HWND window, LPARAM context)
{
    auto& probe = *reinterpret_cast<Probe*>(context);
    DWORD owner = 0;
    ::GetWindowThreadProcessId(window, &owner);
    if (owner != probe.process) return TRUE;
    ++probe.windows;
    DWORD_PTR result = 0;
    if (::SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_NORMAL, kProbeMs, &result)) ++probe.answered;
    return TRUE;
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    const int argc = __argc;
    char** const argv = __argv;
    if (argc < 2) return 2;
    const std::string marker = argv[1];
    const UINT timeoutMs = argc > 2 ? static_cast<UINT>(std::strtoul(argv[2], nullptr, 10)) : 10000;

    DWORD_PTR result = 0;
    const bool answered = ::SendMessageTimeoutA(HWND_BROADCAST, WM_SETTINGCHANGE, 0,
                                                reinterpret_cast<LPARAM>("Environment"), SMTO_NORMAL, timeoutMs,
                                                &result) != 0 &&
                          ::GetLastError() != ERROR_TIMEOUT;
    Probe probe;
    probe.process = ParentProcessId();
    if (probe.process != 0) ::EnumWindows(ProbeWindow, reinterpret_cast<LPARAM>(&probe));

    const std::string temporary = marker + ".part";
    FILE* out = std::fopen(temporary.c_str(), "w");
    if (!out) return 3;
    std::fprintf(out, "broadcast=%s\nwindows=%d\nanswered=%d\n", answered ? "answered" : "timed-out",
                 probe.windows, probe.answered);
    std::fclose(out);
    return ::MoveFileExA(temporary.c_str(), marker.c_str(), MOVEFILE_REPLACE_EXISTING) ? 0 : 3;
}
