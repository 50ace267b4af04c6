// The one-generation loop against the general walk at a depth of 1: the same
// points with the same bits, the same directions written back, the same
// status and engine, for rays that move, miss, or stop short of moving, and
// at point limits met before, during and after the appends.
#include "trace/leaf_follow.h"

#include "trace/tests/trace_test_scenes.h"
#include "trace/tests/walk_test_runs.h"

#include <cmath>
#include <gtest/gtest.h>
#include <string>

using namespace trace_test;

namespace
{

struct LeafCase
{
    const char *name;
    int64_t pointLimit;  // 0: none
    TraceStatus expected;
    bool bareCollider = false;  // a collider without surface directions: every trace is empty
};

// A closed room with a triangle inside, points inside it and outside it
// (their rays leave the scene or meet a wall's back), and points a hair in
// front of a wall, whose hits are too short to count as moves.
struct LeafScene
{
    LeafScene()
    {
        collider.room(4, UT_Vector3(0.9f, -0.8f, 0.7f));
        collider.triangle(UT_Vector3(-1, -1, -1), UT_Vector3(1, -1, -1), UT_Vector3(0, 1, -1), UT_Vector3(0, 0, -1),
                          UT_Vector3(0.5f, 0.6f, 0.7f));
        for (int i = 0; i < 30; ++i)
            points.point(UT_Vector3(-3 + 0.2f * i, 0.2f * (i % 7) - 0.5f, 0.3f * (i % 3)),
                         UT_Vector3(float(i % 4) - 1.5f, float(i % 5) - 2.5f, float(i % 3) - 1.0f),
                         UT_Vector3(1.0f, 0.5f * float(i % 3), -0.25f));
        for (int i = 0; i < 6; ++i)
            points.point(UT_Vector3(9.0f, float(i), 0.0f), UT_Vector3(1.0f, float(i % 2), -1.0f));
        for (int i = 0; i < 4; ++i)
            points.point(UT_Vector3(0.1f * float(i), 0.0f, -3.999f), UT_Vector3(0.0f, 0.0f, -1.0f));
    }
    ColliderBuilder collider;
    PointsBuilder points;
};

WalkRun walkOnce(const LeafScene &scene, int64_t pointLimit, bool primaryLeaf, bool bareCollider = false)
{
    GU_Detail bare;
    WalkOptions options;
    options.depth = 1;
    options.pointLimit = pointLimit;
    options.primaryLeaf = primaryLeaf;
    options.drawsBetweenPoints = true;
    return runWalk(scene.points.gdp, bareCollider ? bare : scene.collider.gdp, options);
}

class LeafFollowTest : public ::testing::TestWithParam<LeafCase>
{};

}  // namespace

TEST_P(LeafFollowTest, SameAsTheWalkOfOneGeneration)
{
    const LeafCase &c = GetParam();
    const LeafScene scene;
    const WalkRun reference = walkOnce(scene, c.pointLimit, false, c.bareCollider);
    EXPECT_EQ(reference.status, c.expected);
    const WalkRun run = walkOnce(scene, c.pointLimit, true, c.bareCollider);
    expectIdentical(reference, run);
}

INSTANTIATE_TEST_SUITE_P(Limits, LeafFollowTest,
                         ::testing::Values(LeafCase{"none", 0, TraceStatus::Finished},
                                           // The input alone reaches the limit: nothing may be appended.
                                           LeafCase{"atInput", 40, TraceStatus::PointLimit},
                                           LeafCase{"midway", 52, TraceStatus::PointLimit},
                                           // Room for exactly the points the cook appends.
                                           LeafCase{"exact", 40 + 30, TraceStatus::Finished},
                                           // Nothing is appended, yet every direction is written.
                                           LeafCase{"bareCollider", 40, TraceStatus::Finished, true}),
                         [](const ::testing::TestParamInfo<LeafCase> &info) { return std::string(info.param.name); });

TEST(LeafFollow, MovesMissesAndShortHops)
{
    // The scene must hold all three kinds for the comparison to mean much.
    const LeafScene scene;
    const GA_Size input = scene.points.gdp.getNumPoints();
    for (bool bare : {false, true})
    {
        SCOPED_TRACE(bare ? "bare collider" : "room");
        const WalkRun run = walkOnce(scene, 0, true, bare);
        // Every ray from inside the room moves; none from outside or from a
        // hair in front of a wall does, nor any without a usable collider.
        EXPECT_EQ(run.output.getNumPoints() - input, bare ? 0 : 30);
        // Every input point's direction is rewritten, moved or not: to its
        // direction normalised.
        for (GA_Offset p = 0; p < input; ++p)
        {
            const UT_Vector3 d = getVector(run.output.findPointAttribute("dir"), p);
            EXPECT_NEAR(std::sqrt(double(d.x()) * d.x() + double(d.y()) * d.y() + double(d.z()) * d.z()), 1.0, 1e-6)
                << "point " << p;
        }
    }
}
