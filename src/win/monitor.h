// A lock with a condition to wait on, for handing work between two threads.
//
// Built on the slim reader/writer lock and condition variable of Windows:
// under Wine these wait in the process itself, where the mutex and
// condition of the C++ library (winpthreads) go through the Wine server at
// every wait and wake, which costs a transfer a good part of its speed.
#pragma once

#include <windows.h>

#include <chrono>

namespace quibo {

class Monitor {
public:
    Monitor() = default;
    Monitor(const Monitor&) = delete;
    Monitor& operator=(const Monitor&) = delete;

    // Holds the lock for its lifetime.
    class Lock {
    public:
        explicit Lock(Monitor& monitor) : monitor_(monitor) { ::AcquireSRWLockExclusive(&monitor_.lock_); }
        ~Lock() { ::ReleaseSRWLockExclusive(&monitor_.lock_); }
        Lock(const Lock&) = delete;
        Lock& operator=(const Lock&) = delete;

        // Waits, the lock let go meanwhile, until `ready` holds.
        template <typename Ready>
        void Wait(Ready ready)
        {
            while (!ready()) ::SleepConditionVariableSRW(&monitor_.condition_, &monitor_.lock_, INFINITE, 0);
        }
        // The same for up to `ms`; false when `ready` still does not hold.
        template <typename Ready>
        bool WaitFor(DWORD ms, Ready ready)
        {
            using Clock = std::chrono::steady_clock;
            const Clock::time_point end = Clock::now() + std::chrono::milliseconds(ms);
            while (!ready()) {
                auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - Clock::now()).count();
                if (left <= 0) return false;
                ::SleepConditionVariableSRW(&monitor_.condition_, &monitor_.lock_, static_cast<DWORD>(left), 0);
            }
            return true;
        }

    private:
        Monitor& monitor_;
    };

    // Wakes every waiter; called with or without the lock held.
    void WakeAll() { ::WakeAllConditionVariable(&condition_); }

private:
    SRWLOCK lock_ = SRWLOCK_INIT;
    CONDITION_VARIABLE condition_ = CONDITION_VARIABLE_INIT;
};

}  // namespace quibo
