// The length a server announces, read from the header's text: a lying or
// garbled one must never turn into a smaller number than it says.
#include <gtest/gtest.h>

#include "core/transfer/header_number.h"

using namespace quibo;

TEST(ContentLength, OnlyOneWholeDecimalNumberIsALength)
{
    const struct {
        const char* text;
        bool ok;
        std::uint64_t length;
    } cases[] = {
        {"5000", true, 5000},
        {" 42 ", true, 42},
        {"0", true, 0},
        {"4000000000", true, 4000000000u},                   // past 31 bits
        {"1125899906842624", true, 1125899906842624u},       // past 32 bits
        {"18446744073709551615", true, UINT64_MAX},
        {"18446744073709551616", false, 0},                  // past 64 bits
        {"", false, 0},
        {"-1", false, 0},
        {"+5", false, 0},
        {"12 34", false, 0},
        {"12x", false, 0},
        {"0x10", false, 0},
    };
    for (const auto& c : cases) {
        std::uint64_t length = 7;
        EXPECT_EQ(ParseContentLength(c.text, length), c.ok) << c.text;
        if (c.ok) {
            EXPECT_EQ(length, c.length) << c.text;
        }
    }
}
