#include "trace/ray_batch.h"

#include <UT/UT_ParallelUtil.h>

namespace
{

void traceRange(const Collider &collider, const UT_Vector3 *origins, RayOrigins originLayout,
                const UT_Vector3 *directions, size_t begin, size_t end, BounceResult *results)
{
    // Each ray is finished one search later, so that its surface values
    // arrive in the cache while the next ray is searched.
    PendingBounce previous;
    for (size_t i = begin; i < end; ++i)
    {
        PendingBounce current;
        current.origin = origins[originLayout == RayOrigins::Shared ? 0 : i];
        current.direction = directions[i];
        searchBounce(current, collider);
        if (i > begin)
            results[i - 1] = finishBounce(previous, collider);
        previous = current;
    }
    if (end > begin)
        results[end - 1] = finishBounce(previous, collider);
}

// Below this many rays a batch runs on the calling thread: spawning tasks
// costs more than tracing a handful of rays.
constexpr size_t kParallelThreshold = 16;
constexpr size_t kGrain = 8;

}  // namespace

void traceRayBatch(const Collider &collider, const UT_Vector3 *origins, RayOrigins originLayout,
                   const UT_Vector3 *directions, size_t count, BounceResult *results, BatchThreads threads)
{
    // Once per ray, on this thread only (see searchBounce).
    renewDataIds(collider, count);
    if (threads == BatchThreads::Parallel && count >= kParallelThreshold)
    {
        UTparallelFor(0, count, kGrain, [&](size_t begin, size_t end) {
            traceRange(collider, origins, originLayout, directions, begin, end, results);
        });
        return;
    }
    traceRange(collider, origins, originLayout, directions, 0, count, results);
}

void searchRayBatch(const Collider &collider, const UT_Vector3 *origins, RayOrigins originLayout,
                    const UT_Vector3 *directions, size_t count, PendingBounce *bounces, BatchThreads threads)
{
    const auto searchRange = [&](size_t begin, size_t end) {
        for (size_t i = begin; i < end; ++i)
        {
            PendingBounce &bounce = bounces[i];
            bounce.origin = origins[originLayout == RayOrigins::Shared ? 0 : i];
            bounce.direction = directions[i];
            searchBounce(bounce, collider);
        }
    };
    if (threads == BatchThreads::Parallel && count >= kParallelThreshold)
        UTparallelFor(0, count, kGrain, searchRange);
    else
        searchRange(0, count);
}
