#include "win/message_boxes.h"

#include "win/module_info.h"
#include "win/system_code_page.h"

namespace quibo {

namespace {

std::string Framed(const std::string& text) { return "\n" + text + "\n"; }

}  // namespace

void ShowInfoBox(const std::string& text, HWND owner, ShowType showType, UINT extraStyle)
{
    if (IsSilent(showType)) return;
    ::MessageBoxA(owner, Framed(text).c_str(), kInfoCaption, MB_OK | MB_ICONINFORMATION | extraStyle);
}

bool ShowRetryBox(const std::string& text, HWND owner, ShowType showType, UINT extraStyle)
{
    if (IsSilent(showType)) return false;
    return ::MessageBoxA(owner, Framed(text).c_str(), kInfoCaption,
                         MB_RETRYCANCEL | MB_ICONWARNING | extraStyle) == IDRETRY;
}

void ShowAppMessage(const std::string& text)
{
    ::MessageBoxA(nullptr, text.c_str(), AppTitle().c_str(), MB_OK);
}

}  // namespace quibo
