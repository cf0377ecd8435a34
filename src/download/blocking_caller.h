// Running a blocking WinINet call on another thread, so that the caller can
// stop waiting for it.
//
// A synchronous WinINet call waits as long as the server keeps sending, even
// a byte at a time, and Wine's WinINet does not end such a call when its
// handle is closed from another thread. So a call that outlives its time is
// left behind: it finishes on its thread whenever WinINet lets go, and that
// thread then releases what the call holds. Closing its handles from here is
// not done: a closed handle's number can be handed out again to the next
// address while the call behind is about to use it.
//
// The thread comes from the process's thread pool and goes back to it when
// the caller is done: under Wine, starting a thread of one's own costs about
// ten milliseconds, more than a small file's whole transfer on a fast link.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>

namespace quibo {

class BlockingCaller {
public:
    BlockingCaller() = default;
    ~BlockingCaller();
    BlockingCaller(const BlockingCaller&) = delete;
    BlockingCaller& operator=(const BlockingCaller&) = delete;

    // Runs `call` on this caller's thread and waits up to `timeoutMs` for it.
    // False when it did not end in time (or no thread could be had): it runs
    // on, and from then on every Run answers false at once. What a call that
    // ended in time threw is thrown again here, on the caller's thread. Because it may
    // outlive the caller's frame, a call must own (by shared pointer or copy)
    // everything it touches.
    bool Run(std::function<void()> call, DWORD timeoutMs);

    // True once a call was left behind.
    bool LeftBehind() const { return leftBehind_; }

private:
    struct Shared;
    static void CALLBACK Serve(PTP_CALLBACK_INSTANCE instance, void* context);

    std::shared_ptr<Shared> shared_;
    bool leftBehind_ = false;
};

}  // namespace quibo
