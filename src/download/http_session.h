// Opening one HTTP or HTTPS request the way every download does: the address
// canonicalised and its Chinese characters sent as UTF-8, a fresh session,
// nothing from the cache. Certificates are checked as WinINet does by default.
#pragma once

#include <windows.h>

#include <string>

#include "win/internet_handle.h"

namespace quibo {

// A session with its one request. The request is declared last so that it
// is closed first.
struct HttpRequest {
    UniqueInternetHandle session;
    UniqueInternetHandle request;
};

// The address as it is sent: canonicalised (empty when that fails), then
// escaped to UTF-8.
std::string PrepareHttpUrl(const std::string& url);

// Opens `url` (prepared here); false when the address cannot be prepared or
// no session or request can be opened.
bool OpenHttpRequest(const std::string& url, HttpRequest& out);

// A numeric header of the response (HTTP_QUERY_STATUS_CODE, ...); false when
// the server sent none.
bool QueryHttpNumber(HINTERNET request, DWORD query, DWORD& value);

}  // namespace quibo
