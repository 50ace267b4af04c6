#include "node/trace_progress.h"

#include "contract/velkor_contract.h"

namespace HDK_Sample
{

TraceProgress::TraceProgress(OP_Node &node, GA_Size inputPoints, TraceControl &control)
    : myNode(node), myControl(control), myScope("Tracing Points", UTgetInterrupt(), true), myInputPoints(inputPoints)
{
    myControl.interrupted = [this]() { return poll(true); };
}

bool TraceProgress::interruptedBetweenPoints()
{
    return poll(myInputPoints > 0 && int(100 * myPointsDone / myInputPoints) != myLastPercent);
}

void TraceProgress::complete() { myScope.wasInterrupted(100); }

void TraceProgress::publishStatistics()
{
    myNode.setCookStatistic(velkor::kStatPointsTraced, myPointsDone);
    myNode.setCookStatistic(velkor::kStatRaysTraced, myControl.raysTraced);
}

void TraceProgress::publishColliderBuild(int64_t microseconds)
{
    myNode.setCookStatistic(velkor::kStatColliderBuildMicroseconds, microseconds);
}

bool TraceProgress::poll(bool report)
{
    if (!report)
        return myScope.wasInterrupted();
    publishStatistics();
    myLastPercent = myInputPoints > 0 ? int(100 * myPointsDone / myInputPoints) : 100;
    return myScope.wasInterrupted(myLastPercent);
}

}  // namespace HDK_Sample
