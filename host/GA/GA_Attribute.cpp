#include <GA/GA_Attribute.h>

#include <algorithm>

namespace
{
// One counter for the whole process: the library is shared, so the plug-in
// and the program that loads it draw from the same sequence.
std::atomic<int64_t> theNextDataId{1};

int64_t freshDataId() { return theNextDataId.fetch_add(1, std::memory_order_relaxed); }
}  // namespace

GA_Attribute::GA_Attribute(const GA_AttributeType &type, const std::string &name, int tupleSize)
    : myType(&type), myName(name), myTupleSize(std::max(tupleSize, 0)), myDataId(freshDataId())
{}

GA_Attribute::GA_Attribute(const GA_Attribute &src)
    : myType(src.myType), myName(src.myName), myTupleSize(src.myTupleSize), myTypeInfo(src.myTypeInfo),
      myScope(src.myScope), myDataId(src.getDataId())
{}

GA_Attribute::~GA_Attribute() = default;

void GA_Attribute::assignNewDataId()
{
    // Compare-and-swap so that an attribute made untracked concurrently
    // stays untracked.
    const int64_t fresh = freshDataId();
    int64_t current = myDataId.load(std::memory_order_relaxed);
    while (current != -1 && !myDataId.compare_exchange_weak(current, fresh, std::memory_order_relaxed))
    {}
}
