#include <string>

#include "core/log/run_log.h"
#include "download/config_fetch.h"
#include "download/http_body.h"
#include "download/http_session.h"

namespace quibo {

std::string FetchConfigHttp(const std::string& url, const HttpLimits& limits)
{
    HttpRequest http(limits);
    if (!http.Open(url)) return {};
    DWORD length = http.ContentLength();
    if (length == 0) return {};
    if (length > kMaxConfigPackage) {
        WriteLog("错误：服务器配置包太大：" + std::to_string(length) + "字节");
        return {};
    }

    WriteLog("开始下载");
    std::string package;
    package.reserve(length);
    bool whole = ReadHttpBody(http, length, [&](const char* data, DWORD size) {
        package.append(data, size);
        return true;
    });
    if (!whole) return {};
    return package;
}

}  // namespace quibo
