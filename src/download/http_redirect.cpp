#include "download/http_redirect.h"

#include <vector>

#include "core/text/case_fold.h"

namespace quibo {

namespace {

bool HasScheme(const std::string& url, const std::string& scheme)
{
    const std::string prefix = scheme + "://";
    return ToLowerAscii(std::string_view(url).substr(0, prefix.size())) == prefix;
}

// `location` resolved against `base`, as the server sent it (no escaping added).
std::string CombineUrl(const std::string& base, const std::string& location)
{
    std::vector<char> combined(base.size() + location.size() + 64);
    for (int round = 0; round < 2; ++round) {
        DWORD length = static_cast<DWORD>(combined.size());
        if (::InternetCombineUrlA(base.c_str(), location.c_str(), combined.data(), &length, ICU_NO_ENCODE))
            return std::string(combined.data(), length);
        if (::GetLastError() != ERROR_INSUFFICIENT_BUFFER) return {};
        combined.resize(length + 1);
    }
    return {};
}

}  // namespace

bool IsRedirectStatus(DWORD status)
{
    return status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
}

bool QueryLocation(HINTERNET request, std::string& location)
{
    std::vector<char> text(1024);
    for (int round = 0; round < 2; ++round) {
        DWORD size = static_cast<DWORD>(text.size());
        if (::HttpQueryInfoA(request, HTTP_QUERY_LOCATION, text.data(), &size, nullptr)) {
            location.assign(text.data(), size);
            return !location.empty();
        }
        if (::GetLastError() != ERROR_INSUFFICIENT_BUFFER) return false;
        text.resize(size + 1);
    }
    return false;
}

RedirectCheck CheckRedirect(const std::string& from, const std::string& location, std::string& next)
{
    next = CombineUrl(from, location);
    if (!HasScheme(next, "http") && !HasScheme(next, "https")) return RedirectCheck::NotHttp;
    if (HasScheme(from, "https") && !HasScheme(next, "https")) return RedirectCheck::LeavesHttps;
    return RedirectCheck::Follow;
}

}  // namespace quibo
