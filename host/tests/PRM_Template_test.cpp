// Parameter templates as a node type's users meet them: a node made in a
// network from the type's list, its parameters found by token, its values
// evaluated, ranges applied to what is set, menus listed for the node.
#include <PRM/PRM_Template.h>

#include <OP/OP_Network.h>
#include <OP/OP_OperatorTable.h>
#include <PRM/PRM_Include.h>
#include <SOP/SOP_Node.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace
{
PRM_Name theNames[] = {PRM_Name("count", "Count"), PRM_Name("up", "Up Vector"), PRM_Name("text"),
                       PRM_Name("unit", "Unit"),   PRM_Name("floor", "Floor"),  PRM_Name("open", "Open"),
                       PRM_Name("mode", "Mode"),   PRM_Name("flag", "Flag"),    PRM_Name("after", "After")};
PRM_Default theHalfUp(2.5), theHalfDown(-2.5);
PRM_Default theUp[] = {PRM_Default(0), PRM_Default(1), PRM_Default(0.5)};
PRM_Default theNumberOnly(7);  // a string parameter takes only the text
PRM_Default theOutside(5);     // beyond its restricted range
PRM_Default theSmall(0.25);
PRM_Range theUnitRange(0, 1, true, true), theFloorRange(0, 10, true, false), theOpenRange(0, 10);
PRM_Name theModes[] = {PRM_Name("fast", "Fast"), PRM_Name("exact"), PRM_Name(), PRM_Name("hidden", "Hidden")};
PRM_ChoiceList theModeMenu(PRM_CHOICELIST_REPLACE, theModes);

PRM_Template theTemplates[] = {
    PRM_Template(PRM_INT, 1, &theNames[0], &theHalfUp),
    PRM_Template(PRM_FLT, 3, &theNames[1], theUp),
    PRM_Template(PRM_STRING, 1, &theNames[2], &theNumberOnly),
    PRM_Template(PRM_FLT, 1, &theNames[3], &theOutside, nullptr, &theUnitRange),
    PRM_Template(PRM_INT, 1, &theNames[4], &theHalfDown, nullptr, &theFloorRange),
    PRM_Template(PRM_FLT, 1, &theNames[5], nullptr, nullptr, &theOpenRange),
    PRM_Template(PRM_STRING, 1, &theNames[6], nullptr, &theModeMenu),
    PRM_Template(PRM_TOGGLE, 1, &theNames[7], &theSmall),
    PRM_Template(),
    PRM_Template(PRM_INT, 1, &theNames[8]),  // after the terminator: not part of the list
};

class SOP_Plain : public SOP_Node
{
public:
    SOP_Plain(OP_Network *parent, const char *name, OP_Operator *op) : SOP_Node(parent, name, op) {}

protected:
    OP_ERROR cookMySop(OP_Context &) override { return error(); }
};

OP_Node *construct(OP_Network *parent, const char *name, OP_Operator *op) { return new SOP_Plain(parent, name, op); }

class PRM_TemplateTest : public ::testing::Test
{
protected:
    PRM_TemplateTest()
    {
        myTable.addOperator(new OP_Operator("plain", "Plain", construct, theTemplates, 0, 1));
        myNode = myNet.createNode("plain")->castToSOPNode();
    }

    std::string text(const char *token) const
    {
        UT_String value;
        myNode->evalString(value, token, 0, 0);
        return value.toStdString();
    }

    OP_OperatorTable myTable;
    OP_Network myNet{"obj", &myTable};
    SOP_Node *myNode = nullptr;
};
}  // namespace

TEST_F(PRM_TemplateTest, ParametersAreTheListUpToItsTerminatorFoundByToken)
{
    ASSERT_NE(myNode, nullptr);
    EXPECT_EQ(PRM_Template::countTemplates(theTemplates), 8);
    EXPECT_EQ(PRM_Template::countTemplates(nullptr), 0);
    ASSERT_EQ(myNode->getNumParms(), 8);
    const char *tokens[] = {"count", "up", "text", "unit", "floor", "open", "mode", "flag"};
    for (int i = 0; i < 8; ++i)
    {
        EXPECT_EQ(myNode->findParmIndex(tokens[i]), i) << tokens[i];
        EXPECT_EQ(myNode->getParmTemplate(i), &theTemplates[i]) << tokens[i];
    }
    // Tokens are exact: labels, other cases and what lies past the
    // terminator are not parameters.
    for (const char *other : {"Count", "Up Vector", "COUNT", "coun", "", "after"})
        EXPECT_FALSE(myNode->hasParm(other)) << other;
    EXPECT_FALSE(myNode->hasParm(nullptr));
    // A name without a label shows its token.
    EXPECT_STREQ(myNode->getParmTemplate(2)->getLabel(), "text");
}

TEST_F(PRM_TemplateTest, DefaultsAsTheNodeEvaluatesThem)
{
    EXPECT_EQ(myNode->evalInt("count", 0, 0), 3) << "2.5 rounds away from zero";
    EXPECT_EQ(myNode->evalInt("floor", 0, 0), -3) << "-2.5 too, and a default is not clamped";
    EXPECT_EQ(myNode->evalFloat("unit", 0, 0), 5.0) << "a default is not clamped";
    const double up[] = {0, 1, 0.5};
    for (int c = 0; c < 3; ++c)
        EXPECT_EQ(myNode->evalFloat("up", c, 0), up[c]) << "component " << c;
    EXPECT_EQ(myNode->evalInt("up", 2, 0), 1) << "0.5 read as an integer";
    EXPECT_EQ(text("text"), "") << "a string parameter ignores a number-only default";
    EXPECT_EQ(text("mode"), "");
    EXPECT_EQ(myNode->evalFloat("open", 0, 0), 0.0);
    EXPECT_EQ(myNode->evalInt("flag", 0, 0), 1) << "any non-zero toggle default is on";
    EXPECT_EQ(text("count"), "3");
    EXPECT_EQ(myNode->error(), UT_ERROR_NONE) << myNode->getErrorMessages();
}

TEST_F(PRM_TemplateTest, RestrictedRangeEndsClampWhatIsSetOpenEndsDoNot)
{
    struct Case
    {
        const char *token;
        double set, evaluated;
    };
    const Case cases[] = {{"unit", -0.5, 0},   {"unit", 0.25, 0.25}, {"unit", 7, 1},   {"floor", -4, 0},
                          {"floor", 1e9, 1e9}, {"open", -4, -4},     {"open", 12, 12}, {"count", -1e6, -1e6}};
    for (const Case &c : cases)
    {
        ASSERT_TRUE(myNode->setFloat(c.token, 0, 0, c.set)) << c.token;
        EXPECT_EQ(myNode->evalFloat(c.token, 0, 0), c.evaluated) << c.token << " set to " << c.set;
    }
    // Integers clamp alike.
    ASSERT_TRUE(myNode->setInt("floor", 0, 0, -2));
    EXPECT_EQ(myNode->evalInt("floor", 0, 0), 0);
    // Reverting brings back the declared default, even outside the range.
    myNode->revertToDefaults();
    EXPECT_EQ(myNode->evalFloat("unit", 0, 0), 5.0);
}

TEST_F(PRM_TemplateTest, UnknownTokensAreRefusedWithTheTokenNamed)
{
    EXPECT_FALSE(myNode->setInt("Count", 0, 0, 4));
    EXPECT_FALSE(myNode->setFloat("after", 0, 0, 1));
    EXPECT_FALSE(myNode->setFloat("up", 3, 0, 1)) << "past the last component";
    EXPECT_EQ(myNode->evalInt("count", 0, 0), 3) << "nothing changed";
    EXPECT_EQ(myNode->error(), UT_ERROR_NONE);

    // Evaluating one is a fault in the node's code: an error that names it.
    EXPECT_EQ(myNode->evalFloat("Up Vector", 0, 0), 0.0);
    EXPECT_EQ(myNode->error(), UT_ERROR_ABORT);
    EXPECT_EQ(myNode->getErrorMessages(), "Error: Unknown parameter: \"Up Vector\"\n");
}

TEST(PRM_ChoiceList, MenusAsTheirNodeOffersThem)
{
    // A static menu lists its items up to the first unnamed one; an item
    // without a label shows its token.
    const std::vector<PRM_ChoiceItem> items = theModeMenu.getChoices(nullptr);
    ASSERT_EQ(items.size(), 2u);
    EXPECT_EQ(items[0].token, "fast");
    EXPECT_EQ(items[0].label, "Fast");
    EXPECT_EQ(items[1].token, "exact");
    EXPECT_EQ(items[1].label, "exact");
    EXPECT_EQ(theModeMenu.getType(), PRM_CHOICELIST_REPLACE);

    // The point-group menu toggles group names in the field and is built for
    // the node asking; details keep no groups, so it is empty.
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
