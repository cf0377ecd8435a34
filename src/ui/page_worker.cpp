#include "ui/page_worker.h"

#include <process.h>

#include <cassert>
#include <utility>

#include "core/startup/run_guard.h"
#include "win/message_wait.h"

namespace quibo {

PageWorker::~PageWorker() { StopAndWait(); }

bool PageWorker::Start(Body body, Ending ifThrown)
{
    assert(owner_.CalledOnValidThread());
    if (IsRunning()) return false;
    assert(body && ifThrown);
    body_ = std::move(body);
    ifThrown_ = std::move(ifThrown);
    stop_.Clear();
    // _beginthreadex, not CreateThread: the body uses the C runtime.
    const uintptr_t h = ::_beginthreadex(nullptr, 0, &PageWorker::ThreadMain, this, 0, nullptr);
    thread_.Reset(reinterpret_cast<HANDLE>(h));
    return thread_.IsValid();
}

void PageWorker::SetStopHook(std::function<void()> hook) { stopHook_ = std::move(hook); }

bool PageWorker::StopAndWait(DWORD timeoutMs)
{
    assert(owner_.CalledOnValidThread());
    if (!thread_) return true;
    stop_.Raise();
    if (IsRunning() && stopHook_) stopHook_();
    return Wait(timeoutMs);
}

bool PageWorker::Wait(DWORD timeoutMs)
{
    assert(owner_.CalledOnValidThread());
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
    // The same edge as the main thread's: an exception escaping a thread
    // would end the process before the host hears that the run is over.
    if (!RunCaught([worker] { worker->body_(worker->stop_); })) RunCaught(worker->ifThrown_);
    return 0;
}

}  // namespace quibo
