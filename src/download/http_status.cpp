#include "download/http_status.h"

#include "core/transfer/http_status_text.h"
#include "download/http_session.h"

namespace quibo {

bool CheckHttpUrl(const std::string& url, std::string& message)
{
    message.clear();
    HttpRequest http;
    if (!OpenHttpRequest(url, http)) return false;
    DWORD status = 0;
    if (!QueryHttpNumber(http.request.Get(), HTTP_QUERY_STATUS_CODE, status)) return false;
    if (status >= 200 && status < 300) return true;
    message = HttpStatusMessage(static_cast<int>(status));
    return false;
}

}  // namespace quibo
