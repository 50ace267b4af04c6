// Whole traces with scattering must not depend on the thread count nor on
// the search structure: same points, same bits, same random draws.
#include "trace/point_tracer.h"

#include "math/scatter.h"
#include "trace/tests/trace_test_scenes.h"
#include "trace/tests/walk_test_runs.h"

#include <UT/UT_ParallelUtil.h>

#include <cstring>
#include <gtest/gtest.h>

#if defined(__x86_64__) || defined(_M_X64)
#include <xmmintrin.h>
#endif

using namespace trace_test;

namespace
{

// A room with a box standing in it, and points spread through the room.
struct Scene
{
    Scene()
    {
        collider.room(4, UT_Vector3(0.9f, 0.8f, 0.7f));
        // A smaller box inside, its triangles met from outside: the room's
        // winding reversed.
        ColliderBuilder inner;
        inner.room(1);
        for (GA_Index j = 0; j < inner.gdp.getNumPrimitives(); ++j)
        {
            const GEO_Primitive *prim = inner.gdp.primitives().rawEntry(j);
            UT_Vector3 c[3];
            for (int k = 0; k < 3; ++k)
                c[k] = getVector(inner.P, prim->getPointOffset(k));
            UT_Vector3 n = getVector(inner.N, prim->getPointOffset(0));
            n = UT_Vector3(-n.x(), -n.y(), -n.z());
            for (int k = 0; k < 3; ++k)
                c[k] = UT_Vector3(c[k].x() + 1.5f, c[k].y(), c[k].z() - 2.0f);
            collider.triangle(c[0], c[2], c[1], n, UT_Vector3(0.5f, 0.6f, 0.7f));
        }
        for (int i = 0; i < 12; ++i)
            points.point(UT_Vector3(-3 + 0.5f * i, 0.25f * (i % 5) - 0.5f, 0.3f * (i % 3)),
                         UT_Vector3(float(i % 4) - 1.5f, 0.7f, float(i % 3) - 1.0f));
    }
    ColliderBuilder collider;
    PointsBuilder points;
};

// With primaryAhead, the primary rays are traced first for all points and
// handed to the walks; otherwise each walk traces its own.
template <typename SceneType>
WalkRun traceScene(const SceneType &scene, SearchMode mode, bool parallel, int threads, bool primaryAhead = true)
{
    WalkOptions options;
    options.mode = mode;
    options.parallel = parallel;
    options.threads = threads;
    options.primaryAhead = primaryAhead;
    options.scatter = 75.0;
    options.count = 9;
    options.dissipation = 0.6f;
    return runWalk(scene.points.gdp, scene.collider.gdp, options);
}

}  // namespace

TEST(ParallelTrace, SameOutputForAnyThreadCountAndSearch)
{
    Scene scene;
    const WalkRun reference = traceScene(scene, SearchMode::Exhaustive, false, 1);
    EXPECT_GT(reference.output.getNumPoints(), 12 + 12 * 20) << "the scene should scatter widely";
    expectIdentical(reference, traceScene(scene, SearchMode::Exhaustive, true, 4));
    expectIdentical(reference, traceScene(scene, SearchMode::Accelerated, false, 1));
    expectIdentical(reference, traceScene(scene, SearchMode::Accelerated, true, 2));
    expectIdentical(reference, traceScene(scene, SearchMode::Accelerated, true, 4));
}

TEST(ParallelTrace, PrimaryRaysTracedAheadGiveTheWalkThatTracesThemItself)
{
    // The walk takes a primary ray's direction and trace as handed over, so
    // both must be exactly what it would have computed.
    Scene scene;
    const WalkRun own = traceScene(scene, SearchMode::Accelerated, false, 1, false);
    expectIdentical(own, traceScene(scene, SearchMode::Accelerated, false, 1, true));
    expectIdentical(own, traceScene(scene, SearchMode::Exhaustive, true, 2, true));
}

TEST(ParallelTrace, PrimaryRayDirectionIsThePointsPrimaryDirection)
{
    Scene scene;
    GU_Detail output = scene.points.gdp;
    AttributeLists lists = gatherAttributeLists(output, HandleForm::ReadWrite, ListKinds::All, DataIds::Renew);
    Collider collider(scene.collider.gdp, SearchMode::Accelerated);
    TraceControl control;
    const GA_Size n = output.getNumPoints();
    std::vector<PrimaryTrace> primaries(static_cast<size_t>(n));
    ASSERT_TRUE(tracePrimaryRays(0, n, lists.positions(0), lists.directions(0), collider, control, primaries.data()));
    for (GA_Offset p = 0; p < n; ++p)
    {
        UT_Vector3 origin = readVector(lists.positions(0), p);
        UT_Vector3 direction = primaryDirection(readVector(lists.directions(0), p));
        const UT_Vector3 rayDirection = direction;
        const BounceResult expected = traceBounces(origin, direction, collider, 1);
        const PrimaryTrace &got = primaries[size_t(p)];
        EXPECT_EQ(std::memcmp(got.direction.data(), rayDirection.data(), sizeof(float) * 3), 0) << "point " << p;
        EXPECT_EQ(std::memcmp(got.result.position.data(), expected.position.data(), sizeof(float) * 3), 0);
        EXPECT_EQ(std::memcmp(got.result.direction.data(), expected.direction.data(), sizeof(float) * 3), 0);
    }
    EXPECT_EQ(control.raysTraced, n);
}

TEST(ParallelTrace, CollidersDataIdsAreRenewedByEveryBatch)
{
    Scene scene;
    const int64_t before = scene.collider.P->getDataId();
    const WalkRun run = traceScene(scene, SearchMode::Accelerated, true, 4);
    const int64_t after = scene.collider.P->getDataId();
    EXPECT_NE(after, before);
    // Every trace renews it: a fresh id is larger than any handed out before.
    GU_Detail probe;
    GA_Attribute *fresh = probe.addFloatTuple3("P", 1);
    EXPECT_GT(fresh->getDataId(), after);
    EXPECT_GT(run.rays, 0);
}

TEST(ParallelTrace, EmptyBatchLeavesTheCollidersDataIds)
{
    Scene scene;
    const Collider collider(scene.collider.gdp, SearchMode::Accelerated);
    const int64_t before = scene.collider.P->getDataId();
    renewDataIds(collider, 0);
    EXPECT_EQ(scene.collider.P->getDataId(), before);
    renewDataIds(collider, 3);
    const int64_t once = scene.collider.P->getDataId();
    EXPECT_NE(once, before);
    renewDataIds(collider, 1);
    EXPECT_NE(scene.collider.P->getDataId(), once) << "every later batch renews again";
}

#if defined(__x86_64__) || defined(_M_X64)
namespace
{

// Points a subnormal distance off the plane x = 0 that shoot straight up,
// in a room whose surface directions carry subnormal components where the
// walls' normals have zeros. The hit points keep those x coordinates, and
// rays turned about those directions get components of about 1e-39: kept as
// subnormals normally, zero under flush-to-zero and denormals-are-zero.
struct SubnormalScene
{
    SubnormalScene()
    {
        collider.room(4, UT_Vector3(0.9f, 0.8f, 0.7f));
        for (GA_Offset p = 0; p < collider.gdp.getNumPoints(); ++p)
        {
            UT_Vector3 n = getVector(collider.N, p);
            for (int c = 0; c < 3; ++c)
                if (n[c] == 0.0f)
                    n[c] = (c == 0 ? 1.1e-39f : -2.3e-39f) * float(1 + p % 3);
            setVector(collider.N, p, n);
        }
        // Enough primary rays that helper threads surely take some.
        for (int i = 0; i < 600; ++i)
            points.point(UT_Vector3((i % 2 ? 1.3e-39f : -2.9e-39f) * float(1 + i % 5), 0.0113f * float(i) - 3.4f,
                                    0.05f * float(i % 5)),
                         UT_Vector3(0, 0, 1));
    }
    ColliderBuilder collider;
    PointsBuilder points;
};

// Sets the calling thread's MXCSR for the lifetime of the object.
class ScopedCsr
{
public:
    explicit ScopedCsr(unsigned csr) : mySaved(_mm_getcsr()) { _mm_setcsr(csr); }
    ~ScopedCsr() { _mm_setcsr(mySaved); }

private:
    unsigned mySaved;
};

}  // namespace

// Worker threads start with the default floating-point state; the tracer's
// output must follow the state of the thread that cooks, on any thread count.
TEST(ParallelTrace, WorkersFollowTheCallersFlushToZeroAndDenormalsAreZero)
{
    SubnormalScene scene;
    // Parallel, so that helper threads exist before the state changes.
    const WalkRun plain = traceScene(scene, SearchMode::Accelerated, true, 2);
    const ScopedCsr flush(_mm_getcsr() | 0x8040);  // FTZ and DAZ
    const WalkRun reference = traceScene(scene, SearchMode::Accelerated, false, 1);
    ASSERT_FALSE(sameOutput(plain, reference)) << "the scene should meet subnormal values";
    for (const SearchMode mode : {SearchMode::Accelerated, SearchMode::Exhaustive})
        for (const int threads : {1, 2})
        {
            SCOPED_TRACE(testing::Message() << threads << " threads, mode " << int(mode));
            expectIdentical(reference, traceScene(scene, mode, true, threads));
        }
    // The trace-ahead walk's helpers live as long as the walk, not a region.
    WalkOptions options;
    options.planned = options.parallel = true;
    options.threads = 2;
    options.scatter = 75.0;
    options.count = 9;
    options.dissipation = 0.6f;
    expectIdentical(traceScene(scene, SearchMode::Accelerated, false, 1),
                    runWalk(scene.points.gdp, scene.collider.gdp, options));
}
#endif
