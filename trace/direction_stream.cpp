#include "trace/direction_stream.h"

#include "math/scatter.h"

#include <algorithm>
#include <cstring>

namespace
{

// Draws between two publications of the walk's position: often enough for
// the producer to keep its distance, seldom enough to cost nothing.
constexpr int64_t kPublishEvery = 32;

}  // namespace

DirectionStream::DirectionStream(double scatter, const std::mt19937 &engine, size_t capacity)
    : myScatter(scatter), myCapacity(capacity), myEntries(new Entry[capacity]), myLookahead(engine)
{}

DirectionStream::~DirectionStream() = default;

void DirectionStream::draw(int32_t count, UT_Vector3 *out)
{
    for (int32_t i = 0; i < count; ++i)
    {
        uint32_t outputs[4];
        for (uint32_t &output : outputs)
            output = static_cast<uint32_t>(sceneRandomEngine());
        const int64_t c = myCursor++;
        // Released, so that the producer writes an entry again only after
        // the walk has read it.
        if (c % kPublishEvery == 0)
            myPublishedCursor.store(c, std::memory_order_release);
        if (!myStopped.load(std::memory_order_relaxed))
        {
            // The producer never writes this entry again while the walk
            // may read it: it stays within one capacity of the position
            // the walk last published.
            const Entry &e = myEntries[size_t(c) % myCapacity];
            if (e.position.load(std::memory_order_acquire) == c)
            {
                if (std::memcmp(e.outputs, outputs, sizeof outputs) == 0)
                {
                    out[i] = e.direction;
                    continue;
                }
                // Something else drew from the engine: the stream no longer
                // follows it.
                myStopped.store(true, std::memory_order_relaxed);
            }
        }
        scatterDirectionsFromOutputs(1, myScatter, outputs, &out[i]);
    }
}

bool DirectionStream::produce(int64_t most)
{
    if (myStopped.load(std::memory_order_relaxed) || myProducing.exchange(true, std::memory_order_acquire))
        return false;
    const int64_t cursor = myPublishedCursor.load(std::memory_order_acquire);
    int64_t produced = myProduced.load(std::memory_order_relaxed);
    if (produced < cursor)
    {
        // The walk has overtaken the stream: skip to where it is.
        myLookahead.discard(4 * uint64_t(cursor - produced));
        produced = cursor;
    }
    const int64_t end = std::min(produced + most, cursor + int64_t(myCapacity));
    const bool any = produced < end;
    for (; produced < end; ++produced)
    {
        Entry &e = myEntries[size_t(produced) % myCapacity];
        for (uint32_t &output : e.outputs)
            output = static_cast<uint32_t>(myLookahead());
        scatterDirectionsFromOutputs(1, myScatter, e.outputs, &e.direction);
        e.position.store(produced, std::memory_order_release);
    }
    myProduced.store(produced, std::memory_order_relaxed);
    myProducing.store(false, std::memory_order_release);
    return any;
}

bool DirectionStream::runningShort(int64_t few) const
{
    return !myStopped.load(std::memory_order_relaxed) &&
           myProduced.load(std::memory_order_relaxed) < myPublishedCursor.load(std::memory_order_relaxed) + few;
}
