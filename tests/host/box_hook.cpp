// A window hook the host program installs for every process of its Wine
// prefix: when a message box is being set up it keeps the style the program
// asked for (MB_YESNO | MB_ICONQUESTION | MB_TOPMOST ...) as the property
// "QuiboBoxStyle" of the box (with bit 31 set, so that style 0 shows too).
// The host reads it from there: some of the style leaves no trace on the
// window that another process could see (Wine, for one, does not make a
// MB_TOPMOST box topmost).
#include <windows.h>

extern "C" __declspec(dllexport) LRESULT CALLBACK BoxHookProc(int code, WPARAM wParam, LPARAM lParam)
{
    const auto* sent = reinterpret_cast<const CWPSTRUCT*>(lParam);
    if (code == HC_ACTION && sent && sent->message == WM_INITDIALOG && sent->lParam) {
        char cls[16] = {};
        ::GetClassNameA(sent->hwnd, cls, sizeof cls);
        // A message box gets its parameters (MSGBOXPARAMSW first) with WM_INITDIALOG;
        // other dialogs get whatever their program passes, so the record is checked.
        const auto* box = reinterpret_cast<const MSGBOXPARAMSW*>(sent->lParam);
        if (lstrcmpA(cls, "#32770") == 0 && ::GetDlgItem(sent->hwnd, 0xFFFF) &&
            !::IsBadReadPtr(box, sizeof *box) && box->cbSize == sizeof *box)
            ::SetPropA(sent->hwnd, "QuiboBoxStyle",
                       reinterpret_cast<HANDLE>(static_cast<UINT_PTR>(box->dwStyle | 0x80000000u)));
    }
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}
