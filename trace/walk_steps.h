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

// A point's frame before its angle: the clamped cosine between +Z and the
// stored direction, and the rotation axis, normalised as the frame uses it.
struct FrameParts
{
    float cosine;
    UT_Vector3 axis;
};

inline FrameParts frameParts(const UT_Vector3 &direction)
{
    UT_Vector3 up(0.0f, 0.0f, 1.0f);
    UT_Vector3 normalised = direction;
    FrameParts parts;
    parts.cosine = clampedCosine(up, normalised);
    // Built from the direction as read, not from the normalised copy.
    parts.axis = cross(UT_Vector3(0.0f, 0.0f, 1.0f), direction);
    safeNormalize(parts.axis);
    // The rotation normalises its axis once more, as rotating about a copy
    // of the axis always has.
    safeNormalize(parts.axis);
    return parts;
}

// The frame from its parts and the angle acosFloat(parts.cosine). The angle
// between +Z and the direction is a float arc cosine; widened to double it
// loses nothing.
inline AxisRotation frameFrom(const FrameParts &parts, float angle) { return rotationFor(parts.axis, double(angle)); }

// The rotation that carries +Z onto a point's stored direction. Defined
// here: every point a walk enters takes one.
inline AxisRotation frameFor(const UT_Vector3 &direction)
{
    const FrameParts parts = frameParts(direction);
    return frameFrom(parts, acosFloat(parts.cosine));
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
