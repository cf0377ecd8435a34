#include "win/message_wait.h"

namespace quibo {

bool WaitPumpingMessages(HANDLE object, DWORD timeoutMs)
{
    const ULONGLONG start = ::GetTickCount64();
    bool quitSeen = false;
    WPARAM quitCode = 0;
    bool signalled = false;
    for (;;) {
        DWORD wait = INFINITE;
        if (timeoutMs != INFINITE) {
            const ULONGLONG elapsed = ::GetTickCount64() - start;
            if (elapsed >= timeoutMs) break;
            wait = static_cast<DWORD>(timeoutMs - elapsed);
        }
        // MWMO_INPUTAVAILABLE: messages already seen by an earlier peek still wake us.
        const DWORD r = ::MsgWaitForMultipleObjectsEx(1, &object, wait, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
        if (r == WAIT_OBJECT_0) {
            signalled = true;
            break;
        }
        if (r != WAIT_OBJECT_0 + 1) break;  // time-out or failure
        MSG msg;
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) {
                quitSeen = true;
                quitCode = msg.wParam;
                continue;
            }
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
    }
    if (quitSeen) ::PostQuitMessage(static_cast<int>(quitCode));
    return signalled;
}

}  // namespace quibo
