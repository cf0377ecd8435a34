// The read-only log box of the download and update pages: black text on a
// background colour the page chooses, new lines kept in view.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "win/gdi_objects.h"

namespace quibo {

class CTintedEdit {
public:
    CTintedEdit();

    bool Attach(HWND edit);
    HWND Window() const { return window_; }
    COLORREF BackColor() const { return backColor_; }
    void ChangeBackColor(COLORREF color);
    // The page's WM_CTLCOLORSTATIC (read-only box) and WM_CTLCOLOREDIT answer.
    HBRUSH OnCtlColor(HDC dc);
    // Appends text + "\r\n" and, when the box holds more than `visibleLines`
    // lines, scrolls so that the newest one shows.
    void AppendLine(const std::string& text, int visibleLines);
    // The same for several lines at once: one change of the box, however
    // many lines a busy worker reported since the last time.
    void AppendLines(const std::vector<std::string>& texts, int visibleLines);

private:
    HWND window_ = nullptr;
    COLORREF textColor_ = RGB(0, 0, 0);
    COLORREF backColor_;
    UniqueBrush backBrush_;
};

}  // namespace quibo
