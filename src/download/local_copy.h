// Copying one file from a local or network folder (a "file:" address) into
// the download folder, with the same progress as a download.
#pragma once

#include <string>

#include "download/size_cap.h"
#include "download/transfer_control.h"
#include "download/transfer_view.h"

namespace quibo {

// Copies `sourcePath` to `localPath` (created afresh), showing progress in
// `row`. True when every byte was copied; false when the source cannot be
// opened or read, the target cannot be created or written, or on a stop;
// and, with a `cap`, when the source is (or grows) larger than it allows.
bool CopyLocalFile(TransferControl& control, TransferView& view, const std::string& sourcePath,
                   const std::string& localPath, int row, const SizeCap& cap = SizeCap());

}  // namespace quibo
