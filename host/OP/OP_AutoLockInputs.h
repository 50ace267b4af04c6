// Cooks a node's inputs and holds their outputs steady while the node reads
// them.
//
// A cook binds one to its node and calls lock() before touching any input.
// lock() cooks every connected input and pins it, so its output cannot be
// recooked until the locker is destroyed (or unlock() is called), which is
// how a cook makes sure that what it reads belongs together. A required input
// (below the type's minimum) that is not connected, and an input whose cook
// failed, each add an error (UT_ERROR_ABORT) to the node naming the input;
// lock() returns the node's severity afterwards.
#pragma once

#include <OP/OP_Context.h>
#include <OP/OP_Error.h>
#include <UT/UT_API.h>

#include <vector>

class OP_Node;

class UT_API OP_AutoLockInputs
{
public:
    OP_AutoLockInputs() = default;
    explicit OP_AutoLockInputs(OP_Node *node) : myNode(node) {}
    ~OP_AutoLockInputs() { unlock(); }
    OP_AutoLockInputs(const OP_AutoLockInputs &) = delete;
    OP_AutoLockInputs &operator=(const OP_AutoLockInputs &) = delete;

    // Rebinds; anything locked for the previous node is released first.
    void setNode(OP_Node *node);

    // Locks every input; returns the node's error().
    OP_ERROR lock(OP_Context &context);
    // Locks input idx alone; returns the node's error().
    OP_ERROR lockInput(unsigned idx, OP_Context &context);
    // Releases everything this locker holds.
    void unlock();

private:
    OP_Node *myNode = nullptr;
    std::vector<OP_Node *> myLocked;
};
