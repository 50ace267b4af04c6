#include "node/configuration.h"

#include "contract/velkor_contract.h"

#include <cstdlib>
#include <cstring>

namespace HDK_Sample
{

namespace
{

// The node's one call into the process environment. std::getenv reads the
// same variables on Windows, where the command-line host sets them.
const char *environmentValue(const char *name) { return std::getenv(name); }

int64_t pointLimitFrom(const char *text)
{
    int64_t limit = INT32_MAX;
    if (text)
    {
        char *end = nullptr;
        const long long value = std::strtoll(text, &end, 10);
        if (end != text && *end == '\0' && value > 0 && value < limit)
            limit = value;
    }
    return limit;
}

}  // namespace

NodeConfiguration configurationFrom(const char *search, const char *pointLimit, const char *traceAhead)
{
    NodeConfiguration configuration;
    if (search && std::strcmp(search, velkor::kSearchExhaustive) == 0)
        configuration.search = SearchMode::Exhaustive;
    configuration.pointLimit = pointLimitFrom(pointLimit);
    if (traceAhead && std::strcmp(traceAhead, "1") == 0)
        configuration.walk = WalkMode::TraceAhead;
    return configuration;
}

NodeConfiguration configurationFromEnvironment()
{
    return configurationFrom(environmentValue(velkor::kEnvSearch), environmentValue(velkor::kEnvPointLimit),
                             environmentValue(velkor::kEnvTraceAhead));
}

}  // namespace HDK_Sample
