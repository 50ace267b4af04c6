// Tracing the cook's input points, batch by batch.
//
// Order matters twice over: points are appended, and random numbers drawn,
// in the order points and triples are visited (point by point, triple by
// triple within a point), so the output is reproducible for a given process
// history. Primary rays are traced ahead for a batch of input points at a
// time, possibly on several threads: they depend only on the input values
// and the collider, never on earlier results. On several threads the later
// generations' searches go to helper threads too (trace/handoff_walk.h, or
// on request the trace-ahead walk of trace/planned_walk.h), with the same
// result.
#pragma once

#include "node/configuration.h"
#include "node/trace_progress.h"
#include "trace/attribute_lists.h"
#include "trace/collider.h"
#include "trace/handoff_walk.h"
#include "trace/point_appends.h"
#include "trace/point_tracer.h"

#include <GU/GU_Detail.h>
#include <memory>
#include <vector>

namespace HDK_Sample
{

class InputTrace
{
public:
    // Traces the points of gdp that are there now, for every triple of
    // lists; new points are appended to gdp. All references must outlive
    // the object.
    InputTrace(GU_Detail &gdp, const AttributeLists &lists, const Collider &collider, const WalkSettings &settings,
               TraceControl &control, TraceProgress &progress);

    // Walks every input point; stops at the point limit or an interrupt.
    // WalkMode::TraceAhead uses the trace-ahead walk where it suits,
    // WalkMode::Sequential the hand-off walk where it suits and more than
    // one thread may run.
    TraceStatus run(WalkMode walk);

private:
    // Traces the primary rays of points [begin, end) for every triple.
    bool tracePrimaries(GA_Offset begin, GA_Offset end);
    // Walks points [begin, end), their primary rays already traced with
    // those of the batch that starts at point `traced`.
    TraceStatus walkBatch(GA_Offset traced, GA_Offset begin, GA_Offset end, WalkMode walk);

    GU_Detail &myGdp;
    const AttributeLists &myLists;
    const Collider &myCollider;
    const WalkSettings &mySettings;
    TraceControl &myControl;
    TraceProgress &myProgress;
    GA_Size myInputPoints;
    int64_t myTriples;
    // The primary traces of the batch from point `traced` on:
    // myPrimaries[k][p - traced] for triple k.
    std::vector<std::vector<PrimaryTrace>> myPrimaries;
    // Triple k of the lists; the walks' held points refer to them.
    std::vector<AttributeTriple> myTripleList;
    // The sequential walks' new points; flushed before each batch returns.
    PointAppends myAppends;
    // The hand-off walk, once a batch has used it.
    std::unique_ptr<HandOffWalk> myHandOff;
};

}  // namespace HDK_Sample
