// The single-instance guard: a named mutex owned for the whole run. A second
// start of the same program (or of its temporary ".exe.exe" copy, which shares
// the name) waits for the first to end, and gives up after a while. The mutex
// is owned by the thread that acquired it and must be released there.
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

    // Opens the mutex and waits at most `timeoutMs` (INFINITE: for ever) to
    // own it; not held when the time ran out.
    static SingleInstance Acquire(const std::string& name, DWORD timeoutMs);

private:
    UniqueHandle mutex_;
};

}  // namespace quibo
