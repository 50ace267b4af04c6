#include "node/configuration.h"

#include <gtest/gtest.h>

using HDK_Sample::configurationFrom;
using HDK_Sample::NodeConfiguration;
using HDK_Sample::WalkMode;

namespace
{

TEST(Configuration, UnsetVariablesGiveTheDefaults)
{
    const NodeConfiguration c = configurationFrom(nullptr, nullptr, nullptr);
    EXPECT_EQ(c.search, SearchMode::Accelerated);
    EXPECT_EQ(c.pointLimit, INT32_MAX);
    EXPECT_EQ(c.walk, WalkMode::Sequential);
}

TEST(Configuration, SearchIsExhaustiveOnlyForItsExactWord)
{
    const struct
    {
        const char *text;
        SearchMode expected;
    } cases[] = {
        {"exhaustive", SearchMode::Exhaustive},  {"accelerated", SearchMode::Accelerated},
        {"Exhaustive", SearchMode::Accelerated}, {"exhaustive ", SearchMode::Accelerated},
        {"", SearchMode::Accelerated},           {"bvh", SearchMode::Accelerated},
    };
    for (const auto &c : cases)
        EXPECT_EQ(configurationFrom(c.text, nullptr, nullptr).search, c.expected) << '"' << c.text << '"';
}

TEST(Configuration, PointLimitTakesOnlyAWholeNumberBelowTheDefault)
{
    const struct
    {
        const char *text;
        int64_t expected;
    } cases[] = {
        {"10", 10},
        {"1", 1},
        {"2147483646", 2147483646},
        {" 7", 7},                  // leading blanks are skipped, as strtoll does
        {"2147483647", INT32_MAX},  // not below the default: the default
        {"99999999999999999999", INT32_MAX},
        {"0", INT32_MAX},
        {"-5", INT32_MAX},
        {"", INT32_MAX},
        {"12x", INT32_MAX},
        {"1e3", INT32_MAX},
        {"ten", INT32_MAX},
    };
    for (const auto &c : cases)
        EXPECT_EQ(configurationFrom(nullptr, c.text, nullptr).pointLimit, c.expected) << '"' << c.text << '"';
}

TEST(Configuration, TraceAheadOnlyForExactlyOne)
{
    EXPECT_EQ(configurationFrom(nullptr, nullptr, "1").walk, WalkMode::TraceAhead);
    for (const char *text : {"0", "", "true", "yes", "1 ", "01", "2"})
        EXPECT_EQ(configurationFrom(nullptr, nullptr, text).walk, WalkMode::Sequential) << '"' << text << '"';
}

}  // namespace
