#include <OP/OP_Node.h>

#include <algorithm>
#include <exception>
#include <limits>

OP_Node::OP_Node(OP_Network *parent, const char *name, OP_Operator *op)
    : OP_Parameters(op ? op->getParmTemplates() : nullptr), myParent(parent),
      myName(name && *name ? name : (op ? op->getName() : std::string("node"))), myOperator(op)
{}

OP_Node::~OP_Node()
{
    for (OP_Node *input : myInputs)
        if (input)
            input->removeOutputNode(this);
    // Each consumer entry stands for one connection; clear them all.
    std::vector<OP_Node *> consumers;
    consumers.swap(myOutputNodes);
    for (OP_Node *consumer : consumers)
    {
        for (OP_Node *&slot : consumer->myInputs)
            if (slot == this)
                slot = nullptr;
        while (!consumer->myInputs.empty() && !consumer->myInputs.back())
            consumer->myInputs.pop_back();
        consumer->myDirty = true;
    }
}

unsigned OP_Node::minInputs() const { return myOperator ? myOperator->minInputs() : 0; }

unsigned OP_Node::maxInputs() const
{
    return myOperator ? myOperator->maxInputs() : std::numeric_limits<unsigned>::max();
}

std::string OP_Node::describeInput(unsigned idx) const
{
    return myOperator ? myOperator->describeInput(idx) : "Input " + std::to_string(idx + 1);
}

OP_Node *OP_Node::getInput(unsigned idx) const { return idx < myInputs.size() ? myInputs[idx] : nullptr; }

bool OP_Node::feedsInto(const OP_Node *node) const
{
    // True when this node is node or lies upstream of it.
    if (this == node)
        return true;
    for (const OP_Node *consumer : myOutputNodes)
        if (consumer->feedsInto(node))
            return true;
    return false;
}

bool OP_Node::setInput(unsigned idx, OP_Node *input)
{
    if (idx >= maxInputs())
        return false;
    // Connecting input would make this node its own ancestor.
    if (input && feedsInto(input))
        return false;
    if (getInput(idx) == input)
        return true;
    if (OP_Node *old = getInput(idx))
        old->removeOutputNode(this);
    if (input)
    {
        if (idx >= myInputs.size())
            myInputs.resize(idx + 1, nullptr);
        myInputs[idx] = input;
        input->myOutputNodes.push_back(this);
    }
    else
    {
        myInputs[idx] = nullptr;
        while (!myInputs.empty() && !myInputs.back())
            myInputs.pop_back();
    }
    myDirty = true;
    return true;
}

void OP_Node::removeOutputNode(OP_Node *node)
{
    auto found = std::find(myOutputNodes.begin(), myOutputNodes.end(), node);
    if (found != myOutputNodes.end())
        myOutputNodes.erase(found);
}

bool OP_Node::needsToCook(const OP_Context &context) const
{
    if (myDirty || myCookCount == 0 || context.getTime() != myLastCookTime)
        return true;
    if (myInputCookCounts.size() != myInputs.size())
        return true;
    for (size_t i = 0; i < myInputs.size(); ++i)
    {
        const OP_Node *input = myInputs[i];
        const int seen = input ? input->myCookCount : 0;
        if (seen != myInputCookCounts[i] || (input && input->needsToCook(context)))
            return true;
    }
    return false;
}

OP_ERROR OP_Node::cook(OP_Context &context)
{
    if (myIsCooking)
        return opError(OP_ERR_RECURSIVE_COOK);
    if (!needsToCook(context))
        return error();
    // A consumer holds this output locked: it must not change under it.
    if (myLockCount > 0 && hasCooked())
        return error();

    clearErrors();
    myCookStatistics.clear();
    myIsCooking = true;
    try
    {
        const OP_ERROR returned = cookMe(context);
        if (returned > error())
            appendError("OP", OP_ERR_ANYTHING, "The cook reported a problem without a message", returned);
    }
    catch (const std::exception &e)
    {
        opError(OP_ERR_COOK_EXCEPTION, e.what());
    }
    catch (...)
    {
        opError(OP_ERR_COOK_EXCEPTION);
    }
    myIsCooking = false;

    myDirty = false;
    myLastCookTime = context.getTime();
    ++myCookCount;
    myInputCookCounts.resize(myInputs.size());
    for (size_t i = 0; i < myInputs.size(); ++i)
        myInputCookCounts[i] = myInputs[i] ? myInputs[i]->myCookCount : 0;
    return error();
}

void OP_Node::parmChanged(int /*index*/) { myDirty = true; }

bool OP_Node::getVariableValue(const char *name, fpreal &value, int thread)
{
    const CH_LocalVariable *var = myOperator ? myOperator->findVariable(name) : nullptr;
    return var && evalVariableValue(value, var->id, thread);
}

bool OP_Node::getVariableValue(const char *name, UT_String &value, int thread)
{
    const CH_LocalVariable *var = myOperator ? myOperator->findVariable(name) : nullptr;
    return var && evalVariableValue(value, var->id, thread);
}

bool OP_Node::evalVariableValue(fpreal & /*value*/, int /*index*/, int /*thread*/) { return false; }

bool OP_Node::evalVariableValue(UT_String & /*value*/, int /*index*/, int /*thread*/) { return false; }

int64_t OP_Node::getCookStatistic(const char *name, int64_t fallback) const
{
    for (const auto &entry : myCookStatistics)
        if (name && entry.first == name)
            return entry.second;
    return fallback;
}

void OP_Node::setCookStatistic(const char *name, int64_t value)
{
    if (!name)
        return;
    for (auto &entry : myCookStatistics)
        if (entry.first == name)
        {
            entry.second = value;
            return;
        }
    myCookStatistics.emplace_back(name, value);
}
