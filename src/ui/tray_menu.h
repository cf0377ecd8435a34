// The tray icon's menu: one pop-up holding "显示主窗口(&S)", a separator and
// "退出(&X)".
#pragma once

#include <windows.h>

#include "win/gdi_objects.h"

namespace quibo {

// Menu resource 139 of `module`; a program that lacks it (a test program)
// gets the same menu built in code. The pop-up is the menu's first item.
UniqueMenu LoadTrayMenu(HINSTANCE module);

}  // namespace quibo
