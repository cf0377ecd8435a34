// What a run that was cut short while it rewrote the updater's own files left
// in the program folder: temporary files beside the package and the program,
// and a package moved aside.
#pragma once

#include <string>

namespace quibo {

// Removes those leftovers. A package that was moved aside and never replaced
// (the package itself is missing or empty) is put back first. Called while
// the single-instance mutex is held, so that no run is using them.
void RemoveRewriteLeftovers(const std::string& programFolder, const std::string& programFileName);

}  // namespace quibo
