#include "core/log/run_banner.h"

#include <string>

#include "core/log/run_log.h"

namespace quibo {

void WriteRunBanner(std::string_view productName, std::string_view versionText)
{
    WriteLog(std::string(59, '*'));
    WriteLog("********");
    WriteLog("********      " + std::string(productName) + "（版本：V" + std::string(versionText) + "）");
    WriteLog(std::string(52, '*'));
    WriteLog(std::string(59, '*'));
    for (int i = 0; i < 3; ++i) WriteLog("*");
}

}  // namespace quibo
