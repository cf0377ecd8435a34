// The boxes the run shows. Information and retry boxes belong to the normal
// and semi-silent display types; a silent run shows none.
#pragma once

#include <windows.h>

#include <string>

#include "core/config/show_type.h"

namespace quibo {

constexpr char kInfoCaption[] = "信息提示";

// An information box with the text framed by line breaks.
void ShowInfoBox(const std::string& text, HWND owner, ShowType showType);
// A warning box with Retry and Cancel; true when Retry was chosen. Silent: false.
bool ShowRetryBox(const std::string& text, HWND owner, ShowType showType);
// A plain box with the application's title, OK and no icon.
void ShowAppMessage(const std::string& text);

}  // namespace quibo
