#include "trace/walk_plan.h"

#include "math/scatter.h"
#include "trace/walk_steps.h"

#include <algorithm>

namespace
{

// Rays planned beyond the walk, at most (one set more may be added).
constexpr size_t kPlanWindow = 2048;

bool moves(const PlanFrame &frame, const PlanRay &ray)
{
    return !ray.result.empty() && movedFar(travelledSquared(frame.origin, ray.result.position));
}

}  // namespace

WalkPlan::WalkPlan(const std::vector<WalkTriple> &triples, GA_Offset begin, GA_Offset end, const Collider &collider,
                   const WalkSettings &settings, const std::mt19937 &engine)
    : myTriples(triples), myBegin(begin), myCollider(collider), mySettings(settings),
      myTreeCount(int64_t(end - begin) * int64_t(triples.size())), myLookahead(engine)
{}

const WalkTriple &WalkPlan::tripleOf(int64_t tree) const { return myTriples[size_t(tree % int64_t(myTriples.size()))]; }

GA_Offset WalkPlan::pointOf(int64_t tree) const { return myBegin + GA_Offset(tree / int64_t(myTriples.size())); }

void WalkPlan::drop(PlanFrame &frame)
{
    myPlannedRays -= frame.rays.size();
    frame.live = false;
    frame.rays.clear();
}

void WalkPlan::trimEnds()
{
    while (!myPlan.empty() && !myPlan.front().live)
    {
        myPlan.pop_front();
        ++myBaseId;
    }
    while (!myPlan.empty() && !myPlan.back().live)
        myPlan.pop_back();
    if (myPlan.empty())
        myBaseId = myNextId;
}

void WalkPlan::erase(int64_t id)
{
    ++myVersion;
    drop(frame(id));
    trimEnds();
}

void WalkPlan::entered(int64_t id)
{
    ++myVersion;
    PlanFrame &f = frame(id);
    if (f.primary)
        return;
    if (!f.ready)
        makeReady(f);
    myDrawn += 4 * int64_t(f.rays.size());
    const size_t buffered = myOutputs.size() - myOutputsStart;
    const size_t released = size_t(std::min(myDrawn - myOutputsBase, int64_t(buffered)));
    myOutputsStart += released;
    myOutputsBase += int64_t(released);
    // The released outputs are removed in bulk, once they are most of the
    // buffer, so that each is moved about once.
    if (myOutputsStart >= 4096 && myOutputsStart * 2 >= myOutputs.size())
    {
        myOutputs.erase(myOutputs.begin(), myOutputs.begin() + std::ptrdiff_t(myOutputsStart));
        myOutputsStart = 0;
    }
}

int64_t WalkPlan::addFrame(PlanFrame &&frame)
{
    const int64_t id = myNextId++;
    myPlannedRays += frame.rays.size();
    frame.live = true;
    // Dropped frames at the end left ids unused: holes keep the ring
    // indexed by id.
    if (myPlan.empty())
        myBaseId = id;
    while (myBaseId + int64_t(myPlan.size()) < id)
        myPlan.emplace_back();
    myPlan.push_back(std::move(frame));
    return id;
}

bool WalkPlan::decides(const PlanFrame &frame) const
{
    return frame.depth > 1 && nextScatterCount(frame.scatterCount, mySettings.dissipation) > 0;
}

bool WalkPlan::guessMoves(const PlanRay &ray) const { return ray.side < 0 || mySideTally[ray.side] >= 0; }

void WalkPlan::learn(int8_t side, bool moved)
{
    if (side < 0)
        return;
    int8_t &tally = mySideTally[side];
    if (moved && tally < 15)
        ++tally;
    else if (!moved && tally > -16)
        --tally;
}

PlanStep WalkPlan::planOne()
{
    for (;;)
    {
        if (myPlanner.empty())
        {
            if (myPlannerTree == myTreeCount)
                return PlanStep::Done;
            const int64_t tree = myPlannerTree++;
            const WalkTriple &t = tripleOf(tree);
            const GA_Offset p = pointOf(tree);
            PlanFrame root;
            root.tree = tree;
            root.depth = mySettings.depth;
            root.scatterCount = mySettings.scatterCount;
            root.primary = true;
            root.draw = myPlannerDraw;
            root.ready = true;
            root.origin = readVector(t.position, p);
            root.rays.resize(1);
            root.rays[0].direction = t.primaries[p - myBegin].direction;
            root.rays[0].result = t.primaries[p - myBegin].result;
            root.rays[0].traced = true;
            myPlanner.push_back({addFrame(std::move(root)), 0});
            return PlanStep::Planned;
        }
        EnteredFrame &cursor = myPlanner.back();
        // The walk may have finished a frame before its last ray was
        // looked at here: then nothing beneath it is left to plan.
        if (!has(cursor.frame) || size_t(cursor.next) == frame(cursor.frame).rays.size())
        {
            myPlanner.pop_back();
            continue;
        }
        PlanFrame &frame = this->frame(cursor.frame);
        // Rays beneath which nothing would be entered never move a later
        // frame's draws: they are passed without a guess.
        if (!decides(frame))
        {
            cursor.next = int32_t(frame.rays.size());
            continue;
        }
        const int32_t i = cursor.next;
        PlanRay &ray = frame.rays[size_t(i)];
        if (!ray.traced && !frame.ready && !makeReady(frame))
            return PlanStep::Waiting;
        ++cursor.next;
        ray.mark = myNextId;
        if (ray.traced ? !moves(frame, ray) : !guessMoves(ray))
            continue;
        PlanFrame child;
        child.tree = frame.tree;
        child.depth = frame.depth - 1;
        child.scatterCount = nextScatterCount(frame.scatterCount, mySettings.dissipation);
        child.draw = myPlannerDraw;
        child.parent = cursor.frame;
        child.parentRay = i;
        child.rays.resize(size_t(child.scatterCount));
        myPlannerDraw += 4 * int64_t(child.scatterCount);
        const int64_t id = addFrame(std::move(child));
        ray.child = id;
        myPlanner.push_back({id, 0});
        return PlanStep::Planned;
    }
}

// Ray i of frame `parent` turned out otherwise than planned (it stays with a
// frame planned beneath it, or moves without one): every frame planned after
// the ray is dropped, and planning resumes at the ray.
void WalkPlan::replanAfter(int64_t parent, int32_t i)
{
    const int64_t firstId = frame(parent).rays[size_t(i)].mark;
    bool first = true;
    for (int64_t id = std::max(firstId, myBaseId); id < myBaseId + int64_t(myPlan.size()); ++id)
    {
        PlanFrame &f = frame(id);
        if (!f.live)
            continue;
        if (first)
            myPlannerDraw = f.draw;
        first = false;
        for (const PlanRay &r : f.rays)
            myDiscarded += r.traced ? 1 : 0;
        drop(f);
    }
    // The parent stays, so the ring does not empty.
    trimEnds();
    // The rays after ray i on the path up to the tree's root are planned
    // beneath again: they lose their links and marks.
    myPlanner.clear();
    int32_t from = i;
    for (int64_t id = parent; id != -1;)
    {
        PlanFrame &f = frame(id);
        for (size_t j = size_t(from); j < f.rays.size(); ++j)
        {
            f.rays[j].child = -1;
            f.rays[j].mark = -1;
        }
        myPlanner.push_back({id, from});
        from = f.parentRay + 1;
        id = f.parent;
    }
    std::reverse(myPlanner.begin(), myPlanner.end());
    myPlannerTree = frame(parent).tree + 1;
}

// Computes the origin and directions of a frame whose parent ray is
// traced and moved.
bool WalkPlan::makeReady(PlanFrame &frame)
{
    const PlanFrame &parent = this->frame(frame.parent);
    const PlanRay &from = parent.rays[size_t(frame.parentRay)];
    if (!from.traced || !moves(parent, from))  // a frame beneath a ray that stays is dropped
        return false;
    frame.origin = from.result.position;
    const AxisRotation rotation = frameFor(from.result.direction);
    const size_t count = frame.rays.size();
    const int64_t needed = frame.draw + 4 * int64_t(count) - myOutputsBase;
    while (int64_t(myOutputs.size() - myOutputsStart) < needed)
        myOutputs.push_back(uint32_t(myLookahead()));
    myUnit.resize(count);
    scatterDirectionsFromOutputs(int32_t(count), mySettings.scatter,
                                 myOutputs.data() + myOutputsStart + size_t(frame.draw - myOutputsBase), myUnit.data());
    const UT_Vector3 &surface = from.result.surfaceDirection;
    for (size_t k = 0; k < count; ++k)
    {
        PlanRay &ray = frame.rays[k];
        ray.direction = applyRotation(rotation, myUnit[k]);
        ray.side = dot(ray.direction, surface) > 0.0f ? 1 : 0;
    }
    frame.ready = true;
    return true;
}

const std::vector<TraceItem> &WalkPlan::gather(size_t most)
{
    myItems.clear();
    // Frames before the first one with rays still to hand out, or not ready
    // yet, need no look again: the scan starts after them next time.
    bool advancing = true;
    for (int64_t id = std::max(myScanFrom, myBaseId); myItems.size() < most; ++id)
    {
        // Past the end (holes there are trimmed), plan on: the next frame's
        // id is at least this one.
        if (id >= myBaseId + int64_t(myPlan.size()) && (myPlannedRays >= kPlanWindow || planOne() != PlanStep::Planned))
            break;
        PlanFrame &frame = this->frame(id);
        bool pending = false;
        if (frame.live && (frame.ready || makeReady(frame)))
        {
            for (size_t j = 0; j < frame.rays.size(); ++j)
            {
                PlanRay &ray = frame.rays[j];
                if (ray.traced || ray.queued)
                    continue;
                if (myItems.size() == most)
                {
                    pending = true;
                    break;
                }
                ray.queued = true;
                myItems.push_back({id, int32_t(j), frame.origin, ray.direction});
            }
        }
        else if (frame.live)
            pending = true;
        if (advancing && !pending)
            myScanFrom = id + 1;
        else
            advancing = false;
    }
    return myItems;
}

bool WalkPlan::store(int64_t id, int32_t i, const BounceResult &result)
{
    ++myVersion;
    PlanFrame &frame = this->frame(id);
    PlanRay &ray = frame.rays[size_t(i)];
    ray.result = result;
    ray.traced = true;
    ray.queued = false;
    if (ray.mark != -1 && decides(frame) && (ray.child != -1) != moves(frame, ray))
    {
        replanAfter(id, i);
        return true;
    }
    return false;
}

void WalkPlan::requeue(int64_t id, int32_t i)
{
    ++myVersion;
    frame(id).rays[size_t(i)].queued = false;
    myScanFrom = std::min(myScanFrom, id);
}

void WalkPlan::planAfresh(const std::vector<EnteredFrame> &entered, int64_t firstTree, const std::mt19937 &engine)
{
    ++myVersion;
    const auto isEntered = [&](int64_t id) {
        return std::any_of(entered.begin(), entered.end(), [&](const EnteredFrame &e) { return e.frame == id; });
    };
    // Entered frames are ready (see entered()): their directions came from
    // the outputs drawn before the change, and stay. Their rays the walk
    // has not reached yet are planned beneath again.
    for (const EnteredFrame &e : entered)
    {
        std::vector<PlanRay> &rays = frame(e.frame).rays;
        for (size_t j = size_t(e.next); j < rays.size(); ++j)
        {
            rays[j].child = -1;
            rays[j].mark = -1;
        }
    }
    for (int64_t id = myBaseId; id < myBaseId + int64_t(myPlan.size()); ++id)
    {
        PlanFrame &f = frame(id);
        if (!f.live || isEntered(id))
            continue;
        for (const PlanRay &r : f.rays)
            myDiscarded += r.traced ? 1 : 0;
        drop(f);
    }
    trimEnds();
    myPlanner = entered;
    myPlannerTree = entered.empty() ? firstTree : frame(entered.front().frame).tree + 1;
    myPlannerDraw = myDrawn;
    myLookahead = engine;
    myOutputs.clear();
    myOutputsStart = 0;
    myOutputsBase = myDrawn;
    myScanFrom = 0;
}
