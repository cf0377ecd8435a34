// The preview run's stand-in for the work of the download and update pages:
// eleven steps of 250 ms on a worker of the page, reported to the page as
// kPagePreviewStep (wParam the step 0 to 10, then kPreviewDone). Nothing is
// downloaded or installed. While the page says it is paused the steps wait.
#pragma once

#include <windows.h>

#include <atomic>

#include "ui/page_worker.h"
#include "win/scoped_handle.h"

namespace quibo {

constexpr WPARAM kPreviewLastStep = 10;
constexpr WPARAM kPreviewDone = kPreviewLastStep + 1;
constexpr DWORD kPreviewStepMs = 250;

class PreviewAnimation {
public:
    PreviewAnimation();
    ~PreviewAnimation() { StopAndWait(); }

    // `paused` belongs to the page and outlives the animation.
    bool Start(HWND page, const std::atomic<bool>& paused);
    // The page was paused and goes on.
    void Resume();
    void StopAndWait() { worker_.StopAndWait(); }

private:
    void Run(HWND page, const std::atomic<bool>& paused, const StopSignal& stop);

    PageWorker worker_;
    UniqueHandle wake_;    // manual reset: set when the page stops the animation
    UniqueHandle resume_;  // auto reset: set when a paused page goes on
};

}  // namespace quibo
