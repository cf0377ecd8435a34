#include "ui/tray_menu.h"

#include "../../res/resource.h"

namespace quibo {

UniqueMenu LoadTrayMenu(HINSTANCE module)
{
    UniqueMenu menu(::LoadMenuA(module, MAKEINTRESOURCEA(IDR_TRAY_MENU)));
    if (menu) return menu;
    menu = UniqueMenu(::CreateMenu());
    HMENU popup = ::CreatePopupMenu();
    if (!menu || !popup) {
        if (popup) ::DestroyMenu(popup);
        return {};
    }
    ::AppendMenuA(popup, MF_STRING, IDM_SHOW_MAIN_WINDOW, "显示主窗口(&S)");
    ::AppendMenuA(popup, MF_SEPARATOR, 0, nullptr);
    ::AppendMenuA(popup, MF_STRING, IDM_TRAY_EXIT, "退出(&X)");
    if (!::AppendMenuA(menu.Get(), MF_POPUP, reinterpret_cast<UINT_PTR>(popup), "POPMENU")) {
        ::DestroyMenu(popup);
        return {};
    }
    return menu;
}

}  // namespace quibo
