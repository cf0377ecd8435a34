#include <algorithm>

#include "core/log/run_log.h"
#include "download/config_fetch.h"
#include "download/http_body.h"
#include "download/http_session.h"

namespace quibo {

std::string FetchConfigHttp(const std::string& url)
{
    HttpRequest http;
    if (!OpenHttpRequest(url, http)) return {};
    DWORD length = HttpContentLength(http.request.Get());
    if (length == 0) return {};

    WriteLog("开始下载");
    std::string package;
    // Packages are small; an absurd announced length must not reserve memory.
    package.reserve(std::min<DWORD>(length, 1 << 20));
    bool whole = ReadHttpBody(http.request.Get(), length, [&](const char* data, DWORD size) {
        package.append(data, size);
        return true;
    });
    if (!whole) return {};
    return ServerConfigFromPackage(std::move(package));
}

}  // namespace quibo
