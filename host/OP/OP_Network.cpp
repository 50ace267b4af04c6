#include <OP/OP_Network.h>

#include <OP/OP_OperatorTable.h>

#include <exception>

OP_Network::OP_Network(const char *name, OP_OperatorTable *table) : OP_Node(nullptr, name, nullptr), myTable(table) {}

OP_Network::OP_Network(OP_Network *parent, const char *name, OP_Operator *op)
    : OP_Node(parent, name, op), myTable(nullptr)
{}

OP_Network::~OP_Network() { destroyAllChildren(); }

OP_OperatorTable *OP_Network::getOperatorTable() const
{
    for (const OP_Network *net = this; net; net = net->getParent())
        if (net->myTable)
            return net->myTable;
    return nullptr;
}

void OP_Network::destroyChild(Child &child)
{
    std::shared_ptr<OP_Operator> keep = std::move(child.op);
    child.node.reset();
}

void OP_Network::destroyAllChildren()
{
    while (!myChildren.empty())
    {
        Child child = std::move(myChildren.back());
        myChildren.pop_back();
        destroyChild(child);
    }
}

bool OP_Network::destroyNode(OP_Node *node)
{
    for (auto it = myChildren.begin(); it != myChildren.end(); ++it)
    {
        if (it->node.get() == node)
        {
            Child child = std::move(*it);
            myChildren.erase(it);
            destroyChild(child);
            return true;
        }
    }
    return false;
}

OP_Node *OP_Network::findNode(const char *name) const
{
    if (!name)
        return nullptr;
    for (const Child &child : myChildren)
        if (child.node->getName() == name)
            return child.node.get();
    return nullptr;
}

std::string OP_Network::uniqueName(const std::string &wanted) const
{
    if (!findNode(wanted.c_str()))
        return wanted;
    // Count up from the trailing number: box1 -> box2, box -> box1.
    size_t digits = wanted.size();
    while (digits > 0 && wanted[digits - 1] >= '0' && wanted[digits - 1] <= '9')
        --digits;
    const std::string stem = wanted.substr(0, digits);
    unsigned long long number = 0;
    if (digits < wanted.size() && wanted.size() - digits < 19)
        number = std::stoull(wanted.substr(digits));
    for (;;)
    {
        std::string name = stem + std::to_string(++number);
        if (!findNode(name.c_str()))
            return name;
    }
}

OP_Node *OP_Network::createNode(const char *type, const char *name, std::string *err)
{
    OP_OperatorTable *table = getOperatorTable();
    std::shared_ptr<OP_Operator> op = table ? table->getOperatorRef(type) : nullptr;
    if (!op)
    {
        if (err)
            *err = std::string("Unknown node type \"") + (type ? type : "") + "\"";
        return nullptr;
    }
    const std::string nodeName = uniqueName(name && *name ? name : op->getName());

    Child child;
    child.op = op;
    std::string why;
    try
    {
        child.node.reset(op->getConstructor()(this, nodeName.c_str(), op.get()));
        if (!child.node)
            why = "its constructor returned no node";
    }
    catch (const std::exception &e)
    {
        why = e.what();
    }
    catch (...)
    {
        why = "its constructor failed";
    }
    if (child.node && (child.node->getParent() != this || child.node->getOperator() != op.get()))
    {
        why = "its constructor built a node for another network or type";
        destroyChild(child);
    }
    if (!child.node)
    {
        if (err)
            *err = "Cannot create a node of type \"" + op->getName() + "\": " + why;
        return nullptr;
    }
    OP_Node *node = child.node.get();
    myChildren.push_back(std::move(child));
    return node;
}

OP_ERROR OP_Network::cookMe(OP_Context & /*context*/) { return error(); }
