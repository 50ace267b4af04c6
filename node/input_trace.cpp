#include "node/input_trace.h"

#include "trace/handoff_walk.h"
#include "trace/leaf_follow.h"
#include "trace/planned_walk.h"

#include <UT/UT_ParallelUtil.h>
#include <algorithm>
#include <memory>

namespace HDK_Sample
{

namespace
{

// Input points whose primary rays are traced ahead together. The rays of a
// batch are searched in a coherent order (accel/ray_order.h), which pays only
// when a batch holds enough rays for neighbours in that order to start close
// together: in a collider too large for the processor's caches a batch of a
// quarter million searches about a quarter faster than one of a few thousand.
// Its traces take 64 bytes per point and triple.
constexpr GA_Size kPrimaryBatch = GA_Size(1) << 18;
// Input points walked together, their primary rays already traced; the
// walks' new points are appended at the end of each.
constexpr GA_Size kWalkBatch = 4096;

}  // namespace

InputTrace::InputTrace(GU_Detail &gdp, const AttributeLists &lists, const Collider &collider,
                       const WalkSettings &settings, TraceControl &control, TraceProgress &progress)
    : myGdp(gdp), myLists(lists), myCollider(collider), mySettings(settings), myControl(control), myProgress(progress),
      myInputPoints(gdp.getNumPoints()), myTriples(lists.positions.entries()),
      myPrimaries(static_cast<size_t>(myTriples)), myAppends(gdp)
{
    for (int64_t k = 0; k < myTriples; ++k)
        myTripleList.push_back({lists.positions(k), lists.directions(k), lists.intensities(k)});
}

TraceStatus InputTrace::run(WalkMode walk)
{
    for (GA_Offset begin = 0; begin < myInputPoints; begin += kPrimaryBatch)
    {
        const GA_Offset end = std::min<GA_Offset>(begin + kPrimaryBatch, myInputPoints);
        if (!tracePrimaries(begin, end))
            return TraceStatus::Interrupted;
        for (GA_Offset first = begin; first < end; first += kWalkBatch)
        {
            const TraceStatus status = walkBatch(begin, first, std::min<GA_Offset>(first + kWalkBatch, end), walk);
            if (status != TraceStatus::Finished)
                return status;
        }
    }
    return TraceStatus::Finished;
}

bool InputTrace::tracePrimaries(GA_Offset begin, GA_Offset end)
{
    for (int64_t k = 0; k < myTriples; ++k)
    {
        std::vector<PrimaryTrace> &primaries = myPrimaries[size_t(k)];
        primaries.resize(size_t(end - begin));
        if (!tracePrimaryRays(begin, end, myLists.positions(k), myLists.directions(k), myCollider, myControl,
                              primaries.data()))
            return false;
    }
    return true;
}

TraceStatus InputTrace::walkBatch(GA_Offset traced, GA_Offset begin, GA_Offset end, WalkMode walk)
{
    // On several threads the walk hands its searches to helpers where it
    // can; either way the output is that of the sequential walk.
    std::vector<WalkTriple> walkTriples(static_cast<size_t>(myTriples));
    for (int64_t k = 0; k < myTriples; ++k)
        walkTriples[size_t(k)] = {myLists.positions(k), myLists.directions(k), myLists.intensities(k),
                                  myPrimaries[size_t(k)].data() + (begin - traced)};
    const bool threads = myControl.parallel && UTgetMaxThreads() > 1;
    std::unique_ptr<PlannedWalk> planned;
    HandOffWalk *handOff = nullptr;
    if (walk == WalkMode::TraceAhead && threads && PlannedWalk::suitable(walkTriples, mySettings))
        planned.reset(new PlannedWalk(myGdp, walkTriples, begin, end, myCollider, mySettings, myControl));
    else if (walk == WalkMode::Sequential && threads && HandOffWalk::suitable(myTripleList, mySettings))
    {
        // One for the whole cook: its rings and the directions it works out
        // ahead carry over from batch to batch.
        if (!myHandOff)
            myHandOff.reset(new HandOffWalk(myGdp, myCollider, mySettings, myControl));
        handOff = myHandOff.get();
    }

    // With one generation a point's walk is its primary ray followed, and
    // that is taken here directly, with no walk set up per point.
    const bool primaryOnly = mySettings.depth == 1;
    TraceStatus status = TraceStatus::Finished;
    const auto walkPoints = [&]() {
        for (GA_Offset p = begin; p < end; ++p)
        {
            if (myProgress.interruptedBetweenPoints())
            {
                status = TraceStatus::Interrupted;
                return;
            }
            for (int64_t k = 0; k < myTriples; ++k)
            {
                const PrimaryTrace &primary = myPrimaries[size_t(k)][size_t(p - traced)];
                if (planned)
                    status = planned->tracePoint(p, k);
                else if (handOff)
                    status = handOff->tracePoint(myTripleList[size_t(k)], p, primary);
                else if (primaryOnly)
                    status = followPrimaryLeaf(myAppends, myTripleList[size_t(k)], myControl.pointLimit, p, primary);
                else
                    status =
                        tracePoint(myAppends, p, myTripleList[size_t(k)], myCollider, mySettings, myControl, &primary);
                if (status != TraceStatus::Finished)
                    return;
            }
            myProgress.pointDone();
        }
    };
    // The trace-ahead and hand-off walks' helpers trace beside this thread
    // for the whole batch; appending, drawing and polling stay here.
    if (planned)
        planned->run(walkPoints);
    else if (handOff)
        handOff->run(walkPoints);
    else
    {
        // The points the walks held are appended before anyone sees the
        // detail: at the end of the batch, on a stop, and on a failure.
        try
        {
            walkPoints();
        }
        catch (...)
        {
            myAppends.flushQuietly();
            throw;
        }
        myAppends.flush();
    }
    return status;
}

}  // namespace HDK_Sample
