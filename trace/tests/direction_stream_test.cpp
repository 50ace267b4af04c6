// Directions worked out ahead: whatever the producer manages, and whatever
// else draws from the process engine meanwhile, the walk gets exactly the
// directions scatterDirectionsInto would give, and the engine ends where it
// would.
#include "trace/direction_stream.h"

#include "math/scatter.h"
#include "trace/trace_queue.h"

#include <UT/UT_ParallelUtil.h>

#include <cstring>
#include <gtest/gtest.h>
#include <vector>

namespace
{

struct StreamCase
{
    const char *name;
    int threads;
    int externalDrawAt;  // a set before which something else draws from the engine; -1: never
};

class DirectionStreamTest : public ::testing::TestWithParam<StreamCase>
{};

// Sets of 1 to 9 directions, 3000 sets.
std::vector<UT_Vector3> drawSets(const StreamCase &c, bool stream)
{
    constexpr double kScatter = 140.0;
    std::vector<UT_Vector3> all;
    std::vector<UT_Vector3> set(9);
    DirectionStream directions(kScatter, sceneRandomEngine, 256);
    const auto walk = [&]() {
        for (int s = 0; s < 3000; ++s)
        {
            if (s == c.externalDrawAt)
                sceneRandomEngine.discard(3);
            const int32_t count = s % 9 + 1;
            if (stream)
                directions.draw(count, set.data());
            else
                scatterDirectionsInto(count, kScatter, set.data());
            all.insert(all.end(), set.begin(), set.begin() + count);
        }
    };
    const UT_ThreadLimit limit(c.threads);
    UTrunWithHelpers(
        c.threads - 1,
        [&](const std::atomic<bool> &stop) {
            for (int waits = 0; !stop.load(std::memory_order_relaxed);)
                if (!directions.produce(7))
                    waitForOtherThread(waits++);
        },
        walk);
    return all;
}

}  // namespace

TEST_P(DirectionStreamTest, GivesTheEnginesDirections)
{
    const StreamCase &c = GetParam();
    sceneRandomEngine.seed(5489u);
    const std::vector<UT_Vector3> expected = drawSets(c, false);
    const std::mt19937 expectedEngine = sceneRandomEngine;
    sceneRandomEngine.seed(5489u);
    const std::vector<UT_Vector3> got = drawSets(c, true);
    EXPECT_TRUE(sceneRandomEngine == expectedEngine);
    ASSERT_EQ(got.size(), expected.size());
    for (size_t i = 0; i < got.size(); ++i)
        ASSERT_EQ(std::memcmp(got[i].data(), expected[i].data(), sizeof(float) * 3), 0) << "direction " << i;
}

INSTANTIATE_TEST_SUITE_P(Cases, DirectionStreamTest,
                         ::testing::Values(StreamCase{"alone", 1, -1}, StreamCase{"helped", 2, -1},
                                           StreamCase{"helpedTwice", 3, -1}, StreamCase{"otherDrawEarly", 2, 40},
                                           StreamCase{"otherDrawLate", 2, 2500}),
                         [](const ::testing::TestParamInfo<StreamCase> &info) { return std::string(info.param.name); });
