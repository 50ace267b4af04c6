#include <GA/GA_ATINumeric.h>

#include <GU/GU_Detail.h>
#include <gtest/gtest.h>
#include <set>
#include <vector>

struct LayoutCase
{
    int32_t storage;
    int32_t layout;
    int tupleSize;
    bool created;
    bool pageTable;  // offers the three-float page table
};

class GA_ATINumericLayout : public ::testing::TestWithParam<LayoutCase>
{};

TEST_P(GA_ATINumericLayout, CreatesOnlyValidPairs)
{
    const LayoutCase &c = GetParam();
    GU_Detail gdp;
    gdp.appendPointBlock(3);
    GA_ATINumeric *attrib =
        gdp.addNumericPointAttribute("a", c.tupleSize, GA_Storage(c.storage), GA_StorageLayout(c.layout));
    EXPECT_EQ(attrib != nullptr, c.created);
    EXPECT_EQ(GA_ATINumeric::isValidLayout(c.storage, c.layout, c.tupleSize), c.created);
    if (attrib)
    {
        EXPECT_EQ(attrib->getData().getPageTableImplV3() != nullptr, c.pageTable);
        EXPECT_EQ(attrib->size(), 3);
    }
    else
    {
        EXPECT_EQ(gdp.pointAttribs().entries(), 0);
    }
}

INSTANTIATE_TEST_SUITE_P(Pairs, GA_ATINumericLayout,
                         ::testing::Values(LayoutCase{GA_STORE_REAL32, GA_LAYOUT_INTERLEAVED, 3, true, true},
                                           LayoutCase{GA_STORE_REAL32, GA_LAYOUT_INTERLEAVED, 4, true, false},
                                           LayoutCase{GA_STORE_REAL64, GA_LAYOUT_INTERLEAVED, 3, true, false},
                                           LayoutCase{GA_STORE_REAL32, GA_LAYOUT_COMPONENTS, 3, true, false},
                                           LayoutCase{GA_STORE_UINT8, GA_LAYOUT_COMPONENTS, 3, true, false},
                                           LayoutCase{GA_STORE_UINT8, GA_LAYOUT_INTERLEAVED, 3, false, false},
                                           LayoutCase{GA_STORE_INT64, GA_LAYOUT_INTERLEAVED, 3, false, false},
                                           LayoutCase{GA_STORE_REAL16, GA_LAYOUT_INTERLEAVED, 3, false, false},
                                           LayoutCase{GA_STORE_INVALID, GA_LAYOUT_COMPONENTS, 3, false, false},
                                           LayoutCase{9, GA_LAYOUT_COMPONENTS, 3, false, false},
                                           LayoutCase{GA_STORE_REAL32, 2, 3, false, false},
                                           LayoutCase{GA_STORE_REAL32, -1, 3, false, false},
                                           LayoutCase{GA_STORE_REAL32, GA_LAYOUT_INTERLEAVED, 0, false, false}));

TEST(GA_ATINumeric, DefaultsRepeatTheLastValue)
{
    struct Case
    {
        std::vector<double> defaults;
        std::vector<double> expected;
    };
    const Case cases[] = {{{}, {0, 0, 0}}, {{5}, {5, 5, 5}}, {{1, 2}, {1, 2, 2}}, {{1, 2, 3, 4}, {1, 2, 3}}};
    for (GA_StorageLayout layout : {GA_LAYOUT_COMPONENTS, GA_LAYOUT_INTERLEAVED})
        for (const Case &c : cases)
        {
            GU_Detail gdp;
            gdp.appendPointBlock(1);
            GA_ATINumeric *attrib = gdp.addNumericPointAttribute("d", 3, GA_STORE_REAL64, layout, 0, c.defaults);
            ASSERT_NE(attrib, nullptr);
            gdp.appendPointBlock(1);
            for (int i = 0; i < 3; ++i)
            {
                EXPECT_EQ(attrib->getDouble(0, i), c.expected[size_t(i)]);
                EXPECT_EQ(attrib->getDouble(1, i), c.expected[size_t(i)]);
            }
        }
}

TEST(GA_ATINumeric, TypeInfoIsAnyInt32)
{
    GU_Detail gdp;
    for (int32_t code : {INT32_MIN, -1, 0, 4, 1000, INT32_MAX})
    {
        GA_ATINumeric *attrib = gdp.addFloatTuple3("t" + std::to_string(code), code);
        ASSERT_NE(attrib, nullptr);
        EXPECT_EQ(attrib->getTypeInfo(), code);
    }
}

TEST(GA_Attribute, DataIdsAreFreshAndUntrackedStaysUntracked)
{
    GU_Detail gdp;
    std::set<int64_t> ids;
    for (int i = 0; i < 8; ++i)
    {
        GA_Attribute *attrib = i % 2 ? static_cast<GA_Attribute *>(gdp.addStringPointAttribute("s" + std::to_string(i)))
                                     : gdp.addFloatTuple3("n" + std::to_string(i), 0);
        ASSERT_NE(attrib, nullptr);
        EXPECT_GE(attrib->getDataId(), 0);
        ids.insert(attrib->getDataId());
        attrib->assignNewDataId();
        ids.insert(attrib->getDataId());
    }
    EXPECT_EQ(ids.size(), 16u);

    GA_Attribute *untracked = gdp.findPointAttribute("n0");
    untracked->clearDataId();
    untracked->assignNewDataId();
    EXPECT_EQ(untracked->getDataId(), -1);

    // A copied detail's attributes bump their ids independently.
    GU_Detail copy(gdp);
    GA_Attribute *copied = copy.findPointAttribute("n2");
    const int64_t sourceId = gdp.findPointAttribute("n2")->getDataId();
    copied->assignNewDataId();
    EXPECT_EQ(gdp.findPointAttribute("n2")->getDataId(), sourceId);
    EXPECT_EQ(copy.findPointAttribute("n0")->getDataId(), -1);
}
