// The plug-in as the host sees it before any cook: exports, versions,
// the registered node type and its parameters.
#include "node/tests/node_test_network.h"

#include <PRM/PRM_Shared.h>
#include <algorithm>
#include <cctype>
#include <cstdio>
#include <gtest/gtest.h>
#include <set>

using node_test::VelkorNetwork;

#if defined(__linux__)
TEST(Plugin, ExportsExactlyTheFourEntryPoints)
{
    const std::string command = std::string("nm -D --defined-only '") + VELKOR_PLUGIN_PATH + "'";
    FILE *pipe = popen(command.c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    std::set<std::string> exported;
    char line[1024];
    while (fgets(line, sizeof line, pipe))
    {
        char address[64], kind[8], name[900];
        if (sscanf(line, "%63s %7s %899s", address, kind, name) == 3 && std::string(kind) != "A")
            exported.insert(name);
    }
    ASSERT_EQ(pclose(pipe), 0);
    EXPECT_EQ(exported, (std::set<std::string>{"HoudiniCompilerVersion", "HoudiniDSOVersion", "HoudiniGetTagInfo",
                                               "newSopOperator"}));
}
#endif

TEST(Plugin, VersionsAndBuildTag)
{
    VelkorNetwork net;
    ASSERT_TRUE(net.plugin) << net.loadError;
    EXPECT_EQ(net.plugin->getVersion(), "15.5");
    EXPECT_EQ(net.plugin->getCompilerVersion(), 1900u);
    const std::string &tag = net.plugin->getTagInfo();
    EXPECT_EQ(tag.size(), 172u);
    EXPECT_TRUE(std::all_of(tag.begin(), tag.end(), [](char c) { return std::isdigit(c) || (c >= 'a' && c <= 'f'); }))
        << tag;
}

TEST(Plugin, RegistersTheNodeType)
{
    VelkorNetwork net;
    ASSERT_TRUE(net.plugin) << net.loadError;
    const OP_Operator *op = net.table.getOperator("hdk_velkor");
    ASSERT_NE(op, nullptr);
    EXPECT_EQ(op->getEnglish(), "Velkor");
    EXPECT_EQ(op->minInputs(), 2u);
    EXPECT_EQ(op->maxInputs(), 2u);
    EXPECT_EQ(op->maxOutputs(), 1);
    EXPECT_EQ(op->getFlags(), 2u);
    ASSERT_NE(op->findVariable("PT"), nullptr);
    EXPECT_EQ(op->findVariable("PT")->id, 0);
    ASSERT_NE(op->findVariable("NPT"), nullptr);
    EXPECT_EQ(op->findVariable("NPT")->id, 1);
    ASSERT_NE(net.velkor, nullptr);
    EXPECT_TRUE(net.velkor->getSopFlags().hasBits(8));
}

TEST(Plugin, ParameterTemplates)
{
    VelkorNetwork net;
    ASSERT_TRUE(net.plugin) << net.loadError;
    const PRM_Template *list = net.table.getOperator("hdk_velkor")->getParmTemplates();
    ASSERT_EQ(PRM_Template::countTemplates(list), 5);

    struct Expected
    {
        PRM_Type type;
        const char *token;
        const char *label;
        double value;
    };
    const Expected expected[] = {
        {PRM_INT, "bounces", "Bounces", 1},
        {PRM_FLT, "scatter", "Scatter", 0},
        {PRM_INT, "scatternum", "ScatterNum", 1},
        {PRM_FLT, "dissipation", "Dissipation", 1},
    };
    EXPECT_EQ(list[0].getType(), PRM_STRING);
    EXPECT_EQ(list[0].getNamePtr(), &PRMgroupName);
    EXPECT_EQ(list[0].getChoiceListPtr(), &SOP_Node::pointGroupMenu);
    EXPECT_NE(list[0].getSparePtr(), nullptr);
    EXPECT_EQ(list[0].getFactoryDefaults(), nullptr);
    for (int i = 0; i < 4; ++i)
    {
        const PRM_Template &t = list[i + 1];
        EXPECT_EQ(t.getType(), expected[i].type);
        EXPECT_STREQ(t.getToken(), expected[i].token);
        EXPECT_STREQ(t.getLabel(), expected[i].label);
        ASSERT_NE(t.getFactoryDefaults(), nullptr);
        EXPECT_EQ(t.getFactoryDefaults()->getFloat(), expected[i].value);
        EXPECT_EQ(t.getVectorSize(), 1);
        EXPECT_EQ(t.getParmGroup(), 1);
        EXPECT_EQ(t.getRangePtr(), nullptr);
        EXPECT_EQ(t.getChoiceListPtr(), nullptr);
    }
    // bounces, scatternum and dissipation share one default object.
    EXPECT_EQ(list[1].getFactoryDefaults(), list[3].getFactoryDefaults());
    EXPECT_EQ(list[1].getFactoryDefaults(), list[4].getFactoryDefaults());
    EXPECT_EQ(list[5].getType(), PRM_LIST_TERMINATOR);
}

// What a user of the node meets: the defaults as evaluated, no range that
// limits a value, the group field's menu, and tokens that must be exact.
TEST(Plugin, ParametersAsAUserSetsThem)
{
    VelkorNetwork net;
    ASSERT_NE(net.velkor, nullptr) << net.loadError;
    SOP_Node &node = *net.velkor;
    UT_String group("unset");
    node.evalString(group, "group", 0, 0);
    EXPECT_EQ(group.toStdString(), "");
    EXPECT_EQ(node.evalInt("bounces", 0, 0), 1);
    EXPECT_EQ(node.evalFloat("scatter", 0, 0), 0.0);
    EXPECT_EQ(node.evalInt("scatternum", 0, 0), 1);
    EXPECT_EQ(node.evalFloat("dissipation", 0, 0), 1.0);
    // Integers read as floats too, as an expression would.
    EXPECT_EQ(node.evalFloat("bounces", 0, 0), 1.0);

    // Nothing is clamped when set: the cook itself decides what a value means.
    struct Value
    {
        const char *token;
        double value;
    };
    const Value values[] = {{"bounces", -4},   {"bounces", 1000000},  {"scatter", 720},
                            {"scatter", -30},  {"scatter", 0.1},      {"scatternum", -1},
                            {"scatternum", 0}, {"dissipation", -0.5}, {"dissipation", 1e30}};
    for (const Value &v : values)
    {
        ASSERT_TRUE(node.setFloat(v.token, 0, 0, v.value)) << v.token;
        EXPECT_EQ(node.evalFloat(v.token, 0, 0), v.value) << v.token;
    }

    // The group field offers the point groups of the node's input (none).
    const PRM_Template *groupField = node.getParmTemplate(node.findParmIndex("group"));
    ASSERT_NE(groupField, nullptr);
    ASSERT_NE(groupField->getChoiceListPtr(), nullptr);
    EXPECT_TRUE(groupField->getChoiceListPtr()->getChoices(&node).empty());

    // Labels are not tokens.
    EXPECT_FALSE(node.setInt("Bounces", 0, 0, 2));
    EXPECT_FALSE(node.setFloat("ScatterNum", 0, 0, 2));
    EXPECT_EQ(node.error(), UT_ERROR_NONE);
    EXPECT_EQ(node.evalInt("Bounces", 0, 0), 0);
    EXPECT_EQ(node.getErrorMessages(), "Error: Unknown parameter: \"Bounces\"\n");
}

TEST(Plugin, LocalVariablesResolveThroughTheBaseClass)
{
    VelkorNetwork net;
    ASSERT_NE(net.velkor, nullptr) << net.loadError;
    fpreal velkorValue = -7, sourceValue = -7;
    const bool velkorFound = net.velkor->getVariableValue("PT", velkorValue);
    const bool sourceFound = net.points->getVariableValue("PT", sourceValue);
    EXPECT_EQ(velkorFound, sourceFound);
    EXPECT_EQ(velkorValue, sourceValue);
    EXPECT_EQ(net.velkor->getVariableValue("NPT", velkorValue), net.points->getVariableValue("NPT", sourceValue));
}
