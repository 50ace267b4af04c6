#include <UT/UT_ParallelUtil.h>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstring>
#include <mutex>
#include <new>
#include <set>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#if defined(__x86_64__) || defined(_M_X64)
#include <xmmintrin.h>
#endif

namespace
{

struct LoopCase
{
    size_t begin, end, grain;
    int threads;
};

class UT_ParallelFor : public testing::TestWithParam<LoopCase>
{};

TEST_P(UT_ParallelFor, VisitsEveryIndexOnceInSubRangesOfAtMostAGrain)
{
    const LoopCase c = GetParam();
    const UT_ThreadLimit limit(c.threads);
    std::vector<std::atomic<int>> visits(c.end + 1);
    std::atomic<bool> badRange{false};
    UTparallelFor(c.begin, c.end, c.grain, [&](size_t from, size_t to) {
        if (from >= to || from < c.begin || to > c.end || to - from > std::max<size_t>(c.grain, 1))
            badRange = true;
        for (size_t i = from; i < to && i < visits.size(); ++i)
            ++visits[i];
    });
    EXPECT_FALSE(badRange);
    for (size_t i = 0; i < visits.size(); ++i)
        EXPECT_EQ(visits[i], i >= c.begin && i < c.end ? 1 : 0) << "index " << i;
}

INSTANTIATE_TEST_SUITE_P(Ranges, UT_ParallelFor,
                         testing::Values(LoopCase{0, 0, 8, 2},      // empty
                                         LoopCase{5, 3, 8, 2},      // reversed: empty
                                         LoopCase{0, 1, 8, 2},      // below one grain
                                         LoopCase{3, 1000, 0, 2},   // grain 0 counts as 1
                                         LoopCase{7, 1007, 7, 1},   // one thread
                                         LoopCase{0, 4099, 16, 2},  // last sub-range short
                                         LoopCase{0, 100000, 64, 8}));

TEST(UT_ParallelUtil, LimitsNestAndLift)
{
    const int machine = UTgetMaxThreads();
    ASSERT_GE(machine, 1);
    {
        const UT_ThreadLimit many(machine + 5);  // adds no threads
        EXPECT_EQ(UTgetMaxThreads(), machine);
    }
    {
        const UT_ThreadLimit none(0);
        EXPECT_EQ(UTgetMaxThreads(), machine);
        const UT_ThreadLimit three(3);
        EXPECT_EQ(UTgetMaxThreads(), std::min(machine, 3));
        {
            const UT_ThreadLimit one(1);
            const UT_ThreadLimit two(2);  // the smallest alive wins
            EXPECT_EQ(UTgetMaxThreads(), 1);
        }
        EXPECT_EQ(UTgetMaxThreads(), std::min(machine, 3));
    }
    EXPECT_EQ(UTgetMaxThreads(), machine);
}

TEST(UT_ParallelUtil, OneThreadRunsEverythingOnTheCaller)
{
    const UT_ThreadLimit one(1);
    const std::thread::id caller = std::this_thread::get_id();
    std::atomic<int> elsewhere{0};
    UTparallelFor(0, 10000, 1, [&](size_t, size_t) {
        if (std::this_thread::get_id() != caller)
            ++elsewhere;
    });
    UTparallelInvoke([&] { elsewhere += std::this_thread::get_id() != caller; },
                     [&] { elsewhere += std::this_thread::get_id() != caller; });
    EXPECT_EQ(elsewhere, 0);
}

TEST(UT_ParallelUtil, TwoThreadsUseAtMostTwo)
{
    const UT_ThreadLimit two(2);
    std::mutex mutex;
    std::set<std::thread::id> seen;
    UTparallelFor(0, 64, 1, [&](size_t, size_t) {
        std::this_thread::sleep_for(std::chrono::microseconds(200));
        std::lock_guard<std::mutex> lock(mutex);
        seen.insert(std::this_thread::get_id());
    });
    EXPECT_LE(seen.size(), 2u);
}

TEST(UT_ParallelUtil, InvokeRunsBothAndNestedRegionsComplete)
{
    const UT_ThreadLimit two(2);
    std::atomic<int64_t> sum{0};
    UTparallelInvoke(
        [&] {
            UTparallelFor(0, 1000, 10, [&](size_t a, size_t b) {
                for (; a < b; ++a)
                    sum += int64_t(a);
            });
        },
        [&] {
            UTparallelFor(1000, 2000, 10, [&](size_t a, size_t b) {
                for (; a < b; ++a)
                    sum += int64_t(a);
            });
        });
    EXPECT_EQ(sum, 1999 * 2000 / 2);
}

// A task's exception reaches the caller with its own type, and the facility
// stays usable afterwards.
TEST(UT_ParallelUtil, ExceptionsReachTheCaller)
{
    for (const int threads : {1, 2})
    {
        const UT_ThreadLimit limit(threads);
        EXPECT_THROW(UTparallelFor(0, 1000, 1,
                                   [](size_t from, size_t to) {
                                       if (from <= 517 && 517 < to)
                                           throw std::bad_alloc();
                                   }),
                     std::bad_alloc);
        EXPECT_THROW(UTparallelInvoke([] {}, [] { throw std::runtime_error("b failed"); }), std::runtime_error);
        std::atomic<size_t> count{0};
        UTparallelFor(0, 1000, 1, [&](size_t a, size_t b) { count += b - a; });
        EXPECT_EQ(count, 1000u);
    }
}

// The join runs in range order on every thread count: concatenation, which
// is not commutative, shows it.
TEST(UT_ParallelUtil, ReduceJoinsPartialsInRangeOrder)
{
    std::string expected;
    for (size_t i = 3; i < 260; ++i)
        expected += char('a' + i % 26);
    for (const int threads : {1, 2, 4})
    {
        const UT_ThreadLimit limit(threads);
        const std::string joined = UTparallelReduce(
            3, 260, 16, std::string(),
            [](size_t from, size_t to, std::string acc) {
                for (size_t i = from; i < to; ++i)
                    acc += char('a' + i % 26);
                return acc;
            },
            [](std::string a, const std::string &b) { return a + b; });
        EXPECT_EQ(joined, expected) << threads << " threads";
    }
    EXPECT_EQ(UTparallelReduce(
                  5, 5, 4, 7, [](size_t, size_t, int) { return 0; }, [](int a, int b) { return a + b; }),
              7);
}

// A thread waiting in a region must not pick up the enclosing region's other
// tasks: each outer task checks that its thread is not already inside
// another outer task's inner region. The inner region's two tasks wait a
// little for each other, so that one of them is usually taken by the other
// thread and the region's owner has to wait for it. With work stealing the
// fault needs a third thread (the waiting one steals an outer task from it),
// so on a two-thread machine this only checks that nested regions complete.
TEST(UT_ParallelUtil, WaitingThreadRunsOnlyItsOwnRegion)
{
    const UT_ThreadLimit four(4);
    static thread_local bool waitingInInner = false;
    std::atomic<int> reentered{0};
    UTparallelFor(0, 32, 1, [&](size_t, size_t) {
        if (waitingInInner)
            ++reentered;
        waitingInInner = true;
        std::atomic<int> started{0};
        const auto meet = [&] {
            ++started;
            const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(3);
            while (started < 2 && std::chrono::steady_clock::now() < until)
                std::this_thread::yield();
        };
        UTparallelInvoke(meet, meet);
        waitingInInner = false;
    });
    EXPECT_EQ(reentered, 0);
}

#if defined(__x86_64__) || defined(_M_X64)
// Tasks run under the caller's flush-to-zero, denormals-are-zero and
// rounding settings, whichever thread runs them.
TEST(UT_ParallelUtil, TasksRunUnderTheCallersFloatingPointState)
{
    const UT_ThreadLimit two(2);
    // Helper threads started now inherit the default state.
    UTparallelFor(0, 16, 1, [](size_t, size_t) { std::this_thread::sleep_for(std::chrono::microseconds(200)); });
    const unsigned saved = _mm_getcsr();
    constexpr unsigned kFlushAndDenormalsZero = 0x8040;
    constexpr unsigned kRoundTowardZero = 0x6000;
    _mm_setcsr((saved & ~0x6000u) | kFlushAndDenormalsZero | kRoundTowardZero);
    volatile float tiny = 1e-20f, third = 3.0f;
    const float callerProduct = tiny * tiny;
    const float callerQuotient = 1.0f / third;
    std::atomic<int> differing{0};
    UTparallelFor(0, 256, 1, [&](size_t, size_t) {
        std::this_thread::sleep_for(std::chrono::microseconds(50));
        const float product = tiny * tiny, quotient = 1.0f / third;
        if (std::memcmp(&product, &callerProduct, 4) || std::memcmp(&quotient, &callerQuotient, 4))
            ++differing;
    });
    const unsigned after = _mm_getcsr();
    _mm_setcsr(saved);
    EXPECT_EQ(callerProduct, 0.0f) << "the product 1e-40 is flushed";
    EXPECT_EQ(differing, 0);
    EXPECT_EQ(after & 0xffc0u, (saved & ~0x6000u & 0xffc0u) | kFlushAndDenormalsZero | kRoundTowardZero)
        << "the caller's own state is left as it was";
}
#endif

}  // namespace
