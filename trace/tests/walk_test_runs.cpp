#include "trace/tests/walk_test_runs.h"

#include "math/scatter.h"
#include "trace/attribute_lists.h"
#include "trace/handoff_walk.h"
#include "trace/leaf_follow.h"
#include "trace/planned_walk.h"
#include "trace/tests/trace_test_scenes.h"

#include <UT/UT_ParallelUtil.h>

#include <cstring>
#include <gtest/gtest.h>
#include <vector>

namespace trace_test
{

WalkRun runWalk(const GU_Detail &points, const GU_Detail &colliderDetail, const WalkOptions &o)
{
    const UT_ThreadLimit limit(o.threads);
    WalkRun run;
    run.output = points;
    sceneRandomEngine.seed(5489u);
    AttributeLists lists = gatherAttributeLists(run.output, HandleForm::ReadWrite, ListKinds::All, DataIds::Renew);
    Collider collider(colliderDetail, o.mode);
    TraceControl control;
    control.parallel = o.parallel;
    if (o.pointLimit)
        control.pointLimit = o.pointLimit;
    control.interrupted = [&]() {
        if (o.callbackDraws)
            sceneRandomEngine.discard(3);
        return ++run.polls == o.interruptAtPoll;
    };
    const GA_Size n = run.output.getNumPoints();
    std::vector<PrimaryTrace> primaries(static_cast<size_t>(n));
    if (o.primaryAhead || o.planned || o.handOff)
        tracePrimaryRays(0, n, lists.positions(0), lists.directions(0), collider, control, primaries.data());

    WalkSettings settings;
    settings.depth = o.depth;
    settings.scatter = o.scatter;
    settings.scatterCount = o.count;
    settings.dissipation = o.dissipation;
    const auto betweenPoints = [&](GA_Offset p) {
        if (o.drawsBetweenPoints && p % 5 == 3)
            sceneRandomEngine.discard(2);
    };
    if (o.primaryLeaf)
    {
        const AttributeTriple triple{lists.positions(0), lists.directions(0), lists.intensities(0)};
        PointAppends appends(run.output);
        for (GA_Offset p = 0; p < n && run.status == TraceStatus::Finished; ++p)
        {
            betweenPoints(p);
            run.status = followPrimaryLeaf(appends, triple, control.pointLimit, p, primaries[size_t(p)]);
        }
        appends.flush();
    }
    else if (o.handOff)
    {
        const AttributeTriple triple{lists.positions(0), lists.directions(0), lists.intensities(0)};
        EXPECT_TRUE(HandOffWalk::suitable({triple}, settings));
        HandOffWalk walk(run.output, collider, settings, control);
        // In two runs, as the cook walks a batch at a time.
        const auto walkPoints = [&](GA_Offset from, GA_Offset to) {
            for (GA_Offset p = from; p < to && run.status == TraceStatus::Finished; ++p)
            {
                betweenPoints(p);
                run.status = walk.tracePoint(triple, p, primaries[size_t(p)]);
            }
        };
        walk.run([&]() { walkPoints(0, n / 2); });
        if (run.status == TraceStatus::Finished)
            walk.run([&]() { walkPoints(n / 2, n); });
    }
    else if (!o.planned)
        for (GA_Offset p = 0; p < n && run.status == TraceStatus::Finished; ++p)
        {
            betweenPoints(p);
            run.status = tracePoint(run.output, p, {lists.positions(0), lists.directions(0), lists.intensities(0)},
                                    collider, settings, control, o.primaryAhead ? &primaries[size_t(p)] : nullptr);
        }
    else
    {
        std::vector<WalkTriple> triples = {
            {lists.positions(0), lists.directions(0), lists.intensities(0), primaries.data()}};
        EXPECT_TRUE(PlannedWalk::suitable(triples, settings));
        PlannedWalk walk(run.output, triples, 0, n, collider, settings, control);
        // In two runs, as the cook walks a batch at a time: what is handed
        // out when the first stops must carry over.
        const auto walkPoints = [&](GA_Offset from, GA_Offset to) {
            for (GA_Offset p = from; p < to && run.status == TraceStatus::Finished; ++p)
            {
                betweenPoints(p);
                run.status = walk.tracePoint(p, 0);
            }
        };
        walk.run([&]() { walkPoints(0, n / 2); });
        walk.run([&]() { walkPoints(n / 2, n); });
        run.discarded = walk.discardedRays();
    }
    run.rays = control.raysTraced;
    run.engineAfter = sceneRandomEngine;
    return run;
}

bool sameOutput(const WalkRun &a, const WalkRun &b)
{
    if (a.output.getNumPoints() != b.output.getNumPoints())
        return false;
    for (const char *name : {"P", "dir", "energy"})
        for (GA_Offset p = 0; p < a.output.getNumPoints(); ++p)
        {
            const UT_Vector3 u = getVector(a.output.findPointAttribute(name), p);
            const UT_Vector3 v = getVector(b.output.findPointAttribute(name), p);
            if (std::memcmp(u.data(), v.data(), sizeof(float) * 3) != 0)
                return false;
        }
    return true;
}

void expectIdentical(const WalkRun &reference, const WalkRun &run)
{
    EXPECT_EQ(reference.status, run.status);
    EXPECT_EQ(reference.rays, run.rays);
    EXPECT_EQ(reference.polls, run.polls);
    EXPECT_TRUE(reference.engineAfter == run.engineAfter)
        << "the engine must stand where the sequential walk leaves it";
    ASSERT_EQ(reference.output.getNumPoints(), run.output.getNumPoints());
    for (const char *name : {"P", "dir", "energy"})
    {
        const GA_Attribute *x = reference.output.findPointAttribute(name);
        const GA_Attribute *y = run.output.findPointAttribute(name);
        for (GA_Offset p = 0; p < reference.output.getNumPoints(); ++p)
        {
            const UT_Vector3 u = getVector(x, p), v = getVector(y, p);
            ASSERT_EQ(std::memcmp(u.data(), v.data(), sizeof(float) * 3), 0) << name << " of point " << p;
        }
    }
}

}  // namespace trace_test
