// The status check before a download and the user's text for each answer.
#include <gtest/gtest.h>

#include "download/http_status.h"
#include "transfer_test_support.h"

using namespace quibo;

using namespace transfertest;

TEST(CheckHttpUrl, AnswersWithTheStatusText)
{
    ServedFile served("status_ok.txt", "ok");
    const struct {
        std::string url;
        bool ok;
        const char* message;
    } cases[] = {
        {std::string(kHttp) + "status_ok.txt", true, ""},
        {std::string(kHttps) + "status_ok.txt", true, ""},
        {std::string(kOdd) + "redirect/status_ok.txt", true, ""},  // 302, then 200
        {std::string(kHttp) + "no_such_file.bin", false, "Http错误404: 无法找到文件"},
        {std::string(kOdd) + "status/403", false, "Http错误403: 禁止访问"},
        {std::string(kOdd) + "status/407", false, "Http错误407:  要求代理身份验证"},
        {std::string(kOdd) + "status/414", false, "Http错误414:  请求 - URI 太长"},
        {std::string(kOdd) + "status/502", false, "Http错误502:  网关错误"},
        {std::string(kOdd) + "status/503", false, ""},  // no text of its own
        {std::string(kClosed) + "nothing_listens", false, ""},
        {std::string(kHttpsWrongName) + "status_ok.txt", false, ""},
        {std::string(kHttpsUnknownCa) + "status_ok.txt", false, ""},
        {kHttp + std::string(600, 'a'), false, ""},  // too long to canonicalise
    };
    for (const auto& c : cases) {
        std::string message = "left over";
        EXPECT_EQ(CheckHttpUrl(c.url, message), c.ok) << c.url.substr(0, 60);
        EXPECT_EQ(message, c.message) << c.url.substr(0, 60);
    }
}
