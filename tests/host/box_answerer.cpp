#include "box_answerer.h"

#include <algorithm>
#include <cstdio>
#include <utility>

#include "box_style_hook.h"
#include "screen_image.h"
#include "window_facts.h"

namespace host {

namespace {

constexpr DWORD kSettleMs = 300;  // a box is drawn within this after it shows

std::string ButtonName(int id)
{
    static const char* const names[] = {
        "",    "ok", "cancel", "abort", "retry",    "ignore",
        "yes", "no", "close",  "help",  "tryagain", "continue"};  // by id, IDOK = 1 to IDCONTINUE = 11
    return id > 0 && id < static_cast<int>(sizeof names / sizeof names[0]) ? names[id] : std::to_string(id);
}

// The visible buttons from left to right.
std::vector<HWND> VisibleButtons(HWND box)
{
    std::vector<HWND> buttons;
    for (HWND child : Children(box))
        if (ClassName(child) == "Button" && ::IsWindowVisible(child)) buttons.push_back(child);
    std::sort(buttons.begin(), buttons.end(), [](HWND a, HWND b) {
        RECT ra, rb;
        ::GetWindowRect(a, &ra);
        ::GetWindowRect(b, &rb);
        return ra.top != rb.top ? ra.top < rb.top : ra.left < rb.left;
    });
    return buttons;
}

// Which of the system's icons the box shows, told by what is on the screen.
std::string IconName(HWND box)
{
    HWND control = nullptr;
    for (HWND child : Children(box))
        if (ClassName(child) == "Static" && ::IsWindowVisible(child) &&
            (::GetWindowLongPtrA(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON)
            control = child;
    if (!control) return "none";

    RECT area;
    ::GetClientRect(control, &area);
    ::MapWindowPoints(control, nullptr, reinterpret_cast<POINT*>(&area), 2);
    ScreenImage shown = ScreenImage::Capture(area);
    if (shown.pixels.empty()) return "unknown";
    const struct {
        LPCSTR id;
        const char* name;
    } icons[] = {{IDI_QUESTION, "question"},
                 {IDI_INFORMATION, "information"},
                 {IDI_WARNING, "warning"},
                 {IDI_ERROR, "error"}};
    std::string best = "unknown";
    double bestDifference = 0.1;  // more than this: none of them
    for (const auto& icon : icons) {
        // The static control paints its background, then the icon over it at its own size.
        ScreenImage drawn =
            ScreenImage::RenderIcon(::LoadIconA(nullptr, icon.id), shown.width, shown.height, shown.At(0, 0));
        double difference = Difference(shown, drawn);
        if (difference < bestDifference) {
            bestDifference = difference;
            best = icon.name;
        }
    }
    return best;
}

// The icon a box style asks for.
std::string StyleIconName(UINT style)
{
    switch (style & MB_ICONMASK) {
    case MB_ICONQUESTION: return "question";
    case MB_ICONINFORMATION: return "information";
    case MB_ICONWARNING: return "warning";
    case MB_ICONERROR: return "error";
    case 0: return "none";
    }
    return "unknown";
}

}  // namespace

HWND FindBox(const UpdaterProcesses& processes)
{
    for (HWND window : TopLevelWindows())
        if (::IsWindowVisible(window) && processes.Contains(ProcessOf(window)) && IsMessageBox(window))
            return window;
    return nullptr;
}

void BoxAnswerer::Poll(const UpdaterProcesses& processes)
{
    for (auto it = answered_.begin(); it != answered_.end();)
        it = ::IsWindow(*it) ? std::next(it) : answered_.erase(it);

    HWND box = FindBox(processes);
    if (!box || answered_.count(box)) return;
    if (box != seen_) {
        seen_ = box;
        seenAt_ = ::GetTickCount();
        return;
    }
    if (::GetTickCount() - seenAt_ < kSettleMs) return;
    Answer(box);
}

void BoxAnswerer::Answer(HWND box)
{
    HWND textControl = ::GetDlgItem(box, 0xFFFF);
    Record("box\t" + Field(WindowText(box)) + "\t" + Field(WindowText(textControl)));

    std::vector<HWND> buttons = VisibleButtons(box);
    std::string names;
    for (HWND button : buttons) names += (names.empty() ? "" : ",") + ButtonName(::GetDlgCtrlID(button));
    UINT style = 0;
    bool styleKnown = BoxStyle(box, style);
    std::string icon = IconName(box);
    if (icon == "unknown" && styleKnown) icon = StyleIconName(style);
    bool topmost = (::GetWindowLongPtrA(box, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0 || (style & MB_TOPMOST) != 0;
    char hex[16] = "-";
    if (styleKnown) std::snprintf(hex, sizeof hex, "0x%X", style);
    Record("boxstyle\t" + names + "\t" + icon + "\t" + (topmost ? "topmost" : "normal") + "\t" + hex);
    shots_.Take(box, "box");

    int id = 0;
    if (next_ < presses_.size()) {
        id = presses_[next_++];
    } else {
        for (int candidate : {IDOK, IDYES, IDCANCEL})
            for (HWND button : buttons)
                if (!id && ::GetDlgCtrlID(button) == candidate) id = candidate;
    }
    ::PostMessageA(box, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                   reinterpret_cast<LPARAM>(::GetDlgItem(box, id)));
    answered_.insert(box);
    seen_ = nullptr;
}

}  // namespace host
