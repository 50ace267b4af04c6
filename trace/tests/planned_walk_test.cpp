// The trace-ahead walk and the hand-off walk against the plain sequential
// walk: same points, same
// bits, same rays counted, same polls, same engine state afterwards, and the
// same status, in scenes where plans mostly hold (a closed room) and where
// they mostly fail (an open floor, a box that rays turning back into it pass
// through, surface directions that mislead the first guesses), with counts
// that reach zero, with interrupts and with the point limit, with an
// interrupt callback or the caller between points drawing from the engine
// itself, on 1, 2 and 4 threads. Then the plan's own steps: waiting for a
// parent's trace, and planning again after a wrong guess either way.
#include "trace/planned_walk.h"

#include "trace/handoff_walk.h"

#include "math/scatter.h"
#include "trace/tests/trace_test_scenes.h"
#include "trace/tests/walk_test_runs.h"

#include <UT/UT_ParallelUtil.h>
#include <cstring>
#include <gtest/gtest.h>
#include <stdexcept>

using namespace trace_test;

namespace
{

enum class Layout
{
    Room,       // a closed room with a triangle inside
    Floor,      // a lone floor: most rays leave the scene
    BoxInRoom,  // a closed room with a closed box: rays turning back into the box pass through it
    Inverted    // the closed room with surface directions pointing out of it
};

struct WalkCase
{
    const char *name;
    Layout layout;
    int32_t depth;
    double scatter;
    int32_t count;
    float dissipation;
    int64_t pointLimit;   // 0: none
    int interruptAtPoll;  // 0: never
    TraceStatus expected;
    bool callbackDraws = false;       // the interrupt callback draws from the engine (another cook, say)
    bool drawsBetweenPoints = false;  // so does the caller between some points
};

// A cube of half-size h about `centre` whose faces are met from outside,
// surface directions pointing out. Each face is two triangles wound against
// those of ColliderBuilder::room, so that their fronts face out.
void addBox(ColliderBuilder &collider, const UT_Vector3 &centre, float h)
{
    for (int axis = 0; axis < 3; ++axis)
        for (float sign : {1.0f, -1.0f})
        {
            const int u = (axis + 1) % 3;
            const int v = (axis + 2) % 3;
            auto corner = [&](float a, float b) {
                UT_Vector3 p = centre;
                p[axis] += sign * h;
                p[u] += a * h;
                p[v] += b * h;
                return p;
            };
            UT_Vector3 outward(0, 0, 0);
            outward[axis] = sign;
            const UT_Vector3 c00 = corner(-1, -1), c10 = corner(1, -1), c11 = corner(1, 1), c01 = corner(-1, 1);
            if (sign > 0)
            {
                collider.triangle(c00, c11, c10, outward);
                collider.triangle(c00, c01, c11, outward);
            }
            else
            {
                collider.triangle(c00, c10, c11, outward);
                collider.triangle(c00, c11, c01, outward);
            }
        }
}

struct Scene
{
    explicit Scene(Layout layout)
    {
        if (layout == Layout::Room || layout == Layout::Inverted)
        {
            collider.room(4, UT_Vector3(0.9f, 0.8f, 0.7f));
            collider.triangle(UT_Vector3(-1, -1, -1), UT_Vector3(1, -1, -1), UT_Vector3(0, 1, -1), UT_Vector3(0, 0, -1),
                              UT_Vector3(0.5f, 0.6f, 0.7f));
            // Turning about a direction or its negation is the same turn, so
            // only the side guesses change.
            if (layout == Layout::Inverted)
                for (GA_Offset p = 0; p < collider.gdp.getNumPoints(); ++p)
                {
                    const UT_Vector3 n = getVector(collider.N, p);
                    setVector(collider.N, p, UT_Vector3(-n.x(), -n.y(), -n.z()));
                }
        }
        else if (layout == Layout::BoxInRoom)
        {
            collider.room(4, UT_Vector3(0.9f, 0.8f, 0.7f));
            addBox(collider, UT_Vector3(0.5f, 2.5f, 0.5f), 1.0f);
        }
        else
        {
            // A floor at y = -1 met from above, and nothing else.
            collider.triangle(UT_Vector3(-9, -1, -9), UT_Vector3(9, -1, -9), UT_Vector3(-9, -1, 9),
                              UT_Vector3(0, 1, 0));
            collider.triangle(UT_Vector3(9, -1, -9), UT_Vector3(9, -1, 9), UT_Vector3(-9, -1, 9), UT_Vector3(0, 1, 0));
        }
        for (int i = 0; i < 40; ++i)
            points.point(UT_Vector3(-3 + 0.15f * i, 0.2f * (i % 7) - 0.5f, 0.3f * (i % 3)),
                         UT_Vector3(float(i % 4) - 1.5f, float(i % 5) - 2.5f, float(i % 3) - 1.0f));
    }
    ColliderBuilder collider;
    PointsBuilder points;
};

enum class Walker
{
    Sequential,
    Planned,
    HandOff
};

WalkRun walk(const Scene &scene, const WalkCase &c, Walker walker, int threads)
{
    WalkOptions options;
    options.planned = walker == Walker::Planned;
    options.handOff = walker == Walker::HandOff;
    options.parallel = walker != Walker::Sequential;
    options.threads = threads;
    options.depth = c.depth;
    options.scatter = c.scatter;
    options.count = c.count;
    options.dissipation = c.dissipation;
    options.pointLimit = c.pointLimit;
    options.interruptAtPoll = c.interruptAtPoll;
    options.callbackDraws = c.callbackDraws;
    options.drawsBetweenPoints = c.drawsBetweenPoints;
    return runWalk(scene.points.gdp, scene.collider.gdp, options);
}

class PlannedWalkTest : public ::testing::TestWithParam<WalkCase>
{};

}  // namespace

TEST_P(PlannedWalkTest, SameAsTheSequentialWalk)
{
    const WalkCase &c = GetParam();
    const Scene scene(c.layout);
    const WalkRun reference = walk(scene, c, Walker::Sequential, 1);
    EXPECT_EQ(reference.status, c.expected);
    EXPECT_GT(reference.output.getNumPoints(), scene.points.gdp.getNumPoints() + 20) << "the case should append points";
    for (Walker walker : {Walker::Planned, Walker::HandOff})
        for (int threads : {1, 2, 4})
        {
            SCOPED_TRACE(std::string(walker == Walker::Planned ? "trace-ahead" : "hand-off") + " walk, " +
                         std::to_string(threads) + " threads");
            const WalkRun run = walk(scene, c, walker, threads);
            expectIdentical(reference, run);
        }
}

INSTANTIATE_TEST_SUITE_P(
    Scenes, PlannedWalkTest,
    ::testing::Values(
        // Almost every ray moves: plans mostly hold.
        WalkCase{"closed", Layout::Room, 4, 90.0, 8, 0.5f, 0, 0, TraceStatus::Finished},
        // Most rays leave the scene: plans mostly fail.
        WalkCase{"open", Layout::Floor, 5, 300.0, 6, 0.7f, 0, 0, TraceStatus::Finished},
        // Rays turning back into a surface: stay at walls, move through the box.
        WalkCase{"boxInRoom", Layout::BoxInRoom, 4, 150.0, 6, 0.7f, 0, 0, TraceStatus::Finished},
        // The first guesses per side are wrong until the walk has learnt them.
        WalkCase{"inverted", Layout::Inverted, 4, 150.0, 6, 0.7f, 0, 0, TraceStatus::Finished},
        // 9, 3, 1, 0: the last generations scatter nothing.
        WalkCase{"countsReachZero", Layout::Room, 7, 120.0, 9, 0.34f, 0, 0, TraceStatus::Finished},
        // Straight back along the reversed direction, one ray per point.
        WalkCase{"chain", Layout::Room, 30, 0.0, 1, 1.0f, 0, 0, TraceStatus::Finished},
        // Stopped by the point limit and by interrupts while tracing ahead.
        WalkCase{"pointLimit", Layout::Room, 4, 90.0, 8, 0.5f, 500, 0, TraceStatus::PointLimit},
        // The limit reached in the first points' trees, and in the last ones.
        WalkCase{"pointLimitEarly", Layout::Room, 4, 90.0, 8, 0.5f, 75, 0, TraceStatus::PointLimit},
        WalkCase{"pointLimitLate", Layout::Room, 4, 90.0, 8, 0.5f, 650, 0, TraceStatus::PointLimit},
        // Sets wider than a slot, all of whose rays are followed.
        WalkCase{"wideSets", Layout::BoxInRoom, 3, 120.0, 20, 1.0f, 0, 0, TraceStatus::Finished},
        WalkCase{"interruptEarly", Layout::Room, 5, 90.0, 8, 0.9f, 0, 1, TraceStatus::Interrupted},
        WalkCase{"interruptLate", Layout::Room, 5, 90.0, 8, 0.9f, 0, 3, TraceStatus::Interrupted},
        // The walk goes on from wherever the callback leaves the engine.
        WalkCase{"callbackDraws", Layout::Room, 5, 90.0, 8, 0.9f, 0, 0, TraceStatus::Finished, true},
        WalkCase{"drawsBetweenPoints", Layout::Room, 4, 90.0, 8, 0.5f, 0, 0, TraceStatus::Finished, false, true}),
    [](const ::testing::TestParamInfo<WalkCase> &info) { return std::string(info.param.name); });

TEST(PlannedWalk, LeavesLargeSetsAndOtherStoragesToTheSequentialWalk)
{
    PointsBuilder points;
    AttributeLists lists = gatherAttributeLists(points.gdp, HandleForm::ReadWrite, ListKinds::All, DataIds::Renew);
    std::vector<WalkTriple> triples = {{lists.positions(0), lists.directions(0), lists.intensities(0), nullptr}};
    WalkSettings settings;
    EXPECT_FALSE(PlannedWalk::suitable(triples, settings)) << "one generation leaves nothing to trace ahead";
    settings.depth = 4;
    settings.scatterCount = 0;
    EXPECT_FALSE(PlannedWalk::suitable(triples, settings)) << "nor does scattering nothing";
    settings.scatterCount = 8;
    EXPECT_TRUE(PlannedWalk::suitable(triples, settings));
    settings.scatterCount = 100000000;
    EXPECT_FALSE(PlannedWalk::suitable(triples, settings)) << "a huge set needs no plan to spread over threads";
    settings.scatterCount = 8;
    settings.dissipation = 2.0f;
    EXPECT_FALSE(PlannedWalk::suitable(triples, settings)) << "counts that grow are not bounded";
    settings.dissipation = 0.5f;
    triples[0].intensity.pageTable = nullptr;
    EXPECT_FALSE(PlannedWalk::suitable(triples, settings)) << "values must read back as written";
}

TEST(HandOffWalk, LeavesWhatItCannotWalkExactlyToTheSequentialWalk)
{
    PointsBuilder points;
    AttributeLists lists = gatherAttributeLists(points.gdp, HandleForm::ReadWrite, ListKinds::All, DataIds::Renew);
    std::vector<AttributeTriple> triples = {{lists.positions(0), lists.directions(0), lists.intensities(0)}};
    WalkSettings settings;
    EXPECT_FALSE(HandOffWalk::suitable(triples, settings)) << "one generation leaves nothing to hand out";
    settings.depth = 4;
    settings.scatterCount = 0;
    EXPECT_FALSE(HandOffWalk::suitable(triples, settings)) << "nor does scattering nothing";
    settings.scatterCount = 8;
    settings.dissipation = 0.5f;
    EXPECT_TRUE(HandOffWalk::suitable(triples, settings));
    settings.scatterCount = 2000;
    EXPECT_FALSE(HandOffWalk::suitable(triples, settings)) << "a large set spreads over threads by itself";
    settings.scatterCount = 8;
    settings.dissipation = 2.0f;
    EXPECT_TRUE(HandOffWalk::suitable(triples, settings)) << "1 + 16 + 512 + 32768 points at most";
    settings.depth = 5;
    EXPECT_FALSE(HandOffWalk::suitable(triples, settings)) << "too many points for one tree's log";
    settings.depth = 4;
    settings.dissipation = 1.0f;
    settings.scatterCount = 1;
    settings.depth = 60000;
    EXPECT_TRUE(HandOffWalk::suitable(triples, settings)) << "a long chain is a small tree";
    settings.depth = 70000;
    EXPECT_FALSE(HandOffWalk::suitable(triples, settings)) << "a chain longer than a tree may be";
    settings.depth = 4;
    std::vector<AttributeTriple> aliased = triples;
    aliased[0].intensity = aliased[0].direction;
    EXPECT_FALSE(HandOffWalk::suitable(aliased, settings)) << "a point read back must hold what was written";
    triples[0].direction.pageTable = nullptr;
    EXPECT_FALSE(HandOffWalk::suitable(triples, settings)) << "values must read back as written";
}

// A failure in the middle of a run still leaves every point made before it
// in the detail, as tracePoint leaves them, and reaches the caller.
TEST(HandOffWalk, AFailureAppendsWhatWasMadeBeforeIt)
{
    const Scene scene(Layout::Room);
    const Collider collider(scene.collider.gdp, SearchMode::Accelerated);
    WalkSettings settings;
    settings.depth = 4;
    settings.scatter = 90.0;
    settings.scatterCount = 8;
    settings.dissipation = 0.5f;
    constexpr GA_Offset kWalked = 25;
    const auto walkFirst = [&](GU_Detail &output, bool handOff) {
        sceneRandomEngine.seed(5489u);
        AttributeLists lists = gatherAttributeLists(output, HandleForm::ReadWrite, ListKinds::All, DataIds::Renew);
        const AttributeTriple triple{lists.positions(0), lists.directions(0), lists.intensities(0)};
        TraceControl control;
        std::vector<PrimaryTrace> primaries(static_cast<size_t>(kWalked));
        tracePrimaryRays(0, kWalked, triple.position, triple.direction, collider, control, primaries.data());
        if (!handOff)
        {
            for (GA_Offset p = 0; p < kWalked; ++p)
                tracePoint(output, p, triple, collider, settings, control, &primaries[size_t(p)]);
            return;
        }
        const UT_ThreadLimit limit(2);
        HandOffWalk walk(output, collider, settings, control);
        EXPECT_THROW(walk.run([&]() {
            for (GA_Offset p = 0; p < kWalked; ++p)
                walk.tracePoint(triple, p, primaries[size_t(p)]);
            throw std::runtime_error("the caller fails");
        }),
                     std::runtime_error);
    };
    GU_Detail expected(scene.points.gdp);
    walkFirst(expected, false);
    GU_Detail got(scene.points.gdp);
    walkFirst(got, true);
    ASSERT_GT(expected.getNumPoints(), scene.points.gdp.getNumPoints() + 100);
    ASSERT_EQ(got.getNumPoints(), expected.getNumPoints());
    for (const char *name : {"P", "dir", "energy"})
        for (GA_Offset p = 0; p < expected.getNumPoints(); ++p)
        {
            const UT_Vector3 u = getVector(expected.findPointAttribute(name), p);
            const UT_Vector3 v = getVector(got.findPointAttribute(name), p);
            ASSERT_EQ(std::memcmp(u.data(), v.data(), sizeof(float) * 3), 0) << name << " of point " << p;
        }
}
