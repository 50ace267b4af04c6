// The floating-point control state of a thread, captured and applied.
//
// Rounding mode and the flush-to-zero and denormals-are-zero switches belong
// to each thread. Work handed to another thread must run under the state of
// the thread that handed it over, or subnormal results (and with them the
// output bits) would depend on which thread did the work. On x86-64 the
// state float arithmetic follows is the MXCSR register; elsewhere it is the
// C floating-point environment.
#pragma once

#include <cfenv>
#include <cstdint>

struct UT_FPState
{
#if defined(__x86_64__) || defined(_M_X64)
    uint32_t mxcsr = 0;
#else
    std::fenv_t env{};
#endif
};

// The calling thread's state.
UT_FPState UTcaptureFPState();
// Makes `state` the calling thread's state.
void UTapplyFPState(const UT_FPState &state);

// Applies a state for the lifetime of the object, then restores the one the
// thread had before.
class UT_ScopedFPState
{
public:
    explicit UT_ScopedFPState(const UT_FPState &state) : mySaved(UTcaptureFPState()) { UTapplyFPState(state); }
    ~UT_ScopedFPState() { UTapplyFPState(mySaved); }
    UT_ScopedFPState(const UT_ScopedFPState &) = delete;
    UT_ScopedFPState &operator=(const UT_ScopedFPState &) = delete;

private:
    UT_FPState mySaved;
};
