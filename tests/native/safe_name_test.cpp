#include "core/text/safe_name.h"

#include <gtest/gtest.h>

#include <string>

TEST(SafeName, OnlyNamesThatStayInTheirFolderPass)
{
    const struct {
        std::string name;
        bool plain;
    } cases[] = {
        {"setup.exe", true},
        {"read me (1).txt", true},
        {".profile", true},
        {"a.b.c", true},
        {"", false},
        {".", false},
        {"..", false},
        {"..\\..\\Windows\\evil.dll", false},
        {"../../evil.dll", false},
        {"sub/evil.dll", false},
        {"sub\\evil.dll", false},
        {"...", false},
        {"x..y", false},
        {"C:evil.dll", false},
        {"file.txt:stream", false},
        {"tab\there", false},
        {"line\nbreak", false},
    };
    for (const auto& c : cases) EXPECT_EQ(IsPlainName(c.name), c.plain) << '"' << c.name << '"';
}

TEST(SafeName, TrailByteOfADoubleByteCharacterIsNotASeparator)
{
    // "癨" is 0xB1 0x5C in code page 936: its trail byte is the byte of "\".
    const std::string withTrail = "\xB1\x5C.txt";
    EXPECT_TRUE(IsPlainName(withTrail, TextCharset::CodePage936));
    EXPECT_FALSE(IsPlainName("\xB1\x5C\\x.txt", TextCharset::CodePage936));
    EXPECT_FALSE(IsPlainName("\xB1\x5C/x.txt", TextCharset::CodePage936));
    // Read byte by byte, the same bytes do hold a "\".
    EXPECT_FALSE(IsPlainName(withTrail, TextCharset::Utf8));
}
