// What the download step placed in the download folder, item by item, for
// the installation to read.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/config/update_item.h"

namespace quibo {

// What a signed server package says a file is: its exact size and SHA-256.
struct SignedContent {
    std::uint64_t size = 0;
    std::string sha256;  // 64 hex digits
};

// One file placed in the download folder for an item.
struct DownloadRecord {
    std::string subfolder;  // relative to a listed folder; empty for single files
    std::string targetName;
    std::string tempName;
    std::uint32_t size = 0;  // from a folder listing; 0 for single files
    // From a signed package: the download proved it, and the installation
    // proves it again on the handle it copies from. None for unsigned items.
    std::optional<SignedContent> content;
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
