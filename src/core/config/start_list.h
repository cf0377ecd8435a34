// The rows of the start page's list: what this run is about to update.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "core/config/update_config.h"
#include "core/text/code_page.h"

namespace quibo {

struct StartListRow {
    std::string name;  // a file's name, or a folder's between angle brackets
    std::string version;
    std::string describe;
};

// One row per new item: files in slot order, then folders in slot order.
std::vector<StartListRow> NewItemRows(const UpdateConfig& config, LeadByteRule rule = kBuildCharset);

// A folder's row name: the last part of its first address between "<" and
// ">". The address is cut after its last "/", or else its last "\", when that
// is not the first character; otherwise it is shown whole.
std::string FolderRowName(std::string_view address, LeadByteRule rule = kBuildCharset);

}  // namespace quibo
