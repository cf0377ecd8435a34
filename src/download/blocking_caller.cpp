#include "download/blocking_caller.h"

#include <exception>
#include <utility>

#include "win/monitor.h"

namespace quibo {

// What the caller and its thread share; the thread keeps it alive while a
// call left behind is still running.
struct BlockingCaller::Shared {
    Monitor monitor;
    std::function<void()> call;  // the call waiting to run; empty when none
    bool running = false;
    bool quit = false;  // no more calls: the thread goes back after the current one
    std::exception_ptr thrown;  // what the last call threw, for its caller
};

// The pool thread's work: the caller's calls, one after the other, until it
// quits.
void CALLBACK BlockingCaller::Serve(PTP_CALLBACK_INSTANCE instance, void* context)
{
    std::unique_ptr<std::shared_ptr<Shared>> handed(static_cast<std::shared_ptr<Shared>*>(context));
    std::shared_ptr<Shared> shared = std::move(*handed);
    // This work lasts as long as its caller: other work gets other threads.
    ::CallbackMayRunLong(instance);
    for (;;) {
        std::function<void()> call;
        {
            Monitor::Lock lock(shared->monitor);
            lock.Wait([&] { return shared->quit || shared->call; });
            if (!shared->call) return;  // quit
            call = std::move(shared->call);
            shared->call = nullptr;
        }
        // An exception must not leave a pool thread (it would end the
        // process): it goes back to the caller, who has the run's edge.
        std::exception_ptr thrown;
        try {
            call();
        } catch (...) {
            thrown = std::current_exception();
        }
        call = nullptr;  // what it held goes now, on this thread
        Monitor::Lock lock(shared->monitor);
        shared->thrown = std::move(thrown);
        shared->running = false;
        shared->monitor.WakeAll();
    }
}

BlockingCaller::~BlockingCaller()
{
    if (!shared_) return;
    // An idle thread goes back at once; one left behind once its call ends.
    Monitor::Lock lock(shared_->monitor);
    shared_->quit = true;
    shared_->monitor.WakeAll();
}

bool BlockingCaller::Run(std::function<void()> call, DWORD timeoutMs)
{
    if (leftBehind_) return false;
    if (!shared_) {
        auto shared = std::make_shared<Shared>();
        auto* handed = new std::shared_ptr<Shared>(shared);
        if (!::TrySubmitThreadpoolCallback(Serve, handed, nullptr)) {
            delete handed;
            return false;
        }
        shared_ = std::move(shared);
    }
    Monitor::Lock lock(shared_->monitor);
    shared_->call = std::move(call);
    shared_->running = true;
    shared_->monitor.WakeAll();
    bool ended = lock.WaitFor(timeoutMs, [&] { return !shared_->running; });
    if (!ended) {
        leftBehind_ = true;  // whatever it throws later is dropped with it
        return false;
    }
    if (std::exception_ptr thrown = std::exchange(shared_->thrown, nullptr)) std::rethrow_exception(thrown);
    return true;
}

}  // namespace quibo
