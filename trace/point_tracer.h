// The point tracer: one point of the output and everything descending from it.
//
// A point shoots its rays along its own direction (a primary call) or into a
// random cap around its negated direction (every later generation). Each ray
// that moves appends a point carrying the hit, the bounced direction and an
// attenuated intensity, and the walk continues from it, depth-first.
//
// The walk keeps its own stack of frames instead of recursing, so that a
// depth of millions of generations cannot overflow the thread's stack. New
// points are appended and random numbers drawn in depth-first pre-order: a
// frame draws its whole direction set when the walk first reaches it. The
// rays of one set are traced together (concurrently where enabled) as soon as
// the set is drawn, since they depend only on the collider. This is the
// sequential walk; handoff_walk.h hands every set's searches to helper
// threads and planned_walk.h traces ahead across sets and points, and both
// must give exactly its result.
#pragma once

#include "trace/bounce_tracer.h"

#include <GU/GU_Detail.h>
#include <cstdint>
#include <functional>

class PointAppends;

enum class TraceStatus
{
    Finished,
    PointLimit,  // the next append would have exceeded TraceControl::pointLimit
    Interrupted  // TraceControl::interrupted answered true
};

// Limits and bookkeeping shared by the tracing of one cook.
struct TraceControl
{
    // The output never holds more points than this. Offsets travel as 32-bit
    // signed integers, so the default keeps every offset representable.
    int64_t pointLimit = INT32_MAX;
    // Polled whenever the count of traced rays reaches a multiple of 1024.
    std::function<bool()> interrupted;
    // Trace the rays of a direction set on several threads.
    bool parallel = true;
    // Rays traced so far (counts up across calls).
    int64_t raysTraced = 0;
};

// The single primary direction of a point with stored direction D: +Z
// carried into D's frame, that is D normalised up to rounding.
UT_Vector3 primaryDirection(const UT_Vector3 &direction);

// primaryDirection of stored[i] into out[i] for i in [0, count); out may be
// stored. The same steps, taken a step at a time for many points: a point's
// frame is one long chain of dependent roots, quotients and the arc cosine,
// and chains of different points then overlap in the processor.
void primaryDirections(const UT_Vector3 *stored, size_t count, UT_Vector3 *out);

// A point's primary ray, traced ahead of its walk: the direction it took
// (primaryDirection of the point's direction) and its trace. The walk takes
// both as they are, so a point's frame is built once, not twice.
struct PrimaryTrace
{
    UT_Vector3 direction;
    BounceResult result;
};

// One position/direction/intensity triple of the traced detail: a point
// walk reads its point through it and writes every new point through it.
struct AttributeTriple
{
    AttributeHandle position;
    AttributeHandle direction;
    AttributeHandle intensity;
};

// The node's parameters as a point walk takes them: generations, the scatter
// cap in degrees, the base count of secondary rays and the factor applied to
// that count at each generation.
struct WalkSettings
{
    int32_t depth = 1;
    double scatter = 0.0;
    int32_t scatterCount = 1;
    float dissipation = 1.0f;
};

// Traces one point of gdp, starting with its primary ray. primaryTrace, when
// given, is that ray already traced (see tracePrimaryRays); it is used
// instead of tracing the ray again. Allocation failures propagate as
// std::bad_alloc with every point appended so far left in place; a scatter
// set too large for the memory available throws OutOfMemory
// (trace/out_of_memory.h), naming its size.
TraceStatus tracePoint(GU_Detail &gdp, GA_Offset offset, const AttributeTriple &triple, const Collider &collider,
                       const WalkSettings &settings, TraceControl &control, const PrimaryTrace *primaryTrace = nullptr);

// The same, appending through appends (trace/point_appends.h): new points
// that the walk does not read back may still be held when it returns, so
// that the points of many walks grow the detail together. The caller
// flushes appends before anything reads the detail's points, and after a
// failure too; triple must live until then.
TraceStatus tracePoint(PointAppends &appends, GA_Offset offset, const AttributeTriple &triple, const Collider &collider,
                       const WalkSettings &settings, TraceControl &control, const PrimaryTrace *primaryTrace = nullptr);

// Traces the primary rays of points [begin, end) for one attribute triple,
// concurrently where enabled: results[p - begin] is the primary ray of point p.
// Counts the rays in control.raysTraced and polls control.interrupted.
// Returns false when control.interrupted stopped it.
bool tracePrimaryRays(GA_Offset begin, GA_Offset end, const AttributeHandle &position, const AttributeHandle &direction,
                      const Collider &collider, TraceControl &control, PrimaryTrace *results);

// The intensity factor of a hit at squared distance d2 from the ray's origin:
// 1 / (2 d2^2 + 1), so it falls with the fourth power of the distance.
// Defined here: it runs for every new point.
inline float fallOff(float squaredDistance)
{
    float t = squaredDistance * squaredDistance;
    t = t + t;
    t = t + 1.0f;
    return float(1.0 / double(t));  // the quotient in double, then narrowed
}

// The scatter count of the next generation: count times dissipation in single
// precision, truncated toward zero; NaN or a product outside the 32-bit range
// gives INT32_MIN, so that the next generation scatters nothing.
int32_t nextScatterCount(int32_t count, float dissipation);
