// The node's configuration: the few settings a user gives through the
// process environment rather than through parameters.
//
// The environment is read in one place, when the node cooks, into this
// value, which is then passed down: the tracer and the search structure
// never read the process environment themselves, so their behaviour follows
// from their arguments alone. The variables and their words are part of the
// node's contract (contract/velkor_contract.h).
#pragma once

#include "trace/collider.h"

#include <cstdint>

namespace HDK_Sample
{

// How the later generations of a batch of input points are walked: in
// order, with their searches handed to helper threads where there are
// several (trace/handoff_walk.h), or traced ahead on a guess
// (trace/planned_walk.h). All give the same output.
enum class WalkMode
{
    Sequential,
    TraceAhead
};

struct NodeConfiguration
{
    // VELKOR_SEARCH: "exhaustive" searches every triangle; anything else,
    // or nothing, the acceleration structure.
    SearchMode search = SearchMode::Accelerated;
    // VELKOR_POINT_LIMIT: a decimal integer from 1 up to 2147483646 lowers
    // the output's point limit (so that its handling can be exercised on
    // small scenes); any other value leaves 2147483647.
    int64_t pointLimit = INT32_MAX;
    // VELKOR_TRACE_AHEAD: exactly "1" chooses the trace-ahead walk. It gives
    // the same output; it is not the default because its planning costs
    // more than the hand-off walk, which needs no guess.
    WalkMode walk = WalkMode::Sequential;
};

// The configuration given by the variables' values, each null when unset.
NodeConfiguration configurationFrom(const char *search, const char *pointLimit, const char *traceAhead);

// The configuration given by the process environment now.
NodeConfiguration configurationFromEnvironment();

}  // namespace HDK_Sample
