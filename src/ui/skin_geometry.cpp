#include "ui/skin_geometry.h"

#include <algorithm>

namespace quibo {

SIZE WorkAreaSize()
{
    RECT work = {};
    if (!::SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0)) {
        work.right = ::GetSystemMetrics(SM_CXSCREEN);
        work.bottom = ::GetSystemMetrics(SM_CYSCREEN);
    }
    return {std::max<LONG>(work.right - work.left, 1), std::max<LONG>(work.bottom - work.top, 1)};
}

WindowPlace PlaceFor(const SkinRect& rect)
{
    WindowPlace place{rect.left, rect.top, 0, 0};
    if (rect.Empty()) return place;
    SIZE work = WorkAreaSize();
    place.width = static_cast<int>(std::min<long long>(rect.Width(), work.cx));
    place.height = static_cast<int>(std::min<long long>(rect.Height(), work.cy));
    return place;
}

}  // namespace quibo
