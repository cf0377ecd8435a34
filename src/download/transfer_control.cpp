#include "download/transfer_control.h"

namespace quibo {

TransferControl::TransferControl() : pauseEvent_(::CreateEventA(nullptr, FALSE, FALSE, nullptr))
{
    LARGE_INTEGER frequency;
    ::QueryPerformanceFrequency(&frequency);
    inverseFrequency_ = frequency.QuadPart > 0 ? 1.0 / static_cast<double>(frequency.QuadPart) : 0;
}

void TransferControl::WaitIfPaused()
{
    // The flags decide, not the event: a wake-up left over from an earlier
    // Continue must not end a later pause, and Stop must end any pause.
    while (paused && !stop) ::WaitForSingleObject(pauseEvent_.Get(), INFINITE);
}

void TransferControl::Continue()
{
    paused = 0;
    ::SetEvent(pauseEvent_.Get());
}

void TransferControl::Stop()
{
    stop = 1;
    ::SetEvent(pauseEvent_.Get());
}

double TransferControl::ElapsedSeconds(LONGLONG startCount) const
{
    return static_cast<double>(Now() - startCount) * inverseFrequency_;
}

LONGLONG TransferControl::Now()
{
    LARGE_INTEGER count;
    ::QueryPerformanceCounter(&count);
    return count.QuadPart;
}

}  // namespace quibo
