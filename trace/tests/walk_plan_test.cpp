// The plan of the trace-ahead walk, step by step on one point: planning waits
// at a frame whose parent ray is not traced, and a trace that contradicts the
// guess (a ray that stays with a frame planned beneath it, or one that moves
// without) drops what was planned after it and plans it again, with draws
// that follow the sequential walk's order.
#include "trace/walk_plan.h"

#include "trace/attribute_lists.h"
#include "trace/tests/trace_test_scenes.h"

#include <gtest/gtest.h>

using namespace trace_test;

namespace
{

// A ray's trace as the plan sees it: moved one unit along x, or stayed put.
BounceResult traceOf(const UT_Vector3 &origin, bool moves)
{
    BounceResult result;
    result.myValid = true;
    result.position = moves ? UT_Vector3(origin.x() + 1.0f, origin.y(), origin.z()) : origin;
    result.direction = UT_Vector3(0, 0, 1);
    result.surfaceDirection = UT_Vector3(-1, 0, 0);
    return result;
}

struct OnePointPlan : ::testing::Test
{
    OnePointPlan()
    {
        collider.room(4);
        points.point(UT_Vector3(0, 0, 0), UT_Vector3(1, 0, 0));
        lists = gatherAttributeLists(points.gdp, HandleForm::ReadWrite, ListKinds::All, DataIds::Renew);
        prepared.reset(new Collider(collider.gdp, SearchMode::Accelerated));
        tracePrimaryRays(0, 1, lists.positions(0), lists.directions(0), *prepared, control, &primary);
        triples = {{lists.positions(0), lists.directions(0), lists.intensities(0), &primary}};
        settings.depth = 4;
        settings.scatter = 90.0;
        settings.scatterCount = 2;
        settings.dissipation = 1.0f;
        plan.reset(new WalkPlan(triples, 0, 1, *prepared, settings, std::mt19937(5489u)));
    }

    ColliderBuilder collider;
    PointsBuilder points;
    AttributeLists lists;
    std::unique_ptr<Collider> prepared;
    TraceControl control;
    PrimaryTrace primary;
    std::vector<WalkTriple> triples;
    WalkSettings settings;
    std::unique_ptr<WalkPlan> plan;
};

}  // namespace

TEST_F(OnePointPlan, WaitsForParentsAndPlansAgainAfterWrongGuesses)
{
    // The root, then the frame beneath the primary ray (which hits a wall),
    // then one beneath its first ray on the guess that it moves.
    ASSERT_EQ(plan->planOne(), PlanStep::Planned);
    ASSERT_EQ(plan->planOne(), PlanStep::Planned);
    ASSERT_EQ(plan->planOne(), PlanStep::Planned);
    const PlanFrame &second = plan->frame(1);
    EXPECT_EQ(second.draw, 0);
    EXPECT_EQ(plan->frame(2).parent, 1);
    EXPECT_EQ(plan->frame(2).draw, 8) << "two directions of four outputs each come first";
    // Frame 2's rays decide too, and their directions need frame 1's trace.
    EXPECT_EQ(plan->planOne(), PlanStep::Waiting);

    // Frame 1's first ray stays: frame 2 is dropped, and the frame beneath
    // the second ray draws where frame 2 would have.
    EXPECT_TRUE(plan->store(1, 0, traceOf(second.origin, false)));
    EXPECT_FALSE(plan->has(2));
    ASSERT_EQ(plan->planOne(), PlanStep::Planned);
    EXPECT_EQ(plan->frame(3).parent, 1);
    EXPECT_EQ(plan->frame(3).parentRay, 1);
    EXPECT_EQ(plan->frame(3).draw, 8);
    EXPECT_EQ(plan->planOne(), PlanStep::Waiting);

    // The second ray moves as guessed: nothing is dropped.
    EXPECT_FALSE(plan->store(1, 1, traceOf(second.origin, true)));
    EXPECT_TRUE(plan->has(3));

    // With every side now guessed to stay, frame 3's rays get no frames and
    // the batch is planned to its end.
    for (int k = 0; k < 40; ++k)
        for (int8_t side : {int8_t(0), int8_t(1)})
            plan->learn(side, false);
    EXPECT_EQ(plan->planOne(), PlanStep::Done);
    EXPECT_EQ(plan->frame(3).rays[0].child, -1);

    // Its first ray moves after all: a frame is planned beneath it, drawing
    // right after frame 3's own outputs.
    EXPECT_TRUE(plan->store(3, 0, traceOf(plan->frame(3).origin, true)));
    ASSERT_EQ(plan->planOne(), PlanStep::Planned);
    const int64_t child = plan->frame(3).rays[0].child;
    ASSERT_NE(child, -1);
    EXPECT_EQ(plan->frame(child).draw, 16);
    EXPECT_EQ(plan->frame(child).depth, 1);
}

TEST_F(OnePointPlan, FinishedFramesLeaveHolesUntilTheFrontPassesThem)
{
    for (int k = 0; k < 3; ++k)
        ASSERT_EQ(plan->planOne(), PlanStep::Planned);
    // Finished out of id order: the middle frame first.
    plan->erase(1);
    EXPECT_FALSE(plan->has(1));
    EXPECT_TRUE(plan->has(0));
    EXPECT_TRUE(plan->has(2));
    EXPECT_EQ(plan->firstId(), 0);
    plan->erase(0);
    EXPECT_EQ(plan->firstId(), 2) << "the front moves past the hole";
    EXPECT_FALSE(plan->has(0));
    EXPECT_FALSE(plan->has(3)) << "not planned yet";
    plan->erase(2);
    EXPECT_TRUE(plan->empty());
    // Nothing is left beneath the erased frames, and the one point is done.
    EXPECT_EQ(plan->planOne(), PlanStep::Done);
    EXPECT_TRUE(plan->gather(8).empty());
}
