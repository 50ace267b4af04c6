// The cook's progress as the host sees it while the node traces.
//
// A long cook must be stoppable and should show how far it has come. The
// node answers through one interrupt scope, opened before tracing, and
// through two statistics (input points finished, rays traced) published
// before every poll that reports a percentage: a progress display reading
// them at that poll sees the figures the percentage comes from. The tracer
// polls every 1024 rays; the cook polls again between input points, where a
// poll is cheap and reports only when the percentage has moved.
#pragma once

#include "trace/point_tracer.h"

#include <GA/GA_Types.h>
#include <OP/OP_Node.h>
#include <UT/UT_Interrupt.h>

namespace HDK_Sample
{

class TraceProgress
{
public:
    // Opens the interrupt scope and installs the reporting poll as
    // control.interrupted. Both references must outlive the object.
    TraceProgress(OP_Node &node, GA_Size inputPoints, TraceControl &control);
    TraceProgress(const TraceProgress &) = delete;
    TraceProgress &operator=(const TraceProgress &) = delete;

    // The poll between two input points: true when the host asks to stop.
    bool interruptedBetweenPoints();
    void pointDone() { ++myPointsDone; }

    // Tells the host, at the end of a cook that traced everything, that the
    // work is complete; the host's answer no longer matters.
    void complete();
    // Publishes the two statistics as they stand.
    void publishStatistics();
    // Publishes the time spent preparing the collider.
    void publishColliderBuild(int64_t microseconds);

private:
    bool poll(bool report);

    OP_Node &myNode;
    TraceControl &myControl;
    UT_AutoInterrupt myScope;
    GA_Size myInputPoints;
    GA_Size myPointsDone = 0;
    int myLastPercent = -1;
};

}  // namespace HDK_Sample
