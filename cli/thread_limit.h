// The number of threads the plug-in may trace with, for as long as the
// object lives.
//
// The plug-in runs its parallel loops on oneTBB, the same shared library
// this program links, so a global limit set here holds inside the plug-in
// too. Built without oneTBB (VELKOR_WITH_TBB=OFF) the plug-in traces on one
// thread and the limit has nothing to act on.
#pragma once

#include <memory>

class ThreadLimit
{
public:
    // threads < 1 leaves the machine's own count in force.
    explicit ThreadLimit(int threads);
    ~ThreadLimit();
    ThreadLimit(const ThreadLimit &) = delete;
    ThreadLimit &operator=(const ThreadLimit &) = delete;

    // The number of threads in force now.
    static int active();

private:
    struct Control;
    std::unique_ptr<Control> myControl;
};
