#include "trace/walk_plan.h"

#include "math/scatter.h"
#include "trace/walk_steps.h"

#include <algorithm>

namespace
{

// Rays planned beyond the walk, at most (one set more may be added).
constexpr size_t kPlanWindow = 2048;
// Rays of a round may lie behind at most this many untraced rays that could
// drop them (besides the round's first frame).
constexpr size_t kMaxRisk = 4;

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

void WalkPlan::erase(int64_t id)
{
    ++myVersion;
    const auto it = myPlan.find(id);
    myPlannedRays -= it->second.rays.size();
    myPlan.erase(it);
}

void WalkPlan::entered(int64_t id)
{
    ++myVersion;
    PlanFrame &frame = myPlan.at(id);
    if (frame.primary)
        return;
    if (!frame.ready)
        makeReady(frame);
    myDrawn += 4 * int64_t(frame.rays.size());
    while (myOutputsBase < myDrawn && !myOutputs.empty())
    {
        myOutputs.pop_front();
        ++myOutputsBase;
    }
}

int64_t WalkPlan::addFrame(PlanFrame &&frame)
{
    const int64_t id = myNextId++;
    myPlannedRays += frame.rays.size();
    myPlan.emplace(id, std::move(frame));
    return id;
}

bool WalkPlan::planOne()
{
    for (;;)
    {
        if (myPlanner.empty())
        {
            if (myPlannerTree == myTreeCount)
                return false;
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
            return true;
        }
        EnteredFrame &cursor = myPlanner.back();
        const auto found = myPlan.find(cursor.frame);
        // The walk may have finished a frame before its last ray was
        // looked at here: then nothing beneath it is left to plan.
        if (found == myPlan.end() || size_t(cursor.next) == found->second.rays.size())
        {
            myPlanner.pop_back();
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
        child.scatterCount = nextScatterCount(frame.scatterCount, mySettings.dissipation);
        child.draw = myPlannerDraw;
        child.parent = cursor.frame;
        child.parentRay = i;
        const int32_t count = std::max(child.scatterCount, 0);
        child.rays.resize(size_t(count));
        myPlannerDraw += 4 * int64_t(count);
        const int64_t id = addFrame(std::move(child));
        ray.child = id;
        myPlanner.push_back({id, 0});
        return true;
    }
}

// Drops the frame planned beneath ray i of frame `parent`, which did not
// move, and every frame planned after it; planning resumes after the ray.
void WalkPlan::replanAfter(int64_t parent, int32_t i)
{
    PlanRay &ray = myPlan.at(parent).rays[size_t(i)];
    const auto first = myPlan.find(ray.child);
    ray.child = -1;
    myPlannerDraw = first->second.draw;
    const int64_t firstId = first->first;
    for (auto it = first; it != myPlan.end(); ++it)
    {
        // Frames that stay lose their links to dropped frames, so that
        // planning beneath their rays starts over.
        if (it->second.parent != -1 && it->second.parent < firstId)
            myPlan.at(it->second.parent).rays[size_t(it->second.parentRay)].child = -1;
        myPlannedRays -= it->second.rays.size();
        for (const PlanRay &r : it->second.rays)
            myDiscarded += r.traced ? 1 : 0;
    }
    myPlan.erase(first, myPlan.end());
    myPlanner.clear();
    int32_t next = i + 1;
    for (int64_t id = parent; id != -1;)
    {
        const PlanFrame &f = myPlan.at(id);
        myPlanner.push_back({id, next});
        next = f.parentRay + 1;
        id = f.parent;
    }
    std::reverse(myPlanner.begin(), myPlanner.end());
    myPlannerTree = myPlan.at(parent).tree + 1;
}

// Computes the origin and directions of a frame whose parent ray is
// traced and moved.
bool WalkPlan::makeReady(PlanFrame &frame)
{
    const PlanFrame &parent = myPlan.at(frame.parent);
    const PlanRay &from = parent.rays[size_t(frame.parentRay)];
    if (!from.traced || !moves(parent, from))  // a frame beneath a ray that stays is dropped
        return false;
    frame.origin = from.result.position;
    const AxisRotation rotation = frameFor(from.result.direction);
    const size_t count = frame.rays.size();
    const int64_t needed = frame.draw + 4 * int64_t(count) - myOutputsBase;
    while (int64_t(myOutputs.size()) < needed)
        myOutputs.push_back(uint32_t(myLookahead()));
    myDrawnAhead.assign(myOutputs.begin() + (frame.draw - myOutputsBase), myOutputs.begin() + needed);
    myUnit.resize(count);
    scatterDirectionsFromOutputs(int32_t(count), mySettings.scatter, myDrawnAhead.data(), myUnit.data());
    for (size_t k = 0; k < count; ++k)
        frame.rays[k].direction = applyRotation(rotation, myUnit[k]);
    frame.ready = true;
    return true;
}

const std::vector<TraceItem> &WalkPlan::gather(size_t most)
{
    myItems.clear();
    auto it = myPlan.lower_bound(myScanFrom);
    bool advancing = true;
    // Untraced rays met so far whose staying would drop frames planned
    // after them: a frame behind many of them is a poor bet. (Later rays
    // of a frame are counted too, though they come after the frames
    // beneath its earlier rays; that only makes the count cautious.)
    size_t risk = 0;
    int64_t lastId = myPlan.empty() ? -1 : myPlan.rbegin()->first;
    while (myItems.size() < most)
    {
        if (it == myPlan.end())
        {
            if (myPlannedRays >= kPlanWindow || !planOne())
                break;
            it = myPlan.upper_bound(lastId);
            lastId = myPlan.rbegin()->first;
            continue;
        }
        PlanFrame &frame = it->second;
        if (risk > kMaxRisk)
            break;
        bool complete = frame.ready || makeReady(frame);
        const bool dropsFrames = frame.depth > 1 && nextScatterCount(frame.scatterCount, mySettings.dissipation) > 0;
        for (size_t j = 0; j < frame.rays.size(); ++j)
        {
            PlanRay &ray = frame.rays[j];
            if (ray.traced)
                continue;
            complete = false;
            risk += dropsFrames ? 1 : 0;
            if (frame.ready && !ray.queued && myItems.size() < most)
            {
                ray.queued = true;
                myItems.push_back({it->first, int32_t(j), frame.origin, ray.direction});
            }
        }
        if (advancing && complete)
            myScanFrom = it->first + 1;
        else
            advancing = false;
        ++it;
    }
    return myItems;
}

bool WalkPlan::store(int64_t id, int32_t i, const BounceResult &result)
{
    ++myVersion;
    PlanFrame &frame = myPlan.at(id);
    PlanRay &ray = frame.rays[size_t(i)];
    ray.result = result;
    ray.traced = true;
    ray.queued = false;
    if (ray.child != -1 && !moves(frame, ray))
    {
        replanAfter(id, i);
        return true;
    }
    return false;
}

void WalkPlan::requeue(int64_t id, int32_t i)
{
    ++myVersion;
    myPlan.at(id).rays[size_t(i)].queued = false;
}

void WalkPlan::planAfresh(const std::vector<EnteredFrame> &entered, int64_t firstTree, const std::mt19937 &engine)
{
    ++myVersion;
    const auto isEntered = [&](int64_t id) {
        return std::any_of(entered.begin(), entered.end(), [&](const EnteredFrame &e) { return e.frame == id; });
    };
    // Entered frames are ready (see entered()): their directions came from
    // the outputs drawn before the change, and stay.
    for (auto it = myPlan.begin(); it != myPlan.end();)
    {
        if (isEntered(it->first))
        {
            for (PlanRay &ray : it->second.rays)
                if (!isEntered(ray.child))
                    ray.child = -1;
            ++it;
            continue;
        }
        for (const PlanRay &r : it->second.rays)
            myDiscarded += r.traced ? 1 : 0;
        myPlannedRays -= it->second.rays.size();
        it = myPlan.erase(it);
    }
    myPlanner = entered;
    myPlannerTree = entered.empty() ? firstTree : myPlan.at(entered.front().frame).tree + 1;
    myPlannerDraw = myDrawn;
    myLookahead = engine;
    myOutputs.clear();
    myOutputsBase = myDrawn;
    myScanFrom = 0;
}
