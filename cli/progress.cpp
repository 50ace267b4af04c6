#include "cli/progress.h"

#include "cli/summary.h"
#include "contract/velkor_contract.h"

#include <UT/UT_Interrupt.h>

#include <cstdio>

namespace
{

// A cook shorter than this never shows the line.
constexpr double kShowAfterSeconds = 1.0;
constexpr double kRedrawSeconds = 0.2;

}  // namespace

std::string formatProgressLine(int64_t pointsDone, int64_t totalPoints, int64_t rays, double seconds)
{
    std::string line = "Tracing  ";
    line += pointsDone >= 0 ? formatCount(pointsDone) : std::string("?");
    line += " / " + formatCount(totalPoints) + " points  ";
    line += rays >= 0 ? formatCount(rays) + " rays  " : std::string();
    char elapsed[32];
    std::snprintf(elapsed, sizeof(elapsed), "%.1f s", seconds);
    return line + elapsed;
}

CookProgress::CookProgress(StatisticReader statistic, int64_t totalPoints, bool enabled)
    : myStatistic(std::move(statistic)), myTotalPoints(totalPoints), myEnabled(enabled),
      myStart(std::chrono::steady_clock::now()), myLastDraw(myStart)
{
    if (myEnabled)
        UTgetInterrupt()->setProgressCallback([this](const UT_InterruptEvent &event) { onEvent(event); });
}

CookProgress::~CookProgress()
{
    if (!myEnabled)
        return;
    UTgetInterrupt()->setProgressCallback({});
    std::lock_guard<std::mutex> lock(myMutex);
    wipe();
}

void CookProgress::onEvent(const UT_InterruptEvent &event)
{
    // Polls come from the cooking thread; the lock only guards against a
    // plug-in that polls from several threads, and a busy lock skips a draw.
    std::unique_lock<std::mutex> lock(myMutex, std::try_to_lock);
    if (!lock.owns_lock() || event.depth != 1)
        return;
    if (event.kind == UT_InterruptEvent::END)
    {
        wipe();
        return;
    }
    const auto now = std::chrono::steady_clock::now();
    const double elapsed = std::chrono::duration<double>(now - myStart).count();
    if (elapsed < kShowAfterSeconds || std::chrono::duration<double>(now - myLastDraw).count() < kRedrawSeconds)
        return;
    myLastDraw = now;

    int64_t done = myStatistic(velkor::kStatPointsTraced);
    if (done < 0 && event.percent >= 0)
        done = myTotalPoints * event.percent / 100;
    const std::string line = formatProgressLine(done, myTotalPoints, myStatistic(velkor::kStatRaysTraced), elapsed);
    // Pad over a longer earlier line instead of relying on terminal escapes.
    const size_t width = line.size();
    std::fprintf(stderr, "\r%s%*s", line.c_str(), int(myDrawnWidth > width ? myDrawnWidth - width : 0), "");
    std::fflush(stderr);
    if (width > myDrawnWidth)
        myDrawnWidth = width;
}

void CookProgress::wipe()
{
    if (myDrawnWidth == 0)
        return;
    std::fprintf(stderr, "\r%*s\r", int(myDrawnWidth), "");
    std::fflush(stderr);
    myDrawnWidth = 0;
}
