#include "trace/planned_walk.h"

#include "math/scatter.h"
#include "trace/walk_steps.h"

#include <UT/UT_ParallelUtil.h>

#include <algorithm>
#include <deque>
#include <map>
#include <random>

namespace {

// Beyond these sizes the sequential walk is used: large sets spread over
// threads by themselves, and deep chains would keep a long plan of ancestors.
constexpr int32_t kMaxPlannedCount = 1024;
constexpr int32_t kMaxPlannedDepth = 256;
// Rays planned beyond the walk, at most (one set more may be added).
constexpr size_t kPlanWindow = 2048;
// Rays traced together in one round, earliest first.
constexpr size_t kRoundRays = 32;
// Rays of a round may lie behind at most this many untraced rays that could
// drop them (besides the round's first frame).
constexpr size_t kMaxRisk = 4;

struct PlanRay
{
    UT_Vector3 direction;
    BounceResult result;
    bool traced = false;
    int64_t child = -1; // the frame planned beneath this ray, if any
};

struct PlanFrame
{
    int64_t tree = 0; // position of its (point, triple) in the batch's order
    int32_t depth = 0;
    int32_t scatterCount = 0; // the frame's own count
    bool primary = false;
    int64_t draw = 0; // engine position of its first output
    int64_t parent = -1;
    int32_t parentRay = -1;
    bool ready = false; // origin and directions known
    UT_Vector3 origin;
    std::vector<PlanRay> rays;
};

bool moves(const PlanFrame &frame, const PlanRay &ray)
{
    return !ray.result.empty() && movedFar(travelledSquared(frame.origin, ray.result.position));
}

struct TraceItem
{
    int64_t frame;
    int32_t ray;
    UT_Vector3 origin;
    UT_Vector3 direction;
    BounceResult result;
};

} // namespace

struct PlannedWalk::State
{
    State(GU_Detail &g, std::vector<WalkTriple> t, GA_Offset b, GA_Offset e, const Collider &c,
          const WalkSettings &s, TraceControl &ctl)
        : gdp(g), triples(std::move(t)), begin(b), collider(c), settings(s), control(ctl),
          treeCount(int64_t(e - b) * int64_t(triples.size())), lookahead(sceneRandomEngine),
          expectedEngine(sceneRandomEngine)
    {
    }

    GU_Detail &gdp;
    std::vector<WalkTriple> triples;
    GA_Offset begin;
    const Collider &collider;
    WalkSettings settings;
    TraceControl &control;
    int64_t treeCount;

    // The plan: frames by id, ids handed out in pre-order and never reused.
    std::map<int64_t, PlanFrame> plan;
    int64_t nextId = 0;
    size_t plannedRays = 0;
    int64_t scanFrom = 0; // frames below this id are ready and fully traced
    int64_t discarded = 0;

    // The planner's depth-first position: frames with the next ray to plan
    // beneath, the next tree to start and the engine position of the next
    // frame, all assuming untraced rays move.
    struct PlanCursor
    {
        int64_t frame;
        int32_t next;
    };
    std::vector<PlanCursor> planner;
    int64_t plannerTree = 0;
    int64_t plannerDraw = 0;

    // Engine outputs drawn ahead from a copy of the engine: outputs[i] is the
    // output at position outputsBase + i, positions counted from the walk's
    // start.
    std::mt19937 lookahead;
    std::deque<uint32_t> outputs;
    int64_t outputsBase = 0;
    // Where the process engine stands if nothing but the walk draws from it.
    std::mt19937 expectedEngine;
    int64_t committedDraws = 0;

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

    std::vector<TraceItem> items;
    std::vector<UT_Vector3> unit;
    std::vector<uint32_t> drawn;

    const WalkTriple &tripleOf(int64_t tree) const { return triples[size_t(tree % int64_t(triples.size()))]; }
    GA_Offset pointOf(int64_t tree) const { return begin + GA_Offset(tree / int64_t(triples.size())); }

    int64_t addFrame(PlanFrame &&frame)
    {
        const int64_t id = nextId++;
        plannedRays += frame.rays.size();
        plan.emplace(id, std::move(frame));
        return id;
    }

    // Plans one more frame; false when the batch has nothing more to plan.
    bool planOne()
    {
        for (;;)
        {
            if (planner.empty())
            {
                if (plannerTree == treeCount)
                    return false;
                const int64_t tree = plannerTree++;
                const WalkTriple &t = tripleOf(tree);
                const GA_Offset p = pointOf(tree);
                PlanFrame root;
                root.tree = tree;
                root.depth = settings.depth;
                root.scatterCount = settings.scatterCount;
                root.primary = true;
                root.draw = plannerDraw;
                root.ready = true;
                root.origin = readVector(t.position, p);
                root.rays.resize(1);
                root.rays[0].direction = primaryDirection(readVector(t.direction, p));
                root.rays[0].result = t.primaries[p - begin];
                root.rays[0].traced = true;
                planner.push_back({addFrame(std::move(root)), 0});
                return true;
            }
            PlanCursor &cursor = planner.back();
            const auto found = plan.find(cursor.frame);
            // The walk may have finished a frame before its last ray was
            // looked at here: then nothing beneath it is left to plan.
            if (found == plan.end() || size_t(cursor.next) == found->second.rays.size())
            {
                planner.pop_back();
                continue;
            }
            PlanFrame &frame = found->second;
            const int32_t i = cursor.next++;
            const int32_t childDepth = frame.depth - 1;
            PlanRay &ray = frame.rays[size_t(i)];
            if (childDepth <= 0 || (ray.traced && !moves(frame, ray)))
                continue;
            PlanFrame child;
            child.tree = frame.tree;
            child.depth = childDepth;
            child.scatterCount = nextScatterCount(frame.scatterCount, settings.dissipation);
            child.draw = plannerDraw;
            child.parent = cursor.frame;
            child.parentRay = i;
            const int32_t count = std::max(child.scatterCount, 0);
            child.rays.resize(size_t(count));
            plannerDraw += 4 * int64_t(count);
            const int64_t id = addFrame(std::move(child));
            ray.child = id;
            planner.push_back({id, 0});
            return true;
        }
    }

    // Drops the frame planned beneath ray i of frame `parent`, which did not
    // move, and every frame planned after it; planning resumes after the ray.
    void replanAfter(int64_t parent, int32_t i)
    {
        PlanRay &ray = plan.at(parent).rays[size_t(i)];
        const auto first = plan.find(ray.child);
        ray.child = -1;
        plannerDraw = first->second.draw;
        const int64_t firstId = first->first;
        for (auto it = first; it != plan.end(); ++it)
        {
            // Frames that stay lose their links to dropped frames, so that
            // planning beneath their rays starts over.
            if (it->second.parent != -1 && it->second.parent < firstId)
                plan.at(it->second.parent).rays[size_t(it->second.parentRay)].child = -1;
            plannedRays -= it->second.rays.size();
            for (const PlanRay &r : it->second.rays)
                discarded += r.traced ? 1 : 0;
        }
        plan.erase(first, plan.end());
        planner.clear();
        int32_t next = i + 1;
        for (int64_t id = parent; id != -1;)
        {
            const PlanFrame &f = plan.at(id);
            planner.push_back({id, next});
            next = f.parentRay + 1;
            id = f.parent;
        }
        std::reverse(planner.begin(), planner.end());
        plannerTree = plan.at(parent).tree + 1;
    }

    // Computes the origin and directions of a frame whose parent ray is
    // traced and moved.
    bool makeReady(PlanFrame &frame)
    {
        const PlanFrame &parent = plan.at(frame.parent);
        const PlanRay &from = parent.rays[size_t(frame.parentRay)];
        if (!from.traced || !moves(parent, from)) // a frame beneath a ray that stays is dropped
            return false;
        frame.origin = from.result.position;
        const AxisRotation rotation = frameFor(from.result.direction);
        const size_t count = frame.rays.size();
        const int64_t needed = frame.draw + 4 * int64_t(count) - outputsBase;
        while (int64_t(outputs.size()) < needed)
            outputs.push_back(uint32_t(lookahead()));
        drawn.assign(outputs.begin() + (frame.draw - outputsBase), outputs.begin() + needed);
        unit.resize(count);
        scatterDirectionsFromOutputs(int32_t(count), settings.scatter, drawn.data(), unit.data());
        for (size_t k = 0; k < count; ++k)
            frame.rays[k].direction = applyRotation(rotation, unit[k]);
        frame.ready = true;
        return true;
    }

    // Gathers the earliest untraced rays of the plan for tracing, planning
    // further when the plan runs out.
    void collectRound()
    {
        items.clear();
        auto it = plan.lower_bound(scanFrom);
        bool advancing = true;
        // Untraced rays met so far whose staying would drop frames planned
        // after them: a frame behind many of them is a poor bet. (Later rays
        // of a frame are counted too, though they come after the frames
        // beneath its earlier rays; that only makes the count cautious.)
        size_t risk = 0;
        int64_t lastId = plan.empty() ? -1 : plan.rbegin()->first;
        while (items.size() < kRoundRays)
        {
            if (it == plan.end())
            {
                if (plannedRays >= kPlanWindow || !planOne())
                    break;
                it = plan.upper_bound(lastId);
                lastId = plan.rbegin()->first;
                continue;
            }
            PlanFrame &frame = it->second;
            if (risk > kMaxRisk && !items.empty())
                break;
            bool complete = frame.ready || makeReady(frame);
            const bool dropsFrames = frame.depth > 1 && nextScatterCount(frame.scatterCount, settings.dissipation) > 0;
            for (size_t j = 0; j < frame.rays.size(); ++j)
                if (!frame.rays[j].traced)
                {
                    complete = false;
                    risk += dropsFrames ? 1 : 0;
                    if (frame.ready && items.size() < kRoundRays)
                        items.push_back({it->first, int32_t(j), frame.origin, frame.rays[j].direction, {}});
                }
            if (advancing && complete)
                scanFrom = it->first + 1;
            else
                advancing = false;
            ++it;
        }
    }

    // Traces the gathered rays on every thread available. Reads nothing but
    // the items and the collider, so the walk may go on meanwhile.
    void traceItems()
    {
        const size_t n = items.size();
        const size_t threads = size_t(std::max(UTgetMaxThreads(), 1));
        UTparallelFor(0, n, std::max<size_t>(1, n / (2 * threads)), [&](size_t b, size_t e) {
            for (size_t k = b; k < e; ++k)
            {
                UT_Vector3 origin = items[k].origin;
                UT_Vector3 direction = items[k].direction;
                items[k].result = traceBounces(origin, direction, collider, 1);
            }
        });
    }

    // Stores the traces of a round in the plan, and plans afresh after each
    // ray that stays while frames are planned beneath it.
    void mergeRound()
    {
        for (TraceItem &item : items)
        {
            const auto found = plan.find(item.frame);
            if (found == plan.end())
            {
                ++discarded; // dropped by a new plan earlier in this loop
                continue;
            }
            PlanFrame &frame = found->second;
            PlanRay &ray = frame.rays[size_t(item.ray)];
            ray.result = item.result;
            ray.traced = true;
            if (ray.child != -1 && !moves(frame, ray))
                replanAfter(item.frame, item.ray);
        }
    }

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
        const PlanFrame &frame = plan.at(id);
        bool polled = false;
        if (!frame.primary)
        {
            const size_t count = frame.rays.size();
            polled = countingPolls(count);
            sceneRandomEngine.discard(4 * count);
            expectedEngine.discard(4 * count);
            committedDraws += 4 * int64_t(count);
            if (!traceInChunks(control, count, [](size_t, size_t) {}))
                return false;
        }
        stack.push_back({id, 0, offset, readVector(t.position, offset), readVector(t.intensity, offset)});
        // Whatever runs inside the interrupt callback may draw from the
        // process engine (another cook, say). The sequential walk would go
        // on from where that leaves the engine, so the plan must too.
        if (polled && !(sceneRandomEngine == expectedEngine))
            planAfreshFromWalk();
        return true;
    }

    // Drops every planned frame the walk has not entered and plans again
    // from where the walk stands, with the engine as it is now.
    void planAfreshFromWalk()
    {
        // Entered frames drew from the engine before the callback ran: their
        // directions come from the outputs buffered so far.
        for (const WalkFrame &w : stack)
        {
            PlanFrame &frame = plan.at(w.frame);
            if (!frame.ready)
                makeReady(frame);
        }
        for (auto it = plan.begin(); it != plan.end();)
        {
            const bool entered = std::any_of(stack.begin(), stack.end(),
                                             [&](const WalkFrame &w) { return w.frame == it->first; });
            if (entered)
            {
                for (PlanRay &ray : it->second.rays)
                    if (!std::any_of(stack.begin(), stack.end(), [&](const WalkFrame &w) { return w.frame == ray.child; }))
                        ray.child = -1;
                ++it;
                continue;
            }
            for (const PlanRay &r : it->second.rays)
                discarded += r.traced ? 1 : 0;
            plannedRays -= it->second.rays.size();
            it = plan.erase(it);
        }
        planner.clear();
        for (const WalkFrame &w : stack)
            planner.push_back({w.frame, w.next});
        plannerTree = plan.at(stack.front().frame).tree + 1;
        plannerDraw = committedDraws;
        lookahead = sceneRandomEngine;
        expectedEngine = sceneRandomEngine;
        outputs.clear();
        outputsBase = committedDraws;
        scanFrom = 0;
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
                if (!mayPoll && countingPolls(plan.at(pending.frame).rays.size()))
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
            PlanFrame &frame = plan.at(top.frame);
            if (size_t(top.next) == frame.rays.size())
            {
                plannedRays -= frame.rays.size();
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
                planOne();
            pending = {frame.rays[size_t(i)].child, q};
        }
    }

    TraceStatus walk(int64_t tree)
    {
        while (plan.empty() || plan.rbegin()->second.tree < tree)
            if (!planOne())
                return TraceStatus::Finished; // nothing of this tree can be planned
        const WalkTriple &t = tripleOf(tree);
        enter(plan.begin()->first, pointOf(tree), t); // a primary set: no draws, no polls
        for (;;)
        {
            bool blocked = false;
            const TraceStatus status = advance(t, true, blocked);
            if (!blocked)
                return status;
            collectRound();
            // The walk goes on with the traces at hand while the round is
            // traced; it then waits for the round, helping with it.
            TraceStatus walked = TraceStatus::Finished;
            bool walkedBlocked = false;
            UTparallelInvoke([&]() { walked = advance(t, false, walkedBlocked); }, [&]() { traceItems(); });
            mergeRound();
            trimOutputs();
            if (!walkedBlocked)
                return walked;
        }
    }

    void trimOutputs()
    {
        while (outputsBase < committedDraws && !outputs.empty())
        {
            outputs.pop_front();
            ++outputsBase;
        }
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
    return myState->discarded;
}
