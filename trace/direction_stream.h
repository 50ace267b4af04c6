// Scatter directions worked out ahead of the walk that draws them.
//
// The directions a walk scatters come from the process engine's outputs in
// the order it draws them, four outputs each (math/scatter.h), and which
// directions a point gets depends on where the engine stands when the walk
// reaches it. But the sequence itself does not depend on the walk: from the
// engine's state at the start, the n-th direction drawn is fixed. So a
// helper thread with nothing better to do runs a copy of the engine ahead
// and works out those directions (an arc cosine, two sines and two cosines
// in double precision each), and the walk, drawing the same outputs from the
// process engine as ever, takes each direction ready-made when the four
// outputs it drew match those the direction was worked out from. A direction
// is a function of its four outputs alone, so a match can never give another
// result. Anything else that draws from the process engine meanwhile (code
// run by an interrupt callback, say) shows as a mismatch; the stream then
// stops, and the walk works out every direction itself.
//
// The walk is the only consumer; one helper at a time produces.
#pragma once

#include <UT/UT_Vector3.h>

#include <atomic>
#include <cstdint>
#include <memory>
#include <random>

class DirectionStream
{
public:
    // Directions for a walk with scatter size `scatter` whose first draw
    // comes from an engine in the state `engine` has now.
    DirectionStream(double scatter, const std::mt19937 &engine, size_t capacity);
    ~DirectionStream();
    DirectionStream(const DirectionStream &) = delete;
    DirectionStream &operator=(const DirectionStream &) = delete;

    // The walking thread: draws count directions from sceneRandomEngine
    // into out, exactly as scatterDirectionsInto does (count >= 1).
    void draw(int32_t count, UT_Vector3 *out);

    // A helper: works out up to `most` more directions ahead of the walk;
    // false when the stream is far enough ahead, has stopped, or another
    // helper is at it.
    bool produce(int64_t most);
    // Whether fewer than `few` directions are ready ahead of the walk.
    bool runningShort(int64_t few) const;

private:
    struct alignas(64) Entry
    {
        std::atomic<int64_t> position{-1};  // the draw it was worked out for, once complete
        uint32_t outputs[4];
        UT_Vector3 direction;
    };

    double myScatter;
    size_t myCapacity;
    std::unique_ptr<Entry[]> myEntries;
    // The walk's side.
    int64_t myCursor = 0;  // draws made
    // Shared.
    alignas(64) std::atomic<int64_t> myPublishedCursor{0};  // myCursor, now and then
    std::atomic<bool> myStopped{false};
    // The producer's side.
    alignas(64) std::atomic<bool> myProducing{false};
    std::atomic<int64_t> myProduced{0};
    std::mt19937 myLookahead;
};
