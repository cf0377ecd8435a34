// Files that are already there: a local file of exactly the expected size
// counts as downloaded before and is not fetched again.
#pragma once

#include <cstdint>
#include <string>

#include "download/transfer_control.h"
#include "download/transfer_view.h"

namespace quibo {

// The length of the file at `path`; false when there is no such file.
bool LocalFileSize(const std::string& path, std::uint64_t& size);

// True when the file exists and is exactly `size` bytes long.
bool IsSameSizeFile(const std::string& path, std::uint64_t size);

// When `path` already has `size` bytes: shows the item complete, logs it,
// waits while paused, and answers true (the transfer is done). False, with
// nothing shown, when the file must be fetched.
bool SkipSameSizeFile(TransferControl& control, TransferView& view, const std::string& path,
                      std::uint64_t size, int row);

}  // namespace quibo
