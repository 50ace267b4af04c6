// The plan of the trace-ahead walk (planned_walk.h): the points the walk
// will reach, in depth-first pre-order, on a guess of whether each ray not
// yet traced moves, each with the engine position its direction set is drawn
// from; the engine outputs drawn ahead for them; and the choice of the
// earliest planned rays to hand to the tracing threads.
//
// Frames have ids handed out in pre-order and never reused, so a plan made
// afresh after some ray always has larger ids than what stays. They are kept
// in a flat ring indexed by id (a frame dropped in the middle leaves a hole
// until the ends pass it), and the engine outputs drawn ahead in one buffer
// that frames read in place. The walk
// reads frames, erases those it has finished with and tells the plan when it
// draws; everything else about planning is in here.
#pragma once

#include "trace/planned_walk.h"

#include <cstdint>
#include <deque>
#include <random>
#include <vector>

// One planned ray: its direction once its frame is ready, its trace once
// traced.
struct PlanRay
{
    UT_Vector3 direction;
    BounceResult result;
    bool traced = false;
    bool queued = false;  // handed to the tracers, trace not back yet
    // Which side of the surface at its origin the ray leaves by (its
    // direction against the surface direction there), once its frame is
    // ready: the guess of whether it moves is made per side.
    int8_t side = -1;
    int64_t child = -1;  // the frame planned beneath this ray, if any
    // The id the next planned frame got when the planner passed this ray:
    // every frame from this id on lies after the ray in pre-order. -1 while
    // the planner has not passed it.
    int64_t mark = -1;
};

// What planOne did.
enum class PlanStep
{
    Planned,  // one more frame
    Waiting,  // the next ray to plan beneath belongs to a frame whose parent is not traced yet
    Done      // the batch has nothing more to plan
};

// One planned point of the walk and its direction set.
struct PlanFrame
{
    int64_t tree = 0;  // position of its (point, triple) in the batch's order
    int32_t depth = 0;
    int32_t scatterCount = 0;  // the frame's own count
    bool primary = false;
    int64_t draw = 0;  // engine position of its first output
    int64_t parent = -1;
    int32_t parentRay = -1;
    bool ready = false;  // origin and directions known
    bool live = false;   // false for a hole left by a dropped frame
    UT_Vector3 origin;
    std::vector<PlanRay> rays;
};

// A ray gathered for the tracers.
struct TraceItem
{
    int64_t frame;
    int32_t ray;
    UT_Vector3 origin;
    UT_Vector3 direction;
};

// A frame the walk has entered, and the next of its rays it will walk.
struct EnteredFrame
{
    int64_t frame;
    int32_t next;
};

class WalkPlan
{
public:
    // Plans the trees of points [begin, end) for every triple in order,
    // with the engine's outputs drawn from a copy of `engine`.
    WalkPlan(const std::vector<WalkTriple> &triples, GA_Offset begin, GA_Offset end, const Collider &collider,
             const WalkSettings &settings, const std::mt19937 &engine);

    // Frames asked for must be planned (has()).
    PlanFrame &frame(int64_t id) { return myPlan[size_t(id - myBaseId)]; }
    const PlanFrame &frame(int64_t id) const { return myPlan[size_t(id - myBaseId)]; }
    bool has(int64_t id) const { return id >= myBaseId && id < myBaseId + int64_t(myPlan.size()) && frame(id).live; }
    bool empty() const { return myPlan.empty(); }
    int64_t firstId() const { return myBaseId; }
    int64_t lastTree() const { return myPlan.back().tree; }
    // Forgets a frame the walk has finished.
    void erase(int64_t id);

    // Plans one more frame. Beneath a traced ray a frame is planned when
    // the ray moved; beneath an untraced one when the ray is guessed to
    // move, which needs its direction, so planning waits at a frame whose
    // parent is not traced yet.
    PlanStep planOne();

    // True when ray i of `frame` decides where later frames draw from: a
    // frame with at least one ray would be entered beneath it if it moved.
    bool decides(const PlanFrame &frame) const;
    // The walk tells the outcome of a deciding ray, for later guesses.
    void learn(int8_t side, bool moved);

    // Gathers up to `most` of the earliest rays neither traced nor handed
    // out (planning further when needed) and marks them handed out.
    const std::vector<TraceItem> &gather(size_t most);
    // Stores the trace of a handed-out ray whose frame is still planned.
    // True when the ray stays and the plan after it was dropped.
    bool store(int64_t frame, int32_t ray, const BounceResult &result);
    // A handed-out ray that came back untraced is to be handed out again.
    void requeue(int64_t frame, int32_t ray);

    // The walk enters frame `id`: its directions are computed now if they
    // are not yet (the outputs they come from are then released), and the
    // walk has drawn its outputs from the process engine.
    void entered(int64_t id);
    // Drops every frame not entered and plans again from the entered ones
    // (from tree `firstTree` when none is), with the outputs from now on
    // drawn from a copy of `engine`.
    void planAfresh(const std::vector<EnteredFrame> &entered, int64_t firstTree, const std::mt19937 &engine);

    // Rays traced and then thrown away by a new plan.
    int64_t discarded() const { return myDiscarded; }

    // Changes whenever something gather() looks at may have changed (a
    // trace stored, a frame entered or finished, a new plan): a gather that
    // found nothing finds nothing again until then.
    uint64_t version() const { return myVersion; }

private:
    int64_t addFrame(PlanFrame &&frame);
    void replanAfter(int64_t parent, int32_t i);
    bool makeReady(PlanFrame &frame);
    bool guessMoves(const PlanRay &ray) const;
    // Drops a planned frame; the ring's ends move past holes.
    void drop(PlanFrame &frame);
    void trimEnds();
    const WalkTriple &tripleOf(int64_t tree) const;
    GA_Offset pointOf(int64_t tree) const;

    const std::vector<WalkTriple> &myTriples;
    GA_Offset myBegin;
    const Collider &myCollider;
    WalkSettings mySettings;
    int64_t myTreeCount;

    // Frame myBaseId + i is myPlan[i]; both ends are live frames.
    std::deque<PlanFrame> myPlan;
    int64_t myBaseId = 0;
    int64_t myNextId = 0;
    size_t myPlannedRays = 0;
    int64_t myScanFrom = 0;  // frames below this id have nothing left to hand out
    int64_t myDiscarded = 0;
    uint64_t myVersion = 0;

    // The planner's depth-first position: frames with the next ray to plan
    // beneath, the next tree to start and the engine position of the next
    // frame.
    std::vector<EnteredFrame> myPlanner;
    int64_t myPlannerTree = 0;
    int64_t myPlannerDraw = 0;

    // Outputs drawn ahead: myOutputs[myOutputsStart + i] is the output at
    // position myOutputsBase + i, positions counted from the walk's start.
    std::mt19937 myLookahead;
    std::vector<uint32_t> myOutputs;
    size_t myOutputsStart = 0;
    int64_t myOutputsBase = 0;
    int64_t myDrawn = 0;  // outputs the walk has drawn

    // Per side of the surface (see PlanRay::side), a saturating tally of
    // recent outcomes: at or above zero guesses that a ray moves.
    int8_t mySideTally[2] = {0, 0};

    std::vector<TraceItem> myItems;
    std::vector<UT_Vector3> myUnit;
};
