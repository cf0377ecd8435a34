// A way to stop an installation at a chosen step from outside the process,
// for trying the crash recovery on the real program.
#pragma once

#include <functional>

namespace quibo {

// When the environment variable QUIBO_INSTALL_STOP_STEP holds a number n: a
// step hook for InstallTransaction that kills this process outright at step
// n (exit code 9; nothing is flushed or cleaned up). Otherwise an empty hook.
std::function<void(int)> StopAtStepFromEnvironment();

}  // namespace quibo
