// Whole walks of a test scene, run the way the cook runs them, and their
// comparison bit for bit. The sequential walk is the reference every other
// way of walking (more threads, another search, the trace-ahead and hand-off
// walks) must
// match: same points, same bits, same rays counted, same polls, same engine
// state afterwards, same status.
#pragma once

#include "trace/collider.h"
#include "trace/point_tracer.h"

#include <GU/GU_Detail.h>
#include <cstdint>
#include <random>

namespace trace_test
{

struct WalkOptions
{
    SearchMode mode = SearchMode::Accelerated;
    bool parallel = false;     // TraceControl::parallel
    bool planned = false;      // the trace-ahead walk instead of tracePoint
    bool handOff = false;      // the hand-off walk instead of tracePoint
    int threads = 1;           // the process-wide thread limit meanwhile
    bool primaryAhead = true;  // primary rays traced first for all points; else each walk traces its own
    bool primaryLeaf = false;  // one generation, each point followed by followPrimaryLeaf (needs primaryAhead)
    int32_t depth = 4;
    double scatter = 90.0;
    int32_t count = 8;
    float dissipation = 0.5f;
    int64_t pointLimit = 0;           // 0: none
    int interruptAtPoll = 0;          // 0: never
    bool callbackDraws = false;       // the interrupt callback draws from the engine (another cook, say)
    bool drawsBetweenPoints = false;  // so does the caller between some points (its progress report)
};

struct WalkRun
{
    GU_Detail output;
    TraceStatus status = TraceStatus::Finished;
    int64_t rays = 0;
    int polls = 0;
    std::mt19937 engineAfter;
    int64_t discarded = 0;  // the trace-ahead walk's thrown-away traces
};

// Walks every point of `points` (attributes P, dir, energy) against
// `collider`, with the engine seeded afresh.
WalkRun runWalk(const GU_Detail &points, const GU_Detail &collider, const WalkOptions &options);

// True when both outputs hold the same points with the same bits.
bool sameOutput(const WalkRun &a, const WalkRun &b);
// Expects everything of the two runs to be identical.
void expectIdentical(const WalkRun &reference, const WalkRun &run);

}  // namespace trace_test
