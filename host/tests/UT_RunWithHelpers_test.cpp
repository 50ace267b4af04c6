// Work kept on the calling thread with helpers beside it: main always runs on
// the caller, helpers on other threads only and never beyond the thread
// limit, every started helper sees the stop once main is done, exceptions
// come back, and helpers follow the caller's floating-point state.
#include <UT/UT_ParallelUtil.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstring>
#include <mutex>
#include <set>
#include <stdexcept>
#include <thread>

#if defined(__x86_64__) || defined(_M_X64)
#include <xmmintrin.h>
#endif

namespace
{

// Waits up to a second for `count` to reach `wanted`; helpers may start late on a busy machine.
bool waitFor(const std::atomic<int> &count, int wanted)
{
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(1);
    while (count.load() < wanted && std::chrono::steady_clock::now() < until)
        std::this_thread::yield();
    return count.load() >= wanted;
}

struct HelperCase
{
    int limit;    // the thread limit meanwhile
    int helpers;  // helpers asked for
};

class UT_RunWithHelpers : public testing::TestWithParam<HelperCase>
{};

TEST_P(UT_RunWithHelpers, MainOnTheCallerHelpersBesideItUntilStopped)
{
    const HelperCase c = GetParam();
    const UT_ThreadLimit limit(c.limit);
    const std::thread::id caller = std::this_thread::get_id();
    std::mutex mutex;
    std::set<std::thread::id> helperThreads;
    std::atomic<int> started{0}, stoppedSeen{0}, work{0};
    bool mainOnCaller = false;
    UTrunWithHelpers(
        c.helpers,
        [&](const std::atomic<bool> &stop) {
            {
                std::lock_guard<std::mutex> lock(mutex);
                helperThreads.insert(std::this_thread::get_id());
            }
            ++started;
            while (!stop.load())
                ++work;
            ++stoppedSeen;
        },
        [&] {
            mainOnCaller = std::this_thread::get_id() == caller;
            // With room for helpers, wait until one has started, so that the
            // stop is seen by a running helper.
            if (c.helpers > 0 && c.limit != 1)
            {
                EXPECT_TRUE(waitFor(started, 1)) << "a helper should start beside main";
            }
        });
    EXPECT_TRUE(mainOnCaller);
    EXPECT_EQ(helperThreads.count(caller), 0u) << "helpers never run on the caller";
    EXPECT_EQ(stoppedSeen.load(), started.load()) << "every started helper returned after the stop";
    EXPECT_LE(int(helperThreads.size()), std::max(0, std::min(c.helpers, UTgetMaxThreads() - 1)))
        << "never more threads than the limit allows";
}

INSTANTIATE_TEST_SUITE_P(Limits, UT_RunWithHelpers,
                         testing::Values(HelperCase{2, 1}, HelperCase{4, 3}, HelperCase{2, 0}, HelperCase{1, 1}));

// main's exception reaches the caller and helpers still stop; so does a
// helper's when main succeeds; the facility stays usable.
TEST(UT_RunWithHelpersErrors, ExceptionsReachTheCallerAndHelpersStop)
{
    const UT_ThreadLimit two(2);
    std::atomic<int> running{0};
    const auto spin = [&](const std::atomic<bool> &stop) {
        ++running;
        while (!stop.load())
            std::this_thread::yield();
        --running;
    };
    EXPECT_THROW(UTrunWithHelpers(1, spin, [] { throw std::runtime_error("main failed"); }), std::runtime_error);
    EXPECT_EQ(running.load(), 0);
    std::atomic<int> helped{0};
    EXPECT_THROW(UTrunWithHelpers(
                     1,
                     [&](const std::atomic<bool> &) {
                         ++helped;
                         throw std::bad_alloc();
                     },
                     [&] { waitFor(helped, 1); }),
                 std::bad_alloc);
    int ran = 0;
    UTrunWithHelpers(1, spin, [&] { ++ran; });
    EXPECT_EQ(ran, 1);
}

// Nested inside a region, main still runs; helpers may or may not.
TEST(UT_RunWithHelpersErrors, InsideARegionMainStillRuns)
{
    const UT_ThreadLimit two(2);
    std::atomic<int> mains{0};
    UTparallelFor(0, 4, 1, [&](size_t, size_t) {
        UTrunWithHelpers(
            1,
            [](const std::atomic<bool> &stop) {
                while (!stop.load())
                    std::this_thread::yield();
            },
            [&] { ++mains; });
    });
    EXPECT_EQ(mains.load(), 4);
}

#if defined(__x86_64__) || defined(_M_X64)
TEST(UT_RunWithHelpersErrors, HelpersFollowTheCallersFloatingPointState)
{
    const UT_ThreadLimit two(2);
    // Pool threads started now keep the default state.
    UTparallelFor(0, 16, 1, [](size_t, size_t) { std::this_thread::sleep_for(std::chrono::microseconds(200)); });
    const unsigned saved = _mm_getcsr();
    const unsigned wanted = (saved & ~0x6000u) | 0x8040u | 0x6000u;  // FTZ, DAZ, toward zero
    _mm_setcsr(wanted);
    std::atomic<int> started{0};
    std::atomic<unsigned> seen{0};
    UTrunWithHelpers(
        1,
        [&](const std::atomic<bool> &) {
            seen = _mm_getcsr();
            ++started;
        },
        [&] { waitFor(started, 1); });
    _mm_setcsr(saved);
    ASSERT_EQ(started.load(), 1);
    EXPECT_EQ(seen.load() & 0xffc0u, wanted & 0xffc0u);
}
#endif

}  // namespace
