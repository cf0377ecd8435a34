#include "ui/wizard.h"

#include "ui/main_window.h"

namespace quibo {

bool RunWizard(WizardState& state)
{
    CMainDlg frame(state);
    if (!frame.Create()) return false;

    MSG msg;
    BOOL got = 0;
    while (!frame.Ended() && (got = ::GetMessageA(&msg, nullptr, 0, 0)) > 0) {
        if (msg.message == WM_KEYDOWN && msg.wParam == VK_ESCAPE) continue;
        HWND page = frame.CurrentPageWindow();
        if (page && ::IsDialogMessageA(page, &msg)) continue;
        if (::IsDialogMessageA(frame.Window(), &msg)) continue;
        ::TranslateMessage(&msg);
        ::DispatchMessageA(&msg);
    }
    // A quit request belongs to whoever runs the loop after us.
    if (got == 0) ::PostQuitMessage(static_cast<int>(msg.wParam));
    return frame.Ended() && frame.Result() != IDCANCEL;
}

}  // namespace quibo
