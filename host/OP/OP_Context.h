// What a cook is asked for: the time to evaluate at and the cooking thread.
//
// Nodes read parameters at the context's time. The thread index identifies
// the host thread doing the cook (0 for the main thread); it is passed on to
// local-variable evaluation.
#pragma once

#include <UT/UT_Types.h>

class OP_Context
{
public:
    explicit OP_Context(fpreal time = 0, int thread = 0) : myTime(time), myThread(thread) {}

    fpreal getTime() const { return myTime; }
    void setTime(fpreal time) { myTime = time; }
    int getThread() const { return myThread; }
    void setThread(int thread) { myThread = thread; }

private:
    fpreal myTime;
    int myThread;
};
