#include "core/config/load_configurations.h"

#include "core/config/client_config.h"
#include "core/config/server_config.h"
#include "core/config/server_fetch.h"
#include "core/log/run_log.h"

namespace quibo {

bool LoadConfigurations(UpdateConfig& config, const ConfigContext& context,
                        const std::optional<std::string>& clientText, ConfigSeam& seam)
{
    if (!LoadClientConfig(config, context, clientText, seam)) return false;
    if (context.runMode == RunMode::Preview) return true;

    std::optional<ServerPackage> server = FetchServerConfig(config, seam);
    if (!server) {
        WriteLog("错误：下载配置文件失败，可能是配置文件不存在，或解析错误，或网络不通！");
        return false;
    }
    ParseServerConfig(config, context, *server);
    return true;
}

}  // namespace quibo
