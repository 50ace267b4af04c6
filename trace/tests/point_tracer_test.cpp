#include "trace/point_tracer.h"

#include "math/scatter.h"
#include "trace/tests/trace_test_scenes.h"

#include <cmath>
#include <cstring>
#include <gtest/gtest.h>
#include <limits>
#include <random>

using namespace trace_test;

namespace
{

// Depth, scatter, scatter count, dissipation.
using Params = WalkSettings;

class PointTracer : public ::testing::Test
{
protected:
    TraceStatus run(GA_Offset p, const Params &params, TraceControl &control, SearchMode mode = SearchMode::Exhaustive)
    {
        AttributeLists lists = gatherAttributeLists(points.gdp, HandleForm::ReadWrite, ListKinds::All, DataIds::Renew);
        Collider prepared(collider.gdp, mode);
        return tracePoint(points.gdp, p, {lists.positions(0), lists.directions(0), lists.intensities(0)}, prepared,
                          params, control);
    }
    TraceStatus run(GA_Offset p, const Params &params)
    {
        TraceControl control;
        return run(p, params, control);
    }

    UT_Vector3 position(GA_Offset p) const { return getVector(points.P, p); }
    UT_Vector3 direction(GA_Offset p) const { return getVector(points.D, p); }
    UT_Vector3 intensity(GA_Offset p) const { return getVector(points.I, p); }

    ColliderBuilder collider;
    PointsBuilder points;
};

float squaredDistance(const UT_Vector3 &a, const UT_Vector3 &b)
{
    const float dx = a.x() - b.x(), dy = a.y() - b.y(), dz = a.z() - b.z();
    return (dx * dx + dy * dy) + dz * dz;
}

}  // namespace

TEST_F(PointTracer, EndToEndExampleWithDefaults)
{
    collider.unitTriangle(UT_Vector3(0, 0, 1), UT_Vector3(0.5f, 0.5f, 0.5f));
    points.point(UT_Vector3(0.25f, 0.25f, -1), UT_Vector3(0, 0, 1));
    std::mt19937 before = sceneRandomEngine;
    EXPECT_EQ(run(0, Params{}), TraceStatus::Finished);
    ASSERT_EQ(points.gdp.getNumPoints(), 2);
    EXPECT_EQ(position(0), UT_Vector3(0.25f, 0.25f, -1));
    EXPECT_EQ(direction(0), UT_Vector3(0, 0, 1));
    EXPECT_EQ(position(1), UT_Vector3(0.25f, 0.25f, 0));
    EXPECT_EQ(direction(1), UT_Vector3(0, 0, 1));
    const float sixth = float(1.0 / 6.0);
    EXPECT_EQ(intensity(1), UT_Vector3(sixth, sixth, sixth));
    EXPECT_TRUE(before == sceneRandomEngine) << "a primary ray draws nothing";
}

TEST_F(PointTracer, PreOrderOfPointsAndDraws)
{
    collider.room(4);
    points.point(UT_Vector3(0.1f, 0.2f, 0.3f), UT_Vector3(0.3f, 0.4f, 0.5f));
    std::mt19937 expected = sceneRandomEngine;
    // Scatter 0 sends every secondary ray of a point the same way, so A and
    // B coincide, and so do A' and B': pre-order gives H, X, Y, X, Y where a
    // breadth-first walk would give H, X, X, Y, Y.
    EXPECT_EQ(run(0, Params{3, 0, 4, 0.5f}), TraceStatus::Finished);
    ASSERT_EQ(points.gdp.getNumPoints(), 6);
    EXPECT_EQ(position(2), position(4));
    EXPECT_EQ(position(3), position(5));
    EXPECT_NE(position(2), position(3));
    const int parent[6] = {-1, 0, 1, 2, 1, 4};
    for (GA_Offset p = 1; p < 6; ++p)
    {
        const float d2 = squaredDistance(position(parent[p]), position(p));
        const float attenuation = fallOff(d2);
        for (int c = 0; c < 3; ++c)
            EXPECT_NEAR(intensity(p)[c], intensity(parent[p])[c] * attenuation, 1e-6f * intensity(parent[p])[c])
                << "point " << p << " descends from point " << parent[p];
    }
    // Draws: two directions for H's set, one each for A's and B's.
    expected.discard(4 * (2 + 1 + 1));
    EXPECT_TRUE(expected == sceneRandomEngine);
}

TEST_F(PointTracer, CountsPerGeneration)
{
    collider.room(4);
    points.point(UT_Vector3(0, 0, 0), UT_Vector3(0, 1, 0));
    // 1 primary, 5 from it, 2 from each of those, 1 from each of those.
    EXPECT_EQ(run(0, Params{4, 0, 10, 0.5f}), TraceStatus::Finished);
    EXPECT_EQ(points.gdp.getNumPoints(), 1 + 1 + 5 + 10 + 10);
}

TEST(NextScatterCount, TruncatesAndRefusesOutOfRange)
{
    struct Case
    {
        int32_t count;
        float dissipation;
        int32_t expected;
    };
    const Case cases[] = {
        {10, 0.5f, 5},
        {5, 0.5f, 2},
        {2, 0.5f, 1},
        {3, 0.9f, 2},
        {2, 0.9f, 1},
        {1, 0.9f, 0},
        {7, -0.5f, -3},
        {4, 0.0f, 0},
        {INT32_MAX, 2.0f, INT32_MIN},
        {INT32_MIN, 1.0f, INT32_MIN},
        {1, NAN, INT32_MIN},
        {1, INFINITY, INT32_MIN},
        {-1, INFINITY, INT32_MIN},
        {3, 1e9f, INT32_MIN},
    };
    for (const Case &c : cases)
        EXPECT_EQ(nextScatterCount(c.count, c.dissipation), c.expected) << c.count << " x " << c.dissipation;
}

TEST(FallOff, FourthPowerOfDistance)
{
    EXPECT_EQ(fallOff(0.5f), float(1.0 / 1.5));
    EXPECT_EQ(fallOff(1.0f), float(1.0 / 3.0));
    EXPECT_EQ(fallOff(2.0f), float(1.0 / 9.0));
}

TEST_F(PointTracer, ClampsNegativeIntensityComponents)
{
    collider.unitTriangle(UT_Vector3(0, 0, 1), UT_Vector3(-1, 0.5f, 2));
    points.point(UT_Vector3(0.25f, 0.25f, -1), UT_Vector3(0, 0, 1));
    run(0, Params{});
    ASSERT_EQ(points.gdp.getNumPoints(), 2);
    EXPECT_EQ(intensity(1), UT_Vector3(0, float(1.0 / 6.0), float(2.0 / 3.0)));
}

TEST(PrimaryDirection, DegenerateFrames)
{
    EXPECT_EQ(primaryDirection(UT_Vector3(0, 0, 1)), UT_Vector3(0, 0, 1));
    EXPECT_EQ(primaryDirection(UT_Vector3(0, 0, 7)), UT_Vector3(0, 0, 1));
    EXPECT_EQ(primaryDirection(UT_Vector3(0, 0, -1)), UT_Vector3(0, 0, -1));
    // A zero direction keeps a zero axis at the quarter-turn angle: +Z times
    // the cosine of the single-precision quarter turn, a tiny negative number.
    const float quarter = std::acos(0.0f);
    EXPECT_EQ(primaryDirection(UT_Vector3(0, 0, 0)), UT_Vector3(0, 0, float(std::cos(double(quarter)))));
    const UT_Vector3 d = primaryDirection(UT_Vector3(3, 0, 4));
    EXPECT_NEAR(d.x(), 0.6f, 1e-6);
    EXPECT_NEAR(d.z(), 0.8f, 1e-6);
}

// The batched primary directions are those of primaryDirection, bit for bit,
// whatever the batch's length, in place or not, for awkward directions too.
TEST(PrimaryDirection, BatchesGiveThePointByPointBits)
{
    const float inf = std::numeric_limits<float>::infinity();
    const float nan = std::numeric_limits<float>::quiet_NaN();
    std::vector<UT_Vector3> stored = {
        {0, 0, 1},         {0, 0, -1},         {0, 0, 0},     {-0.0f, 0, -0.0f}, {1e-30f, 2e-30f, -1e-30f},
        {3e38f, 0, 3e38f}, {1e20f, -1e20f, 1}, {inf, 0, 1},   {0, nan, 1},       {1, 0, 0},
        {0, -1, 0},        {1e-7f, 0, -1},     {0, 1e-7f, 1}, {0.6f, 0, 0.8f},   {-2, 3, -4}};
    std::mt19937 engine(7);
    std::uniform_real_distribution<float> component(-3, 3);
    while (stored.size() < 203)  // not a whole number of the function's steps
        stored.push_back(UT_Vector3(component(engine), component(engine), component(engine)));
    for (size_t count : {size_t(0), size_t(1), size_t(64), size_t(65), stored.size()})
    {
        std::vector<UT_Vector3> out(count), inPlace(stored.begin(), stored.begin() + long(count));
        primaryDirections(stored.data(), count, out.data());
        primaryDirections(inPlace.data(), count, inPlace.data());
        for (size_t i = 0; i < count; ++i)
        {
            const UT_Vector3 expected = primaryDirection(stored[i]);
            EXPECT_EQ(std::memcmp(out[i].data(), expected.data(), sizeof(expected)), 0) << "direction " << i;
            EXPECT_EQ(std::memcmp(inPlace[i].data(), expected.data(), sizeof(expected)), 0) << "direction " << i;
        }
    }
}

TEST_F(PointTracer, MissesAndShortHopsAppendNothingButRewriteTheDirection)
{
    collider.unitTriangle();
    points.point(UT_Vector3(5, 5, -1), UT_Vector3(0, 0, 2));
    points.point(UT_Vector3(0.25f, 0.25f, -0.003f), UT_Vector3(0, 0, 1));   // d2 = 9e-6
    points.point(UT_Vector3(0.25f, 0.25f, -0.0032f), UT_Vector3(0, 0, 1));  // d2 just above 1e-5
    run(0, Params{});
    run(1, Params{});
    EXPECT_EQ(points.gdp.getNumPoints(), 3);
    EXPECT_EQ(direction(0), UT_Vector3(0, 0, 1)) << "the point holds its normalised direction";
    run(2, Params{});
    EXPECT_EQ(points.gdp.getNumPoints(), 4);
}

TEST_F(PointTracer, EngineContinuesAcrossCalls)
{
    collider.room(4);
    points.point(UT_Vector3(0, 0, 0), UT_Vector3(1, 0, 0));
    points.point(UT_Vector3(0, 0, 0), UT_Vector3(1, 0, 0));
    run(0, Params{2, 90, 1, 1});
    run(1, Params{2, 90, 1, 1});
    ASSERT_EQ(points.gdp.getNumPoints(), 6);
    // Same start, same primary hit, but the scattered rays differ.
    EXPECT_EQ(position(2), position(4));
    EXPECT_NE(position(3), position(5));
}

TEST_F(PointTracer, DeepWalkBetweenFacingTriangles)
{
    collider.triangle(UT_Vector3(-1, -1, 1), UT_Vector3(2, -1, 1), UT_Vector3(-1, 2, 1), UT_Vector3(0, 0, 1));
    collider.triangle(UT_Vector3(-1, -1, -1), UT_Vector3(-1, 2, -1), UT_Vector3(2, -1, -1), UT_Vector3(0, 0, -1));
    points.point(UT_Vector3(0.25f, 0.25f, 0), UT_Vector3(0, 0, 1));
    const int32_t depth = 200000;
    EXPECT_EQ(run(0, Params{depth, 0, 1, 1}), TraceStatus::Finished);
    EXPECT_EQ(points.gdp.getNumPoints(), 1 + depth);
    EXPECT_EQ(position(depth).z(), depth % 2 ? 1.0f : -1.0f);
}

TEST_F(PointTracer, StopsAtThePointLimit)
{
    collider.room(4);
    points.point(UT_Vector3(0, 0, 0), UT_Vector3(0, 0, 1));
    TraceControl control;
    control.pointLimit = 4;
    EXPECT_EQ(run(0, Params{5, 90, 3, 1}, control), TraceStatus::PointLimit);
    EXPECT_EQ(points.gdp.getNumPoints(), 4) << "points appended before the limit stay";
}

TEST_F(PointTracer, InterruptStopsTheWalkAndKeepsPoints)
{
    collider.room(4);
    points.point(UT_Vector3(0, 0, 0), UT_Vector3(0, 0, 1));
    TraceControl control;
    int polls = 0;
    control.interrupted = [&] { return ++polls == 2; };
    EXPECT_EQ(run(0, Params{2, 180, 3000, 1}, control), TraceStatus::Interrupted);
    EXPECT_EQ(polls, 2);
    EXPECT_EQ(control.raysTraced, 2048);
    EXPECT_EQ(points.gdp.getNumPoints(), 2) << "the primary hit stays; the set was stopped before its walk";
}

TEST_F(PointTracer, WalkStartedFromAnInterruptCallbackKeepsTheOuterWalkIntact)
{
    // The outer walk polls in the middle of a frame; a host may run another
    // cook from there. Both walks must come out as if run on their own.
    collider.room(4);
    points.point(UT_Vector3(0, 0, 0), UT_Vector3(0, 0, 1));
    PointsBuilder inner;
    inner.point(UT_Vector3(1, 0, 0), UT_Vector3(1, 0, 0));
    PointsBuilder alone = points;
    PointsBuilder innerAlone = inner;
    const Params outerParams{3, 90, 700, 0.5f};
    const Params innerParams{3, 90, 5, 1};
    Collider prepared(collider.gdp, SearchMode::Exhaustive);
    auto walk = [&](PointsBuilder &target, const Params &p, TraceControl &control) {
        AttributeLists lists = gatherAttributeLists(target.gdp, HandleForm::ReadWrite, ListKinds::All, DataIds::Renew);
        return tracePoint(target.gdp, 0, {lists.positions(0), lists.directions(0), lists.intensities(0)}, prepared, p,
                          control);
    };

    // Reference: the inner walk's draws come where the first poll falls.
    const std::mt19937 start = sceneRandomEngine;
    TraceControl referenceControl;
    referenceControl.parallel = false;
    std::mt19937 engineAtPoll;
    int referencePolls = 0;
    referenceControl.interrupted = [&] {
        if (referencePolls++ == 0)
            engineAtPoll = sceneRandomEngine;
        return false;
    };
    walk(alone, outerParams, referenceControl);
    const std::mt19937 afterReference = sceneRandomEngine;

    sceneRandomEngine = start;
    TraceControl control;
    control.parallel = false;
    bool nested = false;
    control.interrupted = [&] {
        if (!nested)
        {
            nested = true;
            TraceControl innerControl;
            innerControl.parallel = false;
            EXPECT_EQ(walk(inner, innerParams, innerControl), TraceStatus::Finished);
            // Put the engine back so the outer walk goes on as in the reference.
            sceneRandomEngine = engineAtPoll;
        }
        return false;
    };
    EXPECT_EQ(walk(points, outerParams, control), TraceStatus::Finished);
    EXPECT_TRUE(nested);
    EXPECT_GT(referencePolls, 1);
    EXPECT_TRUE(sceneRandomEngine == afterReference);
    ASSERT_EQ(points.gdp.getNumPoints(), alone.gdp.getNumPoints());
    for (GA_Offset p = 0; p < points.gdp.getNumPoints(); ++p)
    {
        EXPECT_EQ(getVector(points.P, p), getVector(alone.P, p)) << p;
        EXPECT_EQ(getVector(points.D, p), getVector(alone.D, p)) << p;
    }
    EXPECT_GT(inner.gdp.getNumPoints(), 1);
}
