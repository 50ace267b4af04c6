// The hand-off walk: the point walk of a batch of input points, with its
// searches done by helper threads beside it. Its output is the sequential
// walk's (tracePoint) to the bit, and nothing in it is guessed.
//
// A point's direction set is drawn when the walk reaches the point, exactly
// as tracePoint draws it. The rays of the set depend on nothing else, so
// they are handed to the helpers at once (trace/urgent_rays.h), and the walk
// takes their traces back as it follows them, depth-first; it traces the
// first ray of each set itself, since it needs that one straight away. The
// directions themselves come mostly ready-made: helpers with nothing better
// to do work them out ahead from a copy of the random engine
// (trace/direction_stream.h). A ray whose new point would start
// no set of its own (the last generation, or a count dissipated to nothing)
// decides nothing about the rest of the walk: only whether a point is
// appended. The walk never waits for such a ray. Its possible point goes
// into the walk's log, as does every other new point, in pre-order, and the
// log is appended to the detail in one step once its rays are all back:
// between points when it is long, at the end of each run, and whenever the
// walk stops (interrupt, point limit, failure). Near the point limit the
// log is resolved as the walk goes, so that the walk stops exactly where
// tracePoint stops.
//
// New points are read back from the log rather than from the detail, which
// gives the same values only when every value is stored as three floats
// (suitable()).
#pragma once

#include "trace/point_tracer.h"

#include <functional>
#include <memory>
#include <vector>

class HandOffWalk
{
public:
    HandOffWalk(GU_Detail &gdp, const Collider &collider, const WalkSettings &settings, TraceControl &control);
    ~HandOffWalk();
    HandOffWalk(const HandOffWalk &) = delete;
    HandOffWalk &operator=(const HandOffWalk &) = delete;

    // True when the walk gives tracePoint's result and can pay: scattered
    // generations to search (two or more generations and a count of at
    // least one), sets of moderate size (large ones already spread over
    // threads in the sequential walk), counts that do not grow, and
    // three-float attributes, three different ones per triple.
    static bool suitable(const std::vector<AttributeTriple> &triples, const WalkSettings &settings);

    // Walks the point at offset for triple exactly as tracePoint would with
    // its primary trace. triple must live until the walk is flushed. After
    // anything but Finished, stop using the walk.
    TraceStatus tracePoint(const AttributeTriple &triple, GA_Offset offset, const PrimaryTrace &primary);

    // Calls walk() on this thread with helpers searching beside it on the
    // other threads the thread limit allows; walk() calls tracePoint. The
    // log is appended before run returns, also when walk() throws (a second
    // failure while appending is then swallowed). Without run, tracePoint
    // searches on the calling thread and the owner flushes.
    void run(const std::function<void()> &walk);

    // Appends the log to the detail, once every ray it waits for is back.
    void flush();

private:
    struct State;
    std::unique_ptr<State> myState;
};
