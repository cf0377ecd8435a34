// Asking the server whether a file can be downloaded, before the download.
#pragma once

#include <string>

namespace quibo {

// True when the server answers `url` with a status from 200 to 299 (after
// following redirects). Otherwise `message` receives the user's text for the
// status, or stays empty for other statuses and when no answer came.
bool CheckHttpUrl(const std::string& url, std::string& message);

}  // namespace quibo
