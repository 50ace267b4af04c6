#include <GA/GA_DataArray.h>

#include <GA/GA_Memory.h>
#include <cmath>
#include <cstring>
#include <gtest/gtest.h>
#include <limits>

namespace
{
void setVector(GA_DataArray &array, GA_Offset off, float x, float y, float z)
{
    const float v[3] = {x, y, z};
    array.setTupleBytes(off, v);
}
}  // namespace

TEST(GA_DataArray, GrowthAcrossPagesGivesDefaults)
{
    GA_DataArray array(GA_STORE_INT32, 2, {7, -3});
    array.setSize(1500);
    ASSERT_EQ(array.numPages(), 2);
    EXPECT_TRUE(array.page(0)->isConstant());
    EXPECT_TRUE(array.page(1)->isConstant());

    // Values left behind by a shrink must not reappear when the array grows.
    array.setSize(1700);
    array.setDouble(1599, 0, 11);  // last element kept by the shrink
    array.setDouble(1650, 0, 99);
    array.setSize(1600);
    array.setSize(3000);
    ASSERT_EQ(array.numPages(), 3);
    for (GA_Offset off : {GA_Offset(0), GA_Offset(1023), GA_Offset(1024), GA_Offset(1650), GA_Offset(2047),
                          GA_Offset(2048), GA_Offset(2999)})
    {
        EXPECT_EQ(array.getDouble(off, 0), 7) << off;
        EXPECT_EQ(array.getDouble(off, 1), -3) << off;
    }
    EXPECT_EQ(array.getDouble(1599, 0), 11);
    EXPECT_TRUE(array.page(2)->isConstant());

    // Out-of-range access reads 0 and writes nothing.
    EXPECT_EQ(array.getDouble(3000, 0), 0);
    EXPECT_EQ(array.getDouble(-1, 0), 0);
    EXPECT_EQ(array.getDouble(0, 2), 0);
    array.setDouble(3000, 0, 5);
    array.setDouble(-1, 0, 5);
    EXPECT_EQ(array.size(), 3000);
}

TEST(GA_DataArray, GrowingOneElementAtATimeGivesDefaults)
{
    GA_DataArray array(GA_STORE_REAL32, 3, {1.0, 2.0, 3.0});
    array.setSize(1100);
    for (GA_Offset off = 1000; off < 1100; ++off)
        setVector(array, off, 9, 9, 9);
    array.setSize(1030);  // leaves 9s behind in the slots it cuts off
    for (GA_Size n = 1031; n <= 1100; ++n)
    {
        array.setSize(n);
        const float *t = array.tupleAt<float>(n - 1);
        ASSERT_TRUE(t[0] == 1.0f && t[1] == 2.0f && t[2] == 3.0f) << n - 1;
        setVector(array, n - 1, 5, 5, 5);  // written before the next growth, as appended points are
    }
    EXPECT_EQ(array.tupleAt<float>(1029)[0], 9.0f);

    // A last page shared with a copy is not written by growing either side.
    GA_DataArray copy(array);
    copy.setSize(1101);
    EXPECT_NE(copy.page(1), array.page(1));
    EXPECT_EQ(copy.tupleAt<float>(1100)[2], 3.0f);
    EXPECT_EQ(copy.tupleAt<float>(1099)[2], 5.0f);
    array.setSize(1101);
    setVector(array, 1100, 6, 6, 6);
    EXPECT_EQ(copy.tupleAt<float>(1100)[2], 3.0f);

    // Growth that reaches the next page starts it constant.
    array.setSize(2049);
    EXPECT_TRUE(array.page(2)->isConstant());
    EXPECT_EQ(array.tupleAt<float>(2047)[1], 2.0f);
}

TEST(GA_DataArray, ConstantPageStaysConstantOnlyForItsOwnBytes)
{
    GA_DataArray array(GA_STORE_REAL32, 3, {0.0, 1.0, 2.0});
    array.setSize(2048);
    const GA_Page *constant = array.page(0);

    setVector(array, 5, 0.0f, 1.0f, 2.0f);
    EXPECT_EQ(array.page(0), constant);
    EXPECT_TRUE(array.page(0)->isConstant());

    // -0 equals 0 as a number but not as bytes: the page must hold what was written.
    setVector(array, 5, -0.0f, 1.0f, 2.0f);
    ASSERT_FALSE(array.page(0)->isConstant());
    EXPECT_TRUE(std::signbit(array.tupleAt<float>(5)[0]));
    for (GA_Offset off = 0; off < GA_PAGE_SIZE; ++off)
    {
        if (off == 5)
            continue;
        const float *t = array.tupleAt<float>(off);
        ASSERT_TRUE(t[0] == 0.0f && !std::signbit(t[0]) && t[1] == 1.0f && t[2] == 2.0f) << off;
    }

    // Every slot of the untouched constant page reads the constant.
    ASSERT_TRUE(array.page(1)->isConstant());
    for (GA_Offset off = GA_PAGE_SIZE; off < 2 * GA_PAGE_SIZE; ++off)
        ASSERT_EQ(array.tupleAt<float>(off)[2], 2.0f) << off;

    // A partial write that matches the constant leaves the page constant.
    const float same = 1.0f;
    array.setComponentBytes(1500, 1, 1, &same);
    EXPECT_TRUE(array.page(1)->isConstant());
}

TEST(GA_DataArray, CopiesSharePagesAndWritesCopyOnlyTheirPage)
{
    GA_DataArray source(GA_STORE_REAL32, 3, {});
    source.setSize(3000);
    setVector(source, 10, 1, 2, 3);    // page 0 becomes a block
    setVector(source, 1030, 4, 5, 6);  // page 1 becomes a block
    const GA_Page *block0 = source.page(0);
    setVector(source, 11, 7, 8, 9);  // unshared block: written in place
    EXPECT_EQ(source.page(0), block0);

    GA_DataArray copy(source);
    for (GA_PageNum p = 0; p < 3; ++p)
    {
        EXPECT_EQ(copy.page(p), source.page(p));
        EXPECT_EQ(copy.page(p)->refCount(), 2);
    }

    setVector(copy, 1030, -1, -1, -1);
    EXPECT_NE(copy.page(1), source.page(1));
    EXPECT_EQ(source.tupleAt<float>(1030)[0], 4.0f);
    EXPECT_EQ(copy.tupleAt<float>(1030)[0], -1.0f);
    EXPECT_EQ(copy.tupleAt<float>(1031)[0], 0.0f);  // the rest of the page came along
    EXPECT_EQ(copy.page(0), source.page(0));
    EXPECT_EQ(copy.page(2), source.page(2));

    // Writing the source leaves the copy's view of the shared page intact.
    setVector(source, 10, 0, 0, 0);
    EXPECT_NE(source.page(0), copy.page(0));
    EXPECT_EQ(copy.tupleAt<float>(10)[2], 3.0f);
    EXPECT_EQ(copy.page(0)->refCount(), 1);

    // Assignment shares as well, and growing one side leaves the other alone.
    GA_DataArray assigned(GA_STORE_INT8, 1, {});
    assigned = copy;
    EXPECT_EQ(assigned.page(1), copy.page(1));
    assigned.setSize(5000);
    EXPECT_EQ(copy.size(), 3000);
    EXPECT_EQ(copy.numPages(), 3);
}

TEST(GA_DataArray, PageMemoryIsAccountedAndReturned)
{
    const size_t before = GA_Memory::bytesInUse();
    {
        GA_DataArray array(GA_STORE_REAL64, 4, {1.0});
        array.setSize(1000000);
        // Growth adds constant pages only: far less than one data block.
        EXPECT_LT(GA_Memory::bytesInUse() - before, size_t(GA_PAGE_SIZE));
        array.setDouble(123456, 3, 2.0);
        EXPECT_GE(GA_Memory::bytesInUse() - before, size_t(GA_PAGE_SIZE) * 4 * sizeof(double));
        GA_DataArray copy(array);
        copy.setDouble(5, 0, 3.0);
        copy.setSize(10);
    }
    EXPECT_EQ(GA_Memory::bytesInUse(), before);
}

// Storing through double: integers truncate toward zero and saturate, NaN
// stores 0, and float narrowing follows IEEE rounding without overflow.
struct StoreCase
{
    GA_Storage storage;
    double input;
    double expected;
};

class GA_DataArrayStore : public ::testing::TestWithParam<StoreCase>
{};

TEST_P(GA_DataArrayStore, ConvertsWithoutUndefinedBehaviour)
{
    const StoreCase &c = GetParam();
    GA_DataArray array(c.storage, 1, {});
    array.setSize(1);
    array.setDouble(0, 0, c.input);
    const double got = array.getDouble(0, 0);
    if (std::isnan(c.expected))
        EXPECT_TRUE(std::isnan(got));
    else
        EXPECT_EQ(got, c.expected);
}

const double theInf = std::numeric_limits<double>::infinity();
const double theNan = std::numeric_limits<double>::quiet_NaN();
const double floatMax = double(std::numeric_limits<float>::max());

INSTANTIATE_TEST_SUITE_P(
    Storages, GA_DataArrayStore,
    ::testing::Values(
        StoreCase{GA_STORE_UINT8, 300, 255}, StoreCase{GA_STORE_UINT8, -5, 0}, StoreCase{GA_STORE_UINT8, 3.9, 3},
        StoreCase{GA_STORE_UINT8, theNan, 0}, StoreCase{GA_STORE_INT8, -200, -128}, StoreCase{GA_STORE_INT8, -3.9, -3},
        StoreCase{GA_STORE_INT8, 127.99, 127}, StoreCase{GA_STORE_INT16, 1e9, 32767},
        StoreCase{GA_STORE_INT16, -32768.5, -32768}, StoreCase{GA_STORE_INT32, theNan, 0},
        StoreCase{GA_STORE_INT32, 2147483648.0, 2147483647}, StoreCase{GA_STORE_INT32, -2147483649.0, -2147483648.0},
        StoreCase{GA_STORE_INT64, 1e300, 9223372036854775807.0},
        StoreCase{GA_STORE_INT64, -theInf, -9223372036854775808.0}, StoreCase{GA_STORE_INT64, -1e15 - 0.5, -1e15},
        StoreCase{GA_STORE_REAL16, 1e6, theInf}, StoreCase{GA_STORE_REAL16, 0.5, 0.5},
        StoreCase{GA_STORE_REAL16, theNan, theNan}, StoreCase{GA_STORE_REAL32, 1e300, theInf},
        StoreCase{GA_STORE_REAL32, -1e300, -theInf}, StoreCase{GA_STORE_REAL32, 3.4028235e38, floatMax},
        StoreCase{GA_STORE_REAL32, 3.4028236e38, theInf}, StoreCase{GA_STORE_REAL32, 0.1, double(0.1f)},
        StoreCase{GA_STORE_REAL64, 0.1, 0.1}, StoreCase{GA_STORE_REAL64, -theInf, -theInf}));
