// The percent text on a progress bar: the value where the format asks for it,
// and a stray "%s" or "%n" printed as written instead of reading memory.
#include <gtest/gtest.h>

#include <string>

#include "core/text/percent_text.h"

using namespace quibo;

TEST(PercentText, FormatsTheValueAndNothingElse)
{
    struct Case {
        std::string format;
        int value;
        std::string text;
    };
    const Case cases[] = {
        {"", 0, "0%"},          {"", 100, "100%"},       {"%d%%", 42, "42%"}, {"已下载 %d%%", 7, "已下载 7%"},
        {"%d/%d", 3, "3/3"},    {"%s%n%x", 5, "%s%n%x"}, {"100%", 1, "100%"}, {"%%d", 9, "%d"},
        {"plain", 50, "plain"},
    };
    for (const Case& c : cases) EXPECT_EQ(FormatProgressText(c.format, c.value), c.text) << c.format;
}
