#include "wizard_steps.h"

#include <cstdlib>

#include "remote_list_view.h"
#include "tray_view.h"
#include "window_facts.h"

namespace host {

namespace {

constexpr DWORD kSettleMs = 200;

// The page a window shows: its visible child dialog, or the window itself.
HWND PageOf(HWND top)
{
    for (HWND child : Descendants(top))
        if (ClassName(child) == "#32770" && ::IsWindowVisible(child)) return child;
    return top;
}

void RecordRows(HWND top)
{
    for (HWND child : Descendants(top)) {
        if (ClassName(child) != "SysListView32" || !::IsWindowVisible(child)) continue;
        std::string id = std::to_string(::GetDlgCtrlID(child));
        for (const auto& row : ReadListRows(child)) {
            std::string line = "row\t" + id;
            for (const std::string& cell : row) line += "\t" + Field(cell);
            Record(line);
        }
    }
}

}  // namespace

WizardSteps::Seen WizardSteps::FindButton(const UpdaterProcesses& processes, HWND& top) const
{
    const std::string& step = steps_[next_];
    size_t colon = step.find(':');
    std::string idText = step.substr(0, colon);
    bool anyId = idText.empty();
    int id = anyId ? 0 : std::atoi(idText.c_str());
    bool anyText = colon == std::string::npos;
    std::string text = anyText ? "" : step.substr(colon + 1);

    for (HWND window : TopLevelWindows()) {
        if (!::IsWindowVisible(window) || !::IsWindowEnabled(window) ||
            !processes.Contains(ProcessOf(window)) || IsMessageBox(window))
            continue;
        for (HWND child : Descendants(window)) {
            if (!::IsWindowVisible(child) || !::IsWindowEnabled(child)) continue;
            if (!anyId && ::GetDlgCtrlID(child) != id) continue;
            std::string shown = WindowText(child);
            if (!anyText && shown != text) continue;
            if (anyId && ClassName(child) != "Button") continue;
            top = window;
            return {child, shown, PageOf(window)};
        }
    }
    return {};
}

bool WizardSteps::PressKey(const UpdaterProcesses& processes)
{
    const std::string& step = steps_[next_];
    for (HWND window : TopLevelWindows()) {
        if (!::IsWindowVisible(window) || !processes.Contains(ProcessOf(window)) || IsMessageBox(window)) continue;
        HWND page = PageOf(window);
        if (page == window) continue;
        size_t colon = step.find(':', 4);
        if (colon != std::string::npos && !::GetDlgItem(page, std::atoi(step.c_str() + colon + 1))) continue;
        WPARAM key = static_cast<WPARAM>(std::atoi(step.c_str() + 4));
        Record("key\t" + std::to_string(key));
        // Posted as the keyboard would: to the page, through its thread's queue.
        ::PostMessageA(page, WM_KEYDOWN, key, 1);
        ::PostMessageA(page, WM_KEYUP, key, 0xC0000001);
        ++next_;
        return true;
    }
    return false;
}

bool WizardSteps::UseWindow(const UpdaterProcesses& processes)
{
    const std::string& step = steps_[next_];
    if (step == "trayclick") {
        // A left click on the first icon of the tray, as the mouse gives it.
        std::vector<HWND> icons = TrayIconWindows();
        if (icons.empty()) return false;
        Record("trayclick");
        ::PostMessageA(icons.front(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(8, 8));
        ::PostMessageA(icons.front(), WM_LBUTTONUP, 0, MAKELPARAM(8, 8));
        ++next_;
        return true;
    }
    // "minimize" and "close": the frame's minimise and close boxes.
    for (HWND window : TopLevelWindows()) {
        if (!::IsWindowVisible(window) || !processes.Contains(ProcessOf(window)) || IsMessageBox(window)) continue;
        if (PageOf(window) == window) continue;
        Record(step);
        ::PostMessageA(window, WM_SYSCOMMAND, step == "close" ? SC_CLOSE : SC_MINIMIZE, 0);
        ++next_;
        return true;
    }
    return false;
}

void WizardSteps::Poll(const UpdaterProcesses& processes)
{
    if (next_ >= steps_.size()) return;
    if (steps_[next_].rfind("sleep:", 0) == 0) {
        Wait();
        return;
    }
    if (steps_[next_].rfind("key:", 0) == 0) {
        PressKey(processes);
        return;
    }
    if (steps_[next_] == "minimize" || steps_[next_] == "close" || steps_[next_] == "trayclick") {
        // Given the moment any step gets, so the page is up before the window is used.
        if (::GetTickCount() - settledAt_ < kSettleMs * 2) return;
        if (UseWindow(processes)) settledAt_ = ::GetTickCount();
        return;
    }
    HWND top = nullptr;
    Seen seen = FindButton(processes, top);
    if (!seen.button || seen == pressed_) {
        candidate_ = {};
        return;
    }
    if (!(seen == candidate_)) {
        candidate_ = seen;
        candidateAt_ = ::GetTickCount();
        return;
    }
    if (::GetTickCount() - candidateAt_ < kSettleMs) return;
    Press(top, seen);
}

void WizardSteps::Wait()
{
    const std::string ms = steps_[next_].substr(6);
    if (waitFrom_ == 0) {
        Record("sleep\t" + ms);
        waitFrom_ = ::GetTickCount() | 1;  // never 0
        return;
    }
    if (::GetTickCount() - waitFrom_ < static_cast<DWORD>(std::atoi(ms.c_str()))) return;
    Record("slept\t" + ms);
    waitFrom_ = 0;
    // A person who waited looks again: the same button may be pressed anew.
    pressed_ = {};
    candidate_ = {};
    settledAt_ = ::GetTickCount();
    ++next_;
}

void WizardSteps::Press(HWND top, const Seen& seen)
{
    Record("page\t" + Field(WindowText(top)));
    RecordRows(top);
    shots_.Take(top, "page");
    int id = ::GetDlgCtrlID(seen.button);
    Record("click\t" + std::to_string(id) + "\t" + Field(seen.text));
    ::PostMessageA(::GetParent(seen.button), WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                   reinterpret_cast<LPARAM>(seen.button));
    pressed_ = seen;
    candidate_ = {};
    settledAt_ = ::GetTickCount();
    ++next_;
}

void WizardSteps::RecordPending() const
{
    for (size_t i = next_; i < steps_.size(); ++i) Record("pending\t" + Field(steps_[i]));
}

}  // namespace host
