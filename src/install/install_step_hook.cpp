#include "install/install_step_hook.h"

#include <windows.h>

#include <cstdlib>
#include <string>

namespace quibo {

std::function<void(int)> StopAtStepFromEnvironment()
{
#ifndef QUIBO_INSTALL_STEP_HOOK
    return {};
#else
    char value[16] = {};
    const DWORD length = ::GetEnvironmentVariableA("QUIBO_INSTALL_STOP_STEP", value, sizeof value);
    if (length == 0 || length >= sizeof value) return {};
    char* end = nullptr;
    const long step = std::strtol(value, &end, 10);
    if (end == value || *end != '\0' || step <= 0) return {};
    return [step](int at) {
        if (at == step) ::TerminateProcess(::GetCurrentProcess(), 9);
    };
#endif
}

}  // namespace quibo
