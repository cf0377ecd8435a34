#include <gtest/gtest.h>

#include "core/config/skin_attributes.h"

using namespace quibo;

namespace {

TEST(SkinAttributes, GetAttribute)
{
    struct Case {
        const char* attributes;
        const char* key;
        const char* value;
    } cases[] = {
        {"show=1;;rect=10,20,30,40", "show", "1"},
        {"show=1;;rect=10,20,30,40", "rect", "10,20,30,40"},
        {"show=1;;rect=10,20,30,40", "clrbk", ""},
        {"  show=1;;text=  Next  ;;url=x  ", "text", "  Next  "},  // the value keeps its blanks
        {"show=1;;show=0", "show", "0"},                           // a later occurrence wins
        {"showx=1", "show", "=1"},                                 // a prefix of the first name matches
        {"text=a;b;c;;show=1", "text", "a;b;c"},                   // single semicolons belong to the value
        {"clrHover=255;;clrhover=0", "clrHover", "255"},           // names compare with case
        {"show", "show", ""},
        {"", "show", ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(GetAttribute(c.attributes, c.key), c.value) << c.attributes << " / " << c.key;
}

TEST(SkinAttributes, ParseRect)
{
    struct Case {
        const char* text;
        SkinRect rect;
    } cases[] = {
        {"10,20,30,40", {10, 20, 40, 60}},
        {" 5 , 6 ,7,8", {5, 6, 12, 14}},
        {"1,2,3", {}},
        {"", {}},
        {"-5,-5,10,10", {-5, -5, 5, 5}},
        {"1,2,3,4,5", {1, 2, 4, 6}},  // the fourth piece runs to the end
        {"a,2,b,4", {0, 2, 0, 6}},
        // Sums past the 32-bit range stop at its limit.
        {"2147483647,0,10,0", {2147483647, 0, 2147483647, 0}},
    };
    for (const Case& c : cases) {
        SkinRect r = ParseRect(c.text);
        EXPECT_TRUE(r == c.rect) << c.text << " gave " << r.left << "," << r.top << "," << r.right << ","
                                 << r.bottom;
    }
}

TEST(SkinAttributes, ParseIntAndColor)
{
    EXPECT_EQ(ParseInt(" 12 ", 7), 12);
    EXPECT_EQ(ParseInt("  ", 7), 7);
    EXPECT_EQ(ParseInt("x", 7), 0);  // present but not a number
    EXPECT_EQ(ParseInt("-3", 7), -3);
    EXPECT_EQ(ParseColor("16777215", 0), 0xFFFFFFu);
    EXPECT_EQ(ParseColor("", 0x123u), 0x123u);
}

}  // namespace
