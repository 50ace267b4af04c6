#include <PRM/PRM_Template.h>

#include <PRM/PRM_Include.h>
#include <SOP/SOP_Node.h>
#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace
{
PRM_Name theBounces("bounces", "Bounces");
PRM_Name theUnlabelled("raw");
PRM_Default theOne(1);
PRM_Name theItems[] = {PRM_Name("a", "First"), PRM_Name("b"), PRM_Name()};
PRM_ChoiceList theMenu(PRM_CHOICELIST_REPLACE, theItems);
}

TEST(PRM_Template, RecordsReadBackAsDeclared)
{
    PRM_SpareData *button = SOP_Node::getGroupSelectButton(0);
    const PRM_Template list[] = {
        PRM_Template(PRM_STRING, 1, &PRMgroupName, nullptr, &SOP_Node::pointGroupMenu, nullptr, nullptr, button),
        PRM_Template(PRM_INT, 1, &theBounces, &theOne, &theMenu, nullptr, nullptr, nullptr, 2, "help"),
        PRM_Template(PRM_FLT, 3, &theUnlabelled),
        PRM_Template()};
    ASSERT_EQ(PRM_Template::countTemplates(list), 3);
    EXPECT_EQ(PRM_Template::countTemplates(nullptr), 0);

    EXPECT_EQ(list[0].getType(), PRM_STRING);
    EXPECT_STREQ(list[0].getToken(), "group");
    EXPECT_STREQ(list[0].getLabel(), "Group");
    EXPECT_EQ(list[0].getChoiceListPtr(), &SOP_Node::pointGroupMenu);
    EXPECT_EQ(list[0].getSparePtr(), button);
    EXPECT_STREQ(list[0].getDefaultString(0), "");
    EXPECT_EQ(list[0].getParmGroup(), 1);

    EXPECT_EQ(list[1].getFactoryDefaults(), &theOne);
    EXPECT_EQ(list[1].getDefaultFloat(0), 1.0);
    EXPECT_EQ(list[1].getDefaultFloat(1), 0.0); // beyond the vector
    EXPECT_EQ(list[1].getParmGroup(), 2);
    EXPECT_STREQ(list[1].getHelpText(), "help");
    EXPECT_EQ(list[1].getRangePtr(), nullptr);
    EXPECT_EQ(list[1].getCallback(), nullptr);

    EXPECT_EQ(list[2].getVectorSize(), 3);
    EXPECT_STREQ(list[2].getLabel(), "raw"); // label falls back to the token
    EXPECT_EQ(list[2].getDefaultFloat(2), 0.0);
    EXPECT_EQ(list[3].getNamePtr(), nullptr);
}

TEST(PRM_ChoiceList, StaticAndGeneratedMenus)
{
    const auto items = theMenu.getChoices(nullptr);
    ASSERT_EQ(items.size(), 2u);
    EXPECT_EQ(items[0].label, "First");
    EXPECT_EQ(items[1].label, "b");
    EXPECT_EQ(SOP_Node::pointGroupMenu.getType(), PRM_CHOICELIST_TOGGLE);
    EXPECT_TRUE(SOP_Node::pointGroupMenu.isGenerated());
    EXPECT_TRUE(SOP_Node::pointGroupMenu.getChoices(nullptr).empty());
}

TEST(PRM_SpareData, GroupSelectButtonIsSharedPerArguments)
{
    PRM_SpareData *point = SOP_Node::getGroupSelectButton(0);
    EXPECT_EQ(SOP_Node::getGroupSelectButton(0, nullptr, 0, nullptr, nullptr), point);
    EXPECT_NE(SOP_Node::getGroupSelectButton(1), point);
    EXPECT_NE(SOP_Node::getGroupSelectButton(0, nullptr, 1), point);
    EXPECT_STREQ(point->getValue("group_type"), "0");
    EXPECT_EQ(point->getValue("absent"), nullptr);

    PRM_SpareData extra;
    extra.setValue("group_input", "7");
    extra.setValue("more", "yes");
    PRM_SpareData *merged = SOP_Node::getGroupSelectButton(0, "type", 0, &extra, "prims");
    EXPECT_STREQ(merged->getValue("group_input"), "7");
    EXPECT_STREQ(merged->getValue("more"), "yes");
    EXPECT_STREQ(merged->getValue("group_type_parm"), "type");
    EXPECT_STREQ(merged->getValue("group_assoc"), "prims");
}
