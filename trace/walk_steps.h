// The steps of a point walk that both walkers share: the frame rotation of a
// point, the moved test and the attenuation of a new point, and the counting
// of traced rays with its interrupt polls. The sequential walk and the
// trace-ahead walk must take exactly the same steps to give the same bytes,
// so each step is written once, here.
#pragma once

#include "math/vector_math.h"
#include "trace/point_tracer.h"

#include <algorithm>
#include <cstdint>

// Rays between two polls of the interrupt callback.
constexpr int64_t kPollInterval = 1024;

// A ray counts as moved only beyond this squared distance from its origin.
constexpr double kMovedSquaredDistance = 1e-5;

// The rotation that carries +Z onto a point's stored direction. Defined
// here: every point a walk enters takes one.
inline AxisRotation frameFor(const UT_Vector3 &direction)
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

// The single-precision squared distance a ray travelled from `from` to its
// hit, and whether that counts as moving: beyond 1e-5 (NaN does not move).
// These steps run once per traced ray or new point, so they are defined here
// for the walkers to inline.
inline float travelledSquared(const UT_Vector3 &from, const UT_Vector3 &hit)
{
    const float dx = from.x() - hit.x();
    const float dy = from.y() - hit.y();
    const float dz = from.z() - hit.z();
    return (dx * dx + dy * dy) + dz * dz;
}

inline bool movedFar(float squaredDistance) { return double(squaredDistance) > kMovedSquaredDistance; }

// The intensity of a new point: fall-off 1 / (2 d2^2 + 1), then the surface
// factor, and negative components clamped to 0 (NaN and -0 stay as they
// are).
inline UT_Vector3 attenuate(const UT_Vector3 &intensity, const UT_Vector3 &surface, float squaredDistance)
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

// Counts `count` traced rays in chunks that end on multiples of the poll
// interval, calling traceChunk(first, n) for each, and polls the interrupt
// callback at every multiple. Returns false when the callback asks to stop.
template <typename TraceChunk>
bool traceInChunks(TraceControl &control, size_t count, TraceChunk traceChunk)
{
    size_t done = 0;
    while (done < count)
    {
        const int64_t room = kPollInterval - control.raysTraced % kPollInterval;
        const size_t chunk = std::min(count - done, size_t(room));
        traceChunk(done, chunk);
        done += chunk;
        control.raysTraced += int64_t(chunk);
        if (control.raysTraced % kPollInterval == 0 && control.interrupted && control.interrupted())
            return false;
    }
    return true;
}
