#include "prep/face_directions.h"

#include "prep/tests/test_meshes.h"

#include <gtest/gtest.h>

#include <cmath>

namespace
{
// Each corner of a box wound counter-clockwise from outside takes the three
// faces around it, equal in area: the diagonal, pointing out. Reversing the
// winding reverses every direction.
TEST(FaceDirections, BoxCornersPointOutAlongTheDiagonal)
{
    GU_Detail box;
    makeQuadBox(box);
    const FaceDirectionCount count = addFaceDirections(box, position(box), "N");
    ASSERT_NE(count.attribute, nullptr);
    EXPECT_EQ(count.attribute->getTypeInfo(), GA_TYPE_VECTOR);
    EXPECT_EQ(count.pointsWithoutFace + count.pointsCancelled, 0);
    const double d = 1.0 / std::sqrt(3.0);
    for (GA_Offset p = 0; p < 8; ++p)
    {
        const UT_Vector3D n = pointValue(box, "N", p);
        EXPECT_EQ(n, UT_Vector3D(float(p & 1 ? d : -d), float(p & 2 ? d : -d), float(p & 4 ? d : -d))) << p;
    }

    GU_Detail inverted;
    makeMesh(inverted, {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}}, {{0, 3, 2, 1}});
    addFaceDirections(inverted, position(inverted), "N");
    for (GA_Offset p = 0; p < 4; ++p)
        EXPECT_EQ(pointValue(inverted, "N", p), UT_Vector3D(0, 0, -1));
}

// A point between a large face and a small one leans towards the large one
// in proportion to their areas; a concave face counts by its true area.
TEST(FaceDirections, FacesWeighByArea)
{
    GU_Detail gdp;
    // A unit quad in z = 0 with area vector (0, 0, -2), and an L-shaped face
    // of area 3 in x = 0 with area vector (6, 0, 0), sharing points 0 and 1.
    makeMesh(gdp, {{0, 0, 0}, {0, 1, 0}, {1, 1, 0}, {1, 0, 0}, {0, 1, 1}, {0, 2, 1}, {0, 2, 2}, {0, 0, 2}},
             {{0, 1, 2, 3}, {0, 1, 4, 5, 6, 7}});
    const FaceDirectionCount count = addFaceDirections(gdp, position(gdp), "N");
    EXPECT_EQ(count.pointsWithoutFace + count.pointsCancelled, 0);
    EXPECT_EQ(pointValue(gdp, "N", 3), UT_Vector3D(0, 0, -1));
    EXPECT_EQ(pointValue(gdp, "N", 7), UT_Vector3D(1, 0, 0));
    const double length = std::sqrt(40.0);
    for (GA_Offset shared : {0, 1})
        EXPECT_EQ(pointValue(gdp, "N", shared), UT_Vector3D(float(6 / length), 0, float(-2 / length)));
}

TEST(FaceDirections, PointsWithoutFacesAndTakenNamesAreReported)
{
    GU_Detail gdp;
    makeMesh(gdp, {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {5, 5, 5}, {0, 0, 1}, {1, 0, 1}},
             {{0, 1, 2}, {0, 1, 2}, {0, 2, 1}});
    // Two faces one way, one the other: net one, pointing +z.
    FaceDirectionCount count = addFaceDirections(gdp, position(gdp), "N");
    EXPECT_EQ(count.pointsWithoutFace, 3);
    EXPECT_EQ(count.pointsCancelled, 0);
    EXPECT_EQ(pointValue(gdp, "N", 0), UT_Vector3D(0, 0, 1));
    EXPECT_EQ(pointValue(gdp, "N", 3), UT_Vector3D(0, 0, 0));

    GU_Detail cancel;
    makeMesh(cancel, {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}, {{0, 1, 2}, {0, 2, 1}});
    count = addFaceDirections(cancel, position(cancel), "N");
    EXPECT_EQ(count.pointsCancelled, 3);
    // Nothing to give: no attribute, so the collider still lacks a direction.
    EXPECT_EQ(count.attribute, nullptr);
    EXPECT_EQ(cancel.findPointAttribute("N"), nullptr);

    // A taken name is not overwritten.
    EXPECT_EQ(addFaceDirections(gdp, position(gdp), "N").attribute, nullptr);
}
}  // namespace
