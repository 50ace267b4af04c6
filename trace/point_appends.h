// Appending the points a walk creates, as few growth steps as the order allows.
//
// Growing a detail by one point grows every point attribute by one slot,
// which costs more than writing the new point's three values. Most new
// points are leaves: the last generation's hits, which no walk reads back.
// Those are held here and appended together, in the order they were made,
// when a point that is read back is appended, when too many are held, or when
// the owner flushes. The detail then holds the same points with the same
// values as if each had been appended at once, as long as nobody looks at its
// point count in between: the owner flushes before returning control.
//
// A leaf may also be held before its trace is finished: whether it moved is
// known from the search alone, and its values need the collider's surface
// values at the hit, which are then read when the held points are appended,
// many at a time, instead of in the middle of the walk, where every one of
// them would wait for memory.
#pragma once

#include "trace/bounce_tracer.h"
#include "trace/point_tracer.h"

#include <GU/GU_Detail.h>
#include <vector>

class PointAppends
{
public:
    explicit PointAppends(GU_Detail &gdp) : myGdp(gdp) {}
    PointAppends(const PointAppends &) = delete;
    PointAppends &operator=(const PointAppends &) = delete;

    // The detail's point count with the held points counted in.
    GA_Size points() const { return myGdp.getNumPoints() + GA_Size(myHeld.size()); }

    // Appends a point that will be read back: the held points go first.
    // Returns its offset.
    GA_Offset appendNow(const AttributeTriple &triple, const UT_Vector3 &position, const UT_Vector3 &direction,
                        const UT_Vector3 &intensity);
    // Holds a leaf point; triple must outlive the next flush.
    void hold(const AttributeTriple &triple, const UT_Vector3 &position, const UT_Vector3 &direction,
              const UT_Vector3 &intensity);
    // Holds the leaf of a searched ray that found a hit at squared distance
    // squaredDistance from its origin, from a point of intensity
    // parentIntensity: finishBounce(bounce, collider) and the attenuation
    // give its values when it is appended. triple and collider must outlive
    // the next flush.
    void holdUnfinished(const AttributeTriple &triple, const Collider &collider, const PendingBounce &bounce,
                        const UT_Vector3 &parentIntensity, float squaredDistance);
    // Appends every held point. Points are given up only if the growth
    // itself throws; the exception then propagates.
    void flush();
    // flush for a path that is already failing: a second failure is
    // swallowed, so the first one is the one reported.
    void flushQuietly() noexcept;

private:
    // A held point's values, or with a collider the values they come from:
    // direction is the ray's, intensity the parent's, position unused.
    struct Held
    {
        const AttributeTriple *triple;
        const Collider *collider;
        UT_Vector3 position;
        UT_Vector3 direction;
        UT_Vector3 intensity;
        ColliderHit hit;
        float squaredDistance;
    };

    void push(const Held &held);

    GU_Detail &myGdp;
    std::vector<Held> myHeld;
};
