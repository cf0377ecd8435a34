#include "ui/page_worker.h"

#include <process.h>

#include <cassert>
#include <utility>

#include "win/message_wait.h"

namespace quibo {

PageWorker::~PageWorker() { StopAndWait(); }

bool PageWorker::Start(Body body)
{
    if (IsRunning()) return false;
    assert(body);
    body_ = std::move(body);
    stop_.Clear();
    // _beginthreadex, not CreateThread: the body uses the C runtime.
    const uintptr_t h = ::_beginthreadex(nullptr, 0, &PageWorker::ThreadMain, this, 0, nullptr);
    thread_.Reset(reinterpret_cast<HANDLE>(h));
    return thread_.IsValid();
}

void PageWorker::SetStopHook(std::function<void()> hook) { stopHook_ = std::move(hook); }

bool PageWorker::StopAndWait(DWORD timeoutMs)
{
    if (!thread_) return true;
    stop_.Raise();
    if (IsRunning() && stopHook_) stopHook_();
    return Wait(timeoutMs);
}

bool PageWorker::Wait(DWORD timeoutMs)
{
    if (!thread_) return true;
    if (!WaitPumpingMessages(thread_.Get(), timeoutMs)) return false;
    thread_.Reset();
    return true;
}

bool PageWorker::IsRunning() const
{
    return thread_ && ::WaitForSingleObject(thread_.Get(), 0) == WAIT_TIMEOUT;
}

unsigned __stdcall PageWorker::ThreadMain(void* self)
{
    auto* worker = static_cast<PageWorker*>(self);
    worker->body_(worker->stop_);
    return 0;
}

}  // namespace quibo
