// Cooks of small scenes whose results are worked out by hand: where a ray
// stops, how its direction turns and how much intensity arrives, from the
// node's rules alone (nearest front-facing triangle; half a turn about the
// surface direction; intensity times the surface factor times
// 1 / (2 d^4 + 1) for a hit at distance d; scattered rays around the
// reversed direction of the point they leave). The expected values agree
// with the node's single precision up to rounding; the exact bytes are the
// golden cases' job.
#include "node/tests/node_test_network.h"
#include "node/tests/worked_scenes.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <functional>
#include <gtest/gtest.h>
#include <ostream>

using namespace node_test;
using namespace trace_test;

namespace
{

struct SingleRay
{
    const char *what;
    std::function<void(ColliderBuilder &)> build;
    UT_Vector3 position, direction, intensity;
    bool hits;
    UT_Vector3 hitPosition, turned, arriving;  // when it hits
};

void PrintTo(const SingleRay &ray, std::ostream *os) { *os << ray.what; }

const UT_Vector3 kHalf(0.5f, 0.5f, 0.5f);

// A wall across x = 2, facing rays that travel along +x, with factor 0.5.
void wallAtTwo(ColliderBuilder &c)
{
    addWall(c, UT_Vector3(2, -5, -5), UT_Vector3(0, 10, 0), UT_Vector3(0, 0, 10), UT_Vector3(-1, 0, 0), kHalf);
}

const SingleRay kSingleRays[] = {
    // d = 2, d^2 = 4: fall-off 1 / 33.
    {"straight at a wall", wallAtTwo, UT_Vector3(0, 0.25f, 0.25f), UT_Vector3(1, 0, 0), UT_Vector3(1, 2, 3), true,
     UT_Vector3(2, 0.25f, 0.25f), UT_Vector3(1, 0, 0), UT_Vector3(0.5 / 33, 1.0 / 33, 1.5 / 33)},
    // Along (3, 4, 0) / 5 the wall is 5 away: d^2 = 25, fall-off 1 / 1251;
    // the turn keeps the x part and reverses the y part.
    {"slanted at a wall", wallAtTwo, UT_Vector3(-1, 0, 0.5f), UT_Vector3(3, 4, 0), UT_Vector3(1, 1, 1), true,
     UT_Vector3(2, 4, 0.5f), UT_Vector3(0.6f, -0.8f, 0), UT_Vector3(0.5 / 1251, 0.5 / 1251, 0.5 / 1251)},
    {"away from a wall", wallAtTwo, UT_Vector3(0, 0, 0), UT_Vector3(-2, 0, 0), UT_Vector3(1, 1, 1), false, {}, {}, {}},
    {"at the back of a wall",
     wallAtTwo,
     UT_Vector3(5, 0, 0),
     UT_Vector3(-1, 0, 0),
     UT_Vector3(1, 1, 1),
     false,
     {},
     {},
     {}},
    {"past the wall's edge",
     wallAtTwo,
     UT_Vector3(0, 5.5f, 0),
     UT_Vector3(1, 0, 0),
     UT_Vector3(1, 1, 1),
     false,
     {},
     {},
     {}},
    // A nearer wall seen from its back hides nothing: the ray stops at x = 2.
    {"through a back-facing wall",
     [](ColliderBuilder &c) {
         addWall(c, UT_Vector3(1, -5, -5), UT_Vector3(0, 0, 10), UT_Vector3(0, 10, 0), UT_Vector3(1, 0, 0),
                 UT_Vector3(9, 9, 9));
         wallAtTwo(c);
     },
     UT_Vector3(0, 1, 1), UT_Vector3(1, 0, 0), UT_Vector3(1, 1, 1), true, UT_Vector3(2, 1, 1), UT_Vector3(1, 0, 0),
     UT_Vector3(0.5 / 33, 0.5 / 33, 0.5 / 33)},
    // Of two front-facing walls the nearer stops the ray, whatever their order.
    {"the nearer of two walls",
     [](ColliderBuilder &c) {
         wallAtTwo(c);
         addWall(c, UT_Vector3(1, -5, -5), UT_Vector3(0, 10, 0), UT_Vector3(0, 0, 10), UT_Vector3(-1, 0, 0),
                 UT_Vector3(2, 2, 2));
     },
     UT_Vector3(0, 1, 1), UT_Vector3(1, 0, 0), UT_Vector3(1, 1, 1), true, UT_Vector3(1, 1, 1), UT_Vector3(1, 0, 0),
     UT_Vector3(2.0 / 3, 2.0 / 3, 2.0 / 3)},
    // A ray at a triangle's corner stops there; the surface direction
    // (1, 0, 1) turns (0, 0, 1) into (1, 0, 0); d = 1 gives 1 / 3.
    {"at a triangle's corner",
     [](ColliderBuilder &c) { c.unitTriangle(UT_Vector3(1, 0, 1), UT_Vector3(0.3f, 0.6f, 0.9f)); },
     UT_Vector3(1, 0, -1), UT_Vector3(0, 0, 1), UT_Vector3(1, 1, 1), true, UT_Vector3(1, 0, 0), UT_Vector3(1, 0, 0),
     UT_Vector3(0.1f, 0.2f, 0.3f)},
    // A surface direction of zero length sends the ray straight back.
    {"a surface without direction",
     [](ColliderBuilder &c) { c.unitTriangle(UT_Vector3(0, 0, 0), UT_Vector3(1, 1, 1)); }, UT_Vector3(0.2f, 0.2f, -1),
     UT_Vector3(0, 0, 1), UT_Vector3(3, 3, 3), true, UT_Vector3(0.2f, 0.2f, 0), UT_Vector3(0, 0, -1),
     UT_Vector3(1, 1, 1)},
};

class CookSingleRay : public ::testing::TestWithParam<SingleRay>
{};

}  // namespace

// Defaults (bounces 1, scatter 0, scatternum 1, dissipation 1): one ray per
// point, at most one new point, nothing scattered.
TEST_P(CookSingleRay, StopsTurnsAndAttenuatesAsWorkedOut)
{
    const SingleRay &ray = GetParam();
    ColliderBuilder collider;
    ray.build(collider);
    PointsBuilder points;
    points.point(ray.position, ray.direction, ray.intensity);

    VelkorNetwork net;
    ASSERT_NE(net.velkor, nullptr) << net.loadError;
    net.setInputs(points.gdp, collider.gdp);
    const GU_Detail *out = net.cook();
    ASSERT_NE(out, nullptr);
    EXPECT_EQ(net.velkor->error(), UT_ERROR_NONE) << net.messages();
    ASSERT_EQ(out->getNumPoints(), ray.hits ? 2 : 1) << ray.what;
    const GA_Attribute *P = out->findPointAttribute("P");
    const GA_Attribute *D = out->findPointAttribute("dir");
    const GA_Attribute *I = out->findPointAttribute("energy");

    // The traced point keeps its place and intensity; its direction is the
    // one it was traced along, hit or miss.
    EXPECT_EQ(getVector(P, 0), ray.position);
    EXPECT_EQ(getVector(I, 0), ray.intensity);
    expectNear(getVector(D, 0), unit(ray.direction), 1e-5f, std::string(ray.what) + ": traced direction");
    EXPECT_EQ(net.velkor->getCookStatistic("rays traced"), 1);
    if (!ray.hits)
        return;
    expectNear(getVector(P, 1), ray.hitPosition, 1e-5f, std::string(ray.what) + ": hit");
    expectNear(getVector(D, 1), ray.turned, 1e-5f, std::string(ray.what) + ": turned direction");
    expectRelative(getVector(I, 1), ray.arriving, 1e-5, std::string(ray.what) + ": intensity");
}

INSTANTIATE_TEST_SUITE_P(Scenes, CookSingleRay, ::testing::ValuesIn(kSingleRays),
                         [](const ::testing::TestParamInfo<SingleRay> &info) {
                             std::string name;
                             for (const char *c = info.param.what; *c; ++c)
                                 if (std::isalnum(static_cast<unsigned char>(*c)))
                                     name += *c;
                             return name;
                         });

// With scatter 0 every secondary ray runs straight back along the reversed
// direction of the point it leaves, so the whole walk can be followed by
// hand: bounces 3 and scatternum 2 give the primary hit H, then H's two
// rays (A, B, the same ray twice), each followed by its own two (A1, A2 and
// B1, B2), appended depth first: H, A, A1, A2, B, B1, B2.
TEST(CookBox, ScatterZeroWalksTheRoomInPreOrder)
{
    const float h = 3;
    const UT_Vector3 factor(0.8f, 0.7f, 0.6f);
    ColliderBuilder room;
    room.room(h, factor);
    PointsBuilder points;
    const UT_Vector3 start(0.1f, 0.2f, 0.3f), direction(0.3f, -0.4f, 0.5f), intensity(1, 2, 4);
    points.point(start, direction, intensity);

    VelkorNetwork net;
    ASSERT_NE(net.velkor, nullptr) << net.loadError;
    net.setInputs(points.gdp, room.gdp);
    net.setParms(3, 0, 2, 1);
    const GU_Detail *out = net.cook();
    ASSERT_NE(out, nullptr);
    ASSERT_EQ(out->getNumPoints(), 8) << net.messages();
    EXPECT_EQ(net.velkor->getCookStatistic("rays traced"), 7);

    const WallHit hitH = roomHit(start, direction, h);
    const WallHit hitA = roomHit(hitH.position, negated(hitH.turned), h);
    const WallHit hitA1 = roomHit(hitA.position, negated(hitA.turned), h);
    const UT_Vector3 arrivingH = times(intensity, factor, falloff(hitH.distance2));
    const UT_Vector3 arrivingA = times(arrivingH, factor, falloff(hitA.distance2));
    const UT_Vector3 arrivingA1 = times(arrivingA, factor, falloff(hitA1.distance2));

    struct Expected
    {
        const char *name;
        const WallHit *hit;
        UT_Vector3 arriving;
        bool scattered;  // its direction then holds the last ray it sent
    };
    const Expected expected[] = {{"H", &hitH, arrivingH, true},     {"A", &hitA, arrivingA, true},
                                 {"A1", &hitA1, arrivingA1, false}, {"A2", &hitA1, arrivingA1, false},
                                 {"B", &hitA, arrivingA, true},     {"B1", &hitA1, arrivingA1, false},
                                 {"B2", &hitA1, arrivingA1, false}};
    const GA_Attribute *P = out->findPointAttribute("P");
    const GA_Attribute *D = out->findPointAttribute("dir");
    const GA_Attribute *I = out->findPointAttribute("energy");
    expectNear(getVector(D, 0), unit(direction), 1e-5f, "input point");
    for (int k = 0; k < 7; ++k)
    {
        const Expected &e = expected[k];
        const GA_Offset point = k + 1;
        expectNear(getVector(P, point), e.hit->position, 1e-4f, e.name);
        expectNear(getVector(D, point), e.scattered ? negated(e.hit->turned) : e.hit->turned, 1e-5f, e.name);
        expectRelative(getVector(I, point), e.arriving, 1e-4, e.name);
    }
}

// Scattered rays leave within the cap around the reversed direction of the
// point they leave; the cap's angular radius is acos(1 - scatter / 180).
TEST(CookBox, ScatteredRaysLeaveWithinTheirCap)
{
    const float h = 3;
    const double scatter = 30;
    const int count = 40;
    ColliderBuilder room;
    room.room(h);
    PointsBuilder points;
    const UT_Vector3 start(0.1f, 0.2f, 0.3f), direction(0.1f, 0.2f, 1);
    points.point(start, direction);

    VelkorNetwork net;
    ASSERT_NE(net.velkor, nullptr) << net.loadError;
    net.setInputs(points.gdp, room.gdp);
    net.setParms(2, scatter, count, 1);
    const GU_Detail *out = net.cook();
    ASSERT_NE(out, nullptr);
    // Near the wall's own direction every ray of the cap heads into the room
    // and meets another wall.
    ASSERT_EQ(out->getNumPoints(), 2 + count) << net.messages();

    const GA_Attribute *P = out->findPointAttribute("P");
    const WallHit hitH = roomHit(start, direction, h);
    expectNear(getVector(P, 1), hitH.position, 1e-4f, "H");
    const UT_Vector3 axis = negated(hitH.turned);
    const double radius = std::acos(1 - scatter / 180);
    double widest = 0;
    for (GA_Offset child = 2; child < out->getNumPoints(); ++child)
    {
        const UT_Vector3 at = getVector(P, child);
        const UT_Vector3 way = unit(difference(at, getVector(P, 1)));
        const double angle = std::acos(std::min(1.0, dotProduct(way, axis)));
        EXPECT_LE(angle, radius + 1e-4) << "ray " << child;
        widest = std::max(widest, angle);
        const float farthest = std::max({std::fabs(at[0]), std::fabs(at[1]), std::fabs(at[2])});
        EXPECT_NEAR(farthest, h, 1e-4f) << "ray " << child << " ends on a wall";
    }
    EXPECT_GT(widest, radius / 2) << "the rays spread over the cap";
}
