// Reading the updater's command line: switches written "/name:value" anywhere
// in it, names in any case, each value ending at the next blank.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "core/startup/run_mode.h"
#include "core/text/code_page.h"

namespace quibo {

// The value of "/key:" in lower case, up to the next space; empty when the
// switch is absent. The process command line is system text: pass the
// system code page's rule.
std::string GetSwitchValue(std::string_view commandLine, std::string_view key,
                           LeadByteRule rule = kBuildCharset);

struct CommandLineSwitches {
    long hostWindow = 0;             // "/HWND:", 0 when absent or empty
    std::optional<RunMode> runMode;  // "/OP:CheckVer" or "/OP:Preview"
    bool selfUpdate = false;         // this process is the temporary copy
    bool selfFinish = false;         // restarted by the copy (never with selfUpdate)
};

CommandLineSwitches ReadCommandLine(std::string_view commandLine, LeadByteRule rule = kBuildCharset);

// The process command line without the program's own name (quoted or not),
// so that text in the program's path is never read as a switch.
std::string_view CommandLineArguments(std::string_view commandLine);

}  // namespace quibo
