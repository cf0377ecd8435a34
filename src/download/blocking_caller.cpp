#include "download/blocking_caller.h"

#include <chrono>
#include <condition_variable>
#include <mutex>

namespace quibo {

// What the caller and its thread share; the thread keeps it alive while a
// call left behind is still running.
struct BlockingCaller::Shared {
    std::mutex mutex;
    std::condition_variable wake;
    std::function<void()> call;  // the call waiting to run; empty when none
    bool running = false;
    bool quit = false;  // no more calls: the thread ends after the current one
};

BlockingCaller::~BlockingCaller()
{
    if (!thread_.joinable()) return;
    {
        std::lock_guard<std::mutex> lock(shared_->mutex);
        shared_->quit = true;
    }
    shared_->wake.notify_all();
    if (leftBehind_) {
        thread_.detach();  // it ends by itself once the call lets go
    } else {
        thread_.join();
    }
}

bool BlockingCaller::Run(std::function<void()> call, DWORD timeoutMs)
{
    if (leftBehind_) return false;
    if (!thread_.joinable()) {
        shared_ = std::make_shared<Shared>();
        thread_ = std::thread(Serve, shared_);
    }
    std::unique_lock<std::mutex> lock(shared_->mutex);
    shared_->call = std::move(call);
    shared_->running = true;
    shared_->wake.notify_all();
    bool ended =
        shared_->wake.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] { return !shared_->running; });
    if (!ended) leftBehind_ = true;
    return ended;
}

void BlockingCaller::Serve(std::shared_ptr<Shared> shared)
{
    std::unique_lock<std::mutex> lock(shared->mutex);
    for (;;) {
        shared->wake.wait(lock, [&] { return shared->quit || shared->call; });
        if (!shared->call) return;  // quit
        std::function<void()> call = std::move(shared->call);
        shared->call = nullptr;
        lock.unlock();
        call();
        call = nullptr;  // what it held goes now, on this thread
        lock.lock();
        shared->running = false;
        shared->wake.notify_all();
    }
}

}  // namespace quibo
