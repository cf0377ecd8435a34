// How a skinned label paints: off screen, over the page's background or its
// own colour, its text wrapped to the label's width.
#include <algorithm>
#include <string>
#include <string_view>

#include "core/text/line_wrap.h"
#include "ui/skin_label.h"
#include "win/system_code_page.h"

namespace quibo {

namespace {

// Widths of a growing line. The wrapper measures the line so far plus one
// character each time; the width of the part measured last is remembered, so
// a long line costs one character's measuring per step, not the whole line's.
class LineMeasure {
public:
    explicit LineMeasure(HDC dc) : dc_(dc) {}

    int operator()(std::string_view text)
    {
        long long width;
        if (!last_.empty() && text.size() >= last_.size() && text.compare(0, last_.size(), last_) == 0) {
            width = lastWidth_ + Extent(text.substr(last_.size()));
        } else {
            width = Extent(text);
        }
        last_.assign(text.data(), text.size());
        lastWidth_ = width;
        return static_cast<int>(std::min<long long>(width, 0x7FFFFFFF));
    }

private:
    long long Extent(std::string_view text) const
    {
        SIZE size = {};
        if (text.empty()) return 0;
        ::GetTextExtentPoint32A(dc_, text.data(), static_cast<int>(text.size()), &size);
        return size.cx;
    }

    HDC dc_;
    std::string last_;
    long long lastWidth_ = 0;
};

UINT AlignmentFormat(LONG_PTR style, const std::string& text)
{
    UINT format = DT_SINGLELINE | DT_NOCLIP;
    switch (style & SS_TYPEMASK) {
    case SS_CENTER: format |= DT_CENTER; break;
    case SS_RIGHT: format |= DT_RIGHT; break;
    default: format |= DT_LEFT; break;
    }
    if (style & SS_NOPREFIX) format |= DT_NOPREFIX;
    if (text.find('\t') != std::string::npos) format |= DT_EXPANDTABS;
    return format;
}

}  // namespace

void CSkinLabel::Paint(HDC target, const RECT& area)
{
    const int width = area.right - area.left, height = area.bottom - area.top;
    if (!window_ || !target || width <= 0 || height <= 0) return;
    UniqueBitmap canvas(::CreateCompatibleBitmap(target, width, height));
    MemoryDc memory(target);
    if (!canvas || !memory) return;
    memory.Select(canvas.Get());
    // Drawn in the label's client coordinates; the canvas holds `area` only.
    ::SetViewportOrgEx(memory.Get(), -area.left, -area.top, nullptr);
    DrawBackground(memory.Get(), area);
    DrawLines(memory.Get(), area);
    ::SetViewportOrgEx(memory.Get(), 0, 0, nullptr);
    ::BitBlt(target, area.left, area.top, width, height, memory.Get(), 0, 0, SRCCOPY);
}

void CSkinLabel::DrawBackground(HDC dc, const RECT& area)
{
    ::FillRect(dc, &area, backBrush_.Get());
    const HWND parent = ::GetParent(window_);
    if (!transparent_ || !parent) return;
    // The page paints its background into the canvas, shifted so that the
    // part under the label lands on it.
    POINT origin = {0, 0};
    ::MapWindowPoints(window_, parent, &origin, 1);
    SavedDc saved(dc);
    ::OffsetViewportOrgEx(dc, -origin.x, -origin.y, nullptr);
    ::SendMessageA(parent, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
}

void CSkinLabel::DrawLines(HDC dc, const RECT& area)
{
    RECT client;
    ::GetClientRect(window_, &client);
    SavedDc saved(dc);
    ::SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(dc, textColor_);
    HFONT font = CurrentFont();
    ::SelectObject(dc, font ? static_cast<HGDIOBJ>(font) : ::GetStockObject(DEFAULT_GUI_FONT));
    TEXTMETRICA metrics = {};
    ::GetTextMetricsA(dc, &metrics);
    const long long lineHeight = std::max<LONG>(metrics.tmHeight, 1);

    LineMeasure measure(dc);
    const std::vector<std::string> lines =
        WrapLines(text_, client.right - client.left, std::ref(measure), SystemLeadBytes());
    long long top = client.top;
    if (savedStyle_ & SS_CENTERIMAGE)
        top += (client.bottom - client.top - lineHeight * static_cast<long long>(lines.size())) / 2;
    const UINT format = AlignmentFormat(savedStyle_, text_);
    for (size_t i = 0; i < lines.size(); ++i) {
        const long long lineTop = top + lineHeight * static_cast<long long>(i);
        if (lineTop >= area.bottom) break;
        if (lineTop + lineHeight <= area.top) continue;
        RECT box = {client.left, static_cast<LONG>(lineTop), client.right,
                    static_cast<LONG>(lineTop + lineHeight)};
        ::DrawTextA(dc, lines[i].data(), static_cast<int>(lines[i].size()), &box, format);
    }
}

}  // namespace quibo
