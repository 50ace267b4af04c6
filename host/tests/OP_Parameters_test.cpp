#include <OP/OP_Parameters.h>

#include <PRM/PRM_Include.h>
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

namespace
{
PRM_Name theNames[] = {PRM_Name("count", "Count"),   PRM_Name("scale", "Scale"), PRM_Name("label", "Label"),
                       PRM_Name("enable", "Enable"), PRM_Name("size", "Size"),   PRM_Name("clamped", "Clamped"),
                       PRM_Name("path", "Path")};
PRM_Default theHalf(2.5);
PRM_Default theTenth(0.1);
PRM_Default theText(0, "hello");
PRM_Default theOn(1);
PRM_Default theSize[] = {PRM_Default(1), PRM_Default(2), PRM_Default(3)};
PRM_Range theUnit(0, 1, true, true);

std::vector<int> theCallbackIndices;
int recordCallback(void *, int index, fpreal, const PRM_Template *)
{
    theCallbackIndices.push_back(index);
    return 1;
}

PRM_Template theTemplates[] = {PRM_Template(PRM_INT, 1, &theNames[0], &theHalf, nullptr, nullptr, recordCallback),
                               PRM_Template(PRM_FLT, 1, &theNames[1], &theTenth),
                               PRM_Template(PRM_STRING, 1, &theNames[2], &theText),
                               PRM_Template(PRM_TOGGLE, 1, &theNames[3], &theOn),
                               PRM_Template(PRM_FLT, 3, &theNames[4], theSize),
                               PRM_Template(PRM_FLT, 1, &theNames[5], nullptr, nullptr, &theUnit),
                               PRM_Template(PRM_STRING, 1, &theNames[6]),
                               PRM_Template()};

class TestParameters : public OP_Parameters
{
public:
    TestParameters() : OP_Parameters(theTemplates) {}
    int myChanges = 0;

protected:
    void parmChanged(int) override { ++myChanges; }
};

std::string evalText(const OP_Parameters &parms, const char *token, int component = 0)
{
    UT_String value;
    parms.evalString(value, token, component, 0);
    return value.toStdString();
}
}  // namespace

TEST(OP_Parameters, StartFromTheTemplateDefaults)
{
    TestParameters parms;
    ASSERT_EQ(parms.getNumParms(), 7);
    EXPECT_EQ(parms.evalInt("count", 0, 0), 3);  // 2.5 rounds away from zero
    EXPECT_EQ(parms.evalFloat("scale", 0, 0), 0.1);
    EXPECT_EQ(evalText(parms, "label"), "hello");
    EXPECT_EQ(parms.evalInt("enable", 0, 0), 1);
    EXPECT_EQ(parms.evalFloat("size", 2, 0), 3.0);
    EXPECT_EQ(parms.evalFloat("clamped", 0, 0), 0.0);
    EXPECT_EQ(evalText(parms, "path"), "");
    // Values do not depend on time.
    EXPECT_EQ(parms.evalFloat("scale", 0, 100.5), 0.1);
    EXPECT_EQ(parms.error(), UT_ERROR_NONE);
}

TEST(OP_Parameters, ConvertBetweenNumericKinds)
{
    TestParameters parms;
    struct Case
    {
        fpreal value;
        exint asInt;
        const char *asText;
    };
    const fpreal big = 1e300;
    const Case cases[] = {{-2.5, -3, "-2.5"},
                          {0.49999999999999994, 0, "0.49999999999999994"},
                          {1e15 + 0.5, exint(1e15) + 1, "1000000000000000.5"},
                          {std::nan(""), 0, "nan"},
                          {big, std::numeric_limits<exint>::max(), "1e+300"},
                          {-big, std::numeric_limits<exint>::min(), "-1e+300"}};
    for (const Case &c : cases)
    {
        ASSERT_TRUE(parms.setFloat("scale", 0, 0, c.value));
        EXPECT_EQ(parms.evalInt("scale", 0, 0), c.asInt) << c.value;
        EXPECT_EQ(evalText(parms, "scale"), c.asText);
    }
    ASSERT_TRUE(parms.setInt("count", 0, 0, exint(1) << 40));
    EXPECT_EQ(parms.evalFloat("count", 0, 0), 1099511627776.0);
    EXPECT_EQ(evalText(parms, "count"), "1099511627776");
    EXPECT_EQ(parms.error(), UT_ERROR_NONE);
}

TEST(OP_Parameters, UnknownTokensAndComponentsAreErrors)
{
    TestParameters parms;
    EXPECT_EQ(parms.evalInt("bounces", 0, 0), 0);
    EXPECT_EQ(parms.error(), UT_ERROR_ABORT);
    EXPECT_TRUE(parms.getErrorManager().hasCode("OP", OP_ERR_BAD_PARAMETER));
    EXPECT_NE(parms.getErrorMessages().find("\"bounces\""), std::string::npos);

    parms.clearErrors();
    EXPECT_EQ(parms.evalFloat("size", 3, 0), 0.0);
    EXPECT_EQ(parms.evalFloat("scale", -1, 0), 0.0);
    EXPECT_EQ(parms.getErrorManager().getNumErrors(), 2);

    parms.clearErrors();
    EXPECT_EQ(parms.evalInt("label", 0, 0), 0);
    EXPECT_TRUE(parms.getErrorManager().hasCode("OP", OP_ERR_PARAMETER_TYPE));
}

TEST(OP_Parameters, SettersRefuseWhatTheParameterCannotHold)
{
    TestParameters parms;
    EXPECT_FALSE(parms.setInt("missing", 0, 0, 1));
    EXPECT_FALSE(parms.setFloat("size", 3, 0, 1));
    EXPECT_FALSE(parms.setInt("label", 0, 0, 1));
    EXPECT_FALSE(parms.setString("count", 0, 0, "4"));
    EXPECT_EQ(parms.myChanges, 0);
    EXPECT_EQ(parms.error(), UT_ERROR_NONE);  // setting reports by its answer alone

    EXPECT_TRUE(parms.setString("path", 0, 0, "a b"));
    EXPECT_EQ(evalText(parms, "path"), "a b");
    EXPECT_TRUE(parms.setInt("enable", 0, 0, 0));
    EXPECT_TRUE(parms.setInt("enable", 0, 0, 7));
    EXPECT_EQ(parms.evalInt("enable", 0, 0), 1);
    EXPECT_TRUE(parms.setFloat("clamped", 0, 0, 4.0));
    EXPECT_EQ(parms.evalFloat("clamped", 0, 0), 1.0);
    EXPECT_TRUE(parms.setInt("clamped", 0, 0, -3));
    EXPECT_EQ(parms.evalFloat("clamped", 0, 0), 0.0);
    EXPECT_EQ(parms.myChanges, 5);
}

TEST(OP_Parameters, CallbackRunsAfterTheValueIsStoredAndDefaultsComeBack)
{
    TestParameters parms;
    theCallbackIndices.clear();
    parms.setFloat("count", 0, 0, 6.6);
    EXPECT_EQ(parms.evalInt("count", 0, 0), 7);
    EXPECT_EQ(theCallbackIndices, std::vector<int>{0});

    parms.setFloat("size", 1, 0, -1);
    parms.revertToDefaults();
    EXPECT_EQ(parms.evalInt("count", 0, 0), 3);
    EXPECT_EQ(parms.evalFloat("size", 1, 0), 2.0);
}
