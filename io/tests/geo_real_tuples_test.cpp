#include "io/geo/geo_real_tuples.h"

#include "io/geo/geo_reader.h"
#include "io/tests/test_geometry.h"

#include <UT/UT_ParallelUtil.h>

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

namespace
{
// Text followed by the zero padding the reader relies on.
std::string padded(const std::string &text) { return text + std::string(64, '\0'); }

TEST(PlainRealTuple, ReadsPlainNumbersAndLeavesAnythingElse)
{
    struct Case
    {
        const char *text;
        bool plain;
    } cases[] = {
        {"[1,2,3]", true},      {"[ -0 ,\n1e-3\t,2.5 ]", true},
        {"[1,2]", false},       {"[1,2,3,4]", false},
        {"[1,\"x\",3]", false}, {"[\"nan\",0,0]", false},
        {"[1e400,0,0]", false}, {"[1,2,3", false},
        {"[1,,3]", false},      {"[1.,2,3]", false},
        {"1,2,3]", false},      {"[1 2,3]", false},
    };
    for (const Case &c : cases)
    {
        const std::string text = padded(c.text);
        double tuple[3] = {7, 7, 7};
        const char *end = readPlainRealTuple(text.data(), 3, 1e300, tuple);
        EXPECT_EQ(end != nullptr, c.plain) << c.text;
        if (end)
        {
            EXPECT_EQ(size_t(end - text.data()), std::strlen(c.text)) << c.text;
        }
    }
    const std::string negativeZero = padded("[-0,0,1]");
    double tuple[3];
    ASSERT_TRUE(readPlainRealTuple(negativeZero.data(), 3, 1e300, tuple));
    EXPECT_TRUE(std::signbit(tuple[0]));
    EXPECT_FALSE(std::signbit(tuple[1]));
}

TEST(PlainRealTuple, TailStartsOnlyAtALaterTupleAndStopsAtTheListEnd)
{
    const std::string text = padded("[[1,2],\n [3,4], [5,6]],[7]");
    EXPECT_EQ(findTupleStart(text.data(), text.size(), 1), text.find("[3"));
    TupleTail tail;
    tail.start = text.find("[3");
    readTupleTail(text.data(), 2, 1e300, 10, 2, tail);
    EXPECT_TRUE(tail.complete);
    EXPECT_EQ(tail.count, 2);
    EXPECT_EQ(tail.values, (std::vector<double>{3, 4, 5, 6}));
    EXPECT_EQ(tail.lastStart, text.find("[5"));
    readTupleTail(text.data(), 2, 1e300, 1, 2, tail);  // more tuples than allowed
    EXPECT_FALSE(tail.complete);
}

// A list long enough to be read in two halves, with one tuple replaced:
// reading on two threads must give exactly what one thread gives, the
// geometry when the file is good and the message when it is not.
struct LongListCase
{
    const char *label;
    const char *tuple;    // replaces the tuple at `at`; empty: none
    const char *after;    // appended after the last tuple
    int64_t at = 150001;  // in the half read ahead
};

constexpr int64_t kTuples = 200000;

std::string longList(const LongListCase &c)
{
    std::string tuples;
    tuples.reserve(size_t(kTuples) * 40);
    for (int64_t i = 0; i < kTuples; ++i)
    {
        if (i)
            tuples += ",\n\t";
        if (i == c.at && *c.tuple)
            tuples += c.tuple;
        else
            tuples += "[" + std::to_string(float(i) / 7.0f) + ",-0," + std::to_string(i) + "e-3]";
    }
    tuples += c.after;
    return geoDocument(kTuples, numericEntry("P", "", 3, "fpreal32", "\"tuples\",[" + tuples + "]"));
}

class LongTupleList : public ::testing::TestWithParam<LongListCase>
{};

TEST_P(LongTupleList, TwoThreadsReadWhatOneReads)
{
    const std::string text = longList(GetParam());
    GU_Detail one, two;
    GeometryReadResult a, b;
    {
        UT_ThreadLimit limit(1);
        a = readGeoText(text, "long.geo", one);
    }
    {
        UT_ThreadLimit limit(2);
        b = readGeoText(text, "long.geo", two);
    }
    EXPECT_EQ(a.ok, b.ok);
    EXPECT_EQ(a.message, b.message);
    EXPECT_EQ(a.warnings, b.warnings);
    if (!a.ok || !b.ok)
        return;
    ASSERT_EQ(one.getNumPoints(), kTuples);
    ASSERT_EQ(two.getNumPoints(), kTuples);
    for (int64_t p = 0; p < kTuples; ++p)
        for (int c = 0; c < 3; ++c)
        {
            const double x = component(one, "P", p, c), y = component(two, "P", p, c);
            ASSERT_EQ(std::memcmp(&x, &y, sizeof x), 0) << "point " << p << " component " << c;
        }
    EXPECT_TRUE(std::signbit(component(two, "P", kTuples - 1, 1)));
}

INSTANTIATE_TEST_SUITE_P(
    Faults, LongTupleList,
    ::testing::Values(LongListCase{"plain", "", ""}, LongListCase{"spaced", "[ 1 , 2 , 3 ]", ""},
                      LongListCase{"non_finite", "[\"nan\",\"-inf\",0]", ""}, LongListCase{"string", "[1,\"x\",3]", ""},
                      LongListCase{"string_first_half", "[1,\"x\",3]", "", 50001}, LongListCase{"short", "[1,2]", ""},
                      LongListCase{"long", "[1,2,3,4]", ""}, LongListCase{"overflow", "[1e39,0,0]", ""},
                      LongListCase{"missing_comma", "[1,2,3] [4,5,6]", ""}, LongListCase{"nested", "[1,[2],3]", ""},
                      LongListCase{"extra_tuple", "", ",[0,0,0]"}, LongListCase{"trailing_comma", "", ","},
                      LongListCase{"syntax", "", "}"}),
    [](const ::testing::TestParamInfo<LongListCase> &info) { return std::string(info.param.label); });
}  // namespace
