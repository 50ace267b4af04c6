#include "math/triangle_hit.h"

bool hitTriangle(const UT_Vector3 &origin, const UT_Vector3 &direction, const Triangle &triangle, TriangleHit &hit)
{
    if (!facesRay(direction, triangle))
        return false;

    // intersectPlane normalises the direction it is given; the caller's stays
    // as it is.
    UT_Vector3 directionCopy = direction;
    const PlaneHit plane = intersectPlane(origin, directionCopy, triangle);
    if (!plane.hit)
        return false;

    const UT_Vector3 &h = plane.hitPoint;
    const UT_Vector3 w = altitudeWeights(h, triangle);
    // Inclusive bounds, so hits on edges and corners count. Written as a
    // positive test so that a NaN weight fails.
    const bool inside =
        0.0f <= w.x() && w.x() <= 1.0f && 0.0f <= w.y() && w.y() <= 1.0f && 0.0f <= w.z() && w.z() <= 1.0f;
    if (!inside)
        return false;

    const float dx = origin.x() - h.x();
    const float dy = origin.y() - h.y();
    const float dz = origin.z() - h.z();
    hit.point = h;
    hit.weights = w;
    hit.squaredDistance = (dx * dx + dy * dy) + dz * dz;
    return true;
}
