#include "io/geo/geo_writer.h"

#include "io/geo/geo_reader.h"
#include "io/tests/test_geometry.h"

#include <gtest/gtest.h>

#include <GA/GA_ATIString.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <limits>
#include <random>
#include <string>
#include <vector>

namespace
{
std::string format(const GU_Detail &gdp, const GeoWriteOptions &options = {}, IoResult *out = nullptr)
{
    std::string text;
    IoResult result = formatGeoText(gdp, text, options);
    EXPECT_TRUE(result.ok) << result.message;
    if (out)
        *out = result;
    return text;
}

void setTuple(GA_ATINumeric *attribute, GA_Offset off, const void *bytes, size_t elementBytes)
{
    GA_DataArrayTuple &data = attribute->getData();
    if (data.getLayout() == GA_LAYOUT_INTERLEAVED)
        data.array(0).setTupleBytes(off, bytes);
    else
        for (int c = 0; c < data.numArrays(); ++c)
            data.array(c).setTupleBytes(off, static_cast<const unsigned char *>(bytes) + c * elementBytes);
}

TEST(GeoWriter, WritesTheDocumentedLayout)
{
    GU_Detail gdp;
    const GA_Offset first = gdp.appendPointBlock(3);
    GA_ATINumeric *position = gdp.addFloatTuple3("P", GA_TYPE_POINT);
    GA_ATINumeric *direction = gdp.addFloatTuple3("dir", GA_TYPE_VECTOR);
    const float p[3][3] = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}};
    const float d[3][3] = {{0, 0, 1}, {0, 0, 1}, {0.6f, 0, 0.8f}};
    for (int i = 0; i < 3; ++i)
    {
        setTuple(position, first + i, p[i], 4);
        setTuple(direction, first + i, d[i], 4);
    }
    gdp.appendPolygon({first, first + 1, first + 2});
    const std::string expected = R"([
	"fileversion","15.5.565",
	"hasindex",false,
	"pointcount",3,
	"vertexcount",3,
	"primitivecount",1,
	"info",{
		"software":"velkor"
	},
	"topology",[
		"pointref",[
			"indices",[0,1,2]
		]
	],
	"attributes",[
		"pointattributes",[
			[
				["scope","public","type","numeric","name","P","options",{"type":{"type":"string","value":"point"}}],
				["size",3,"storage","fpreal32","defaults",["size",1,"storage","fpreal64","values",[0]],"values",["size",3,"storage","fpreal32","tuples",[
					[0,0,0],
					[1,0,0],
					[0,1,0]
				]]]
			],
			[
				["scope","public","type","numeric","name","dir","options",{"type":{"type":"string","value":"vector"}}],
				["size",3,"storage","fpreal32","defaults",["size",1,"storage","fpreal64","values",[0]],"values",["size",3,"storage","fpreal32","tuples",[
					[0,0,1],
					[0,0,1],
					[0.600000024,0,0.800000012]
				]]]
			]
		]
	],
	"primitives",[
		[["type","run","runtype","Poly","varyingfields",["vertex"],"uniformfields",{"closed":true}],[
			[[0,1,2]]
		]]
	]
]
)";
    EXPECT_EQ(format(gdp), expected);
}

// One attribute of every storage, sizes 1 and 3, with extreme values.
void fillEveryStorage(GU_Detail &gdp, int64_t count)
{
    std::mt19937_64 random(7);
    makePoints(gdp, count);
    const GA_Storage storages[] = {GA_STORE_UINT8, GA_STORE_INT8,   GA_STORE_INT16,  GA_STORE_INT32,
                                   GA_STORE_INT64, GA_STORE_REAL16, GA_STORE_REAL32, GA_STORE_REAL64};
    for (GA_Storage storage : storages)
        for (int size : {1, 3})
        {
            const bool real = storage == GA_STORE_REAL32 || storage == GA_STORE_REAL64;
            const std::string name = "s" + std::to_string(int(storage)) + "_" + std::to_string(size);
            GA_ATINumeric *attribute = gdp.addNumericPointAttribute(
                name, size, storage, real ? GA_LAYOUT_INTERLEAVED : GA_LAYOUT_COMPONENTS, GA_TYPE_VOID, {1.5, -2});
            const size_t bytes = size_t(GAsizeofStorage(storage));
            for (int64_t i = 0; i < count; ++i)
            {
                unsigned char tuple[24];
                for (size_t k = 0; k < sizeof tuple; k += 8)
                {
                    const uint64_t r = random();
                    std::memcpy(tuple + k, &r, 8);
                }
                // Random bits make every float class (subnormals, -0, the
                // extremes); non-finite ones are replaced by small values.
                for (int c = 0; c < size; ++c)
                {
                    unsigned char *element = tuple + c * bytes;
                    if (storage == GA_STORE_REAL32)
                    {
                        float f;
                        std::memcpy(&f, element, 4);
                        if (!std::isfinite(f))
                            f = float(c) / 3.0f;
                        std::memcpy(element, &f, 4);
                    }
                    else if (storage == GA_STORE_REAL64)
                    {
                        double v;
                        std::memcpy(&v, element, 8);
                        if (!std::isfinite(v))
                            v = double(c) / 3.0;
                        std::memcpy(element, &v, 8);
                    }
                    else if (storage == GA_STORE_REAL16)
                    {
                        fpreal16 h;
                        std::memcpy(&h, element, 2);
                        if (!h.isFinite())
                            h = fpreal16(0.25f * float(c));
                        std::memcpy(element, &h, 2);
                    }
                }
                setTuple(attribute, i, tuple, bytes);
            }
        }
}

TEST(GeoWriter, EveryStorageReadsBackBitForBitAndRewritesIdentically)
{
    GU_Detail original;
    fillEveryStorage(original, 2000);
    const std::string text = format(original);
    GU_Detail copy;
    const GeometryReadResult read = readGeoText(text, "round.geo", copy);
    ASSERT_TRUE(read.ok) << read.message;
    ASSERT_EQ(attributeNames(copy), attributeNames(original));
    for (const std::string &name : attributeNames(original))
    {
        const GA_ATINumeric *a = numericAttribute(original, name);
        const GA_ATINumeric *b = numericAttribute(copy, name);
        ASSERT_EQ(a->getStorage(), b->getStorage()) << name;
        ASSERT_EQ(a->getLayout(), b->getLayout()) << name;
        EXPECT_EQ(a->getDefaults(), b->getDefaults()) << name;
        for (int k = 0; k < a->getData().numArrays(); ++k)
        {
            const GA_DataArray &x = a->getData().array(k);
            const GA_DataArray &y = b->getData().array(k);
            for (GA_Offset off = 0; off < original.getNumPoints(); ++off)
                ASSERT_EQ(std::memcmp(x.tupleAt<unsigned char>(off), y.tupleAt<unsigned char>(off), x.tupleBytes()), 0)
                    << name << " point " << off;
        }
    }
    EXPECT_EQ(format(copy), text);
    EXPECT_EQ(format(original), text);
}

TEST(GeoWriter, FixturesSurviveAReadWriteCycleUnchanged)
{
    for (const char *file :
         {"h13_multiple_poly_boxes_groups.geo", "h16_5_points_partanim.geo", "h16_5_grid_tetra_polygon_run.geo"})
    {
        GU_Detail first, second;
        const GeometryReadResult read = readGeoFile(testDataPath(file), first);
        ASSERT_TRUE(read.ok) << read.message;
        GeoWriteOptions options;
        options.typeTokens = read.info.typeTokens;
        const std::string text = format(first, options);
        const GeometryReadResult again = readGeoText(text, file, second);
        ASSERT_TRUE(again.ok) << again.message;
        EXPECT_EQ(again.info.typeTokens, read.info.typeTokens) << file;
        EXPECT_EQ(polygonPoints(second), polygonPoints(first)) << file;
        EXPECT_EQ(format(second, options), text) << file;
    }
}

TEST(GeoWriter, NonFiniteValuesBecomeTokensWithAWarning)
{
    GU_Detail gdp;
    makePoints(gdp, 6);
    GA_ATINumeric *position = const_cast<GA_ATINumeric *>(numericAttribute(gdp, "P"));
    position->setDouble(2, 1, std::numeric_limits<double>::quiet_NaN());
    position->setDouble(4, 0, -std::numeric_limits<double>::infinity());
    position->setDouble(4, 2, std::numeric_limits<double>::infinity());
    IoResult result;
    const std::string text = format(gdp, {}, &result);
    EXPECT_NE(text.find("[\"-inf\",1.14285719,\"inf\"]"), std::string::npos);
    ASSERT_EQ(result.warnings.size(), 1u);
    EXPECT_NE(result.warnings[0].find("attribute \"P\": 3 non-finite values (first at point 2)"), std::string::npos)
        << result.warnings[0];
    GU_Detail copy;
    ASSERT_TRUE(readGeoText(text, "nf.geo", copy).ok);
    EXPECT_TRUE(std::isnan(component(copy, "P", 2, 1)));
    EXPECT_EQ(component(copy, "P", 4, 0), -std::numeric_limits<double>::infinity());
}

TEST(GeoWriter, MissingPositionIsWrittenAsZerosWithAWarning)
{
    GU_Detail gdp;
    gdp.appendPointBlock(2);
    gdp.addNumericPointAttribute("w", 1, GA_STORE_INT32);
    IoResult result;
    const std::string text = format(gdp, {}, &result);
    ASSERT_EQ(result.warnings.size(), 1u);
    GU_Detail copy;
    ASSERT_TRUE(readGeoText(text, "np.geo", copy).ok);
    EXPECT_EQ(attributeNames(copy), (std::vector<std::string>{"P", "w"}));
    EXPECT_EQ(copy.findPointAttribute("P")->getTypeInfo(), GA_TYPE_POINT);
}

TEST(GeoWriter, TypeCodesWithoutTokensScopesAndStringsRoundTrip)
{
    GU_Detail gdp;
    makePoints(gdp, 3);
    gdp.addNumericPointAttribute("kept", 1, GA_STORE_INT32, GA_LAYOUT_COMPONENTS, GA_TYPE_UNKNOWN);
    gdp.addNumericPointAttribute("plain", 1, GA_STORE_INT32, GA_LAYOUT_COMPONENTS, GA_TYPE_UNKNOWN);
    gdp.addNumericPointAttribute("seven", 3, GA_STORE_REAL32, GA_LAYOUT_INTERLEAVED, 7)->setScope(GA_SCOPE_PRIVATE);
    GA_ATIString *label = gdp.addStringPointAttribute("label", 2);
    label->setString(0, "a \"quoted\"\tname", 1);
    label->setString(2, "b", 0);
    GeoWriteOptions options;
    options.typeTokens["kept"] = "nonarithmetic_integer";
    IoResult result;
    const std::string text = format(gdp, options, &result);
    ASSERT_EQ(result.warnings.size(), 1u);  // code 7 has no token
    EXPECT_NE(result.warnings[0].find("\"seven\": type-information code 7"), std::string::npos);

    GU_Detail copy;
    const GeometryReadResult read = readGeoText(text, "tokens.geo", copy);
    ASSERT_TRUE(read.ok) << read.message;
    EXPECT_EQ(read.info.typeTokens.at("kept"), "nonarithmetic_integer");
    EXPECT_EQ(read.info.typeTokens.at("plain"), "unknown");
    EXPECT_EQ(copy.findPointAttribute("seven")->getTypeInfo(), GA_TYPE_UNKNOWN);  // never 0, 1, 3 or 4
    EXPECT_EQ(copy.findPointAttribute("seven")->getScope(), GA_SCOPE_PRIVATE);
    const GA_ATIString *copied = static_cast<const GA_ATIString *>(copy.findPointAttribute("label"));
    EXPECT_EQ(copied->getString(0, 1), "a \"quoted\"\tname");
    EXPECT_EQ(copied->getString(2, 0), "b");
    EXPECT_EQ(copied->getString(1, 0), "");
}

TEST(GeoWriter, OpenAndClosedPolygonsGoToSeparateRuns)
{
    GU_Detail gdp;
    makePoints(gdp, 4);
    gdp.appendPolygon({0, 1, 2}, true);
    gdp.appendPolygon({1, 2, 3}, false);
    gdp.appendPolygon({3, 2, 1, 0}, true);
    const std::string text = format(gdp);
    GU_Detail copy;
    ASSERT_TRUE(readGeoText(text, "runs.geo", copy).ok);
    EXPECT_EQ(polygonPoints(copy), polygonPoints(gdp));
    std::vector<bool> closed;
    for (GA_Size i = 0; i < copy.getNumPrimitives(); ++i)
        closed.push_back(static_cast<const GEO_PrimPoly *>(copy.primitives().rawEntry(i))->isClosed());
    EXPECT_EQ(closed, (std::vector<bool>{true, false, true}));
}

TEST(GeoWriterFile, ReplacesTheTargetOnlyOnSuccess)
{
    const std::string folder = makeScratchFolder("writer");
    const std::string target = folder + "/out.geo";
    GU_Detail gdp;
    makePoints(gdp, 3);
    ASSERT_TRUE(writeGeoFile(target, gdp).ok);
    EXPECT_EQ(readTextFile(target), format(gdp));

    const IoResult missing = writeGeoFile(folder + "/no/such/folder/out.geo", gdp);
    EXPECT_FALSE(missing.ok);
    EXPECT_NE(missing.message.find(folder + "/no/such/folder/out.geo"), std::string::npos) << missing.message;
    // Only the finished file is in the folder: no temporary leftovers.
    int files = 0;
    for (const auto &entry : std::filesystem::directory_iterator(folder))
        files += entry.is_regular_file() ? 1 : 0;
    EXPECT_EQ(files, 1);
    std::filesystem::remove_all(folder);
}

TEST(GeoWriterFile, AnInterruptedWriteLeavesNoFile)
{
    const std::string folder = makeScratchFolder("interrupt");
    const std::string target = folder + "/out.geo";
    GU_Detail gdp;
    makePoints(gdp, 400000);  // several blocks of output
    int polls = 0;
    GeoWriteOptions options;
    options.interrupted = [&polls] { return ++polls == 2; };
    const IoResult result = writeGeoFile(target, gdp, options);
    EXPECT_FALSE(result.ok);
    EXPECT_NE(result.message.find("interrupted"), std::string::npos) << result.message;
    EXPECT_EQ(polls, 2);
    EXPECT_TRUE(std::filesystem::is_empty(folder));
    std::filesystem::remove_all(folder);
}
}  // namespace
