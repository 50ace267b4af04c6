#include "cli/progress.h"

#include <gtest/gtest.h>

namespace {

TEST(ProgressLine, ShowsPointsRaysAndTime)
{
    EXPECT_EQ(formatProgressLine(1234, 1000000, 56789, 12.34), "Tracing  1,234 / 1,000,000 points  56,789 rays  12.3 s");
}

TEST(ProgressLine, UnknownCountsAreMarkedNotInvented)
{
    EXPECT_EQ(formatProgressLine(-1, 10, -1, 1.0), "Tracing  ? / 10 points  1.0 s");
}

TEST(CookProgress, DisabledDisplayLeavesTheServerAlone)
{
    int reads = 0;
    {
        CookProgress progress([&](const char *) { return int64_t(++reads); }, 10, false);
    }
    EXPECT_EQ(reads, 0);
}

} // namespace
