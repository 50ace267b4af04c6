// Local variables a node type declares for expressions on its parameters.
//
// An operator hands the host a table of these, ended by an entry whose name
// is null. When an expression names a variable, the host finds its entry by
// name and asks the node for the value of its id through
// OP_Node::evalVariableValue(); the id, not the position in the table, is
// what the node sees.
#pragma once

struct CH_LocalVariable
{
    const char *name;  // null ends the table
    int id;
    unsigned flags;  // carried for the node type; the host does not interpret them
};
