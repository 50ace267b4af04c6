// A progress line on standard error while a long cook runs.
//
// The node reports progress through the host's interrupt server: a scope
// opened around the trace and polls carrying a percentage. The line shows
// input points done out of all, rays traced and the time so far, read from
// the statistics the node keeps. It appears only when standard error is a
// terminal and the cook has run for a second (short cooks stay silent, and
// logs never fill with carriage returns), is redrawn a few times a second,
// and is wiped when the cook ends so the summary starts on a clean line.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>

struct UT_InterruptEvent;

class CookProgress
{
public:
    // statistic(name) gives the node's running count, or -1.
    typedef std::function<int64_t(const char *)> StatisticReader;

    // Installs the callback on the process's interrupt server when enabled;
    // a disabled display does nothing at all.
    CookProgress(StatisticReader statistic, int64_t totalPoints, bool enabled);
    ~CookProgress();
    CookProgress(const CookProgress &) = delete;
    CookProgress &operator=(const CookProgress &) = delete;

private:
    void onEvent(const UT_InterruptEvent &event);
    void wipe();

    StatisticReader myStatistic;
    int64_t myTotalPoints;
    bool myEnabled;
    std::chrono::steady_clock::time_point myStart;
    std::chrono::steady_clock::time_point myLastDraw;
    std::mutex myMutex;
    size_t myDrawnWidth = 0;
};

// The text of the line: "Tracing  1,234 / 10,000 points  56,789 rays  12.3 s".
// A negative count is shown as unknown.
std::string formatProgressLine(int64_t pointsDone, int64_t totalPoints, int64_t rays, double seconds);
