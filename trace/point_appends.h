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
#pragma once

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
    // Appends every held point. Points are given up only if the growth
    // itself throws; the exception then propagates.
    void flush();
    // flush for a path that is already failing: a second failure is
    // swallowed, so the first one is the one reported.
    void flushQuietly() noexcept;

private:
    struct Held
    {
        const AttributeTriple *triple;
        UT_Vector3 position;
        UT_Vector3 direction;
        UT_Vector3 intensity;
    };

    GU_Detail &myGdp;
    std::vector<Held> myHeld;
};
