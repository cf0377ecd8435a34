#include "download/http_status.h"

#include "core/transfer/http_status_text.h"

namespace quibo {

bool CheckHttpUrl(const std::string& url, std::string& message, const HttpLimits& limits)
{
    HttpRequest http(limits);
    return CheckHttpUrl(http, url, message);
}

bool CheckHttpUrl(HttpRequest& http, const std::string& url, std::string& message)
{
    message.clear();
    if (!http.Open(url)) return false;
    DWORD status = 0;
    if (!http.QueryNumber(HTTP_QUERY_STATUS_CODE, status)) return false;
    if (status >= 200 && status < 300) return true;
    message = HttpStatusMessage(static_cast<int>(status));
    return false;
}

}  // namespace quibo
