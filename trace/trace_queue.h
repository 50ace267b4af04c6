// The hand-off between the trace-ahead walk and the threads that trace for
// it: a fixed ring of slots, each a few rays from one origin, filled by the walking thread alone and traced by
// whichever thread claims a ray first (a helper, or the walk itself when it
// would otherwise wait).
//
// No locks: the walk publishes a slot by writing it and then advancing the
// published count; a tracer claims the next published slot by advancing
// the claimed count, traces its rays and marks the slot done; the walk
// collects done slots in the order it published them and only then reuses
// them. Rays go in groups so that handing over and taking back cost once
// per group rather than once per ray. A slot the walk no longer needs (its
// plan was dropped) can be cancelled before anyone claims it; it is then
// collected untraced. Memory is fixed by the ring's size, whatever the
// scene.
//
// A helper with nothing to claim spins a moment and then sleeps until the
// walk publishes again or closes the queue: a busy walk should not share
// its core with a spinning thread.
#pragma once

#include "trace/bounce_tracer.h"

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>

// Rays one slot carries, at most.
constexpr int32_t kQueuedRaysMost = 8;

// Waits a moment for another thread, the waits-th time in a row: a
// processor pause, and now and then the core offered to other threads, in
// case the one waited for shares it (the machine busy with other work).
void waitForOtherThread(int waits);

// Rays handed out together: from one origin, or with perRay each from its
// own. Their directions are given, or, with carry, given as directions on
// the scatter cap around (0, 0, -1) that the tracer first carries into the
// frame of a point with direction frameDirections[i] (frameFor), so that
// the walk's thread spends no time on either.
struct QueuedRays
{
    // What the walk gives, first, so that publishing a slot of a ray or
    // two writes a cache line or two; what the tracer gives, after.
    int64_t frame = -1;  // the walk's own tags, carried through untouched
    int32_t count = 0;
    bool carry = false;
    bool perRay = false;
    UT_Vector3 origin;
    int32_t rays[kQueuedRaysMost] = {};
    UT_Vector3 origins[kQueuedRaysMost];
    UT_Vector3 frameDirections[kQueuedRaysMost];
    UT_Vector3 directions[kQueuedRaysMost];

    bool traced = false;  // false when cancelled
    BounceResult results[kQueuedRaysMost];
};

class TraceQueue
{
public:
    // How the threads that trace wait for work: help() sleeps when there is
    // none for a while, so publishing must check for sleepers to wake;
    // with Spin, every tracer polls (traceSome) and never sleeps, and
    // publishing is a plain release of the slot.
    enum class Waiting
    {
        Sleep,
        Spin
    };
    TraceQueue(const Collider &collider, size_t capacity, Waiting waiting = Waiting::Sleep);
    ~TraceQueue();
    TraceQueue(const TraceQueue &) = delete;
    TraceQueue &operator=(const TraceQueue &) = delete;

    // The walking thread's side.
    // Slots published and not yet collected.
    size_t inFlight() const { return size_t(myPublishedLocal - myCollected); }
    size_t capacity() const { return myCapacity; }
    // Slots published and claimed by no one yet.
    size_t unclaimed() const;
    // The slot publish() hands out next, to be filled first (frame, count
    // of at least one, rays, origin, directions); inFlight() must be below
    // capacity().
    QueuedRays &next() { return slot(myPublishedLocal).rays; }
    void publish();
    // The earliest slot not yet collected, when it is done (traced or
    // cancelled); nullptr otherwise. popCollected releases it.
    const QueuedRays *collectable() const;
    void popCollected();
    // Cancels every unclaimed slot for which drop(frame) holds.
    template <typename Drop>
    void cancelUnclaimed(const Drop &drop)
    {
        for (int64_t k = myClaimed.load(std::memory_order_acquire); k < myPublishedLocal; ++k)
            if (drop(slot(k).rays.frame))
                slot(k).cancelled.store(true, std::memory_order_relaxed);
    }

    // Opens the queue for helpers, and closes it: helpers return from
    // help() once it is closed.
    void open();
    void close();

    // Any thread: claims and traces the next published slot, or up to
    // `most` of them; false when there was none to claim.
    bool traceOne();
    // With `before`, before() is called before each ray until it returns
    // false: a tracer can turn to work that someone waits for between the
    // rays of a slot of work that can wait.
    bool traceSome(int64_t most, const std::function<bool()> *before = nullptr);
    // A helper: traces published rays until the queue is closed.
    void help();

private:
    // Slots start on cache lines of their own, so that neighbours in the
    // ring, one being filled and one traced, share none.
    struct alignas(64) Slot
    {
        std::atomic<int64_t> done{-1};  // the slot's number once finished
        std::atomic<bool> cancelled{false};
        QueuedRays rays;
    };
    Slot &slot(int64_t k) const { return mySlots[size_t(k) % myCapacity]; }

    const Collider &myCollider;
    size_t myCapacity;
    Waiting myWaiting;
    std::unique_ptr<Slot[]> mySlots;
    // Claimed by the tracers; the other counts belong to the walk. Kept on
    // cache lines of their own so that claiming does not slow publishing.
    alignas(64) std::atomic<int64_t> myClaimed{0};
    alignas(64) std::atomic<int64_t> myPublished{0};
    int64_t myPublishedLocal = 0;
    int64_t myCollected = 0;
    // Sleeping helpers and what wakes them.
    alignas(64) std::atomic<int> mySleepers{0};
    std::atomic<bool> myWaking{false};
    std::mutex myMutex;
    std::condition_variable myWake;
    bool myClosed = true;
};
