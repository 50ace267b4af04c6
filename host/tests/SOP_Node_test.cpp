#include <SOP/SOP_Node.h>

#include <GU/GU_Detail.h>
#include <OP/OP_AutoLockInputs.h>
#include <OP/OP_OperatorTable.h>
#include <PRM/PRM_Include.h>
#include <SOP/SOP_Source.h>
#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace
{
PRM_Name theModeName("mode", "Mode");
PRM_Template theTemplates[] = {PRM_Template(PRM_INT, 1, &theModeName), PRM_Template()};
CH_LocalVariable theVariables[] = {{"PT", 0, 0}, {"NPT", 1, 0}, {"OTHER", 2, 0}, {nullptr, 0, 0}};

// A geometry node whose cook does what "mode" says, to reach the base
// class's operations from a real cook.
class SOP_TestModes : public SOP_Node
{
public:
    enum Mode
    {
        COPY_AND_ADD,   // copy input 0, append one point
        PASS_THROUGH,   // output input 0's detail itself
        ADD_THEN_FAIL,  // append a point, then add an error
        BAD_OUTPUT,     // point output 1, which the type lacks, somewhere
        COPY_UNLOCKED   // duplicateSource without locking first
    };
    SOP_TestModes(OP_Network *parent, const char *name, OP_Operator *op) : SOP_Node(parent, name, op)
    {
        mySopFlags.setBits(8);
    }
    const GU_Detail *inputSeen = nullptr;

protected:
    OP_ERROR cookMySop(OP_Context &context) override
    {
        const exint mode = evalInt("mode", 0, context.getTime());
        OP_AutoLockInputs inputs(this);
        if (mode != COPY_UNLOCKED && inputs.lock(context) >= UT_ERROR_ABORT)
            return error();
        inputSeen = inputGeo(0);
        switch (mode)
        {
        case COPY_AND_ADD:
        case COPY_UNLOCKED:
            if (duplicateSource(0, context, gdp) < UT_ERROR_ABORT)
                gdp->appendPointBlock(1);
            break;
        case PASS_THROUGH:
            setCurGdh(0, static_cast<SOP_Node *>(getInput(0))->getOutputHandle());
            break;
        case ADD_THEN_FAIL:
            gdp->appendPointBlock(1);
            addError(SOP_MESSAGE, "Stopped after one point");
            break;
        case BAD_OUTPUT:
            setCurGdh(1, myGdpHandle);
            break;
        }
        return error();
    }
};

OP_Node *construct(OP_Network *parent, const char *name, OP_Operator *op)
{
    return new SOP_TestModes(parent, name, op);
}

class SOP_NodeTest : public ::testing::Test
{
protected:
    SOP_NodeTest()
    {
        SOP_Source::registerOperator(myTable);
        myTable.addOperator(new OP_Operator("modes", "Modes", construct, theTemplates, 0, 1, theVariables));
        mySource = static_cast<SOP_Source *>(myNet.createNode("source"));
        myNode = static_cast<SOP_TestModes *>(myNet.createNode("modes"));
        myDetail = std::make_shared<GU_Detail>();
        myDetail->appendPointBlock(3);
        mySource->setDetail(myDetail);
        myNode->setInput(0, mySource);
    }
    void setMode(SOP_TestModes::Mode mode) { myNode->setInt("mode", 0, 0, mode); }

    OP_OperatorTable myTable;
    OP_Network myNet{"obj", &myTable};
    OP_Context myContext;
    std::shared_ptr<GU_Detail> myDetail;
    SOP_Source *mySource;
    SOP_TestModes *myNode;
};
}  // namespace

TEST_F(SOP_NodeTest, SourceFeedsItsOwnDetailAndTheNodeCopiesIt)
{
    EXPECT_EQ(myNode->inputGeo(0), nullptr);  // input not cooked yet
    const GU_Detail *out = myNode->getCookedGeo(myContext);
    EXPECT_EQ(myNode->inputSeen, myDetail.get());
    ASSERT_NE(out, nullptr);
    EXPECT_NE(out, myDetail.get());
    EXPECT_EQ(out->getNumPoints(), 4);
    EXPECT_EQ(myDetail->getNumPoints(), 3);
    EXPECT_EQ(myNode->error(), UT_ERROR_NONE);
    EXPECT_EQ(myNode->inputGeo(1), nullptr);
}

TEST_F(SOP_NodeTest, SourceWithoutDetailGivesNoInputGeometry)
{
    mySource->setDetail(GU_DetailHandle());
    EXPECT_GE(myNode->cook(myContext), UT_ERROR_ABORT);
    EXPECT_EQ(myNode->inputSeen, nullptr);
    EXPECT_TRUE(myNode->getErrorManager().hasCode("SOP", SOP_ERR_INVALID_SRC));
    EXPECT_EQ(myNode->getCookedGeo(myContext)->getNumPoints(), 0);
}

TEST_F(SOP_NodeTest, DuplicateSourceCooksAnUnlockedInput)
{
    setMode(SOP_TestModes::COPY_UNLOCKED);
    EXPECT_EQ(myNode->getCookedGeo(myContext)->getNumPoints(), 4);
    myNode->setInput(0, nullptr);
    EXPECT_GE(myNode->cook(myContext), UT_ERROR_ABORT);
    EXPECT_TRUE(myNode->getErrorManager().hasCode("OP", OP_ERR_MISSING_INPUT));
    EXPECT_EQ(myNode->getCookedGeo(myContext)->getNumPoints(), 0);
}

TEST_F(SOP_NodeTest, OutputCanPointAtAnotherDetail)
{
    setMode(SOP_TestModes::PASS_THROUGH);
    EXPECT_EQ(myNode->getCookedGeo(myContext), myDetail.get());
    // The next cook starts again from the node's own detail.
    setMode(SOP_TestModes::COPY_AND_ADD);
    const GU_Detail *own = myNode->getCookedGeoHandle(myContext).gdp();
    EXPECT_EQ(own, myNode->getOutputHandle().gdp());
    EXPECT_NE(own, myDetail.get());

    setMode(SOP_TestModes::BAD_OUTPUT);
    EXPECT_GE(myNode->cook(myContext), UT_ERROR_ABORT);
    EXPECT_TRUE(myNode->getErrorManager().hasCode("OP", OP_ERR_BAD_OUTPUT));
    EXPECT_FALSE(myNode->getOutputHandle(1).isValid());
}

TEST_F(SOP_NodeTest, FailedCookKeepsWhatItLeftInTheOutput)
{
    setMode(SOP_TestModes::ADD_THEN_FAIL);
    EXPECT_EQ(myNode->cook(myContext), UT_ERROR_ABORT);
    EXPECT_EQ(myNode->getCookedGeo(myContext)->getNumPoints(), 1);
    // SOP_MESSAGE text is shown exactly as given.
    EXPECT_EQ(myNode->getErrorManager().getError(0).message, "Stopped after one point");
    EXPECT_EQ(myNode->getErrorMessages(), "Error: Stopped after one point\n");
}

TEST_F(SOP_NodeTest, MessagesKeepTheHighestSeverity)
{
    EXPECT_EQ(myNode->addMessage(SOP_MESSAGE, "note"), UT_ERROR_MESSAGE);
    EXPECT_EQ(myNode->addWarning(SOP_ERR_BADGROUP, "pts"), UT_ERROR_WARNING);
    EXPECT_EQ(myNode->addWarning(SOP_ERR_BADGROUP, "pts"), UT_ERROR_WARNING);  // kept once
    EXPECT_EQ(myNode->addMessage(SOP_MESSAGE, "later note"), UT_ERROR_WARNING);
    EXPECT_EQ(myNode->error(), UT_ERROR_WARNING);
    EXPECT_EQ(myNode->getErrorMessages(UT_ERROR_WARNING), "Warning: Invalid group: pts\n");
    EXPECT_EQ(myNode->getErrorManager().getNumErrors(), 3);
    EXPECT_EQ(myNode->addError(SOP_ERR_BAD_PARM), UT_ERROR_ABORT);
    // A cook starts with a clean slate.
    EXPECT_EQ(myNode->cook(myContext), UT_ERROR_NONE);
    EXPECT_EQ(myNode->getErrorManager().getNumErrors(), 0);
}

TEST_F(SOP_NodeTest, PointVariablesResolveOnlyInAPointContext)
{
    fpreal value = -7;
    UT_String text;
    EXPECT_FALSE(myNode->getVariableValue("PT", value));
    EXPECT_FALSE(myNode->evalVariableValue(value, 0, 0));
    EXPECT_EQ(value, -7);

    myNode->setCurPoint(5, 12);
    EXPECT_TRUE(myNode->getVariableValue("PT", value));
    EXPECT_EQ(value, 5);
    EXPECT_TRUE(myNode->evalVariableValue(value, 1, 0));
    EXPECT_EQ(value, 12);
    EXPECT_TRUE(myNode->getVariableValue("NPT", text));
    EXPECT_EQ(text.toStdString(), "12");
    EXPECT_FALSE(myNode->getVariableValue("OTHER", value));
    EXPECT_FALSE(myNode->getVariableValue("UNDECLARED", value));

    myNode->clearCurPoint();
    EXPECT_FALSE(myNode->getVariableValue("NPT", value));
}

TEST_F(SOP_NodeTest, NodeTypesSetTheirFlagBits)
{
    EXPECT_EQ(myNode->getSopFlags().getBits(), 8u);
    EXPECT_TRUE(myNode->getSopFlags().hasBits(8));
    EXPECT_EQ(mySource->getSopFlags().getBits(), 0u);
}
