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

// Traces rays i in [0, count) for one bounce each: origin origins[i] (or
// origins[0] for every ray when sharedOrigin is set) and direction
// directions[i]; results[i] receives the trace. Runs on several threads when
// parallel is set and the batch is large enough to be worth it.
void traceRayBatch(const Collider &collider, const UT_Vector3 *origins, bool sharedOrigin,
                   const UT_Vector3 *directions, size_t count, BounceResult *results, bool parallel);
