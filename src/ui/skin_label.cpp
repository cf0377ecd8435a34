#include "ui/skin_label.h"

#include <windowsx.h>
#include <commctrl.h>
#include <shellapi.h>

#include <algorithm>
#include <climits>

#include "core/text/code_page.h"
#include "core/text/link_address.h"
#include "win/system_code_page.h"

namespace quibo {

namespace {

constexpr UINT_PTR kSubclassId = 1;
// Marks a control that a label has taken over: one label per control.
constexpr char kLabelProperty[] = "QuiboSkinLabel";

// The control's font, or the stock fonts a static falls back to.
HFONT FontOrStock(HFONT font)
{
    if (font) return font;
    if (HGDIOBJ gui = ::GetStockObject(DEFAULT_GUI_FONT)) return static_cast<HFONT>(gui);
    return static_cast<HFONT>(::GetStockObject(ANSI_VAR_FONT));
}

LOGFONTA FontDescription(HFONT font)
{
    LOGFONTA description = {};
    ::GetObjectA(FontOrStock(font), sizeof description, &description);
    return description;
}

std::string ReadWindowText(HWND window)
{
    const int length = ::GetWindowTextLengthA(window);
    if (length <= 0) return std::string();
    std::string text(static_cast<size_t>(length) + 1, '\0');
    const int copied = ::GetWindowTextA(window, &text[0], length + 1);
    text.resize(static_cast<size_t>(std::max(copied, 0)));
    return text;
}

void OpenWithShell(HWND label, const std::string& url)
{
    ::ShellExecuteA(label, "open", url.c_str(), nullptr, nullptr, SW_SHOW);
}

}  // namespace

CSkinLabel::CSkinLabel()
    : textColor_(::GetSysColor(COLOR_WINDOWTEXT)),
      backColor_(::GetSysColor(COLOR_BTNFACE)),
      backBrush_(::CreateSolidBrush(backColor_)),
      opener_(OpenWithShell)
{
}

CSkinLabel::~CSkinLabel()
{
    if (!window_) return;
    if (hovering_ && ::GetCapture() == window_) ::ReleaseCapture();
    const HWND window = window_;
    Detach();
    // The control paints itself again, as its template made it.
    const LONG_PTR style = ::GetWindowLongPtrA(window, GWL_STYLE);
    ::SetWindowLongPtrA(window, GWL_STYLE, (style & ~SS_TYPEMASK) | (savedStyle_ & SS_TYPEMASK));
    ::InvalidateRect(window, nullptr, TRUE);
}

bool CSkinLabel::Attach(HWND control)
{
    if (window_ || !::IsWindow(control) || ::GetPropA(control, kLabelProperty)) return false;
    if (!::SetWindowSubclass(control, SubclassProc, kSubclassId, reinterpret_cast<DWORD_PTR>(this)))
        return false;
    ::SetPropA(control, kLabelProperty, reinterpret_cast<HANDLE>(this));
    window_ = control;
    savedStyle_ = ::GetWindowLongPtrA(control, GWL_STYLE);
    // Owner-drawn: the static's own painting (which some of its messages do
    // at once, outside WM_PAINT) draws nothing over the label.
    ::SetWindowLongPtrA(control, GWL_STYLE, (savedStyle_ & ~SS_TYPEMASK) | SS_OWNERDRAW);
    CopyFont(reinterpret_cast<HFONT>(::SendMessageA(control, WM_GETFONT, 0, 0)));
    text_ = ReadWindowText(control);
    ::InvalidateRect(control, nullptr, TRUE);
    return true;
}

void CSkinLabel::Detach()
{
    ::RemoveWindowSubclass(window_, SubclassProc, kSubclassId);
    ::RemovePropA(window_, kLabelProperty);
    window_ = nullptr;
    hovering_ = false;
}

HFONT CSkinLabel::CurrentFont() const
{
    if (IsLink()) return hovering_ ? hoverFont_.Get() : normalFont_.Get();
    return font_.Get();
}

void CSkinLabel::CopyFont(HFONT from)
{
    const LOGFONTA description = FontDescription(from);
    font_.Reset(::CreateFontIndirectA(&description));
}

void CSkinLabel::Redraw()
{
    // A transparent label paints the page's background under its text itself
    // (Paint), so invalidating the label alone redraws it whole.
    if (window_) ::InvalidateRect(window_, nullptr, FALSE);
}

void CSkinLabel::MakeTransparent(bool on)
{
    transparent_ = on;
    if (window_) {
        const LONG_PTR exStyle = ::GetWindowLongPtrA(window_, GWL_EXSTYLE);
        ::SetWindowLongPtrA(window_, GWL_EXSTYLE,
                            on ? (exStyle | WS_EX_TRANSPARENT) : (exStyle & ~LONG_PTR(WS_EX_TRANSPARENT)));
    }
    Redraw();
}

void CSkinLabel::ChangeText(const std::string& text)
{
    text_ = text;
    if (window_) {
        // The window keeps the same text, for whoever reads it back.
        settingText_ = true;
        ::SetWindowTextA(window_, text.c_str());
        settingText_ = false;
    }
    Redraw();
}

void CSkinLabel::ChangeTextColor(COLORREF color)
{
    textColor_ = color;
    Redraw();
}

void CSkinLabel::ApplyFontValues(const std::string& face, int height, int weight, int italic, int underline,
                                 bool redraw)
{
    LOGFONTA description = {};
    const std::string_view name = HeadWithin(face, LF_FACESIZE - 1, SystemLeadBytes());
    std::copy(name.begin(), name.end(), description.lfFaceName);
    if (height > 0) description.lfHeight = height;
    if (weight > 0) description.lfWeight = weight;
    description.lfItalic = italic != 0 ? TRUE : FALSE;
    description.lfUnderline = underline != 0 ? TRUE : FALSE;
    // The font mapper picks a face that has the system's characters.
    description.lfCharSet = DEFAULT_CHARSET;
    fontValues_ = FontValues{height, weight, italic, underline};
    font_.Reset(::CreateFontIndirectA(&description));
    if (redraw) Redraw();
}

void CSkinLabel::MakeLink(const std::string& text, const std::string& url)
{
    url_ = url;
    savedStyle_ |= SS_NOTIFY;
    if (window_) ::SetWindowLongPtrA(window_, GWL_STYLE, ::GetWindowLongPtrA(window_, GWL_STYLE) | SS_NOTIFY);
    ChangeText(text);
}

void CSkinLabel::ApplyLinkColors(COLORREF normal, int normalUnderline, COLORREF hover, int hoverUnderline)
{
    normalColor_ = normal;
    hoverColor_ = hover;
    HFONT controlFont =
        window_ ? reinterpret_cast<HFONT>(::SendMessageA(window_, WM_GETFONT, 0, 0)) : nullptr;
    LOGFONTA description = FontDescription(controlFont);
    if (fontValues_.height > 0) description.lfHeight = fontValues_.height;
    if (fontValues_.weight > 0) description.lfWeight = fontValues_.weight;
    description.lfItalic = fontValues_.italic != 0 ? TRUE : FALSE;
    description.lfUnderline = normalUnderline != 0 ? TRUE : FALSE;
    normalFont_.Reset(::CreateFontIndirectA(&description));
    font_.Reset(::CreateFontIndirectA(&description));
    description.lfUnderline = hoverUnderline != 0 ? TRUE : FALSE;
    hoverFont_.Reset(::CreateFontIndirectA(&description));
    textColor_ = hovering_ ? hover : normal;
    Redraw();
}

void CSkinLabel::DropLink()
{
    if (hovering_) {
        hovering_ = false;
        if (::GetCapture() == window_) ::ReleaseCapture();
    }
    normalFont_.Reset();
    hoverFont_.Reset();
    Redraw();
}

void CSkinLabel::Hover(bool on)
{
    if (hovering_ == on) return;
    hovering_ = on;
    textColor_ = on ? hoverColor_ : normalColor_;
    if (on) {
        ::SetCapture(window_);  // to see the pointer leave
    } else if (::GetCapture() == window_) {
        ::ReleaseCapture();
    }
    Redraw();
}

void CSkinLabel::OnMouseMove(POINT point)
{
    ::SetCursor(::LoadCursor(nullptr, IsLink() ? IDC_HAND : IDC_ARROW));
    if (!IsLink()) return;
    RECT client;
    ::GetClientRect(window_, &client);
    const bool inside = ::PtInRect(&client, point) != FALSE;
    if (!hovering_ && inside) {
        Hover(true);
    } else if (hovering_ && !inside) {
        Hover(false);
    }
}

void CSkinLabel::OnLeftButtonDown()
{
    if (!IsLink() || url_.empty()) return;
    Hover(false);
    // A skin comes from the server: only web and mail addresses are opened.
    if (IsOpenableLink(url_) && opener_) opener_(window_, url_);
}

void CSkinLabel::OnPaint()
{
    PAINTSTRUCT paint;
    HDC dc = ::BeginPaint(window_, &paint);
    if (!dc) return;
    RECT client, area;
    ::GetClientRect(window_, &client);
    // Only the part to repaint is drawn: a label moved to a huge skin
    // rectangle still needs no more memory than the screen shows.
    if (::IntersectRect(&area, &paint.rcPaint, &client)) Paint(dc, area);
    ::EndPaint(window_, &paint);
}

LRESULT CSkinLabel::OnMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_PAINT: OnPaint(); return 0;
    case WM_PRINTCLIENT: {
        RECT client;
        ::GetClientRect(window_, &client);
        Paint(reinterpret_cast<HDC>(wParam), client);
        return 0;
    }
    case WM_ERASEBKGND: return 1;  // Paint covers every pixel
    case WM_SIZE: Redraw(); break;
    case WM_SETTEXT: {
        const LRESULT result = ::DefSubclassProc(window_, message, wParam, lParam);
        if (!settingText_) {
            text_ = ReadWindowText(window_);
            Redraw();
        }
        return result;
    }
    case WM_SETFONT: {
        const LRESULT result = ::DefSubclassProc(window_, message, wParam, lParam);
        CopyFont(reinterpret_cast<HFONT>(wParam));
        Redraw();
        return result;
    }
    case WM_NCHITTEST:
        if (IsLink()) return HTCLIENT;  // a static without SS_NOTIFY lets the mouse through
        break;
    case WM_SETCURSOR:
        if (IsLink()) {
            ::SetCursor(::LoadCursor(nullptr, IDC_HAND));
            return TRUE;
        }
        break;
    case WM_MOUSEMOVE: OnMouseMove(POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)}); break;
    case WM_CAPTURECHANGED:
        if (hovering_ && reinterpret_cast<HWND>(lParam) != window_) Hover(false);
        break;
    case WM_LBUTTONDOWN: OnLeftButtonDown(); break;
    default: break;
    }
    return ::DefSubclassProc(window_, message, wParam, lParam);
}

LRESULT CALLBACK CSkinLabel::SubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                          DWORD_PTR self)
{
    CSkinLabel* label = reinterpret_cast<CSkinLabel*>(self);
    if (message == WM_NCDESTROY) {
        label->Detach();
        return ::DefSubclassProc(window, message, wParam, lParam);
    }
    return label->OnMessage(message, wParam, lParam);
}

void ApplyStaticSkin(CSkinLabel& label, const StaticSkin& skin)
{
    if (skin.rect.Empty()) return;  // the template's text, place and font stay
    if (!skin.url.empty()) {
        label.MakeLink(skin.text, skin.url);
        label.ApplyFontValues("", skin.fontsize, skin.fontweight, skin.fontitalic, skin.norUnderline, true);
        label.ApplyLinkColors(skin.clrnormal & 0xFFFFFF, skin.norUnderline, skin.clrHover & 0xFFFFFF,
                              skin.hovUnderline);
    } else {
        label.ChangeText(skin.text);
        label.ChangeTextColor(skin.clrtext & 0xFFFFFF);
        label.ApplyFontValues("", skin.fontsize, skin.fontweight, skin.fontitalic, skin.fontunderline, true);
        label.DropLink();
    }
    if (label.Window()) {
        const auto side = [](long long length) {
            return static_cast<int>(std::min<long long>(length, INT_MAX));
        };
        ::MoveWindow(label.Window(), skin.rect.left, skin.rect.top, side(skin.rect.Width()),
                     side(skin.rect.Height()), TRUE);
    }
}

}  // namespace quibo
