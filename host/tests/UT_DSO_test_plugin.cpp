// A node plug-in for the loader tests. Built three times: as is (a good
// plug-in with one node type, "test_add_point"), with TEST_PLUGIN_VERSION
// set to another host version, and with TEST_PLUGIN_NO_REGISTER, which
// leaves out newSopOperator.
#include <GU/GU_Detail.h>
#include <OP/OP_AutoLockInputs.h>
#include <OP/OP_OperatorTable.h>
#include <PRM/PRM_Include.h>
#include <SOP/SOP_Node.h>

#include <new>

#ifndef TEST_PLUGIN_VERSION
#define TEST_PLUGIN_VERSION "15.5"
#endif

#if defined(_WIN32)
#define TEST_PLUGIN_EXPORT extern "C" __declspec(dllexport)
#else
#define TEST_PLUGIN_EXPORT extern "C" __attribute__((visibility("default")))
#endif

#ifndef TEST_PLUGIN_NO_REGISTER
namespace
{
PRM_Name theCountName("count", "Count");
PRM_Default theCountDefault(1);
PRM_Template theTemplates[] = {PRM_Template(PRM_INT, 1, &theCountName, &theCountDefault), PRM_Template()};

// Copies its input and appends "count" points.
class SOP_TestAddPoint : public SOP_Node
{
public:
    SOP_TestAddPoint(OP_Network *parent, const char *name, OP_Operator *op) : SOP_Node(parent, name, op) {}

protected:
    OP_ERROR cookMySop(OP_Context &context) override
    {
        OP_AutoLockInputs inputs(this);
        if (inputs.lock(context) >= UT_ERROR_ABORT)
            return error();
        duplicateSource(0, context, gdp);
        const exint count = evalInt("count", 0, context.getTime());
        if (count > 0)
            gdp->appendPointBlock(count);
        return error();
    }
};

OP_Node *construct(OP_Network *parent, const char *name, OP_Operator *op)
{
    return new (std::nothrow) SOP_TestAddPoint(parent, name, op);
}
}  // namespace
#endif

TEST_PLUGIN_EXPORT void HoudiniDSOVersion(const char **version) { *version = TEST_PLUGIN_VERSION; }

TEST_PLUGIN_EXPORT unsigned HoudiniCompilerVersion() { return 1234; }

TEST_PLUGIN_EXPORT void HoudiniGetTagInfo(const char **tag) { *tag = "test-plugin-tag"; }

#ifndef TEST_PLUGIN_NO_REGISTER
TEST_PLUGIN_EXPORT void newSopOperator(OP_OperatorTable *table)
{
    table->addOperator(new OP_Operator("test_add_point", "Test Add Point", construct, theTemplates, 1, 1));
}
#endif
