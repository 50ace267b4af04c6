// Following a traced ray from its point, the step every walk ends with.
//
// The point's direction becomes the ray's, and a ray that moved far enough
// makes a new point with the hit, the bounced direction and the attenuated
// intensity. With one generation this is a point's whole walk: its primary
// ray, traced ahead, is followed and nothing is scattered. A cook of a
// million such points takes this step a million times, so it is defined here
// to be inlined into the loops that run it, and both the general walk and
// the one-generation loop take it from here, so that their output is the
// same to the byte.
#pragma once

#include "trace/attribute_lists.h"
#include "trace/point_appends.h"
#include "trace/point_tracer.h"
#include "trace/walk_steps.h"

// Follows one traced ray of the point at offset (read at position, with
// intensity). A ray that moved appends a new point through appends, held if
// it is a leaf (a point no walk reads back; child is then the offset it will
// get) or appended at once otherwise. child is the new point or
// GA_INVALID_OFFSET. Stops with PointLimit when the new point would take the
// output past pointLimit points.
inline TraceStatus followTracedRay(PointAppends &appends, const AttributeTriple &triple, int64_t pointLimit,
                                   GA_Offset offset, const UT_Vector3 &position, const UT_Vector3 &intensity,
                                   const UT_Vector3 &rayDirection, const BounceResult &hit, bool leaf, GA_Offset &child)
{
    child = GA_INVALID_OFFSET;
    writeVector(triple.direction, offset, rayDirection);
    if (hit.empty())
        return TraceStatus::Finished;
    const float d2 = travelledSquared(position, hit.position);
    if (!movedFar(d2))
        return TraceStatus::Finished;
    if (appends.points() >= pointLimit)
        return TraceStatus::PointLimit;
    const UT_Vector3 childIntensity = attenuate(intensity, hit.surfaceIntensity, d2);
    if (leaf)
    {
        child = appends.points();
        appends.hold(triple, hit.position, hit.direction, childIntensity);
    }
    else
        child = appends.appendNow(triple, hit.position, hit.direction, childIntensity);
    return TraceStatus::Finished;
}

// The whole walk of the point at offset when one generation is traced: its
// primary ray, already traced, is followed and a new point is held as a
// leaf. The same result as tracePoint with a depth of 1 and that trace.
inline TraceStatus followPrimaryLeaf(PointAppends &appends, const AttributeTriple &triple, int64_t pointLimit,
                                     GA_Offset offset, const PrimaryTrace &primary)
{
    // The point's values are read only for a hit, but before its direction
    // is written, as the walk reads them: the direction may be stored in
    // the same attribute as either of them.
    UT_Vector3 position(0.0f, 0.0f, 0.0f);
    UT_Vector3 intensity(0.0f, 0.0f, 0.0f);
    if (!primary.result.empty())
    {
        position = readVector(triple.position, offset);
        intensity = readVector(triple.intensity, offset);
    }
    GA_Offset child;
    return followTracedRay(appends, triple, pointLimit, offset, position, intensity, primary.direction, primary.result,
                           true, child);
}
