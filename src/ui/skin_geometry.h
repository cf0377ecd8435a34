// Skin rectangles placed on the screen. A skin may give any numbers: a
// rectangle without a positive width and height is empty, and no window is
// made larger than the screen's work area.
#pragma once

#include <windows.h>

#include "core/config/skin_attributes.h"

namespace quibo {

struct WindowPlace {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};

// Where a control goes for `rect`: an empty rectangle gives width and height
// 0 at its origin; the size is clamped to the work area.
WindowPlace PlaceFor(const SkinRect& rect);

// The size of the primary monitor's work area.
SIZE WorkAreaSize();

}  // namespace quibo
