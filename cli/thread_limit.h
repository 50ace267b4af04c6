// The number of threads the plug-in may trace with, for as long as the
// object lives.
//
// The limit is the host library's process-wide one (UT_ThreadLimit): the
// plug-in runs its parallel regions through the same shared host library
// this program links, so a limit set here holds inside the plug-in too,
// whether the regions run on oneTBB or on standard threads.
#pragma once

#include <UT/UT_ParallelUtil.h>

class ThreadLimit
{
public:
    // threads < 1 leaves the machine's own count in force.
    explicit ThreadLimit(int threads);
    ThreadLimit(const ThreadLimit &) = delete;
    ThreadLimit &operator=(const ThreadLimit &) = delete;

    // The number of threads in force now.
    static int active();

private:
    UT_ThreadLimit myLimit;
};
