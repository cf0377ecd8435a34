// Starts the programs the configuration names (hooks, files marked to run) and
// answers a short text for the run log; it never shows a box of its own.
#pragma once

#include <string>

namespace quibo {

// `wait`: non-zero waits for the started process (or regedit / regsvr32) to
// end, dispatching the calling thread's messages meanwhile, so that a thread
// that owns windows keeps them answering.
std::string RunProgram(const std::string& commandLine, int wait);

// The result text for a shell failure's error code.
std::string RunResultText(unsigned long errorCode);

}  // namespace quibo
