// A network: a node that holds other nodes and creates them by type name.
//
// A program makes a top-level network over an operator table and creates
// nodes in it by the table's type names; the network owns them and destroys
// them when asked or when it is destroyed itself (newest first). Node types
// whose nodes are themselves networks get the parent's table.
//
// The table must outlive the networks created over it for as long as they
// create nodes; nodes already made keep their own type alive.
//
// Lifetime: each child is held together with a reference to its operator,
// which in turn holds the plug-in library the type came from. The node is
// destroyed first and the references released afterwards, from the host's
// own code, so a plug-in is never unloaded while its code is running.
#pragma once

#include <OP/OP_Node.h>
#include <UT/UT_API.h>

#include <memory>
#include <string>
#include <vector>

class OP_OperatorTable;

class UT_API OP_Network : public OP_Node
{
public:
    // A top-level network creating its children from table.
    OP_Network(const char *name, OP_OperatorTable *table);
    // A network node created inside parent as a node of type op.
    OP_Network(OP_Network *parent, const char *name, OP_Operator *op);
    ~OP_Network() override;

    // Own table, or the nearest ancestor's.
    OP_OperatorTable *getOperatorTable() const;

    // Creates a node of the named type. The name is made unique among the
    // children (a taken "box1" becomes "box2"); null or empty takes the type
    // name. Returns null with a message in err (when given) for an unknown
    // type or a constructor that fails.
    OP_Node *createNode(const char *type, const char *name = nullptr, std::string *err = nullptr);
    // Destroys a child; false when node is not a child of this network.
    bool destroyNode(OP_Node *node);
    void destroyAllChildren();

    OP_Node *findNode(const char *name) const;
    int getNchildren() const { return int(myChildren.size()); }
    OP_Node *getChild(int i) const { return myChildren[size_t(i)].node.get(); }

protected:
    // A network has nothing to compute of its own.
    OP_ERROR cookMe(OP_Context &context) override;

private:
    struct Child
    {
        // Declared first so it is released after the node is destroyed.
        std::shared_ptr<OP_Operator> op;
        std::unique_ptr<OP_Node> node;
    };
    std::string uniqueName(const std::string &wanted) const;
    static void destroyChild(Child &child);

    OP_OperatorTable *myTable;
    std::vector<Child> myChildren;
};
