#include "io/geo/geo_reader.h"

#include "io/tests/test_geometry.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

// Malformed files: each is refused, the geometry is left empty, and the
// message names the file, the place and what was expected there.

namespace
{
struct BadFile
{
    const char *label;
    std::string text;
    std::vector<std::string> expected;  // substrings of the message
};

std::string threePoints(const std::string &tuples)
{
    return geoDocument(3, numericEntry("P", "", 3, "fpreal32", "\"tuples\",[" + tuples + "]"));
}

std::string withTop(const std::string &replace, const std::string &by)
{
    std::string text = threePoints("[0,0,0],[1,0,0],[0,1,0]");
    text.replace(text.find(replace), replace.size(), by);
    return text;
}

std::vector<BadFile> badFiles()
{
    const std::string header = R"(["pointcount",3,"vertexcount",3,"primitivecount",1,)";
    return {
        {"truncated",
         R"(["fileversion","15.5.565","pointcount",)"
         "\n"
         R"([1,2)",
         {"bad.geo: line 2", "invalid JSON"}},
        {"not_an_array", R"({"pointcount":1})", {"expected a JSON array"}},
        {"empty", "  \n", {"the file is empty"}},
        {"binary", std::string("\x7fNSJb", 5), {"binary"}},
        {"odd_key_value_list", R"(["pointcount"])", {"(top level)", "in pairs"}},
        {"key_not_a_string", R"([3,"pointcount"])", {"[0]: expected a key (string), found the number 3"}},
        {"missing_count", R"(["pointcount",1,"vertexcount",0])", {"missing key \"primitivecount\""}},
        {"count_as_string",
         withTop("\"pointcount\",3", "\"pointcount\",\"3\""),
         {"pointcount: expected an element count, found a string \"3\""}},
        {"negative_count", withTop("\"pointcount\",3", "\"pointcount\",-3"), {"pointcount", "from 0 to 2147483648"}},
        {"count_beyond_limit",
         withTop("\"pointcount\",3", "\"pointcount\",1099511627776"),
         {"pointcount", "found the number 1099511627776"}},
        {"count_unbacked_by_data",
         R"(["pointcount",2147483648,"vertexcount",0,"primitivecount",0])",
         {"pointcount", "more data than a file of"}},
        {"has_index", withTop("\"hasindex\",false", "\"hasindex\",true"), {"hasindex: ", "not supported"}},
        {"topology_short",
         header + R"("topology",["pointref",["indices",[0,1]]]])",
         {"topology/pointref/indices: expected 3 point numbers (vertexcount), found 2"}},
        {"topology_index_out_of_range",
         geoDocument(2, "", "0,2,1", 3, R"([["type","Poly"],["vertex",[0,1,2]]])", 1),
         {"topology/pointref/indices[1]: expected a point number from 0 to 1, found the number 2"}},
        {"tuple_count",
         threePoints("[0,0,0],[1,0,0]"),
         {"attributes/pointattributes[0]/values/tuples: expected 3 tuples (one per element), found 2"}},
        {"tuple_value_type",
         threePoints("[0,0,0],[1,0,\"x\"],[0,1,0]"),
         {"attributes/pointattributes[0]/values/tuples[1]: component 2: expected a number, found a string \"x\""}},
        {"tuple_size",
         threePoints("[0,0,0],[1,0],[0,1,0]"),
         {"values/tuples[1]: expected an array of 3 numbers, found an array of 2 items"}},
        {"duplicate_name",
         geoDocument(1, numericEntry("a", "", 1, "int32", R"("arrays",[[1]])") + "," +
                            numericEntry("a", "", 1, "int32", R"("arrays",[[2]])")),
         {"attributes/pointattributes[1]", "a second point attribute named \"a\""}},
        {"unknown_storage",
         geoDocument(1, numericEntry("a", "", 1, "float128", R"("arrays",[[1]])")),
         {"attributes/pointattributes[0]/storage: unknown storage \"float128\""}},
        {"no_encoding",
         geoDocument(1, numericEntry("a", "", 1, "int32", R"("values2",[[1]])")),
         {"attributes/pointattributes[0]/values: expected one of the keys"}},
        {"values_size_differs",
         R"(["pointcount",1,"vertexcount",0,"primitivecount",0,"attributes",["pointattributes",[)"
         R"([["type","numeric","name","a"],["size",2,"storage","int8","values",)"
         R"(["size",3,"storage","int8","tuples",[[1,2]]]]]]]])",
         {"values/size: expected the attribute's tuple size from 2 to 2, found the number 3"}},
        {"options_type_not_object",
         geoDocument(1, numericEntry("a", R"("type":"vector")", 1, "int32", R"("arrays",[[1]])")),
         {"attributes/pointattributes[0]/options/type: expected an object"}},
        {"string_index_out_of_range",
         geoDocument(1, R"([["type","string","name","s"],["size",1,"strings",["a"],)"
                        R"("indices",["size",1,"storage","int32","arrays",[[1]]]]])"),
         {"attributes/pointattributes[0]/indices/arrays[0][0]", "from -1 to 0"}},
        {"primitive_vertex_out_of_range",
         geoDocument(3, "", "0,1,2", 3, R"([["type","Poly"],["vertex",[0,1,3]]])", 1),
         {"primitives[0]/vertex[2]: expected a vertex number from 0 to 2, found the number 3"}},
        {"primitive_count_mismatch",
         geoDocument(3, "", "0,1,2", 3, R"([["type","Poly"],["vertex",[0,1,2]]])", 2),
         {"primitives: holds 1 primitives, but primitivecount is 2"}},
        {"missing_primitives",
         R"(["pointcount",0,"vertexcount",0,"primitivecount",1])",
         {"missing key \"primitives\""}},
        {"too_deep", std::string(5000, '[') + std::string(5000, ']'), {"invalid JSON"}},
        {"integer_storage_nan",
         geoDocument(1, numericEntry("a", "", 1, "int32", R"("arrays",[["nan"]])")),
         {"arrays[0][0]: expected an integer, found a string \"nan\""}},
        {"fraction_in_integer",
         geoDocument(1, numericEntry("a", "", 1, "uint8", R"("arrays",[[1.5]])")),
         {"arrays[0][0]: expected an integer from 0 to 255 (uint8), found the number 1.5"}},
        {"float_overflow",
         geoDocument(1, numericEntry("a", "", 1, "fpreal32", R"("arrays",[[1e39]])")),
         {"arrays[0][0]: expected a number that fits fpreal32"}},
        {"attribute_entry_of_three",
         geoDocument(1, R"([["type","numeric","name","a"],["size",1,"storage","int32","values",)"
                        R"(["size",1,"storage","int32","arrays",[[1]]]],[]])"),
         {"attributes/pointattributes[0]: expected an attribute [header, body], found an array of 3 items"}},
        {"skipped_entry_of_three",
         geoDocument(1, R"([["type","dict","name","d"],{},{}])"),
         {"attributes/pointattributes[0]: expected an attribute [header, body]"}},
        {"odd_list_after_the_wanted_key",
         R"(["pointcount",0,"vertexcount",0,"primitivecount",0,"primitives",[],"info"])",
         {"in pairs"}},
        {"primitive_entry_of_three",
         geoDocument(3, "", "0,1,2", 3, R"([["type","Poly"],["vertex",[0,1,2]],[]])", 1),
         {"primitives[0]: expected a primitive [header, body], found an array of 3 items"}},
        {"too_many_tuples",
         threePoints("[0,0,0],[1,0,0],[0,1,0],[1,1,1]"),
         {"values/tuples: expected 3 tuples (one per element), found 4"}},
        {"topology_long",
         header + R"("topology",["pointref",["indices",[0,1,2,0]]]])",
         {"topology/pointref/indices: expected 3 point numbers (vertexcount), found 4"}},
    };
}

void PrintTo(const BadFile &bad, std::ostream *out) { *out << bad.label; }

class GeoReaderErrors : public ::testing::TestWithParam<BadFile>
{};

TEST_P(GeoReaderErrors, RefusedWithLocationAndExpectation)
{
    const BadFile &bad = GetParam();
    GU_Detail gdp;
    makePoints(gdp, 2);
    const GeometryReadResult result = readGeoText(bad.text, "bad.geo", gdp);
    ASSERT_FALSE(result.ok);
    EXPECT_EQ(result.message.rfind("bad.geo: ", 0), 0u) << result.message;
    for (const std::string &part : bad.expected)
        EXPECT_NE(result.message.find(part), std::string::npos) << "missing \"" << part << "\" in\n" << result.message;
    EXPECT_EQ(gdp.getNumPoints(), 0);
    EXPECT_EQ(gdp.getNumPrimitives(), 0);
}

INSTANTIATE_TEST_SUITE_P(Table, GeoReaderErrors, ::testing::ValuesIn(badFiles()),
                         [](const ::testing::TestParamInfo<BadFile> &info) { return std::string(info.param.label); });
}  // namespace
