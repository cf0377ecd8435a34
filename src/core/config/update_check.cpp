#include "core/config/update_check.h"

#include "core/config/version_compare.h"
#include "core/log/run_log.h"
#include "core/text/case_fold.h"

namespace quibo {

namespace {

bool MarkNewItems(UpdateConfig& config, ItemKind kind, int count)
{
    bool any = false;
    for (int n = 0; n < count; ++n) {
        UpdateItem& item = config.Item(kind, n);
        item.isNew = !item.addresses.empty() && IsVersionNewer(item.serverVersion, item.clientVersion);
        if (!item.isNew) continue;
        any = true;
        if (IsCloseItem(config, kind, n)) config.closeProcesses = true;
    }
    return any;
}

}  // namespace

bool CompareVersions(UpdateConfig& config)
{
    WriteLog("版本比较");
    config.closeProcesses = false;
    bool files = MarkNewItems(config, ItemKind::File, kFileItemCount);
    bool dirs = MarkNewItems(config, ItemKind::Dir, kDirItemCount);
    return files || dirs;
}

bool IsCloseItem(const UpdateConfig& config, ItemKind kind, int index)
{
    const std::vector<std::string>& names = config.system.closeItems;
    if (names.empty()) return true;
    std::string section = ItemSection(kind, index);
    for (const std::string& name : names) {
        if (EqualsNoCase(name, section)) return true;
    }
    return false;
}

bool CheckSelfUpdate(UpdateConfig& config, const ConfigContext& context)
{
    WriteLog("检测自我更新");
    bool found = false;
    for (int n = 0; n < kFileItemCount; ++n) {
        const UpdateItem& item = config.files[n];
        // Only an item that can be downloaded can replace the updater.
        if (!item.isNew || item.name.empty()) continue;
        if (!item.path.empty() && item.path != context.programFolder) continue;
        if (EqualsNoCase(item.name, context.programFileName)) {
            config.selfUpdateIndex = n;
            found = true;
        }
        if (EqualsNoCase(item.name, context.packageName)) {
            config.packageIndex = n;
            found = true;
        }
    }
    if (found) WriteLog("★ 发现系统内部程序（或数据）新版本，将启动自我升级过程");
    return found;
}

}  // namespace quibo
