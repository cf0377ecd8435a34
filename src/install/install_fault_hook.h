// A way to make the installation's thread throw at a chosen step, as memory
// exhaustion would, for trying the run's edge on the real program.
#pragma once

#include <functional>

namespace quibo {

// When the environment variable QUIBO_INSTALL_THROW_STEP holds a number n:
// a step hook that throws std::bad_alloc at step n and hands every step to
// `next` first. Otherwise `next` itself.
std::function<void(int)> ThrowAtStepFromEnvironment(std::function<void(int)> next);

}  // namespace quibo
