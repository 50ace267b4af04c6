#include <UT/UT_FPControl.h>

#if defined(__x86_64__) || defined(_M_X64)
#include <xmmintrin.h>

UT_FPState UTcaptureFPState()
{
    UT_FPState state;
    state.mxcsr = _mm_getcsr();
    return state;
}

void UTapplyFPState(const UT_FPState &state) { _mm_setcsr(state.mxcsr); }
#else
UT_FPState UTcaptureFPState()
{
    UT_FPState state;
    std::fegetenv(&state.env);
    return state;
}

void UTapplyFPState(const UT_FPState &state) { std::fesetenv(&state.env); }
#endif
