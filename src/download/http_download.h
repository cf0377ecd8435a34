// Downloading one file over HTTP or HTTPS into the download folder.
#pragma once

#include <cstdint>
#include <string>

#include "download/http_session.h"
#include "download/size_cap.h"
#include "download/transfer_control.h"
#include "download/transfer_limits.h"
#include "download/transfer_view.h"

namespace quibo {

// Fetches `url` into `localPath` (created afresh), showing progress in `row`.
// A local file that already has the announced size is kept and counts as
// downloaded. True only for a file that arrived whole: not for an error
// status, a response without Content-Length, a read error, a connection that
// ended early, a body longer than announced (the file then ends at the
// announced length), a server that took longer than `limits` allow, or a
// stop. With a `cap`, an answer announced longer fails before anything is
// written, and a body that goes on past it fails at once.
bool HttpDownload(TransferControl& control, TransferView& view, const std::string& url,
                  const std::string& localPath, int row, const HttpLimits& limits = kHttpLimits,
                  const SizeCap& cap = SizeCap());

// The same for a request that CheckHttpUrl has opened and found good: the
// file is the body of its answer.
bool HttpDownload(TransferControl& control, TransferView& view, HttpRequest& http, const std::string& localPath,
                  int row, const SizeCap& cap = SizeCap());

// As HttpDownload, but a file already at `localPath` (left by a download
// that broke off) is continued: only the bytes after it are asked for, and
// appended when the server sends exactly those. Any other answer to that
// request gets the whole file afresh. `kept` tells how many bytes of the old
// file the result holds (0 when it was written from the start), since only a
// checksum can prove the joined file right.
bool ResumeHttpDownload(TransferControl& control, TransferView& view, const std::string& url,
                        const std::string& localPath, int row, const HttpLimits& limits, std::uint64_t& kept,
                        const SizeCap& cap = SizeCap());

}  // namespace quibo
