#include "core/text/match_filter.h"

#include <gtest/gtest.h>

#include <string>

using namespace quibo;

TEST(MatchFilter, PatternsAgainstNames)
{
    const struct {
        const char* filter;
        const char* name;
        bool match;
    } cases[] = {
        {"", "anything.bin", true},
        {"   ", "anything.bin", true},
        {"*", "", true},
        {"*.dll", "core.dll", true},
        {"*.dll", "core.DLL", true},
        {"*.DLL", "core.dll", true},
        {"*.dll", "core.dll.bak", false},
        {"*.dll", "dll", false},
        {"*.txt, *.dll", "core.dll", true},
        {"*.txt,,*.dll,", "core.dll", true},
        {"*.txt,*.ini", "core.dll", false},
        {"read?e.txt", "readme.txt", true},
        {"read?e.txt", "reade.txt", false},
        {"a**b", "ab", true},
        {"a*b*c", "a-b-b-c", true},
        {"a*b*c", "a-b-b-cd", false},
        {"*a", "aaaa", true},
        {"?", "", false},
        {"core.dll", "core.dll", true},
        {"core.dll", "xcore.dll", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(MatchFilter(c.filter, c.name), c.match) << '"' << c.filter << "\" vs \"" << c.name << '"';
}

TEST(MatchFilter, DoubleByteCharactersCountAsOneAndKeepTheirCase)
{
    // "中" is 0xD6 0xD0 and "癨" 0xB1 0x5C in code page 936.
    const auto cp936 = TextCharset::CodePage936;
    EXPECT_TRUE(MatchWildcard("?.txt", "\xD6\xD0.txt", cp936));
    EXPECT_FALSE(MatchWildcard("??.txt", "\xD6\xD0.txt", cp936));
    EXPECT_TRUE(MatchWildcard("*\x5C.txt", "a\x5C.txt", cp936));
    // A trail byte that looks like a letter or "\" is no match for one.
    EXPECT_FALSE(MatchWildcard("*\x5C.txt", "\xB1\x5C.txt", cp936));
    EXPECT_FALSE(MatchWildcard("\xD6\xF0", "\xD6\xD0", cp936));
}
