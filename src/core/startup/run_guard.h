// The edge of the run. Outside input (a server configuration, a package, an
// address) reaches deep into a run, and whatever it makes throw there, memory
// exhaustion included, must not end the process before the end sequence has
// told the host that the updater is leaving.
#pragma once

#include <functional>

namespace quibo {

// Runs `step`. An exception escaping it is written to the run log and
// answered with false; true when the step ended normally.
bool RunCaught(const std::function<void()>& step);

}  // namespace quibo
