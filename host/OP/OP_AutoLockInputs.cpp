#include <OP/OP_AutoLockInputs.h>

#include <OP/OP_Node.h>

#include <algorithm>

void OP_AutoLockInputs::setNode(OP_Node *node)
{
    unlock();
    myNode = node;
}

OP_ERROR OP_AutoLockInputs::lock(OP_Context &context)
{
    if (!myNode)
        return UT_ERROR_NONE;
    const unsigned count = std::max(myNode->minInputs(), myNode->nInputs());
    for (unsigned idx = 0; idx < count; ++idx)
        lockInput(idx, context);
    return myNode->error();
}

OP_ERROR OP_AutoLockInputs::lockInput(unsigned idx, OP_Context &context)
{
    if (!myNode)
        return UT_ERROR_NONE;
    OP_Node *input = myNode->getInput(idx);
    if (!input)
    {
        if (idx < myNode->minInputs())
            myNode->opError(OP_ERR_MISSING_INPUT, myNode->describeInput(idx).c_str());
        return myNode->error();
    }
    input->cook(context);
    ++input->myLockCount;
    myLocked.push_back(input);
    if (input->error() >= UT_ERROR_ABORT)
    {
        std::string detail = myNode->describeInput(idx) + ", node \"" + input->getName() + "\"";
        myNode->opError(OP_ERR_INPUT_FAILED, detail.c_str());
    }
    return myNode->error();
}

void OP_AutoLockInputs::unlock()
{
    for (OP_Node *input : myLocked)
        --input->myLockCount;
    myLocked.clear();
}
