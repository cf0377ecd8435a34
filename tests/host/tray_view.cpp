#include "tray_view.h"

#include <commctrl.h>

#include "win/scoped_handle.h"

using namespace quibo;

namespace host {

namespace {

constexpr size_t kTipSize = 512;

BOOL CALLBACK CollectTrayIcon(HWND window, LPARAM param)
{
    char name[64] = {};
    ::GetClassNameA(window, name, sizeof name);
    if (lstrcmpA(name, "__winex11_tray_icon") == 0) reinterpret_cast<std::vector<HWND>*>(param)->push_back(window);
    return TRUE;
}

// The tooltip windows of the process that owns `window`.
std::vector<HWND> TooltipsOf(HWND window)
{
    DWORD owner = 0, pid = 0;
    ::GetWindowThreadProcessId(window, &owner);
    std::vector<HWND> found;
    for (HWND tip = nullptr; (tip = ::FindWindowExA(nullptr, tip, TOOLTIPS_CLASSA, nullptr));) {
        ::GetWindowThreadProcessId(tip, &pid);
        if (pid == owner) found.push_back(tip);
    }
    return found;
}

}  // namespace

std::vector<HWND> TrayIconWindows()
{
    std::vector<HWND> icons;
    HWND tray = ::FindWindowA("__winex11_standalone_tray", nullptr);
    if (tray) ::EnumChildWindows(tray, CollectTrayIcon, reinterpret_cast<LPARAM>(&icons));
    return icons;
}

std::string TrayIconTip(HWND icon)
{
    DWORD pid = 0;
    ::GetWindowThreadProcessId(icon, &pid);
    UniqueHandle process(::OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid));
    if (!process) return "";
    void* block = ::VirtualAllocEx(process.Get(), nullptr, sizeof(TTTOOLINFOA) + kTipSize,
                                   MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    if (!block) return "";
    char* remoteText = static_cast<char*>(block) + sizeof(TTTOOLINFOA);
    std::string tip;
    for (HWND tooltip : TooltipsOf(icon)) {
        TTTOOLINFOA tool = {};
        tool.cbSize = sizeof tool;
        tool.uFlags = TTF_IDISHWND;
        tool.hwnd = icon;
        tool.uId = reinterpret_cast<UINT_PTR>(icon);
        tool.lpszText = remoteText;
        char text[kTipSize] = {};
        SIZE_T moved = 0;
        DWORD_PTR result = 0;
        if (!::WriteProcessMemory(process.Get(), remoteText, text, sizeof text, &moved) ||
            !::WriteProcessMemory(process.Get(), block, &tool, sizeof tool, &moved) ||
            !::SendMessageTimeoutA(tooltip, TTM_GETTEXTA, kTipSize, reinterpret_cast<LPARAM>(block),
                                   SMTO_ABORTIFHUNG, 5000, &result) ||
            !::ReadProcessMemory(process.Get(), remoteText, text, sizeof text - 1, &moved))
            continue;
        if (text[0]) {
            tip = text;
            break;
        }
    }
    ::VirtualFreeEx(process.Get(), block, 0, MEM_RELEASE);
    return tip;
}

HWND FindTrayIcon(const std::string& tip)
{
    for (HWND icon : TrayIconWindows())
        if (TrayIconTip(icon) == tip) return icon;
    return nullptr;
}

ScreenImage TrayIconImage(HWND icon) { return ScreenImage::CaptureWindow(icon); }

int DistinctTrayImages(HWND icon, DWORD milliseconds)
{
    std::vector<ScreenImage> seen;
    const DWORD start = ::GetTickCount();
    do {
        ScreenImage now = TrayIconImage(icon);
        bool known = now.pixels.empty();
        for (const ScreenImage& image : seen) known = known || Difference(image, now) == 0;
        if (!known) seen.push_back(now);
        ::Sleep(20);
    } while (::GetTickCount() - start < milliseconds);
    return static_cast<int>(seen.size());
}

}  // namespace host

#include <algorithm>

#include "window_facts.h"

namespace host {

void TrayRecorder::Poll()
{
    DWORD now = ::GetTickCount();
    for (HWND icon : TrayIconWindows()) {
        std::string tip = TrayIconTip(icon);
        if (!tip.empty() && std::find(seen_.begin(), seen_.end(), tip) == seen_.end()) {
            seen_.push_back(tip);
            Record("tray\t" + Field(tip));
        }
        // The pictures of the last second, looked at with every poll; the
        // most seen at once is recorded each time it grows.
        ScreenImage image = TrayIconImage(icon);
        pictures_.push_back({now, image.pixels});
        while (!pictures_.empty() && now - pictures_.front().at > 1000) pictures_.pop_front();
        std::vector<const std::vector<uint32_t>*> distinct;
        for (const Picture& p : pictures_) {
            bool known = false;
            for (const auto* d : distinct) known = known || *d == p.pixels;
            if (!known) distinct.push_back(&p.pixels);
        }
        if (static_cast<int>(distinct.size()) > mostDistinct_) {
            mostDistinct_ = static_cast<int>(distinct.size());
            Record("trayicon\t" + std::to_string(mostDistinct_));
        }
        break;  // the first icon is the updater's in the scenarios
    }
}

}  // namespace host
