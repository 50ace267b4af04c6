#include "cli/demo_scene.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>

namespace
{

using Vec = std::array<double, 3>;

Vec value(const GU_Detail &gdp, const char *name, GA_Offset pt)
{
    const auto *a = static_cast<const GA_ATINumeric *>(gdp.findPointAttribute(name));
    return {a->getDouble(pt, 0), a->getDouble(pt, 1), a->getDouble(pt, 2)};
}

Vec sub(const Vec &a, const Vec &b) { return {a[0] - b[0], a[1] - b[1], a[2] - b[2]}; }
double dot(const Vec &a, const Vec &b) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; }
Vec cross(const Vec &a, const Vec &b)
{
    return {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
}

void expectCodes(const GU_Detail &gdp)
{
    EXPECT_EQ(gdp.findPointAttribute("P")->getTypeInfo(), 1);
    EXPECT_EQ(gdp.findPointAttribute("N")->getTypeInfo(), 3);
    EXPECT_EQ(gdp.findPointAttribute("Cs")->getTypeInfo(), 4);
}

TEST(DemoScene, SizesFollowTheGrid)
{
    const DemoScene scene = makeDemoScene({16, 256});
    // Six walls of 16 x 16 quads, and the block's five faces of 4 x 4.
    EXPECT_EQ(scene.collider->getNumPrimitives(), 6 * 16 * 16 * 2 + 5 * 4 * 4 * 2);
    EXPECT_EQ(scene.points->getNumPoints(), 256);
    expectCodes(*scene.collider);
    expectCodes(*scene.points);
}

// Rays from the room travel along a triangle's winding normal when they meet
// it: walls must wind outwards, the block inwards, and the surface direction
// N at every corner must point back against the winding, into the room.
TEST(DemoScene, EveryTriangleFacesTheRoom)
{
    const DemoScene scene = makeDemoScene({6, 4});
    const GU_Detail &room = *scene.collider;
    const Vec roomCentre{0, 1.5, 0}, blockCentre{1.4, 0.5, -0.6};
    const GA_Size wallTriangles = 6 * 6 * 6 * 2;
    for (GA_Index j = 0; j < room.getNumPrimitives(); ++j)
    {
        const GEO_Primitive *prim = room.primitives().rawEntry(j);
        ASSERT_EQ(prim->getVertexCount(), 3);
        Vec p[3];
        for (int k = 0; k < 3; ++k)
            p[k] = value(room, "P", prim->getPointOffset(k));
        const Vec n = cross(sub(p[1], p[0]), sub(p[2], p[0]));
        const Vec c{(p[0][0] + p[1][0] + p[2][0]) / 3, (p[0][1] + p[1][1] + p[2][1]) / 3,
                    (p[0][2] + p[1][2] + p[2][2]) / 3};
        if (j < wallTriangles)
            EXPECT_GT(dot(n, sub(c, roomCentre)), 0.0) << "wall triangle " << j;
        else
            EXPECT_GT(dot(n, sub(blockCentre, c)), 0.0) << "block triangle " << j;
        for (int k = 0; k < 3; ++k)
        {
            EXPECT_LT(dot(value(room, "N", prim->getPointOffset(k)), n), 0.0) << "triangle " << j;
            const Vec cs = value(room, "Cs", prim->getPointOffset(k));
            for (double f : cs)
            {
                EXPECT_GT(f, 0.0);
                EXPECT_LT(f, 1.0);
            }
        }
    }
}

TEST(DemoScene, EmittersSpreadFromTheLampAtFullIntensity)
{
    const DemoScene scene = makeDemoScene({2, 64});
    const GU_Detail &points = *scene.points;
    bool octants[8] = {};
    for (GA_Offset pt = 0; pt < points.getNumPoints(); ++pt)
    {
        const Vec d = value(points, "N", pt);
        EXPECT_NEAR(std::sqrt(dot(d, d)), 1.0, 1e-6);
        const Vec offset = sub(value(points, "P", pt), Vec{-1.0, 2.4, 0.5});
        EXPECT_NEAR(std::sqrt(dot(offset, offset)), 0.15, 1e-6);
        EXPECT_EQ(value(points, "Cs", pt), (Vec{1, 1, 1}));
        octants[(d[0] > 0) + 2 * (d[1] > 0) + 4 * (d[2] > 0)] = true;
    }
    for (bool seen : octants)
        EXPECT_TRUE(seen);
}

}  // namespace
