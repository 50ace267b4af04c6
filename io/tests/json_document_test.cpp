#include "io/geo/geo_reader.h"

#include "io/json/json_document.h"
#include "io/tests/test_geometry.h"

#include <gtest/gtest.h>

#include <string>

// The document is read only where the reader looks and skipped elsewhere;
// either way every byte is checked, so a file is refused for a JSON fault
// wherever it stands, and a syntax fault outranks any other.

namespace
{
std::string withPadding(std::string text)
{
    text.append(kJsonPadding, '\0');
    return text;
}

// A valid three-point file with `extra` inserted as a top-level field.
std::string withField(const std::string &extra)
{
    std::string text = geoDocument(3, numericEntry("P", "", 3, "fpreal32", R"("tuples",[[0,0,0],[1,0,0],[0,1,0]])"));
    return text.insert(1, extra + ",");
}

TEST(JsonDocument, FaultsAnywhereRefuseTheFile)
{
    struct Case
    {
        const char *label;
        std::string text;
    } cases[] = {
        {"trailing comma in a skipped array", withField(R"("extra",[1,2,])")},
        {"missing comma", withField(R"("extra",[1 2])")},
        {"bad escape", withField(R"("extra","a\x")")},
        {"control character in a string", withField("\"extra\",\"a\tb\"")},
        {"bad literal", withField(R"("extra",tru)")},
        {"leading zero", withField(R"("extra",01)")},
        {"number out of range", withField(R"("extra",1e400)")},
        {"object without colon", withField(R"("extra",{"a" 1})")},
        {"object with trailing comma", withField(R"("extra",{"a":1,})")},
        {"unpaired surrogate", withField(R"("extra","\ud800x")")},
        {"invalid UTF-8", withField("\"extra\",\"\xC3\x28\"")},
        {"deep nesting in a skipped value", withField("\"extra\"," + std::string(2000, '[') + std::string(2000, ']'))},
        {"text after the top level", withField(R"("extra",1)") + " x"},
        {"second top-level value", withField(R"("extra",1)") + "[]"},
        {"fault after a bad value", geoDocument(1, numericEntry("a", "", 1, "int32", R"("arrays",[["x"]])")) + ","},
    };
    for (const Case &c : cases)
    {
        GU_Detail gdp;
        const GeometryReadResult result = readGeoText(c.text, "j.geo", gdp);
        EXPECT_FALSE(result.ok) << c.label;
        EXPECT_NE(result.message.find("invalid JSON"), std::string::npos) << c.label << ": " << result.message;
        EXPECT_EQ(gdp.getNumPoints(), 0) << c.label;
    }
}

TEST(JsonDocument, EscapedStringsAreDecodedAndValidFieldsSkipped)
{
    GU_Detail gdp;
    const std::string text =
        withField(R"("info2",{"a":[1,-0,2.5e-3,true,false,null,"\"\\\/\b\f\n\r\t\u00e9\ud83d\ude00"]})");
    const GeometryReadResult result = readGeoText(text, "j.geo", gdp);
    ASSERT_TRUE(result.ok) << result.message;
    EXPECT_EQ(gdp.getNumPoints(), 3);

    // An attribute name spelled with escapes.
    const std::string escaped =
        geoDocument(1, R"([["type","numeric","name","\u0050"],["size",1,"storage","int8","values",)"
                       R"(["size",1,"storage","int8","arrays",[[7]]]]])");
    ASSERT_TRUE(readGeoText(escaped, "e.geo", gdp).ok);
    EXPECT_EQ(component(gdp, "P", 0, 0), 7.0);

    const std::string text2 = withPadding(R"( ["a\u00e9\ud83d\ude00", 1] )");
    const JsonDocument doc(std::string_view(text2.data(), text2.size() - kJsonPadding));
    const JsonValue root = doc.root();
    EXPECT_EQ((*root.array().begin()).string(), "a\xC3\xA9\xF0\x9F\x98\x80");
    EXPECT_EQ(root.array().size(), 2u);
    doc.checkTrailing(root);
}

TEST(JsonDocument, ASyntaxFaultOutranksAnEarlierFaultOfTheContent)
{
    // The bad value comes first in the text, the broken JSON later: the
    // message is about the JSON, with its line and column.
    GU_Detail gdp;
    std::string text = geoDocument(1, numericEntry("a", "", 1, "int32", R"("arrays",[["x"]])"));
    text.insert(text.size() - 1, ",\n\"tail\",[1,,2]");
    const GeometryReadResult result = readGeoText(text, "s.geo", gdp);
    ASSERT_FALSE(result.ok);
    EXPECT_NE(result.message.find("s.geo: line 2, column"), std::string::npos) << result.message;
    EXPECT_NE(result.message.find("invalid JSON"), std::string::npos) << result.message;
}

TEST(JsonDocument, ValuesStayReadableInAnyOrder)
{
    // Keys out of the usual order make the reader come back to values it
    // stepped over; the result is the same.
    GU_Detail gdp;
    const std::string text =
        R"(["attributes",["pointattributes",[[["type","numeric","name","P"],["size",3,"storage","fpreal32",)"
        R"("values",["tuples",[[1,2,3],[4,5,6]],"size",3,"storage","fpreal32"]]]]],)"
        R"("primitives",[],"pointcount",2,"primitivecount",0,"vertexcount",0])";
    const GeometryReadResult result = readGeoText(text, "o.geo", gdp);
    ASSERT_TRUE(result.ok) << result.message;
    EXPECT_EQ(component(gdp, "P", 1, 2), 6.0);
}
}  // namespace
