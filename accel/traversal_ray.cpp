#include "accel/traversal_ray.h"

#include "accel/rounding_bounds.h"

#include <algorithm>
#include <cmath>

using namespace roundingBounds;

namespace
{

// A float at or above the positive x: rounding to nearest loses at most a
// relative 2^-24, which the factor more than makes up.
float floatAbove(double x) { return static_cast<float>(x * (1.0 + 0x1p-20)); }

// reachForSquaredDistance given r = sqrt(d2).
double reachForDistance(const TraversalRay &ray, double r)
{
    // d2 is the float sum of squares of O - H, at least |O - H|^2 (1 - 5u).
    // With |U| >= 1 - 6u and |H - (O + sU)| <= 2.1u*s + 1.1u|O|:
    //   s <= (sqrt(d2)(1 + 2.6u) + 1.1u|O|) / (1 - 8.1u).
    // The factors below are generous versions of these.
    return (r * (1.0 + 0x1p-18) + 0x1p-20 * ray.originNorm) * (1.0 + 0x1p-18);
}

// The square root of the squared distance every search starts from: 1e10 is
// a float, so its root is exactly 1e5, and no square root is taken per ray.
constexpr double kNoHitDistance = 1e5;
static_assert(double(BestHit().squaredDistance) == kNoHitDistance * kNoHitDistance, "the start bound's root");

}  // namespace

bool prepareTraversal(const UT_Vector3 &origin, const UT_Vector3 &direction, double sceneRadius, TraversalRay &ray)
{
    // The negated comparisons also turn away NaN and infinite components: an
    // origin coordinate fails the first, a direction component makes len2
    // infinite or NaN, which fails the second.
    double len2 = 0.0;
    double originSum = 0.0;
    for (int c = 0; c < 3; ++c)
    {
        if (!(std::fabs(origin[c]) <= float(kMaxCoordinate)))
            return false;
        len2 += double(direction[c]) * direction[c];
        originSum += std::fabs(double(origin[c]));
    }
    const double lengthError = std::fabs(len2 - 1.0);
    if (!(lengthError <= kMaxRayScaleError))
        return false;
    // safeNormalize scales by k = 1/sqrtf(len2) in float (within 3.6u of
    // 1/|d|), or by 1 when it leaves the vector alone. With len2 = 1 + e and
    // |e| <= 2^-9, |1 - 1/sqrt(1 + e)| <= |e|(1/2 + |e|) (the series' terms
    // after e/2 shrink geometrically), which spares a square root and a
    // division; 2^-50 covers the rounding of len2 itself.
    ray.scaleError = lengthError * (0.5 + lengthError) + 0x1p-50 + 4.0 * kUnit;
    if (ray.scaleError > kMaxRayScaleError)
        return false;

    setExactRay(ray.exact, origin, direction);
    // |x| + |y| + |z| bounds |O| from above, which is all the bounds below
    // need of it, and spares a square root on every ray.
    ray.originNorm = originSum;

    // The margin at reach s. The ray's share of the bounds (steps 1 and 2 of
    // rounding_bounds.h) is (1.25 eta + 8.9u)|O| + 9.9u*s, the 1.25 being the
    // weight skew that an off-plane H adds; it is doubled for safety. The slab
    // arithmetic of testBox rounds O*inv, margin*|inv|, their sum and the
    // difference with the plane's own product: each end of a slab then errs
    // by at most 4u(|O| + margin + s + |plane|) along the axis (the |plane|
    // share is in the triangle boxes). A box grown by 8u of these contains
    // the exact ray's point with room to spare on every axis, so the rounded
    // slabs still overlap there.
    // The triangle boxes hold the |P0| share for eta up to kMaxScaleError;
    // a larger eta adds the rest here, with |P0| at most sceneRadius.
    const double excess = std::max(0.0, ray.scaleError - kMaxScaleError);
    const double base =
        kSafety * ((1.25 * ray.scaleError + 9.0 * kUnit) * ray.originNorm + 1.25 * excess * sceneRadius);
    const double slope = kSafety * 10.0 * kUnit;
    ray.marginBase = base + kBoxTestRounding * (ray.originNorm + base) + kMarginFloor;
    ray.marginSlope = slope + kBoxTestRounding * (slope + 1.0);
    for (int c = 0; c < 3; ++c)
    {
        // A zero component would give an infinite inverse and NaN slab ends;
        // a replacement of 2^-64 moves the ray by at most 2^-41 within any
        // reach, well inside the margin floor.
        float u = ray.exact.unit[c];
        if (std::fabs(u) < 0x1p-64f)
            u = std::copysign(0x1p-64f, u);
        ray.inverse[c] = 1.0f / u;
        ray.nearRow[c] = 2 * c + (ray.inverse[c] < 0.0f ? 1 : 0);
        ray.scaledOrigin[c] = ray.exact.origin[c] * ray.inverse[c];
        ray.absInverse[c] = std::fabs(ray.inverse[c]);
    }
    // No accepted hit lies beyond where the ray leaves the ball of sceneRadius
    // that holds every box: the exact point O + s*U of a hit lies in its box
    // grown by the margin m(s), so s(1 - 6u) <= |O| + sceneRadius + sqrt(3)m(s),
    // and with marginSlope below 2^-18 the bound below follows with room for
    // its own rounding. This spares a test of the scene's box on every ray.
    const double sceneReach = (ray.originNorm + sceneRadius + 2.0 * ray.marginBase) * (1.0 + 0x1p-15);
    setReach(ray, std::min(sceneReach, reachForDistance(ray, kNoHitDistance)));
    return true;
}

double reachForSquaredDistance(const TraversalRay &ray, float d2)
{
    return reachForDistance(ray, std::sqrt(double(d2)));
}

void setReach(TraversalRay &ray, double reach)
{
    const double margin = ray.marginBase + ray.marginSlope * reach;
    ray.reach = floatAbove(reach);
    ray.margin = floatAbove(margin);
    for (int c = 0; c < 3; ++c)
    {
        const float grow = ray.margin * ray.absInverse[c];
        // (plane - O)*inv -/+ margin*|inv| = plane*inv - (O*inv +/- margin*|inv|)
        ray.nearShift[c] = ray.scaledOrigin[c] + grow;
        ray.farShift[c] = ray.scaledOrigin[c] - grow;
    }
}

bool testBox(const TraversalRay &ray, const float lo[3], const float hi[3], float &entry, float &exit)
{
    entry = 0.0f;
    exit = ray.reach;
    for (int c = 0; c < 3; ++c)
    {
        const bool flipped = ray.nearRow[c] & 1;
        const float nearPlane = flipped ? hi[c] : lo[c];
        const float farPlane = flipped ? lo[c] : hi[c];
        entry = std::max(entry, nearPlane * ray.inverse[c] - ray.nearShift[c]);
        exit = std::min(exit, farPlane * ray.inverse[c] - ray.farShift[c]);
    }
    return entry <= exit;
}
