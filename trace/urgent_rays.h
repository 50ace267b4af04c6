// Rays a walk is about to follow, handed to helper threads one to a slot,
// each claimed by whoever gets to it first.
//
// A depth-first walk hands out the rays of each set as it draws it and then
// needs them back in an order close to the reverse: the set drawn last
// belongs to the deepest point, whose rays it follows first, too soon for a
// helper to trace them in time. So helpers take the oldest slot nobody has
// claimed, which the walk needs later, and the walk, when the ray it needs
// next is still unclaimed, claims and traces exactly that one rather than
// the oldest. A ray that only decides whether a point is appended can wait;
// those go through a TraceQueue (trace/trace_queue.h) instead.
//
// No locks. Every slot carries its stage tagged with its number (published,
// claimed, done), so a claim is one compare-and-swap and a slot reused
// further round the ring can never be mistaken for an earlier one. Only the
// walking thread publishes, collects and reuses slots; any thread traces.
#pragma once

#include "math/vector_math.h"
#include "trace/bounce_tracer.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>

class UrgentRays
{
public:
    // One ray: its origin, and its direction on the scatter cap around
    // (0, 0, -1) with the frame that carries it into place; the tracer
    // fills in the direction, the trace and, with childFrame,
    // the frame a point with the ray's bounced direction would take
    // (frameFor).
    struct Ray
    {
        int64_t tag;  // the walk's own, carried through untouched
        UT_Vector3 origin;
        AxisRotation rotation;
        UT_Vector3 cap;
        bool childFrame;
        UT_Vector3 direction;
        BounceResult result;
        AxisRotation childRotation;
    };

    UrgentRays(const Collider &collider, size_t capacity);
    ~UrgentRays();
    UrgentRays(const UrgentRays &) = delete;
    UrgentRays &operator=(const UrgentRays &) = delete;

    // The walking thread's side. Slots are numbered from 0 in the order
    // they are published.
    size_t capacity() const { return myCapacity; }
    size_t inFlight() const { return size_t(myPublishedLocal - myCollectedLocal); }
    int64_t collected() const { return myCollectedLocal; }
    // The slot publish() hands out next, to be filled first; inFlight()
    // must be below capacity().
    Ray &next() { return slot(myPublishedLocal).ray; }
    // Publishes the slot next() gave; returns its number.
    int64_t publish();
    // Slot k traced, by whichever thread: the walk claims and traces it
    // itself when nobody has, and waits otherwise. k must not be collected.
    const Ray &await(int64_t k);
    // The same without waiting: nullptr while another thread traces it.
    const Ray *tryAwait(int64_t k);
    // Slot k's ray traced again on the calling thread, into a copy, without
    // claiming it: for a walk that has waited too long for the thread that
    // claimed it (whose core may be taken by other work). A trace depends on
    // the ray alone, so the copy is the same to the bit. k must not be
    // collected.
    Ray traceCopy(int64_t k) const;
    // The earliest slot not yet collected, when it is traced; nullptr
    // otherwise. popCollected releases it.
    const Ray *collectable() const;
    void popCollected();

    // Any thread: claims and traces the oldest published slot nobody has
    // claimed, among the last few; false when there was none. The caller
    // keeps `idleAt` for the next call (starting at -1): a caller that found
    // nothing looks again only once more is published, so that a waiting
    // helper reads one shared count instead of the slots being filled.
    // With whileFetching, the tracer calls it between finding a hit and
    // reading the surface values there, which are then on their way into
    // the cache: a moment for a little work of another kind.
    bool traceOldest(int64_t &idleAt, const std::function<void()> *whileFetching = nullptr);

private:
    struct alignas(64) Slot
    {
        // 3k: slot k published; 3k + 1: claimed; 3k + 2: traced.
        std::atomic<int64_t> stage{-1};
        Ray ray;
    };
    Slot &slot(int64_t k) const { return mySlots[size_t(k) % myCapacity]; }
    bool claim(int64_t k);
    void trace(int64_t k, const std::function<void()> *whileFetching = nullptr);
    // Fills in what the tracer gives from what the walk gave.
    void fill(Ray &r, const std::function<void()> *whileFetching) const;

    const Collider &myCollider;
    size_t myCapacity;
    std::unique_ptr<Slot[]> mySlots;
    int64_t myPublishedLocal = 0;
    int64_t myCollectedLocal = 0;
    alignas(64) std::atomic<int64_t> myPublished{0};
    alignas(64) std::atomic<int64_t> myCollected{0};
};
