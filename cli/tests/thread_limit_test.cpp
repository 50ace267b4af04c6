#include "cli/thread_limit.h"

#include <gtest/gtest.h>

namespace
{

TEST(ThreadLimit, HoldsWhileAliveAndLiftsAfterwards)
{
    const int machine = ThreadLimit::active();
    ASSERT_GE(machine, 1);
    {
        const ThreadLimit one(1);
        EXPECT_EQ(ThreadLimit::active(), 1);
    }
    EXPECT_EQ(ThreadLimit::active(), machine);
    {
        const ThreadLimit none(0);  // leaves the machine's count alone
        EXPECT_EQ(ThreadLimit::active(), machine);
    }
}

}  // namespace
