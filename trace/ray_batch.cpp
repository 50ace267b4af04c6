#include "trace/ray_batch.h"

#if VELKOR_HAVE_TBB
#include <tbb/blocked_range.h>
#include <tbb/parallel_for.h>
#endif

namespace {

void traceRange(const Collider &collider, const UT_Vector3 *origins, bool sharedOrigin,
                const UT_Vector3 *directions, size_t begin, size_t end, BounceResult *results)
{
    for (size_t i = begin; i < end; ++i)
    {
        // traceBounces moves its position and direction arguments: hand it copies.
        UT_Vector3 origin = origins[sharedOrigin ? 0 : i];
        UT_Vector3 direction = directions[i];
        results[i] = traceBounces(origin, direction, collider, 1);
    }
}

// Below this many rays a batch runs on the calling thread: spawning tasks
// costs more than tracing a handful of rays.
constexpr size_t kParallelThreshold = 16;
constexpr size_t kGrain = 8;

} // namespace

void traceRayBatch(const Collider &collider, const UT_Vector3 *origins, bool sharedOrigin,
                   const UT_Vector3 *directions, size_t count, BounceResult *results, bool parallel)
{
#if VELKOR_HAVE_TBB
    if (parallel && count >= kParallelThreshold)
    {
        tbb::parallel_for(tbb::blocked_range<size_t>(0, count, kGrain), [&](const tbb::blocked_range<size_t> &r) {
            traceRange(collider, origins, sharedOrigin, directions, r.begin(), r.end(), results);
        });
        return;
    }
#else
    (void)parallel;
#endif
    traceRange(collider, origins, sharedOrigin, directions, 0, count, results);
}
