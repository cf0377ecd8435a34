#include "install/install_step_hook.h"

#include <windows.h>

#include <cstdlib>
#include <new>
#include <string>
#include <utility>

namespace quibo {

#ifdef QUIBO_INSTALL_STEP_HOOK
namespace {

// The step number in `variable`; 0 when it holds none.
long StepFromEnvironment(const char* variable)
{
    char value[16] = {};
    const DWORD length = ::GetEnvironmentVariableA(variable, value, sizeof value);
    if (length == 0 || length >= sizeof value) return 0;
    char* end = nullptr;
    const long step = std::strtol(value, &end, 10);
    return end == value || *end != '\0' || step <= 0 ? 0 : step;
}

}  // namespace
#endif

std::function<void(int)> StopAtStepFromEnvironment()
{
#ifndef QUIBO_INSTALL_STEP_HOOK
    return {};
#else
    const long step = StepFromEnvironment("QUIBO_INSTALL_STOP_STEP");
    if (step == 0) return {};
    return [step](int at) {
        if (at == step) ::TerminateProcess(::GetCurrentProcess(), 9);
    };
#endif
}

std::function<void(int)> ThrowAtStepFromEnvironment(std::function<void(int)> next)
{
#ifndef QUIBO_INSTALL_STEP_HOOK
    return next;
#else
    const long step = StepFromEnvironment("QUIBO_INSTALL_THROW_STEP");
    if (step == 0) return next;
    return [step, next = std::move(next)](int at) {
        if (next) next(at);
        if (at == step) throw std::bad_alloc();
    };
#endif
}

}  // namespace quibo
