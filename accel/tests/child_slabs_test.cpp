#include "accel/child_slabs.h"

#include "accel/bvh_walk.h"
#include "accel/collider_bvh.h"

#include <gtest/gtest.h>

#include <cstring>
#include <limits>
#include <random>

namespace
{

#if defined(VELKOR_ACCEL_AVX2)
// A node of random boxes around the origin, some of them degenerate or
// touching the ray's start, with `used` children (the rest empty slots).
BvhNode randomNode(std::mt19937 &rng, int used)
{
    std::uniform_real_distribution<float> at(-4.0f, 4.0f);
    std::uniform_real_distribution<float> size(0.0f, 2.0f);
    TriangleBox boxes[kNodeWidth];
    for (int i = 0; i < used; ++i)
        for (int c = 0; c < 3; ++c)
        {
            boxes[i].lo[c] = i == 0 ? -size(rng) : at(rng);  // child 0 holds the origin
            boxes[i].hi[c] = i == 1 ? boxes[i].lo[c] : boxes[i].lo[c] + size(rng);
        }
    BvhNode node;
    setChildBoxes(node, boxes, used);
    return node;
}

struct SlabResult
{
    int lanes;
    int inside;
    float entries[kNodeWidth];
};

template <class Slabs>
SlabResult testWith(const BvhNode &node, const TraversalRay &ray)
{
    Slabs slabs;
    slabs.set(ray);
    SlabResult r;
    r.lanes = slabs.test(node, r.entries, r.inside);
    return r;
}

__attribute__((target("avx2"))) SlabResult testWide(const BvhNode &node, const TraversalRay &ray)
{
    return testWith<WideChildSlabs>(node, ray);
}
#endif

}  // namespace

// The walk takes its decisions from these tests alone: both widths must
// give the same children, starts and entry points, to the bit, for rays
// along and off the axes, at every reach.
TEST(ChildSlabs, BothWidthsDecideAlike)
{
#if defined(VELKOR_ACCEL_AVX2)
    if (widestNodeTest() != NodeTestWidth::Eight)
        GTEST_SKIP() << "the processor has no AVX2";
    std::mt19937 rng(21);
    std::normal_distribution<float> gauss;
    int passed = 0, started = 0;
    for (int k = 0; k < 4000; ++k)
    {
        const BvhNode node = randomNode(rng, 1 + k % kNodeWidth);
        UT_Vector3 d =
            k % 5 == 0 ? UT_Vector3(0, 0, k % 2 ? 1.0f : -1.0f) : UT_Vector3(gauss(rng), gauss(rng), gauss(rng));
        safeNormalize(d);
        const UT_Vector3 o(gauss(rng), gauss(rng), gauss(rng));
        TraversalRay ray;
        ASSERT_TRUE(prepareTraversal(o, d, 10.0, ray));
        if (k % 3 == 0)
            setReach(ray, 0.5 + double(k % 7));
        const SlabResult narrow = testWith<NarrowChildSlabs>(node, ray);
        const SlabResult wide = testWide(node, ray);
        ASSERT_EQ(narrow.lanes, wide.lanes) << "case " << k;
        ASSERT_EQ(narrow.inside, wide.inside) << "case " << k;
        ASSERT_EQ(std::memcmp(narrow.entries, wide.entries, sizeof(narrow.entries)), 0) << "case " << k;
        passed += __builtin_popcount(unsigned(narrow.lanes));
        started += __builtin_popcount(unsigned(narrow.lanes & narrow.inside));
        // Empty slots pass no test.
        EXPECT_EQ(narrow.lanes >> (1 + k % kNodeWidth), 0);
    }
    EXPECT_GT(passed, 200);  // both outcomes are exercised
    EXPECT_GT(started, 50);
#else
    GTEST_SKIP() << "this build has only the four-lane test";
#endif
}

TEST(ChildSlabs, StructuresTakeTheWidestWidthTheProcessorRuns)
{
    ColliderBvh bvh;
    const std::vector<Triangle> one = {{UT_Vector3(0, 0, 1), UT_Vector3(1, 0, 1), UT_Vector3(0, 1, 1)}};
    ASSERT_TRUE(bvh.build(one));
    EXPECT_EQ(bvh.nodeTestWidth(), widestNodeTest());
    bvh.setNodeTestWidth(NodeTestWidth::Four);
    EXPECT_EQ(bvh.nodeTestWidth(), NodeTestWidth::Four);
    bvh.setNodeTestWidth(NodeTestWidth::Eight);  // never wider than the processor allows
    EXPECT_EQ(bvh.nodeTestWidth(), widestNodeTest());
    bvh.setNodeTestWidth(NodeTestWidth::Four);
    ASSERT_TRUE(bvh.build(one));  // a rebuild chooses afresh
    EXPECT_EQ(bvh.nodeTestWidth(), widestNodeTest());
    NearestHit hit{-1, {}};
    EXPECT_TRUE(bvh.nearestHit(UT_Vector3(0.25f, 0.25f, 0), UT_Vector3(0, 0, 1), hit));
    EXPECT_EQ(hit.primitive, 0);
}
