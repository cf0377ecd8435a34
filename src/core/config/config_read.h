// Reading configuration values the way every configuration is read: each
// value read is written to the run log as key=value.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "core/config/config_ini.h"
#include "core/config/dir_constants.h"

namespace quibo {

// GetString, placeholders expanded, blanks trimmed.
std::string ReadConfigString(CConfigIni& ini, std::string_view section, std::string_view key,
                             std::string_view defaultValue, const DirConstants& dirs);

int ReadConfigInt(CConfigIni& ini, std::string_view section, std::string_view key, int defaultValue);

// "a.exe, b.exe" -> {"a.exe", "b.exe"}; empty pieces are dropped.
std::vector<std::string> SplitCommaList(std::string_view text);

}  // namespace quibo
