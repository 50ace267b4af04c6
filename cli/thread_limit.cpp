#include "cli/thread_limit.h"

ThreadLimit::ThreadLimit(int threads) : myLimit(threads) {}

int ThreadLimit::active() { return UTgetMaxThreads(); }
