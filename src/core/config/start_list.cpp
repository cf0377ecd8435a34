#include "core/config/start_list.h"

namespace quibo {

std::string FolderRowName(std::string_view address, LeadByteRule rule)
{
    size_t cut = FindLastChar(address, '/', rule);
    if (cut == std::string_view::npos || cut == 0) cut = FindLastChar(address, '\\', rule);
    if (cut != std::string_view::npos && cut > 0) address.remove_prefix(cut + 1);
    return "<" + std::string(address) + ">";
}

std::vector<StartListRow> NewItemRows(const UpdateConfig& config, LeadByteRule rule)
{
    std::vector<StartListRow> rows;
    for (const UpdateItem& file : config.files) {
        if (file.isNew) rows.push_back({file.name, file.serverVersion, file.describe});
    }
    for (const UpdateItem& dir : config.dirs) {
        if (!dir.isNew) continue;
        std::string first = dir.addresses.empty() ? std::string() : dir.addresses.front().url;
        rows.push_back({FolderRowName(first, rule), dir.serverVersion, dir.describe});
    }
    return rows;
}

}  // namespace quibo
