// Start-up values the configuration parse depends on.
#pragma once

#include <string>

#include "core/startup/run_mode.h"
#include "core/config/dir_constants.h"

namespace quibo {

struct ConfigContext {
    RunMode runMode = RunMode::Normal;
    std::string programFolder;    // ends with "\"
    std::string programFileName;  // e.g. "update.exe"
    std::string packageName;      // e.g. "update.bin"
    DirConstants dirs;
};

}  // namespace quibo
