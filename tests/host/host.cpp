// A stand-in for the product that hosts the updater: it owns a window, starts
// the updater with that window's handle, and prints every result message the
// updater posts to it (2020 to 2023), in order, as "message wParam lParam".
// It answers the updater's message boxes and drives its wizard as a person
// would (box_answerer.h and wizard_steps.h describe what each records), and
// it keeps going until every updater process of the run has ended: a
// self-update runs three (updater_processes.h). Text is in code page 936.
//
//   host.exe UPDATER [ARGUMENTS] [--press=ID ...] [--click=STEP ...]
//            [--shots=FOLDER [--shot-screen]] [--tray]
//
// "{hwnd}" in ARGUMENTS is replaced by the window handle in decimal, so the
// caller decides where "/HWND:" goes (or leaves it out). --press gives the
// buttons for the boxes in order; --click the wizard steps; --shots a folder
// for screenshots of every box and pressed page, of the window or, with
// --shot-screen, of the whole screen. Every window of the updater is watched
// too (window_watch.h); --tray records the tray icon's tips and animation
// (tray_view.h). The exit code is the first updater process's; 255 when it
// could not be started.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "box_answerer.h"
#include "box_style_hook.h"
#include "screenshots.h"
#include "tray_view.h"
#include "updater_processes.h"
#include "window_watch.h"
#include "wizard_steps.h"

namespace {

bool IsHostMessage(UINT message) { return message >= 2020 && message <= 2023; }

void PrintMessage(const MSG& msg)
{
    std::printf("%u %ld %ld\n", msg.message, static_cast<long>(msg.wParam), static_cast<long>(msg.lParam));
    std::fflush(stdout);
}

std::string Quote(const std::string& s) { return "\"" + s + "\""; }

void Pump()
{
    MSG msg;
    while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (IsHostMessage(msg.message)) PrintMessage(msg);
        ::DispatchMessageA(&msg);
    }
}

bool TakeOption(const char* argument, const char* name, std::string& value)
{
    size_t length = std::strlen(name);
    if (std::strncmp(argument, name, length) != 0) return false;
    value = argument + length;
    return true;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(
            stderr, "usage: host UPDATER [ARGUMENTS] [--press=ID ...] [--click=STEP ...] [--shots=FOLDER]\n");
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

    std::string arguments, value, shotFolder;
    std::vector<int> presses;
    std::vector<std::string> steps;
    bool wholeScreen = false, watchTray = false;
    for (int i = 2; i < argc; ++i) {
        if (TakeOption(argv[i], "--press=", value))
            presses.push_back(std::atoi(value.c_str()));
        else if (TakeOption(argv[i], "--click=", value))
            steps.push_back(value);
        else if (TakeOption(argv[i], "--shots=", value))
            shotFolder = value;
        else if (std::strcmp(argv[i], "--shot-screen") == 0)
            wholeScreen = true;
        else if (std::strcmp(argv[i], "--tray") == 0)
            watchTray = true;
        else
            arguments += (arguments.empty() ? "" : " ") + std::string(argv[i]);
    }
    const std::string placeholder = "{hwnd}";
    std::string handle = std::to_string(reinterpret_cast<UINT_PTR>(window));
    for (size_t at; (at = arguments.find(placeholder)) != std::string::npos;)
        arguments.replace(at, placeholder.size(), handle);

    host::BoxStyleHook hook;  // before the updater can show a box
    host::UpdaterProcesses processes;
    DWORD error = 0;
    if (!processes.Start(argv[1], Quote(argv[1]) + (arguments.empty() ? "" : " " + arguments), error)) {
        std::fprintf(stderr, "host: cannot start %s (error %lu)\n", argv[1], error);
        return 255;
    }
    host::Screenshots shots(shotFolder, wholeScreen);
    host::BoxAnswerer boxes(presses, shots);
    host::WizardSteps wizard(steps, shots);
    host::WindowWatch windows;
    host::TrayRecorder tray;

    // Pump until the last updater process ends, then take what it posted just before.
    for (;;) {
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
        processes.Refresh();
        boxes.Poll(processes);
        wizard.Poll(processes);
        windows.Poll(processes);
        if (watchTray) tray.Poll();
        Pump();
        if (processes.AllEnded()) break;
    }
    Pump();
    wizard.RecordPending();

    ::DestroyWindow(window);
    return static_cast<int>(processes.FirstExitCode());
}
