#include "window_watch.h"

#include "window_facts.h"

namespace host {

namespace {

// A page is told by the controls it holds: the download page has Pause
// (1018), the start page its list (1015), the update page a progress bar
// (1000) and no Pause, the download-finished page only Next (1).
const char* PageKind(HWND dialog)
{
    if (::GetDlgItem(dialog, 1018)) return "download";
    if (::GetDlgItem(dialog, 1015)) return "start";
    if (::GetDlgItem(dialog, 1000)) return "update";
    if (::GetDlgItem(dialog, IDOK) && ::GetDlgItem(dialog, 1020)) return "finished";
    return nullptr;
}

bool Visible(HWND window) { return ::IsWindowVisible(window) != FALSE; }

}  // namespace

void WindowWatch::Poll(const UpdaterProcesses& processes)
{
    std::set<HWND> visibleNow;
    for (HWND top : TopLevelWindows()) {
        if (!processes.Contains(ProcessOf(top))) continue;
        if (Visible(top) && !IsMessageBox(top)) {
            visibleNow.insert(top);
            RECT outer = {}, client = {};
            ::GetWindowRect(top, &outer);
            ::GetClientRect(top, &client);
            POINT origin = {0, 0};
            ::ClientToScreen(top, &origin);
            std::string line = "shown\t" + Field(WindowText(top));
            for (LONG value : {outer.right - outer.left, outer.bottom - outer.top, client.right, client.bottom,
                               origin.x - outer.left, origin.y - outer.top})
                line += "\t" + std::to_string(value);
            if (visible_.count(top) == 0 || shownLine_[top] != line) Record(line);
            shownLine_[top] = line;
        }
        for (HWND child : Descendants(top)) {
            if (ClassName(child) != "#32770") continue;
            const char* kind = PageKind(child);
            if (!kind) continue;
            std::string line = std::string("pageseen\t") + kind + "\t" + (Visible(child) ? "1" : "0");
            if (seen_.insert(line).second) Record(line);
        }
    }
    for (HWND window : visible_)
        if (visibleNow.count(window) == 0) Record("gone\t" + Field(WindowText(window)));
    visible_ = visibleNow;
}

}  // namespace host
