// A skinned link opens web pages and mail forms only: a skin from the server
// must not make a click start a program, open a file or run a script.
#include <gtest/gtest.h>

#include <string>

#include "core/text/link_address.h"

using namespace quibo;

TEST(LinkAddress, OnlyWebAndMailAddressesMayBeOpened)
{
    struct Case {
        std::string url;
        bool openable;
    };
    const Case cases[] = {
        {"http://www.example.com/", true},
        {"https://example.com/a?b=c&d=e", true},
        {"HTTP://EXAMPLE.COM", true},
        {"HtTpS://example.com", true},
        {"mailto:support@example.com", true},
        {"MAILTO:a@b", true},
        {"http://例子.中国/路径", true},
        {"", false},
        {"http://", false},
        {"mailto:", false},
        {"http:/example.com", false},
        {"http:example.com", false},
        {"www.example.com", false},
        {" http://example.com", false},
        {"file:///C:/Windows/System32/calc.exe", false},
        {"C:\\x.exe", false},
        {"\\\\server\\share\\setup.exe", false},
        {"javascript:alert(1)", false},
        {"ftp://example.com/file", false},
        {"cmd.exe /c del *", false},
        {"httpx://example.com", false},
        {"http://example.com\" --user-data-dir=\"C:\\", false},
        {"http://example.com /evil", false},
        {"http://example.com\t", false},
        {std::string("http://a\0b", 10), false},
    };
    for (const Case& c : cases) EXPECT_EQ(IsOpenableLink(c.url), c.openable) << c.url;
}
