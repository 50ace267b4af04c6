#include "trace/planned_walk.h"

#include "math/scatter.h"
#include "trace/trace_queue.h"
#include "trace/walk_plan.h"
#include "trace/walk_steps.h"

#include <UT/UT_ParallelUtil.h>

#include <algorithm>
#include <atomic>

namespace
{

// Beyond these sizes the sequential walk is used: large sets spread over
// threads by themselves, and deep chains would keep a long plan of ancestors.
constexpr int32_t kMaxPlannedCount = 1024;
constexpr int32_t kMaxPlannedDepth = 256;
// Rays handed out at once, at most. Enough that a helper always finds work
// while the walk commits: with the guesses right for all but a few rays in a
// hundred, rays this far ahead are seldom thrown away.
constexpr size_t kQueueAhead = 32;
// More are gathered only when fewer than this many slots (each a few rays of
// one point) wait unclaimed: gathering scans the plan, so it is done in
// rounds rather than per ray.
constexpr size_t kRefillBelow = 4;
// Slots in the ring.
constexpr size_t kQueueCapacity = 256;
// Pauses the walk waits for a helper's trace before tracing the ray itself:
// about as long as a trace takes.
constexpr int kPatience = 256;

}  // namespace

struct PlannedWalk::State
{
    State(GU_Detail &g, std::vector<WalkTriple> t, GA_Offset b, GA_Offset e, const Collider &c, const WalkSettings &s,
          TraceControl &ctl)
        : gdp(g), triples(std::move(t)), begin(b), control(ctl), plan(triples, b, e, c, s, sceneRandomEngine),
          expectedEngine(sceneRandomEngine), collider(c), queue(c, kQueueCapacity)
    {}

    GU_Detail &gdp;
    const std::vector<WalkTriple> triples;
    GA_Offset begin;
    TraceControl &control;
    WalkPlan plan;
    // Where the process engine stands if nothing but the walk draws from it.
    std::mt19937 expectedEngine;

    // The walk's own stack.
    struct WalkFrame
    {
        int64_t frame;
        int32_t next;
        GA_Offset offset;
        UT_Vector3 position;
        UT_Vector3 intensity;
    };
    std::vector<WalkFrame> stack;

    // True when counting `count` more traced rays reaches a poll.
    bool countingPolls(size_t count) const
    {
        return control.interrupted && count > 0 &&
               size_t(control.raysTraced % kPollInterval) + count >= size_t(kPollInterval);
    }

    // Enters a planned frame on the walk: draws its outputs from the process
    // engine and counts its rays, as the sequential walk does when it draws
    // and traces a set. False when interrupted.
    bool enter(int64_t id, GA_Offset offset, const WalkTriple &t)
    {
        const PlanFrame &frame = plan.frame(id);
        bool polled = false;
        if (!frame.primary)
        {
            const size_t count = frame.rays.size();
            polled = countingPolls(count);
            sceneRandomEngine.discard(4 * count);
            expectedEngine.discard(4 * count);
            plan.entered(id);
            if (!traceInChunks(control, count, [](size_t, size_t) {}))
                return false;
        }
        stack.push_back({id, 0, offset, readVector(t.position, offset), readVector(t.intensity, offset)});
        // Whatever runs inside the interrupt callback may draw from the
        // process engine (another cook, say). The sequential walk would go
        // on from where that leaves the engine, so the plan must too.
        if (polled && !(sceneRandomEngine == expectedEngine))
        {
            std::vector<EnteredFrame> entered;
            for (const WalkFrame &w : stack)
                entered.push_back({w.frame, w.next});
            plan.planAfresh(entered, 0, sceneRandomEngine);
            queue.cancelUnclaimed([&](int64_t id) { return !plan.has(id); });
            expectedEngine = sceneRandomEngine;
        }
        return true;
    }

    // Walks on while traces are at hand, handing rays to the tracers as it
    // goes. Returns Finished with `blocked` set when the next ray is not
    // traced yet.
    TraceStatus advance(const WalkTriple &t, bool &blocked)
    {
        blocked = false;
        for (;;)
        {
            if (stack.empty())
                return TraceStatus::Finished;
            WalkFrame &top = stack.back();
            PlanFrame &frame = plan.frame(top.frame);
            if (size_t(top.next) == frame.rays.size())
            {
                plan.erase(top.frame);
                stack.pop_back();
                continue;
            }
            const int32_t i = top.next;
            if (!frame.rays[size_t(i)].traced)
            {
                blocked = true;
                return TraceStatus::Finished;
            }
            ++top.next;
            const PlanRay &ray = frame.rays[size_t(i)];
            // Each direction of the set overwrites the point's direction in
            // turn; the last one traced stays.
            writeVector(t.direction, top.offset, ray.direction);
            const BounceResult &hit = ray.result;
            const float d2 = hit.empty() ? 0.0f : travelledSquared(top.position, hit.position);
            if (!movedFar(d2))
            {
                if (plan.decides(frame))
                    plan.learn(ray.side, false);
                continue;
            }

            if (gdp.getNumPoints() >= control.pointLimit)
                return TraceStatus::PointLimit;
            const GA_Offset q = gdp.getPointMap().addElementBlock(1);
            writeVector(t.position, q, hit.position);
            writeVector(t.direction, q, hit.direction);
            writeVector(t.intensity, q, attenuate(top.intensity, hit.surfaceIntensity, d2));
            if (!plan.decides(frame))
                continue;
            plan.learn(ray.side, true);
            // The planner has reached the ray, or planned its frame: it is
            // traced, so planning beneath it waits for nothing.
            while (frame.rays[size_t(i)].child == -1)
                plan.planOne();
            // `frame` and `top` may dangle once the child is entered.
            if (!enter(frame.rays[size_t(i)].child, q, t))
                return TraceStatus::Interrupted;
            feed();
        }
    }

    // Takes back the traces that are done, in the order they were handed
    // out, and hands out more rays while the tracers have too few.
    void feed()
    {
        size_t collected = 0;
        while (const QueuedRays *r = queue.collectable())
        {
            collected += size_t(r->traced ? r->count : 0);
            // A new plan after one of the rays keeps the rays' own frame.
            for (int32_t k = 0; k < r->count; ++k)
            {
                const int32_t ray = r->rays[k];
                if (r->traced && plan.has(r->frame) && plan.frame(r->frame).rays[size_t(ray)].traced)
                    ++discarded;  // traced by the walk meanwhile
                else if (r->traced && plan.has(r->frame))
                {
                    if (plan.store(r->frame, ray, r->results[k]))
                        queue.cancelUnclaimed([&](int64_t id) { return !plan.has(id); });
                }
                else if (plan.has(r->frame))
                    plan.requeue(r->frame, ray);
                else
                    discarded += r->traced ? 1 : 0;
            }
            queue.popCollected();
        }
        // Once per traced ray, on the walking thread only (see searchBounce).
        renewDataIds(collider, collected);
        if (queue.unclaimed() >= kRefillBelow || plan.version() == gatheredNothingAt)
            return;
        // Each ray gathered takes a slot at most.
        const size_t room = queue.capacity() - queue.inFlight();
        if (room == 0)
            return;
        const std::vector<TraceItem> &items = plan.gather(std::min(room, kQueueAhead));
        if (items.empty())
            gatheredNothingAt = plan.version();
        // Rays of one frame go together, a slot's worth at a time.
        for (size_t j = 0; j < items.size();)
        {
            QueuedRays &slot = queue.next();
            slot.frame = items[j].frame;
            slot.origin = items[j].origin;
            slot.count = 0;
            for (; j < items.size() && items[j].frame == slot.frame && slot.count < kQueuedRaysMost; ++j)
            {
                slot.rays[slot.count] = items[j].ray;
                slot.directions[slot.count] = items[j].direction;
                ++slot.count;
            }
            queue.publish();
        }
    }

    // Waits for the trace of the next ray of the walk, tracing handed-out
    // rays meanwhile rather than idling. When a helper has the ray and is
    // slow to bring it back (on a busy machine its thread may not even be
    // running), the walk traces the ray itself: a trace depends on nothing
    // but the ray, so either copy will do, and the walk never waits long
    // for another thread.
    void waitForNext()
    {
        const WalkFrame &top = stack.back();
        PlanFrame &frame = plan.frame(top.frame);
        const int32_t i = top.next;
        PlanRay &next = frame.rays[size_t(i)];
        for (int idle = 0; !next.traced;)
        {
            feed();
            if (next.traced)
                continue;
            // A ray not handed out is the walk's own to trace.
            if (next.queued)
            {
                if (queue.traceSome(1))
                    continue;
                if (++idle < kPatience)
                {
                    // The helper holding the ray may share this core.
                    waitForOtherThread(idle);
                    continue;
                }
            }
            PendingBounce bounce;
            bounce.origin = frame.origin;
            bounce.direction = next.direction;
            searchBounce(bounce, collider);
            renewDataIds(collider, 1);
            plan.store(top.frame, i, finishBounce(bounce, collider));
        }
    }

    TraceStatus walk(int64_t tree)
    {
        // Between points the caller may have run code that drew from the
        // process engine (its progress report calls into the host, which may
        // cook something else): the walk goes on from wherever the engine
        // stands, as the sequential walk would.
        if (!(sceneRandomEngine == expectedEngine))
        {
            plan.planAfresh({}, tree, sceneRandomEngine);
            queue.cancelUnclaimed([&](int64_t id) { return !plan.has(id); });
            expectedEngine = sceneRandomEngine;
        }
        // Earlier trees are walked, so every ray before this tree is traced
        // and planning cannot wait here.
        while (plan.empty() || plan.lastTree() < tree)
            if (plan.planOne() != PlanStep::Planned)
                return TraceStatus::Finished;  // nothing of this tree can be planned
        const WalkTriple &t = triples[size_t(tree % int64_t(triples.size()))];
        enter(plan.firstId(), begin + GA_Offset(tree / int64_t(triples.size())),
              t);  // a primary set: no draws, no polls
        for (;;)
        {
            bool blocked = false;
            const TraceStatus status = advance(t, blocked);
            if (!blocked)
                return status;
            waitForNext();
        }
    }

    const Collider &collider;
    TraceQueue queue;
    int64_t discarded = 0;
    uint64_t gatheredNothingAt = UINT64_MAX;
};

PlannedWalk::PlannedWalk(GU_Detail &gdp, std::vector<WalkTriple> triples, GA_Offset begin, GA_Offset end,
                         const Collider &collider, const WalkSettings &settings, TraceControl &control)
    : myState(new State(gdp, std::move(triples), begin, end, collider, settings, control))
{}

PlannedWalk::~PlannedWalk() = default;

bool PlannedWalk::suitable(const std::vector<WalkTriple> &triples, const WalkSettings &settings)
{
    // One generation, or none scattered, leaves nothing to trace ahead:
    // primary rays are traced in batches before the walk either way.
    if (settings.depth < 2 || settings.depth > kMaxPlannedDepth || settings.scatterCount > kMaxPlannedCount ||
        settings.scatterCount < 1 || !(settings.dissipation >= 0.0f && settings.dissipation <= 1.0f))
        return false;
    for (const WalkTriple &t : triples)
        if (!t.position.pageTable || !t.direction.pageTable || !t.intensity.pageTable || !t.position.write ||
            !t.direction.write || !t.intensity.write)
            return false;
    return true;
}

TraceStatus PlannedWalk::tracePoint(GA_Offset p, int64_t k)
{
    State &s = *myState;
    return s.walk(int64_t(p - s.begin) * int64_t(s.triples.size()) + k);
}

int64_t PlannedWalk::discardedRays() const { return myState->plan.discarded() + myState->discarded; }

void PlannedWalk::run(const std::function<void()> &walk)
{
    State &s = *myState;
    // Rays still handed out when the walk stops stay in the ring for the
    // walk's next call. The queue is closed before the helpers are told to
    // stop, so that sleeping helpers wake to see it.
    s.queue.open();
    UTrunWithHelpers(
        UTgetMaxThreads() - 1, [&](const std::atomic<bool> &) { s.queue.help(); },
        [&]() {
            try
            {
                walk();
            }
            catch (...)
            {
                s.queue.close();
                throw;
            }
            s.queue.close();
        });
}
