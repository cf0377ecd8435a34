// Showing a transfer's progress on the page and telling the host about it.
#pragma once

#include <cstdint>
#include <string>

#include "download/transfer_control.h"
#include "download/transfer_view.h"

namespace quibo {

// Shows `done` of `total` bytes: the file bar, the row's progress cell (file
// rows only) and speed, the info label and the tray tip. The host hears of
// each whole percent once: 2021 and 2020 go out only when the percent differs
// from the one last posted.
void ReportProgress(TransferControl& control, TransferView& view, std::uint64_t done, std::uint64_t total,
                    const std::string& speedText, int row);

// Adds "(size)" to a file row's name once the size is known; folder rows keep
// their name.
void AppendSizeSuffix(TransferView& view, int row, std::uint64_t size);

}  // namespace quibo
