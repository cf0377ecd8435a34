// Which thread an object belongs to. A window object (and whatever it owns)
// may only be used on the thread that made it: its window's messages arrive
// there, and nothing in it is guarded against a second thread. The object
// keeps a ThreadChecker and asserts on entry:
//
//     assert(thread_.CalledOnValidThread());
//
// The checker is the same in every build, so objects have one layout whether
// assertions are on (the tests) or off (the shipped program).
#pragma once

#include <windows.h>

namespace quibo {

class ThreadChecker {
public:
    ThreadChecker() : thread_(::GetCurrentThreadId()) {}

    bool CalledOnValidThread() const { return ::GetCurrentThreadId() == thread_; }

    // For an object made on one thread and handed over before first use: it
    // belongs to the thread that calls this.
    void BindToCurrentThread() { thread_ = ::GetCurrentThreadId(); }

private:
    DWORD thread_;
};

}  // namespace quibo
