#include <GA/GA_AttributeDict.h>

#include <GU/GU_Detail.h>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace
{
std::vector<std::string> namesInScope(const GEO_Detail &gdp, GA_AttributeScope scope)
{
    std::vector<std::string> names;
    for (GA_AttributeDict::iterator it = gdp.pointAttribs().begin(scope); !it.atEnd(); ++it)
        names.push_back(it.attrib()->getName());
    return names;
}
}  // namespace

TEST(GA_AttributeDict, IteratesInCreationOrderWithinScope)
{
    GU_Detail gdp;
    EXPECT_TRUE(gdp.pointAttribs().begin(GA_SCOPE_ANY).atEnd());
    EXPECT_EQ(gdp.pointAttribs().begin(GA_SCOPE_ANY).attrib(), nullptr);

    // Names out of alphabetical order, types and scopes mixed.
    gdp.addFloatTuple3("zeta", GA_TYPE_POINT);
    gdp.addStringPointAttribute("name");
    gdp.addNumericPointAttribute("alpha", 1, GA_STORE_INT32)->setScope(GA_SCOPE_PRIVATE);
    gdp.addFloatTuple3("mid", GA_TYPE_VECTOR);
    gdp.addNumericPointAttribute("beta", 3, GA_STORE_REAL16)->setScope(GA_SCOPE_PRIVATE);
    EXPECT_EQ(gdp.addFloatTuple3("mid", GA_TYPE_NORMAL), nullptr);  // duplicate refused
    EXPECT_EQ(gdp.addStringPointAttribute("zeta"), nullptr);

    typedef std::vector<std::string> Names;
    EXPECT_EQ(namesInScope(gdp, GA_SCOPE_ANY), (Names{"zeta", "name", "alpha", "mid", "beta"}));
    EXPECT_EQ(namesInScope(gdp, GA_SCOPE_PUBLIC), (Names{"zeta", "name", "mid"}));
    EXPECT_EQ(namesInScope(gdp, GA_SCOPE_PRIVATE), (Names{"alpha", "beta"}));

    EXPECT_TRUE(gdp.destroyPointAttribute("name"));
    EXPECT_FALSE(gdp.destroyPointAttribute("name"));
    gdp.addStringPointAttribute("name");
    EXPECT_EQ(namesInScope(gdp, GA_SCOPE_ANY), (Names{"zeta", "alpha", "mid", "beta", "name"}));

    // Incrementing at the end stays at the end.
    GA_AttributeDict::iterator it = gdp.pointAttribs().begin(GA_SCOPE_PRIVATE);
    ++it;
    ++it;
    ++it;
    EXPECT_TRUE(it.atEnd());
    EXPECT_EQ(it.attrib(), nullptr);
}

TEST(GA_AttributeDict, AttributeTypesTellNumericsApart)
{
    GU_Detail gdp;
    gdp.appendPointBlock(3);
    GA_Attribute *numeric = gdp.addNumericPointAttribute("n", 3, GA_STORE_INT8);
    GA_ATIString *text = gdp.addStringPointAttribute("s", 2);
    EXPECT_EQ(&numeric->getType(), &GA_ATINumeric::theAttributeType);
    EXPECT_NE(&text->getType(), &GA_ATINumeric::theAttributeType);
    EXPECT_EQ(&text->getType(), &GA_ATIString::theAttributeType);

    text->setString(1, "left");
    text->setString(1, "right", 1);
    text->setString(2, "left");
    text->setString(3, "past the end");
    gdp.appendPointBlock(2);
    EXPECT_EQ(text->getString(1), "left");
    EXPECT_EQ(text->getString(1, 1), "right");
    EXPECT_EQ(text->getString(2), "left");
    EXPECT_EQ(text->getString(3), "");
    EXPECT_EQ(text->getString(4, 1), "");
    EXPECT_EQ(text->getString(9), "");
}
