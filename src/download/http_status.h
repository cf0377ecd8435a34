// Asking the server whether a file can be downloaded, before the download.
#pragma once

#include <string>

#include "download/http_session.h"
#include "download/transfer_limits.h"

namespace quibo {

// True when the server answers `url` with a status from 200 to 299 (after
// following redirects). Otherwise `message` receives the user's text for the
// status, or stays empty for other statuses and when no answer came in time.
bool CheckHttpUrl(const std::string& url, std::string& message, const HttpLimits& limits = kHttpLimits);

// The same check on `http`, which on success stays open with the answer, so
// that the download reads the body of this very request: closing a request
// whose body is still coming costs under Wine the time to read that body
// (WinINet drains it to keep the connection), seconds for a large file on a
// fast link, and a second request costs a connection and a handshake more.
bool CheckHttpUrl(HttpRequest& http, const std::string& url, std::string& message);

}  // namespace quibo
