#include "trace/planned_walk.h"

#include "math/scatter.h"
#include "trace/walk_plan.h"
#include "trace/walk_steps.h"

#include <UT/UT_ParallelUtil.h>

#include <algorithm>

namespace {

// Beyond these sizes the sequential walk is used: large sets spread over
// threads by themselves, and deep chains would keep a long plan of ancestors.
constexpr int32_t kMaxPlannedCount = 1024;
constexpr int32_t kMaxPlannedDepth = 256;

} // namespace

struct PlannedWalk::State
{
    State(GU_Detail &g, std::vector<WalkTriple> t, GA_Offset b, GA_Offset e, const Collider &c,
          const WalkSettings &s, TraceControl &ctl)
        : gdp(g), triples(std::move(t)), begin(b), control(ctl), plan(triples, b, e, c, s, sceneRandomEngine),
          expectedEngine(sceneRandomEngine)
    {
    }

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
            plan.planAfresh(entered, sceneRandomEngine);
            expectedEngine = sceneRandomEngine;
        }
        return true;
    }

    // Frames the walk has reached but not yet entered, because entering
    // would have polled the interrupt callback off the calling thread.
    struct PendingEnter
    {
        int64_t frame = -1;
        GA_Offset offset = 0;
    };

    // Walks on while traces are at hand. Returns Blocked (as Finished with
    // `blocked` set) when the next ray is not traced yet, or when a poll is
    // due and polling is not allowed here.
    TraceStatus advance(const WalkTriple &t, bool mayPoll, bool &blocked)
    {
        blocked = false;
        for (;;)
        {
            if (pending.frame != -1)
            {
                if (!mayPoll && countingPolls(plan.frame(pending.frame).rays.size()))
                {
                    blocked = true;
                    return TraceStatus::Finished;
                }
                const PendingEnter next = pending;
                pending = PendingEnter();
                if (!enter(next.frame, next.offset, t))
                    return TraceStatus::Interrupted;
            }
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
            if (hit.empty())
                continue;
            const float d2 = travelledSquared(top.position, hit.position);
            if (!movedFar(d2))
                continue;

            if (gdp.getNumPoints() >= control.pointLimit)
                return TraceStatus::PointLimit;
            const GA_Offset q = gdp.getPointMap().addElementBlock(1);
            writeVector(t.position, q, hit.position);
            writeVector(t.direction, q, hit.direction);
            writeVector(t.intensity, q, attenuate(top.intensity, hit.surfaceIntensity, d2));
            if (frame.depth - 1 <= 0)
                continue;
            while (frame.rays[size_t(i)].child == -1)
                plan.planOne();
            pending = {frame.rays[size_t(i)].child, q};
        }
    }

    TraceStatus walk(int64_t tree)
    {
        while (plan.empty() || plan.lastTree() < tree)
            if (!plan.planOne())
                return TraceStatus::Finished; // nothing of this tree can be planned
        const WalkTriple &t = triples[size_t(tree % int64_t(triples.size()))];
        enter(plan.firstId(), begin + GA_Offset(tree / int64_t(triples.size())), t); // a primary set: no draws, no polls
        for (;;)
        {
            bool blocked = false;
            const TraceStatus status = advance(t, true, blocked);
            if (!blocked)
                return status;
            // A pipeline: each round is traced while the walk commits the
            // traces of the round before it; the walk then helps with the
            // round. Back to the loop above when a poll is due.
            do
            {
                plan.gather();
                TraceStatus walked = TraceStatus::Finished;
                bool walkedBlocked = false;
                // Task 0 walks; the others trace a few rays each. One flat
                // region, so that a thread done with its task takes another.
                const size_t n = plan.gathered();
                const size_t chunk = std::max<size_t>(1, n / (2 * size_t(UTgetMaxThreads())));
                const size_t tasks = 1 + (n + chunk - 1) / chunk;
                UTparallelFor(0, tasks, 1, [&](size_t first, size_t last) {
                    for (size_t task = first; task < last; ++task)
                        if (task == 0)
                            walked = advance(t, false, walkedBlocked);
                        else
                            plan.traceGathered((task - 1) * chunk, std::min(n, task * chunk));
                });
                plan.store();
                if (!walkedBlocked)
                    return walked;
            } while (!pollDue());
        }
    }

    bool pollDue() const
    {
        return pending.frame != -1 && countingPolls(plan.frame(pending.frame).rays.size());
    }

    PendingEnter pending;
};

PlannedWalk::PlannedWalk(GU_Detail &gdp, std::vector<WalkTriple> triples, GA_Offset begin, GA_Offset end,
                         const Collider &collider, const WalkSettings &settings, TraceControl &control)
    : myState(new State(gdp, std::move(triples), begin, end, collider, settings, control))
{
}

PlannedWalk::~PlannedWalk() = default;

bool PlannedWalk::suitable(const std::vector<WalkTriple> &triples, const WalkSettings &settings)
{
    if (settings.depth < 1 || settings.depth > kMaxPlannedDepth || settings.scatterCount > kMaxPlannedCount ||
        settings.scatterCount < 0 || !(settings.dissipation >= 0.0f && settings.dissipation <= 1.0f))
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

int64_t PlannedWalk::discardedRays() const
{
    return myState->plan.discarded();
}
