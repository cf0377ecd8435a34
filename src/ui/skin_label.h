// A skinned label: a static control of a wizard page that paints its own text
// in the skin's font and colours, over the page's background when it is
// transparent, and that can be a hyperlink with a hover look.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "core/config/ui_skin.h"
#include "win/gdi_objects.h"

namespace quibo {

class CSkinLabel {
public:
    // Hands an address to the shell; replaceable so that a test can watch.
    using LinkOpener = std::function<void(HWND label, const std::string& url)>;

    CSkinLabel();
    ~CSkinLabel();  // removes the subclass and gives the control its own painting back
    CSkinLabel(const CSkinLabel&) = delete;
    CSkinLabel& operator=(const CSkinLabel&) = delete;

    // Subclasses the static control and takes over its text and font. False
    // when the window does not exist or a control is already attached.
    bool Attach(HWND control);
    HWND Window() const { return window_; }
    const std::string& Text() const { return text_; }
    const std::string& Url() const { return url_; }
    COLORREF TextColor() const { return textColor_; }
    bool IsLink() const { return hoverFont_.IsValid(); }
    bool Hovering() const { return hovering_; }
    HFONT CurrentFont() const;

    void MakeTransparent(bool on);
    void ChangeText(const std::string& text);
    void ChangeTextColor(COLORREF color);
    // A font from the face and the values above 0 (italic, underline: non-zero);
    // the rest is left to the font mapper.
    void ApplyFontValues(const std::string& face, int height, int weight, int italic, int underline,
                         bool redraw);
    void MakeLink(const std::string& text, const std::string& url);
    // The link's fonts: the control's font with the values of ApplyFontValues,
    // underlined as asked for the normal and the hover look.
    void ApplyLinkColors(COLORREF normal, int normalUnderline, COLORREF hover, int hoverUnderline);
    void DropLink();
    void SetLinkOpener(LinkOpener opener) { opener_ = std::move(opener); }

    // Paints the label into `dc` (label client coordinates) for the part `area`.
    void Paint(HDC dc, const RECT& area);

private:
    struct FontValues {
        int height = 0, weight = 0, italic = 0, underline = 0;
    };

    static LRESULT CALLBACK SubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                         DWORD_PTR self);
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void OnPaint();
    void OnMouseMove(POINT point);
    void OnLeftButtonDown();
    void Hover(bool on);
    void CopyFont(HFONT from);
    void Redraw();
    void Detach();
    void DrawBackground(HDC dc, const RECT& area);
    void DrawLines(HDC dc, const RECT& area);

    HWND window_ = nullptr;
    std::string url_;
    std::string text_;
    bool transparent_ = false;
    COLORREF textColor_;
    COLORREF backColor_;
    UniqueBrush backBrush_;
    COLORREF normalColor_ = 0;
    COLORREF hoverColor_ = 0;
    FontValues fontValues_;
    UniqueFont font_;
    UniqueFont normalFont_;
    UniqueFont hoverFont_;  // exists exactly while the label is a link
    bool hovering_ = false;
    LONG_PTR savedStyle_ = 0;  // the style before the label took over painting
    bool settingText_ = false;
    LinkOpener opener_;
};

// Applies one label's skin. An empty rectangle leaves the label as the dialog
// template made it; otherwise the label becomes a link (a skin address) or a
// plain text, and moves to the rectangle.
void ApplyStaticSkin(CSkinLabel& label, const StaticSkin& skin);

}  // namespace quibo
