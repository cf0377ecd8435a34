// Waiting on the UI thread without freezing it.
#pragma once

#include <windows.h>

namespace quibo {

// Waits until `object` is signalled, dispatching every message that reaches
// this thread meanwhile, so that windows keep painting and a worker's posted
// reports are drained instead of piling up. A WM_QUIT seen while waiting is
// posted again afterwards, so the caller's own loop still ends.
// Returns false when `timeoutMs` passed first or the wait failed.
bool WaitPumpingMessages(HANDLE object, DWORD timeoutMs = INFINITE);

}  // namespace quibo
