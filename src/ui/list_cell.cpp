#include "ui/list_cell.h"

#include <algorithm>

#include "core/text/percent_text.h"
#include "win/gdi_objects.h"

namespace quibo {

namespace {

void Fill(HDC dc, const RECT& box, COLORREF color)
{
    if (box.right <= box.left || box.bottom <= box.top) return;
    ::SetBkColor(dc, color);
    ::ExtTextOutA(dc, 0, 0, ETO_OPAQUE, &box, nullptr, 0, nullptr);
}

// Top and left edges in `topLeft`, bottom and right edges in `bottomRight`.
void Frame3d(HDC dc, const RECT& box, COLORREF topLeft, COLORREF bottomRight)
{
    Fill(dc, RECT{box.left, box.top, box.right - 1, box.top + 1}, topLeft);
    Fill(dc, RECT{box.left, box.top, box.left + 1, box.bottom - 1}, topLeft);
    Fill(dc, RECT{box.right - 1, box.top, box.right, box.bottom}, bottomRight);
    Fill(dc, RECT{box.left, box.bottom - 1, box.right, box.bottom}, bottomRight);
}

void DrawClippedText(HDC dc, const std::string& text, RECT box, const RECT& clip, COLORREF color)
{
    SavedDc saved(dc);
    ::IntersectClipRect(dc, clip.left, clip.top, clip.right, clip.bottom);
    ::SetTextColor(dc, color);
    ::DrawTextA(dc, text.data(), static_cast<int>(text.size()), &box,
                DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
}

}  // namespace

ListColors ListColors::FromSystem()
{
    return ListColors{::GetSysColor(COLOR_WINDOWTEXT), ::GetSysColor(COLOR_WINDOW),
                      ::GetSysColor(COLOR_BTNSHADOW), ::GetSysColor(COLOR_HIGHLIGHT),
                      ::GetSysColor(COLOR_HIGHLIGHTTEXT)};
}

void DrawProgressCell(HDC dc, const RECT& cell, const ListCell& data, const ListColors& colors)
{
    if (::IsRectEmpty(&cell)) return;
    SavedDc saved(dc);
    ::IntersectClipRect(dc, cell.left, cell.top, cell.right, cell.bottom);
    Fill(dc, cell, data.backColor);
    const RECT bar = {cell.left + 1, cell.top + 5, cell.right, cell.bottom - 1};
    if (bar.right <= bar.left || bar.bottom <= bar.top) return;
    Fill(dc, bar, RGB(224, 224, 224));
    Frame3d(dc, bar, RGB(0, 0, 0), colors.frame);
    const int value = std::min(data.progressValue, 100);
    if (value <= 0) return;
    const int width = bar.right - bar.left;
    const RECT filled = {bar.left + 1, bar.top + 1, bar.left + (width - 1) * value / 100, bar.bottom - 1};
    Fill(dc, filled, colors.fill);
    if (!data.progressText) return;
    const std::string text = FormatProgressText(data.progressFormat, value);
    RECT textBox = bar;
    ::InflateRect(&textBox, -1, -1);
    ::SetBkMode(dc, TRANSPARENT);
    DrawClippedText(dc, text, textBox, filled, colors.fillText);
    DrawClippedText(dc, text, textBox, RECT{filled.right, bar.top, bar.right, bar.bottom}, data.textColor);
}

void DrawCheckCell(HDC dc, const RECT& cell, const ListCell& data, const std::string& text)
{
    if (::IsRectEmpty(&cell)) return;
    SavedDc saved(dc);
    ::IntersectClipRect(dc, cell.left, cell.top, cell.right, cell.bottom);
    Fill(dc, cell, data.backColor);
    const int side = std::min<int>(13, cell.bottom - cell.top - 2);
    if (side <= 0) return;
    RECT box = {cell.left + 3, cell.top + (cell.bottom - cell.top - side) / 2, 0, 0};
    box.right = box.left + side;
    box.bottom = box.top + side;
    ::DrawFrameControl(dc, &box, DFC_BUTTON,
                       DFCS_BUTTONCHECK | DFCS_FLAT | (data.check == 1 ? DFCS_CHECKED : 0));
    RECT textBox = {box.right + 4, cell.top, cell.right - 2, cell.bottom};
    ::SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(dc, data.textColor);
    ::DrawTextA(dc, text.data(), static_cast<int>(text.size()), &textBox,
                DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS);
}

}  // namespace quibo
