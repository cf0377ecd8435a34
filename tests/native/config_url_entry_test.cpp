#include <gtest/gtest.h>

#include "core/config/url_entry.h"
#include "core/config/url_parse.h"

using namespace quibo;

namespace {

TEST(UrlEntry, GetUrlEntryFindsEntriesByKey)
{
    const std::string list = "  url0=http://a/x.bin;;url1=ftp://b/x.bin,,u,,p;;url2=  ";
    EXPECT_EQ(GetUrlEntry(list, "url0"), "http://a/x.bin");
    EXPECT_EQ(GetUrlEntry(list, "url1"), "ftp://b/x.bin,,u,,p");
    EXPECT_EQ(GetUrlEntry(list, "url2"), "");  // the list is trimmed first
    EXPECT_EQ(GetUrlEntry(list, "url3"), "");
    EXPECT_EQ(GetUrlEntry("", "url0"), "");
    // Only the key, without "=" or value: nothing to read past the end.
    EXPECT_EQ(GetUrlEntry("url0", "url0"), "");
}

TEST(UrlEntry, SplitUrlEntryForms)
{
    struct Case {
        std::string entry, scheme, rest, user, password;
    } cases[] = {
        {"http://a.com/up/server.bin", "http://", "a.com/up/server.bin", "", ""},
        {"  ftp://h/x.bin,,anna  ", "ftp://", "h/x.bin", "anna", ""},
        {"ftp://h/x.bin,,anna,,secret", "ftp://", "h/x.bin", "anna", "secret"},
        // The second ",," stands at the start of the remainder: no password.
        {"ftp://h/x.bin,,,,secret", "ftp://", "h/x.bin", ",,secret", ""},
        {"file:\\\\C:\\pkg\\server.bin", "file://", "C:/pkg/server.bin", "", ""},
        {"www.acme.com/server.bin", "", "www.acme.com/server.bin", "", ""},
        {"://nothing", "", "://nothing", "", ""},
        {",,anna", "", ",,anna", "", ""},
    };
    for (const Case& c : cases) {
        UrlEntryParts parts = SplitUrlEntry(c.entry);
        EXPECT_EQ(parts.scheme, c.scheme) << c.entry;
        EXPECT_EQ(parts.rest, c.rest) << c.entry;
        EXPECT_EQ(parts.user, c.user) << c.entry;
        EXPECT_EQ(parts.password, c.password) << c.entry;
    }
}

std::vector<std::string> Urls(const std::vector<UrlAddress>& addresses)
{
    std::vector<std::string> urls;
    for (const UrlAddress& a : addresses) urls.push_back(a.url + "|" + a.user + "|" + a.password);
    return urls;
}

TEST(UrlEntry, ReadUrlListStopsAtAMissingEntryAndSkipsEntriesWithoutScheme)
{
    using List = std::vector<std::string>;
    // url1 is missing, so url2 is never reached.
    EXPECT_EQ(Urls(ReadUrlList("url0=http://a/1.bin;;url2=http://c/3.bin")), List{"http://a/1.bin||"});
    // An entry without a scheme is skipped, and the scan goes on.
    EXPECT_EQ(Urls(ReadUrlList("url0=www.a.com/1.bin;;url1=ftp://b/2.bin,,u,,p")), List{"ftp://b/2.bin|u|p"});
    // A scheme without anything after it is no address either.
    EXPECT_EQ(Urls(ReadUrlList("url0=http://;;url1=ftp://b/2.bin")), List{"ftp://b/2.bin||"});
    EXPECT_EQ(Urls(ReadUrlList("url0=http://")), List{});
    // Credentials written into an FTP address serve when the entry names no
    // user; the last "@" ends them, so a password may hold one.
    EXPECT_EQ(Urls(ReadUrlList("url0=ftp://anna:p@ss@ftp.example.com/x")),
              List{"ftp://anna:p@ss@ftp.example.com/x|anna|p@ss"});
    EXPECT_EQ(Urls(ReadUrlList("url0=ftp://anna@h/x")), List{"ftp://anna@h/x|anna|"});
    EXPECT_EQ(Urls(ReadUrlList("url0=ftp://anna:pw@h/x,,bob,,secret")), List{"ftp://anna:pw@h/x|bob|secret"});
    // An empty entry ends the scan like a missing one.
    EXPECT_EQ(Urls(ReadUrlList("url0=;;url1=http://b/2.bin")), List{});

    std::string ten;
    for (int i = 0; i <= 10; ++i) ten += "url" + std::to_string(i) + "=http://h/" + std::to_string(i) + ";;";
    std::vector<UrlAddress> addresses = ReadUrlList(ten);
    ASSERT_EQ(addresses.size(), 10u);  // url10 is beyond the ten entries
    EXPECT_EQ(addresses.back().url, "http://h/9");
}

TEST(UrlParse, ServiceServerObjectAndPort)
{
    struct Case {
        std::string address;
        UrlService service;
        std::string server, object;
        int port;
    } cases[] = {
        {"http://www.acme.com/up/server.bin", UrlService::Http, "www.acme.com", "/up/server.bin", 80},
        {"HTTPS://www.acme.com", UrlService::Https, "www.acme.com", "/", 443},
        {"ftp://anna:pw@ftp.acme.com:2121/pub/server.bin", UrlService::Ftp, "ftp.acme.com", "/pub/server.bin",
         2121},
        // The last "@" ends the credentials: a password may hold one.
        {"ftp://anna:p@ss@ftp.example.com/x", UrlService::Ftp, "ftp.example.com", "/x", 21},
        {"http://host:/x", UrlService::Http, "host", "/x", 80},  // an empty port is the default
        {"file:///C:/pkg/my%20dir/server.bin", UrlService::File, "", "C:/pkg/my%20dir/server.bin", 0},
        {"File://C:/pkg/server.bin", UrlService::File, "", "C:/pkg/server.bin", 0},
        {"file://fileserver/share/server.bin", UrlService::File, "", "//fileserver/share/server.bin", 0},
        {"gopher://h/x", UrlService::Other, "h", "/x", 0},
        {"no scheme at all", UrlService::Other, "", "", 0},
    };
    for (const Case& c : cases) {
        ParsedUrl url = ParseUrl(c.address);
        EXPECT_EQ(url.service, c.service) << c.address;
        EXPECT_EQ(url.server, c.server) << c.address;
        EXPECT_EQ(url.object, c.object) << c.address;
        EXPECT_EQ(url.port, c.port) << c.address;
    }
}

}  // namespace
