#include "cli/attribute_roles.h"

#include <gtest/gtest.h>

namespace
{

struct AttributeSpec
{
    const char *name;
    int tupleSize;
    int32_t typeInfo;
    bool isString;
};

GU_Detail detailWith(std::initializer_list<AttributeSpec> specs)
{
    GU_Detail gdp;
    gdp.appendPointBlock(2);
    for (const AttributeSpec &s : specs)
    {
        GA_Attribute *a = s.isString ? static_cast<GA_Attribute *>(gdp.addStringPointAttribute(s.name, s.tupleSize))
                                     : gdp.addNumericPointAttribute(s.name, s.tupleSize, GA_STORE_REAL32);
        a->setTypeInfo(s.typeInfo);
    }
    return gdp;
}

TEST(AttributeRoles, GathersByCodeInDictionaryOrder)
{
    const GU_Detail gdp = detailWith({{"P", 3, 1, false},
                                      {"N", 3, 3, false},
                                      {"rest", 3, 0, false},    // untyped counts as a position
                                      {"Cd", 3, 5, false},      // colour: not gathered
                                      {"hp", 4, 2, false},      // hpoint: not gathered
                                      {"uv", 2, 3, false},      // too few components
                                      {"Cs", 4, 4, false},      // four components are enough
                                      {"name", 3, 1, true},     // strings never count
                                      {"weird", 3, -1, false},  // unknown token
                                      {"aim", 3, 3, false},
                                      {"power", 3, 4, false}});
    const AttributeRoles roles = gatherAttributeRoles(gdp);
    EXPECT_EQ(roles.positions, (std::vector<std::string>{"P", "rest"}));
    EXPECT_EQ(roles.directions, (std::vector<std::string>{"N", "aim"}));
    EXPECT_EQ(roles.intensities, (std::vector<std::string>{"Cs", "power"}));
    EXPECT_TRUE(roles.linedUp());
    EXPECT_TRUE(roles.usableAsCollider());
}

TEST(AttributeRoles, ListsLineUpOnlyWithEqualLengths)
{
    struct Case
    {
        std::initializer_list<AttributeSpec> specs;
        bool linedUp;
        bool collider;
    };
    const Case cases[] = {
        {{{"P", 3, 1, false}, {"N", 3, 3, false}}, false, true},    // no intensity
        {{{"P", 3, 1, false}, {"Cs", 3, 4, false}}, false, false},  // no direction
        {{{"N", 3, 3, false}, {"Cs", 3, 4, false}}, false, false},  // no position
        {{}, true, false},                                          // nothing: lines up, traces nothing
        {{{"P", 3, 1, false}, {"rest", 3, 0, false}, {"N", 3, 3, false}, {"Cs", 3, 4, false}}, false, true},
    };
    for (const Case &c : cases)
    {
        const AttributeRoles roles = gatherAttributeRoles(detailWith(c.specs));
        EXPECT_EQ(roles.linedUp(), c.linedUp) << roles.positions.size();
        EXPECT_EQ(roles.usableAsCollider(), c.collider) << roles.positions.size();
    }
}

}  // namespace
