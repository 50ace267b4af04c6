#include "accel/ray_order.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <random>

namespace
{

const float kNaN = std::numeric_limits<float>::quiet_NaN();
const float kInf = std::numeric_limits<float>::infinity();

bool isPermutation(std::vector<uint32_t> order)
{
    std::sort(order.begin(), order.end());
    for (size_t i = 0; i < order.size(); ++i)
        if (order[i] != i)
            return false;
    return true;
}

struct KeyCase
{
    const char *what;
    UT_Vector3 origin, direction;
    uint32_t key;
};

TEST(RayOrderKey, OctantAboveTheOriginsCell)
{
    const UT_Vector3 lo(0, 0, 0), hi(128, 128, 128);
    const KeyCase cases[] = {
        {"low corner, all positive", {0, 0, 0}, {1, 1, 1}, 0},
        {"x cell 1", {1.5f, 0, 0}, {1, 1, 1}, 1},
        {"y cell 1", {0, 1.5f, 0}, {1, 1, 1}, 2},
        {"z cell 1", {0, 0, 1.5f}, {1, 1, 1}, 4},
        {"x cell 2", {2.5f, 0, 0}, {1, 1, 1}, 8},
        {"high corner", {128, 128, 128}, {0, 0, 0}, (1u << 21) - 1},
        {"negative x", {0, 0, 0}, {-1, 0, 0}, 1u << 21},
        {"negative z", {0, 0, 0}, {0, 0, -0.5f}, 4u << 21},
        {"all negative, high corner", {128, 128, 128}, {-1, -1, -1}, (1u << 24) - 1},
        {"below the box clamps low", {-50, -1, -1e30f}, {1, 1, 1}, 0},
        {"above the box clamps high", {1e30f, 200, 129}, {1, 1, 1}, (1u << 21) - 1},
        {"NaN and -inf go low", {kNaN, -kInf, kNaN}, {kNaN, kNaN, kNaN}, 0},
        {"inf goes high", {kInf, kInf, kInf}, {1, 1, 1}, (1u << 21) - 1},
        {"-0 is not negative", {0, 0, 0}, {-0.0f, -0.0f, -0.0f}, 0},
    };
    for (const KeyCase &c : cases)
        EXPECT_EQ(rayOrderKey(c.origin, c.direction, lo, hi), c.key) << c.what;
}

TEST(RayOrderKey, FlatOrUnboundedBoxPutsEveryOriginInOneCell)
{
    const UT_Vector3 d(1, 1, 1);
    EXPECT_EQ(rayOrderKey({5, 7, 9}, d, {5, 7, 9}, {5, 7, 9}), 0u);
    EXPECT_EQ(rayOrderKey({5, 7, 9}, d, {-kInf, 0, 0}, {kInf, 0, 0}), 0u);
    EXPECT_EQ(rayOrderKey({1e38f, 0, 0}, d, {-3e38f, 0, 0}, {3e38f, 0, 0}), 0u) << "extent overflows";
}

TEST(CoherentRayOrder, SortsByKeyAndKeepsBatchOrderAmongEquals)
{
    std::mt19937 engine(3);
    std::uniform_real_distribution<float> coordinate(-10, 10);
    std::vector<UT_Vector3> origins, directions;
    for (int i = 0; i < 5000; ++i)
    {
        // Few distinct origins, so that many keys are equal.
        origins.emplace_back(std::round(coordinate(engine)), 0.0f, std::round(coordinate(engine)));
        directions.emplace_back(coordinate(engine), coordinate(engine), coordinate(engine));
    }
    std::vector<uint32_t> order;
    coherentRayOrder(origins.data(), 1, directions.data(), origins.size(), order);
    ASSERT_EQ(order.size(), origins.size());
    ASSERT_TRUE(isPermutation(order));
    const UT_Vector3 lo(-10, 0, -10), hi(10, 0, 10);
    for (size_t j = 1; j < order.size(); ++j)
    {
        const uint32_t before = rayOrderKey(origins[order[j - 1]], directions[order[j - 1]], lo, hi);
        const uint32_t after = rayOrderKey(origins[order[j]], directions[order[j]], lo, hi);
        ASSERT_LE(before, after) << "position " << j;
        if (before == after)
        {
            ASSERT_LT(order[j - 1], order[j]) << "position " << j;
        }
    }
}

TEST(CoherentRayOrder, GathersNearbyRaysOfOneOctant)
{
    // Two tight clusters of rays, interleaved in the batch, heading the same
    // way: each cluster must come out in one run.
    std::vector<UT_Vector3> origins, directions;
    for (int i = 0; i < 64; ++i)
    {
        const float jitter = 0.001f * float(i);
        origins.emplace_back(i % 2 ? 100.0f + jitter : jitter, 0.0f, 0.0f);
        directions.emplace_back(1.0f, 0.5f, 0.25f);
    }
    std::vector<uint32_t> order;
    coherentRayOrder(origins.data(), 1, directions.data(), origins.size(), order);
    ASSERT_TRUE(isPermutation(order));
    int changes = 0;
    for (size_t j = 1; j < order.size(); ++j)
        changes += (order[j] % 2) != (order[j - 1] % 2);
    EXPECT_EQ(changes, 1);
}

TEST(CoherentRayOrder, OddBatches)
{
    std::vector<uint32_t> order{7, 7};
    coherentRayOrder(nullptr, 1, nullptr, 0, order);
    EXPECT_TRUE(order.empty());

    // A shared origin (stride 0) orders by octant alone; not-finite values
    // neither crash nor leave the permutation.
    const UT_Vector3 shared(kNaN, kInf, 1);
    const std::vector<UT_Vector3> directions = {{-1, 0, 0}, {1, 1, 1}, {kNaN, 0, 0}, {0, 0, -1}, {-kInf, 0, 0}};
    coherentRayOrder(&shared, 0, directions.data(), directions.size(), order);
    EXPECT_EQ(order, (std::vector<uint32_t>{1, 2, 0, 4, 3}));

    const std::vector<UT_Vector3> origins = {{kNaN, kNaN, kNaN}, {kInf, -kInf, 0}, {1, 2, 3}};
    coherentRayOrder(origins.data(), 1, origins.data(), origins.size(), order);
    EXPECT_TRUE(isPermutation(order));
}

TEST(Permute, ArrangesValuesInTheGivenOrder)
{
    std::vector<UT_Vector3> values = {{0, 0, 0}, {1, 1, 1}, {2, 2, 2}};
    permute(values, {2, 0, 1});
    EXPECT_EQ(values, (std::vector<UT_Vector3>{{2, 2, 2}, {0, 0, 0}, {1, 1, 1}}));
}

}  // namespace
