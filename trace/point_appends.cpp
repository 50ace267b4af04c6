#include "trace/point_appends.h"

#include "trace/walk_steps.h"

namespace
{

// Held points beyond this are appended: it bounds the memory a deep walk of
// leaves can hold, and growth steps of this size cost little per point.
constexpr size_t kMostHeld = 4096;

// How many held points ahead of the one being finished have their surface
// values asked into the cache.
constexpr size_t kPrefetchAhead = 8;

void writePoint(const AttributeTriple &triple, GA_Offset offset, const UT_Vector3 &position,
                const UT_Vector3 &direction, const UT_Vector3 &intensity)
{
    writeVector(triple.position, offset, position);
    writeVector(triple.direction, offset, direction);
    writeVector(triple.intensity, offset, intensity);
}

}  // namespace

GA_Offset PointAppends::appendNow(const AttributeTriple &triple, const UT_Vector3 &position,
                                  const UT_Vector3 &direction, const UT_Vector3 &intensity)
{
    const size_t ungrown = myHeld.size() - myGrown;
    const GA_Offset first = myGdp.getPointMap().addElementBlock(GA_Size(ungrown) + 1);
    assignSlots(first);
    const GA_Offset offset = first + GA_Offset(ungrown);
    writePoint(triple, offset, position, direction, intensity);
    return offset;
}

void PointAppends::push(const Held &held)
{
    if (myHeld.size() >= kMostHeld)
        flush();
    if (myHeld.capacity() == 0)
        myHeld.reserve(kMostHeld);
    myHeld.push_back(held);
}

void PointAppends::hold(const AttributeTriple &triple, const UT_Vector3 &position, const UT_Vector3 &direction,
                        const UT_Vector3 &intensity)
{
    Held held;
    held.offset = GA_INVALID_OFFSET;
    held.triple = &triple;
    held.collider = nullptr;
    held.position = position;
    held.direction = direction;
    held.intensity = intensity;
    push(held);
}

void PointAppends::holdUnfinished(const AttributeTriple &triple, const Collider &collider, const PendingBounce &bounce,
                                  const UT_Vector3 &parentIntensity, float squaredDistance)
{
    Held held;
    held.offset = GA_INVALID_OFFSET;
    held.triple = &triple;
    held.collider = &collider;
    held.direction = bounce.direction;
    held.intensity = parentIntensity;
    held.hit = bounce.hit;
    held.squaredDistance = squaredDistance;
    push(held);
}

void PointAppends::flush()
{
    const size_t ungrown = myHeld.size() - myGrown;
    if (ungrown > 0)
    {
        GA_Offset first;
        try
        {
            first = myGdp.getPointMap().addElementBlock(GA_Size(ungrown));
        }
        catch (...)
        {
            writeHeld(myGrown);
            throw;
        }
        assignSlots(first);
    }
    writeHeld(myGrown);
}

void PointAppends::assignSlots(GA_Offset first)
{
    for (size_t i = myGrown; i < myHeld.size(); ++i)
        myHeld[i].offset = first + GA_Offset(i - myGrown);
    myGrown = myHeld.size();
}

void PointAppends::writeHeld(size_t count)
{
    for (size_t i = 0; i < count; ++i)
    {
        if (i + kPrefetchAhead < count)
        {
            const Held &ahead = myHeld[i + kPrefetchAhead];
            if (ahead.collider)
                ahead.collider->prefetchSurface(ahead.hit);
        }
        const Held &h = myHeld[i];
        const GA_Offset offset = h.offset;
        if (!h.collider)
        {
            writePoint(*h.triple, offset, h.position, h.direction, h.intensity);
            continue;
        }
        // The steps the walk would have taken when it made the point.
        PendingBounce bounce;
        bounce.direction = h.direction;
        bounce.hit = h.hit;
        bounce.found = true;
        const BounceResult result = finishBounce(bounce, *h.collider);
        writePoint(*h.triple, offset, result.position, result.direction,
                   attenuate(h.intensity, result.surfaceIntensity, h.squaredDistance));
    }
    myHeld.clear();
    myGrown = 0;
}

void PointAppends::flushQuietly() noexcept
{
    try
    {
        flush();
    }
    catch (...)
    {
        myHeld.clear();
        myGrown = 0;
    }
}
