// Cooks of many input points: primary rays are traced ahead in batches, in
// an order of their own, and the points walked in smaller batches; every
// point must still get its own ray's hit, in input order.
#include "node/tests/node_test_network.h"

#include "trace/bounce_tracer.h"
#include "trace/point_tracer.h"
#include "trace/tests/trace_test_scenes.h"

#include <UT/UT_ParallelUtil.h>
#include <cstring>
#include <gtest/gtest.h>
#include <random>

using node_test::VelkorNetwork;
using namespace trace_test;

namespace
{

// Points scattered through a closed room, aimed every way, so that every
// primary ray hits a wall and rays next to each other in input order start
// far apart.
struct ScatteredPoints
{
    explicit ScatteredPoints(int count)
    {
        room.room(3, UT_Vector3(0.8f, 0.7f, 0.6f));
        std::mt19937 engine(7);
        std::uniform_real_distribution<float> inside(-2.9f, 2.9f), way(-1.0f, 1.0f);
        for (int i = 0; i < count; ++i)
            points.point(UT_Vector3(inside(engine), inside(engine), inside(engine)),
                         UT_Vector3(way(engine), way(engine), way(engine) + 0.01f));
    }
    ColliderBuilder room;
    PointsBuilder points;
};

bool sameBits(const UT_Vector3 &a, const UT_Vector3 &b)
{
    return std::memcmp(a.data(), b.data(), sizeof(float) * 3) == 0;
}

class ManyPoints : public ::testing::TestWithParam<int>
{};

// More points than one walk batch and than several, on one and two threads:
// point n + p must be the hit of point p's ray, as traced on its own.
TEST_P(ManyPoints, EachNewPointIsItsOwnRaysHit)
{
    const int count = 9000;
    ScatteredPoints scene(count);
    const UT_ThreadLimit threads(GetParam());
    VelkorNetwork net;
    ASSERT_NE(net.velkor, nullptr) << net.loadError;
    net.setInputs(scene.points.gdp, scene.room.gdp);
    net.setParms(1, 0, 1, 1);
    const GU_Detail *out = net.cook();
    ASSERT_NE(out, nullptr);
    ASSERT_EQ(out->getNumPoints(), 2 * count) << net.messages();
    const GA_Attribute *P = out->findPointAttribute("P");
    const GA_Attribute *D = out->findPointAttribute("dir");
    for (GA_Offset p = 0; p < count; ++p)
    {
        UT_Vector3 origin = getVector(scene.points.P, p);
        UT_Vector3 direction = primaryDirection(getVector(scene.points.D, p));
        const BounceResult expected = traceBounces(origin, direction, scene.room.gdp, 1);
        ASSERT_TRUE(sameBits(getVector(P, count + p), expected.position)) << "point " << p;
        ASSERT_TRUE(sameBits(getVector(D, count + p), expected.direction)) << "point " << p;
    }
}

INSTANTIATE_TEST_SUITE_P(Threads, ManyPoints, ::testing::Values(1, 2));

}  // namespace
