#include "prep/ear_clipping.h"

#include "prep/polygon_geometry.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

namespace
{
struct Flat
{
    double x, y;
};

// The outline in the plane z = 0, then tilted and moved by a fixed rigid
// motion, so no case lies in a coordinate plane.
std::vector<UT_Vector3> placed(const std::vector<Flat> &outline)
{
    const double a = 0.7, b = 0.4;
    std::vector<UT_Vector3> corners;
    for (const Flat &p : outline)
    {
        const double x = p.x * std::cos(a) - p.y * std::sin(a);
        const double y0 = p.x * std::sin(a) + p.y * std::cos(a);
        const double y = y0 * std::cos(b);
        const double z = y0 * std::sin(b);
        corners.emplace_back(float(x + 3.0), float(y - 2.0), float(z + 5.0));
    }
    return corners;
}

double flatArea(const std::vector<Flat> &o, size_t a, size_t b, size_t c)
{
    return 0.5 * ((o[b].x - o[a].x) * (o[c].y - o[a].y) - (o[b].y - o[a].y) * (o[c].x - o[a].x));
}

double outlineArea(const std::vector<Flat> &o)
{
    double sum = 0;
    for (size_t i = 0; i < o.size(); ++i)
    {
        const Flat &p = o[i], &q = o[(i + 1) % o.size()];
        sum += p.x * q.y - q.x * p.y;
    }
    return 0.5 * sum;
}

// Crossing count: true strictly inside.
bool inside(const std::vector<Flat> &o, double x, double y)
{
    bool in = false;
    for (size_t i = 0, j = o.size() - 1; i < o.size(); j = i++)
        if ((o[i].y > y) != (o[j].y > y) && x < (o[j].x - o[i].x) * (y - o[i].y) / (o[j].y - o[i].y) + o[i].x)
            in = !in;
    return in;
}

struct Outline
{
    std::string name;
    std::vector<Flat> corners;
};

// Outlines of a simple polygon, wound either way: the triangles must cover
// it exactly (areas add up, none turns against the outline, none leaves
// it) and none may have no area.
class EarClippingCovers : public testing::TestWithParam<Outline>
{};

TEST_P(EarClippingCovers, TrianglesTileTheOutlineWithItsWinding)
{
    const std::vector<Flat> &o = GetParam().corners;
    const std::vector<CornerTriangle> triangles = clipEars(placed(o));
    const double area = outlineArea(o);
    const double sign = area > 0 ? 1.0 : -1.0;
    double sum = 0;
    for (const CornerTriangle &t : triangles)
    {
        ASSERT_LT(t.a, o.size());
        ASSERT_LT(t.b, o.size());
        ASSERT_LT(t.c, o.size());
        // Corners on a straight edge of the outline are, once rounded to
        // float in space, a hair off it: their triangles may have no area
        // here, but none may turn against the outline.
        const double piece = flatArea(o, t.a, t.b, t.c) * sign;
        EXPECT_GE(piece, 0.0) << t.a << " " << t.b << " " << t.c;
        sum += piece;
        const double cx = (o[t.a].x + o[t.b].x + o[t.c].x) / 3, cy = (o[t.a].y + o[t.b].y + o[t.c].y) / 3;
        EXPECT_TRUE(piece == 0.0 || inside(o, cx, cy)) << t.a << " " << t.b << " " << t.c;
    }
    EXPECT_NEAR(sum, std::fabs(area), 1e-5 * std::fabs(area));
}

std::vector<Flat> reversed(std::vector<Flat> o) { return std::vector<Flat>(o.rbegin(), o.rend()); }

std::vector<Flat> star(int points, double inner)
{
    std::vector<Flat> o;
    for (int i = 0; i < 2 * points; ++i)
    {
        const double angle = M_PI * i / points, r = i % 2 ? inner : 1.0;
        o.push_back({r * std::cos(angle), r * std::sin(angle)});
    }
    return o;
}

std::vector<Flat> comb(int teeth)
{
    std::vector<Flat> o{{0, 0}, {double(2 * teeth), 0}};
    for (int i = teeth - 1; i >= 0; --i)
    {
        o.push_back({2.0 * i + 2, 3});
        o.push_back({2.0 * i + 1, 3});
        o.push_back({2.0 * i + 1, 1});
        o.push_back({2.0 * i + 0.999, 1});
    }
    o.pop_back();
    o.push_back({0, 3});
    return o;
}

const std::vector<Flat> kL{{0, 0}, {2, 0}, {2, 1}, {1, 1}, {1, 2}, {0, 2}};
const std::vector<Flat> kArrow{{0, 0}, {2, 1}, {0, 2}, {0.5, 1}};
// A reflex corner first, so the fan from corner 0 would leave the outline.
const std::vector<Flat> kReflexFirst{{1, 1}, {0, 2}, {0, 0}, {2, 0}, {2, 2}};
// Corners on straight edges, one of them between two others that coincide.
const std::vector<Flat> kCollinear{{0, 0}, {1, 0}, {2, 0}, {3, 0}, {3, 1}, {3, 2}, {1.5, 2}, {0, 2}, {0, 1}};
// Repeated corners, next to each other and around the outline's end.
const std::vector<Flat> kDuplicates{{0, 0}, {0, 0}, {2, 0}, {2, 2}, {2, 2}, {2, 2}, {1, 1}, {0, 2}, {0, 0}};
// Two squares touching at one corner, the outline passing it twice.
const std::vector<Flat> kTouching{{0, 0}, {1, 0}, {1, 1}, {2, 1}, {2, 2}, {1, 2}, {1, 1}, {0, 1}};
// A spike of no width on a square.
const std::vector<Flat> kSpike{{0, 0}, {2, 0}, {2, 1}, {4, 1}, {2, 1}, {2, 2}, {0, 2}};

std::vector<Flat> circle(int corners)
{
    std::vector<Flat> o;
    for (int i = 0; i < corners; ++i)
        o.push_back({std::cos(2 * M_PI * i / corners), std::sin(2 * M_PI * i / corners)});
    return o;
}

INSTANTIATE_TEST_SUITE_P(Outlines, EarClippingCovers,
                         testing::Values(Outline{"square", {{0, 0}, {1, 0}, {1, 1}, {0, 1}}}, Outline{"L", kL},
                                         Outline{"L_clockwise", reversed(kL)}, Outline{"arrow", kArrow},
                                         Outline{"reflex_first", kReflexFirst}, Outline{"star", star(7, 0.3)},
                                         Outline{"star_clockwise", reversed(star(5, 0.5))}, Outline{"comb", comb(6)},
                                         Outline{"collinear", kCollinear}, Outline{"duplicates", kDuplicates},
                                         Outline{"touching", kTouching}, Outline{"spike", kSpike},
                                         Outline{"disc_300", circle(300)}, Outline{"disc_5000", circle(5000)}),
                         [](const testing::TestParamInfo<Outline> &info) { return info.param.name; });

TEST(EarClipping, ConvexPolygonsBecomeTheFanFromTheFirstCorner)
{
    const std::vector<CornerTriangle> quad = clipEars(placed({{0, 0}, {1, 0}, {1, 1}, {0, 1}}));
    EXPECT_EQ(quad, (std::vector<CornerTriangle>{{0, 1, 2}, {0, 2, 3}}));
    const std::vector<CornerTriangle> disc = clipEars(placed(circle(256)));
    ASSERT_EQ(disc.size(), 254u);
    for (size_t k = 0; k < disc.size(); ++k)
        EXPECT_EQ(disc[k], (CornerTriangle{0, k + 1, k + 2}));
}

// Faces of very many corners cost about their number, not its square: a
// star of 400,000 corners, every other one turning back, is cut in well
// under the test's time limit and covered exactly.
TEST(EarClipping, ManyCornersAreCutQuickly)
{
    const std::vector<Flat> outline = star(200000, 0.8);
    const std::vector<CornerTriangle> triangles = clipEars(placed(outline));
    EXPECT_GT(triangles.size(), 390000u);
    double sum = 0;
    for (const CornerTriangle &t : triangles)
        sum += flatArea(outline, t.a, t.b, t.c);
    EXPECT_NEAR(sum, outlineArea(outline), 1e-6 * outlineArea(outline));
}

TEST(EarClipping, TrianglesAndShapesWithoutAreaAreLeftAlone)
{
    EXPECT_EQ(clipEars(placed({{0, 0}, {1, 0}, {0, 1}})), (std::vector<CornerTriangle>{{0, 1, 2}}));
    EXPECT_TRUE(clipEars(placed({{0, 0}, {1, 0}})).empty());
    EXPECT_TRUE(clipEars({}).empty());
    EXPECT_TRUE(clipEars({{0, 0, 0}, {1, 1, 1}, {2, 2, 2}, {3, 3, 3}}).empty());
    // Corners on one line but for a spike back along it.
    EXPECT_TRUE(clipEars({{0, 0, 0}, {2, 2, 2}, {1, 1, 1}, {3, 3, 3}}).empty());
    const UT_Vector3 p(1, 2, 3);
    EXPECT_TRUE(clipEars({p, p, p, p}).empty());
}

// A quad whose corners do not lie in one plane, and a concave one bent
// about a fold line: the triangles follow the corners in space, each faces
// the way the whole polygon does.
TEST(EarClipping, PolygonsThatAreNotFlat)
{
    const std::vector<UT_Vector3> saddle{{0, 0, 0}, {1, 0, 0.3f}, {1, 1, 0}, {0, 1, 0.3f}};
    EXPECT_EQ(clipEars(saddle), (std::vector<CornerTriangle>{{0, 1, 2}, {0, 2, 3}}));

    std::vector<UT_Vector3> bent;
    for (const Flat &p : kL)
        bent.emplace_back(float(p.x), float(p.y), float(p.x > 1.5 ? 0.4 * (p.x - 1.5) : 0.0));
    const std::vector<CornerTriangle> triangles = clipEars(bent);
    ASSERT_EQ(triangles.size(), 4u);
    const UT_Vector3D whole = polygonAreaVector(bent);
    for (const CornerTriangle &t : triangles)
    {
        const UT_Vector3D n = polygonAreaVector({bent[t.a], bent[t.b], bent[t.c]});
        EXPECT_GT(n.x() * whole.x() + n.y() * whole.y() + n.z() * whole.z(), 0.0);
    }
}

// An outline that crosses itself has no ear on every turn; cutting must
// still end and use only real corners.
TEST(EarClipping, SelfCrossingOutlinesEnd)
{
    const std::vector<Flat> bowTie{{0, 0}, {2, 2}, {2, 0}, {0, 2}, {-1, 1}};
    const std::vector<CornerTriangle> triangles = clipEars(placed(bowTie));
    EXPECT_LE(triangles.size(), 3u);
    for (const CornerTriangle &t : triangles)
        EXPECT_TRUE(t.a < 5 && t.b < 5 && t.c < 5);
}

}  // namespace
