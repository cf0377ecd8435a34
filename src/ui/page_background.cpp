#include "ui/page_background.h"

#include <algorithm>
#include <climits>
#include <cstdlib>

#include "win/gdi_objects.h"

namespace quibo {

namespace {

// One axis of a stretched copy, reduced to what the destination shows.
struct AxisPart {
    int visibleStart = 0;  // in the destination's logical units
    int visibleSize = 0;   // 0: nothing of the destination rectangle shows
    int landOffset = 0;    // where the source part lands, relative to visibleStart (<= 0)
    int landSize = 0;      // destination size of the source part (>= visibleSize)
    int srcStart = 0;
    int srcSize = 0;
};

// `start`/`size`: the destination span; `clipLow`/`clipHigh`: what the context
// shows; `srcStart`/`srcSize`: the source span stretched over the whole
// destination. The source part is widened to whole source pixels, so it lands
// a little outside the visible span, where the copy is clipped away.
AxisPart ReduceAxis(int start, int size, long clipLow, long clipHigh, int srcStart, int srcSize)
{
    AxisPart part;
    const long long low = std::max<long long>(start, clipLow);
    const long long high = std::min<long long>(static_cast<long long>(start) + size, clipHigh);
    if (high <= low) return part;
    const long long a = low - start, b = high - start;  // 0 <= a < b <= size
    const long long s0 = a * srcSize / size;
    const long long s1 = std::min<long long>((b * srcSize + size - 1) / size, srcSize);
    const long long d0 = s0 * size / srcSize;
    const long long d1 = (s1 * size + srcSize - 1) / srcSize;
    part.visibleStart = static_cast<int>(low);
    part.visibleSize = static_cast<int>(b - a);
    part.landOffset = static_cast<int>(d0 - a);
    part.landSize = static_cast<int>(d1 - d0);
    part.srcStart = srcStart + static_cast<int>(s0);
    part.srcSize = static_cast<int>(s1 - s0);
    return part;
}

int ClampToInt(long long value) { return static_cast<int>(std::min<long long>(value, INT_MAX)); }

}  // namespace

bool DrawTransparentStretched(HDC dest, int x, int y, int w, int h, HBITMAP source, int srcX, int srcY,
                              int srcW, int srcH, COLORREF transparent)
{
    if (!dest || !source || w <= 0 || h <= 0 || srcW <= 0 || srcH <= 0) return false;
    RECT clip;
    const int region = ::GetClipBox(dest, &clip);
    if (region == ERROR) return false;
    if (region == NULLREGION) return true;
    const AxisPart across = ReduceAxis(x, w, clip.left, clip.right, srcX, srcW);
    const AxisPart down = ReduceAxis(y, h, clip.top, clip.bottom, srcY, srcH);
    if (across.visibleSize <= 0 || down.visibleSize <= 0) return true;
    const int vw = across.visibleSize, vh = down.visibleSize;

    // The bitmaps outlive the contexts, which select them out first.
    UniqueBitmap color(::CreateCompatibleBitmap(dest, vw, vh));
    UniqueBitmap mask(::CreateBitmap(vw, vh, 1, 1, nullptr));
    if (!color || !mask) return false;
    MemoryDc sourceDc(dest), colorDc(dest), maskDc(dest);
    if (!sourceDc || !colorDc || !maskDc) return false;
    sourceDc.Select(source);
    colorDc.Select(color.Get());
    maskDc.Select(mask.Get());

    // Plain copies of pixels: a blend would turn white edges into near-white
    // ones that no longer match the see-through colour.
    ::SetStretchBltMode(colorDc.Get(), COLORONCOLOR);
    bool ok;
    if (across.landSize == across.srcSize && down.landSize == down.srcSize) {
        ok = ::BitBlt(colorDc.Get(), across.landOffset, down.landOffset, across.landSize, down.landSize,
                      sourceDc.Get(), across.srcStart, down.srcStart, SRCCOPY);
    } else {
        ok = ::StretchBlt(colorDc.Get(), across.landOffset, down.landOffset, across.landSize, down.landSize,
                          sourceDc.Get(), across.srcStart, down.srcStart, across.srcSize, down.srcSize,
                          SRCCOPY);
    }
    // Mask: 1 where the picture is see-through.
    ::SetBkColor(colorDc.Get(), transparent);
    ok = ok && ::BitBlt(maskDc.Get(), 0, 0, vw, vh, colorDc.Get(), 0, 0, SRCCOPY);
    // Black out the see-through pixels of the picture.
    ::SetBkColor(colorDc.Get(), RGB(0, 0, 0));
    ::SetTextColor(colorDc.Get(), RGB(255, 255, 255));
    ok = ok && ::BitBlt(colorDc.Get(), 0, 0, vw, vh, maskDc.Get(), 0, 0, SRCAND);
    // Clear the opaque area of the destination, then lay the picture into it.
    const COLORREF oldBack = ::SetBkColor(dest, RGB(255, 255, 255));
    const COLORREF oldText = ::SetTextColor(dest, RGB(0, 0, 0));
    ok = ok && ::BitBlt(dest, across.visibleStart, down.visibleStart, vw, vh, maskDc.Get(), 0, 0, SRCAND);
    ok = ok && ::BitBlt(dest, across.visibleStart, down.visibleStart, vw, vh, colorDc.Get(), 0, 0, SRCPAINT);
    ::SetBkColor(dest, oldBack);
    ::SetTextColor(dest, oldText);
    return ok;
}

void PaintPageBackground(HDC dc, const RECT& client, const WindowSkin& window,
                         const std::array<ImageSkin, 2>& images, HBITMAP picture0, HBITMAP picture1)
{
    UniqueBrush fill(::CreateSolidBrush(window.clrbk & 0xFFFFFF));
    if (fill) ::FillRect(dc, &client, fill.Get());
    const HBITMAP pictures[2] = {picture0, picture1};
    for (size_t i = 0; i < images.size(); ++i) {
        const ImageSkin& image = images[i];
        if (!pictures[i] || !image.show || image.rect.Empty()) continue;
        BITMAP info = {};
        if (!::GetObject(pictures[i], sizeof info, &info)) continue;
        DrawTransparentStretched(dc, image.rect.left, image.rect.top, ClampToInt(image.rect.Width()),
                                 ClampToInt(image.rect.Height()), pictures[i], 0, 0, info.bmWidth,
                                 std::abs(info.bmHeight), RGB(255, 255, 255));
    }
}

}  // namespace quibo
