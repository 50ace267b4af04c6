#include "accel/traversal_ray.h"

#include "accel/rounding_bounds.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace
{

const float kInf = std::numeric_limits<float>::infinity();
const float kNan = std::numeric_limits<float>::quiet_NaN();

}  // namespace

// The walk's margins rest on an upper bound of |1 - 1/|d||; it must hold for
// every length the walk accepts, and stay close enough to be useful.
TEST(PrepareTraversal, BoundsTheScaleErrorOfEveryAcceptedLength)
{
    const double lengthFactors[] = {1.0,          1.0 + 0x1p-23, 1.0 - 0x1p-23, 1.0 + 0x1p-12,
                                    1.0 - 0x1p-12, 1.0 + 0x1p-11, 1.0 - 0x1p-11, 1.0 + 0.0009,
                                    1.0 - 0.0009};
    const UT_Vector3 axes[] = {UT_Vector3(1, 0, 0), UT_Vector3(0.6f, -0.8f, 0),
                               UT_Vector3(0.48f, 0.6f, -0.64f)};
    for (const UT_Vector3 &axis : axes)
        for (double factor : lengthFactors)
        {
            const UT_Vector3 d(float(axis.x() * factor), float(axis.y() * factor),
                               float(axis.z() * factor));
            TraversalRay ray;
            ASSERT_TRUE(prepareTraversal(UT_Vector3(1, 2, 3), d, 10.0, ray)) << factor;
            const long double len2 = (long double)d.x() * d.x() + (long double)d.y() * d.y() +
                                     (long double)d.z() * d.z();
            const long double eta = std::fabs(1.0L - 1.0L / std::sqrt(len2));
            const long double floor = eta + 4.0L * roundingBounds::kUnit;
            EXPECT_GE((long double)ray.scaleError, floor) << factor;
            EXPECT_LE((long double)ray.scaleError, floor * 1.01L + 0x1p-40L) << factor;
        }
}

TEST(PrepareTraversal, LeavesRaysItCannotBoundToTheExhaustiveSearch)
{
    struct Case
    {
        const char *name;
        UT_Vector3 origin;
        UT_Vector3 direction;
        bool walked;
    };
    const Case cases[] = {
        {"unit ray", UT_Vector3(1, 2, 3), UT_Vector3(0, 0, 1), true},
        {"origin at the coordinate limit", UT_Vector3(0x1p40f, 0, 0), UT_Vector3(0, 1, 0), true},
        {"origin beyond the coordinate limit", UT_Vector3(0x1p41f, 0, 0), UT_Vector3(0, 1, 0),
         false},
        {"infinite origin", UT_Vector3(0, -kInf, 0), UT_Vector3(0, 1, 0), false},
        {"NaN origin", UT_Vector3(0, 0, kNan), UT_Vector3(0, 1, 0), false},
        {"infinite direction", UT_Vector3(0, 0, 0), UT_Vector3(kInf, 0, 0), false},
        {"NaN direction", UT_Vector3(0, 0, 0), UT_Vector3(0, kNan, 0), false},
        {"huge direction", UT_Vector3(0, 0, 0), UT_Vector3(0, 0, 1e30f), false},
        {"direction 1% long", UT_Vector3(0, 0, 0), UT_Vector3(0, 0, 1.01f), false},
        {"direction 1% short", UT_Vector3(0, 0, 0), UT_Vector3(0.99f, 0, 0), false},
    };
    for (const Case &c : cases)
    {
        TraversalRay ray;
        EXPECT_EQ(prepareTraversal(c.origin, c.direction, 10.0, ray), c.walked) << c.name;
    }
}
