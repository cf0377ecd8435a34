#include "core/config/update_check.h"

#include <vector>

#include "core/config/version_compare.h"
#include "core/install/target_folder.h"
#include "core/log/run_log.h"
#include "core/text/case_fold.h"
#include "core/text/code_page.h"

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

// One text for every way of writing a path: "/" as "\", "." and ".." parts
// resolved (never above the first part), ASCII letters in lower case, no
// trailing "\".
std::string FoldedPath(std::string_view path)
{
    const std::string text = ToLowerAscii(ReplaceAll(path, "/", "\\"));
    std::vector<std::string> parts;
    size_t start = 0;
    for (;;) {
        size_t cut = FindText(text, "\\", start);
        std::string part = text.substr(start, cut == std::string::npos ? std::string::npos : cut - start);
        if (part == "..") {
            if (parts.size() > 1) parts.pop_back();
        } else if (part != "." && !(part.empty() && !parts.empty())) {
            parts.push_back(part);
        }
        if (cut == std::string::npos) break;
        start = cut + 1;
    }
    if (parts.empty()) return {};
    std::string folded = parts.front();
    for (size_t i = 1; i < parts.size(); ++i) folded += "\\" + parts[i];
    return folded;
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

bool CheckSelfUpdate(UpdateConfig& config, const ConfigContext& context, const PathSpelling& spelling)
{
    WriteLog("检测自我更新");
    // An item written to the program folder in any other way (".." in its
    // path, another letter case, a short name) would otherwise install over
    // the running program or its package as an ordinary file.
    auto spelled = [&spelling](const std::string& path) { return FoldedPath(spelling ? spelling(path) : path); };
    const std::string program = spelled(context.programFolder + context.programFileName);
    const std::string package = spelled(context.programFolder + context.packageName);
    bool found = false;
    for (int n = 0; n < kFileItemCount; ++n) {
        const UpdateItem& item = config.files[n];
        // Only an item that can be downloaded can replace the updater.
        if (!item.isNew || item.name.empty()) continue;
        const std::string target = spelled(TargetFolderPath(item.path, "", context.programFolder) + item.name);
        if (target == program) {
            config.selfUpdateIndex = n;
            found = true;
        }
        if (target == package) {
            config.packageIndex = n;
            found = true;
        }
    }
    if (found) WriteLog("★ 发现系统内部程序（或数据）新版本，将启动自我升级过程");
    return found;
}

bool LeaveOutSelfUpdate(UpdateConfig& config)
{
    for (int* index : {&config.selfUpdateIndex, &config.packageIndex}) {
        if (*index >= 0 && *index < kFileItemCount) config.files[*index].isNew = false;
        *index = -1;
    }
    // What is left decides alone whether related programs must be closed.
    bool any = false;
    config.closeProcesses = false;
    for (ItemKind kind : {ItemKind::File, ItemKind::Dir}) {
        const int count = kind == ItemKind::File ? kFileItemCount : kDirItemCount;
        for (int n = 0; n < count; ++n) {
            if (!config.Item(kind, n).isNew) continue;
            any = true;
            if (IsCloseItem(config, kind, n)) config.closeProcesses = true;
        }
    }
    return any;
}

}  // namespace quibo
