// The single-instance guard: a named mutex owned for the whole run. A second
// start of the same program (or of its temporary ".exe.exe" copy, which shares
// the name) waits for the first to end, and gives up after seven waits.
#pragma once

#include <string>

#include "win/scoped_handle.h"

namespace quibo {

// Owns the mutex while alive; releases and closes it on destruction.
class SingleInstance {
public:
    SingleInstance() = default;
    SingleInstance(SingleInstance&&) = default;
    SingleInstance& operator=(SingleInstance&&) = default;
    ~SingleInstance();

    bool Held() const { return mutex_.IsValid(); }
    void Release();

    // Creates the mutex with initial ownership. While another process holds
    // it, waits `waitMs` and tries again, at most `maxWaits` times.
    static SingleInstance Acquire(const std::string& name, DWORD waitMs = 1000, int maxWaits = 7);

private:
    UniqueHandle mutex_;
};

}  // namespace quibo
