#include <UT/UT_ParallelUtil.h>

#include <climits>
#include <exception>
#include <thread>

#if HOST_HAVE_TBB
#include <tbb/blocked_range.h>
#include <tbb/global_control.h>
#include <tbb/info.h>
#include <tbb/parallel_for.h>
#include <tbb/parallel_invoke.h>
#include <tbb/task_arena.h>
#include <tbb/task_group.h>
#else
#include <UT/UT_ThreadPool.h>

#include <mutex>
#include <set>
#include <thread>
#endif

#if HOST_HAVE_TBB

namespace
{

// Runs region(context) isolated, with a context that carries the calling
// thread's floating-point state to every task of the region. The context is
// bound to the enclosing one, so cancelling an outer region (when one of its
// tasks throws) cancels this one too.
template <typename Region>
void runIsolated(const Region &region)
{
    tbb::this_task_arena::isolate([&] {
        tbb::task_group_context context(tbb::task_group_context::bound);
        context.capture_fp_settings();
        region(context);
    });
}

}  // namespace

void UTparallelFor(size_t begin, size_t end, size_t grain, const std::function<void(size_t, size_t)> &body)
{
    if (end <= begin)
        return;
    runIsolated([&](tbb::task_group_context &context) {
        tbb::parallel_for(
            tbb::blocked_range<size_t>(begin, end, std::max<size_t>(grain, 1)),
            [&](const tbb::blocked_range<size_t> &r) { body(r.begin(), r.end()); }, tbb::simple_partitioner(), context);
    });
}

void UTparallelInvoke(const std::function<void()> &a, const std::function<void()> &b)
{
    runIsolated([&](tbb::task_group_context &context) { tbb::parallel_invoke(a, b, context); });
}

namespace
{

// UTrunWithHelpers with at least one helper allowed.
void runBesideHelpers(int helpers, const std::function<void(const std::atomic<bool> &)> &helper,
                      const std::function<void()> &main)
{
    std::atomic<bool> stop{false};
    const std::thread::id caller = std::this_thread::get_id();
    std::exception_ptr error;
    runIsolated([&](tbb::task_group_context &context) {
        tbb::task_group group(context);
        for (int i = 0; i < helpers; ++i)
            group.run([&] {
                if (std::this_thread::get_id() != caller)
                    helper(stop);
            });
        try
        {
            main();
        }
        catch (...)
        {
            error = std::current_exception();
        }
        stop.store(true, std::memory_order_release);
        try
        {
            group.wait();
        }
        catch (...)
        {
            if (!error)
                error = std::current_exception();
        }
    });
    if (error)
        std::rethrow_exception(error);
}

}  // namespace

int UTgetMaxThreads()
{
    // A limit above the machine's count adds no threads to the scheduler.
    const size_t limit = tbb::global_control::active_value(tbb::global_control::max_allowed_parallelism);
    const size_t n = std::min<size_t>(limit, size_t(std::max(tbb::info::default_concurrency(), 1)));
    return n < 1 ? 1 : int(std::min<size_t>(n, INT_MAX));
}

struct UT_ThreadLimit::Control
{
    explicit Control(int threads) : control(tbb::global_control::max_allowed_parallelism, size_t(threads)) {}
    tbb::global_control control;
};

UT_ThreadLimit::UT_ThreadLimit(int threads)
{
    if (threads > 0)
        myControl = std::make_unique<Control>(threads);
}

UT_ThreadLimit::~UT_ThreadLimit() = default;

#else  // standard threads

namespace
{

// The limits alive now; the smallest is in force.
std::mutex theLimitMutex;
std::multiset<int> theLimits;

}  // namespace

void UTparallelFor(size_t begin, size_t end, size_t grain, const std::function<void(size_t, size_t)> &body)
{
    if (end <= begin)
        return;
    grain = std::max<size_t>(grain, 1);
    const size_t chunks = (end - begin - 1) / grain + 1;
    UTrunOnThreadPool(chunks, UTgetMaxThreads(), [&](size_t c) {
        const size_t from = begin + c * grain;
        body(from, std::min(end, from + std::min(grain, end - from)));
    });
}

void UTparallelInvoke(const std::function<void()> &a, const std::function<void()> &b)
{
    UTrunOnThreadPool(2, UTgetMaxThreads(), [&](size_t i) { i == 0 ? a() : b(); });
}

namespace
{

// UTrunWithHelpers with at least one helper allowed.
void runBesideHelpers(int helpers, const std::function<void(const std::atomic<bool> &)> &helper,
                      const std::function<void()> &main)
{
    std::atomic<bool> stop{false};
    const std::thread::id caller = std::this_thread::get_id();
    UTrunBesideOnThreadPool(
        size_t(helpers),
        [&](size_t) {
            if (std::this_thread::get_id() != caller && !stop.load(std::memory_order_acquire))
                helper(stop);
        },
        main, stop);
}

}  // namespace

int UTgetMaxThreads()
{
    // A limit above the machine's count would only oversubscribe it.
    const unsigned hardware = std::thread::hardware_concurrency();
    const int machine = hardware < 1 ? 1 : int(std::min<unsigned>(hardware, INT_MAX));
    std::lock_guard<std::mutex> lock(theLimitMutex);
    return theLimits.empty() ? machine : std::min(machine, *theLimits.begin());
}

struct UT_ThreadLimit::Control
{
    explicit Control(int threads) : threads(threads)
    {
        std::lock_guard<std::mutex> lock(theLimitMutex);
        theLimits.insert(threads);
    }
    ~Control()
    {
        std::lock_guard<std::mutex> lock(theLimitMutex);
        theLimits.erase(theLimits.find(threads));
    }
    int threads;
};

UT_ThreadLimit::UT_ThreadLimit(int threads)
{
    if (threads > 0)
        myControl = std::make_unique<Control>(threads);
}

UT_ThreadLimit::~UT_ThreadLimit() = default;

#endif

void UTrunWithHelpers(int helpers, const std::function<void(const std::atomic<bool> &)> &helper,
                      const std::function<void()> &main)
{
    helpers = std::min(helpers, UTgetMaxThreads() - 1);  // the thread limit counts the caller too
    if (helpers < 1)
    {
        main();
        return;
    }
    runBesideHelpers(helpers, helper, main);
}
