// Held leaf points must leave a detail exactly as appending each point when
// it was made: same offsets, same values, same stops at the point limit.
#include "trace/point_appends.h"

#include "math/scatter.h"
#include "trace/ray_batch.h"
#include "trace/tests/trace_test_scenes.h"
#include "trace/walk_steps.h"

#include <cstring>
#include <gtest/gtest.h>
#include <string>

using namespace trace_test;

namespace
{

UT_Vector3 tag(int i, float which) { return UT_Vector3(float(i), which, float(-i)); }

AttributeTriple tripleOf(const AttributeLists &lists, int64_t k)
{
    return {lists.positions(k), lists.directions(k), lists.intensities(k)};
}

// Every value of every point attribute, for byte comparisons of two details.
std::string contents(const GU_Detail &gdp, const std::vector<const GA_Attribute *> &attributes)
{
    std::string bytes;
    for (const GA_Attribute *attrib : attributes)
        for (GA_Offset p = 0; p < gdp.getNumPoints(); ++p)
        {
            const UT_Vector3 v = getVector(attrib, p);
            bytes.append(reinterpret_cast<const char *>(v.data()), sizeof(float) * 3);
        }
    return bytes;
}

}  // namespace

TEST(PointAppends, HeldPointsKeepTheirPlaceAmongImmediateOnes)
{
    PointsBuilder points;
    points.point(UT_Vector3(9, 9, 9), UT_Vector3(0, 0, 1));
    // A second triple whose attributes the first triple's points leave at
    // their defaults.
    GA_Attribute *P2 = points.gdp.addFloatTuple3("rest", 0);
    GA_Attribute *D2 = points.gdp.addFloatTuple3("dir2", 3);
    GA_Attribute *I2 = points.gdp.addFloatTuple3("energy2", 4, {0.5});
    const AttributeLists lists = gatherAttributeLists(points.gdp, HandleForm::ReadWrite, ListKinds::All, DataIds::Keep);
    ASSERT_EQ(lists.positions.entries(), 2);
    const AttributeTriple first = tripleOf(lists, 0), second = tripleOf(lists, 1);

    PointAppends appends(points.gdp);
    // More held points than are ever held at once, so that some are
    // appended while holding, and immediate points among them.
    const int count = 9000;
    for (int i = 1; i <= count; ++i)
    {
        const AttributeTriple &t = i % 3 == 0 ? second : first;
        ASSERT_EQ(appends.points(), i);
        if (i % 1000 == 7)
            EXPECT_EQ(appends.appendNow(t, tag(i, 1), tag(i, 2), tag(i, 3)), GA_Offset(i));
        else
            appends.hold(t, tag(i, 1), tag(i, 2), tag(i, 3));
    }
    EXPECT_LE(points.gdp.getNumPoints(), count + 1);
    appends.flush();
    ASSERT_EQ(points.gdp.getNumPoints(), count + 1);
    EXPECT_EQ(appends.points(), count + 1);
    for (int i = 1; i <= count; ++i)
    {
        const bool own = i % 3 == 0;
        EXPECT_EQ(getVector(own ? P2 : points.P, i), tag(i, 1)) << i;
        EXPECT_EQ(getVector(own ? D2 : points.D, i), tag(i, 2)) << i;
        EXPECT_EQ(getVector(own ? I2 : points.I, i), tag(i, 3)) << i;
        EXPECT_EQ(getVector(own ? points.I : I2, i), own ? UT_Vector3(0, 0, 0) : UT_Vector3(0.5f, 0.5f, 0.5f))
            << "point " << i << ": the other triple keeps its default";
    }
    appends.flush();
    EXPECT_EQ(points.gdp.getNumPoints(), count + 1) << "a second flush appends nothing";
}

// A leaf held before its trace is finished must come out as the leaf of the
// finished trace: searched rays finished late are the traced rays.
TEST(PointAppends, UnfinishedLeavesComeOutAsFinishedOnes)
{
    ColliderBuilder collider;
    collider.room(4, UT_Vector3(0.9f, 0.8f, 0.7f));
    collider.triangle(UT_Vector3(-1, -1, 0), UT_Vector3(1, -1, 0), UT_Vector3(-1, 1, 0), UT_Vector3(0.3f, 0.1f, 1));
    const Collider prepared(collider.gdp, SearchMode::Accelerated);
    std::vector<UT_Vector3> origins, directions;
    for (int i = 0; i < 64; ++i)
    {
        origins.push_back(UT_Vector3(0.1f * float(i % 9) - 0.4f, 0.03f * float(i) - 1, 0.7f - 0.02f * float(i)));
        UT_Vector3 d(float(i % 5) - 2, float(i % 7) - 3, i % 2 ? 1.0f : -0.4f);
        safeNormalize(d);
        directions.push_back(d);
    }
    const size_t n = origins.size();
    std::vector<BounceResult> traced(n);
    std::vector<PendingBounce> searched(n);
    for (BatchThreads threads : {BatchThreads::Calling, BatchThreads::Parallel})
    {
        traceRayBatch(prepared, origins.data(), RayOrigins::PerRay, directions.data(), n, traced.data(), threads);
        searchRayBatch(prepared, origins.data(), RayOrigins::PerRay, directions.data(), n, searched.data(), threads);
        for (size_t i = 0; i < n; ++i)
        {
            const BounceResult late = finishBounce(searched[i], prepared);
            EXPECT_EQ(std::memcmp(&late.position, &traced[i].position, sizeof(UT_Vector3)), 0) << i;
            EXPECT_EQ(std::memcmp(&late.direction, &traced[i].direction, sizeof(UT_Vector3)), 0) << i;
            EXPECT_EQ(std::memcmp(&late.surfaceIntensity, &traced[i].surfaceIntensity, sizeof(UT_Vector3)), 0) << i;
        }
    }

    PointsBuilder finished, unfinished;
    const UT_Vector3 parent(1, 0.5f, 0.25f);
    int hits = 0;
    for (PointsBuilder *target : {&finished, &unfinished})
    {
        const AttributeLists lists =
            gatherAttributeLists(target->gdp, HandleForm::ReadWrite, ListKinds::All, DataIds::Keep);
        const AttributeTriple triple = tripleOf(lists, 0);
        PointAppends appends(target->gdp);
        hits = 0;
        for (size_t i = 0; i < n; ++i)
        {
            if (!searched[i].found)
                continue;
            ++hits;
            const float d2 = travelledSquared(origins[i], traced[i].position);
            if (target == &finished)
                appends.hold(triple, traced[i].position, traced[i].direction,
                             attenuate(parent, traced[i].surfaceIntensity, d2));
            else
                appends.holdUnfinished(triple, prepared, searched[i], parent, d2);
        }
        appends.flush();
    }
    EXPECT_GT(hits, 32);
    ASSERT_EQ(unfinished.gdp.getNumPoints(), hits);
    EXPECT_TRUE(contents(unfinished.gdp, {unfinished.P, unfinished.D, unfinished.I}) ==
                contents(finished.gdp, {finished.P, finished.D, finished.I}));
}

// Depth, scatter, scatter count, dissipation; point limit (0: none).
struct SharedAppendsCase
{
    WalkSettings settings;
    int64_t pointLimit;
};

class SharedAppends : public ::testing::TestWithParam<SharedAppendsCase>
{};

// Walks through one PointAppends shared by many points, flushed once at the
// end as the node's batches do, against each walk appending on its own.
TEST_P(SharedAppends, ManyWalksGiveTheDetailOfSeparateWalks)
{
    const SharedAppendsCase &c = GetParam();
    ColliderBuilder collider;
    collider.room(4, UT_Vector3(0.9f, 0.8f, 0.7f));
    collider.triangle(UT_Vector3(-1, -1, 0), UT_Vector3(1, -1, 0), UT_Vector3(-1, 1, 0), UT_Vector3(0.2f, 0, 1));
    PointsBuilder points;
    for (int i = 0; i < 40; ++i)
        points.point(UT_Vector3(0.1f * float(i % 7) - 0.3f, 0.05f * float(i) - 1, 0.5f - 0.02f * float(i)),
                     UT_Vector3(float(i % 5) - 2, float(i % 3) - 1, i % 2 ? 1.0f : -0.5f), UT_Vector3(1, 0.5f, 0.25f));
    PointsBuilder copy = points;
    const Collider prepared(collider.gdp, SearchMode::Accelerated);
    const std::mt19937 start = sceneRandomEngine;

    const auto walkAll = [&](PointsBuilder &target, bool shared) {
        const AttributeLists lists =
            gatherAttributeLists(target.gdp, HandleForm::ReadWrite, ListKinds::All, DataIds::Keep);
        const AttributeTriple triple = tripleOf(lists, 0);
        TraceControl control;
        control.parallel = false;
        if (c.pointLimit > 0)
            control.pointLimit = c.pointLimit;
        PointAppends appends(target.gdp);
        TraceStatus status = TraceStatus::Finished;
        for (GA_Offset p = 0; p < 40 && status == TraceStatus::Finished; ++p)
            status = shared ? tracePoint(appends, p, triple, prepared, c.settings, control)
                            : tracePoint(target.gdp, p, triple, prepared, c.settings, control);
        appends.flush();
        return status;
    };
    sceneRandomEngine = start;
    const TraceStatus alone = walkAll(points, false);
    const std::mt19937 afterAlone = sceneRandomEngine;
    sceneRandomEngine = start;
    const TraceStatus shared = walkAll(copy, true);
    EXPECT_EQ(shared, alone);
    EXPECT_EQ(alone, c.pointLimit > 0 ? TraceStatus::PointLimit : TraceStatus::Finished);
    EXPECT_TRUE(sceneRandomEngine == afterAlone);
    ASSERT_EQ(copy.gdp.getNumPoints(), points.gdp.getNumPoints());
    if (c.pointLimit > 0)
    {
        EXPECT_EQ(copy.gdp.getNumPoints(), c.pointLimit);
    }
    EXPECT_GT(points.gdp.getNumPoints(), 40);
    EXPECT_TRUE(contents(copy.gdp, {copy.P, copy.D, copy.I}) == contents(points.gdp, {points.P, points.D, points.I}));
}

INSTANTIATE_TEST_SUITE_P(Walks, SharedAppends,
                         ::testing::Values(SharedAppendsCase{{1, 0, 1, 1}, 0},        // every new point a leaf
                                           SharedAppendsCase{{1, 0, 1, 1}, 57},       // limit among held leaves
                                           SharedAppendsCase{{3, 90, 4, 0.5f}, 0},    // leaves among read-back points
                                           SharedAppendsCase{{3, 90, 4, 0.5f}, 150},  // limit within a walk
                                           SharedAppendsCase{{4, 180, 3, 1}, 0}));
