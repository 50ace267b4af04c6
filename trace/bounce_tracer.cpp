#include "trace/bounce_tracer.h"

namespace
{

BounceResult traceGathered(UT_Vector3 &position, UT_Vector3 &direction, const Collider &collider, int32_t bounces)
{
    BounceResult result;
    if (!collider.usable())
        return result;

    for (int32_t bounce = 0; bounce < bounces; ++bounce)
    {
        ColliderHit hit;
        if (!collider.nearestHit(position, direction, hit))
            continue;  // no early exit: later bounces would find nothing either
        UT_Vector3 axis = collider.surfaceDirection(hit);
        result.surfaceDirection = axis;
        result.surfaceIntensity = collider.surfaceIntensity(hit);
        position = hit.hit.point;
        direction = reflectAbout(direction, axis);  // turns about a normalised copy
    }
    result.position = position;
    result.direction = direction;
    result.myValid = true;
    return result;
}

}  // namespace

BounceResult traceBounces(UT_Vector3 &position, UT_Vector3 &direction, const Collider &collider, int32_t bounces)
{
    bumpDataIds(collider.lists());
    return traceGathered(position, direction, collider, bounces);
}

void renewDataIds(const Collider &collider, size_t rays)
{
    // Renewing an id n times in a row leaves the attribute exactly as marked
    // changed as renewing it once: nothing can look between the renewals of
    // one batch. Each renewal is an atomic exchange per attribute, which a
    // batch of rays need not pay per ray.
    if (rays > 0)
        bumpDataIds(collider.lists());
}

void searchBounce(PendingBounce &bounce, const Collider &collider)
{
    bounce.found = collider.usable() && collider.nearestHit(bounce.origin, bounce.direction, bounce.hit);
    if (bounce.found)
        collider.prefetchSurface(bounce.hit);
}

BounceResult finishBounce(const PendingBounce &bounce, const Collider &collider)
{
    BounceResult result;
    if (!collider.usable())
        return result;
    result.position = bounce.origin;
    result.direction = bounce.direction;
    if (bounce.found)
    {
        // The steps of traceGathered's one bounce, in its order.
        UT_Vector3 axis = collider.surfaceDirection(bounce.hit);
        result.surfaceDirection = axis;
        result.surfaceIntensity = collider.surfaceIntensity(bounce.hit);
        result.position = bounce.hit.hit.point;
        result.direction = reflectAbout(bounce.direction, axis);
    }
    result.myValid = true;
    return result;
}

BounceResult traceBounces(UT_Vector3 &position, UT_Vector3 &direction, const GEO_Detail &collider, int32_t bounces)
{
    Collider prepared(collider, SearchMode::Exhaustive);
    bumpDataIds(prepared.lists());
    return traceGathered(position, direction, prepared, bounces);
}
