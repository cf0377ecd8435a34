// Ways to stop an installation at a chosen step from outside the process,
// for trying the crash recovery and the threads' edge on the real program.
#pragma once

#include <functional>

namespace quibo {

// When the environment variable QUIBO_INSTALL_STOP_STEP holds a number n: a
// step hook for InstallTransaction that kills this process outright at step
// n (exit code 9; nothing is flushed or cleaned up). Otherwise an empty hook.
//
// Only the program built for the crash tests (QUIBO_INSTALL_STEP_HOOK defined,
// "step-hook/update.exe" in the build folder) reads the variable; the shipped
// program always answers an empty hook.
std::function<void(int)> StopAtStepFromEnvironment();

// When the environment variable QUIBO_INSTALL_THROW_STEP holds a number n
// (again only in the crash tests' program): a step hook that hands every step
// to `next`, then throws std::bad_alloc at step n, as memory exhaustion
// would. Otherwise `next` itself.
std::function<void(int)> ThrowAtStepFromEnvironment(std::function<void(int)> next);

}  // namespace quibo
