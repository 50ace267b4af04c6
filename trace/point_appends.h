// Appending the points a walk creates, as few growth steps as the order allows.
//
// Growing a detail by one point grows every point attribute by one slot,
// which costs more than writing the new point's three values. Most new
// points are leaves: the last generation's hits, which no walk reads back.
// Those are held here and their values written later, in the order they were
// made. A point that is read back is appended and written at once, with slots
// for the held points before it grown in the same step; the held points' own
// values follow when too many are held or when the owner flushes. The detail
// then holds the same points with the same values as if each had been
// appended and written at once, as long as nobody looks at it in between: the
// owner flushes before returning control.
//
// A leaf may also be held before its trace is finished: whether it moved is
// known from the search alone, and its values need the collider's surface
// values at the hit. Those are then read when the held points are written,
// many at a time and asked into the cache ahead, instead of in the middle of
// the walk, where every one of them would wait for memory.
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
    GA_Size points() const { return myGdp.getNumPoints() + GA_Size(myHeld.size() - myGrown); }

    // Appends a point that will be read back and writes its values; slots
    // for the held points before it are grown with it. Returns its offset.
    GA_Offset appendNow(const AttributeTriple &triple, const UT_Vector3 &position, const UT_Vector3 &direction,
                        const UT_Vector3 &intensity);
    // Holds a leaf point; triple must outlive the next flush.
    void hold(const AttributeTriple &triple, const UT_Vector3 &position, const UT_Vector3 &direction,
              const UT_Vector3 &intensity);
    // Holds the leaf of a searched ray that found a hit at squared distance
    // squaredDistance from its origin, from a point of intensity
    // parentIntensity: finishBounce(bounce, collider) and the attenuation
    // give its values when they are written. triple and collider must
    // outlive the next flush.
    void holdUnfinished(const AttributeTriple &triple, const Collider &collider, const PendingBounce &bounce,
                        const UT_Vector3 &parentIntensity, float squaredDistance);
    // Appends and writes every held point. When growing the detail throws,
    // the points that already have slots are still written, the others are
    // given up, and the exception propagates.
    void flush();
    // flush for a path that is already failing: a second failure is
    // swallowed, so the first one is the one reported.
    void flushQuietly() noexcept;

private:
    // A held point's values, or with a collider the values they come from:
    // direction is the ray's, intensity the parent's, position unused.
    struct Held
    {
        GA_Offset offset;  // its slot, once grown
        const AttributeTriple *triple;
        const Collider *collider;
        UT_Vector3 position;
        UT_Vector3 direction;
        UT_Vector3 intensity;
        ColliderHit hit;
        float squaredDistance;
    };

    void push(const Held &held);
    // Gives the held points without a slot the slots from first on.
    void assignSlots(GA_Offset first);
    // Writes the values of held points [0, count), which have slots, and
    // forgets every held point.
    void writeHeld(size_t count);

    GU_Detail &myGdp;
    std::vector<Held> myHeld;
    // Held points [0, myGrown) have slots; the rest have none yet.
    size_t myGrown = 0;
};
