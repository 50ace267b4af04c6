#include "trace/walk_steps.h"

namespace {

// A ray counts as moved only beyond this squared distance from its origin.
constexpr double kMovedSquaredDistance = 1e-5;

} // namespace

AxisRotation frameFor(const UT_Vector3 &direction)
{
    UT_Vector3 up(0.0f, 0.0f, 1.0f);
    UT_Vector3 normalised = direction;
    // acosf's result widened to double and back loses nothing.
    const float angle = float(angleBetween(up, normalised));
    // Built from the direction as read, not from the normalised copy.
    UT_Vector3 axis = cross(UT_Vector3(0.0f, 0.0f, 1.0f), direction);
    safeNormalize(axis);
    // The rotation normalises its axis once more, as rotating about a copy
    // of the axis always has.
    return prepareRotation(axis, double(angle));
}

float travelledSquared(const UT_Vector3 &from, const UT_Vector3 &hit)
{
    const float dx = from.x() - hit.x();
    const float dy = from.y() - hit.y();
    const float dz = from.z() - hit.z();
    return (dx * dx + dy * dy) + dz * dz;
}

bool movedFar(float squaredDistance)
{
    return double(squaredDistance) > kMovedSquaredDistance;
}

UT_Vector3 attenuate(const UT_Vector3 &intensity, const UT_Vector3 &surface, float squaredDistance)
{
    // The quotient of the fall-off is taken in double (fallOff).
    const float factor = fallOff(squaredDistance);
    UT_Vector3 result;
    for (int c = 0; c < 3; ++c)
    {
        const float product = surface[c] * intensity[c];
        result[c] = product * factor;
        if (result[c] < 0.0f)
            result[c] = 0.0f;
    }
    return result;
}
