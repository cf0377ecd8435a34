// The programs the configuration asks to start around an update: the nine
// hooks of section "system" and the installed files marked "runme". One table
// says, for each, what the run log calls it and whether the run waits for it.
#pragma once

#include <functional>
#include <string>

#include "core/config/system_hooks.h"

namespace quibo {

enum class ConfiguredProgram {
    Before,             // run_before, waited for with run_before_pause
    After,              // run_after, waited for with run_after_pause
    NoNetwork,          // run_nonetwork
    DownloadBefore,     // run_dlbefore
    DownloadSucceeded,  // run_dlafters
    DownloadFailed,     // run_dlafterf
    UpdateBefore,       // run_udbefore
    UpdateSucceeded,    // run_udafters
    UpdateFailed,       // run_udafterf
};

// Where the line that names the program goes: the run log, or a page's status
// line (which logs it as well). The runner's result always goes to the log.
using ProgramAnnouncer = std::function<void(const std::string& line)>;

struct ConfiguredProgramRow {
    ConfiguredProgram which;
    const char* key;  // as in the server configuration
    std::string SystemHooks::*command;
    int SystemHooks::*pause;  // null: never waited for
    const char* label;        // followed by the command line
    const char* notSpecified;
};

// The table row of `which`.
const ConfiguredProgramRow& ConfiguredProgramOf(ConfiguredProgram which);

// Announces and runs hook `which` as `hooks` configures it (or announces that
// none is set), then logs the runner's result. A wait dispatches the calling
// thread's messages meanwhile.
void RunConfiguredProgram(ConfiguredProgram which, const SystemHooks& hooks, const ProgramAnnouncer& announce = {});

// Runs an installed file marked "runme": "执行本文件：" + path is logged, the
// file runs with `parameters` (when any), waited for when `wait`.
void RunInstalledFile(const std::string& path, const std::string& parameters, bool wait);

}  // namespace quibo
