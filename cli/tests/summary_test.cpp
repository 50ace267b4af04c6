#include "cli/summary.h"

#include <gtest/gtest.h>

#include <climits>

namespace
{

TEST(FormatCount, GroupsThousands)
{
    const std::pair<int64_t, const char *> cases[] = {
        {0, "0"},
        {999, "999"},
        {1000, "1,000"},
        {123456, "123,456"},
        {1234567, "1,234,567"},
        {-1000, "-1,000"},
        {INT64_MIN, "-9,223,372,036,854,775,808"},
    };
    for (const auto &[value, text] : cases)
        EXPECT_EQ(formatCount(value), text);
}

CookSummary exampleSummary()
{
    CookSummary s;
    s.title = "velkor cook: p.geo against c.geo";
    s.inputPoints = 1000;
    s.colliderPrimitives = 12;
    s.outputPoints = 3500;
    s.raysTraced = 4000;
    s.threads = 2;
    s.search = "accelerated";
    s.cookSeconds = 2.0;
    return s;
}

TEST(Summary, ReportsGainAndRate)
{
    const std::string text = formatSummary(exampleSummary());
    EXPECT_NE(text.find("points appended  2,500\n"), std::string::npos) << text;
    EXPECT_NE(text.find("rays traced      4,000\n"), std::string::npos) << text;
    EXPECT_NE(text.find("2.000 s   2,000 rays/s   (2 threads, accelerated search)"), std::string::npos) << text;
    EXPECT_NE(text.find("messages         none"), std::string::npos) << text;
    // Phases that did not run are left out.
    EXPECT_EQ(text.find("  read "), std::string::npos) << text;
    EXPECT_EQ(text.find("  preview "), std::string::npos) << text;
}

TEST(Summary, ListsEveryMessageWithItsSeverity)
{
    CookSummary s = exampleSummary();
    s.messages.push_back({"SOP", 4, UT_ERROR_WARNING, "Invalid bounces"});
    s.messages.push_back({"SOP", 4, UT_ERROR_ABORT, "Tracing interrupted"});
    s.fileWarnings.push_back("out.geo: something odd");
    const std::string text = formatSummary(s);
    EXPECT_NE(
        text.find("  Warning: Invalid bounces\n  Error: Tracing interrupted\n  Warning: out.geo: something odd\n"),
        std::string::npos)
        << text;
    EXPECT_EQ(text.find("none"), std::string::npos) << text;
}

TEST(Summary, ShrunkOutputIsShownAsACountNotANegativeGain)
{
    CookSummary s = exampleSummary();
    s.outputPoints = 0;  // a cook refused before copying its input
    const std::string text = formatSummary(s);
    EXPECT_NE(text.find("output points    0\n"), std::string::npos) << text;
    EXPECT_EQ(text.find("appended"), std::string::npos) << text;
}

}  // namespace
