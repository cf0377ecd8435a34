#include "core/config/url_parse.h"

#include "core/text/case_fold.h"
#include "core/text/code_page.h"
#include "core/text/decimal.h"

namespace quibo {

namespace {

struct SchemeInfo {
    const char* prefix;
    UrlService service;
    int port;
};

constexpr SchemeInfo kSchemes[] = {
    {"http://", UrlService::Http, 80},
    {"https://", UrlService::Https, 443},
    {"ftp://", UrlService::Ftp, 21},
    {"file://", UrlService::File, 0},
};

bool IsDriveStart(std::string_view path)
{
    return path.size() >= 2 && path[1] == ':' &&
           ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z'));
}

std::string LocalPath(std::string_view rest)
{
    if (!rest.empty() && rest[0] == '/') {
        std::string_view tail = rest.substr(1);
        return std::string(IsDriveStart(tail) ? tail : rest);
    }
    if (IsDriveStart(rest)) return std::string(rest);
    return "//" + std::string(rest);
}

}  // namespace

ParsedUrl ParseUrl(std::string_view address)
{
    ParsedUrl url;
    size_t schemeEnd = FindText(address, "://");
    if (schemeEnd == std::string_view::npos) return url;
    std::string_view scheme = address.substr(0, schemeEnd + 3);
    std::string_view rest = address.substr(schemeEnd + 3);

    for (const SchemeInfo& info : kSchemes) {
        if (EqualsNoCase(scheme, info.prefix)) {
            url.service = info.service;
            url.port = info.port;
        }
    }
    if (url.service == UrlService::File) {
        url.object = LocalPath(rest);
        return url;
    }

    size_t slash = FindText(rest, "/");
    std::string_view authority = rest.substr(0, slash);
    url.object = slash == std::string_view::npos ? std::string("/") : std::string(rest.substr(slash));

    // The server follows the last "@": a password may hold one itself.
    size_t at = FindLastChar(authority, '@');
    if (at != std::string_view::npos) {
        std::string_view credentials = authority.substr(0, at);
        size_t colon = FindText(credentials, ":");
        url.user = std::string(credentials.substr(0, colon));
        if (colon != std::string_view::npos) url.password = std::string(credentials.substr(colon + 1));
        authority = authority.substr(at + 1);
    }
    size_t colon = FindLastChar(authority, ':');
    if (colon != std::string_view::npos) {
        int port = ParseDecimal(authority.substr(colon + 1));
        if (port > 0) url.port = port;
        authority = authority.substr(0, colon);
    }
    url.server = std::string(authority);
    return url;
}

}  // namespace quibo
