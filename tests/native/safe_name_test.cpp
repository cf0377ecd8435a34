#include "core/text/safe_name.h"

#include <gtest/gtest.h>

#include <string>

using namespace quibo;

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
        {"x..y", true},
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

TEST(SafeName, WindowsDeviceNamesAndNamesEndingInADotOrBlank)
{
    const struct {
        std::string name;
        bool reserved;
    } cases[] = {
        {"CON", true},           {"con", true},         {"Nul", true},
        {"AUX", true},           {"PRN", true},         {"nul.txt", true},
        {"NUL.tar.gz", true},    {"con .txt", true},    {"COM1", true},
        {"com9.log", true},      {"LPT1.dll", true},    {"lpt0", true},
        {"CONIN$", true},        {"conout$.txt", true}, {"a.txt.", true},
        {"a.txt ", true},        {"readme.", true},     {"x ", true},
        {"CONSOLE", false},      {"con_1.txt", false},  {"COM10", false},
        {"COM", false},          {"LPT.txt", false},    {"xnul", false},
        {"nullable.txt", false}, {"a. b", false},       {".profile", false},
        {"CONIN", false},        {"", false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(IsReservedWindowsName(c.name, TextCharset::CodePage936), c.reserved)
            << '"' << c.name << '"';
        EXPECT_EQ(IsReservedWindowsName(c.name, TextCharset::Utf8), c.reserved)
            << '"' << c.name << "\" in UTF-8";
    }
    // COM and LPT with a superscript 1, 2 or 3 are ports as well. Code page
    // 936 has no superscripts: there the same bytes are another character.
    for (const char* name : {"COM\xC2\xB9", "lpt\xC2\xB2.txt", "Com\xC2\xB3"}) {
        EXPECT_TRUE(IsReservedWindowsName(name, TextCharset::Utf8)) << name;
        EXPECT_FALSE(IsReservedWindowsName(name, TextCharset::CodePage936)) << name;
    }
    EXPECT_FALSE(IsReservedWindowsName("COM\xC2\xB4", TextCharset::Utf8));  // an acute accent
}
