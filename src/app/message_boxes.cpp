#include "app/message_boxes.h"

#include "core/app/program_names.h"
#include "win/module_info.h"
#include "win/system_code_page.h"

namespace {

bool ShowsBoxes(int showType) { return showType == 0 || showType == 1; }

std::string Framed(const std::string& text) { return "\n" + text + "\n"; }

}  // namespace

void ShowInfoBox(const std::string& text, HWND owner, int showType)
{
    if (!ShowsBoxes(showType)) return;
    ::MessageBoxA(owner, Framed(text).c_str(), kInfoCaption, MB_OK | MB_ICONINFORMATION);
}

bool ShowRetryBox(const std::string& text, HWND owner, int showType)
{
    if (!ShowsBoxes(showType)) return false;
    return ::MessageBoxA(owner, Framed(text).c_str(), kInfoCaption, MB_RETRYCANCEL | MB_ICONWARNING) == IDRETRY;
}

std::string AppTitle()
{
    std::string name = SplitModulePath(GetModulePath(), SystemLeadBytes()).fileName;
    size_t dot = name.rfind('.');
    return dot == std::string::npos ? name : name.substr(0, dot);
}

void ShowAppMessage(const std::string& text)
{
    ::MessageBoxA(nullptr, text.c_str(), AppTitle().c_str(), MB_OK);
}
