// The node's cook: copy the first input, gather the attribute lists, and
// trace every point of the first input for every attribute triple.
//
// Order matters twice over: points are appended, and random numbers drawn, in
// the order points and triples are visited (point by point, triple by triple
// within a point), so the output is reproducible for a given process history.
// Primary rays are traced ahead in batches, possibly on several threads; they
// depend only on the input values and the collider, never on earlier results.
// With more than one thread and VELKOR_TRACE_AHEAD=1, the later generations
// of a batch are traced ahead too (trace/planned_walk.h), with the same
// result.
#include "node/sop_velkor.h"

#include "contract/velkor_contract.h"
#include "trace/attribute_lists.h"
#include "trace/collider.h"
#include "trace/out_of_memory.h"
#include "trace/planned_walk.h"
#include "trace/point_tracer.h"

#include <OP/OP_AutoLockInputs.h>
#include <UT/UT_Interrupt.h>
#include <UT/UT_ParallelUtil.h>
#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

namespace HDK_Sample {

namespace {

const char kInvalidBounces[] = "Invalid bounces";
const char kColliderAttributes[] = "Second input needs point attributes for position and direction";
const char kInputAttributes[] = "First input needs position, direction and intensity attributes in equal numbers";
const char kTooManyPoints[] = "Too many points: output would exceed 2147483647 points";
const char kInterrupted[] = "Tracing interrupted";

// Input points whose primary rays are traced ahead together.
constexpr GA_Size kPrimaryBatch = 4096;

int32_t toInt32(exint value)
{
    return int32_t(std::clamp<exint>(value, INT32_MIN, INT32_MAX));
}

// The output never holds more than 2147483647 points (offsets travel as
// 32-bit values). VELKOR_POINT_LIMIT may lower the limit, so that the limit's
// handling can be exercised on small scenes.
int64_t pointLimit()
{
    int64_t limit = INT32_MAX;
    if (const char *text = std::getenv(velkor::kEnvPointLimit))
    {
        char *end = nullptr;
        const long long value = std::strtoll(text, &end, 10);
        if (end != text && *end == '\0' && value > 0 && value < limit)
            limit = value;
    }
    return limit;
}

// Prepares the collider for the search, naming it when memory runs out.
Collider prepareCollider(const GU_Detail &collider, SearchMode mode)
{
    try
    {
        return Collider(collider, mode);
    }
    catch (const std::bad_alloc &)
    {
        throw OutOfMemory("Out of memory: the collider's " + std::to_string(collider.getNumPrimitives()) +
                          " primitives could not be prepared for tracing");
    }
}

// The trace-ahead walk is chosen with VELKOR_TRACE_AHEAD=1. It gives the
// same output, but its rounds are still too small to beat the sequential
// walk on two cores, so it is not the default.
bool traceAhead()
{
    const char *text = std::getenv(velkor::kEnvTraceAhead);
    return text && std::string(text) == "1";
}

} // namespace

OP_ERROR SOP_Velkor::cookMySop(OP_Context &context)
{
    // The plug-in throws nothing at its host: running out of memory becomes
    // the node's error, naming what could not be allocated where known.
    try
    {
        return cookPoints(context);
    }
    catch (const OutOfMemory &e)
    {
        addError(SOP_MESSAGE, e.what());
    }
    catch (const std::bad_alloc &)
    {
        addError(SOP_MESSAGE, ("Out of memory while cooking, with " + std::to_string(gdp->getNumPoints()) +
                               " points in the output")
                                  .c_str());
    }
    myPointVariable = -1;
    return error();
}

OP_ERROR SOP_Velkor::cookPoints(OP_Context &context)
{
    const fpreal t = context.getTime();
    OP_AutoLockInputs inputs(this);
    if (inputs.lock(context) >= UT_ERROR_ABORT)
        return error();

    const int32_t bounces = toInt32(evalInt(velkor::kParmBounces, 0, t));
    const float scatter = float(evalFloat(velkor::kParmScatter, 0, t));
    const int32_t scatterNum = toInt32(evalInt(velkor::kParmScatterNum, 0, t));
    const float dissipation = float(evalFloat(velkor::kParmDissipation, 0, t));
    if (bounces < 1)
    {
        addWarning(SOP_MESSAGE, kInvalidBounces);
        return error();
    }

    duplicateSource(0, context, gdp);
    setCurGdh(0, myGdpHandle);

    const GU_Detail *collider = inputGeo(1);
    if (!collider)
        return error();
    const AttributeLists colliderLists =
        collectAttributeLists(*collider, HandleForm::ReadOnly, ListKinds::PositionAndDirection);
    if (colliderLists.positions.isEmpty() || colliderLists.directions.isEmpty())
    {
        addWarning(SOP_MESSAGE, kColliderAttributes);
        return error();
    }

    const AttributeLists lists = collectAttributeLists(*gdp, HandleForm::ReadWrite, ListKinds::All);
    const int64_t triples = lists.positions.entries();
    if (lists.directions.entries() != triples || lists.intensities.entries() != triples)
    {
        addWarning(SOP_MESSAGE, kInputAttributes);
        return error();
    }

    // Opened before tracing so that a long cook can be stopped.
    UT_AutoInterrupt progress("Tracing Points", UTgetInterrupt(), true);
    const GA_Size inputPoints = gdp->getNumPoints();
    TraceControl control;
    control.pointLimit = pointLimit();
    GA_Size pointsDone = 0;
    // Published before every poll, so that a host's progress display can
    // show how far the cook has come.
    int lastPercent = -1;
    auto poll = [&](bool report) {
        if (!report)
            return progress.wasInterrupted();
        setCookStatistic(velkor::kStatPointsTraced, pointsDone);
        setCookStatistic(velkor::kStatRaysTraced, control.raysTraced);
        lastPercent = inputPoints > 0 ? int(100 * pointsDone / inputPoints) : 100;
        return progress.wasInterrupted(lastPercent);
    };
    control.interrupted = [&]() { return poll(true); };
    auto finish = [&]() {
        setCookStatistic(velkor::kStatPointsTraced, pointsDone);
        setCookStatistic(velkor::kStatRaysTraced, control.raysTraced);
        myPointVariable = -1;
        return error();
    };

    if (inputPoints > control.pointLimit)
    {
        addError(SOP_MESSAGE, kTooManyPoints);
        return finish();
    }

    if (inputPoints > 0 && triples > 0)
    {
        const auto buildStart = std::chrono::steady_clock::now();
        const Collider prepared = prepareCollider(*collider, searchModeFromEnvironment());
        setCookStatistic(velkor::kStatColliderBuildMicroseconds,
                         std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() -
                                                                               buildStart)
                             .count());
        std::vector<std::vector<BounceResult>> primaries(static_cast<size_t>(triples));
        WalkSettings settings;
        settings.depth = bounces;
        settings.scatter = double(scatter);
        settings.scatterCount = scatterNum;
        settings.dissipation = dissipation;
        for (GA_Offset begin = 0; begin < inputPoints; begin += kPrimaryBatch)
        {
            const GA_Offset end = std::min<GA_Offset>(begin + kPrimaryBatch, inputPoints);
            for (int64_t k = 0; k < triples; ++k)
            {
                primaries[size_t(k)].resize(size_t(end - begin));
                if (!tracePrimaryRays(begin, end, lists.positions(k), lists.directions(k), prepared, control,
                                      primaries[size_t(k)].data()))
                {
                    addError(SOP_MESSAGE, kInterrupted);
                    return finish();
                }
            }
            // The walk traces ahead on several threads where that pays;
            // either way the output is that of the sequential walk.
            std::vector<WalkTriple> walkTriples(static_cast<size_t>(triples));
            for (int64_t k = 0; k < triples; ++k)
                walkTriples[size_t(k)] = {lists.positions(k), lists.directions(k), lists.intensities(k),
                                          primaries[size_t(k)].data()};
            std::unique_ptr<PlannedWalk> planned;
            if (traceAhead() && control.parallel && UTgetMaxThreads() > 1 &&
                PlannedWalk::suitable(walkTriples, settings))
                planned.reset(new PlannedWalk(*gdp, walkTriples, begin, end, prepared, settings, control));
            for (GA_Offset p = begin; p < end; ++p)
            {
                // Between input points the poll is cheap; progress is only
                // reported when the percentage moves.
                if (poll(inputPoints > 0 && int(100 * pointsDone / inputPoints) != lastPercent))
                {
                    addError(SOP_MESSAGE, kInterrupted);
                    return finish();
                }
                for (int64_t k = 0; k < triples; ++k)
                {
                    const TraceStatus status =
                        planned ? planned->tracePoint(p, k)
                                : tracePoint(*gdp, p,
                                             {lists.positions(k), lists.directions(k), lists.intensities(k)},
                                             prepared, settings, control, &primaries[size_t(k)][size_t(p - begin)]);
                    if (status == TraceStatus::PointLimit)
                        addError(SOP_MESSAGE, kTooManyPoints);
                    else if (status == TraceStatus::Interrupted)
                        addError(SOP_MESSAGE, kInterrupted);
                    if (error() >= UT_ERROR_ABORT)
                        return finish();
                }
                ++pointsDone;
            }
        }
    }

    if (error() >= UT_ERROR_ABORT)
        return finish();
    progress.wasInterrupted(100); // asked once more; the answer no longer matters
    return finish();
}

} // namespace HDK_Sample
