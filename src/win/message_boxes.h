// The boxes the run shows. Information and retry boxes belong to the normal
// and semi-silent display types; a silent run shows none.
#pragma once

#include <windows.h>

#include <string>

#include "core/config/show_type.h"

namespace quibo {

constexpr char kInfoCaption[] = "信息提示";

// An information box with the text framed by line breaks. `extraStyle` adds
// to the box's style (MB_TOPMOST for a box of a worker, which has no window).
void ShowInfoBox(const std::string& text, HWND owner, ShowType showType, UINT extraStyle = 0);
// A warning box with Retry and Cancel; true when Retry was chosen. Silent: false.
bool ShowRetryBox(const std::string& text, HWND owner, ShowType showType, UINT extraStyle = 0);
// A plain box with the application's title, OK and no icon.
void ShowAppMessage(const std::string& text);

}  // namespace quibo
