#include "ui/tinted_edit.h"

#include <algorithm>

namespace quibo {

CTintedEdit::CTintedEdit()
    : backColor_(::GetSysColor(COLOR_WINDOW)), backBrush_(::CreateSolidBrush(backColor_))
{
}

bool CTintedEdit::Attach(HWND edit)
{
    if (window_ || !::IsWindow(edit)) return false;
    window_ = edit;
    // A long run writes more than the 32K characters a box takes by default.
    ::SendMessageA(edit, EM_SETLIMITTEXT, 0, 0);
    return true;
}

void CTintedEdit::ChangeBackColor(COLORREF color)
{
    UniqueBrush brush(::CreateSolidBrush(color));
    if (!brush) return;
    backColor_ = color;
    backBrush_ = std::move(brush);
    if (window_) ::InvalidateRect(window_, nullptr, TRUE);
}

HBRUSH CTintedEdit::OnCtlColor(HDC dc)
{
    ::SetTextColor(dc, textColor_);
    ::SetBkColor(dc, backColor_);
    return backBrush_.Get();
}

void CTintedEdit::AppendLine(const std::string& text, int visibleLines) { AppendLines({text}, visibleLines); }

void CTintedEdit::AppendLines(const std::vector<std::string>& texts, int visibleLines)
{
    if (!window_ || texts.empty()) return;
    std::string line;
    for (const std::string& text : texts) line += text + "\r\n";
    const int end = ::GetWindowTextLengthA(window_);
    ::SendMessageA(window_, EM_SETSEL, static_cast<WPARAM>(end), static_cast<LPARAM>(end));
    ::SendMessageA(window_, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(line.c_str()));
    const int lines = static_cast<int>(::SendMessageA(window_, EM_GETLINECOUNT, 0, 0));
    const int visible = std::max(visibleLines, 1);
    if (lines <= visible) return;
    const int first = static_cast<int>(::SendMessageA(window_, EM_GETFIRSTVISIBLELINE, 0, 0));
    const int wanted = lines - visible;
    if (wanted != first) ::SendMessageA(window_, EM_LINESCROLL, 0, static_cast<LPARAM>(wanted - first));
}

}  // namespace quibo
