// Asking the server whether a file can be downloaded, before the download.
#pragma once

#include <string>

#include "download/transfer_limits.h"

namespace quibo {

// True when the server answers `url` with a status from 200 to 299 (after
// following redirects). Otherwise `message` receives the user's text for the
// status, or stays empty for other statuses and when no answer came in time.
bool CheckHttpUrl(const std::string& url, std::string& message, const HttpLimits& limits = kHttpLimits);

}  // namespace quibo
