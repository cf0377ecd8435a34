// The thread rule of the wizard's pages.
//
// A page's long work (a download, an installation) runs on a worker thread,
// and three rules keep the two threads from hurting each other:
//
//  1. The worker never calls into a window or control and never waits for
//     the UI thread. It reports by posting a message to its page (small values
//     in wParam and lParam) or by pushing onto a ReportQueue that the page
//     drains when the queue's notification arrives. PostMessage never blocks,
//     and a message posted to a window that has gone is simply dropped.
//  2. The page owns its worker (a PageWorker member) and applies the reports
//     on its own thread: all window state is touched by one thread only.
//  3. A worker that throws (memory exhaustion included) does not end the
//     process: the exception is logged and the page's "if thrown" ending
//     runs on the worker's thread instead of the end the body would have
//     posted, so the page fails its stage and the run goes on to its end.
//  4. The page never goes away while its worker runs. Before it is destroyed
//     it calls StopAndWait: the stop flag is raised, the stop hook unblocks a
//     call that may block (for example closing the internet handles of a read),
//     and the page waits for the thread while still dispatching messages, so
//     that nothing the worker reports to is freed under it.
#pragma once

#include <windows.h>

#include <atomic>
#include <functional>

#include "win/scoped_handle.h"
#include "win/thread_checker.h"

namespace quibo {

// What the worker sees of a stop request: it polls Requested() between steps.
class StopSignal {
public:
    bool Requested() const { return requested_.load(std::memory_order_acquire); }
    void Raise() { requested_.store(true, std::memory_order_release); }
    void Clear() { requested_.store(false, std::memory_order_release); }

private:
    std::atomic<bool> requested_{false};
};

class PageWorker {
public:
    using Body = std::function<void(const StopSignal& stop)>;
    // Posts the page's "ended, failed" report; must not throw.
    using Ending = std::function<void()>;

    PageWorker() = default;
    ~PageWorker();  // stops and waits, as StopAndWait
    PageWorker(const PageWorker&) = delete;
    PageWorker& operator=(const PageWorker&) = delete;

    // Runs `body` on a new thread; when it throws, `ifThrown` runs there
    // after the exception is logged. False when a worker still runs or the
    // thread cannot be created. UI thread only.
    bool Start(Body body, Ending ifThrown);

    // Called on the UI thread by StopAndWait after the flag is raised: it must
    // make a blocked call of the worker return (close a handle, set an event).
    void SetStopHook(std::function<void()> hook);

    // Raises the stop flag, runs the stop hook, and waits for the thread while
    // dispatching messages. True when no worker runs any more. UI thread only.
    bool StopAndWait(DWORD timeoutMs = INFINITE);

    // Waits, dispatching messages, for a worker that ends by itself.
    bool Wait(DWORD timeoutMs = INFINITE);

    bool IsRunning() const;

private:
    static unsigned __stdcall ThreadMain(void* self);

    Body body_;
    Ending ifThrown_;
    std::function<void()> stopHook_;
    StopSignal stop_;
    UniqueHandle thread_;
    ThreadChecker owner_;  // the page's thread: the only one that starts, stops and waits
};

}  // namespace quibo
