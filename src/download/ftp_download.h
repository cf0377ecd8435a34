// Downloading one file from the open FTP connection into the download folder.
#pragma once

#include <cstdint>
#include <string>

#include "download/ftp_connection.h"
#include "download/size_cap.h"
#include "download/transfer_control.h"
#include "download/transfer_view.h"

namespace quibo {

// Fetches `objectPath` ("/folder/name", or a bare name in "/") into
// `localPath`, creating the local folder, and shows progress in `row`.
// `knownSize` is the size a folder listing gave, or 0 to ask the server. A
// local file that already has the known size counts as downloaded. True
// only for a file that arrived whole: not after a read error, a transfer
// that ended before the known size, a local write that failed (or found the
// file closed by the end of the download) or a stop. Failures are written
// to the run log. With a `cap`, a file whose size is larger fails before
// anything is written, and one that goes on past it fails at once.
bool FtpDownloadFile(FtpConnection& ftp, TransferControl& control, TransferView& view,
                     const std::string& objectPath, const std::string& localPath, std::uint32_t knownSize,
                     int row, const SizeCap& cap = SizeCap());

}  // namespace quibo
