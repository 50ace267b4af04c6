#include "trace/trace_queue.h"

#include "trace/walk_steps.h"

#include <algorithm>
#include <thread>

#if defined(__x86_64__) || defined(_M_X64)
#include <immintrin.h>
#endif

namespace
{

// Claims a helper tries before it sleeps: a few microseconds, about the time
// the walk takes to publish again when it is tracing too.
constexpr int kSpins = 512;
// Slots a helper claims at once: few, so that the walk seldom waits for a
// helper's later ray.
constexpr int64_t kHelperClaim = 1;
// Waits between offers of the core to other threads.
constexpr int kWaitsBeforeYield = 32;

}  // namespace

void waitForOtherThread(int waits)
{
    if (waits % kWaitsBeforeYield == kWaitsBeforeYield - 1)
    {
        std::this_thread::yield();
        return;
    }
#if defined(__x86_64__) || defined(_M_X64)
    _mm_pause();
#endif
}

TraceQueue::TraceQueue(const Collider &collider, size_t capacity, Waiting waiting)
    : myCollider(collider), myCapacity(capacity), myWaiting(waiting), mySlots(new Slot[capacity])
{}

TraceQueue::~TraceQueue() = default;

size_t TraceQueue::unclaimed() const
{
    const int64_t claimed = myClaimed.load(std::memory_order_relaxed);
    return claimed < myPublishedLocal ? size_t(myPublishedLocal - claimed) : 0;
}

void TraceQueue::publish()
{
    Slot &s = slot(myPublishedLocal);
    s.rays.traced = false;
    s.cancelled.store(false, std::memory_order_relaxed);
    ++myPublishedLocal;
    if (myWaiting == Waiting::Spin)
    {
        myPublished.store(myPublishedLocal, std::memory_order_release);
        return;
    }
    // Sequentially consistent, like the sleepers' count below and in help():
    // either the walk sees a helper going to sleep, or that helper sees the
    // ray.
    myPublished.store(myPublishedLocal, std::memory_order_seq_cst);
    // One wake-up at a time: a woken helper may take a while to run, and
    // waking it again meanwhile would only cost the walk.
    if (mySleepers.load(std::memory_order_seq_cst) > 0 && !myWaking.exchange(true, std::memory_order_relaxed))
    {
        std::lock_guard<std::mutex> lock(myMutex);
        myWake.notify_one();
    }
}

void TraceQueue::open()
{
    std::lock_guard<std::mutex> lock(myMutex);
    myClosed = false;
}

void TraceQueue::close()
{
    {
        std::lock_guard<std::mutex> lock(myMutex);
        myClosed = true;
    }
    myWake.notify_all();
}

void TraceQueue::help()
{
    for (;;)
    {
        for (int spin = 0; spin < kSpins; ++spin)
        {
            // Spinning must not keep a walk that shares this core from
            // publishing.
            if (traceSome(kHelperClaim))
                spin = 0;
            else
                waitForOtherThread(spin);
        }
        std::unique_lock<std::mutex> lock(myMutex);
        mySleepers.fetch_add(1, std::memory_order_seq_cst);
        myWake.wait(lock, [&] {
            return myClosed || myClaimed.load(std::memory_order_seq_cst) < myPublished.load(std::memory_order_seq_cst);
        });
        mySleepers.fetch_sub(1, std::memory_order_relaxed);
        myWaking.store(false, std::memory_order_relaxed);
        if (myClosed)
            return;
    }
}

bool TraceQueue::traceOne() { return traceSome(1); }

bool TraceQueue::traceSome(int64_t most, const std::function<bool()> *before)
{
    int64_t k = myClaimed.load(std::memory_order_relaxed);
    int64_t n = 0;
    for (;;)
    {
        n = std::min(most, myPublished.load(std::memory_order_acquire) - k);
        if (n <= 0)
            return false;
        if (myClaimed.compare_exchange_weak(k, k + n, std::memory_order_acq_rel, std::memory_order_relaxed))
            break;
    }
    // Each ray is finished one search later, so that its surface values
    // arrive in the cache while the next ray is searched (see traceRayBatch).
    PendingBounce previous;
    BounceResult *previousResult = nullptr;
    for (int64_t j = k; j < k + n; ++j)
    {
        Slot &s = slot(j);
        if (!s.cancelled.load(std::memory_order_relaxed))
        {
            QueuedRays &r = s.rays;
            if (r.carry)
                for (int32_t i = 0; i < r.count; ++i)
                    r.directions[i] = applyRotation(frameFor(r.frameDirections[i]), r.directions[i]);
            for (int32_t i = 0; i < r.count; ++i)
            {
                if (before)
                    while ((*before)())
                    {}
                PendingBounce current;
                current.origin = r.perRay ? r.origins[i] : r.origin;
                current.direction = r.directions[i];
                searchBounce(current, myCollider);
                if (previousResult)
                    *previousResult = finishBounce(previous, myCollider);
                previous = current;
                previousResult = &r.results[i];
            }
            // The slot is done once its last ray is finished.
            if (previousResult)
                *previousResult = finishBounce(previous, myCollider);
            previousResult = nullptr;
            r.traced = true;
        }
        s.done.store(j, std::memory_order_release);  // collected untraced when cancelled
    }
    return true;
}

const QueuedRays *TraceQueue::collectable() const
{
    if (myCollected == myPublishedLocal)
        return nullptr;
    const Slot &s = slot(myCollected);
    return s.done.load(std::memory_order_acquire) == myCollected ? &s.rays : nullptr;
}

void TraceQueue::popCollected() { ++myCollected; }
