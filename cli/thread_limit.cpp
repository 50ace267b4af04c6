#include "cli/thread_limit.h"

#ifdef VELKOR_HAVE_TBB
#include <tbb/global_control.h>
#endif

#include <cstddef>

#ifdef VELKOR_HAVE_TBB
struct ThreadLimit::Control
{
    explicit Control(int threads) : control(tbb::global_control::max_allowed_parallelism, size_t(threads)) {}
    tbb::global_control control;
};
#else
struct ThreadLimit::Control
{
    explicit Control(int) {}
};
#endif

ThreadLimit::ThreadLimit(int threads)
{
    if (threads > 0)
        myControl = std::make_unique<Control>(threads);
}

ThreadLimit::~ThreadLimit() = default;

int ThreadLimit::active()
{
#ifdef VELKOR_HAVE_TBB
    return int(tbb::global_control::active_value(tbb::global_control::max_allowed_parallelism));
#else
    return 1;
#endif
}
