#include "download/http_session.h"

#include "core/log/run_log.h"
#include "core/transfer/header_number.h"
#include "core/transfer/read_size.h"
#include "download/http_redirect.h"
#include "download/url_escape.h"

namespace quibo {

namespace {

constexpr char kAgent[] = "Agent0";
constexpr char kAcceptHeaders[] = "Accept: */*\r\n\r\n";
constexpr DWORD kCanonicalSize = 512;
constexpr DWORD kRequestFlags = INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE |
                                INTERNET_FLAG_PRAGMA_NOCACHE | INTERNET_FLAG_NO_AUTO_REDIRECT;

// Through a configured proxy when the system uses one; otherwise without
// searching the network for a proxy script first. Asked once per process:
// under Wine the question takes some 30 milliseconds, as long as a whole
// small file on a fast link, and the answer does not change during a run.
DWORD AccessType()
{
    static const DWORD access = [] {
        DWORD flags = 0;
        ::InternetGetConnectedState(&flags, 0);
        return (flags & INTERNET_CONNECTION_PROXY) ? DWORD{INTERNET_OPEN_TYPE_PRECONFIG}
                                                   : DWORD{INTERNET_OPEN_TYPE_PRECONFIG_WITH_NO_AUTOPROXY};
    }();
    return access;
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

// Windows hands the session's time-outs down to its connections and
// requests; Wine takes them only from the connection or the request itself.
void SetTimeouts(HINTERNET handle, DWORD ms)
{
    for (DWORD option :
         {INTERNET_OPTION_CONNECT_TIMEOUT, INTERNET_OPTION_SEND_TIMEOUT, INTERNET_OPTION_RECEIVE_TIMEOUT})
        ::InternetSetOptionA(handle, option, &ms, sizeof ms);
}

struct UrlParts {
    std::string host;
    std::string user;
    std::string password;
    std::string object;  // path and query
    INTERNET_PORT port = 0;
    bool secure = false;
};

bool CrackUrl(const std::string& url, UrlParts& parts)
{
    URL_COMPONENTSA c{};
    c.dwStructSize = sizeof c;
    // Non-zero lengths without buffers: the parts are pointed to in `url`.
    c.dwHostNameLength = c.dwUserNameLength = c.dwPasswordLength = c.dwUrlPathLength = c.dwExtraInfoLength =
        1;
    if (!::InternetCrackUrlA(url.c_str(), static_cast<DWORD>(url.size()), 0, &c)) return false;
    if (c.nScheme != INTERNET_SCHEME_HTTP && c.nScheme != INTERNET_SCHEME_HTTPS) return false;
    auto part = [](const char* text, DWORD length) {
        return text ? std::string(text, length) : std::string();
    };
    parts.host = part(c.lpszHostName, c.dwHostNameLength);
    parts.user = part(c.lpszUserName, c.dwUserNameLength);
    parts.password = part(c.lpszPassword, c.dwPasswordLength);
    parts.object = part(c.lpszUrlPath, c.dwUrlPathLength) + part(c.lpszExtraInfo, c.dwExtraInfoLength);
    if (parts.object.empty()) parts.object = "/";
    parts.port = c.nPort;
    parts.secure = c.nScheme == INTERNET_SCHEME_HTTPS;
    return !parts.host.empty();
}

const char* OrNull(const std::string& text) { return text.empty() ? nullptr : text.c_str(); }

}  // namespace

std::string PrepareHttpUrl(const std::string& url)
{
    std::string canonical = CanonicalizeUrl(url);
    return canonical.empty() ? std::string() : EscapeUrlUtf8(canonical);
}

HttpRequest::HttpRequest(const HttpLimits& limits)
    : limits_(limits), budget_(limits.addressMs, limits.renewBytes), headers_(kAcceptHeaders)
{
}

namespace {

void CALLBACK LetGo(PTP_CALLBACK_INSTANCE, void* context)
{
    std::unique_ptr<std::shared_ptr<HttpHandles>> handles(static_cast<std::shared_ptr<HttpHandles>*>(context));
}

}  // namespace

void HttpRequest::Close()
{
    if (!handles_) return;
    auto handed = std::make_unique<std::shared_ptr<HttpHandles>>(std::move(handles_));
    handles_.reset();
    // Without a pool thread they go here, the slow way.
    if (::TrySubmitThreadpoolCallback(LetGo, handed.get(), nullptr)) handed.release();
}

void HttpRequest::AskFrom(std::uint64_t offset)
{
    headers_ = "Accept: */*\r\nRange: bytes=" + std::to_string(offset) + "-\r\n\r\n";
}

bool HttpRequest::Open(const std::string& url)
{
    failure_.clear();
    std::string address = PrepareHttpUrl(url);
    if (address.empty()) return false;
    handles_ = std::make_shared<HttpHandles>();
    handles_->session.Reset(::InternetOpenA(kAgent, AccessType(), nullptr, nullptr, 0));
    if (!handles_->session) return false;
    SetTimeouts(handles_->session.Get(), limits_.callMs);

    for (int redirects = 0;; ++redirects) {
        if (!Send(address)) return false;
        DWORD status = 0;
        std::string location;
        if (!QueryNumber(HTTP_QUERY_STATUS_CODE, status) || !IsRedirectStatus(status) ||
            !QueryLocation(handles_->request.Get(), location)) {
            if (redirects > 0) WriteLog("重定向后的下载地址：" + address);
            return true;
        }
        if (redirects == limits_.redirects) {
            Fail("错误：重定向次数过多：" + url);
            return false;
        }
        std::string next;
        switch (CheckRedirect(address, location, next)) {
        case RedirectCheck::Follow: break;
        case RedirectCheck::LeavesHttps: Fail("错误：拒绝从HTTPS地址重定向到：" + next); return false;
        case RedirectCheck::NotHttp: Fail("错误：不支持的重定向地址：" + next); return false;
        }
        address = next;
    }
}

bool HttpRequest::Send(const std::string& address)
{
    address_ = address;
    UrlParts parts;
    if (!CrackUrl(address, parts)) return false;
    handles_->request.Reset();
    handles_->connection.Reset(::InternetConnectA(handles_->session.Get(), parts.host.c_str(), parts.port,
                                                  OrNull(parts.user), OrNull(parts.password),
                                                  INTERNET_SERVICE_HTTP, 0, 0));
    if (!handles_->connection) return false;
    SetTimeouts(handles_->connection.Get(), limits_.callMs);
    handles_->request.Reset(::HttpOpenRequestA(handles_->connection.Get(), "GET", parts.object.c_str(),
                                               nullptr, nullptr, nullptr,
                                               kRequestFlags | (parts.secure ? INTERNET_FLAG_SECURE : 0), 0));
    if (!handles_->request) return false;
    SetTimeouts(handles_->request.Get(), limits_.callMs);

    // Connecting, the secure handshake and the answer's headers all happen
    // in this one call.
    auto handles = handles_;
    auto sent = std::make_shared<BOOL>(FALSE);
    bool inTime = Blocking([handles, sent, headers = headers_] {
        *sent = ::HttpSendRequestA(handles->request.Get(), headers.c_str(), static_cast<DWORD>(headers.size()),
                                   nullptr, 0);
    });
    return inTime && *sent;
}

bool HttpRequest::QueryNumber(DWORD query, DWORD& value) const
{
    DWORD size = sizeof value;
    return ::HttpQueryInfoA(handles_->request.Get(), query | HTTP_QUERY_FLAG_NUMBER, &value, &size,
                            nullptr) != FALSE;
}

std::string HttpRequest::QueryText(DWORD query) const
{
    char text[256] = {};
    DWORD size = sizeof text;
    if (!::HttpQueryInfoA(handles_->request.Get(), query, text, &size, nullptr)) return {};
    return std::string(text, size);
}

DWORD HttpRequest::ContentLength() const
{
    const std::uint64_t length = AnnouncedLength();
    return length <= MAXDWORD ? static_cast<DWORD>(length) : 0;
}

std::uint64_t HttpRequest::AnnouncedLength() const
{
    // Read as text: the number form of the query is 32 bits wide, and a
    // larger length must not come out as a smaller one.
    std::uint64_t length = 0;
    return ParseContentLength(QueryText(HTTP_QUERY_CONTENT_LENGTH), length) ? length : 0;
}

bool HttpRequest::WaitForData(DWORD& available)
{
    available = 0;
    if (caller_.LeftBehind()) return false;
    // Waits for one piece at most, which the receive time-out bounds.
    Clock::time_point start = Clock::now();
    BOOL ok = ::InternetQueryDataAvailable(handles_->request.Get(), &available, 0, 0);
    return Spend(start) && ok;
}

bool HttpRequest::Read(DWORD want, DWORD available, DWORD& got)
{
    got = 0;
    if (caller_.LeftBehind()) return false;
    if (!handles_->buffer) handles_->buffer.reset(new char[ReadSizer::kLargest]);
    if (want <= available) {  // all there: no wait
        Clock::time_point start = Clock::now();
        BOOL ok = ::InternetReadFile(handles_->request.Get(), handles_->buffer.get(), want, &got);
        budget_.Received(got);
        return Spend(start) && ok;
    }
    auto handles = handles_;
    auto result = std::make_shared<std::pair<BOOL, DWORD>>(FALSE, 0);
    if (!Blocking([handles, result, want] {
            result->first =
                ::InternetReadFile(handles->request.Get(), handles->buffer.get(), want, &result->second);
        }))
        return false;
    got = result->second;
    budget_.Received(got);
    return result->first != FALSE;
}

bool HttpRequest::Spend(Clock::time_point start)
{
    if (budget_.Exhausted()) return false;
    budget_.Spend(static_cast<std::uint64_t>(
        std::chrono::duration_cast<std::chrono::microseconds>(Clock::now() - start).count()));
    if (!budget_.Exhausted()) return true;
    TimedOut();
    return false;
}

bool HttpRequest::Blocking(std::function<void()> call)
{
    if (budget_.Exhausted() || caller_.LeftBehind()) return false;
    Clock::time_point start = Clock::now();
    if (caller_.Run(std::move(call), budget_.LeftMs())) return Spend(start);
    TimedOut();
    return false;
}

void HttpRequest::TimedOut() { Fail("错误：等待服务器超时：" + address_); }

void HttpRequest::Fail(const std::string& reason)
{
    WriteLog(reason);
    failure_ = reason;
}

}  // namespace quibo
