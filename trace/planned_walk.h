// The trace-ahead walk: the point walk of a batch of input points, with rays
// traced on several threads well before the walk reaches them.
//
// The walk itself is sequential: points are appended, attributes written and
// random numbers drawn in depth-first pre-order, exactly as tracePoint does.
// What it needs from a ray is only its trace, and a trace depends on the
// ray's origin and direction alone. The directions of a point's set depend on
// where the random engine stands when the walk reaches the point, which in
// turn depends on which earlier rays moved. So the walk plans ahead on a
// guess of which rays move: that fixes the engine position of every later
// point, and with the engine's outputs drawn ahead into a buffer, every
// planned point's directions can be computed as soon as its parent ray is
// traced. The guess for a ray not traced yet comes from the side of the
// surface at its origin that it leaves by (most rays that turn back into a
// surface leave the scene or stop at once, most that leave its front move),
// learnt from the outcomes the walk has met so far. The walk
// hands the earliest planned rays, a few at a time, to helper threads that
// live as long as the walk (trace/trace_queue.h) and takes their traces back
// as it goes; when the ray it needs next is not back yet, it traces handed-out
// rays itself. Everything else (appending, drawing, polling the interrupt)
// stays on the walking thread, the one that calls the walk.
//
// A ray that turns out otherwise than guessed (it stays with points planned
// beneath it, or moves without) moves every later engine position: the plan
// after it is dropped and made afresh from there, and rays handed out for the
// dropped part that no thread has started are withdrawn; the plan before it
// stays. The guess needs a ray's direction, so planning waits at a point
// whose parent ray is not traced yet. Only rays are traced
// ahead; the process-wide engine itself is advanced by the walk as it goes,
// so it always stands where the sequential walk leaves it, including after
// an interrupt or the point limit.
//
// Planning is bounded: at most kPlanWindow rays are planned beyond the walk,
// and the hand-off is a ring of fixed size.
#pragma once

#include "trace/point_tracer.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

// One position/direction/intensity triple with the primary traces of the
// batch's points for it (primaries[p - begin]).
struct WalkTriple
{
    AttributeHandle position;
    AttributeHandle direction;
    AttributeHandle intensity;
    const PrimaryTrace *primaries = nullptr;
};

class PlannedWalk
{
public:
    // The walk of points [begin, end) of gdp, each traced for every triple in
    // order. The batch's primary rays must already be traced.
    PlannedWalk(GU_Detail &gdp, std::vector<WalkTriple> triples, GA_Offset begin, GA_Offset end,
                const Collider &collider, const WalkSettings &settings, TraceControl &control);
    ~PlannedWalk();
    PlannedWalk(const PlannedWalk &) = delete;
    PlannedWalk &operator=(const PlannedWalk &) = delete;

    // True when planning ahead can pay and gives the sequential walk's
    // result: more than one thread, three-float attributes (a value written
    // then reads back unchanged), scattered generations to trace ahead, and
    // sets and depths of moderate size (large sets already spread over
    // threads in the sequential walk).
    static bool suitable(const std::vector<WalkTriple> &triples, const WalkSettings &settings);

    // Walks point p for triple k exactly as tracePoint would, with its
    // primary trace. Points must be asked for in order: p ascending, and k
    // ascending within p. After anything but Finished, stop using the walk.
    TraceStatus tracePoint(GA_Offset p, int64_t k);

    // Calls walk() on this thread with helpers tracing ahead beside it on
    // the other threads the thread limit allows; walk() calls tracePoint.
    // Without run, tracePoint traces everything on the calling thread.
    void run(const std::function<void()> &walk);

    // Rays traced ahead whose traces were thrown away by a new plan.
    int64_t discardedRays() const;

private:
    struct State;
    std::unique_ptr<State> myState;
};
