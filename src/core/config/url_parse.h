// Breaking an address such as "ftp://user:pw@host:2121/pub/server.bin" into
// its parts, for choosing a fetcher and for the FTP and local fetchers.
#pragma once

#include <string>
#include <string_view>

namespace quibo {

enum class UrlService { Http, Https, Ftp, File, Other };

struct ParsedUrl {
    UrlService service = UrlService::Other;
    std::string server;
    std::string user;      // written into the address as "user:password@"
    std::string password;  // before the server; empty when not
    std::string object;  // "/..." for network addresses; a local path for file:
    int port = 0;        // explicit, or the scheme's default (0 for file:)
};

// Schemes compare without regard to case. For "file:" the object is the local
// path: "file:///C:/x" and "file://C:/x" give "C:/x", "file://host/share/x"
// gives the UNC path "//host/share/x".
ParsedUrl ParseUrl(std::string_view address);

}  // namespace quibo
