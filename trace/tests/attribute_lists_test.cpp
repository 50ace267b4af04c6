#include "trace/attribute_lists.h"

#include "trace/tests/trace_test_scenes.h"

#include <gtest/gtest.h>

using namespace trace_test;

namespace
{

std::vector<std::string> names(const UT_Array<AttributeHandle> &list)
{
    std::vector<std::string> out;
    for (const AttributeHandle &h : list)
        out.push_back(h.attribute->getName());
    return out;
}

}  // namespace

TEST(AttributeLists, GathersByCodeInDictionaryOrder)
{
    GU_Detail gdp;
    gdp.appendPointBlock(2);
    gdp.addFloatTuple3("P", 1);
    gdp.addNumericPointAttribute("rest", 3, GA_STORE_REAL32, GA_LAYOUT_COMPONENTS, 0);
    gdp.addNumericPointAttribute("uv2", 2, GA_STORE_REAL32, GA_LAYOUT_COMPONENTS, 3);  // too short
    gdp.addFloatTuple3("v", 3);
    gdp.addFloatTuple3("Cd", 5);
    gdp.addFloatTuple3("hp", 2);
    gdp.addNumericPointAttribute("glow", 4, GA_STORE_REAL64, GA_LAYOUT_INTERLEAVED, 4);
    gdp.addStringPointAttribute("label")->setTypeInfo(3);
    gdp.addNumericPointAttribute("n16", 3, GA_STORE_REAL16, GA_LAYOUT_COMPONENTS, 3);

    AttributeLists all = gatherAttributeLists(gdp, HandleForm::ReadWrite, ListKinds::All, DataIds::Renew);
    EXPECT_EQ(names(all.positions), (std::vector<std::string>{"P", "rest"}));
    EXPECT_EQ(names(all.directions), (std::vector<std::string>{"v", "n16"}));
    EXPECT_EQ(names(all.intensities), (std::vector<std::string>{"glow"}));

    AttributeLists partial =
        gatherAttributeLists(gdp, HandleForm::ReadOnly, ListKinds::PositionAndDirection, DataIds::Renew);
    EXPECT_EQ(partial.positions.entries(), 2);
    EXPECT_EQ(partial.directions.entries(), 2);
    EXPECT_TRUE(partial.intensities.isEmpty());
}

TEST(AttributeLists, RenewsDataIdsOfGatheredAttributesOnly)
{
    GU_Detail gdp;
    gdp.appendPointBlock(1);
    GA_Attribute *P = gdp.addFloatTuple3("P", 1);
    GA_Attribute *v = gdp.addFloatTuple3("v", 3);
    GA_Attribute *I = gdp.addFloatTuple3("I", 4);
    GA_Attribute *Cd = gdp.addFloatTuple3("Cd", 5);
    GA_Attribute *shortDir = gdp.addNumericPointAttribute("d2", 2, GA_STORE_REAL32, GA_LAYOUT_COMPONENTS, 3);
    v->clearDataId();
    const int64_t p0 = P->getDataId(), i0 = I->getDataId(), cd0 = Cd->getDataId(), s0 = shortDir->getDataId();

    gatherAttributeLists(gdp, HandleForm::ReadOnly, ListKinds::PositionAndDirection, DataIds::Renew);
    const int64_t p1 = P->getDataId();
    EXPECT_NE(p1, p0);
    EXPECT_EQ(v->getDataId(), -1) << "an untracked attribute stays untracked";
    EXPECT_EQ(I->getDataId(), i0) << "intensities are not gathered in this form";
    EXPECT_EQ(Cd->getDataId(), cd0);
    EXPECT_EQ(shortDir->getDataId(), s0);

    gatherAttributeLists(gdp, HandleForm::ReadOnly, ListKinds::All, DataIds::Renew);
    EXPECT_NE(P->getDataId(), p1) << "every gathering renews";
    EXPECT_NE(I->getDataId(), i0);
    // Renewed in dictionary order: P before I.
    EXPECT_LT(P->getDataId(), I->getDataId());

    const int64_t p2 = P->getDataId(), i2 = I->getDataId();
    const AttributeLists kept = gatherAttributeLists(gdp, HandleForm::ReadOnly, ListKinds::All, DataIds::Keep);
    EXPECT_EQ(kept.gathered.entries(), 3);
    EXPECT_EQ(P->getDataId(), p2) << "a gathering that keeps ids renews none";
    EXPECT_EQ(I->getDataId(), i2);
}

struct StorageCase
{
    GA_Storage storage;
    GA_StorageLayout layout;
    UT_Vector3 written;
    UT_Vector3 expected;
};

class HandleStorage : public ::testing::TestWithParam<StorageCase>
{};

TEST_P(HandleStorage, WritesAndReadsThroughTheAttributesStorage)
{
    const StorageCase &c = GetParam();
    GU_Detail gdp;
    gdp.appendPointBlock(3000);
    gdp.addNumericPointAttribute("v", 4, c.storage, c.layout, 3, {7});
    AttributeLists lists = gatherAttributeLists(gdp, HandleForm::ReadWrite, ListKinds::All, DataIds::Renew);
    ASSERT_EQ(lists.directions.entries(), 1);
    const AttributeHandle h = lists.directions(0);
    EXPECT_EQ(readVector(h, 2500), UT_Vector3(7, 7, 7)) << "new points hold the default";
    writeVector(h, 2500, c.written);
    EXPECT_EQ(readVector(h, 2500), c.expected);
    EXPECT_EQ(readVector(h, 2499), UT_Vector3(7, 7, 7));
}

INSTANTIATE_TEST_SUITE_P(
    AllStorages, HandleStorage,
    ::testing::Values(
        StorageCase{GA_STORE_UINT8, GA_LAYOUT_COMPONENTS, {3.7f, 300.0f, -2.0f}, {3, 255, 0}},
        StorageCase{GA_STORE_INT8, GA_LAYOUT_COMPONENTS, {-3.7f, 200.0f, 5.0f}, {-3, 127, 5}},
        StorageCase{GA_STORE_INT16, GA_LAYOUT_COMPONENTS, {-1.5f, 40000.0f, 9.0f}, {-1, 32767, 9}},
        StorageCase{GA_STORE_INT32, GA_LAYOUT_COMPONENTS, {1e10f, -1e10f, 12.9f}, {2147483647.0f, -2147483648.0f, 12}},
        StorageCase{GA_STORE_INT64, GA_LAYOUT_COMPONENTS, {-5.5f, 1e12f, 0.0f}, {-5, 1e12f, 0}},
        StorageCase{GA_STORE_REAL16, GA_LAYOUT_COMPONENTS, {0.1f, 1.0f, -2.5f}, {float(fpreal16(0.1f)), 1.0f, -2.5f}},
        StorageCase{GA_STORE_REAL32, GA_LAYOUT_COMPONENTS, {0.1f, 1e-30f, -2.5f}, {0.1f, 1e-30f, -2.5f}},
        StorageCase{GA_STORE_REAL64, GA_LAYOUT_COMPONENTS, {0.1f, 1e30f, -2.5f}, {0.1f, 1e30f, -2.5f}},
        StorageCase{GA_STORE_REAL32, GA_LAYOUT_INTERLEAVED, {0.1f, 2.0f, -0.0f}, {0.1f, 2.0f, -0.0f}},
        StorageCase{GA_STORE_REAL64, GA_LAYOUT_INTERLEAVED, {0.3f, 4.0f, 1e-40f}, {0.3f, 4.0f, 1e-40f}}));

TEST(AttributeHandles, PageTableOnlyForInterleavedFloatTriples)
{
    GU_Detail gdp;
    gdp.appendPointBlock(1);
    gdp.addFloatTuple3("P", 1);
    gdp.addNumericPointAttribute("rest", 3, GA_STORE_REAL32, GA_LAYOUT_COMPONENTS, 0);
    gdp.addNumericPointAttribute("P4", 4, GA_STORE_REAL32, GA_LAYOUT_INTERLEAVED, 0);
    AttributeLists lists = gatherAttributeLists(gdp, HandleForm::ReadOnly, ListKinds::All, DataIds::Renew);
    ASSERT_EQ(lists.positions.entries(), 3);
    EXPECT_NE(lists.positions(0).pageTable, nullptr);
    EXPECT_EQ(lists.positions(1).pageTable, nullptr);
    EXPECT_EQ(lists.positions(2).pageTable, nullptr);
    for (const AttributeHandle &h : lists.positions)
    {
        EXPECT_NE(h.read, nullptr);
        EXPECT_EQ(h.write, nullptr) << "read-only handles carry no writer";
    }
}

TEST(AttributeHandles, ConstantPagesAndCopyOnWrite)
{
    GU_Detail source;
    source.appendPointBlock(2048);
    source.addFloatTuple3("P", 1, {0.5});
    GU_Detail copy(source);

    AttributeLists lists = gatherAttributeLists(copy, HandleForm::ReadWrite, ListKinds::All, DataIds::Renew);
    const AttributeHandle h = lists.positions(0);
    for (GA_Offset off : {0, 511, 1023, 1024, 2047})
        EXPECT_EQ(readVector(h, off), UT_Vector3(0.5f, 0.5f, 0.5f));

    writeVector(h, 1500, UT_Vector3(1, 2, 3));
    EXPECT_EQ(readVector(h, 1500), UT_Vector3(1, 2, 3));
    EXPECT_EQ(readVector(h, 1501), UT_Vector3(0.5f, 0.5f, 0.5f));
    EXPECT_EQ(getVector(source.findPointAttribute("P"), 1500), UT_Vector3(0.5f, 0.5f, 0.5f))
        << "the source keeps its page";

    const GA_Page *first = h.pageTable->page(0);
    writeVector(h, 3, UT_Vector3(0.5f, 0.5f, 0.5f));
    EXPECT_EQ(h.pageTable->page(0), first);
    EXPECT_TRUE(first->isConstant()) << "writing the constant keeps the page constant";

    AttributeLists readOnly = gatherAttributeLists(copy, HandleForm::ReadOnly, ListKinds::All, DataIds::Renew);
    writeVector(readOnly.positions(0), 7, UT_Vector3(9, 9, 9));
    EXPECT_EQ(readVector(h, 7), UT_Vector3(0.5f, 0.5f, 0.5f));
}
