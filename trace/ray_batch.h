// Tracing a batch of independent rays, concurrently where it pays.
//
// Rays of one direction set (and all primary rays of a cook) do not depend on
// each other: each reads only the collider, which no trace changes beyond
// renewing data ids. They can therefore be traced in any order on any thread
// while everything order-dependent (appending points, writing attributes,
// drawing random numbers) stays on the walking thread.
#pragma once

#include "trace/bounce_tracer.h"

#include <cstddef>

// Where the rays of a batch start: each at its own origin, or all at one
// (the rays of a direction set leave the same point).
enum class RayOrigins
{
    PerRay,
    Shared
};

// Whether a batch may spread over several threads or stays on the calling
// thread.
enum class BatchThreads
{
    Calling,
    Parallel
};

// Traces rays i in [0, count) for one bounce each: origin origins[i] (or
// origins[0] for every ray with RayOrigins::Shared) and direction
// directions[i]; results[i] receives the trace. With BatchThreads::Parallel
// it runs on several threads when the batch is large enough to be worth it.
void traceRayBatch(const Collider &collider, const UT_Vector3 *origins, RayOrigins originLayout,
                   const UT_Vector3 *directions, size_t count, BounceResult *results, BatchThreads threads);

// The same rays searched but not finished: bounces[i] receives the search of
// ray i, and the surface values at its hit are asked into the cache, so that
// finishBounce(bounces[i], collider), called when the trace is needed, gives
// results[i] of traceRayBatch. A caller that finishes a ray only when it
// follows it gives the cache the time in between. The collider's data ids
// are left to the caller (renewDataIds), which may renew them once for many
// batches.
void searchRayBatch(const Collider &collider, const UT_Vector3 *origins, RayOrigins originLayout,
                    const UT_Vector3 *directions, size_t count, PendingBounce *bounces, BatchThreads threads);
