// Parallel loops for code that runs inside the host process.
//
// A host runs many things at once: other nodes cook on its threads, and a
// thread waiting for our loop must never wander off into one of them (it
// could, for instance, start another cook of this node that draws from the
// process-wide random engine in the middle of our walk). Every region below
// therefore runs isolated: a thread waiting in it only helps with the
// region's own work. Each region's tasks also run with the floating-point
// control state (rounding mode, flush-to-zero, denormals-are-zero) of the
// thread that started it, whatever state the worker threads happen to be
// in: results are compared bit for bit, and subnormal handling changes bits.
//
// The thread limit is one process-wide setting, held in the host library so
// that the program and every plug-in it loads obey the same one. Exceptions
// thrown by a task (std::bad_alloc among them) reach the caller of the
// region; the other tasks of the region are then skipped or left to finish.
//
// Built with oneTBB the regions run on its scheduler; without it, on a small
// pool of standard threads, where a region started inside another runs on
// the calling thread alone.
#pragma once

#include <UT/UT_API.h>

#include <algorithm>
#include <atomic>
#include <cstddef>
#include <functional>
#include <memory>
#include <vector>

// Runs body(subBegin, subEnd) over consecutive sub-ranges of [begin, end) of
// about `grain` elements (a grain of 0 counts as 1). Returns when every
// sub-range is done.
UT_API void UTparallelFor(size_t begin, size_t end, size_t grain, const std::function<void(size_t, size_t)> &body);

// Runs a and b concurrently (b may run on the calling thread) and returns
// when both are done.
UT_API void UTparallelInvoke(const std::function<void()> &a, const std::function<void()> &b);

// Runs main() on the calling thread while up to `helpers` other threads
// (fewer when the thread limit, which counts the caller, allows fewer) run
// helper(stop) beside it, for work that must stay on the caller (interrupt
// polls, anything order-dependent) fed to helpers that live as long as it
// does rather than a region per step. `stop` turns true once main has
// returned or thrown; helpers must then return promptly. A helper may start
// late or never (the pool busy, the thread limit reached), so main must be
// able to finish its work alone; a helper the scheduler would run on the
// calling thread itself is skipped. Helpers run under the caller's
// floating-point state. Returns when main and every started helper are done;
// an exception from main, else from a helper, then reaches the caller.
UT_API void UTrunWithHelpers(int helpers, const std::function<void(const std::atomic<bool> &stop)> &helper,
                             const std::function<void()> &main);

// The number of threads parallel regions may use now (>= 1).
UT_API int UTgetMaxThreads();

// Limits the threads of every parallel region in the process for the
// lifetime of the object. Limits nest: the smallest one alive is in force.
// threads < 1 sets no limit.
class UT_API UT_ThreadLimit
{
public:
    explicit UT_ThreadLimit(int threads);
    ~UT_ThreadLimit();
    UT_ThreadLimit(const UT_ThreadLimit &) = delete;
    UT_ThreadLimit &operator=(const UT_ThreadLimit &) = delete;

private:
    struct Control;
    std::unique_ptr<Control> myControl;
};

// Reduces [begin, end) in sub-ranges of exactly `grain` elements (the last
// may be shorter): partial = body(subBegin, subEnd, identity) for each, then
// the partials are joined in range order, starting from identity. The result
// therefore depends on the grain but never on the thread count or on which
// thread ran what.
//   body: T (size_t subBegin, size_t subEnd, T accumulator)
//   join: T (T accumulated, const T &partial)
template <typename T, typename Body, typename Join>
T UTparallelReduce(size_t begin, size_t end, size_t grain, const T &identity, const Body &body, const Join &join)
{
    if (end <= begin)
        return identity;
    grain = std::max<size_t>(grain, 1);
    const size_t chunks = (end - begin - 1) / grain + 1;
    std::vector<T> partial(chunks, identity);
    UTparallelFor(0, chunks, 1, [&](size_t first, size_t last) {
        for (size_t c = first; c < last; ++c)
        {
            const size_t from = begin + c * grain;
            partial[c] = body(from, std::min(end, from + grain), partial[c]);
        }
    });
    T result = identity;
    for (const T &p : partial)
        result = join(result, p);
    return result;
}
