#include "app/pre_settings.h"

#include "win/file_status.h"
#include "win/message_boxes.h"
#include "core/config/config_ini.h"
#include "core/package/package.h"

namespace quibo {

PreSettings ParsePreSettings(const std::string& preText)
{
    PreSettings settings;
    CConfigIni ini;
    if (ini.LoadText(preText)) {
        settings.logEnabled = ini.GetInt("pre", "closelog", 1) == 0;
        settings.trayEnabled = ini.GetInt("pre", "closetray", 1) == 0;
    }
    return settings;
}

bool LoadPreSettings(const std::string& programFolder, const std::string& packageName, PreSettings& settings)
{
    std::string path = programFolder + packageName;
    if (!FileExistsNonEmpty(path)) {
        ShowAppMessage("错误：没有找到客户端配置文件:" + packageName);
        return false;
    }
    settings = ParsePreSettings(ReadPackageMember(path, "pre.dat", ""));
    return true;
}

}  // namespace quibo
