#include "app/single_instance.h"

namespace quibo {

SingleInstance::~SingleInstance() { Release(); }

void SingleInstance::Release()
{
    if (mutex_) ::ReleaseMutex(mutex_.Get());
    mutex_.Reset();
}

SingleInstance SingleInstance::Acquire(const std::string& name, DWORD waitMs, int maxWaits)
{
    SingleInstance instance;
    for (int waits = 0;;) {
        UniqueHandle mutex(::CreateMutexA(nullptr, TRUE, name.c_str()));
        if (!mutex) return instance;
        if (::GetLastError() != ERROR_ALREADY_EXISTS) {
            instance.mutex_ = std::move(mutex);
            return instance;
        }
        // Not ours: the ownership we asked for was not granted, but release
        // anyway as the handle was opened with that request.
        ::ReleaseMutex(mutex.Get());
        mutex.Reset();
        ::Sleep(waitMs);
        if (++waits == maxWaits) return instance;  // the attempt after the last wait is never made
    }
}

}  // namespace quibo
