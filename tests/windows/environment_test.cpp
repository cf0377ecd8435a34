// The ground every other Windows test stands on: Wine runs us with the Chinese
// ANSI code page, and our string literals arrive in it.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>

#include "core/log/run_log.h"

using namespace quibo;

TEST(Environment, AnsiCodePageIs936) { EXPECT_EQ(::GetACP(), 936u); }

TEST(Environment, ChineseLiteralRoundTripsThroughWideText)
{
    const char narrow[] = "信息提示";
    // Compiled in code page 936: two bytes a character.
    EXPECT_EQ(std::string(narrow), "\xD0\xC5\xCF\xA2\xCC\xE1\xCA\xBE");

    wchar_t wide[16] = {};
    int n = ::MultiByteToWideChar(CP_ACP, 0, narrow, -1, wide, 16);
    ASSERT_EQ(n, 5);
    EXPECT_EQ(std::wstring(wide), L"\u4FE1\u606F\u63D0\u793A");

    char back[16] = {};
    ::WideCharToMultiByte(CP_ACP, 0, wide, -1, back, sizeof back, nullptr, nullptr);
    EXPECT_STREQ(back, narrow);
}

TEST(Environment, TrailByte5CIsNotAPathSeparator)
{
    // "癨" (0xB1 0x5C) ends in the byte of "\": the system's own walk agrees.
    const char text[] = "\xB1\x5C";
    EXPECT_TRUE(::IsDBCSLeadByte(static_cast<BYTE>(text[0])));
    EXPECT_EQ(::CharNextA(text), text + 2);
}

TEST(Environment, RunLogWritesCodePage936Bytes)
{
    const char path[] = "environment_test.log";
    std::remove(path);
    RunLog& log = RunLog::Instance();
    log.SetEnabled(true);
    log.Open(path);
    WriteLog("★ 信息提示");
    log.Close(path);
    log.SetEnabled(false);

    std::ifstream in(path, std::ios::binary);
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    in.close();
    std::remove(path);
    ASSERT_EQ(text.size(), 12u + 2 + 1 + 8 + 2);
    EXPECT_EQ(text.substr(12), "\xA1\xEF \xD0\xC5\xCF\xA2\xCC\xE1\xCA\xBE\r\n");
}
