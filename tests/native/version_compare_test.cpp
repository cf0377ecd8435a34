#include <gtest/gtest.h>

#include "core/config/version_compare.h"

using namespace quibo;

namespace {

TEST(VersionCompare, IsVersionNewer)
{
    struct Case {
        const char* server;
        const char* client;
        bool newer;
    } cases[] = {
        // Components compare as numbers, not as text.
        {"1.10", "1.9", true},
        {"1.9", "1.10", false},
        {"1.2", "1.2.5", false},
        {"1.2.5", "1.2", true},
        {"2", "1.9", true},
        {"1", "1.9", false},
        {"1.9", "2.0", false},
        {"2.0", "1.9", true},
        {"1.2.3", "1.2.3", false},
        {"1.2.4", "1.2.3", true},
        {"0.0.1", "0.0.0", true},
        {"0.0.0", "0.0.0", false},
        // Leading zeros do not count.
        {"1.02", "1.1", true},
        {"01.0", "1.0", false},
        {"1.010", "1.9", true},
        // Blanks before a component are skipped.
        {" 1. 3", "1.2", true},
        {"1.2 ", "1.2", false},
        // Missing components read as 0.
        {"1..2", "1.0.1", true},
        {"", "0.0.0", false},
        {"1.0", "", true},
        {".1", "0.0", true},
        // Reading a component stops at its first non-digit.
        {"1.2a", "1.2", false},
        {"1.3beta", "1.2", true},
        {"beta", "0.0.0", false},
        {"v2.0", "1.0", false},
        // Out-of-range components stop at the 32-bit limit instead of wrapping.
        {"99999999999.0", "1.0", true},
        {"99999999999.0", "2147483647.0", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(IsVersionNewer(c.server, c.client), c.newer) << c.server << " vs " << c.client;
}

}  // namespace
