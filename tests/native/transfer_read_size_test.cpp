// How much a download asks for at a time: no waiting for more than a slow
// link has delivered, large requests on a fast one.
#include <gtest/gtest.h>

#include "core/transfer/read_size.h"

using namespace quibo;

TEST(ReadSizer, SlowLinkIsAskedOnlyForWhatHasArrived)
{
    ReadSizer sizer;
    for (std::uint32_t available : {1u, 1000u, ReadSizer::kFullBuffer - 1})
        EXPECT_EQ(sizer.Next(available), available);
    EXPECT_EQ(sizer.Next(0), ReadSizer::kLargest);  // the end: any size finds it at once
}

TEST(ReadSizer, FastLinkGrowsTheRequestStepByStepToTheBuffer)
{
    ReadSizer sizer;
    std::uint32_t previous = 0;
    for (int i = 0; i < 20; ++i) {
        std::uint32_t want = sizer.Next(ReadSizer::kFullBuffer);
        EXPECT_GE(want, previous);
        EXPECT_LE(want, previous == 0 ? 2 * ReadSizer::kFullBuffer : 2 * previous);
        sizer.Measured(ReadSizer::kFullBuffer, want, want, 0.0005);
        previous = want;
    }
    EXPECT_EQ(previous, ReadSizer::kLargest);
}

TEST(ReadSizer, RequestShrinksToWhatTheRateDeliversInAFewTensOfMilliseconds)
{
    ReadSizer sizer;
    for (int i = 0; i < 20; ++i) {
        std::uint32_t want = sizer.Next(ReadSizer::kFullBuffer);
        sizer.Measured(ReadSizer::kFullBuffer, want, want, 0);
    }
    ASSERT_EQ(sizer.Next(ReadSizer::kFullBuffer), ReadSizer::kLargest);

    sizer.Measured(ReadSizer::kFullBuffer, ReadSizer::kLargest, ReadSizer::kLargest,
                   1.0);  // the link fell to 1 MiB/s
    std::uint32_t want = sizer.Next(ReadSizer::kFullBuffer);
    EXPECT_NEAR(want, ReadSizer::kLargest * ReadSizer::kTargetSeconds, 1);

    sizer.Measured(ReadSizer::kFullBuffer, want, want, 10.0);  // and further: never below the buffer
    EXPECT_EQ(sizer.Next(ReadSizer::kFullBuffer), ReadSizer::kFullBuffer);
}

TEST(ReadSizer, ReadsThatDidNotWaitTeachNothing)
{
    ReadSizer sizer;
    std::uint32_t before = sizer.Next(ReadSizer::kFullBuffer);
    sizer.Measured(50000, 40000, 40000, 10.0);                // all of it was waiting already
    sizer.Measured(ReadSizer::kFullBuffer, before, 0, 10.0);  // the end
    EXPECT_EQ(sizer.Next(ReadSizer::kFullBuffer), before);
}
