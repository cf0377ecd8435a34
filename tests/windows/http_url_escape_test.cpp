// Addresses with Chinese characters reach the server as UTF-8.
#include <gtest/gtest.h>

#include "download/url_escape.h"

using namespace quibo;

TEST(EscapeUrlUtf8, WritesDoubleByteCharactersAsEscapedUtf8)
{
    const struct {
        const char* text;
        const char* escaped;
    } cases[] = {
        {"http://host/a%20b/file.bin?x=1", "http://host/a%20b/file.bin?x=1"},  // ASCII as it is
        {"/中文.bin", "/%E4%B8%AD%E6%96%87.bin"},
        {"/升级/\xB1\x5C.exe", "/%E5%8D%87%E7%BA%A7/%E7%9B%B6.exe"},  // trail byte 0x5C is no "\"
        {"/α", "/%CE%B1"},  // below U+0800: two UTF-8 bytes, not an overlong three
        {"/·", "/%C2%B7"},
        {"/\x80", "/%E2%82%AC"},  // the euro sign: one byte in code page 936
        {"", ""},
    };
    for (const auto& c : cases) EXPECT_EQ(EscapeUrlUtf8(c.text), c.escaped) << c.escaped;
}

TEST(EscapeUrlUtf8, LoneLeadByteAtTheEndDoesNotReadPastTheText)
{
    std::string text = "/a\xD6";  // a lead byte whose trail was cut off
    std::string escaped = EscapeUrlUtf8(std::string_view(text.data(), text.size()));
    EXPECT_EQ(escaped.substr(0, 2), "/a");
    EXPECT_EQ(escaped.find('\0'), std::string::npos);
    EXPECT_EQ(escaped[2], '%');
}
