#include "ui/preview_animation.h"

#include "ui/wizard_messages.h"

namespace quibo {

PreviewAnimation::PreviewAnimation()
    : wake_(::CreateEventA(nullptr, TRUE, FALSE, nullptr)), resume_(::CreateEventA(nullptr, FALSE, FALSE, nullptr))
{
    worker_.SetStopHook([this] {
        ::SetEvent(wake_.Get());
        ::SetEvent(resume_.Get());
    });
}

bool PreviewAnimation::Start(HWND page, const std::atomic<bool>& paused)
{
    if (!wake_ || !resume_) return false;
    return worker_.Start([this, page, &paused](const StopSignal& stop) { Run(page, paused, stop); },
                         [page] { ::PostMessageA(page, kPagePreviewStep, kPreviewDone, 0); });
}

void PreviewAnimation::Resume() { ::SetEvent(resume_.Get()); }

void PreviewAnimation::Run(HWND page, const std::atomic<bool>& paused, const StopSignal& stop)
{
    for (WPARAM step = 0; step <= kPreviewLastStep; ++step) {
        ::PostMessageA(page, kPagePreviewStep, step, 0);
        ::WaitForSingleObject(wake_.Get(), kPreviewStepMs);
        while (paused.load() && !stop.Requested()) ::WaitForSingleObject(resume_.Get(), INFINITE);
        if (stop.Requested()) return;
    }
    ::PostMessageA(page, kPagePreviewStep, kPreviewDone, 0);
}

}  // namespace quibo
