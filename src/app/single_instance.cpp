#include "app/single_instance.h"

namespace quibo {

SingleInstance::~SingleInstance() { Release(); }

void SingleInstance::Release()
{
    if (mutex_) ::ReleaseMutex(mutex_.Get());
    mutex_.Reset();
}

SingleInstance SingleInstance::Acquire(const std::string& name, DWORD timeoutMs)
{
    SingleInstance instance;
    UniqueHandle mutex(::CreateMutexA(nullptr, FALSE, name.c_str()));
    if (!mutex) return instance;
    // An abandoned mutex is ours as well: its owner ended without releasing
    // it, which is exactly the end this run was waiting for.
    DWORD wait = ::WaitForSingleObject(mutex.Get(), timeoutMs);
    if (wait == WAIT_OBJECT_0 || wait == WAIT_ABANDONED) instance.mutex_ = std::move(mutex);
    return instance;
}

}  // namespace quibo
