#include "math/vector_math.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

// Expected values written as hexadecimal floats were worked out step by step
// in single precision; each one differs from what a reordered evaluation
// (another summation order, a division instead of a reciprocal, a skipped
// rounding step) would give, so these cases pin the evaluation order.

namespace
{

const float kNaN = std::numeric_limits<float>::quiet_NaN();
const Triangle kUnitTriangle = {UT_Vector3(0, 0, 0), UT_Vector3(1, 0, 0), UT_Vector3(0, 1, 0)};

std::string show(const UT_Vector3 &v)
{
    char text[128];
    std::snprintf(text, sizeof(text), "(%a, %a, %a)", double(v.x()), double(v.y()), double(v.z()));
    return text;
}

bool sameFloat(float a, float b) { return (std::isnan(a) && std::isnan(b)) || std::memcmp(&a, &b, sizeof(float)) == 0; }

// Bit-for-bit equality per component (so 0 and -0 differ); any NaN matches NaN.
::testing::AssertionResult sameVector(const UT_Vector3 &actual, const UT_Vector3 &expected)
{
    for (int i = 0; i < 3; ++i)
        if (!sameFloat(actual[i], expected[i]))
            return ::testing::AssertionFailure() << "got " << show(actual) << ", expected " << show(expected);
    return ::testing::AssertionSuccess();
}

struct NormalizeCase
{
    UT_Vector3 input;
    UT_Vector3 expected;
};

}  // namespace

TEST(SafeNormalize, FollowsTheNormalisationRule)
{
    const std::vector<NormalizeCase> cases = {
        // Zero and tiny vectors are left alone instead of turning into NaN.
        {{0, 0, 0}, {0, 0, 0}},
        {{1e-20f, 0, 0}, {1e-20f, 0, 0}},
        {{0x1p-63f, 0, 0}, {0x1p-63f, 0, 0}},  // squared length exactly 2^-126
        {{0x1p-62f, 0, 0}, {1, 0, 0}},         // just above the threshold
        {{1, 0, 0}, {1, 0, 0}},
        {{0, -1, 0}, {0, -1, 0}},
        {{3, 0, 4}, {0.6f, 0, 0.8f}},
        // Multiplying by 1/len: dividing by len would give ...6e in y and z.
        {{-2, -3, 6}, {-0x1.24924ap-2f, -0x1.b6db70p-2f, 0x1.b6db70p-1f}},
        {{kNaN, 1, 0}, {kNaN, kNaN, kNaN}},
    };
    for (const NormalizeCase &c : cases)
    {
        UT_Vector3 v = c.input;
        safeNormalize(v);
        EXPECT_TRUE(sameVector(v, c.expected)) << "input " << show(c.input);
    }
}

TEST(Dot, SumsXAndYBeforeZ)
{
    // Summed x + (y + z) this would round to 0x1.7ae146p+0.
    EXPECT_EQ(dot(UT_Vector3(-0.3f, 1.0f, 1.8f), UT_Vector3(0.4f, 0.7f, 0.5f)), 0x1.7ae148p+0f);
}

TEST(Cross, IsRightHanded)
{
    EXPECT_TRUE(sameVector(cross(UT_Vector3(1, 0, 0), UT_Vector3(0, 1, 0)), UT_Vector3(0, 0, 1)));
    EXPECT_TRUE(sameVector(cross(UT_Vector3(0, 1, 0), UT_Vector3(1, 0, 0)), UT_Vector3(0, 0, -1)));
    EXPECT_TRUE(sameVector(cross(UT_Vector3(1, 2, 3), UT_Vector3(4, 5, 6)), UT_Vector3(-3, 6, -3)));
}

TEST(FacesRay, AcceptsOnlyTheFrontFace)
{
    struct Case
    {
        UT_Vector3 direction;
        Triangle triangle;
        bool expected;
    };
    const Triangle collinear = {UT_Vector3(0, 0, 0), UT_Vector3(1, 0, 0), UT_Vector3(2, 0, 0)};
    const Triangle coincident = {UT_Vector3(0, 0, 0), UT_Vector3(0, 0, 0), UT_Vector3(0, 1, 0)};
    const std::vector<Case> cases = {
        {{0, 0, 1}, kUnitTriangle, true},     {{0.6f, 0, 0.8f}, kUnitTriangle, true},
        {{0, 0, -1}, kUnitTriangle, false},                                   // back face
        {{1, 0, 0}, kUnitTriangle, false},                                    // edge-on
        {{kNaN, 0, 1}, kUnitTriangle, false}, {{0, 0, 1}, collinear, false},  // zero normal
        {{0, 0, 1}, coincident, false},
    };
    for (const Case &c : cases)
        EXPECT_EQ(facesRay(c.direction, c.triangle), c.expected) << show(c.direction);
}

TEST(IntersectPlane, StepsAlongTheNormalisedDirection)
{
    struct Case
    {
        UT_Vector3 origin;
        UT_Vector3 direction;
        bool hit;
        UT_Vector3 hitPoint;
        UT_Vector3 reflected;
        UT_Vector3 directionAfter;  // the argument, normalised only on a hit
    };
    const std::vector<Case> cases = {
        {{0.25f, 0.25f, -1}, {0, 0, 1}, true, {0.25f, 0.25f, 0}, {0, 0, 1}, {0, 0, 1}},
        // The plane lies behind the origin.
        {{0.25f, 0.25f, 1}, {0, 0, 1}, false, {0.25f, 0.25f, 1}, {0, 0, 1}, {0, 0, 1}},
        // Origin on the plane: parameter 0 is not a hit.
        {{0.3f, 0.2f, 0}, {0, 0, 1}, false, {0.3f, 0.2f, 0}, {0, 0, 1}, {0, 0, 1}},
        // t = -0.5 comes from the long direction, the step from the unit one.
        {{0.25f, 0.25f, -1}, {0, 0, 2}, true, {0.25f, 0.25f, -0.5f}, {0, 0, 1}, {0, 0, 1}},
        {{0.25f, 0.25f, 1}, {0, 0, 2}, false, {0.25f, 0.25f, 1}, {0, 0, 2}, {0, 0, 2}},
        // The plane alone does not care which side the ray comes from.
        {{0.25f, 0.25f, 1}, {0, 0, -1}, true, {0.25f, 0.25f, 0}, {0, 0, -1}, {0, 0, -1}},
        {{-0.5f, 0.25f, -1}, {0.6f, 0, 0.8f}, true, {0.25f, 0.25f, 0}, {-0.6f, 0, 0.8f}, {0.6f, 0, 0.8f}},
        // Parallel to the plane: t is -infinity, which must not count as a hit.
        {{0, 0, -1}, {1, 0, 0}, false, {0, 0, -1}, {1, 0, 0}, {1, 0, 0}},
    };
    for (const Case &c : cases)
    {
        UT_Vector3 direction = c.direction;
        const PlaneHit result = intersectPlane(c.origin, direction, kUnitTriangle);
        SCOPED_TRACE("origin " + show(c.origin) + " direction " + show(c.direction));
        EXPECT_EQ(result.hit, c.hit);
        EXPECT_TRUE(sameVector(result.origin, c.origin));
        EXPECT_TRUE(sameVector(result.direction, c.direction));
        EXPECT_TRUE(sameVector(result.hitPoint, c.hitPoint));
        EXPECT_TRUE(sameVector(result.reflected, c.reflected));
        EXPECT_TRUE(sameVector(direction, c.directionAfter));
    }
}

TEST(AltitudeWeights, GivesBarycentricCoordinates)
{
    struct Case
    {
        UT_Vector3 point;
        Triangle triangle;
        UT_Vector3 expected;
    };
    const Triangle skewed = {UT_Vector3(-0.5f, 1.7f, 1.4f), UT_Vector3(-1.2f, 0.3f, 1.8f),
                             UT_Vector3(1.0f, 2.0f, 1.7f)};
    const std::vector<Case> cases = {
        {{0.25f, 0.25f, 0}, kUnitTriangle, {0.5f, 0.25f, 0.25f}},
        {{0.25f, 0.25f, 5}, kUnitTriangle, {0.5f, 0.25f, 0.25f}},  // off-plane: projected
        {{0.2f, 0.2f, 0}, kUnitTriangle, {0x1.333334p-1f, 0x1.999998p-3f, 0x1.999998p-3f}},
        {{0, 0, 0}, kUnitTriangle, {1, 0, 0}},
        {{1, 0, 0}, kUnitTriangle, {0, 1, 0}},
        {{0, 1, 0}, kUnitTriangle, {0x1p-24f, 0, 1}},  // P2 is exact only up to rounding
        {{0.5f, 0.5f, 0}, kUnitTriangle, {0, 0.5f, 0.5f}},
        {{0.6f, 0.6f, 0}, kUnitTriangle, {-0x1.9999a0p-3f, 0x1.333334p-1f, 0x1.333334p-1f}},
        // Normalising P0->P1 only once would give -0x1.684bdcp-1 for w2.
        {{-0.8f, 0.9f, -1.0f}, skewed, {0x1.ed0978p+0f, -0x1.c71c70p-3f, -0x1.684bd4p-1f}},
    };
    for (const Case &c : cases)
        EXPECT_TRUE(sameVector(altitudeWeights(c.point, c.triangle), c.expected)) << "point " << show(c.point);
}

TEST(AltitudeWeights, CoincidentCornersGiveNaN)
{
    const Triangle coincident = {UT_Vector3(0, 0, 0), UT_Vector3(0, 0, 0), UT_Vector3(0, 1, 0)};
    EXPECT_TRUE(std::isnan(altitudeWeights(UT_Vector3(0, 0.5f, 0), coincident).x()));
}

TEST(ReflectAbout, TurnsHalfATurnAboutTheAxis)
{
    struct Case
    {
        UT_Vector3 d;
        UT_Vector3 axis;
        UT_Vector3 expected;
        UT_Vector3 axisAfter;
    };
    const std::vector<Case> cases = {
        {{0.6f, 0, 0.8f}, {0, 0, 5}, {-0.6f, 0, 0.8f}, {0, 0, 1}},
        {{1, 0, 1}, {0, 0, 1}, {-1, 0, 1}, {0, 0, 1}},
        {{0, 0, 3}, {0, 0, 1}, {0, 0, 3}, {0, 0, 1}},     // along the axis: unchanged
        {{1, 2, 3}, {0, 0, 0}, {-1, -2, -3}, {0, 0, 0}},  // zero axis sends d back
        // 2(k*a) - d would give -0x1.6d7724p+0 for x.
        {{1.6f, 0.8f, -1.2f},
         {0.3f, -1.4f, -1.8f},
         {-0x1.6d7726p+0f, -0x1.9ac2f0p+0f, 0x1.5323b0p-3f},
         {0x1.0b2166p-3f, -0x1.37a6f6p-1f, -0x1.90b216p-1f}},
    };
    for (const Case &c : cases)
    {
        UT_Vector3 axis = c.axis;
        EXPECT_TRUE(sameVector(reflectAbout(c.d, axis), c.expected)) << "d " << show(c.d);
        EXPECT_TRUE(sameVector(axis, c.axisAfter));
    }
}

TEST(RotateAboutAxis, RotatesByRodriguesFormula)
{
    struct Case
    {
        UT_Vector3 v;
        UT_Vector3 axis;
        double angle;
        UT_Vector3 expected;
    };
    const double halfPi = 1.5707963267948966;
    const std::vector<Case> cases = {
        // x is the double cosine of the quarter turn rounded to float; a float
        // cosine of the rounded angle would give -0x1.777a5cp-25.
        {{1, 0, 0}, {0, 0, 2}, halfPi, {0x1.1a6264p-54f, 1, 0}},
        {{0.3f, -0.7f, 1.1f}, {1, 2, 3}, 0.0, {0.3f, -0.7f, 1.1f}},
        // A zero axis scales v by the cosine.
        {{1, 2, 3}, {0, 0, 0}, 1.0, {0x1.14a280p-1f, 0x1.14a280p+0f, 0x1.9ef3c0p+0f}},
        // Adding the sine term last; (c*v + s*x) first would give -0x1.3d6af0p-3.
        {{1.7f, 0.6f, 1.7f}, {-0.6f, 0.1f, -1.9f}, 2.8, {-0x1.3d6aecp-3f, -0x1.2411a8p+0f, 0x1.18da40p+1f}},
    };
    for (const Case &c : cases)
    {
#if defined(__MINGW32__)
        // MinGW's cos reduces its argument with the x87's 66-bit pi, so the
        // double quarter turn gives 6.1232339957367574e-17 instead of glibc's
        // correctly rounded 6.123233995736766e-17. The tracer only turns by
        // float angles, where the two libraries agree (next test).
        if (c.angle == halfPi)
            continue;
#endif
        UT_Vector3 axis = c.axis;
        EXPECT_TRUE(sameVector(rotateAboutAxis(c.v, axis, c.angle), c.expected))
            << "v " << show(c.v) << " angle " << c.angle;
    }

    UT_Vector3 axis(0, 0, 2);
    rotateAboutAxis(UT_Vector3(1, 0, 0), axis, halfPi);
    EXPECT_TRUE(sameVector(axis, UT_Vector3(0, 0, 1)));
}

// The tracer turns directions by float angles in [0, pi] (arc cosines), and
// its output must not depend on the C library's sine and cosine. A sweep of
// such angles, folded into one digest that glibc's results give; any other
// library must give the same bits.
TEST(RotateAboutAxis, FloatAnglesTurnAlikeOnEveryPlatform)
{
    const UT_Vector3 v(0.3f, -0.7f, 1.1f);
    uint64_t digest = 1469598103934665603ull;
    for (float angle = 0x1p-30f; angle <= 3.14159274f; angle = std::nextafter(angle + angle * 0x1p-16f, 4.0f))
    {
        UT_Vector3 axis(1, 2, 3);
        const UT_Vector3 r = rotateAboutAxis(v, axis, double(angle));
        for (int i = 0; i < 3; ++i)
        {
            uint32_t bits;
            const float component = r[i];
            std::memcpy(&bits, &component, sizeof bits);
            digest = (digest ^ bits) * 1099511628211ull;
        }
    }
    EXPECT_EQ(digest, 16531629731547332605ull);
}

TEST(AngleBetween, IsTheFloatArcCosineOfTheNormalisedDot)
{
    struct Case
    {
        UT_Vector3 a;
        UT_Vector3 b;
        double expected;
    };
    const double floatHalfPi = 0x1.921fb6p+0;  // acosf(0)
    const std::vector<Case> cases = {
        {{0, 0, 1}, {0, 0, 5}, 0.0},
        {{0, 0, 1}, {1, 0, 0}, floatHalfPi},
        {{0, 0, 1}, {0, 0, 0}, floatHalfPi},  // zero stays zero, dot 0
        {{0, 0, 1}, {0, 0, -2}, 0x1.921fb6p+1},
        // Normalised, this vector's dot with itself rounds to 1 + 2^-23: the
        // angle is clamped to 0 rather than NaN.
        {{1.3f, -1.9f, 0.9f}, {1.3f, -1.9f, 0.9f}, 0.0},
        {{-2.0f, -0.7f, 0.6f}, {2.0f, 0.7f, -0.6f}, 0x1.921fb6p+1},
    };
    for (const Case &c : cases)
    {
        UT_Vector3 a = c.a;
        UT_Vector3 b = c.b;
        EXPECT_EQ(angleBetween(a, b), c.expected) << show(c.a) << " " << show(c.b);
    }

    UT_Vector3 a(kNaN, 0, 1);
    UT_Vector3 b(0, 0, 1);
    EXPECT_TRUE(std::isnan(angleBetween(a, b)));
}

TEST(AngleBetween, NormalisesBothInPlaceAndReturnsAFloatValue)
{
    UT_Vector3 a(0, 0, 3);
    UT_Vector3 b(1, 2, -2);
    const double angle = angleBetween(a, b);
    EXPECT_TRUE(sameVector(a, UT_Vector3(0, 0, 1)));
    UT_Vector3 expectedB(1, 2, -2);
    safeNormalize(expectedB);
    EXPECT_TRUE(sameVector(b, expectedB));
    EXPECT_EQ(static_cast<double>(static_cast<float>(angle)), angle);
}
