#include <OP/OP_Node.h>

#include <GU/GU_Detail.h>
#include <OP/OP_AutoLockInputs.h>
#include <OP/OP_Network.h>
#include <OP/OP_OperatorTable.h>
#include <PRM/PRM_Include.h>
#include <SOP/SOP_Node.h>
#include <SOP/SOP_Source.h>
#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace
{
std::vector<std::string> theCookLog;

PRM_Name theAddName("add", "Add");
PRM_Name theThrowName("throw", "Throw");
PRM_Template theTemplates[] = {PRM_Template(PRM_INT, 1, &theAddName), PRM_Template(PRM_TOGGLE, 1, &theThrowName),
                               PRM_Template()};

// Locks its inputs, copies input 0 (if any), appends "add" points and logs
// its name once its inputs are done, so the log shows the cook order.
class SOP_TestStep : public SOP_Node
{
public:
    SOP_TestStep(OP_Network *parent, const char *name, OP_Operator *op) : SOP_Node(parent, name, op) {}
    int myLockCountSeen = -1;

protected:
    OP_ERROR cookMySop(OP_Context &context) override
    {
        OP_AutoLockInputs inputs(this);
        if (inputs.lock(context) >= UT_ERROR_ABORT)
            return error();
        if (getInput(0))
        {
            myLockCountSeen = getInput(0)->getLockCount();
            duplicateSource(0, context, gdp);
        }
        if (evalInt("throw", 0, context.getTime()))
            throw std::runtime_error("test failure");
        gdp->appendPointBlock(evalInt("add", 0, context.getTime()));
        theCookLog.push_back(getName());
        return error();
    }
};

OP_Node *constructStep(OP_Network *parent, const char *name, OP_Operator *op)
{
    return new SOP_TestStep(parent, name, op);
}

const char *theInputLabels[] = {"Points", "Collider", nullptr};

class OP_NodeTest : public ::testing::Test
{
protected:
    OP_NodeTest()
    {
        SOP_Source::registerOperator(myTable);
        myTable.addOperator(new OP_Operator("step", "Step", constructStep, theTemplates, 0, 1));
        myTable.addOperator(
            new OP_Operator("pair", "Pair", constructStep, theTemplates, 2, 2, nullptr, 0, theInputLabels));
        theCookLog.clear();
    }

    SOP_Source *source(GA_Size points)
    {
        auto *node = static_cast<SOP_Source *>(myNet.createNode("source"));
        auto detail = std::make_shared<GU_Detail>();
        if (points > 0)
            detail->appendPointBlock(points);
        node->setDetail(detail);
        return node;
    }
    SOP_TestStep *node(const char *type) { return static_cast<SOP_TestStep *>(myNet.createNode(type)); }

    OP_OperatorTable myTable;
    OP_Network myNet{"obj", &myTable};
    OP_Context myContext;
};
}  // namespace

TEST_F(OP_NodeTest, CooksUpstreamFirstAndOnlyWhenNeeded)
{
    SOP_Source *src = source(2);
    SOP_TestStep *a = node("step");
    SOP_TestStep *b = node("step");
    ASSERT_TRUE(a->setInput(0, src));
    ASSERT_TRUE(b->setInput(0, a));
    a->setInt("add", 0, 0, 1);
    b->setInt("add", 0, 0, 1);

    ASSERT_EQ(b->getCookedGeo(myContext)->getNumPoints(), 4);
    EXPECT_EQ(theCookLog, (std::vector<std::string>{"step", "step1"}));
    EXPECT_EQ(src->getCookCount(), 1);

    // Nothing changed: nothing cooks.
    b->cook(myContext);
    EXPECT_EQ(theCookLog.size(), 2u);

    // A parameter change recooks that node and what is downstream, not upstream.
    a->setInt("add", 0, 0, 3);
    EXPECT_EQ(b->getCookedGeo(myContext)->getNumPoints(), 6);
    EXPECT_EQ(theCookLog.size(), 4u);
    EXPECT_EQ(src->getCookCount(), 1);

    // A new time recooks everything; a forced recook reaches downstream too.
    OP_Context later(1.0);
    b->cook(later);
    EXPECT_EQ(src->getCookCount(), 2);
    src->forceRecook();
    b->cook(later);
    EXPECT_EQ(src->getCookCount(), 3);
    EXPECT_EQ(theCookLog.size(), 8u);
}

TEST_F(OP_NodeTest, InputsAreLockedOnlyDuringTheConsumersCook)
{
    SOP_Source *src = source(1);
    SOP_TestStep *a = node("step");
    a->setInput(0, src);
    a->cook(myContext);
    EXPECT_EQ(a->myLockCountSeen, 1);
    EXPECT_EQ(src->getLockCount(), 0);
}

TEST_F(OP_NodeTest, MissingRequiredInputIsAnErrorNamingIt)
{
    SOP_TestStep *pair = node("pair");
    pair->setInput(0, source(1));
    EXPECT_GE(pair->cook(myContext), UT_ERROR_ABORT);
    ASSERT_EQ(pair->getErrorManager().getNumErrors(), 1);
    const UT_ErrorRecord &record = pair->getErrorManager().getError(0);
    EXPECT_EQ(record.code, OP_ERR_MISSING_INPUT);
    EXPECT_NE(record.message.find("Input 2 (Collider)"), std::string::npos) << record.message;
    EXPECT_TRUE(theCookLog.empty());

    // Connecting it clears the error on the next cook.
    pair->setInput(1, source(1));
    EXPECT_EQ(pair->cook(myContext), UT_ERROR_NONE);
}

TEST_F(OP_NodeTest, FailedInputAndThrowingCookBecomeErrors)
{
    SOP_TestStep *a = node("step");
    SOP_TestStep *b = node("step");
    b->setInput(0, a);
    a->setInt("throw", 0, 0, 1);

    EXPECT_GE(b->cook(myContext), UT_ERROR_ABORT);
    EXPECT_TRUE(a->getErrorManager().hasCode("OP", OP_ERR_COOK_EXCEPTION));
    EXPECT_NE(a->getErrorMessages().find("test failure"), std::string::npos);
    EXPECT_TRUE(b->getErrorManager().hasCode("OP", OP_ERR_INPUT_FAILED));
    EXPECT_FALSE(a->isCooking());
}

TEST_F(OP_NodeTest, WiringRefusesLoopsAndMissingSlots)
{
    SOP_TestStep *a = node("step");
    SOP_TestStep *b = node("step");
    EXPECT_FALSE(a->setInput(0, a));
    EXPECT_TRUE(b->setInput(0, a));
    EXPECT_FALSE(a->setInput(0, b));          // would close a loop
    EXPECT_FALSE(a->setInput(1, source(1)));  // "step" takes one input
    EXPECT_TRUE(b->setInput(0, nullptr));
    EXPECT_EQ(b->nInputs(), 0u);
    EXPECT_TRUE(a->getOutputNodes().empty());
}

TEST_F(OP_NodeTest, DestroyingAnInputDisconnectsItsConsumers)
{
    SOP_Source *src = source(1);
    SOP_TestStep *pair = node("pair");
    pair->setInput(0, src);
    pair->setInput(1, src);
    ASSERT_EQ(pair->cook(myContext), UT_ERROR_NONE);

    EXPECT_TRUE(myNet.destroyNode(src));
    EXPECT_EQ(pair->getInput(0), nullptr);
    EXPECT_EQ(pair->getInput(1), nullptr);
    EXPECT_GE(pair->cook(myContext), UT_ERROR_ABORT);
    EXPECT_FALSE(myNet.destroyNode(src));
}

TEST_F(OP_NodeTest, NetworkCreatesUniquelyNamedNodesByType)
{
    EXPECT_EQ(node("step")->getName(), "step");
    EXPECT_EQ(node("step")->getName(), "step1");
    EXPECT_EQ(myNet.createNode("step", "step1")->getName(), "step2");
    EXPECT_EQ(myNet.findNode("step1")->getOperator(), myTable.getOperator("step"));
    EXPECT_EQ(myNet.getNchildren(), 3);

    std::string err;
    EXPECT_EQ(myNet.createNode("no_such_type", nullptr, &err), nullptr);
    EXPECT_NE(err.find("no_such_type"), std::string::npos);
}

TEST_F(OP_NodeTest, NodesOutliveTheirOperatorTable)
{
    auto table = std::make_unique<OP_OperatorTable>();
    table->addOperator(new OP_Operator("step", "Step", constructStep, theTemplates, 0, 1));
    OP_Network net("obj", table.get());
    SOP_TestStep *a = static_cast<SOP_TestStep *>(net.createNode("step"));
    table.reset();
    a->setInt("add", 0, 0, 2);
    EXPECT_EQ(a->getCookedGeo(myContext)->getNumPoints(), 2);
    EXPECT_EQ(a->getOperator()->getName(), "step");
}
