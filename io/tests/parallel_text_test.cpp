#include "io/json/parallel_text.h"

#include "io/geo/geo_writer.h"
#include "io/json/float_format.h"
#include "io/tests/test_geometry.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <stdexcept>
#include <string>

// Text formatted on several threads must be exactly the text of one thread:
// every chunk boundary, every count, whatever the scheduling.

namespace
{
// Element i as text, with the separators a list needs.
void putElement(int64_t i, JsonText &out)
{
    out.raw(i ? ",\n[" : "\n[");
    out.integer(i);
    out.raw(',');
    out.real32(float(i) / 3.0f);
    out.raw(']');
}

std::string formatted(int64_t count)
{
    std::string text;
    JsonText json([&text](std::string_view block) { text.append(block); }, 4096);
    json.raw("head");
    formatInOrder(json, count, [](int64_t begin, int64_t end, JsonText &out, size_t) {
        for (int64_t i = begin; i < end; ++i)
            putElement(i, out);
    });
    json.raw("tail");
    json.finish();
    return text;
}

std::string formattedSerially(int64_t count)
{
    std::string text;
    JsonText json([&text](std::string_view block) { text.append(block); });
    json.raw("head");
    for (int64_t i = 0; i < count; ++i)
        putElement(i, json);
    json.raw("tail");
    json.finish();
    return text;
}

TEST(ParallelText, ChunksJoinIntoTheSerialText)
{
    const int64_t k = kFormatChunk;
    for (const int64_t count : {int64_t(0), int64_t(1), k - 1, k, k + 1, 2 * k, 7 * k + 5, 40 * k + 1})
        ASSERT_EQ(formatted(count), formattedSerially(count)) << count;
}

TEST(ParallelText, ChunksAreNumberedInElementOrder)
{
    const int64_t count = 9 * kFormatChunk + 3;
    std::vector<int64_t> firstOfChunk(formatChunkCount(count), -1);
    std::string text;
    JsonText json([&text](std::string_view block) { text.append(block); });
    formatInOrder(json, count, [&](int64_t begin, int64_t, JsonText &, size_t chunk) { firstOfChunk[chunk] = begin; });
    for (size_t c = 0; c < firstOfChunk.size(); ++c)
        EXPECT_EQ(firstOfChunk[c], int64_t(c) * kFormatChunk);
}

TEST(ParallelText, AFailingChunkStopsTheWholeRun)
{
    std::string text;
    JsonText json([&text](std::string_view block) { text.append(block); });
    EXPECT_THROW(formatInOrder(json, 6 * kFormatChunk,
                               [](int64_t begin, int64_t, JsonText &out, size_t chunk) {
                                   if (chunk == 3)
                                       throw std::runtime_error("chunk failed");
                                   out.integer(begin);
                               }),
                 std::runtime_error);
}

// The writer's tuples and single-component lists over many chunks, with
// non-finite values in a later chunk only: the text is what a plain loop
// gives, and the warning names the first such point.
TEST(ParallelText, WriterOutputAndWarningsDoNotDependOnChunks)
{
    GU_Detail gdp;
    const int64_t count = 3 * kFormatChunk + 11;
    makePoints(gdp, count);
    GA_ATINumeric *scalar =
        gdp.addNumericPointAttribute("s", 1, GA_STORE_REAL32, GA_LAYOUT_INTERLEAVED, GA_TYPE_VOID, {0.0});
    int64_t nonFinite = 0;
    for (int64_t i = 0; i < count; ++i)
    {
        const float v = i == 2 * kFormatChunk + 5                   ? std::numeric_limits<float>::infinity()
                        : i > 2 * kFormatChunk + 5 && i % 1000 == 0 ? std::numeric_limits<float>::quiet_NaN()
                                                                    : float(i) * 0.001f;
        scalar->getData().array(0).setTupleBytes(i, &v);
        nonFinite += std::isfinite(v) ? 0 : 1;
    }
    std::string text;
    const IoResult result = formatGeoText(gdp, text);
    ASSERT_TRUE(result.ok) << result.message;

    std::string tuples = "\"tuples\",[";
    std::string arrays = "\"arrays\",[[";
    char number[kMaxNumberChars];
    for (int64_t i = 0; i < count; ++i)
    {
        tuples += i ? ",\n\t\t\t\t\t[" : "\n\t\t\t\t\t[";
        for (int c = 0; c < 3; ++c)
        {
            const float p = float((c + 1) * i) / 7.0f;
            tuples += (c ? "," : "") + std::string(number, formatFloat9Reference(p, number));
        }
        tuples += ']';
        const float v = *scalar->getData().array(0).tupleAt<float>(i);
        arrays += i ? "," : "";
        arrays += std::isnan(v)   ? "\"nan\""
                  : std::isinf(v) ? "\"inf\""
                                  : std::string(number, formatFloat9Reference(v, number));
    }
    tuples += "\n\t\t\t\t]]]\n";
    arrays += "]]]]\n";
    EXPECT_NE(text.find(tuples), std::string::npos);
    EXPECT_NE(text.find(arrays), std::string::npos);
    ASSERT_EQ(result.warnings.size(), 1u);
    EXPECT_NE(result.warnings[0].find("first at point " + std::to_string(2 * kFormatChunk + 5)), std::string::npos)
        << result.warnings[0];
    EXPECT_NE(result.warnings[0].find("\"s\": " + std::to_string(nonFinite) + " non-finite values"), std::string::npos)
        << result.warnings[0];
}
}  // namespace
