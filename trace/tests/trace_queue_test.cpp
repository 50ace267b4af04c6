// The hand-off ring between the trace-ahead walk and its helpers: every
// published group of rays comes back exactly once and in publishing order,
// each ray traced exactly as a ray traced alone, or untraced only when the
// group was withdrawn; groups of one ray and of a full slot alike; the
// walk claiming rays itself and helpers on other threads mix freely, and the
// ring wraps round many times. Then the ring of rays a walk is about to
// follow, claimed one by one: every ray comes back once, with the bits of a
// ray traced alone and the frame of its bounced direction, whatever order the
// walk waits for them in, and so does a copy the walk traces itself.
#include "trace/trace_queue.h"

#include "math/scatter.h"
#include "trace/urgent_rays.h"
#include "trace/walk_steps.h"

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

TEST_P(TraceQueueTest, EveryGroupComesBackOnceInOrder)
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

    // Group g carries g % kQueuedRaysMost + 1 rays, the next ones in order.
    std::vector<int64_t> firstRay;
    for (int64_t ray = 0; ray + int64_t(firstRay.size()) % kQueuedRaysMost + 1 <= kRays;)
    {
        const int64_t count = int64_t(firstRay.size()) % kQueuedRaysMost + 1;
        firstRay.push_back(ray);
        ray += count;
    }
    const int64_t kGroups = int64_t(firstRay.size());
    const auto countOf = [](int64_t g) { return int32_t(g % kQueuedRaysMost + 1); };

    const UT_ThreadLimit limit(threads);
    TraceQueue queue(collider, 16);
    std::set<int64_t> withdrawn;
    int64_t collected = 0;
    int64_t traced = 0;
    const auto walk = [&]() {
        int64_t published = 0;
        while (collected < kGroups)
        {
            while (published < kGroups && queue.inFlight() < queue.capacity())
            {
                QueuedRays &slot = queue.next();
                slot.frame = published;
                slot.origin = origin;
                slot.count = countOf(published);
                for (int32_t i = 0; i < slot.count; ++i)
                {
                    slot.rays[i] = int32_t(firstRay[size_t(published)] % 1000) + i;
                    slot.directions[i] = directions[size_t(firstRay[size_t(published)] + i)];
                }
                queue.publish();
                if (++published % 7 == 0)
                    queue.cancelUnclaimed([&](int64_t id) {
                        if (id % 5 != 0)
                            return false;
                        withdrawn.insert(id);
                        return true;
                    });
            }
            queue.traceOne();
            while (const QueuedRays *r = queue.collectable())
            {
                ASSERT_EQ(r->frame, collected) << "groups come back in publishing order";
                ASSERT_EQ(r->count, countOf(collected));
                const int64_t first = firstRay[size_t(collected)];
                for (int32_t i = 0; i < r->count && r->traced; ++i)
                {
                    ASSERT_EQ(r->rays[i], int32_t(first % 1000) + i);
                    const BounceResult &e = expected[size_t(first + i)];
                    EXPECT_TRUE(sameBits(r->results[i].position, e.position) &&
                                sameBits(r->results[i].direction, e.direction) &&
                                sameBits(r->results[i].surfaceIntensity, e.surfaceIntensity))
                        << "ray " << first + i;
                }
                if (r->traced)
                    ++traced;
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
        EXPECT_EQ(collected, kGroups);
        EXPECT_GE(traced, kGroups - int64_t(withdrawn.size()));
        collected = 0;
        traced = 0;
        withdrawn.clear();
    }
}

TEST_P(TraceQueueTest, UrgentRaysComeBackOnceWhateverOrderTheyAreAwaited)
{
    const int threads = GetParam();
    ColliderBuilder scene;
    scene.room(4, UT_Vector3(0.9f, 0.8f, 0.7f));
    const Collider collider(scene.gdp, SearchMode::Accelerated);
    constexpr double kScatter = 120.0;
    constexpr int64_t kRays = 4000;
    std::mt19937 random(11);
    std::uniform_real_distribution<float> component(-1.0f, 1.0f);
    struct Expected
    {
        UrgentRays::Ray input;
        UT_Vector3 direction;
        BounceResult result;
    };
    std::vector<Expected> expected(kRays);
    for (int64_t i = 0; i < kRays; ++i)
    {
        UrgentRays::Ray &in = expected[size_t(i)].input;
        in.tag = i;
        in.origin = UT_Vector3(component(random), component(random), component(random));
        in.rotation = frameFor(UT_Vector3(component(random), component(random), component(random)));
        uint32_t outputs[4];
        for (uint32_t &output : outputs)
            output = uint32_t(random());
        scatterDirectionsFromOutputs(1, kScatter, outputs, &in.cap);
        in.childFrame = i % 3 != 0;
        UT_Vector3 direction = applyRotation(in.rotation, in.cap);
        expected[size_t(i)].direction = direction;
        UT_Vector3 position = in.origin;
        expected[size_t(i)].result = traceBounces(position, direction, collider, 1);
    }

    const UT_ThreadLimit limit(threads);
    UrgentRays urgent(collider, 32);
    std::vector<int> seen(kRays, 0);
    UTrunWithHelpers(
        threads - 1,
        [&](const std::atomic<bool> &stop) {
            int64_t idleAt = -1;
            for (int waits = 0; !stop.load(std::memory_order_relaxed);)
                if (!urgent.traceOldest(idleAt))
                    waitForOtherThread(waits++);
        },
        [&]() {
            for (int64_t next = 0; next < kRays || urgent.inFlight() > 0;)
            {
                for (int n = 0; n < 3 && next < kRays && urgent.inFlight() < urgent.capacity(); ++n, ++next)
                {
                    urgent.next() = expected[size_t(next)].input;
                    urgent.publish();
                }
                // The walk waits for any ray in flight, not only the oldest,
                // or traces its own copy of it, whoever has claimed it.
                if (urgent.inFlight() > 0)
                {
                    const int64_t k = urgent.collected() + int64_t(random() % urgent.inFlight());
                    if (k % 4 == 0)
                    {
                        const UrgentRays::Ray copy = urgent.traceCopy(k);
                        const Expected &e = expected[size_t(k)];
                        EXPECT_TRUE(sameBits(copy.direction, e.direction) &&
                                    sameBits(copy.result.position, e.result.position) &&
                                    sameBits(copy.result.direction, e.result.direction))
                            << "copy of ray " << k;
                    }
                    ASSERT_EQ(urgent.await(k).tag, k);
                }
                while (const UrgentRays::Ray *r = urgent.collectable())
                {
                    const Expected &e = expected[size_t(r->tag)];
                    EXPECT_TRUE(sameBits(r->direction, e.direction) &&
                                sameBits(r->result.position, e.result.position) &&
                                sameBits(r->result.direction, e.result.direction) &&
                                sameBits(r->result.surfaceIntensity, e.result.surfaceIntensity))
                        << "ray " << r->tag;
                    const AxisRotation child = frameFor(e.result.direction);
                    EXPECT_TRUE(!r->childFrame ||
                                (sameBits(r->childRotation.axis, child.axis) &&
                                 r->childRotation.cosine == child.cosine && r->childRotation.sine == child.sine))
                        << "ray " << r->tag;
                    ++seen[size_t(r->tag)];
                    urgent.popCollected();
                }
            }
        });
    for (int64_t i = 0; i < kRays; ++i)
        ASSERT_EQ(seen[size_t(i)], 1) << "ray " << i;
}

INSTANTIATE_TEST_SUITE_P(Threads, TraceQueueTest, ::testing::Values(1, 2, 4));
