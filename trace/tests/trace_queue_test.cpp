// The hand-off ring between the trace-ahead walk and its helpers: every
// published ray comes back exactly once and in publishing order, traced
// exactly as a ray traced alone, or untraced only when it was withdrawn; the
// walk claiming rays itself and helpers on other threads mix freely, and the
// ring wraps round many times.
#include "trace/trace_queue.h"

#include "trace/tests/trace_test_scenes.h"

#include <UT/UT_ParallelUtil.h>

#include <cstring>
#include <gtest/gtest.h>
#include <random>
#include <set>
#include <vector>

using namespace trace_test;

namespace
{

bool sameBits(const UT_Vector3 &a, const UT_Vector3 &b)
{
    return std::memcmp(a.data(), b.data(), sizeof(float) * 3) == 0;
}

class TraceQueueTest : public ::testing::TestWithParam<int>
{};

}  // namespace

TEST_P(TraceQueueTest, EveryRayComesBackOnceInOrder)
{
    const int threads = GetParam();
    ColliderBuilder scene;
    scene.room(4, UT_Vector3(0.9f, 0.8f, 0.7f));
    const Collider collider(scene.gdp, SearchMode::Accelerated);
    constexpr int64_t kRays = 6000;
    const UT_Vector3 origin(0.5f, -0.25f, 1.0f);
    std::mt19937 random(7);
    std::uniform_real_distribution<float> component(-1.0f, 1.0f);
    std::vector<UT_Vector3> directions;
    std::vector<BounceResult> expected;
    for (int64_t i = 0; i < kRays; ++i)
    {
        directions.emplace_back(component(random), component(random), component(random));
        UT_Vector3 position = origin, direction = directions.back();
        expected.push_back(traceBounces(position, direction, collider, 1));
    }

    const UT_ThreadLimit limit(threads);
    TraceQueue queue(collider, 16);
    std::set<int64_t> withdrawn;
    int64_t collected = 0;
    int64_t traced = 0;
    const auto walk = [&]() {
        int64_t published = 0;
        while (collected < kRays)
        {
            while (published < kRays && queue.inFlight() < queue.capacity())
            {
                queue.publish(published, int32_t(published % 3), origin, directions[size_t(published)]);
                if (++published % 7 == 0)
                    queue.cancelUnclaimed([&](int64_t id) {
                        if (id % 5 != 0)
                            return false;
                        withdrawn.insert(id);
                        return true;
                    });
            }
            queue.traceOne();
            while (const QueuedRay *r = queue.collectable())
            {
                ASSERT_EQ(r->frame, collected) << "rays come back in publishing order";
                ASSERT_EQ(r->ray, int32_t(collected % 3));
                if (r->traced)
                {
                    ++traced;
                    const BounceResult &e = expected[size_t(collected)];
                    EXPECT_TRUE(sameBits(r->result.position, e.position) &&
                                sameBits(r->result.direction, e.direction) &&
                                sameBits(r->result.surfaceIntensity, e.surfaceIntensity))
                        << "ray " << collected;
                }
                else
                    EXPECT_EQ(withdrawn.count(collected), 1u) << "only a withdrawn ray comes back untraced";
                queue.popCollected();
                ++collected;
            }
        }
    };
    for (int pass = 0; pass < 2; ++pass)
    {
        // Twice, as the walk runs a batch at a time with the same queue.
        queue.open();
        UTrunWithHelpers(
            threads - 1, [&](const std::atomic<bool> &) { queue.help(); },
            [&]() {
                walk();
                queue.close();
            });
        EXPECT_EQ(collected, kRays);
        EXPECT_GE(traced, kRays - int64_t(withdrawn.size()));
        collected = 0;
        traced = 0;
        withdrawn.clear();
    }
}

INSTANTIATE_TEST_SUITE_P(Threads, TraceQueueTest, ::testing::Values(1, 2, 4));
