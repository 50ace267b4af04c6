// The Velkor geometry node.
//
// Input 0 holds the points to trace (position, direction and intensity point
// attributes, found by type-information code); input 1 is the collider mesh.
// The output is a copy of input 0 plus one point for every ray that moved,
// generation after generation.
#pragma once

#include <CH/CH_LocalVariable.h>
#include <OP/OP_Context.h>
#include <PRM/PRM_Template.h>
#include <SOP/SOP_Node.h>
#include <cstdint>

struct AttributeLists;
struct WalkSettings;
enum class TraceStatus;

namespace HDK_Sample
{

class TraceProgress;
struct NodeConfiguration;

class SOP_Velkor : public SOP_Node
{
public:
    // The factory the operator table calls; null when allocation fails.
    static OP_Node *myConstructor(OP_Network *net, const char *name, OP_Operator *op);

    // Parameter templates and local variables, built at library load.
    static PRM_Template myTemplateList[];
    static CH_LocalVariable myVariables[];

    ~SOP_Velkor() override;

    bool evalVariableValue(fpreal &value, int index, int thread) override;
    bool evalVariableValue(UT_String &value, int index, int thread) override;

protected:
    SOP_Velkor(OP_Network *net, const char *name, OP_Operator *op);

    OP_ERROR cookMySop(OP_Context &context) override;

private:
    // The cook itself; cookMySop turns its allocation failures into errors.
    OP_ERROR cookPoints(OP_Context &context);
    // The cook's steps (node/cook.cpp). Each check adds the node's warning
    // and answers false when the cook cannot go on.
    bool readParameters(fpreal t, WalkSettings &settings);
    bool checkCollider(const GU_Detail &collider);
    bool checkTriples(const AttributeLists &lists);
    OP_ERROR traceInputs(const GU_Detail &collider, const AttributeLists &lists, const WalkSettings &settings,
                         const NodeConfiguration &configuration);
    void reportEnd(TraceStatus status, TraceProgress &progress);

    // -1 whenever the node is not in a cook; the cook never stores a point
    // number here, so PT and NPT always resolve through the base class.
    int32_t myPointVariable;
    int32_t myPointCountVariable = 0;
};

}  // namespace HDK_Sample
