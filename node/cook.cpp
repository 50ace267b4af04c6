// The node's cook, as a story of named steps: read the parameters, copy the
// first input, check both inputs' attributes, read the configuration,
// prepare the collider, trace every input point (node/input_trace.h) and
// report how it ended.
//
// The plug-in throws nothing at its host: every failure, running out of
// memory included, becomes the node's error or warning.
#include "node/sop_velkor.h"

#include "contract/velkor_contract.h"
#include "node/configuration.h"
#include "node/input_trace.h"
#include "node/trace_progress.h"
#include "trace/attribute_lists.h"
#include "trace/collider.h"
#include "trace/out_of_memory.h"
#include "trace/point_tracer.h"

#include <OP/OP_AutoLockInputs.h>
#include <algorithm>
#include <chrono>
#include <string>

namespace HDK_Sample
{

namespace
{

const char kInvalidBounces[] = "Invalid bounces";
const char kColliderAttributes[] = "Second input needs point attributes for position and direction";
const char kInputAttributes[] = "First input needs position, direction and intensity attributes in equal numbers";
const char kTooManyPoints[] = "Too many points: output would exceed 2147483647 points";
const char kInterrupted[] = "Tracing interrupted";

int32_t toInt32(exint value) { return int32_t(std::clamp<exint>(value, INT32_MIN, INT32_MAX)); }

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

int64_t microsecondsSince(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace

OP_ERROR SOP_Velkor::cookMySop(OP_Context &context)
{
    // Running out of memory becomes the node's error, naming what could not
    // be allocated where known.
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
        addError(SOP_MESSAGE,
                 ("Out of memory while cooking, with " + std::to_string(gdp->getNumPoints()) + " points in the output")
                     .c_str());
    }
    myPointVariable = -1;
    return error();
}

OP_ERROR SOP_Velkor::cookPoints(OP_Context &context)
{
    OP_AutoLockInputs inputs(this);
    if (inputs.lock(context) >= UT_ERROR_ABORT)
        return error();
    WalkSettings settings;
    if (!readParameters(context.getTime(), settings))
        return error();

    duplicateSource(0, context, gdp);
    setCurGdh(0, myGdpHandle);
    const GU_Detail *collider = inputGeo(1);
    if (!collider || !checkCollider(*collider))
        return error();
    const AttributeLists lists = gatherAttributeLists(*gdp, HandleForm::ReadWrite, ListKinds::All, DataIds::Renew);
    if (!checkTriples(lists))
        return error();
    return traceInputs(*collider, lists, settings, configurationFromEnvironment());
}

bool SOP_Velkor::readParameters(fpreal t, WalkSettings &settings)
{
    settings.depth = toInt32(evalInt(velkor::kParmBounces, 0, t));
    // Scatter is read as a float, so the tracer receives its float value.
    settings.scatter = double(float(evalFloat(velkor::kParmScatter, 0, t)));
    settings.scatterCount = toInt32(evalInt(velkor::kParmScatterNum, 0, t));
    settings.dissipation = float(evalFloat(velkor::kParmDissipation, 0, t));
    if (settings.depth < 1)
    {
        addWarning(SOP_MESSAGE, kInvalidBounces);
        return false;
    }
    return true;
}

bool SOP_Velkor::checkCollider(const GU_Detail &collider)
{
    const AttributeLists lists =
        gatherAttributeLists(collider, HandleForm::ReadOnly, ListKinds::PositionAndDirection, DataIds::Renew);
    if (lists.positions.isEmpty() || lists.directions.isEmpty())
    {
        addWarning(SOP_MESSAGE, kColliderAttributes);
        return false;
    }
    return true;
}

bool SOP_Velkor::checkTriples(const AttributeLists &lists)
{
    const int64_t triples = lists.positions.entries();
    if (lists.directions.entries() != triples || lists.intensities.entries() != triples)
    {
        addWarning(SOP_MESSAGE, kInputAttributes);
        return false;
    }
    return true;
}

OP_ERROR SOP_Velkor::traceInputs(const GU_Detail &collider, const AttributeLists &lists, const WalkSettings &settings,
                                 const NodeConfiguration &configuration)
{
    const GA_Size inputPoints = gdp->getNumPoints();
    TraceControl control;
    // Opened before tracing so that a long cook can be stopped.
    TraceProgress progress(*this, inputPoints, control);
    control.pointLimit = configuration.pointLimit;

    TraceStatus status = TraceStatus::Finished;
    if (inputPoints > control.pointLimit)
        status = TraceStatus::PointLimit;
    else if (inputPoints > 0 && lists.positions.entries() > 0)
    {
        const auto buildStart = std::chrono::steady_clock::now();
        const Collider prepared = prepareCollider(collider, configuration.search);
        progress.publishColliderBuild(microsecondsSince(buildStart));
        status = InputTrace(*gdp, lists, prepared, settings, control, progress).run(configuration.walk);
    }
    reportEnd(status, progress);
    return error();
}

void SOP_Velkor::reportEnd(TraceStatus status, TraceProgress &progress)
{
    if (status == TraceStatus::PointLimit)
        addError(SOP_MESSAGE, kTooManyPoints);
    else if (status == TraceStatus::Interrupted)
        addError(SOP_MESSAGE, kInterrupted);
    if (error() < UT_ERROR_ABORT)
        progress.complete();
    progress.publishStatistics();
    myPointVariable = -1;
}

}  // namespace HDK_Sample
