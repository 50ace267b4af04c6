#include "trace/walk_steps.h"

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
