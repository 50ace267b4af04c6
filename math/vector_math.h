// Single-precision vector and triangle geometry shared by all tracing code.
//
// Traced output is compared bit for bit, so every operation here fixes its
// evaluation order: each float product and sum is rounded on its own (the
// project builds with -ffp-contract=off), dot products are summed
// (x + y) + z, and differences are taken afresh from the corners rather than
// rearranged. Double precision appears only where noted (rotation sines and
// cosines, the returned angle). Operations that take an axis normalise it in
// place; callers that need to keep the axis pass a copy.
#pragma once

#include "math/acos_float.h"

#include <UT/UT_Vector3.h>

#include <array>
#include <cmath>
#include <limits>

// Corners P0, P1, P2 of a one-sided triangle. Small enough to pass by value,
// so every triangle operation works on its own copy without touching the heap.
typedef std::array<UT_Vector3, 3> Triangle;

// Outcome of intersecting a ray with a triangle's plane.
struct PlaneHit
{
    UT_Vector3 origin;     // the ray origin as passed
    UT_Vector3 direction;  // the ray direction as passed, before normalisation
    UT_Vector3 hitPoint;   // the intersection; the origin when there is no hit
    UT_Vector3 reflected;  // normalised direction turned about the plane normal;
                           // the direction as passed when there is no hit
    bool hit;              // true when the plane lies ahead of the ray
};

// a - b, component by component.
inline UT_Vector3 sub(const UT_Vector3 &a, const UT_Vector3 &b)
{
    return UT_Vector3(a.x() - b.x(), a.y() - b.y(), a.z() - b.z());
}

// (a.x*b.x + a.y*b.y) + a.z*b.z, each step rounded to float.
inline float dot(const UT_Vector3 &a, const UT_Vector3 &b)
{
    const float xy = a.x() * b.x() + a.y() * b.y();
    return xy + a.z() * b.z();
}

// The one normalisation rule of the system. Leaves v unchanged when its squared
// length is at most 2^-126 (zero and tiny vectors stay as they are rather than
// becoming NaN or a made-up direction) or when the squared length or the length
// is exactly 1; otherwise multiplies each component by 1 / sqrtf(squared
// length). A NaN component makes the whole vector NaN.
//
// This and the other small operations defined here are called several times
// per ray from other files, where a call would cost more than the arithmetic.
// Inlining changes no rounding: the build never contracts multiply-adds.
inline void safeNormalize(UT_Vector3 &v)
{
    const float len2 = dot(v, v);
    // Squared lengths at or below the smallest normal float (2^-126) are
    // left alone: their square root and reciprocal would lose most of their
    // bits or overflow. NaN fails both tests and goes on to spread through
    // the whole vector.
    if (len2 <= std::numeric_limits<float>::min() || len2 == 1.0f)
        return;
    const float len = std::sqrt(len2);  // float overload: sqrtf
    if (len == 1.0f)
        return;
    // Multiplying by the reciprocal rounds differently from dividing by the
    // length; the reciprocal is what every caller's results are built on.
    const float inv = 1.0f / len;
    v.x() *= inv;
    v.y() *= inv;
    v.z() *= inv;
}

// Right-handed a x b, each component one product minus the other.
inline UT_Vector3 cross(const UT_Vector3 &a, const UT_Vector3 &b)
{
    return UT_Vector3(a.y() * b.z() - a.z() * b.y(), a.z() * b.x() - a.x() * b.z(), a.x() * b.y() - a.y() * b.x());
}

// True when a ray along direction meets the triangle's front: the side from
// which P0, P1, P2 appear clockwise. Edge-on rays, back faces, triangles whose
// computed normal is exactly zero and NaN directions all give false.
bool facesRay(const UT_Vector3 &direction, Triangle triangle);

// Intersects the ray with the triangle's (unbounded) plane. The plane
// parameter is computed with direction as passed, but on a hit direction is
// normalised in place and the hit point is stepped along the normalised
// direction, so the point lies on the plane only for unit-length directions.
// A plane parameter of 0 (origin on the plane), NaN or -infinity (a ray
// parallel to the plane) is no hit.
PlaneHit intersectPlane(const UT_Vector3 &origin, UT_Vector3 &direction, Triangle triangle);

// Barycentric weights (w0, w1, w2) of point with respect to P0, P1, P2, each
// taken as 1 minus the fraction of its corner's altitude that the point's
// projection covers. Triangles with coincident corners give infinite or NaN
// weights.
UT_Vector3 altitudeWeights(const UT_Vector3 &point, Triangle triangle);

// Turns d by half a turn about axis: 2(d.a)a - d with a the normalised axis.
// d keeps its length. axis is normalised in place; a zero axis stays zero, and
// the result is then -d.
inline UT_Vector3 reflectAbout(const UT_Vector3 &d, UT_Vector3 &axis)
{
    safeNormalize(axis);
    const UT_Vector3 &a = axis;
    const float k = dot(d, a);
    // d + 2((k*a) - d) rather than 2(k*a) - d: the rounding differs.
    return UT_Vector3(d.x() + 2.0f * ((k * a.x()) - d.x()), d.y() + 2.0f * ((k * a.y()) - d.y()),
                      d.z() + 2.0f * ((k * a.z()) - d.z()));
}

// Rodrigues rotation of v by angle (radians) about axis. The cosine and sine
// are evaluated in double precision and rounded to float; the rest is single
// precision. axis is normalised in place; a zero axis gives cos(angle) * v.
UT_Vector3 rotateAboutAxis(const UT_Vector3 &v, UT_Vector3 &axis, double angle);

// rotateAboutAxis split in two, for rotating many vectors by one rotation:
// the normalised axis and the rounded cosine, sine and 1 - cosine are
// computed once, and applying them gives exactly rotateAboutAxis's result.
struct AxisRotation
{
    UT_Vector3 axis;
    float cosine;
    float sine;
    float oneMinusCosine;
};

// prepareRotation's steps after the axis is normalised.
inline AxisRotation rotationFor(const UT_Vector3 &normalisedAxis, double angle)
{
    AxisRotation r;
    r.axis = normalisedAxis;
    // Double-precision cosine and sine of the double angle, then rounded: a
    // float cosine of the rounded angle would leave e.g. -4.4e-8 instead of
    // 6.1e-17 at a quarter turn.
    r.cosine = static_cast<float>(std::cos(angle));
    r.sine = static_cast<float>(std::sin(angle));
    r.oneMinusCosine = 1.0f - r.cosine;
    return r;
}

// axis is normalised in place, as rotateAboutAxis does. Defined here, like
// angleBetween below: every new point's frame takes both.
inline AxisRotation prepareRotation(UT_Vector3 &axis, double angle)
{
    safeNormalize(axis);
    return rotationFor(axis, angle);
}
inline UT_Vector3 applyRotation(const AxisRotation &rotation, const UT_Vector3 &v)
{
    const UT_Vector3 &k = rotation.axis;
    const float c = rotation.cosine;
    const float s = rotation.sine;
    const float w = rotation.oneMinusCosine;
    const float kv = dot(v, k);
    const UT_Vector3 x = cross(k, v);
    return UT_Vector3(((kv * k.x()) * w + c * v.x()) + s * x.x(), ((kv * k.y()) * w + c * v.y()) + s * x.y(),
                      ((kv * k.z()) * w + c * v.z()) + s * x.z());
}

// Angle between a and b in radians: the single-precision arc cosine of the dot
// product of the normalised vectors, widened to double. Both arguments are
// normalised in place. A dot product that rounds beyond [-1, 1] is clamped,
// so parallel vectors give 0 or pi rather than NaN; NaN input still gives NaN.
// angleBetween's steps before the arc cosine: the clamped cosine.
inline float clampedCosine(UT_Vector3 &a, UT_Vector3 &b)
{
    safeNormalize(a);
    safeNormalize(b);
    float cosine = dot(a, b);
    // Two unit vectors can have a rounded dot product just beyond 1 (a vector
    // with itself can give 1 + 2^-23), which would make the angle NaN instead
    // of 0. Clamping changes nothing else: NaN passes through unchanged.
    if (cosine > 1.0f)
        cosine = 1.0f;
    else if (cosine < -1.0f)
        cosine = -1.0f;
    return cosine;
}

inline double angleBetween(UT_Vector3 &a, UT_Vector3 &b)
{
    return static_cast<double>(acosFloat(clampedCosine(a, b)));  // glibc's acosf, on every platform
}
