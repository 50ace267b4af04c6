#include "node/sop_velkor.h"

#include <new>

namespace HDK_Sample
{

namespace
{
// The SOP flag bit the node sets on creation.
constexpr unsigned kSopFlagBit = 8;
}  // namespace

CH_LocalVariable SOP_Velkor::myVariables[] = {
    {"PT", 0, 0},
    {"NPT", 1, 0},
    {nullptr, 0, 0},
};

OP_Node *SOP_Velkor::myConstructor(OP_Network *net, const char *name, OP_Operator *op)
{
    // new (std::nothrow) releases the memory itself if the constructor throws.
    return new (std::nothrow) SOP_Velkor(net, name, op);
}

SOP_Velkor::SOP_Velkor(OP_Network *net, const char *name, OP_Operator *op) : SOP_Node(net, name, op)
{
    mySopFlags.setBits(kSopFlagBit);
    myPointVariable = -1;
}

SOP_Velkor::~SOP_Velkor() = default;

bool SOP_Velkor::evalVariableValue(fpreal &value, int index, int thread)
{
    if (myPointVariable >= 0)
    {
        if (index == 0)
        {
            value = fpreal(myPointVariable);
            return true;
        }
        if (index == 1)
        {
            value = fpreal(myPointCountVariable);
            return true;
        }
    }
    return SOP_Node::evalVariableValue(value, index, thread);
}

bool SOP_Velkor::evalVariableValue(UT_String &value, int index, int thread)
{
    return SOP_Node::evalVariableValue(value, index, thread);
}

}  // namespace HDK_Sample
