#include "install/install_fault_hook.h"

#include <windows.h>

#include <cstdlib>
#include <new>
#include <utility>

namespace quibo {

std::function<void(int)> ThrowAtStepFromEnvironment(std::function<void(int)> next)
{
    char value[16] = {};
    const DWORD length = ::GetEnvironmentVariableA("QUIBO_INSTALL_THROW_STEP", value, sizeof value);
    const long step = length > 0 && length < sizeof value ? std::atol(value) : 0;
    if (step <= 0) return next;
    return [step, next = std::move(next)](int at) {
        if (next) next(at);
        if (at == step) throw std::bad_alloc();
    };
}

}  // namespace quibo
