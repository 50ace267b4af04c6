// A node: a named instance of a node type, wired to other nodes' outputs,
// with parameters, messages and a cook.
//
// Cooking. The host calls cook() on the node whose result it wants. cook()
// recooks only when needed: never cooked, a parameter or input connection
// changed, forceRecook() was called, the time differs from the last cook, or
// an input needs to cook or has recooked since. A cook clears the node's
// messages, runs the node type's cookMe() and returns the node's severity,
// error(). Inputs are cooked on demand by the node itself, through
// OP_AutoLockInputs, so a network cooks upstream first. An exception thrown
// by a cook is caught here and becomes an error on the node.
//
// Wiring. setInput() refuses an index beyond the type's maximum, the node
// itself and any connection that would close a loop. Destroying a node
// disconnects it from every node it feeds.
//
// Local variables. An expression names a variable of the node type's table
// (CH_LocalVariable); getVariableValue() finds its id and asks the virtual
// evalVariableValue(), which node types override for their own ids.
#pragma once

#include <OP/OP_Context.h>
#include <OP/OP_Error.h>
#include <OP/OP_Operator.h>
#include <OP/OP_Parameters.h>
#include <UT/UT_API.h>
#include <UT/UT_String.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

class OP_AutoLockInputs;
class OP_Network;
class SOP_Node;

class UT_API OP_Node : public OP_Parameters
{
public:
    ~OP_Node() override;

    const std::string &getName() const { return myName; }
    OP_Operator *getOperator() const { return myOperator; }
    OP_Network *getParent() const { return myParent; }

    // Limits from the node type (0 and unlimited without one).
    unsigned minInputs() const;
    unsigned maxInputs() const;
    // How messages name input idx ("Input 2 (Collider)").
    std::string describeInput(unsigned idx) const;

    // Connects input idx to the output of input, or disconnects it for null.
    bool setInput(unsigned idx, OP_Node *input);
    OP_Node *getInput(unsigned idx) const;
    // One past the highest connected input index.
    unsigned nInputs() const { return unsigned(myInputs.size()); }
    // Nodes whose inputs connect to this node (one entry per connection).
    const std::vector<OP_Node *> &getOutputNodes() const { return myOutputNodes; }

    // Cooks if needed and returns error().
    OP_ERROR cook(OP_Context &context);
    bool needsToCook(const OP_Context &context) const;
    void forceRecook() { myDirty = true; }
    bool hasCooked() const { return myCookCount > 0; }
    int getCookCount() const { return myCookCount; }
    bool isCooking() const { return myIsCooking; }
    // Number of consumers holding this node's output locked.
    int getLockCount() const { return myLockCount; }

    // Looks name up in the node type's variable table and evaluates it.
    bool getVariableValue(const char *name, fpreal &value, int thread = 0);
    bool getVariableValue(const char *name, UT_String &value, int thread = 0);
    // Value of the variable with id index; false when the node has none.
    virtual bool evalVariableValue(fpreal &value, int index, int thread);
    virtual bool evalVariableValue(UT_String &value, int index, int thread);

    // Figures a node publishes about its current or last cook ("rays traced"
    // and the like), for the host's info display and progress reports. They
    // are cleared when a cook starts; fallback answers for a missing name.
    int64_t getCookStatistic(const char *name, int64_t fallback = -1) const;
    void setCookStatistic(const char *name, int64_t value);

    virtual SOP_Node *castToSOPNode() { return nullptr; }
    const SOP_Node *castToSOPNode() const { return const_cast<OP_Node *>(this)->castToSOPNode(); }

protected:
    // parent: the network the node lives in (may be null for a top-level
    // network). op may be null only for a top-level network.
    OP_Node(OP_Network *parent, const char *name, OP_Operator *op);

    // The node type's computation. Its return value is folded into error():
    // a severity returned without a matching message is kept as one.
    virtual OP_ERROR cookMe(OP_Context &context) = 0;

    void parmChanged(int index) override;

private:
    friend class OP_AutoLockInputs;
    bool feedsInto(const OP_Node *node) const;
    void removeOutputNode(OP_Node *node);

    OP_Network *myParent;
    std::string myName;
    OP_Operator *myOperator;
    std::vector<OP_Node *> myInputs;
    std::vector<OP_Node *> myOutputNodes;

    bool myDirty = true;
    bool myIsCooking = false;
    int myCookCount = 0;
    fpreal myLastCookTime = 0;
    std::vector<int> myInputCookCounts;  // of each input at the last cook
    int myLockCount = 0;
    std::vector<std::pair<std::string, int64_t>> myCookStatistics;
};
