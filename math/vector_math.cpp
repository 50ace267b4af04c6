#include "math/vector_math.h"

#include <cmath>
#include <limits>

bool facesRay(const UT_Vector3 &direction, Triangle triangle)
{
    const UT_Vector3 &p0 = triangle[0];
    // The operands are swapped relative to the plane normal of intersectPlane,
    // which negates it exactly: this is n.direction > 0 without a negation.
    const UT_Vector3 m = cross(sub(triangle[2], p0), sub(triangle[1], p0));
    return dot(m, direction) < 0.0f;
}

PlaneHit intersectPlane(const UT_Vector3 &origin, UT_Vector3 &direction, Triangle triangle)
{
    PlaneHit result;
    result.origin = origin;
    result.direction = direction;

    const UT_Vector3 &p0 = triangle[0];
    const UT_Vector3 n = cross(sub(triangle[1], p0), sub(triangle[2], p0));
    // Plane parameter with the direction as passed (not normalised). Negative
    // means the plane is ahead of the ray; 0 and NaN are not hits. Neither is
    // -infinity: a ray parallel to the plane (or a zero direction) divides by
    // zero and never reaches the plane, and stepping by an infinite t would
    // report a hit at a point of infinities and NaNs.
    const float t = dot(sub(origin, p0), n) / dot(n, direction);

    if (t < 0.0f && t > -std::numeric_limits<float>::infinity())
    {
        safeNormalize(direction);
        const UT_Vector3 &d = direction;
        result.hitPoint = UT_Vector3(origin.x() - d.x() * t, origin.y() - d.y() * t, origin.z() - d.z() * t);
        UT_Vector3 axis = n;
        result.reflected = reflectAbout(d, axis);
        result.hit = true;
    }
    else
    {
        result.hitPoint = origin;
        result.reflected = direction;
        result.hit = false;
    }
    return result;
}

namespace
{

// Altitude vector from the corner `apex` to the line through `base` along the
// unit vector u: s*u + (base - apex) with s = (apex - base).u.
UT_Vector3 altitude(const UT_Vector3 &apex, const UT_Vector3 &base, const UT_Vector3 &u)
{
    const float s = dot(sub(apex, base), u);
    return UT_Vector3(s * u.x() + (base.x() - apex.x()), s * u.y() + (base.y() - apex.y()),
                      s * u.z() + (base.z() - apex.z()));
}

// 1 - ((q - corner).a) / ((next - corner).a): the denominator is the squared
// length of the altitude a, the numerator the part of it that q covers.
float altitudeWeight(const UT_Vector3 &q, const UT_Vector3 &corner, const UT_Vector3 &next, const UT_Vector3 &a)
{
    return 1.0f - dot(sub(q, corner), a) / dot(sub(next, corner), a);
}

}  // namespace

UT_Vector3 altitudeWeights(const UT_Vector3 &point, Triangle triangle)
{
    const UT_Vector3 &p0 = triangle[0];
    const UT_Vector3 &p1 = triangle[1];
    const UT_Vector3 &p2 = triangle[2];

    // The edge P0->P1 is normalised twice; the second pass only moves it by
    // rounding, but that rounding reaches the weights.
    UT_Vector3 u01 = sub(p1, p0);
    safeNormalize(u01);
    safeNormalize(u01);
    UT_Vector3 u20 = sub(p0, p2);
    safeNormalize(u20);
    UT_Vector3 u12 = sub(p2, p1);
    safeNormalize(u12);

    const UT_Vector3 a0 = altitude(p0, p1, u12);
    const UT_Vector3 a1 = altitude(p1, p2, u20);
    const UT_Vector3 a2 = altitude(p2, p0, u01);

    return UT_Vector3(altitudeWeight(point, p0, p1, a0), altitudeWeight(point, p1, p2, a1),
                      altitudeWeight(point, p2, p0, a2));
}

UT_Vector3 rotateAboutAxis(const UT_Vector3 &v, UT_Vector3 &axis, double angle)
{
    return applyRotation(prepareRotation(axis, angle), v);
}
