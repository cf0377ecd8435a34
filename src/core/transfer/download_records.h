// What the download step placed in the download folder, item by item, for
// the installation to read.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "core/config/update_item.h"

namespace quibo {

// One file placed in the download folder for an item.
struct DownloadRecord {
    std::string subfolder;  // relative to a listed folder; empty for single files
    std::string targetName;
    std::string tempName;
    std::uint32_t size = 0;  // from a folder listing; 0 for single files
};

class DownloadRecords {
public:
    std::vector<DownloadRecord>& Of(ItemKind kind, int index)
    {
        return kind == ItemKind::File ? files_.at(index) : dirs_.at(index);
    }
    const std::vector<DownloadRecord>& Of(ItemKind kind, int index) const
    {
        return kind == ItemKind::File ? files_.at(index) : dirs_.at(index);
    }

private:
    std::array<std::vector<DownloadRecord>, kFileItemCount> files_;
    std::array<std::vector<DownloadRecord>, kDirItemCount> dirs_;
};

}  // namespace quibo
