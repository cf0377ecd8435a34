// Following a redirect answer by hand, so that its target can be checked and
// the hops counted (WinINet would follow a server's redirects for ever, and
// from an https address to a plain one without a word).
#pragma once

#include <windows.h>
#include <wininet.h>

#include <string>

namespace quibo {

// 301, 302, 303, 307 and 308 lead elsewhere when they name a Location.
bool IsRedirectStatus(DWORD status);

// The Location header of the answer; false when there is none.
bool QueryLocation(HINTERNET request, std::string& location);

enum class RedirectCheck {
    Follow,
    LeavesHttps,  // from https to anything else: the file would come unprotected
    NotHttp,      // to a scheme other than http and https
};

// The absolute address that `location` (absolute or relative) names when
// it comes in the answer from `from`, and whether it may be followed.
RedirectCheck CheckRedirect(const std::string& from, const std::string& location, std::string& next);

}  // namespace quibo
