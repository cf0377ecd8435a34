#include "download/http_session.h"

#include "download/url_escape.h"

namespace quibo {

namespace {

constexpr char kAgent[] = "Agent0";
constexpr char kAcceptHeaders[] = "Accept: */*\r\n\r\n";
constexpr DWORD kCanonicalSize = 512;

// Through a configured proxy when the system uses one; otherwise without
// searching the network for a proxy script first.
DWORD AccessType()
{
    DWORD flags = 0;
    ::InternetGetConnectedState(&flags, 0);
    return (flags & INTERNET_CONNECTION_PROXY) ? INTERNET_OPEN_TYPE_PRECONFIG
                                               : INTERNET_OPEN_TYPE_PRECONFIG_WITH_NO_AUTOPROXY;
}

// InternetCanonicalizeUrlA of Wine cuts the text short by one byte for every
// double-byte character (it counts the converted text in characters), so the
// conversion to and from the system code page is done here around the wide
// call. The result must still fit the 512 bytes of the narrow call.
std::string CanonicalizeUrl(const std::string& url)
{
    int wideLength = ::MultiByteToWideChar(CP_ACP, 0, url.c_str(), -1, nullptr, 0);
    if (wideLength <= 0) return {};
    std::wstring wide(static_cast<size_t>(wideLength), L'\0');
    ::MultiByteToWideChar(CP_ACP, 0, url.c_str(), -1, &wide[0], wideLength);
    wchar_t canonical[kCanonicalSize] = {};
    DWORD length = kCanonicalSize;
    if (!::InternetCanonicalizeUrlW(wide.c_str(), canonical, &length, ICU_NO_META)) return {};
    char narrow[kCanonicalSize] = {};
    int narrowLength = ::WideCharToMultiByte(CP_ACP, 0, canonical, static_cast<int>(length), narrow,
                                             kCanonicalSize - 1, nullptr, nullptr);
    if (narrowLength <= 0) return {};
    return std::string(narrow, static_cast<size_t>(narrowLength));
}

}  // namespace

std::string PrepareHttpUrl(const std::string& url)
{
    std::string canonical = CanonicalizeUrl(url);
    return canonical.empty() ? std::string() : EscapeUrlUtf8(canonical);
}

bool OpenHttpRequest(const std::string& url, HttpRequest& out)
{
    std::string prepared = PrepareHttpUrl(url);
    if (prepared.empty()) return false;
    out.session.Reset(::InternetOpenA(kAgent, AccessType(), nullptr, nullptr, 0));
    if (!out.session) return false;
    out.request.Reset(::InternetOpenUrlA(out.session.Get(), prepared.c_str(), kAcceptHeaders,
                                         static_cast<DWORD>(sizeof kAcceptHeaders - 1),
                                         INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE |
                                             INTERNET_FLAG_PRAGMA_NOCACHE,
                                         0));
    return static_cast<bool>(out.request);
}

bool QueryHttpNumber(HINTERNET request, DWORD query, DWORD& value)
{
    DWORD size = sizeof value;
    return ::HttpQueryInfoA(request, query | HTTP_QUERY_FLAG_NUMBER, &value, &size, nullptr) != FALSE;
}

}  // namespace quibo
