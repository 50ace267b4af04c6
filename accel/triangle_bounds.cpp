#include "accel/triangle_bounds.h"

#include "accel/rounding_bounds.h"

#include <algorithm>
#include <cmath>

namespace
{

using namespace roundingBounds;

struct Vec3d
{
    double x, y, z;
};

Vec3d toDouble(const UT_Vector3 &v) { return {v.x(), v.y(), v.z()}; }
Vec3d minus(const Vec3d &a, const Vec3d &b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
Vec3d crossD(const Vec3d &a, const Vec3d &b)
{
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

// The front-face test compares m.direction < 0 with m computed exactly as
// here. A zero m gives a zero (or, against an infinite direction, NaN) dot
// product and a NaN component a NaN one: no ray ever passes.
bool neverFacesAnyRay(const Triangle &t)
{
    const UT_Vector3 m = cross(sub(t[2], t[0]), sub(t[1], t[0]));
    const bool zero = m.x() == 0.0f && m.y() == 0.0f && m.z() == 0.0f;
    return zero || std::isnan(m.x()) || std::isnan(m.y()) || std::isnan(m.z());
}

// A float at or below (floatBelow) or at or above (floatAbove) x. Moving x
// outwards by a relative 2^-22 first outweighs the rounding to nearest
// (at most a relative 2^-24); the absolute 2^-140 covers x = 0.
float floatBelow(double x) { return static_cast<float>(x - (std::fabs(x) * 0x1p-22 + 0x1p-140)); }
float floatAbove(double x) { return static_cast<float>(x + (std::fabs(x) * 0x1p-22 + 0x1p-140)); }

double squaredLength(const Vec3d &v) { return v.x * v.x + v.y * v.y + v.z * v.z; }

}  // namespace

TriangleClass classifyTriangle(const Triangle &triangle)
{
    TriangleClass result{TriangleFate::AlwaysTest, {}};
    if (neverFacesAnyRay(triangle))
    {
        result.fate = TriangleFate::Never;
        return result;
    }
    double largest = 0.0;    // largest coordinate magnitude
    double farthest2 = 0.0;  // largest squared corner distance from the coordinate origin
    for (const UT_Vector3 &p : triangle)
    {
        for (int c = 0; c < 3; ++c)
        {
            if (!std::isfinite(p[c]) || std::fabs(p[c]) > kMaxCoordinate)
                return result;
            largest = std::max(largest, double(std::fabs(p[c])));
        }
        farthest2 = std::max(farthest2, squaredLength(toDouble(p)));
    }

    // Shape, in double precision (each quantity within a few 2^-53 of exact).
    const Vec3d p0 = toDouble(triangle[0]), p1 = toDouble(triangle[1]), p2 = toDouble(triangle[2]);
    const double l01Squared = squaredLength(minus(p1, p0));
    const double l20Squared = squaredLength(minus(p0, p2));
    const double longest = std::sqrt(std::max(l01Squared, std::max(squaredLength(minus(p2, p1)), l20Squared)));
    const double area2 = std::sqrt(squaredLength(crossD(minus(p1, p0), minus(p2, p0))));  // |N|
    if (!(area2 > 0.0))
        return result;
    const double shortestAltitude = area2 / longest;
    if (shortestAltitude < kMinAltitude)
        return result;

    // Step 4: aspect r = L/h, weight skew and the weights' own rounding.
    const double aspect = longest / shortestAltitude;
    const double skew = 15.2 * kUnit * aspect * aspect;
    if (skew > kMaxWeightSkew)
        return result;
    const double weightRounding = 16.0 * kUnit * aspect + 4.0 * kUnit;
    const double inPlane = 2.0 * longest * (weightRounding + 1.2 * skew);
    // Step 3: the float normal's tilt, felt up to about 1.3 L from P0, and
    // scaled by 1.25 because an off-plane H also skews the weights (by at most
    // a quarter of its distance while the skew stays below 1/8).
    const double tilt = 6.1 * kUnit * std::sqrt(l01Squared * l20Squared) / area2;
    const double tilted = 2.5 * longest * tilt;
    // Step 2, the share of |O - P0| <= |O| + |P0| that belongs to P0.
    const double fromPlane = 1.25 * (9.0 * kUnit + kMaxScaleError) * std::sqrt(farthest2);

    const double grow = kSafety * (inPlane + tilted + fromPlane);
    // The box tests round their own arithmetic relative to the coordinates
    // they read: allow for that here, where the coordinates are known.
    const double pad = grow + kBoxTestRounding * (largest + grow);
    for (int c = 0; c < 3; ++c)
    {
        const double lo = std::min({triangle[0][c], triangle[1][c], triangle[2][c]});
        const double hi = std::max({triangle[0][c], triangle[1][c], triangle[2][c]});
        result.box.lo[c] = floatBelow(lo - pad);
        result.box.hi[c] = floatAbove(hi + pad);
    }
    result.fate = TriangleFate::Bounded;
    return result;
}
