#include <GA/GA_ATINumeric.h>

#include <GU/GU_Detail.h>
#include <cstring>
#include <gtest/gtest.h>
#include <limits>

namespace
{
typedef UT_Vector3F (*Getter)(const GA_Attribute *, GA_Offset);
typedef void (*Setter)(GA_Attribute *, GA_Offset, const UT_Vector3F &);

struct AccessCase
{
    const char *name;
    GA_Storage storage;
    GA_StorageLayout layout;
    Getter get;
    Setter set;
    UT_Vector3F written;
    UT_Vector3F expected;  // compared bit for bit
};

template <typename ET>
AccessCase components(const char *name, UT_Vector3F written, UT_Vector3F expected)
{
    return {name,
            GA_StorageOf<ET>::value,
            GA_LAYOUT_COMPONENTS,
            &GA_DataArray::directGetterVector<UT_Vector3F, ET>,
            &GA_DataArray::directSetterVector<UT_Vector3F, ET>,
            written,
            expected};
}

template <typename ET>
AccessCase interleaved(const char *name, UT_Vector3F written, UT_Vector3F expected)
{
    return {name,
            GA_StorageOf<ET>::value,
            GA_LAYOUT_INTERLEAVED,
            &GA_DataArray::directVector3GetterVector<UT_Vector3F, ET>,
            &GA_DataArray::directVector3SetterVector<UT_Vector3F, ET>,
            written,
            expected};
}

const float theInf = std::numeric_limits<float>::infinity();
const float theNan = std::numeric_limits<float>::quiet_NaN();
const float int64Max = 9223372036854775807.0f;  // 2^63 once rounded to float

bool sameBits(const UT_Vector3F &a, const UT_Vector3F &b)
{
    return std::memcmp(a.data(), b.data(), sizeof(float) * 3) == 0;
}
}  // namespace

class GA_DataArrayAccess : public ::testing::TestWithParam<AccessCase>
{};

// Each case writes in page 1 of an attribute with four components and
// default 9, then checks the value read back, that the fourth component and
// the neighbouring element keep the default, and that page 0 stays constant.
TEST_P(GA_DataArrayAccess, RoundTripsThroughThreeFloats)
{
    const AccessCase &c = GetParam();
    GU_Detail gdp;
    gdp.appendPointBlock(2000);
    GA_ATINumeric *attrib = gdp.addNumericPointAttribute("v", 4, c.storage, c.layout, GA_TYPE_VECTOR, {9});
    ASSERT_NE(attrib, nullptr);

    EXPECT_TRUE(sameBits(c.get(attrib, 17), UT_Vector3F(9, 9, 9)));
    c.set(attrib, 1500, c.written);
    const UT_Vector3F got = c.get(attrib, 1500);
    EXPECT_TRUE(sameBits(got, c.expected)) << got.x() << " " << got.y() << " " << got.z() << " expected "
                                           << c.expected.x() << " " << c.expected.y() << " " << c.expected.z();
    EXPECT_EQ(attrib->getDouble(1500, 3), 9.0);
    EXPECT_TRUE(sameBits(c.get(attrib, 1499), UT_Vector3F(9, 9, 9)));
    for (int i = 0; i < attrib->getData().numArrays(); ++i)
        EXPECT_TRUE(attrib->getData().array(i).page(0)->isConstant());
}

INSTANTIATE_TEST_SUITE_P(
    EveryStorage, GA_DataArrayAccess,
    ::testing::Values(components<uint8_t>("u8", {1.9f, -4.0f, 300.0f}, {1, 0, 255}),
                      components<uint8_t>("u8_nan", {theNan, 255.5f, 0.99f}, {0, 255, 0}),
                      components<int8_t>("i8", {-1.9f, 127.9f, -1000.0f}, {-1, 127, -128}),
                      components<int16_t>("i16", {40000.0f, -40000.0f, 12.7f}, {32767, -32768, 12}),
                      components<int32_t>("i32", {3e9f, -3e9f, theNan}, {2147483648.0f, -2147483648.0f, 0}),
                      components<int32_t>("i32_inf", {123456.0f, -7.99f, theInf}, {123456, -7, 2147483648.0f}),
                      components<int64_t>("i64", {1e19f, -1e19f, -7.5f}, {int64Max, -int64Max, -7}),
                      components<int64_t>("i64_nan", {-theInf, theNan, 16777216.0f}, {-int64Max, 0, 16777216.0f}),
                      components<fpreal16>("f16", {0.1f, 70000.0f, -2.5f}, {float(fpreal16(0.1f)), theInf, -2.5f}),
                      components<float>("f32", {0.1f, -0.0f, theInf}, {0.1f, -0.0f, theInf}),
                      components<double>("f64", {0.1f, 1e-45f, -0.0f}, {0.1f, 1e-45f, -0.0f}),
                      interleaved<float>("f32_interleaved", {1.0f, -2.0f, 3.5f}, {1.0f, -2.0f, 3.5f}),
                      interleaved<double>("f64_interleaved", {0.1f, 1e30f, -theInf}, {0.1f, 1e30f, -theInf})),
    [](const ::testing::TestParamInfo<AccessCase> &info) { return std::string(info.param.name); });

TEST(GA_DataArrayAccessRefusal, WrongAttributeOrOffsetReadsZeroAndWritesNothing)
{
    GU_Detail gdp;
    gdp.appendPointBlock(4);
    GA_ATINumeric *comp = gdp.addNumericPointAttribute("c", 3, GA_STORE_REAL32, GA_LAYOUT_COMPONENTS, 0, {1, 2, 3});
    GA_ATINumeric *inter = gdp.addFloatTuple3("i", 0, {4, 5, 6});
    GA_ATINumeric *pair = gdp.addNumericPointAttribute("p", 2, GA_STORE_REAL32, GA_LAYOUT_COMPONENTS, 3, {7});
    GA_ATIString *text = gdp.addStringPointAttribute("s");
    ASSERT_TRUE(comp && inter && pair && text);

    const UT_Vector3F zero(0, 0, 0);
    const UT_Vector3F one(1, 1, 1);
    typedef UT_Vector3F V;
    EXPECT_EQ((GA_DataArray::directGetterVector<V, int8_t>(comp, 0)), zero);  // wrong storage
    EXPECT_EQ((GA_DataArray::directGetterVector<V, float>(inter, 0)), zero);  // wrong layout
    EXPECT_EQ((GA_DataArray::directVector3GetterVector<V, float>(comp, 0)), zero);
    EXPECT_EQ((GA_DataArray::directGetterVector<V, float>(pair, 0)), zero);  // two components
    EXPECT_EQ((GA_DataArray::directGetterVector<V, float>(text, 0)), zero);  // not numeric
    EXPECT_EQ((GA_DataArray::directGetterVector<V, float>(nullptr, 0)), zero);
    EXPECT_EQ((GA_DataArray::directGetterVector<V, float>(comp, 4)), zero);  // past the end
    EXPECT_EQ((GA_DataArray::directVector3GetterVector<V, float>(inter, -1)), zero);
    EXPECT_EQ((GA_DataArray::directGetterVector<V, float>(comp, 3)), V(1, 2, 3));

    GA_DataArray::directSetterVector<V, int8_t>(comp, 0, one);
    GA_DataArray::directSetterVector<V, float>(inter, 0, one);
    GA_DataArray::directSetterVector<V, float>(pair, 0, one);
    GA_DataArray::directSetterVector<V, float>(text, 0, one);
    GA_DataArray::directSetterVector<V, float>(comp, 4, one);
    GA_DataArray::directVector3SetterVector<V, double>(inter, 0, one);
    GA_DataArray::directVector3SetterVector<V, float>(inter, 4, one);
    EXPECT_EQ((GA_DataArray::directGetterVector<V, float>(comp, 0)), V(1, 2, 3));
    EXPECT_EQ((GA_DataArray::directVector3GetterVector<V, float>(inter, 0)), V(4, 5, 6));
    EXPECT_EQ(pair->getDouble(0, 0), 7.0);
    EXPECT_EQ(comp->size(), 4);
}
