// The pre-settings of a pass: whether the run log and the tray icon are on,
// read from "pre.dat" in the configuration package.
#pragma once

#include <string>

namespace quibo {

struct PreSettings {
    bool logEnabled = false;
    bool trayEnabled = true;
};

// False only when the package is missing or empty (after telling the user).
// A package without a readable "pre.dat" gives logging off and the tray on.
bool LoadPreSettings(const std::string& programFolder, const std::string& packageName, PreSettings& settings);

// The settings a "pre.dat" text gives: each is on only when set to 0.
PreSettings ParsePreSettings(const std::string& preText);

}  // namespace quibo
