#include "prep/collider_triangulation.h"

#include "prep/tests/test_meshes.h"

#include <gtest/gtest.h>

namespace
{
using Polygons = std::vector<std::vector<GA_Offset>>;

// Faces of more than three corners are replaced where they stood; triangles,
// open polygons and polygons of fewer corners stay as they were.
TEST(ColliderTriangulation, CutsFacesInPlaceAndKeepsTheRest)
{
    GU_Detail source;
    makeMesh(source, {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}, {2, 0, 0}, {2, 2, 0}, {0, 2, 0}, {1, 1, 0}},
             {{0, 1, 2}, {0, 1, 2, 3}, {0, 1}, {0, 4, 5, 6, 7}, {0, 1, 2, 3}});
    // An open polygon is a curve, not a face: it is never cut.
    const GA_Offset curve[4] = {0, 1, 2, 3};
    source.appendPolygon(curve, 4, false);
    EXPECT_EQ(countPolygonsToTriangulate(source), 3);

    GU_Detail target;
    const TriangulationCount count = triangulatePolygons(source, position(source), target);
    EXPECT_EQ(count.polygons, 3);
    EXPECT_EQ(count.triangles, 6);
    EXPECT_EQ(count.empty, 0);
    // The pentagon's corner 7 is reflex, so the fan from corner 0 would leave
    // the outline; once the ear at corner 6 is cut, corner 7 lies on the
    // straight line from 5 to 0 and adds nothing.
    EXPECT_EQ(
        polygonPoints(target),
        (Polygons{{0, 1, 2}, {0, 1, 2}, {0, 2, 3}, {0, 1}, {5, 6, 7}, {4, 5, 0}, {0, 1, 2}, {0, 2, 3}, {0, 1, 2, 3}}));
    EXPECT_FALSE(static_cast<const GEO_PrimPoly *>(target.primitives().rawEntry(8))->isClosed());
    EXPECT_EQ(countPolygonsToTriangulate(target), 0);
    // Points and attributes are carried over, in the same order.
    EXPECT_EQ(target.getNumPoints(), source.getNumPoints());
    ASSERT_EQ(target.pointAttribs().entries(), 1);
    EXPECT_EQ(pointValue(target, "P", 5), UT_Vector3D(2, 2, 0));
}

TEST(ColliderTriangulation, FacesWithoutAreaGiveNoTriangles)
{
    GU_Detail source;
    makeMesh(source, {{0, 0, 0}, {1, 1, 1}, {2, 2, 2}, {3, 3, 3}}, {{0, 1, 2, 3}});
    GU_Detail target;
    const TriangulationCount count = triangulatePolygons(source, position(source), target);
    EXPECT_EQ(count.polygons, 1);
    EXPECT_EQ(count.triangles, 0);
    EXPECT_EQ(count.empty, 1);
    EXPECT_EQ(target.getNumPrimitives(), 0);
}
}  // namespace
