#include "cli/progress.h"

#include <UT/UT_Interrupt.h>
#include <gtest/gtest.h>

namespace
{

TEST(ProgressLine, ShowsPointsRaysAndTime)
{
    EXPECT_EQ(formatProgressLine(1234, 1000000, 56789, 12.34),
              "Tracing  1,234 / 1,000,000 points  56,789 rays  12.3 s");
}

TEST(ProgressLine, UnknownCountsAreMarkedNotInvented)
{
    EXPECT_EQ(formatProgressLine(-1, 10, -1, 1.0), "Tracing  ? / 10 points  1.0 s");
}

// The display hears the interrupt server's polls only while it lives, and
// stays silent (reads no statistics) during a cook's first second.
TEST(CookProgress, ListensOnlyWhileAliveAndEnabled)
{
    int reads = 0;
    auto reader = [&](const char *) { return int64_t(++reads); };
    {
        const CookProgress disabled(reader, 10, false);
        UT_AutoInterrupt scope("Tracing Points");
        scope.wasInterrupted(50);
    }
    {
        const CookProgress quietStart(reader, 10, true);
        UT_AutoInterrupt scope("Tracing Points");
        scope.wasInterrupted(50);
    }
    // The display is gone: a poll must not reach it (a dangling callback
    // would be a use after free here).
    UT_AutoInterrupt scope("Tracing Points");
    scope.wasInterrupted(60);
    EXPECT_EQ(reads, 0);
}

}  // namespace
