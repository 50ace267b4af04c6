#include <OP/OP_OperatorTable.h>

#include <OP/OP_Network.h>
#include <PRM/PRM_Include.h>
#include <gtest/gtest.h>

#include <sstream>
#include <string>

namespace
{
int theDestroyed = 0;

class CountedOperator : public OP_Operator
{
public:
    using OP_Operator::OP_Operator;
    ~CountedOperator() override { ++theDestroyed; }
};

OP_Node *constructNothing(OP_Network *, const char *, OP_Operator *) { return nullptr; }

PRM_Name theA("a"), theEmpty(""), theUnnamed;
PRM_Template theGood[] = {PRM_Template(PRM_INT, 2, &theA), PRM_Template()};
PRM_Template theRepeated[] = {PRM_Template(PRM_INT, 1, &theA), PRM_Template(PRM_FLT, 1, &theA), PRM_Template()};
PRM_Template theNoToken[] = {PRM_Template(PRM_INT, 1, &theEmpty), PRM_Template()};
PRM_Template theNoName[] = {PRM_Template(PRM_INT, 1, &theUnnamed), PRM_Template()};
PRM_Template theNoComponents[] = {PRM_Template(PRM_INT, 0, &theA), PRM_Template()};
CH_LocalVariable theVariables[] = {{"PT", 0, 0}, {"NPT", 1, 0}, {nullptr, 0, 0}};
const char *theLabels[] = {"Points", nullptr, "Never read"};

struct Refusal
{
    const char *name;
    OP_Constructor construct;
    PRM_Template *templates;
    unsigned minInputs, maxInputs;
    const char *reason;
};

class OP_OperatorTableRefusal : public ::testing::TestWithParam<Refusal>
{};
}  // namespace

TEST(OP_OperatorTable, OwnsOperatorsAndRefusesDuplicates)
{
    theDestroyed = 0;
    {
        OP_OperatorTable table;
        auto *first = new CountedOperator("test_type", "Test", constructNothing, theGood, 2, 2, theVariables, 2);
        EXPECT_TRUE(table.addOperator(first));
        std::ostringstream err;
        EXPECT_FALSE(table.addOperator(new CountedOperator("test_type", "Other", constructNothing, nullptr, 0), &err));
        EXPECT_NE(err.str().find("\"test_type\""), std::string::npos) << err.str();
        EXPECT_EQ(theDestroyed, 1);  // the refused duplicate is not leaked
        EXPECT_EQ(table.entries(), 1);
        EXPECT_EQ(table.getOperator("test_type"), first);
        EXPECT_EQ(first->getEnglish(), "Test");

        // The very operator again: refused, and still alive.
        EXPECT_FALSE(table.addOperator(first));
        EXPECT_EQ(theDestroyed, 1);
        EXPECT_EQ(table.getOperator("nope"), nullptr);
        EXPECT_FALSE(table.addOperator(nullptr));
    }
    EXPECT_EQ(theDestroyed, 2);
}

TEST(OP_Operator, DescribesInputsAndVariables)
{
    OP_Operator op("t", "T", constructNothing, theGood, 1, 3, theVariables, 2, theLabels, 1, "Tools/Test");
    EXPECT_EQ(op.getInputLabel(0), "Points");
    EXPECT_EQ(op.getInputLabel(2), "");  // reading stopped at the null entry
    EXPECT_EQ(op.describeInput(0), "Input 1 (Points)");
    EXPECT_EQ(op.describeInput(1), "Input 2");
    EXPECT_EQ(op.findVariable("NPT")->id, 1);
    EXPECT_EQ(op.findVariable("N"), nullptr);
    EXPECT_EQ(op.getFlags(), 2u);
    EXPECT_EQ(op.maxOutputs(), 1);
    EXPECT_EQ(op.getSubMenuPath(), "Tools/Test");
    EXPECT_EQ(op.getLibrary(), nullptr);
}

TEST_P(OP_OperatorTableRefusal, ExplainsWhy)
{
    const Refusal &c = GetParam();
    OP_OperatorTable table;
    std::ostringstream err;
    EXPECT_FALSE(
        table.addOperator(new OP_Operator(c.name, "x", c.construct, c.templates, c.minInputs, c.maxInputs), &err));
    EXPECT_NE(err.str().find(c.reason), std::string::npos) << err.str();
    EXPECT_EQ(table.entries(), 0);
}

INSTANTIATE_TEST_SUITE_P(Invalid, OP_OperatorTableRefusal,
                         ::testing::Values(Refusal{"", constructNothing, theGood, 0, 1, "no name"},
                                           Refusal{"t", nullptr, theGood, 0, 1, "no constructor"},
                                           Refusal{"t", constructNothing, theGood, 2, 1, "more inputs"},
                                           Refusal{"t", constructNothing, theRepeated, 0, 1, "\"a\" is used twice"},
                                           Refusal{"t", constructNothing, theNoToken, 0, 1, "parameter 1 has no token"},
                                           Refusal{"t", constructNothing, theNoName, 0, 1, "parameter 1 has no token"},
                                           Refusal{"t", constructNothing, theNoComponents, 0, 1, "no components"}));

TEST(OP_Network, ReportsAConstructorThatMakesNoNode)
{
    OP_OperatorTable table;
    table.addOperator(new OP_Operator("t", "T", constructNothing, theGood, 0));
    OP_Network net("obj", &table);
    std::string err;
    EXPECT_EQ(net.createNode("t", nullptr, &err), nullptr);
    EXPECT_NE(err.find("returned no node"), std::string::npos) << err;
    EXPECT_EQ(net.getNchildren(), 0);
}
