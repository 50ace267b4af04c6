#include "trace/urgent_rays.h"

#include "trace/trace_queue.h"
#include "trace/walk_steps.h"

#include <algorithm>

namespace
{

// How far back from the newest slot a helper looks for one to claim: the
// walk traces older ones itself when it gets to them first.
constexpr int64_t kScanned = 16;

}  // namespace

UrgentRays::UrgentRays(const Collider &collider, size_t capacity)
    : myCollider(collider), myCapacity(capacity), mySlots(new Slot[capacity])
{}

UrgentRays::~UrgentRays() = default;

int64_t UrgentRays::publish()
{
    const int64_t k = myPublishedLocal++;
    slot(k).stage.store(3 * k, std::memory_order_release);
    myPublished.store(myPublishedLocal, std::memory_order_release);
    return k;
}

bool UrgentRays::claim(int64_t k)
{
    int64_t published = 3 * k;
    return slot(k).stage.compare_exchange_strong(published, 3 * k + 1, std::memory_order_acq_rel,
                                                 std::memory_order_relaxed);
}

void UrgentRays::fill(Ray &r, const std::function<void()> *whileFetching) const
{
    r.direction = applyRotation(r.rotation, r.cap);
    PendingBounce bounce;
    bounce.origin = r.origin;
    bounce.direction = r.direction;
    searchBounce(bounce, myCollider);
    if (whileFetching && bounce.found)
        (*whileFetching)();
    r.result = finishBounce(bounce, myCollider);
    if (r.childFrame)
        r.childRotation = frameFor(r.result.direction);
}

void UrgentRays::trace(int64_t k, const std::function<void()> *whileFetching)
{
    Slot &s = slot(k);
    fill(s.ray, whileFetching);
    s.stage.store(3 * k + 2, std::memory_order_release);
}

UrgentRays::Ray UrgentRays::traceCopy(int64_t k) const
{
    // Only what the walk gave is read: the claiming thread may be writing
    // the rest.
    const Ray &published = slot(k).ray;
    Ray r;
    r.tag = published.tag;
    r.origin = published.origin;
    r.rotation = published.rotation;
    r.cap = published.cap;
    r.childFrame = published.childFrame;
    fill(r, nullptr);
    return r;
}

const UrgentRays::Ray &UrgentRays::await(int64_t k)
{
    for (int waits = 0;;)
    {
        if (const Ray *r = tryAwait(k))
            return *r;
        waitForOtherThread(waits++);
    }
}

const UrgentRays::Ray *UrgentRays::tryAwait(int64_t k)
{
    Slot &s = slot(k);
    const int64_t stage = s.stage.load(std::memory_order_acquire);
    if (stage == 3 * k + 2)
        return &s.ray;
    if (stage == 3 * k && claim(k))
    {
        trace(k);
        return &s.ray;
    }
    return nullptr;
}

const UrgentRays::Ray *UrgentRays::collectable() const
{
    if (myCollectedLocal == myPublishedLocal)
        return nullptr;
    const Slot &s = slot(myCollectedLocal);
    return s.stage.load(std::memory_order_acquire) == 3 * myCollectedLocal + 2 ? &s.ray : nullptr;
}

void UrgentRays::popCollected()
{
    ++myCollectedLocal;
    myCollected.store(myCollectedLocal, std::memory_order_release);
}

bool UrgentRays::traceOldest(int64_t &idleAt, const std::function<void()> *whileFetching)
{
    const int64_t published = myPublished.load(std::memory_order_acquire);
    if (published == idleAt)
        return false;
    const int64_t oldest = std::max(myCollected.load(std::memory_order_acquire), published - kScanned);
    for (int64_t k = oldest; k < published; ++k)
        if (slot(k).stage.load(std::memory_order_relaxed) == 3 * k && claim(k))
        {
            trace(k, whileFetching);
            return true;
        }
    idleAt = published;
    return false;
}
