#include "trace/point_appends.h"

namespace
{

// Held points beyond this are appended: it bounds the memory a deep walk of
// leaves can hold, and growth steps of this size cost little per point.
constexpr size_t kMostHeld = 4096;

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
    flush();
    const GA_Offset offset = myGdp.getPointMap().addElementBlock(1);
    writePoint(triple, offset, position, direction, intensity);
    return offset;
}

void PointAppends::hold(const AttributeTriple &triple, const UT_Vector3 &position, const UT_Vector3 &direction,
                        const UT_Vector3 &intensity)
{
    if (myHeld.size() >= kMostHeld)
        flush();
    if (myHeld.capacity() == 0)
        myHeld.reserve(kMostHeld);
    myHeld.push_back({&triple, position, direction, intensity});
}

void PointAppends::flush()
{
    if (myHeld.empty())
        return;
    const GA_Offset first = myGdp.getPointMap().addElementBlock(GA_Size(myHeld.size()));
    for (size_t i = 0; i < myHeld.size(); ++i)
    {
        const Held &h = myHeld[i];
        writePoint(*h.triple, first + GA_Offset(i), h.position, h.direction, h.intensity);
    }
    myHeld.clear();
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
    }
}
