#include "core/config/config_read.h"

#include "core/log/run_log.h"
#include "core/text/split.h"
#include "core/text/trim.h"

namespace quibo {

std::string ReadConfigString(CConfigIni& ini, std::string_view section, std::string_view key,
                             std::string_view defaultValue, const DirConstants& dirs)
{
    std::string value(Trim(ExpandDirConstants(ini.GetString(section, key, defaultValue), dirs)));
    WriteLog(std::string(key) + "=" + value);
    return value;
}

int ReadConfigInt(CConfigIni& ini, std::string_view section, std::string_view key, int defaultValue)
{
    int value = ini.GetInt(section, key, defaultValue);
    WriteLog(std::string(key) + "=" + std::to_string(value));
    return value;
}

std::vector<std::string> SplitCommaList(std::string_view text) { return SplitString(text, ","); }

}  // namespace quibo
